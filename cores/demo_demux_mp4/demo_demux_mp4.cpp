// The MP4 core: the track core's calls under this core's names.

#include "cores/demo_demux_mp4/demo_demux_mp4.h"

track_demux* TAMBERLY_CDECL mp4DemuxCreate(void* reserved, const track_demux_options* options,
                                          const track_demux_settings* settings) {
    if (settings == nullptr || settings->container != TRACK_CONTAINER_MP4) return nullptr;
    return trackDemuxCreate(reserved, options, settings);
}

void TAMBERLY_CDECL mp4DemuxFree(track_demux* demux) { trackDemuxFree(demux); }

int32_t TAMBERLY_CDECL mp4DemuxOpen(track_demux* demux, int32_t flags, const char* file_name) {
    return trackDemuxOpen(demux, flags, file_name);
}

int32_t TAMBERLY_CDECL mp4DemuxGetFileInfo(track_demux* demux, track_file_info* info) {
    return trackDemuxGetFileInfo(demux, info);
}

int32_t TAMBERLY_CDECL mp4DemuxGetStreamFormat(track_demux* demux, track_stream_format* format, int32_t stream) {
    return trackDemuxGetStreamFormat(demux, format, stream);
}

track_demux_parser* TAMBERLY_CDECL mp4DemuxCreateParser(track_demux* demux, const track_parser_settings* settings) {
    return trackDemuxCreateParser(demux, settings);
}

void TAMBERLY_CDECL mp4DemuxFreeParser(track_demux* demux, track_demux_parser* parser) {
    trackDemuxFreeParser(demux, parser);
}

int32_t TAMBERLY_CDECL mp4DemuxAddStream(track_demux* demux, track_demux_parser* parser,
                                         const track_stream_selection* selection) {
    return trackDemuxAddStream(demux, parser, selection);
}

int32_t TAMBERLY_CDECL mp4DemuxSeek(track_demux* demux, track_demux_parser* parser, int32_t position, int32_t origin) {
    return trackDemuxSeek(demux, parser, position, origin);
}

int32_t TAMBERLY_CDECL mp4DemuxPush(track_demux* demux, track_demux_parser* parser) {
    return trackDemuxPush(demux, parser);
}
