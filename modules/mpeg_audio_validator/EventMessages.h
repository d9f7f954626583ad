#pragma once
// The report items of a validation run: one per validator event, the closing
// summary and the failures, with messages a QC engineer reads at a glance
// ("Frame 12 at offset 0x1A2B: bitrate changes to 256 kbit/s").

#include <cstdint>
#include <string>

#include "modules/mpeg_audio_validator/AudioValidation.h"

namespace mpeg_audio_validation {

// One validator event as read back from mpaverify.
struct ValidatorEvent {
    std::int32_t frame = 0;   // index of the frame concerned, counted from 0
    std::int32_t kind = 0;    // mpaverify_event_kind
    std::int32_t value = 0;   // coded as the kind says (index, bit, kbit/s, bytes)
    std::int64_t offset = 0;  // byte offset of the examined frame
};

// What the closing summary tells.
struct StreamSummary {
    std::int32_t layerCode = 0;     // 3 Layer I, 2 Layer II
    std::int32_t samplingRate = 0;  // Hz
    std::int32_t bitrate = 0;       // kbit/s; 1 for free format
    std::int32_t frameSize = 0;     // bytes without padding
    std::int32_t parsedFrames = 0;
    std::int32_t decodedFrames = 0;
    std::int32_t framesWithErrors = 0;
};

inline constexpr const char* kNotMpegAudioMessage = "No MPEG audio frames found in the file.";

// "0x1A2B".
[[nodiscard]] std::string HexOffset(std::int64_t offset);

// streamSize: bytes fed in all, to tell where the junk at the end begins.
[[nodiscard]] ValidationItem DescribeEvent(const ValidatorEvent& event, std::int64_t streamSize);
[[nodiscard]] ValidationItem DescribeSummary(const StreamSummary& summary);

// The validator counts frames it could not decode without an event for each:
// one Error item says how many, ahead of the summary.
[[nodiscard]] ValidationItem UndecodableFramesItem(std::int32_t framesWithErrors);
[[nodiscard]] ValidationItem CannotOpenItem(const std::string& fileName);
[[nodiscard]] ValidationItem ReadFailedItem(std::int64_t offset);
[[nodiscard]] ValidationItem ValidatorUnavailableItem();
[[nodiscard]] ValidationItem InputRefusedItem(std::int64_t offset);
[[nodiscard]] ValidationItem NotMpegAudioItem();

}  // namespace mpeg_audio_validation
