#include <algorithm>
#include <ostream>

#include "cli/cli_options.h"
#include "cli/commands.h"
#include "viewer/model/FrameNavigator.h"

namespace cli {

const char* const kFramesHelp =
    "usage: tamberly-cli frames FILE [--from BYTE] [--rows N]\n"
    "\n"
    "Lists one page of MPEG-1 audio frames, as the viewer's frame list shows it:\n"
    "Offset, Length (distance to the next frame header), Frame Time, Layer,\n"
    "Sampling Rate, Bitrate and Mode. The page starts at the first usable frame\n"
    "header at or after BYTE and follows each frame to the next header. Only\n"
    "headers of the layer and sampling rate that dominate the file's first MiB\n"
    "are listed; the last frame of a file is never listed, as its length is\n"
    "unknown.\n"
    "\n"
    "  --from BYTE   byte position to start from (decimal or 0x hex; default 0)\n"
    "  --rows N      frames on the page, 1 to 256 (default 32)\n";

namespace {

constexpr int kDefaultRows = 32;

void PrintRow(std::ostream& out, const TFrameNavigator::RowTexts& texts) {
    // Widest text of each column; one space separates the columns.
    static constexpr int kWidths[TFrameNavigator::kColumnCount] = {18, 6, 10, 9, 13, 8, 0};
    for (int column = 0; column < TFrameNavigator::kColumnCount; ++column) {
        const std::string& text = texts[static_cast<std::size_t>(column)];
        out << text;
        const int pad = kWidths[column] - static_cast<int>(text.size());
        if (column + 1 < TFrameNavigator::kColumnCount) out << std::string(static_cast<std::size_t>(std::max(pad, 0) + 1), ' ');
    }
    out << '\n';
}

bool ParseFramesOptions(const Arguments& arguments, std::int64_t& from, int& rows, std::ostream& err) {
    if (const auto value = arguments.Value("--from")) {
        const auto parsed = ParseByteCount(*value);
        if (!parsed) {
            err << "tamberly-cli frames: --from takes a byte position, not \"" << *value << "\"\n";
            return false;
        }
        from = *parsed;
    }
    if (const auto value = arguments.Value("--rows")) {
        const auto parsed = ParseByteCount(*value);
        if (!parsed || *parsed < 1 || *parsed > TFrameNavigator::kPageCapacity) {
            err << "tamberly-cli frames: --rows takes a number from 1 to 256, not \"" << *value << "\"\n";
            return false;
        }
        rows = static_cast<int>(*parsed);
    }
    return true;
}

}  // namespace

int RunFrames(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const Arguments arguments(args, {"--from", "--rows"}, {"--help"});
    if (arguments.Has("--help")) {
        out << kFramesHelp;
        return kExitOk;
    }
    if (!arguments.Error().empty() || arguments.Positional().size() != 1) {
        err << "tamberly-cli frames: " << (arguments.Error().empty() ? "expects one FILE" : arguments.Error())
            << "\n" << kFramesHelp;
        return kExitUsage;
    }
    std::int64_t from = 0;
    int rows = kDefaultRows;
    if (!ParseFramesOptions(arguments, from, rows, err)) return kExitUsage;

    const std::string& fileName = arguments.Positional().front();
    if (!CheckReadable(fileName, err)) return kExitFailure;
    std::int32_t layer = -1;
    std::int32_t samplingIndex = -1;
    if (!IsMPAES(fileName, layer, samplingIndex))
        err << "tamberly-cli frames: " << fileName
            << ": no dominant MPEG-1 audio layer and sampling rate; listing what matches\n";

    TFrameNavigator navigator;
    if (!navigator.OpenFile(fileName)) {
        err << "tamberly-cli: cannot open " << fileName << "\n";
        return kExitFailure;
    }
    navigator.SetExpectation(layer, samplingIndex);
    if (!navigator.RefreshPosition(from, rows)) {
        err << "tamberly-cli frames: cannot read " << fileName << "\n";
        return kExitFailure;
    }
    TFrameNavigator::RowTexts captions;
    std::copy(TFrameNavigator::ColumnCaptions().begin(), TFrameNavigator::ColumnCaptions().end(), captions.begin());
    PrintRow(out, captions);
    for (int row = 0; row < navigator.FramesCount(); ++row) PrintRow(out, navigator.ListView1Data(row));
    return kExitOk;
}

}  // namespace cli
