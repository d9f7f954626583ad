#pragma once
// The subcommands of tamberly-cli. Each takes its arguments (after the
// subcommand name), writes its result to out and its errors to err, and
// returns the process exit code (cli_options.h).

#include <iosfwd>
#include <string>
#include <vector>

namespace cli {

int RunFrames(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunHeader(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunProbe(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunStreams(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunExtract(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunDecode(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunValidate(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

extern const char* const kFramesHelp;
extern const char* const kHeaderHelp;
extern const char* const kProbeHelp;
extern const char* const kStreamsHelp;
extern const char* const kExtractHelp;
extern const char* const kDecodeHelp;
extern const char* const kValidateHelp;

// Checks that FILE can be read as input: it exists, opens for reading, is
// not a folder and not empty. Otherwise writes one line to err
// ("tamberly-cli: cannot open FILE: reason", "... is a folder, not a file",
// "... is empty") and returns false.
bool CheckReadable(const std::string& fileName, std::ostream& err);

// True (with one line to err) when outputName names the same file as
// inputName, which must not be truncated before it is read.
bool IsInputFile(const std::string& outputName, const std::string& inputName, std::ostream& err);

// Creates the output file (empty), or truncates an existing one only when
// replace is set. Otherwise, or when it cannot be created, writes one line to
// err and returns false. Creation is exclusive, so a file that appears in the
// meantime is not replaced either.
bool CreateOutputFile(const std::string& fileName, bool replace, std::ostream& err);

}  // namespace cli
