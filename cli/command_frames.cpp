#include <algorithm>
#include <ostream>

#include "cli/cli_options.h"
#include "cli/commands.h"
#include "cli/file_acceptance.h"
#include "cli/frame_rows.h"
#include "cli/progress_bar.h"
#include "viewer/model/FrameNavigator.h"

namespace cli {

const char* const kFramesHelp =
    "usage: tamberly-cli frames FILE [--from BYTE] [--rows N | --all] [--format text|csv|json]\n"
    "\n"
    "Lists MPEG audio frames, as the viewer's frame list shows them:\n"
    "Offset, Length (distance to the next frame header), Frame Time, Layer,\n"
    "Sampling Rate, Bitrate and Mode. The list starts at the first usable frame\n"
    "header at or after BYTE and follows each frame to the next header. Only\n"
    "headers of the layer and sampling rate that dominate the file's first MiB\n"
    "are listed; the last frame of a file is never listed, as its length is\n"
    "unknown.\n"
    "\n"
    "  --from BYTE      byte position to start from (decimal or 0x hex; default 0)\n"
    "  --rows N         frames on the page, 1 to 256 (default 32)\n"
    "  --all            every frame to the end of the file, page after page\n"
    "  --format FORM    text (aligned columns, the default), csv (captions first)\n"
    "                   or json ({\"file\": ..., \"frames\": [{\"offset\": ...}, ...]})\n"
    "\n"
    "Examples:\n"
    "  tamberly-cli frames take1.mp2 --rows 10\n"
    "  tamberly-cli frames take1.mp2 --from 0x1F400\n"
    "  tamberly-cli frames take1.mp2 --all --format csv > take1-frames.csv\n"
    "\n"
    "Exit codes: 0 listed, 1 FILE unreadable, 2 usage, 3 no MPEG audio frame found\n"
    "or FILE is a container (list its streams with \"tamberly-cli streams FILE\").\n";

namespace {

constexpr int kDefaultRows = 32;

struct FramesOptions {
    std::int64_t from = 0;
    int rows = kDefaultRows;
    bool all = false;
    OutputFormat format = OutputFormat::Text;
};

int ParseFramesOptions(const Arguments& arguments, FramesOptions& options, std::ostream& err) {
    if (!arguments.Error().empty() || arguments.Positional().size() != 1)
        return UsageError("frames", arguments.Error().empty() ? "expects one FILE" : arguments.Error(), kFramesHelp,
                          err);
    if (const auto value = arguments.Value("--from")) {
        const auto parsed = ParseByteCount(*value);
        if (!parsed) return UsageError("frames", "--from takes a byte position, not \"" + *value + "\"", kFramesHelp, err);
        options.from = *parsed;
    }
    if (const auto value = arguments.Value("--rows")) {
        const auto parsed = ParseByteCount(*value);
        if (!parsed || *parsed < 1 || *parsed > TFrameNavigator::kPageCapacity)
            return UsageError("frames", "--rows takes a number from 1 to 256, not \"" + *value + "\"", kFramesHelp,
                              err);
        options.rows = static_cast<int>(*parsed);
    }
    options.all = arguments.Has("--all");
    if (options.all && arguments.Has("--rows")) return UsageError("frames", "--rows and --all exclude each other", kFramesHelp, err);
    const auto format = FormatOption(arguments, true);
    if (!format) return UsageError("frames", "--format takes text, csv or json", kFramesHelp, err);
    options.format = *format;
    return kExitOk;
}

// Writes the page's rows; the frames written.
int WritePage(const TFrameNavigator& navigator, FrameRowWriter& writer) {
    const int count = navigator.FramesCount();
    for (int row = 0; row < count; ++row) writer.Row(navigator.ListView1Data(row));
    return count;
}

// One page of rows from `from`.
bool WriteOnePage(TFrameNavigator& navigator, std::int64_t from, int rows, FrameRowWriter& writer,
                  std::int64_t& listed) {
    if (!navigator.RefreshPosition(from, rows)) return false;
    listed = WritePage(navigator, writer);
    return true;
}

// Every frame from `from` on: each page starts at the header that follows the
// last frame of the page before. A window without a usable pair of headers is
// stepped over by half its size, so that no frame is missed at its end. Stops
// early when out can no longer be written (the caller reports that).
bool WriteAllPages(TFrameNavigator& navigator, std::int64_t from, FrameRowWriter& writer, std::int64_t& listed,
                   const std::ostream& out) {
    ProgressBar progress("frames");
    const std::int64_t size = navigator.FileSize();
    std::int64_t position = from;
    while (position < size && out.good()) {
        if (!navigator.RefreshPosition(position, TFrameNavigator::kPageCapacity)) return false;
        const int count = WritePage(navigator, writer);
        listed += count;
        if (count == 0) {
            position += TFrameNavigator::kSearchWindow / 2;
        } else {
            const TMPAFrame last = navigator.Frame(count - 1);
            position = last.Offset + last.PackLength;
        }
        progress.Update(static_cast<std::uint64_t>(std::min(position, size)), static_cast<std::uint64_t>(size));
    }
    return true;
}

}  // namespace

int RunFrames(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const Arguments arguments(args, {"--from", "--rows", "--format"}, {"--help", "--all"});
    if (arguments.Has("--help")) {
        out << kFramesHelp;
        return kExitOk;
    }
    FramesOptions options;
    if (const int usage = ParseFramesOptions(arguments, options, err); usage != kExitOk) return usage;

    const std::string& fileName = arguments.Positional().front();
    if (!CheckReadable(fileName, err)) return kExitFailure;
    const TFileAcceptance acceptance = DecideAcceptance(fileName);
    if (RefuseContainer(fileName, acceptance, err)) return kExitNotAudio;
    const bool dominant = acceptance.Probes.MPAES;
    if (!dominant)
        err << "tamberly-cli frames: " << fileName
            << ": no dominant MPEG-1 audio layer and sampling rate; listing what matches\n";

    TFrameNavigator navigator;
    if (!navigator.OpenFile(fileName)) {
        err << "tamberly-cli: cannot open " << fileName << "\n";
        return kExitFailure;
    }
    navigator.SetExpectation(acceptance.Probes.Layer, acceptance.Probes.SamplingIndex, acceptance.Probes.ExpectedVersion());
    const auto writer = MakeFrameRowWriter(options.format, out);
    writer->Begin(fileName);
    std::int64_t listed = 0;
    const bool read = options.all ? WriteAllPages(navigator, options.from, *writer, listed, out)
                                  : WriteOnePage(navigator, options.from, options.rows, *writer, listed);
    writer->End();
    if (!read) {
        err << "tamberly-cli: cannot read " << fileName << "\n";
        return kExitFailure;
    }
    if (listed == 0 && !dominant) {
        err << "tamberly-cli: " << fileName << " is not an MPEG audio stream\n";
        return kExitNotAudio;
    }
    return kExitOk;
}

}  // namespace cli
