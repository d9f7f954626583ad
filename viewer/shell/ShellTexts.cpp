#include "viewer/shell/ShellTexts.h"

#include <charconv>
#include <cstdio>

std::string FormCaption(std::string_view openFileName) {
    std::string caption = kProductName;
    if (!openFileName.empty()) {
        caption += '(';
        caption += openFileName;
        caption += ')';
    }
    return caption;
}

namespace {

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) return parts;
        start = end + 1;
    }
}

std::vector<std::string> SplitPatterns(std::string_view patterns) {
    std::vector<std::string> result;
    std::string current;
    for (const char c : patterns) {
        if (c == ';' || c == ' ') {
            if (!current.empty()) result.push_back(std::move(current));
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) result.push_back(std::move(current));
    return result;
}

}  // namespace

std::vector<TNameFilter> ParseNameFilters(std::string_view filter) {
    const std::vector<std::string_view> parts = Split(filter, '|');
    std::vector<TNameFilter> filters;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2)
        filters.push_back({std::string(parts[i]), SplitPatterns(parts[i + 1])});
    return filters;
}

std::string DialogNameFilter(const TNameFilter& filter) {
    std::string text = filter.Description + " (";
    for (std::size_t i = 0; i < filter.Patterns.size(); ++i) {
        if (i > 0) text += ' ';
        text += filter.Patterns[i];
    }
    return text + ")";
}

std::optional<TFileVersion> ParseFileVersion(std::string_view text) {
    const std::vector<std::string_view> parts = Split(text, '.');
    if (parts.size() > 4) return std::nullopt;
    int numbers[4] = {0, 0, 0, 0};
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::string_view part = parts[i];
        const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), numbers[i]);
        if (part.empty() || error != std::errc() || end != part.data() + part.size()) return std::nullopt;
        if (numbers[i] < 0 || numbers[i] > 65535) return std::nullopt;
    }
    return TFileVersion{numbers[0], numbers[1], numbers[2], numbers[3]};
}

std::string AboutVersionLine(const TFileVersion& version) {
    char line[80];
    if (version.Release != 0)
        std::snprintf(line, sizeof line, "Version %d.%d.%d (build %d)", version.Major, version.Minor,
                      version.Release, version.Build);
    else
        std::snprintf(line, sizeof line, "Version %d.%d (build %d)", version.Major, version.Minor, version.Build);
    return line;
}

std::string ProgramVersionLine() {
    const std::optional<TFileVersion> version = ParseFileVersion(TAMBERLY_VERSION_STRING);
    return version ? AboutVersionLine(*version) : std::string();
}
