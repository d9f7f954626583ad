#include "libs/mpaprofile/profile_parser.h"

#include <charconv>
#include <cmath>
#include <functional>

#include "libs/mpaprofile/value_names.h"

namespace mpaprofile {
namespace {

using word_reader = std::function<std::optional<std::int32_t>(std::string_view)>;

constexpr std::size_t kMaxListItems = 64;

struct fault {
    std::size_t column;  // 0-based within the line
    std::string message;
    int line = 0;        // when not the line being read
};

// A piece of a line and where it starts in the line.
struct token {
    std::string_view text;
    std::size_t column = 0;
};

bool is_space(char c) { return c == ' ' || c == '\t'; }

token trimmed(std::string_view text, std::size_t column) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && is_space(text[begin])) ++begin;
    while (end > begin && is_space(text[end - 1])) --end;
    return {text.substr(begin, end - begin), column + begin};
}

bool is_name(std::string_view text) {
    if (text.empty()) return false;
    for (const char c : text)
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-')) return false;
    return true;
}

std::optional<bool> yes_no(std::string_view word) {
    if (word == "yes") return true;
    if (word == "no") return false;
    return std::nullopt;
}

std::optional<std::int64_t> whole_number(std::string_view word) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc() || end != word.data() + word.size() || value < 0) return std::nullopt;
    return value;
}

std::optional<double> seconds(std::string_view word) {
    double value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc() || end != word.data() + word.size() || !std::isfinite(value) || value < 0)
        return std::nullopt;
    return value;
}

// The values of a comma-separated list, each read by read.
std::optional<fault> read_list(const token& value, const word_reader& read, const char* what,
                               std::vector<std::int32_t>& into) {
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = value.text.find(',', start);
        const std::size_t end = comma == std::string_view::npos ? value.text.size() : comma;
        const token item = trimmed(value.text.substr(start, end - start), value.column + start);
        if (item.text.empty()) return fault{item.column, std::string("an empty item in the list of ") + what};
        const auto read_value = read(item.text);
        if (!read_value) return fault{item.column, "\"" + std::string(item.text) + "\" is not one of the " + what};
        if (into.size() == kMaxListItems) return fault{item.column, "too many items in the list"};
        into.push_back(*read_value);
        if (comma == std::string_view::npos) return std::nullopt;
        start = comma + 1;
    }
}

std::optional<std::int32_t> finding_word(std::string_view word) {
    const auto kind = mpacheck::kind_from_name(word);
    if (!kind) return std::nullopt;
    return static_cast<std::int32_t>(*kind);
}

// The one key that holds a rule's value, and how it is read.
const char* value_key(rule_kind kind) {
    switch (kind) {
        case rule_kind::crc:
        case rule_kind::scf_crc: return "required";
        case rule_kind::junk: return "max-bytes";
        case rule_kind::ancillary_data: return "min-bits";
        case rule_kind::duration_drift: return "max-seconds";
        case rule_kind::findings: return "forbidden";
        default: return "allowed";
    }
}

std::optional<fault> read_set(rule& r, const token& value) {
    switch (r.kind) {
        case rule_kind::versions: return read_list(value, version_from_word, "versions (1, 2, 2.5)", r.allowed);
        case rule_kind::layers: return read_list(value, layer_from_word, "layers (1, 2, 3)", r.allowed);
        case rule_kind::sampling_rates:
            return read_list(value, rate_from_word, "MPEG audio sampling rates (Hz)", r.allowed);
        case rule_kind::bitrates:
            return read_list(value, bitrate_from_word, "MPEG audio bitrates (kbit/s, or free)", r.allowed);
        case rule_kind::channel_modes:
            return read_list(value, mode_from_word, "channel modes (stereo, joint-stereo, dual-channel, mono)",
                             r.allowed);
        case rule_kind::emphasis:
            return read_list(value, emphasis_from_word, "emphases (none, 50/15, ccitt-j17)", r.allowed);
        default:
            return read_list(value, finding_word, "finding kinds (crc-mismatch, junk, ...)", r.allowed);
    }
}

