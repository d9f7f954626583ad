#pragma once
// Command-line parsing shared by the subcommands: positional arguments and
// "--name value" options, with clear errors for anything malformed.

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace cli {

// Exit codes of every subcommand.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // the file could not be read or processed
inline constexpr int kExitUsage = 2;    // the command line was malformed

class Arguments {
public:
    // Parses args (without program and subcommand names). valueOptions take
    // a value ("--rows 20" or "--rows=20"); flagOptions take none.
    // On a malformed line, Error() says why.
    Arguments(const std::vector<std::string>& args, const std::set<std::string>& valueOptions,
              const std::set<std::string>& flagOptions);

    [[nodiscard]] const std::string& Error() const { return error_; }
    [[nodiscard]] const std::vector<std::string>& Positional() const { return positional_; }
    [[nodiscard]] bool Has(const std::string& option) const;
    [[nodiscard]] std::optional<std::string> Value(const std::string& option) const;

private:
    std::vector<std::string> positional_;
    std::map<std::string, std::string> values_;
    std::set<std::string> flags_;
    std::string error_;
};

// Parses a non-negative integer, decimal or with a "0x" prefix hexadecimal.
[[nodiscard]] std::optional<std::int64_t> ParseByteCount(const std::string& text);

}  // namespace cli
