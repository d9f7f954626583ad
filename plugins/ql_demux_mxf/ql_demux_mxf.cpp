// ql_demux_mxf: the demultiplexer plugin for MXF files, on the plugin
// skeleton (plugins/common/demux_plugin.h) over the core demo_demux_mxf.
// What is its own: the tracks are listed as program 0 (the first 128; more
// are left out without a warning), a failed query keeps the connection,
// every track goes out raw through the plain file sink, and an extraction
// creates its parser before its sink.

#include <cstdint>

#include "cores/demo_demux_mxf/demo_demux_mxf.h"
#include "plugins/common/demux_plugin.h"

// ---- declarations ----

namespace {

struct MxfDescription {
    static inline const auto kCore =
        demux_plugin::BindCore(mxfDemuxCreate, mxfDemuxOpen, mxfDemuxFree, mxfDemuxGetFileInfo, mxfDemuxGetStreamFormat,
                               mxfDemuxCreateParser, mxfDemuxFreeParser, mxfDemuxAddStream, mxfDemuxSeek, mxfDemuxPush);
    static constexpr demux_plugin::Lines kLines = {
        .create_failed = "Unable create a MXF demuxer instance.\n",
        .listing_failed = "Error in initialize_mxf_demux - mxf_stream_enum call...\n",
        .file_info_failed = "Error in mxf_stream_enum - mxfDemuxGetFileInfo call...\n",
        .format_failed = "Unable to get stream format for stream %d\n",
        .query_no_demuxer = "Error in mxf_stream_info - no demuxer connected\n",
        .query_failed_in_listing = "Error in mxf_stream_enum - mxf_stream_info call...\n",
        .query_failed = "Error in GetStreamMediaType - mxf_stream_info call...\n",
        // An output that cannot be created ends an extraction without a line.
        .to_file = {.no_demuxer = "Error: no demuxer connected\n",
                    .wrong_index = "Error in mxf_demux_to_file - wrong stream index\n",
                    .no_sink = nullptr,
                    .no_parser = "Unable to create new parser\n",
                    .no_stream = "Unable to add stream.\n",
                    .no_seek = "Unable to seek on start position.\n",
                    .write_error = "Error in mxf_demux_to_file - write error.\n"},
        .callback = {.no_demuxer = "Error in mxf_demux_callback - no demuxer connected.\n",
                     .wrong_index = "Error in mxf_demux_callback - wrong stream index.\n",
                     .no_sink = nullptr,
                     .no_parser = "Unable to create new parser [mxf_demux_callback].\n",
                     .no_stream = "Unable to add stream [mxf_demux_callback].\n",
                     .no_seek = "Unable to seek on start position [mxf_demux_callback].\n",
                     .write_error = "Error in mxf_demux_callback - write error.\n"},
    };
    static constexpr bool kCloseAfterFailedQuery = false;
    static constexpr bool kParserBeforeSink = true;

    static void Configure(mxf_demux_settings& settings) { settings.essence_tracks = 1; }
    static bool ListStreams(const mxf_file_info& info);
    static demux_plugin::FileOutput FileOutputFor(std::int32_t /*media_type*/) {
        return demux_plugin::FileOutput::Plain;  // PCM included
    }
};

}  // namespace

// ---- exports ----

TAMBERLY_DEMUX_PLUGIN_EXPORTS(MxfDescription)

namespace {

// ---- enumeration ----

// The tracks in file order as program 0, as many as the table holds; a
// track whose format cannot be read is listed with type 0.
bool MxfDescription::ListStreams(const mxf_file_info& info) {
    const std::int32_t tracks = info.stream_count < 0 ? 0 : info.stream_count;
    for (std::int32_t track = 0; track < tracks && track < QL_DEMUX_MAX_STREAMS; ++track) {
        (void)demux_plugin::Plugin<MxfDescription>::AddStream(0, track);
    }
    return true;
}

}  // namespace
