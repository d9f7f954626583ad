#include <ostream>

#include "cli/cli_options.h"
#include "cli/commands.h"
#include "cli/file_acceptance.h"
#include "cli/frame_anatomy_json.h"
#include "viewer/model/FrameAnatomy.h"
#include "viewer/model/FrameDetail.h"
#include "viewer/model/FrameNavigator.h"

namespace cli {

const char* const kHeaderHelp =
    "usage: tamberly-cli header FILE --offset BYTE [--format text|json]\n"
    "\n"
    "Prints the detail tree of the frame whose header starts at BYTE, as the\n"
    "viewer's tree copy writes it: frame(), header() with its thirteen fields,\n"
    "error_check(), audio_data() and ancillary_data(), each line ended by CR LF.\n"
    "Take the offsets from \"tamberly-cli frames\".\n"
    "\n"
    "  --offset BYTE   where the frame header starts (decimal or 0x hex)\n"
    "  --format FORM   text: the tree with the audio data shown, as the viewer\n"
    "                  shows it with \"Show audio data in the frame tree\": the\n"
    "                  computed CRC, allocation, scale factors, side information,\n"
    "                  where the main data begins, the ancillary data and a VBR\n"
    "                  header's fields; json: the same tree as nested nodes with\n"
    "                  text, name, value, bit_offset (from the header's first\n"
    "                  bit) and bits. Without --format the header-only tree.\n"
    "\n"
    "Examples:\n"
    "  tamberly-cli header take1.mp2 --offset 0\n"
    "  tamberly-cli header take1.mp2 --offset 0x00000000000001A1\n"
    "  tamberly-cli header take1.mp3 --offset 0x1A1 --format json\n"
    "\n"
    "Exit codes: 0 printed, 1 FILE unreadable, 2 usage (also BYTE past the end),\n"
    "3 no MPEG audio frame header at BYTE, or FILE is a container (list its\n"
    "streams with \"tamberly-cli streams FILE\").\n";

int RunHeader(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const Arguments arguments(args, {"--offset", "--format"}, {"--help"});
    if (const auto stop = HelpOrOneFileUsage(arguments, "header", kHeaderHelp, out, err)) return *stop;
    const auto format = FormatOption(arguments, false);
    if (!format) return UsageError("header", "--format takes text or json", kHeaderHelp, err);
    const auto offsetText = arguments.Value("--offset");
    if (!offsetText) return UsageError("header", "needs --offset BYTE", kHeaderHelp, err);
    const auto offset = ParseByteCount(*offsetText);
    if (!offset) return UsageError("header", "--offset takes a byte position, not \"" + *offsetText + "\"", kHeaderHelp, err);

    const std::string& fileName = arguments.Positional().front();
    if (!CheckReadable(fileName, err)) return kExitFailure;
    const TFileAcceptance acceptance = DecideAcceptance(fileName);
    if (RefuseContainer(fileName, acceptance, err)) return kExitNotAudio;
    TFrameNavigator navigator;
    if (!navigator.OpenFile(fileName)) {
        err << "tamberly-cli: cannot open " << fileName << "\n";
        return kExitFailure;
    }
    if (*offset >= navigator.FileSize()) {
        err << "tamberly-cli header: offset " << *offset << " is past the end of " << fileName << " ("
            << navigator.FileSize() << " bytes)\n";
        return kExitUsage;
    }
    navigator.SetExpectation(acceptance.Probes.Layer, acceptance.Probes.SamplingIndex, acceptance.Probes.ExpectedVersion());  // for the next-header search
    TMPAFrame frame{};
    if (!navigator.ReadFrameAt(*offset, frame)) {
        err << "tamberly-cli: cannot read " << fileName << "\n";
        return kExitFailure;
    }
    if (MPAVersion(frame.Header) == kMPEGReserved) {
        err << "tamberly-cli: " << fileName << ": no MPEG audio frame header at "
            << TFrameNavigator::OffsetToText(*offset) << "\n";
        return kExitNotAudio;
    }
    if (!arguments.Value("--format")) {
        out << FrameDetailCopyText(BuildFrameDetailNodes(frame, navigator.AudioStart()));
        return kExitOk;
    }
    TFrameBytes bytes;
    if (!navigator.ReadFrameBytes(*offset, bytes)) {
        err << "tamberly-cli: cannot read " << fileName << "\n";
        return kExitFailure;
    }
    const TFrameAnatomy anatomy = BuildFrameAnatomy(frame, navigator.AudioStart(), &bytes);
    if (*format == OutputFormat::Json) WriteFrameAnatomyJson(anatomy, *offset, out);
    else out << FrameDetailCopyText(anatomy.Nodes);
    return kExitOk;
}

}  // namespace cli
