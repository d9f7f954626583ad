// ql_demux_mp2: the demultiplexer plugin for MPEG-2 program and transport
// streams, on the plugin skeleton (plugins/common/demux_plugin.h) over the
// core demo_demux_mp2. What is its own: the streams are listed program by
// program and a file of 128 streams or more is refused, a failed query
// closes the connection, and the PCM kinds are extracted into WAV files.

#include <cstdint>

#include "cores/demo_demux_mp2/demo_demux_mp2.h"
#include "platform/debug_output.h"
#include "plugins/common/demux_plugin.h"

// ---- declarations ----

namespace {

struct Mp2Description {
    static inline const auto kCore =
        demux_plugin::BindCore(mp2DemuxCreate, mp2DemuxOpen, mp2DemuxFree, mp2DemuxGetFileInfo, mp2DemuxGetStreamFormat,
                               mp2DemuxCreateParser, mp2DemuxFreeParser, mp2DemuxSetStream, mp2DemuxSeek, mp2DemuxPush);
    static constexpr demux_plugin::Lines kLines = {
        .create_failed = "Unable to create a MP2 demuxer instance.\n",
        .listing_failed = "Error in initialize_mp2_demux - mp2_stream_enum call...\n",
        // Written without a line feed, as the program query's line below.
        .file_info_failed = "Error in mp2_stream_enum - mp2DemuxGetFileInfo call...",
        .format_failed = "Error in mp2_stream_info - mp2DemuxGetStreamFormat call...\n",
        .query_no_demuxer = "Error in mp2_stream_info - no demuxer connected\n",
        .query_failed_in_listing = "Error in mp2_stream_enum - mp2_stream_info call...\n",
        .query_failed = "Error in GetStreamMediaType - mp2_stream_info call...\n",
        .to_file = {.no_demuxer = "Error: no demuxer connected\n",
                    .wrong_index = "Error in mp2_demux_to_file - wrong stream index\n",
                    .no_sink = "Unable to create an output bufstream.\n",
                    .no_parser = "Unable to create file parser.\n",
                    .no_stream = "Unable to set the stream in the parser.\n",
                    .no_seek = "Unable to seek to the beginning of the file.\n",
                    .write_error = "Error in mp2_demux_to_file - write error.\n"},
        .callback = {.no_demuxer = "Error in mp2_demux_callback - no demuxer connected.\n",
                     .wrong_index = "Error in mp2_demux_callback - wrong stream index\n",
                     .no_sink = "Unable to create an output bufstream [mp2_demux_callback].\n",
                     .no_parser = "Unable to create file parser [mp2_demux_callback].\n",
                     .no_stream = "Unable to set the stream in the parser [mp2_demux_callback].\n",
                     .no_seek = "Unable to seek to the beginning of the file [mp2_demux_callback].\n",
                     .write_error = "Error in mp2_demux_callback - write error.\n"},
    };
    static constexpr bool kCloseAfterFailedQuery = true;
    static constexpr bool kParserBeforeSink = false;

    static bool ListStreams(const mp2_file_info& info);
    static demux_plugin::FileOutput FileOutputFor(std::int32_t media_type) {
        return demux_plugin::PcmKindsAsWave(media_type);
    }
};

using Plugin = demux_plugin::Plugin<Mp2Description>;

}  // namespace

// ---- exports ----

TAMBERLY_DEMUX_PLUGIN_EXPORTS(Mp2Description)

namespace {

// ---- enumeration ----

// Program by program. A failed format query has closed the connection: the
// rest of that program is listed with type 0 and the listing fails, as
// nothing more can be asked without an instance.
bool Mp2Description::ListStreams(const mp2_file_info& info) {
    for (std::int32_t program = 0; program < info.program_count; ++program) {
        if (Plugin::CurrentInstance() == nullptr) return false;
        mp2_program_info program_info{};
        if (mp2DemuxGetProgramInfo(Plugin::CurrentInstance(), &program_info, program) != 0) {
            platform::OutputDebugLineF("Error in mp2_stream_enum - mp2DemuxGetProgramInfo call...");
            Plugin::Close();
            return false;
        }
        for (std::int32_t stream = 0; stream < program_info.stream_count; ++stream) {
            if (!Plugin::AddStream(program, stream)) {
                platform::OutputDebugLineF("Warning: Video file streams count exceeds or equals %d.\n",
                                           QL_DEMUX_MAX_STREAMS);
                return false;
            }
        }
    }
    return Plugin::CurrentInstance() != nullptr;
}

}  // namespace
