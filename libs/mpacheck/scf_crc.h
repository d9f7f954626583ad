#pragma once
// The DAB scale-factor check words (ETSI EN 300 401): a Layer II frame at
// 48 kHz (MPEG-1) or 24 kHz (MPEG-2) carries, in the last bytes of its
// ancillary data just before the two F-PAD bytes, one CRC-8 word per
// subband group of the NEXT frame's scale factors. The groups are subbands
// 0-3, 4-7, 8-15 and 16 up to sblimit; a group that starts at or above
// sblimit has no word, so the low-rate 48 kHz table (sblimit 8) has two
// words and the others four. A word covers the three most significant bits
// of every scale factor the group transmits, in stream order; the word of
// group 0 sits last, next to the F-PAD bytes.

#include <cstdint>

#include "libs/mpacheck/frame_header.h"
#include "libs/mpacheck/frame_payload.h"

namespace mpacheck {

inline constexpr int kMaxScfCrcWords = 4;
inline constexpr int kFpadBytes = 2;

struct scf_crc_words {
    int count = 0;  // 0: the frame is not one that carries them
    std::uint8_t words[kMaxScfCrcWords] = {};
    bool operator==(const scf_crc_words&) const = default;
};

// G(X) = X^8 + X^4 + X^3 + X^2 + 1, initial value 0, most significant bit first.
inline constexpr std::uint8_t kScfCrcPolynomial = 0x1D;
[[nodiscard]] std::uint8_t scf_crc_update(std::uint8_t crc, unsigned value, int bits);

// Whether the header is one of a DAB audio frame: Layer II at 48 kHz MPEG-1
// or 24 kHz MPEG-2.
[[nodiscard]] bool carries_scf_crc(const frame_header& h);

// The words a frame's scale factors give (count 0 when !carries_scf_crc(h)).
[[nodiscard]] scf_crc_words compute_scf_crc(const frame_header& h, const layer2_scalefactors& scalefactors);

// The `count` words stored in the frame before (its last bytes before the
// F-PAD bytes), in group order. `count` 0 when the frame has no room for them
// after its audio data (`ancillary_bits` fewer than the words and F-PAD).
[[nodiscard]] scf_crc_words stored_scf_crc(const std::uint8_t* frame_end, int ancillary_bits, int count);

}  // namespace mpacheck
