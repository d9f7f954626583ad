// ql_demux_wav: the demultiplexer plugin for WAVE files, on the track
// plugins' description (plugins/common/track_plugin.h) with the track core
// linked in.

#include "plugins/common/track_plugin.h"

namespace {

constexpr demux_plugin::Lines kWavLines = TAMBERLY_TRACK_PLUGIN_LINES("wav", "WAV");
using WavDescription = track_plugin::Description<track_plugin::LinkedTrackCore, TRACK_CONTAINER_WAVE, kWavLines>;

}  // namespace

TAMBERLY_DEMUX_PLUGIN_EXPORTS(WavDescription)