std::optional<fault> read_rule_value(rule& r, const token& value) {
    const auto bad = [&](const char* expected) { return fault{value.column, std::string("expected ") + expected}; };
    switch (r.kind) {
        case rule_kind::crc:
        case rule_kind::scf_crc:
        case rule_kind::rate_change:
        case rule_kind::mode_change:
        case rule_kind::bitrate_change: {
            const auto flag = yes_no(value.text);
            if (!flag) return bad("yes or no");
            r.required = r.kind == rule_kind::crc || r.kind == rule_kind::scf_crc ? *flag : !*flag;
            return std::nullopt;
        }
        case rule_kind::junk:
        case rule_kind::ancillary_data: {
            const auto count = whole_number(value.text);
            if (!count) return bad("a whole number, 0 or more");
            r.limit = *count;
            return std::nullopt;
        }
        case rule_kind::duration_drift: {
            const auto limit = seconds(value.text);
            if (!limit) return bad("seconds, 0 or more (such as 0.5)");
            r.seconds = *limit;
            return std::nullopt;
        }
        case rule_kind::bitrate_mode:
            if (value.text != "fixed" && value.text != "variable") return bad("fixed or variable");
            r.mode = value.text == "fixed" ? bitrate_mode::fixed : bitrate_mode::variable;
            return std::nullopt;
        case rule_kind::metadata:
            if (value.text == "none") r.metadata = metadata_policy::none;
            else if (value.text == "id3") r.metadata = metadata_policy::id3;
            else if (value.text == "any") r.metadata = metadata_policy::any;
            else return bad("none, id3 or any");
            return std::nullopt;
        default: break;
    }
    if (auto failed = read_set(r, value)) return failed;
    if (r.kind == rule_kind::findings) {
        for (const std::int32_t kind : r.allowed) r.kinds |= 1u << kind;
        r.allowed.clear();
    }
    return std::nullopt;
}

std::optional<mpacheck::severity> severity_from_word(std::string_view word) {
    if (word == "error") return mpacheck::severity::error;
    if (word == "warning") return mpacheck::severity::warning;
    if (word == "info") return mpacheck::severity::info;
    return std::nullopt;
}

class reader {
public:
    std::variant<profile, parse_error> read(std::string_view text) {
        if (text.size() > kMaxProfileBytes)
            return parse_error{1, 1, "the profile is larger than " + std::to_string(kMaxProfileBytes) + " bytes"};
        // A byte order mark some editors write is no part of the first line.
        std::size_t start = text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
        while (start <= text.size()) {
            ++line_;
            const std::size_t newline = text.find('\n', start);
            const std::size_t end = newline == std::string_view::npos ? text.size() : newline;
            if (auto failed = read_line(text.substr(start, end - start)))
                return parse_error{failed->line != 0 ? failed->line : line_, static_cast<int>(failed->column) + 1,
                                   std::move(failed->message)};
            if (newline == std::string_view::npos) break;
            start = newline + 1;
        }
        if (auto failed = finish()) return *failed;
        return std::move(profile_);
    }

private:
    std::optional<fault> read_line(std::string_view line) {
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        for (std::size_t i = 0; i < line.size(); ++i) {
            const auto byte = static_cast<unsigned char>(line[i]);
            if (byte < 0x20 && byte != '\t') return fault{i, "a control character in the text"};
        }
        const token content = trimmed(line, 0);
        if (content.text.empty() || content.text[0] == '#' || content.text[0] == ';') return std::nullopt;
        if (content.text[0] == '[') return read_section(content);
        return read_key(content);
    }

