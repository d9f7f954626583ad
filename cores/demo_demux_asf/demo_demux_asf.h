/* demo_demux_asf: the core demultiplexer for ASF files, over
 * libavformat: the track core (cores/track_demux/track_demux.h) under its
 * own names, for instances of the ASF kind only. Every call answers as the
 * track core's call of the same role; asfDemuxCreate answers null unless the
 * settings name TRACK_CONTAINER_ASF. Plain C. */
#ifndef TAMBERLY_CORES_DEMO_DEMUX_ASF_H
#define TAMBERLY_CORES_DEMO_DEMUX_ASF_H

#include "cores/track_demux/track_demux.h"

#ifdef DEMO_DEMUX_ASF_BUILD
#define DEMO_DEMUX_ASF_API TAMBERLY_EXPORT
#else
#define DEMO_DEMUX_ASF_API TAMBERLY_IMPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

DEMO_DEMUX_ASF_API track_demux* TAMBERLY_CDECL asfDemuxCreate(void* reserved, const track_demux_options* options,
                                                              const track_demux_settings* settings);
DEMO_DEMUX_ASF_API void TAMBERLY_CDECL asfDemuxFree(track_demux* demux);
DEMO_DEMUX_ASF_API int32_t TAMBERLY_CDECL asfDemuxOpen(track_demux* demux, int32_t flags, const char* file_name);
DEMO_DEMUX_ASF_API int32_t TAMBERLY_CDECL asfDemuxGetFileInfo(track_demux* demux, track_file_info* info);
DEMO_DEMUX_ASF_API int32_t TAMBERLY_CDECL asfDemuxGetStreamFormat(track_demux* demux, track_stream_format* format,
                                                                  int32_t stream);
DEMO_DEMUX_ASF_API track_demux_parser* TAMBERLY_CDECL asfDemuxCreateParser(track_demux* demux,
                                                                           const track_parser_settings* settings);
DEMO_DEMUX_ASF_API void TAMBERLY_CDECL asfDemuxFreeParser(track_demux* demux, track_demux_parser* parser);
DEMO_DEMUX_ASF_API int32_t TAMBERLY_CDECL asfDemuxAddStream(track_demux* demux, track_demux_parser* parser,
                                                            const track_stream_selection* selection);
DEMO_DEMUX_ASF_API int32_t TAMBERLY_CDECL asfDemuxSeek(track_demux* demux, track_demux_parser* parser,
                                                       int32_t position, int32_t origin);
DEMO_DEMUX_ASF_API int32_t TAMBERLY_CDECL asfDemuxPush(track_demux* demux, track_demux_parser* parser);

#ifdef __cplusplus
}
#endif

#endif
