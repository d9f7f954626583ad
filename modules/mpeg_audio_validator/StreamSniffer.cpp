#include "modules/mpeg_audio_validator/StreamSniffer.h"

#include <algorithm>
#include <limits>
#include <memory>

#include "libs/mpadec/mpadec.h"

namespace mpeg_audio_validation {
namespace {

struct ReleaseStream {
    void operator()(bufstream* stream) const { stream->release(stream); }
};
using DecoderStream = std::unique_ptr<bufstream, ReleaseStream>;

// The first header the decoder's search finds, or null.
const mpa_frame_info* FirstHeader(bufstream& stream, const std::uint8_t* data, std::uint32_t size,
                                  std::uint32_t& offset) {
    stream.control(&stream, 0, MPA_CTL_PARSE_ONLY, nullptr, 0);
    const std::uint32_t taken = stream.write_bytes(&stream, data, size);
    if ((stream.control(&stream, 0, MPA_CTL_GET_STATUS, nullptr, 0) & MPA_STATUS_FRAME) == 0) return nullptr;
    mpa_frame_info* info = nullptr;
    if (stream.control(&stream, 0, MPA_CTL_GET_FRAME_INFO, &info, sizeof info) != 0) return nullptr;
    offset = taken - 4;  // the search counts the junk before the header and the header's 4 bytes
    return info;
}

}  // namespace

std::string DescribeOtherMpegAudio(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr || size < 4) return {};
    const auto length =
        static_cast<std::uint32_t>(std::min<std::size_t>(size, std::numeric_limits<std::int32_t>::max()));
    DecoderStream stream(open_MPEGin_Audio_stream_ex(nullptr, 0, 0));
    if (!stream) return {};
    std::uint32_t offset = 0;
    const mpa_frame_info* info = FirstHeader(*stream, data, length, offset);
    // A header the search accepted only because the bytes ended inside its
    // frame proves nothing.
    if (info == nullptr || std::uint64_t{offset} + static_cast<std::uint32_t>(info->frame_length) + 4 > length)
        return {};
    if (info->version == 1 && info->layer != 3) return {};
    static constexpr const char* kLayers[] = {"", "I", "II", "III"};
    return std::string(info->version == 1 ? "MPEG-1" : "MPEG-2") + " Layer " + kLayers[info->layer & 3] + " audio at " +
           std::to_string(info->sampling_rate) + " Hz";
}

}  // namespace mpeg_audio_validation
