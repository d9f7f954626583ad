// ql_demux_mp4: the demultiplexer plugin for QuickTime and MP4 files
// without ProRes video, on the track plugins'
// description (plugins/common/track_plugin.h) over the core
// demo_demux_mp4.

#include "cores/demo_demux_mp4/demo_demux_mp4.h"
#include "plugins/common/track_plugin.h"

namespace {

struct Mp4Core {
    static inline const auto kCore = TAMBERLY_BIND_NAMED_TRACK_CORE(mp4);
};

constexpr demux_plugin::Lines kMp4Lines = TAMBERLY_TRACK_PLUGIN_LINES("mp4", "MP4");
using Mp4Description = track_plugin::Description<Mp4Core, TRACK_CONTAINER_MP4, kMp4Lines>;

}  // namespace

TAMBERLY_DEMUX_PLUGIN_EXPORTS(Mp4Description)
