/* Data blocks of the PCM packet commands that a core demultiplexer sends to
 * the WAV sink, and the layouts of the packets it pushes before each command.
 *
 * A core writes one packet into the sink (reserve + commit or write_bytes)
 * and then names its format in one of two ways:
 *
 *  - Tagged: BUFSTREAM_CMD_PCM_PACKET_TAGGED with a bufstream_pcm_stream_desc.
 *    The stream's first packet starts with a bufstream_pcm_tag_header; later
 *    packets are payload only.
 *  - Described: BUFSTREAM_CMD_PCM_PACKET_DESCRIBED with a
 *    bufstream_pcm_packet_desc. Packets are payload only.
 *
 * Payloads (all multi-byte fields of the source formats as they stand):
 *  - DVD LPCM: big-endian. 16-bit samples interleaved. 20- and 24-bit samples
 *    in groups of two sample frames, split into subgroups of four samples in
 *    interleaved order (two in mono): first the upper 16 bits of each sample
 *    of the subgroup, then their low bits in the same order, one byte per
 *    sample (24-bit) or one nibble, high nibble first (20-bit).
 *  - HDMV LPCM: big-endian interleaved samples, 2 bytes (16-bit) or 3 bytes
 *    (20-bit left-justified, 24-bit). The channel count includes the padding
 *    channel of odd layouts.
 *  - AES 302M: frames of channel pairs without the 4-byte AES3 header; each
 *    pair is two subframes of (bits + 4) bits (sample, least significant bit
 *    first, then V, U, C, F), sent most significant bit of each byte first.
 *  - AES 331M: frames of eight little-endian 32-bit channel words, audio in
 *    bits 4-27, without the 4-byte element header; the channel mask selects
 *    the channels kept.
 *  - AES 382M: frames of one little-endian 32-bit word per channel, audio in
 *    bits 4-27.
 *  - TWOS and generic PCM: interleaved samples, copied; reversed per sample
 *    with BUFSTREAM_PCM_FLAG_SWAPPED; 8-bit samples are signed.
 *
 * A payload need not end on a frame boundary: the sink keeps the partial
 * frame for the next packet. Plain C, like bufstream.h. */
#ifndef TAMBERLY_ABI_BUFSTREAM_PCM_H
#define TAMBERLY_ABI_BUFSTREAM_PCM_H

#include "abi/bufstream.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The 8-byte header at the start of a tagged stream's first packet.
 *  "LPCM": params unused; code bits 4-2 = channels - 1, bit 0 = 96 kHz
 *          (else 48 kHz); always 16 bits.
 *  "HDMV": code = BUFSTREAM_PCM_TAG_HDMV; params bits 2-0 = channels - 1,
 *          bits 4-3 = 0/1/2 for 16/20/24 bits, bits 6-5 = 0/1/2 for
 *          48/96/192 kHz (3 is reserved in both fields).
 *  "AES3": code = BUFSTREAM_PCM_TAG_AES_302M, _331M or _382M; params as for
 *          "HDMV" without a rate (always 48 kHz). */
typedef struct bufstream_pcm_tag_header {
    char tag[4];
    uint8_t code;
    uint8_t params;
    uint8_t reserved[2];
} bufstream_pcm_tag_header;

enum bufstream_pcm_tag_code {
    BUFSTREAM_PCM_TAG_AES_302M = 0x0A,
    BUFSTREAM_PCM_TAG_AES_331M = 0x0B,
    BUFSTREAM_PCM_TAG_AES_382M = 0x0C,
    BUFSTREAM_PCM_TAG_HDMV = 0x0D
};

/* Data of BUFSTREAM_CMD_PCM_PACKET_TAGGED. */
typedef struct bufstream_pcm_stream_desc {
    int32_t min_packet_size; /* AES 302M payloads shorter than this wait for more data */
    int32_t reserved[3];
} bufstream_pcm_stream_desc;

/* Format families of bufstream_pcm_packet_desc.format (one bit). */
enum bufstream_pcm_format {
    BUFSTREAM_PCM_DVD_LPCM = 0x10000,
    BUFSTREAM_PCM_HDMV_LPCM = 0x20000,
    BUFSTREAM_PCM_AES_302M = 0x40000,
    BUFSTREAM_PCM_AES_331M = 0x80000,
    BUFSTREAM_PCM_AES_382M = 0x100000,
    BUFSTREAM_PCM_TWOS = 0x200000,
    BUFSTREAM_PCM_GENERIC = 0x400000
};

