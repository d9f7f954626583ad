// ql_demux_avi: the demultiplexer plugin for AVI files, on the track
// plugins' description (plugins/common/track_plugin.h) with the track core
// linked in.

#include "plugins/common/track_plugin.h"

namespace {

constexpr demux_plugin::Lines kAviLines = TAMBERLY_TRACK_PLUGIN_LINES("avi", "AVI");
using AviDescription = track_plugin::Description<track_plugin::LinkedTrackCore, TRACK_CONTAINER_AVI, kAviLines>;

}  // namespace

TAMBERLY_DEMUX_PLUGIN_EXPORTS(AviDescription)
