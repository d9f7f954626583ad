#include "cores/common/packet_output.h"

#include <algorithm>
#include <limits>

namespace cores {
namespace {

// PCM payloads go out in parts of at most this size, each followed by its
// command, so that one large packet never overfills a sink's packet buffer.
constexpr std::size_t kPcmPartBytes = 256 * 1024;

}  // namespace

PcmFraming FramingFor(MediaType media_type) {
    switch (media_type) {
        case kDvdLpcm: return PcmFraming::DvdLpcm;
        case kHdmvLpcm: return PcmFraming::HdmvLpcm;
        case kAes302M: return PcmFraming::Aes302M;
        default: return PcmFraming::None;
    }
}

bool PacketOutput::Write(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return true;
    return framing_ == PcmFraming::None ? WriteBytes(data, size) : WritePcm(data, size);
}

bool PacketOutput::WriteBytes(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        const auto part = static_cast<std::uint32_t>(std::min<std::size_t>(size, std::numeric_limits<std::int32_t>::max()));
        if (output_->write_bytes(output_, bytes, part) != part) return false;
        bytes += part;
        size -= part;
    }
    return true;
}

// Each packet starts with its header; the stream's first header decides the
// announcement, and a packet too short for a header carries nothing.
bool PacketOutput::WritePcm(const std::uint8_t* data, std::size_t size) {
    const std::size_t header_bytes = PcmHeaderBytes(framing_);
    if (size <= header_bytes) return true;
    if (!announcement_) {
        announcement_ = AnnouncePcm(framing_, data);
        if (!announcement_) return false;
    }
    data += header_bytes;
    size -= header_bytes;
    while (size > 0) {
        const std::size_t part = std::min(size, kPcmPartBytes);
        if (!WritePcmPart(data, part)) return false;
        data += part;
        size -= part;
    }
    return true;
}

bool PacketOutput::WritePcmPart(const std::uint8_t* data, std::size_t size) {
    if (auto* description = std::get_if<bufstream_pcm_packet_desc>(&*announcement_)) {
        return WriteBytes(data, size) &&
               output_->control(output_, 0, BUFSTREAM_CMD_PCM_PACKET_DESCRIBED, description, sizeof *description) >= 0;
    }
    if (!tag_sent_) {
        const auto& tag = std::get<bufstream_pcm_tag_header>(*announcement_);
        if (!WriteBytes(&tag, sizeof tag)) return false;
        tag_sent_ = true;
    }
    bufstream_pcm_stream_desc stream{};
    return WriteBytes(data, size) &&
           output_->control(output_, 0, BUFSTREAM_CMD_PCM_PACKET_TAGGED, &stream, sizeof stream) >= 0;
}

}  // namespace cores
