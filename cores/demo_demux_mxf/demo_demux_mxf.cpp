// The MXF core: the track core's calls for an MXF instance, with this
// core's records. An mxf_demux is the track core's instance and an
// mxf_demux_parser its parser, under this core's names.

#include "cores/demo_demux_mxf/demo_demux_mxf.h"

#include <cstring>

#include "cores/track_demux/track_demux.h"

namespace {

track_demux* Track(mxf_demux* demux) { return reinterpret_cast<track_demux*>(demux); }
track_demux_parser* Track(mxf_demux_parser* parser) { return reinterpret_cast<track_demux_parser*>(parser); }

}  // namespace

// ---- instance ----

mxf_demux* TAMBERLY_CDECL mxfDemuxCreate(void* reserved, const mxf_demux_options* options,
                                        const mxf_demux_settings* settings) {
    if (options == nullptr || settings == nullptr || settings->essence_tracks != 1) return nullptr;
    const track_demux_options track_options{};
    track_demux_settings track_settings{};
    track_settings.container = TRACK_CONTAINER_MXF;
    return reinterpret_cast<mxf_demux*>(trackDemuxCreate(reserved, &track_options, &track_settings));
}

void TAMBERLY_CDECL mxfDemuxFree(mxf_demux* demux) { trackDemuxFree(Track(demux)); }

int32_t TAMBERLY_CDECL mxfDemuxOpen(mxf_demux* demux, int32_t flags, const char* file_name) {
    return trackDemuxOpen(Track(demux), flags, file_name);
}

// ---- tracks ----

int32_t TAMBERLY_CDECL mxfDemuxGetFileInfo(mxf_demux* demux, mxf_file_info* info) {
    track_file_info track_info{};
    if (info == nullptr || trackDemuxGetFileInfo(Track(demux), &track_info) != 0) return -1;
    std::memset(info, 0, sizeof *info);
    info->stream_count = track_info.stream_count;
    return 0;
}

int32_t TAMBERLY_CDECL mxfDemuxGetStreamFormat(mxf_demux* demux, mxf_stream_format* format, int32_t stream) {
    track_stream_format track_format{};
    if (format == nullptr || trackDemuxGetStreamFormat(Track(demux), &track_format, stream) != 0) return -1;
    std::memset(format, 0, sizeof *format);
    format->media_type = track_format.media_type;
    return 0;
}

// ---- extraction ----

mxf_demux_parser* TAMBERLY_CDECL mxfDemuxCreateParser(mxf_demux* demux, const mxf_parser_settings* settings) {
    if (settings == nullptr) return nullptr;
    const track_parser_settings track_settings{};
    return reinterpret_cast<mxf_demux_parser*>(trackDemuxCreateParser(Track(demux), &track_settings));
}

void TAMBERLY_CDECL mxfDemuxFreeParser(mxf_demux* demux, mxf_demux_parser* parser) {
    trackDemuxFreeParser(Track(demux), Track(parser));
}

int32_t TAMBERLY_CDECL mxfDemuxAddStream(mxf_demux* demux, mxf_demux_parser* parser,
                                         const mxf_stream_selection* selection) {
    if (selection == nullptr) return -1;
    track_stream_selection track_selection{};
    track_selection.stream = selection->stream;
    track_selection.output = selection->output;
    return trackDemuxAddStream(Track(demux), Track(parser), &track_selection);
}

int32_t TAMBERLY_CDECL mxfDemuxSeek(mxf_demux* demux, mxf_demux_parser* parser, int32_t position, int32_t origin) {
    return trackDemuxSeek(Track(demux), Track(parser), position, origin);
}

int32_t TAMBERLY_CDECL mxfDemuxPush(mxf_demux* demux, mxf_demux_parser* parser) {
    return trackDemuxPush(Track(demux), Track(parser));
}
