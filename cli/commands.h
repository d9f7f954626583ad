#pragma once
// The subcommands of tamberly-cli. Each takes its arguments (after the
// subcommand name), writes its result to out and its errors to err, and
// returns the process exit code.

#include <iosfwd>
#include <string>
#include <vector>

namespace cli {

int RunFrames(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunProbe(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

extern const char* const kFramesHelp;
extern const char* const kProbeHelp;

// Checks that a file exists and can be opened for reading; on failure writes
// one line "tamberly-cli: cannot open FILE: reason" to err.
bool CheckReadable(const std::string& fileName, std::ostream& err);

}  // namespace cli
