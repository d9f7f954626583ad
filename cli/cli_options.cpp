#include "cli/cli_options.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <ostream>

namespace cli {

Arguments::Arguments(const std::vector<std::string>& args, const std::set<std::string>& valueOptions,
                     const std::set<std::string>& flagOptions, const std::set<std::string>& multiOptions) {
    for (std::size_t i = 0; i < args.size() && error_.empty(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 2 || arg[0] != '-') {
            positional_.push_back(arg);
            continue;
        }
        const auto equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const bool multi = multiOptions.count(name) != 0;
        std::string value;
        if (flagOptions.count(name) != 0 && equals == std::string::npos) {
            flags_.insert(name);
            continue;
        }
        if (valueOptions.count(name) == 0 && !multi) {
            error_ = "unknown option " + name;
        } else if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            error_ = "option " + name + " needs a value";
        }
        if (!error_.empty()) break;
        if (multi)
            multiValues_[name].push_back(value);
        else
            values_[name] = value;
    }
}

bool Arguments::Has(const std::string& option) const {
    return flags_.count(option) != 0 || values_.count(option) != 0 || multiValues_.count(option) != 0;
}

std::vector<std::string> Arguments::Values(const std::string& option) const {
    const auto found = multiValues_.find(option);
    return found == multiValues_.end() ? std::vector<std::string>{} : found->second;
}

std::optional<std::string> Arguments::Value(const std::string& option) const {
    const auto found = values_.find(option);
    if (found == values_.end()) return std::nullopt;
    return found->second;
}

int UsageError(const std::string& command, const std::string& message, const char* help, std::ostream& err) {
    err << "tamberly-cli " << command << ": " << message << "\n" << help;
    return kExitUsage;
}

std::optional<int> HelpOrOneFileUsage(const Arguments& arguments, const std::string& command, const char* help,
                                      std::ostream& out, std::ostream& err) {
    if (arguments.Has("--help")) {
        out << help;
        return kExitOk;
    }
    if (!arguments.Error().empty()) return UsageError(command, arguments.Error(), help, err);
    if (arguments.Positional().size() != 1) return UsageError(command, "expects one FILE", help, err);
    return std::nullopt;
}

std::optional<OutputFormat> FormatOption(const Arguments& arguments, bool allowCsv) {
    const auto value = arguments.Value("--format");
    return value ? ParseOutputFormat(*value, allowCsv) : OutputFormat::Text;
}

std::optional<std::int64_t> ParseByteCount(const std::string& text) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = hex ? text.substr(2) : text;
    if (digits.empty() || !std::isxdigit(static_cast<unsigned char>(digits[0]))) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(digits.c_str(), &end, hex ? 16 : 10);
    if (errno != 0 || end == nullptr || *end != '\0' || value < 0) return std::nullopt;
    return static_cast<std::int64_t>(value);
}

}  // namespace cli
