#include "modules/mpeg_audio_validator/EventMessages.h"

#include <cstdio>

#include "libs/mpaverify/mpaverify.h"
#include "abi/QuillonControlInterface.h"

namespace mpeg_audio_validation {
namespace {

using validation::kReportError;
using validation::kReportInfo;
using validation::kReportWarning;

std::string Text(std::int32_t value) { return std::to_string(value); }

std::string LayerName(std::int32_t layerCode) {
    switch (layerCode) {
        case 3: return "Layer I";
        case 2: return "Layer II";
        case 1: return "Layer III";
        default: return "an invalid layer (code " + Text(layerCode) + ")";
    }
}

std::string SamplingRateOfIndex(std::int32_t index) {
    static constexpr std::int32_t kRates[] = {44100, 48000, 32000};
    if (index < 0 || index > 2) return "a reserved rate (index " + Text(index) + ")";
    return Text(kRates[index]) + " Hz";
}

std::string BitrateText(std::int32_t kbps) {
    if (kbps == 1) return "free format";
    if (kbps <= 0) return "an invalid bitrate";
    return Text(kbps) + " kbit/s";
}

std::string ModeName(std::int32_t mode) {
    static constexpr const char* kModes[] = {"stereo", "joint stereo", "dual channel", "single channel"};
    return mode >= 0 && mode < 4 ? kModes[mode] : "mode " + Text(mode);
}

// In Layers I and II the mode extension is the first subband coded as
// intensity stereo in joint stereo frames.
std::string ModeExtensionText(std::int32_t extension) {
    if (extension < 0 || extension > 3) return Text(extension);
    return Text(extension) + " (joint stereo from subband " + Text(4 * (extension + 1)) + ")";
}

std::string EmphasisName(std::int32_t emphasis) {
    static constexpr const char* kEmphases[] = {"none", "50/15 \xC2\xB5s", "reserved", "CCITT J.17"};
    return emphasis >= 0 && emphasis < 4 ? kEmphases[emphasis] : "code " + Text(emphasis);
}

std::string BytesText(std::int64_t count) { return std::to_string(count) + (count == 1 ? " byte" : " bytes"); }

std::string FramePrefix(const ValidatorEvent& e) {
    return "Frame " + Text(e.frame) + " at offset " + HexOffset(e.offset) + ": ";
}

ValidationItem Change(const ValidatorEvent& e, const std::string& what, const std::string& newValue) {
    return {kReportWarning, FramePrefix(e) + what + " changes to " + newValue};
}

ValidationItem Junk(const ValidatorEvent& e) {
    return {kReportWarning, FramePrefix(e) + BytesText(e.value) + " of junk before the frame (from offset " +
                                HexOffset(e.offset - e.value) + ")"};
}

// Its offset is the last frame's; the junk is the stream's last bytes.
ValidationItem JunkAtTheEnd(const ValidatorEvent& e, std::int64_t streamSize) {
    return {kReportWarning, BytesText(e.value) + " of junk at the end of the stream (from offset " +
                                HexOffset(streamSize - e.value) + ")"};
}

}  // namespace

std::string HexOffset(std::int64_t offset) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(offset < 0 ? 0 : offset));
    return text;
}

ValidationItem DescribeEvent(const ValidatorEvent& e, std::int64_t streamSize) {
    switch (e.kind) {
        case CORRUPTED_FRAME: return {kReportError, FramePrefix(e) + "corrupted frame, it could not be decoded"};
        case CHANGING_LAYER: return Change(e, "layer", LayerName(e.value));
        case CHANGING_PROTECTION: return Change(e, "protection", e.value == 0 ? "CRC on" : "CRC off");
        case CHANGING_FREQUENCY: return Change(e, "sampling rate", SamplingRateOfIndex(e.value));
        case CHANGING_MODE: return Change(e, "channel mode", ModeName(e.value));
        case CHANGING_MODE_EXTENSION: return Change(e, "mode extension", ModeExtensionText(e.value));
        case CHANGING_COPYRIGHT:
            return Change(e, "copyright bit", e.value != 0 ? "1 (copyrighted)" : "0 (not copyrighted)");
        case CHANGING_ORIGINAL_HOME: return Change(e, "original/copy bit", e.value != 0 ? "1 (original)" : "0 (copy)");
        case CHANGING_EMPHASIS: return Change(e, "emphasis", EmphasisName(e.value));
        case JUNK_AT_THE_END: return JunkAtTheEnd(e, streamSize);
        case JUNK_BYTES: return Junk(e);
        case CHANGING_BITRATE: return Change(e, "bitrate", BitrateText(e.value));
        case CHANGING_FRAMESIZE: return Change(e, "frame size", BytesText(e.value) + " without padding");
        case VALID_PADDING:
            return {kReportInfo,
                    FramePrefix(e) + "padded frame at " + Text(e.value) + " Hz, where padding is never needed"};
        default:
            return {kReportWarning,
                    FramePrefix(e) + "validator event " + Text(e.kind) + " with value " + Text(e.value)};
    }
}

ValidationItem DescribeSummary(const StreamSummary& s) {
    return {kReportInfo, "Stream: MPEG-1 " + LayerName(s.layerCode) + ", " + Text(s.samplingRate) + " Hz, " +
                             BitrateText(s.bitrate) + ", frame size " + BytesText(s.frameSize) +
                             " (first frame). Frames: " + Text(s.parsedFrames) + " parsed, " + Text(s.decodedFrames) +
                             " decoded, " + Text(s.framesWithErrors) + " with errors."};
}

ValidationItem UndecodableFramesItem(std::int32_t framesWithErrors) {
    const bool one = framesWithErrors == 1;
    return {kReportError, Text(framesWithErrors) + (one ? " frame" : " frames") +
                              " could not be decoded; the summary below counts " + (one ? "it" : "them") +
                              " as frames with errors."};
}

ValidationItem CannotOpenItem(const std::string& fileName) {
    return {kReportError, "Cannot open the file \"" + fileName + "\"."};
}

ValidationItem ReadFailedItem(std::int64_t offset) {
    return {kReportError, "The file could not be read at offset " + HexOffset(offset) + "; validation stopped."};
}

ValidationItem ValidatorUnavailableItem() { return {kReportError, "The MPEG audio validator could not be started."}; }

ValidationItem InputRefusedItem(std::int64_t offset) {
    return {kReportError, "The validator refused the data at offset " + HexOffset(offset) + "; validation stopped."};
}

ValidationItem NotMpegAudioItem() { return {kReportError, kNotMpegAudioMessage}; }

}  // namespace mpeg_audio_validation
