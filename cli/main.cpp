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
    "  frames FILE [--from BYTE] [--rows N]   list a page of MPEG audio frames\n"
    "  probe FILE                             tell what the content probes recognise\n"
    "\n"
    "tamberly-cli COMMAND --help explains a command's options.\n"
    "Exit codes: 0 success, 1 the file could not be read, 2 a malformed command line.\n";

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
    if (args[0] == "frames") return cli::RunFrames(rest, std::cout, std::cerr);
    if (args[0] == "probe") return cli::RunProbe(rest, std::cout, std::cerr);
    std::cerr << "tamberly-cli: unknown command \"" << args[0] << "\"\n" << kUsage;
    return cli::kExitUsage;
}
