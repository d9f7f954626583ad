// ql_demux_asf: the demultiplexer plugin for ASF files, on the track plugins'
// description (plugins/common/track_plugin.h) over the core
// demo_demux_asf.

#include "cores/demo_demux_asf/demo_demux_asf.h"
#include "plugins/common/track_plugin.h"

namespace {

struct AsfCore {
    static inline const auto kCore = TAMBERLY_BIND_NAMED_TRACK_CORE(asf);
};

constexpr demux_plugin::Lines kAsfLines = TAMBERLY_TRACK_PLUGIN_LINES("asf", "ASF");
using AsfDescription = track_plugin::Description<AsfCore, TRACK_CONTAINER_ASF, kAsfLines>;

}  // namespace

TAMBERLY_DEMUX_PLUGIN_EXPORTS(AsfDescription)
