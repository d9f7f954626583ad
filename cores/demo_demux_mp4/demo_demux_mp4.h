/* demo_demux_mp4: the core demultiplexer for QuickTime and MP4 files without ProRes video, over
 * libavformat: the track core (cores/track_demux/track_demux.h) under the
 * names mp4DemuxCreate, mp4DemuxOpen, mp4DemuxFree, mp4DemuxGetFileInfo,
 * mp4DemuxGetStreamFormat, mp4DemuxCreateParser, mp4DemuxFreeParser,
 * mp4DemuxAddStream, mp4DemuxSeek and mp4DemuxPush, for instances of the
 * TRACK_CONTAINER_MP4 kind only (named_track_core.h). Plain C. */
#ifndef TAMBERLY_CORES_DEMO_DEMUX_MP4_H
#define TAMBERLY_CORES_DEMO_DEMUX_MP4_H

#include "cores/track_demux/named_track_core.h"

#ifdef DEMO_DEMUX_MP4_BUILD
#define DEMO_DEMUX_MP4_API TAMBERLY_EXPORT
#else
#define DEMO_DEMUX_MP4_API TAMBERLY_IMPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

TAMBERLY_NAMED_TRACK_CORE_DECLARATIONS(DEMO_DEMUX_MP4_API, mp4)

#ifdef __cplusplus
}
#endif

#endif
