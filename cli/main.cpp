// tamberly-cli: the toolkit's command-line front end for batch work.

#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/commands.h"

namespace {

const char* const kUsage =
    "usage: tamberly-cli COMMAND [ARGS]\n"
    "\n"
    "Commands:\n"
    "  frames FILE [--from BYTE] [--rows N | --all] [--format text|csv|json]\n"
    "                                   list MPEG audio frames as the viewer does\n"
    "  header FILE --offset BYTE        the detail tree of one frame\n"
    "  probe FILE [--format text|json]  what the content probes recognise\n"
    "  streams FILE [--format text|json]\n"
    "                                   a container's streams, through the plugins\n"
    "  extract FILE --stream N [-o OUT] [--force]\n"
    "                                   copy one stream out of a container\n"
    "  decode FILE [-o OUT.wav] [--force]\n"
    "                                   decode MPEG audio to a WAVE file\n"
    "  validate FILE... [--report OUT | --report-dir DIR --report-format FORM]\n"
    "           [--disable KIND]... [--format text|json] [--fail-on warning|error]\n"
    "                                   check MPEG audio streams, write reports\n"
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
};

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
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
