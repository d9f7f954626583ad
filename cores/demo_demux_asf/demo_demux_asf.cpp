// The ASF core: the track core's calls under this core's names.

#include "cores/demo_demux_asf/demo_demux_asf.h"

track_demux* TAMBERLY_CDECL asfDemuxCreate(void* reserved, const track_demux_options* options,
                                          const track_demux_settings* settings) {
    if (settings == nullptr || settings->container != TRACK_CONTAINER_ASF) return nullptr;
    return trackDemuxCreate(reserved, options, settings);
}

void TAMBERLY_CDECL asfDemuxFree(track_demux* demux) { trackDemuxFree(demux); }

int32_t TAMBERLY_CDECL asfDemuxOpen(track_demux* demux, int32_t flags, const char* file_name) {
    return trackDemuxOpen(demux, flags, file_name);
}

int32_t TAMBERLY_CDECL asfDemuxGetFileInfo(track_demux* demux, track_file_info* info) {
    return trackDemuxGetFileInfo(demux, info);
}

int32_t TAMBERLY_CDECL asfDemuxGetStreamFormat(track_demux* demux, track_stream_format* format, int32_t stream) {
    return trackDemuxGetStreamFormat(demux, format, stream);
}

track_demux_parser* TAMBERLY_CDECL asfDemuxCreateParser(track_demux* demux, const track_parser_settings* settings) {
    return trackDemuxCreateParser(demux, settings);
}

void TAMBERLY_CDECL asfDemuxFreeParser(track_demux* demux, track_demux_parser* parser) {
    trackDemuxFreeParser(demux, parser);
}

int32_t TAMBERLY_CDECL asfDemuxAddStream(track_demux* demux, track_demux_parser* parser,
                                         const track_stream_selection* selection) {
    return trackDemuxAddStream(demux, parser, selection);
}

int32_t TAMBERLY_CDECL asfDemuxSeek(track_demux* demux, track_demux_parser* parser, int32_t position, int32_t origin) {
    return trackDemuxSeek(demux, parser, position, origin);
}

int32_t TAMBERLY_CDECL asfDemuxPush(track_demux* demux, track_demux_parser* parser) {
    return trackDemuxPush(demux, parser);
}
