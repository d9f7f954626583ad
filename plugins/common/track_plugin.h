#pragma once
// The description shared by the plugins of the track containers
// (QuickTime/MP4, ProRes QuickTime, WAVE, AVI, ASF) over a core with the
// calls of cores/track_demux/track_demux.h. What they have in common: the
// tracks are listed as program 0 and a file of 128 tracks or more is
// refused, a failed query closes the connection, the PCM kinds the WAV sink
// takes are extracted into WAVE files, and the sink is created before the
// parser. Each plugin file names its core, its container kind and its lines:
//
//   struct Mp4Core { static inline const auto kCore = TAMBERLY_BIND_NAMED_TRACK_CORE(mp4); };
//   constexpr demux_plugin::Lines kMp4Lines = TAMBERLY_TRACK_PLUGIN_LINES("mp4", "MP4");
//   using Mp4Description = track_plugin::Description<Mp4Core, TRACK_CONTAINER_MP4, kMp4Lines>;
//   TAMBERLY_DEMUX_PLUGIN_EXPORTS(Mp4Description)

#include <cstdint>

#include "abi/media_types.h"
#include "cores/track_demux/track_demux.h"
#include "platform/debug_output.h"
#include "plugins/common/demux_plugin.h"

// The plugin's lines, in the pattern of the MPEG-2 plugin's, with the
// plugin's short name (name: "mp4") and the container's name (kind: "MP4").
#define TAMBERLY_TRACK_PLUGIN_LINES(name, kind)                                                            \
    demux_plugin::Lines {                                                                                  \
        .create_failed = "Unable to create a " kind " demuxer instance.\n",                                \
        .listing_failed = "Error in initialize_" name "_demux - " name "_stream_enum call...\n",           \
        .file_info_failed = "Error in " name "_stream_enum - " name "DemuxGetFileInfo call...\n",          \
        .format_failed = "Error in " name "_stream_info - " name "DemuxGetStreamFormat call...\n",         \
        .query_no_demuxer = "Error in " name "_stream_info - no demuxer connected\n",                      \
        .query_failed_in_listing = "Error in " name "_stream_enum - " name "_stream_info call...\n",       \
        .query_failed = "Error in GetStreamMediaType - " name "_stream_info call...\n",                    \
        .to_file = {.no_demuxer = "Error: no demuxer connected\n",                                         \
                    .wrong_index = "Error in " name "_demux_to_file - wrong stream index\n",               \
                    .no_sink = "Unable to create an output bufstream.\n",                                  \
                    .no_parser = "Unable to create file parser.\n",                                        \
                    .no_stream = "Unable to set the stream in the parser.\n",                              \
                    .no_seek = "Unable to seek to the beginning of the file.\n",                           \
                    .write_error = "Error in " name "_demux_to_file - write error.\n"},                    \
        .callback = {.no_demuxer = "Error in " name "_demux_callback - no demuxer connected.\n",           \
                     .wrong_index = "Error in " name "_demux_callback - wrong stream index\n",             \
                     .no_sink = "Unable to create an output bufstream [" name "_demux_callback].\n",       \
                     .no_parser = "Unable to create file parser [" name "_demux_callback].\n",             \
                     .no_stream = "Unable to set the stream in the parser [" name "_demux_callback].\n",   \
                     .no_seek = "Unable to seek to the beginning of the file [" name "_demux_callback].\n", \
                     .write_error = "Error in " name "_demux_callback - write error.\n"},                  \
    }

// The calls of a named track core (cores/track_demux/named_track_core.h).
#define TAMBERLY_BIND_NAMED_TRACK_CORE(prefix)                                                                   \
    demux_plugin::BindCore(prefix##DemuxCreate, prefix##DemuxOpen, prefix##DemuxFree, prefix##DemuxGetFileInfo, \
                           prefix##DemuxGetStreamFormat, prefix##DemuxCreateParser, prefix##DemuxFreeParser,     \
                           prefix##DemuxAddStream, prefix##DemuxSeek, prefix##DemuxPush)

namespace track_plugin {

// The track core's own calls, for the plugins that link it in.
struct LinkedTrackCore {
    static inline const auto kCore = TAMBERLY_BIND_NAMED_TRACK_CORE(track);
};

template <class CoreSource, std::uint8_t kContainer, const demux_plugin::Lines& kPluginLines>
struct Description {
    using Plugin = demux_plugin::Plugin<Description>;

    static inline const auto kCore = CoreSource::kCore;
    static constexpr const demux_plugin::Lines& kLines = kPluginLines;
    static constexpr bool kCloseAfterFailedQuery = true;
    static constexpr bool kParserBeforeSink = false;

    static void Configure(track_demux_settings& settings) { settings.container = kContainer; }

    // The tracks in file order as program 0. A failed format query has
    // closed the connection: the rest is listed with type 0 and the listing
    // fails, as nothing more can be asked without an instance.
    static bool ListStreams(const track_file_info& info) {
        for (std::int32_t track = 0; track < info.stream_count; ++track) {
            if (!Plugin::AddStream(0, track)) {
                platform::OutputDebugLineF("Warning: Video file streams count exceeds or equals %d.\n",
                                           QL_DEMUX_MAX_STREAMS);
                return false;
            }
        }
        return Plugin::CurrentInstance() != nullptr;
    }

    static demux_plugin::FileOutput FileOutputFor(std::int32_t media_type) {
        return demux_plugin::PcmKindsAsWave(media_type);
    }
};

}  // namespace track_plugin
