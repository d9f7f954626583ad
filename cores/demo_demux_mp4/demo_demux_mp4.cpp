// The MP4 core: the track core's calls under this core's names.

#include "cores/demo_demux_mp4/demo_demux_mp4.h"

TAMBERLY_NAMED_TRACK_CORE(mp4, TRACK_CONTAINER_MP4)
