#pragma once
// The subcommands of tamberly-cli. Each takes its arguments (after the
// subcommand name), writes its result to out and its errors to err, and
// returns the process exit code (cli_options.h).

#include <iosfwd>
#include <string>
#include <vector>

namespace platform {
class AtomicOutputFile;
}

namespace cli {

int RunFrames(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunHeader(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunProbe(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunStreams(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunExtract(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunDecode(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunValidate(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunRepair(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunProfiles(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

extern const char* const kFramesHelp;
extern const char* const kHeaderHelp;
extern const char* const kProbeHelp;
extern const char* const kStreamsHelp;
extern const char* const kExtractHelp;
extern const char* const kDecodeHelp;
extern const char* const kValidateHelp;
extern const char* const kRepairHelp;
extern const char* const kProfilesHelp;

// Checks that FILE can be read as input: a regular file (not a folder,
// FIFO, device or socket, checked without blocking) that opens for reading
// and is not empty. Otherwise writes one line to err ("tamberly-cli: cannot
// open FILE: reason", "... is a folder, not a file", "... is not a regular
// file (a FIFO, device or socket)", "... is empty") and returns false.
bool CheckReadable(const std::string& fileName, std::ostream& err);

// True (with one line to err) when outputName names the same file as
// inputName, which must not be truncated before it is read.
bool IsInputFile(const std::string& outputName, const std::string& inputName, std::ostream& err);

// Whether an output may go to fileName: a free name, or with replace an
// existing regular file. Anything else that is there (a link, folder,
// device, FIFO, socket) is refused even with replace. One line to err when
// refused.
bool CheckOutputName(const std::string& fileName, bool replace, std::ostream& err);

// The temporary file of the output fileName (platform/atomic_output.h); one
// line to err when it cannot be created.
bool CreateOutput(platform::AtomicOutputFile& file, const std::string& fileName, std::ostream& err);

// Renames the finished output to fileName (replacing only what
// CheckOutputName allows, checked again now); on failure removes the
// temporary file and writes one line to err.
bool CommitOutput(platform::AtomicOutputFile& file, const std::string& fileName, bool replace, std::ostream& err);

// Writes text to fileName through a temporary file (CreateOutput,
// CommitOutput); one line to err when it cannot.
bool WriteTextFile(const std::string& fileName, const std::string& text, bool replace, std::ostream& err);

}  // namespace cli
