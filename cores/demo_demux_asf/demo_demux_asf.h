/* demo_demux_asf: the core demultiplexer for ASF files, over
 * libavformat: the track core (cores/track_demux/track_demux.h) under the
 * names asfDemuxCreate, asfDemuxOpen, asfDemuxFree, asfDemuxGetFileInfo,
 * asfDemuxGetStreamFormat, asfDemuxCreateParser, asfDemuxFreeParser,
 * asfDemuxAddStream, asfDemuxSeek and asfDemuxPush, for instances of the
 * TRACK_CONTAINER_ASF kind only (named_track_core.h). Plain C. */
#ifndef TAMBERLY_CORES_DEMO_DEMUX_ASF_H
#define TAMBERLY_CORES_DEMO_DEMUX_ASF_H

#include "cores/track_demux/named_track_core.h"

#ifdef DEMO_DEMUX_ASF_BUILD
#define DEMO_DEMUX_ASF_API TAMBERLY_EXPORT
#else
#define DEMO_DEMUX_ASF_API TAMBERLY_IMPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

TAMBERLY_NAMED_TRACK_CORE_DECLARATIONS(DEMO_DEMUX_ASF_API, asf)

#ifdef __cplusplus
}
#endif

#endif
