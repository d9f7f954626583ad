#include "cores/common/pcm_headers.h"

#include <cstring>
#include <iterator>

namespace cores {
namespace {

bufstream_pcm_tag_header Tag(const char (&name)[5], std::uint8_t code, std::uint8_t params) {
    bufstream_pcm_tag_header tag{};
    std::memcpy(tag.tag, name, 4);
    tag.code = code;
    tag.params = params;
    return tag;
}

// DVD LPCM: the tag names 16-bit streams at 48 or 96 kHz; 20 and 24 bits
// need a packet description. 44.1 and 32 kHz have neither.
std::optional<PcmAnnouncement> AnnounceDvdLpcm(const std::uint8_t* header) {
    const unsigned quantisation = header[1] >> 6;
    const unsigned rate = (header[1] >> 4) & 3;
    const unsigned channels_less_one = header[1] & 7;
    if (quantisation == 3 || rate > 1) return std::nullopt;
    if (quantisation == 0) {
        return Tag("LPCM", static_cast<std::uint8_t>(channels_less_one << 2 | rate), 0);
    }
    bufstream_pcm_packet_desc description{};
    description.format = BUFSTREAM_PCM_DVD_LPCM;
    description.packet_flags = BUFSTREAM_PCM_PACKET_HAS_FORMAT;
    description.quantisation = static_cast<std::uint8_t>(quantisation);
    description.rate_code = static_cast<std::uint8_t>(rate);
    description.channel_field = static_cast<std::uint8_t>(channels_less_one);
    return description;
}

// HDMV channel assignments carry an even number of channels, the padding
// channel of odd layouts included.
std::optional<unsigned> HdmvChannels(unsigned assignment) {
    static constexpr unsigned kChannels[] = {0, 2, 0, 2, 4, 4, 4, 4, 6, 6, 8, 8};
    if (assignment >= std::size(kChannels) || kChannels[assignment] == 0) return std::nullopt;
    return kChannels[assignment];
}

std::optional<unsigned> HdmvRateCode(unsigned rate) {
    switch (rate) {
        case 1: return 0;  // 48 kHz
        case 4: return 1;  // 96 kHz
        case 5: return 2;  // 192 kHz
        default: return std::nullopt;
    }
}

std::optional<PcmAnnouncement> AnnounceHdmvLpcm(const std::uint8_t* header) {
    const auto channels = HdmvChannels(header[2] >> 4);
    const auto rate = HdmvRateCode(header[2] & 0x0F);
    const unsigned bits = header[3] >> 6;
    if (!channels || !rate || bits == 0) return std::nullopt;
    const unsigned params = (*channels - 1) | (bits - 1) << 3 | *rate << 5;
    return Tag("HDMV", BUFSTREAM_PCM_TAG_HDMV, static_cast<std::uint8_t>(params));
}

std::optional<PcmAnnouncement> AnnounceAes302M(const std::uint8_t* header) {
    const unsigned channels = 2 * ((header[2] >> 6) + 1);
    const unsigned bits = (header[3] >> 4) & 3;
    if (bits == 3) return std::nullopt;
    const unsigned params = (channels - 1) | bits << 3;
    return Tag("AES3", BUFSTREAM_PCM_TAG_AES_302M, static_cast<std::uint8_t>(params));
}

}  // namespace

std::size_t PcmHeaderBytes(PcmFraming framing) {
    switch (framing) {
        case PcmFraming::DvdLpcm: return 3;
        case PcmFraming::HdmvLpcm:
        case PcmFraming::Aes302M: return 4;
        case PcmFraming::None: break;
    }
    return 0;
}

std::optional<PcmAnnouncement> AnnouncePcm(PcmFraming framing, const std::uint8_t* header) {
    switch (framing) {
        case PcmFraming::DvdLpcm: return AnnounceDvdLpcm(header);
        case PcmFraming::HdmvLpcm: return AnnounceHdmvLpcm(header);
        case PcmFraming::Aes302M: return AnnounceAes302M(header);
        case PcmFraming::None: break;
    }
    return std::nullopt;
}

}  // namespace cores
