#pragma once
// What an extracted PCM stream is written as. The plugins send the PCM
// kinds to their host as the container carries them (tagged big-endian
// packets for DVD and HDMV LPCM, raw samples otherwise), which no player
// opens; the kinds their WAV sink takes are therefore extracted through the
// plugin's own file extraction, as WAVE files, and the others, whose sample
// format the plugin interface does not carry, are named as raw PCM.

#include <cstdint>
#include <string>

#include "viewer/media/QlDemuxStream.h"

namespace platform {
class AtomicOutputFile;
}

namespace cli {

enum class TPcmOutput {
    kNone,  // not PCM: the stream's bytes as they come
    kWave,  // a WAVE file made by the plugin's file extraction
    kRaw,   // the samples as the container carries them, format not known
};

[[nodiscard]] TPcmOutput PcmOutputOf(std::int32_t mediaType);

// The media type whose extension names the output of a stream of this type:
// ".wav" for WAVE files, ".pcm" for raw samples, the type's own otherwise.
[[nodiscard]] std::int32_t NamingMediaType(std::int32_t mediaType);

// Extracts stream index into output's temporary file through the plugin's
// own file extraction, progress seeing the file's size; written is the
// file's size. A plugin that stops writing for the reader's stall time-out
// is stopped (kPluginFailed) or, when it does not stop, left running
// (kPluginHung).
[[nodiscard]] TExtraction ExtractThroughPlugin(TQlDemuxEx& demux, std::int32_t index,
                                               const platform::AtomicOutputFile& output,
                                               const TExtractionProgress& progress = {});

// What the listing line adds about the output's format ("" when nothing).
[[nodiscard]] std::string PcmOutputNote(TPcmOutput output);

}  // namespace cli
