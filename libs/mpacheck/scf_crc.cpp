#include "libs/mpacheck/scf_crc.h"

namespace mpacheck {
namespace {

constexpr int kGroupStarts[kMaxScfCrcWords + 1] = {0, 4, 8, 16, 32};

}  // namespace

std::uint8_t scf_crc_update(std::uint8_t crc, unsigned value, int bits) {
    for (int bit = bits - 1; bit >= 0; --bit) {
        const bool feedback = ((crc >> 7) ^ (value >> bit)) & 1;
        crc = static_cast<std::uint8_t>(crc << 1);
        if (feedback) crc ^= kScfCrcPolynomial;
    }
    return crc;
}

bool carries_scf_crc(const frame_header& h) {
    if (h.layer != 2) return false;
    if (h.version_code == 3) return h.sampling_rate == 48000;
    return h.version_code == 2 && h.sampling_rate == 24000;
}

scf_crc_words compute_scf_crc(const frame_header& h, const layer2_scalefactors& scalefactors) {
    scf_crc_words result;
    if (!carries_scf_crc(h)) return result;
    for (int group = 0; group < kMaxScfCrcWords && kGroupStarts[group] < scalefactors.sblimit; ++group) {
        std::uint8_t crc = 0;
        const int last = kGroupStarts[group + 1] < scalefactors.sblimit ? kGroupStarts[group + 1] : scalefactors.sblimit;
        for (int sb = kGroupStarts[group]; sb < last; ++sb) {
            for (int ch = 0; ch < scalefactors.channels; ++ch) {
                for (int i = 0; i < scalefactors.count[sb][ch]; ++i) crc = scf_crc_update(crc, scalefactors.values[sb][ch][i] >> 3, 3);
            }
        }
        result.words[group] = crc;
        result.count = group + 1;
    }
    return result;
}

scf_crc_words stored_scf_crc(const std::uint8_t* frame_end, int ancillary_bits, int count) {
    scf_crc_words result;
    if (count <= 0 || count > kMaxScfCrcWords || ancillary_bits < (count + kFpadBytes) * 8) return result;
    const std::uint8_t* last_word = frame_end - kFpadBytes - 1;
    for (int group = 0; group < count; ++group) result.words[group] = *(last_word - group);
    result.count = count;
    return result;
}

}  // namespace mpacheck
