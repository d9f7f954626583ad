#pragma once
// The per-packet headers of the PCM streams that the WAV sink takes, and how
// each names its format to the sink (bufstream_pcm.h).
//
//  - DVD LPCM (after libavformat's program stream demuxer): 3 bytes; the
//    second holds the quantisation (bits 7-6: 16/20/24 bits), the sampling
//    rate (bits 5-4: 48/96/44.1/32 kHz) and the channels - 1 (bits 2-0).
//  - HDMV LPCM: 4 bytes; a 16-bit payload size, the channel assignment
//    (bits 7-4 of byte 2) and rate (bits 3-0: 1/4/5 = 48/96/192 kHz), and
//    the bits per sample (bits 7-6 of byte 3: 1/2/3 = 16/20/24).
//  - SMPTE 302M: 4 bytes, big-endian bit fields: payload size (16 bits),
//    channels (2 bits: 2/4/6/8), channel identification (8 bits), bits per
//    sample (2 bits: 16/20/24), alignment (4 bits).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <variant>

#include "abi/bufstream_pcm.h"

namespace cores {

enum class PcmFraming {
    None,  // the stream's bytes go out as they are
    DvdLpcm,
    HdmvLpcm,
    Aes302M,
};

// The header bytes at the start of every packet of a framing.
[[nodiscard]] std::size_t PcmHeaderBytes(PcmFraming framing);

// How the stream's format is announced: a tag header before the first
// payload (and BUFSTREAM_CMD_PCM_PACKET_TAGGED after each packet), or a
// packet description with every packet (BUFSTREAM_CMD_PCM_PACKET_DESCRIBED)
// for formats no tag names.
using PcmAnnouncement = std::variant<bufstream_pcm_tag_header, bufstream_pcm_packet_desc>;

// The announcement for a packet header of the framing (PcmHeaderBytes
// long); nothing for a reserved field value or a format the sink cannot
// take.
[[nodiscard]] std::optional<PcmAnnouncement> AnnouncePcm(PcmFraming framing, const std::uint8_t* header);

}  // namespace cores
