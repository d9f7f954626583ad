#include "viewer/shell/ViewerCommandLine.h"

namespace {

const char* const kViewerUsage =
    "usage: tamberly [FILE]\n"
    "\n"
    "Opens FILE, an MPEG audio elementary stream (Layer I, II or III) or a\n"
    "container with MPEG audio streams (MPEG program or transport stream, MXF),\n"
    "and shows its frames: the frame list, the frame detail tree and the hex\n"
    "view. A container's audio stream is extracted to the extraction folder\n"
    "first. Tools > Validation checks the stream with the validation modules\n"
    "found beside the program.\n"
    "\n"
    "Options:\n"
    "  --help     show this text and exit\n"
    "  --version  show the version and exit\n";

}  // namespace

std::optional<std::string> ViewerInformationAnswer(std::string_view argument) {
    if (argument == "--help" || argument == "-h") return std::string(kViewerUsage);
    if (argument == "--version") return std::string("tamberly ") + TAMBERLY_VERSION_STRING + "\n";
    return std::nullopt;
}