    std::optional<fault> read_section(const token& content) {
        if (auto failed = close_rule()) return failed;
        if (content.text.back() != ']')
            return fault{content.column + content.text.size(), "the section name lacks its closing ]"};
        const token name = trimmed(content.text.substr(1, content.text.size() - 2), content.column + 1);
        if (name.text == "profile") {
            if (seen_profile_) return fault{name.column, "a second [profile] section"};
            seen_profile_ = true;
            in_profile_ = true;
            return std::nullopt;
        }
        in_profile_ = false;
        const auto kind = rule_from_name(name.text);
        if (!kind) return fault{name.column, "unknown rule [" + std::string(name.text) + "]"};
        if ((seen_rules_ >> static_cast<int>(*kind) & 1u) != 0)
            return fault{name.column, "a second [" + std::string(name.text) + "] rule"};
        seen_rules_ |= 1u << static_cast<int>(*kind);
        rule_.emplace();
        rule_->kind = *kind;
        rule_->line = line_;
        rule_column_ = name.column;
        value_seen_ = false;
        return std::nullopt;
    }

    std::optional<fault> read_key(const token& content) {
        const std::size_t equals = content.text.find('=');
        if (equals == std::string_view::npos) return fault{content.column, "expected key = value"};
        const token key = trimmed(content.text.substr(0, equals), content.column);
        const token value = trimmed(content.text.substr(equals + 1), content.column + equals + 1);
        if (!is_name(key.text)) return fault{key.column, "expected a key (lower-case letters, digits and -)"};
        if (value.text.empty()) return fault{value.column, "the key " + std::string(key.text) + " has no value"};
        if (in_profile_) return read_profile_key(key, value);
        if (!rule_) return fault{key.column, "a key outside a section; start with [profile]"};
        return read_rule_key(key, value);
    }

    std::optional<fault> read_profile_key(const token& key, const token& value) {
        std::string* field = key.text == "name"        ? &profile_.name
                             : key.text == "title"     ? &profile_.title
                             : key.text == "reference" ? &profile_.reference
                                                       : nullptr;
        if (field == nullptr) return fault{key.column, "unknown key " + std::string(key.text) + " in [profile]"};
        if (key.text == "name" && !is_name(value.text))
            return fault{value.column, "a profile name is lower-case letters, digits and -"};
        *field = std::string(value.text);
        return std::nullopt;
    }

    std::optional<fault> read_rule_key(const token& key, const token& value) {
        if (key.text == "severity") {
            const auto level = severity_from_word(value.text);
            if (!level) return fault{value.column, "expected error, warning or info"};
            rule_->level = *level;
            return std::nullopt;
        }
        if (key.text == "message") {
            rule_->message = std::string(value.text);
            return std::nullopt;
        }
        const char* expected = value_key(rule_->kind);
        if (key.text != expected)
            return fault{key.column, "unknown key " + std::string(key.text) + " in [" +
                                         std::string(rule_name(rule_->kind)) + "]; it takes " + expected +
                                         ", severity and message"};
        if (value_seen_) return fault{key.column, std::string("a second ") + expected};
        value_seen_ = true;
        return read_rule_value(*rule_, value);
    }

    std::optional<fault> close_rule() {
        if (!rule_) return std::nullopt;
        if (!value_seen_)
            return fault{rule_column_,
                         "the rule [" + std::string(rule_name(rule_->kind)) + "] lacks its " + value_key(rule_->kind),
                         rule_->line};
        profile_.rules.push_back(std::move(*rule_));
        rule_.reset();
        return std::nullopt;
    }

    std::optional<parse_error> finish() {
        if (auto failed = close_rule())
            return parse_error{failed->line, static_cast<int>(failed->column) + 1, std::move(failed->message)};
        if (!seen_profile_) return parse_error{1, 1, "the profile lacks its [profile] section"};
        if (profile_.name.empty()) return parse_error{1, 1, "the [profile] section lacks its name"};
        if (profile_.rules.empty()) return parse_error{line_, 1, "the profile has no rules"};
        return std::nullopt;
    }

    profile profile_;
    std::optional<rule> rule_;
    int line_ = 0;
    std::size_t rule_column_ = 0;
    std::uint32_t seen_rules_ = 0;
    bool seen_profile_ = false;
    bool in_profile_ = false;
    bool value_seen_ = false;
};

}  // namespace

std::string format_error(const parse_error& error) {
    return std::to_string(error.line) + ":" + std::to_string(error.column) + ": " + error.message;
}

std::variant<profile, parse_error> parse_profile(std::string_view text) { return reader().read(text); }

}  // namespace mpaprofile
