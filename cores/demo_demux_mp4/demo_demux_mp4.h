/* demo_demux_mp4: the core demultiplexer for QuickTime and MP4 files without ProRes video, over
 * libavformat: the track core (cores/track_demux/track_demux.h) under its
 * own names, for instances of the MP4 kind only. Every call answers as the
 * track core's call of the same role; mp4DemuxCreate answers null unless the
 * settings name TRACK_CONTAINER_MP4. Plain C. */
#ifndef TAMBERLY_CORES_DEMO_DEMUX_MP4_H
#define TAMBERLY_CORES_DEMO_DEMUX_MP4_H

#include "cores/track_demux/track_demux.h"

#ifdef DEMO_DEMUX_MP4_BUILD
#define DEMO_DEMUX_MP4_API TAMBERLY_EXPORT
#else
#define DEMO_DEMUX_MP4_API TAMBERLY_IMPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

DEMO_DEMUX_MP4_API track_demux* TAMBERLY_CDECL mp4DemuxCreate(void* reserved, const track_demux_options* options,
                                                              const track_demux_settings* settings);
DEMO_DEMUX_MP4_API void TAMBERLY_CDECL mp4DemuxFree(track_demux* demux);
DEMO_DEMUX_MP4_API int32_t TAMBERLY_CDECL mp4DemuxOpen(track_demux* demux, int32_t flags, const char* file_name);
DEMO_DEMUX_MP4_API int32_t TAMBERLY_CDECL mp4DemuxGetFileInfo(track_demux* demux, track_file_info* info);
DEMO_DEMUX_MP4_API int32_t TAMBERLY_CDECL mp4DemuxGetStreamFormat(track_demux* demux, track_stream_format* format,
                                                                  int32_t stream);
DEMO_DEMUX_MP4_API track_demux_parser* TAMBERLY_CDECL mp4DemuxCreateParser(track_demux* demux,
                                                                           const track_parser_settings* settings);
DEMO_DEMUX_MP4_API void TAMBERLY_CDECL mp4DemuxFreeParser(track_demux* demux, track_demux_parser* parser);
DEMO_DEMUX_MP4_API int32_t TAMBERLY_CDECL mp4DemuxAddStream(track_demux* demux, track_demux_parser* parser,
                                                            const track_stream_selection* selection);
DEMO_DEMUX_MP4_API int32_t TAMBERLY_CDECL mp4DemuxSeek(track_demux* demux, track_demux_parser* parser,
                                                       int32_t position, int32_t origin);
DEMO_DEMUX_MP4_API int32_t TAMBERLY_CDECL mp4DemuxPush(track_demux* demux, track_demux_parser* parser);

#ifdef __cplusplus
}
#endif

#endif