#define BUFSTREAM_PCM_PACKET_HAS_FORMAT 0x01u /* packet_flags */
#define BUFSTREAM_PCM_FLAG_FLOAT 0x0001u      /* format_flags: IEEE float samples */
#define BUFSTREAM_PCM_FLAG_SWAPPED 0x0002u    /* format_flags: samples in reversed byte order */

#if defined(_MSC_VER)
#pragma pack(push, 1)
#define TAMBERLY_PACKED
#else
#define TAMBERLY_PACKED __attribute__((packed))
#endif

/* Data of BUFSTREAM_CMD_PCM_PACKET_DESCRIBED: 78 bytes, little-endian, no
 * padding. The fields after packet_flags are read only when packet_flags
 * has BUFSTREAM_PCM_PACKET_HAS_FORMAT. */
typedef struct TAMBERLY_PACKED bufstream_pcm_packet_desc {
    uint32_t format;         /* 0: one BUFSTREAM_PCM_* family */
    int32_t min_packet_size; /* 4: as in bufstream_pcm_stream_desc */
    uint8_t packet_flags;    /* 8 */
    uint8_t quantisation;    /* 9: 0/1/2 = 16/20/24 bits (DVD LPCM, HDMV LPCM, AES 302M) */
    uint8_t rate_code;       /* 10: 0/1/2 = 48/96/192 kHz (192 for HDMV only; not AES) */
    uint8_t channel_field;   /* 11: DVD LPCM channels - 1; HDMV channel assignment;
                                AES 302M 0-3 = 2/4/6/8 channels */
    uint8_t channel_mask;    /* 12: AES 331M, one bit per channel word kept */
    uint8_t bits_per_sample; /* 13: AES 382M, TWOS, generic */
    uint8_t channels;        /* 14: AES 382M, TWOS, generic */
    uint8_t reserved_a;      /* 15 */
    uint32_t sample_rate;    /* 16: generic */
    uint8_t reserved_b[54];  /* 20: the core's own fields */
    uint16_t format_flags;   /* 74: BUFSTREAM_PCM_FLAG_* (TWOS, generic) */
    uint16_t reserved_c;     /* 76 */
} bufstream_pcm_packet_desc;

#if defined(_MSC_VER)
#pragma pack(pop)
#endif
#undef TAMBERLY_PACKED

TAMBERLY_ABI_ASSERT(sizeof(bufstream_pcm_tag_header) == 8, "tag header");
TAMBERLY_ABI_ASSERT(offsetof(bufstream_pcm_tag_header, code) == 4, "tag header code");
TAMBERLY_ABI_ASSERT(offsetof(bufstream_pcm_tag_header, params) == 5, "tag header params");
TAMBERLY_ABI_ASSERT(sizeof(bufstream_pcm_stream_desc) == 16, "stream description");
TAMBERLY_ABI_ASSERT(sizeof(bufstream_pcm_packet_desc) == 78, "packet description");
TAMBERLY_ABI_ASSERT(offsetof(bufstream_pcm_packet_desc, min_packet_size) == 4, "min_packet_size");
TAMBERLY_ABI_ASSERT(offsetof(bufstream_pcm_packet_desc, packet_flags) == 8, "packet_flags");
TAMBERLY_ABI_ASSERT(offsetof(bufstream_pcm_packet_desc, quantisation) == 9, "quantisation");
TAMBERLY_ABI_ASSERT(offsetof(bufstream_pcm_packet_desc, rate_code) == 10, "rate_code");
TAMBERLY_ABI_ASSERT(offsetof(bufstream_pcm_packet_desc, channel_field) == 11, "channel_field");
TAMBERLY_ABI_ASSERT(offsetof(bufstream_pcm_packet_desc, channel_mask) == 12, "channel_mask");
TAMBERLY_ABI_ASSERT(offsetof(bufstream_pcm_packet_desc, bits_per_sample) == 13, "bits_per_sample");
TAMBERLY_ABI_ASSERT(offsetof(bufstream_pcm_packet_desc, channels) == 14, "channels");
TAMBERLY_ABI_ASSERT(offsetof(bufstream_pcm_packet_desc, sample_rate) == 16, "sample_rate");
TAMBERLY_ABI_ASSERT(offsetof(bufstream_pcm_packet_desc, format_flags) == 74, "format_flags");
TAMBERLY_ABI_ASSERT(offsetof(bufstream_pcm_packet_desc, reserved_c) == 76, "reserved_c");

#ifdef __cplusplus
}
#endif

#endif
