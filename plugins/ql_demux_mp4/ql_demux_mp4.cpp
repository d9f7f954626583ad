// ql_demux_mp4: the demultiplexer plugin for QuickTime and MP4 files without ProRes video, on the track
// plugins' description (plugins/common/track_plugin.h) over the core
// demo_demux_mp4.

#include "cores/demo_demux_mp4/demo_demux_mp4.h"
#include "plugins/common/track_plugin.h"

namespace {

struct MP4Core {
    static inline const auto kCore =
        demux_plugin::BindCore(mp4DemuxCreate, mp4DemuxOpen, mp4DemuxFree, mp4DemuxGetFileInfo, mp4DemuxGetStreamFormat,
                               mp4DemuxCreateParser, mp4DemuxFreeParser, mp4DemuxAddStream, mp4DemuxSeek, mp4DemuxPush);
};

constexpr demux_plugin::Lines kMP4Lines = TAMBERLY_TRACK_PLUGIN_LINES("mp4", "MP4");
using MP4Description = track_plugin::Description<MP4Core, TRACK_CONTAINER_MP4, kMP4Lines>;

}  // namespace

TAMBERLY_DEMUX_PLUGIN_EXPORTS(MP4Description)
