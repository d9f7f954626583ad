#pragma once
// DAB audio frames (ETSI EN 300 401): Layer II frames with a CRC word whose
// ancillary data ends with the scale-factor check words of the next frame
// and two F-PAD bytes. The audio data is made up from a seed: every
// allocated subband gets allocation 1 (three steps, one 5-bit code per three
// samples in every table), random scfsi, scale factors and sample codes, so
// the builder knows each frame's layout without a quantisation table.

#include <cstdint>
#include <set>
#include <vector>

#include "tests/support/mpa_builder.h"

namespace testsupport {

struct DabStreamShape {
    MpaFrameSpec frame;  // Layer II at 48 kHz (MPEG-1) or 24 kHz (MPEG-2); the CRC is always on
    int frames = 10;
    std::uint32_t seed = 1;
    int xpadBytes = 4;                    // X-PAD bytes before the check words
    std::uint8_t fpad[2] = {0x00, 0x00};  // the F-PAD bytes of every frame
    // Frames whose check words (carried by the frame before) are spoilt.
    std::set<int> wrongCheckWords;
};

struct DabStream {
    Bytes data;
    std::vector<int> ancillaryBits;  // per frame: the bits after its audio data
    int checkWords = 0;              // words per frame: 2 or 4
};

// The number of check words a frame carries: one per subband group (0-3,
// 4-7, 8-15, 16 up to sblimit) that starts below the frame's sblimit.
[[nodiscard]] int DabCheckWordCount(const MpaFrameSpec& params);

// CRC-8 with G(X) = X^8 + X^4 + X^3 + X^2 + 1 over the leading `bits` bits
// of `value`, most significant first, continuing from `crc`.
[[nodiscard]] std::uint8_t DabCrc8(std::uint8_t crc, unsigned value, int bits);

// Throws std::invalid_argument when the frame cannot hold the X-PAD, check
// words and F-PAD bytes.
[[nodiscard]] DabStream MakeDabStream(const DabStreamShape& shape);

}  // namespace testsupport
