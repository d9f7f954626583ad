// ql_demux_prores: the demultiplexer plugin for QuickTime files with ProRes video, on the track
// plugins' description (plugins/common/track_plugin.h) with the track core
// linked in.

#include "plugins/common/track_plugin.h"

namespace {

constexpr demux_plugin::Lines kProResLines = TAMBERLY_TRACK_PLUGIN_LINES("prores", "ProRes");
using ProResDescription = track_plugin::Description<track_plugin::LinkedTrackCore, TRACK_CONTAINER_PRORES, kProResLines>;

}  // namespace

TAMBERLY_DEMUX_PLUGIN_EXPORTS(ProResDescription)
