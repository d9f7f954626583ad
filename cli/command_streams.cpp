#include <cstdio>
#include <ostream>

#include "cli/cli_options.h"
#include "cli/commands.h"
#include "cli/container_streams.h"

namespace cli {

const char* const kStreamsHelp =
    "usage: tamberly-cli streams FILE [--format text|json]\n"
    "\n"
    "Lists the streams of a container (MPEG-2 program or transport stream, MXF,\n"
    "...) as the demultiplexer plugins beside the program see them: the plugins\n"
    "are tried in the viewer's order and the first that reads the file answers.\n"
    "Each stream has its index (what \"extract --stream\" takes), program ID,\n"
    "stream ID, media type code and media type name.\n"
    "\n"
    "  --format FORM  text (aligned columns, the default) or json\n"
    "\n"
    "Examples:\n"
    "  tamberly-cli streams broadcast.ts\n"
    "  tamberly-cli streams broadcast.ts --format json\n"
    "\n"
    "Exit codes: 0 listed, 1 FILE unreadable, 2 usage, 3 no plugin reads FILE.\n";

namespace {

void WriteText(const std::vector<TStreamInfo>& streams, std::ostream& out) {
    out << "Index  Prog ID  Stream ID  Type  Stream Type\n";
    for (std::size_t index = 0; index < streams.size(); ++index) {
        const TStreamInfo& info = streams[index];
        char line[64];
        std::snprintf(line, sizeof line, "%5zu  %7d  %9d  %4d  ", index, info.ProgramID, info.StreamID, info.MediaType);
        out << line << MediaTypeToStr(info.MediaType) << "\n";
    }
}

void WriteJson(const std::string& fileName, const std::vector<TStreamInfo>& streams, std::ostream& out) {
    out << "{\"file\": " << JsonString(fileName) << ", \"streams\": [";
    for (std::size_t index = 0; index < streams.size(); ++index) {
        const TStreamInfo& info = streams[index];
        out << (index == 0 ? "\n" : ",\n") << "  {\"index\": " << index << ", \"program_id\": " << info.ProgramID
            << ", \"stream_id\": " << info.StreamID << ", \"media_type\": " << info.MediaType
            << ", \"media_type_name\": " << JsonString(MediaTypeToStr(info.MediaType)) << "}";
    }
    out << (streams.empty() ? "]}\n" : "\n]}\n");
}

}  // namespace

int RunStreams(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const Arguments arguments(args, {"--format"}, {"--help"});
    if (const auto stop = HelpOrOneFileUsage(arguments, "streams", kStreamsHelp, out, err)) return *stop;
    const auto format = FormatOption(arguments, false);
    if (!format) return UsageError("streams", "--format takes text or json", kStreamsHelp, err);
    const std::string& fileName = arguments.Positional().front();
    if (!CheckReadable(fileName, err)) return kExitFailure;
    TQlDemuxEx demux;
    std::vector<TStreamInfo> streams;
    if (const int failed = OpenContainer(fileName, demux, streams, err); failed != kExitOk) return failed;
    if (*format == OutputFormat::Json)
        WriteJson(fileName, streams, out);
    else
        WriteText(streams, out);
    return kExitOk;
}

}  // namespace cli
