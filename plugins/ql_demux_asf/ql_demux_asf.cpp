// ql_demux_asf: the demultiplexer plugin for ASF files, on the track
// plugins' description (plugins/common/track_plugin.h) over the core
// demo_demux_asf.

#include "cores/demo_demux_asf/demo_demux_asf.h"
#include "plugins/common/track_plugin.h"

namespace {

struct ASFCore {
    static inline const auto kCore =
        demux_plugin::BindCore(asfDemuxCreate, asfDemuxOpen, asfDemuxFree, asfDemuxGetFileInfo, asfDemuxGetStreamFormat,
                               asfDemuxCreateParser, asfDemuxFreeParser, asfDemuxAddStream, asfDemuxSeek, asfDemuxPush);
};

constexpr demux_plugin::Lines kASFLines = TAMBERLY_TRACK_PLUGIN_LINES("asf", "ASF");
using ASFDescription = track_plugin::Description<ASFCore, TRACK_CONTAINER_ASF, kASFLines>;

}  // namespace

TAMBERLY_DEMUX_PLUGIN_EXPORTS(ASFDescription)
