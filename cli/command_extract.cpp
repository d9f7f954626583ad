#include <cerrno>
#include <cstring>
#include <ostream>

#include "cli/cli_options.h"
#include "cli/commands.h"
#include "cli/container_streams.h"
#include "cli/pcm_output.h"
#include "cli/progress_bar.h"
#include "platform/atomic_output.h"

namespace cli {

const char* const kExtractHelp =
    "usage: tamberly-cli extract FILE --stream N [-o OUT] [--force]\n"
    "\n"
    "Copies one elementary stream out of a container through the demultiplexer\n"
    "plugins, as the viewer's extraction dialog does. N is the stream's index\n"
    "in \"tamberly-cli streams FILE\". Without -o the output is named as the\n"
    "dialog proposes, in the current folder: FILE's base name, \"_\", the first\n"
    "free four-digit number and the media type's extension\n"
    "(broadcast.ts -> broadcast_0000.mpa). DVD LPCM, HDMV LPCM and AES 302M\n"
    "streams become WAVE files (.wav); other PCM streams are written as the\n"
    "container carries them, as raw samples (.pcm). The stream is written to a\n"
    "temporary file beside OUT that takes OUT's name only when complete. An\n"
    "existing file is never replaced unless --force is given, and then only a\n"
    "regular file.\n"
    "\n"
    "  --stream N   index of the stream to extract\n"
    "  -o OUT       output file name\n"
    "  --force      replace OUT when it exists\n"
    "\n"
    "Examples:\n"
    "  tamberly-cli extract broadcast.ts --stream 1\n"
    "  tamberly-cli extract broadcast.ts --stream 1 -o audio.mp2 --force\n"
    "\n"
    "Exit codes: 0 extracted, 1 FILE unreadable or OUT not written (also when it\n"
    "exists), 2 usage (also no stream N), 3 no plugin reads FILE.\n";

int RunExtract(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const Arguments arguments(args, {"--stream", "-o"}, {"--help", "--force"});
    if (const auto stop = HelpOrOneFileUsage(arguments, "extract", kExtractHelp, out, err)) return *stop;
    const auto streamText = arguments.Value("--stream");
    if (!streamText) return UsageError("extract", "needs --stream N", kExtractHelp, err);
    const auto index = ParseByteCount(*streamText);
    if (!index) return UsageError("extract", "--stream takes a stream index, not \"" + *streamText + "\"", kExtractHelp, err);

    const std::string& fileName = arguments.Positional().front();
    if (!CheckReadable(fileName, err)) return kExitFailure;
    TQlDemuxEx demux;
    std::vector<TStreamInfo> streams;
    if (const int failed = OpenContainer(fileName, demux, streams, err); failed != kExitOk) return failed;
    if (*index >= static_cast<std::int64_t>(streams.size())) {
        err << "tamberly-cli extract: " << fileName << " has no stream " << *index << " (it has " << streams.size()
            << ")\n";
        return kExitUsage;
    }
    const auto stream = static_cast<std::int32_t>(*index);
    const std::int32_t mediaType = streams[static_cast<std::size_t>(stream)].MediaType;
    const bool replace = arguments.Has("--force");
    const auto named = arguments.Value("-o");
    const TPcmOutput pcm = PcmOutputOf(mediaType);
    const std::int32_t namingType = NamingMediaType(mediaType);
    std::string outName = named.value_or(MakeOutputFileName({}, fileName, namingType));
    if (IsInputFile(outName, fileName, err) || !CheckOutputName(outName, replace, err)) return kExitFailure;
    platform::AtomicOutputFile output;
    if (!CreateOutput(output, outName, err)) return kExitFailure;

    std::vector<std::uint8_t> buffer(kTransferBufferSize);
    ProgressBar progress("extract");
    const auto showProgress = [&](std::int64_t size) {
        progress.Update(static_cast<std::uint64_t>(size), 0);
        return true;
    };
    const TExtraction extraction = pcm == TPcmOutput::kWave
                                       ? ExtractThroughPlugin(demux, stream, output, showProgress)
                                       : ExtractStreamToHandle(demux, stream, output.Handle(), buffer, showProgress);
    progress.Clear();
    if (extraction.end == TExtractionEnd::kWriteFailed) {
        err << "tamberly-cli: cannot write " << outName << ": " << std::strerror(extraction.error) << "\n";
        return kExitFailure;
    }
    if (extraction.end == TExtractionEnd::kPluginHung) {
        err << "tamberly-cli extract: the demultiplexer plugin did not stop when asked and was left running; stream "
            << stream << " of " << fileName << " not written\n";
        return kExitFailure;
    }
    if (extraction.end != TExtractionEnd::kCompleted) {
        err << "tamberly-cli extract: the demultiplexer failed part-way through stream " << stream << " of "
            << fileName << "; nothing written\n";
        return kExitFailure;
    }
    const TOutputNameKind kind = !named ? TOutputNameKind::kProposed
                                 : replace ? TOutputNameKind::kReplace
                                           : TOutputNameKind::kPicked;
    if (!CommitExtractedFile(output, outName, kind, {}, fileName, namingType)) {
        (void)CheckOutputName(outName, replace, err);
        err << "tamberly-cli: cannot write " << outName << "\n";
        return kExitFailure;
    }
    const std::int64_t written = extraction.written;
    out << outName << ": " << written << " bytes of stream " << stream << " ("
        << MediaTypeToStr(streams[static_cast<std::size_t>(stream)].MediaType) << ")" << PcmOutputNote(pcm) << "\n";
    return kExitOk;
}

}  // namespace cli
