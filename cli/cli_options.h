#pragma once
// Command-line parsing shared by the subcommands: positional arguments and
// "--name value" options, with clear errors for anything malformed.

#include <cstdint>
#include <iosfwd>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "cli/output_format.h"

namespace cli {

// Exit codes of every subcommand.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;   // the input could not be read, or an output not written
inline constexpr int kExitUsage = 2;     // the command line was malformed
inline constexpr int kExitNotAudio = 3;  // the input is not what the command needs (MPEG audio, a container)
inline constexpr int kExitFindings = 4;  // validation found events at the --fail-on level

class Arguments {
public:
    // Parses args (without program and subcommand names). valueOptions take
    // a value ("--rows 20" or "--rows=20"); flagOptions take none. Any other
    // argument starting with "-" (except "-" itself) is an unknown option.
    // A value option given twice keeps its last value; multiOptions collect
    // every value ("--disable a --disable b").
    // On a malformed line, Error() says why.
    Arguments(const std::vector<std::string>& args, const std::set<std::string>& valueOptions,
              const std::set<std::string>& flagOptions, const std::set<std::string>& multiOptions = {});

    [[nodiscard]] const std::string& Error() const { return error_; }
    [[nodiscard]] const std::vector<std::string>& Positional() const { return positional_; }
    [[nodiscard]] bool Has(const std::string& option) const;
    [[nodiscard]] std::optional<std::string> Value(const std::string& option) const;
    // Every value of a multiOption, in order.
    [[nodiscard]] std::vector<std::string> Values(const std::string& option) const;

private:
    std::vector<std::string> positional_;
    std::map<std::string, std::string> values_;
    std::map<std::string, std::vector<std::string>> multiValues_;
    std::set<std::string> flags_;
    std::string error_;
};

// Writes "tamberly-cli COMMAND: message" and the command's help to err and
// returns kExitUsage.
int UsageError(const std::string& command, const std::string& message, const char* help, std::ostream& err);

// Answers --help (help on out, kExitOk) and a malformed line or a file count
// other than one (kExitUsage) for a one-file command; nothing when the
// command goes on.
[[nodiscard]] std::optional<int> HelpOrOneFileUsage(const Arguments& arguments, const std::string& command,
                                                    const char* help, std::ostream& out, std::ostream& err);

// The --format option's value (Text when absent); nothing when it names no
// form the command offers.
[[nodiscard]] std::optional<OutputFormat> FormatOption(const Arguments& arguments, bool allowCsv);

// Parses a non-negative integer, decimal or with a "0x" prefix hexadecimal.
[[nodiscard]] std::optional<std::int64_t> ParseByteCount(const std::string& text);

}  // namespace cli
