// tamberly-cli: the toolkit's command-line front end for batch work.

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/commands.h"
#include "platform/atomic_output.h"
#include "viewer/media/PluginCall.h"

namespace {

const char* const kUsage =
    "usage: tamberly-cli COMMAND [ARGS]\n"
    "\n"
    "Commands:\n"
    "  frames FILE [--from BYTE] [--rows N | --all] [--format text|csv|json]\n"
    "                                   list MPEG audio frames as the viewer does\n"
    "  header FILE --offset BYTE [--format text|json]\n"
    "                                   the detail tree of one frame\n"
    "  probe FILE [--format text|json]  what the content probes recognise\n"
    "  streams FILE [--format text|json]\n"
    "                                   a container's streams, through the plugins\n"
    "  extract FILE --stream N [-o OUT] [--force]\n"
    "                                   copy one stream out of a container\n"
    "  decode FILE [-o OUT.wav] [--force]\n"
    "  decode FILE... [--jobs N] [--force]\n"
    "                                   decode MPEG audio to a WAVE file\n"
    "  validate FILE... [--report OUT | --report-dir DIR --report-format FORM]\n"
    "           [--disable KIND]... [--format text|json] [--fail-on LEVEL|KIND,...]\n"
    "           [--profile NAME|FILE [--recursive] [--summary]]\n"
    "           [--events-per-kind N] [--jobs N]\n"
    "                                   check MPEG audio streams, write reports\n"
    "  repair IN -o OUT [--report FILE] [--format text|json] [--keep-junk]\n"
    "         [--drop-tags] [--fix-crc] [--no-vbr-update] [--force]\n"
    "                                   write a repaired copy, report every change\n"
    "  profiles [--show NAME]           the built-in delivery profiles for validate --profile\n"
    "\n"
    "tamberly-cli COMMAND --help explains a command's options, with examples.\n"
    "Exit codes: 0 success, 1 an input could not be read or an output not\n"
    "written, 2 a malformed command line, 3 the input is not an MPEG audio\n"
    "stream (or no plugin reads the container), 4 validation found events at\n"
    "the --fail-on level.\n";

using Command = int (*)(const std::vector<std::string>&, std::ostream&, std::ostream&);

struct NamedCommand {
    const char* name;
    Command run;
};

constexpr NamedCommand kCommands[] = {
    {"frames", cli::RunFrames},   {"header", cli::RunHeader}, {"probe", cli::RunProbe},
    {"streams", cli::RunStreams}, {"extract", cli::RunExtract}, {"decode", cli::RunDecode},
    {"validate", cli::RunValidate},
    {"repair", cli::RunRepair},
    {"profiles", cli::RunProfiles},
};

// Everything printed reaches its destination, or the run fails: a full disk
// or a file-size limit on standard output shows at the latest in the final
// flush and close. (A reader that went away, as with "| head", ends the
// program through SIGPIPE, quietly and with the conventional status.)
int FinishStandardOutput(int code) {
    std::cout.flush();
    const bool streamFailed = std::cout.fail();
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0 && std::ferror(stdout) == 0;
    int error = errno;
    const bool closed = std::fclose(stdout) == 0;
    if (error == 0) error = errno;
    if (!streamFailed && flushed && closed) return code;
    std::cerr << "tamberly-cli: cannot write the standard output: "
              << (error != 0 ? std::strerror(error) : "write error") << "\n";
    return code == cli::kExitOk || code > cli::kExitFailure ? cli::kExitFailure : code;
}

int Run(const std::vector<std::string>& args) {
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        (args.empty() ? std::cerr : std::cout) << kUsage;
        return args.empty() ? cli::kExitUsage : cli::kExitOk;
    }
    if (args[0] == "--version") {
        std::cout << "tamberly-cli " << TAMBERLY_VERSION_STRING << "\n";
        return cli::kExitOk;
    }
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    for (const NamedCommand& command : kCommands)
        if (args[0] == command.name) return command.run(rest, std::cout, std::cerr);
    std::cerr << "tamberly-cli: unknown command \"" << args[0] << "\"\n" << kUsage;
    return cli::kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    // An interrupted run leaves no temporary output behind; a file-size limit
    // makes a write fail (and the run report it) instead of killing the
    // program.
    platform::RemoveTemporaryOutputsOnSignals();
    std::signal(SIGXFSZ, SIG_IGN);
    const int code = FinishStandardOutput(Run(std::vector<std::string>(argv + 1, argv + argc)));
    // A plugin that was given up on may still run on one of our threads:
    // the program ends without destroying statics it may be using.
    if (AnyPluginKeptForGood()) std::_Exit(code);
    return code;
}
