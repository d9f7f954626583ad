// The ASF core: the track core's calls under this core's names.

#include "cores/demo_demux_asf/demo_demux_asf.h"

TAMBERLY_NAMED_TRACK_CORE(asf, TRACK_CONTAINER_ASF)
