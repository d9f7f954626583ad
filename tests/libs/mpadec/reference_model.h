#pragma once
// A slow model of the decoder's back half, written from the standard's flow
// charts rather than from the library: the polyphase synthesis with a
// shifting 1024-value buffer and the direct matrixing sums, the Layer I
// dequantisation, and the rounding to 16 bits.

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "libs/mpadec/decoder.h"

namespace mpadec_test {

class ReferenceFilterbank {
public:
    void Run(const double* subband, double* out) {
        for (int i = 1023; i >= 64; --i) v_[i] = v_[i - 64];
        for (int i = 0; i < 64; ++i) {
            double sum = 0;
            for (int k = 0; k < 32; ++k) sum += std::cos((16 + i) * (2 * k + 1) * std::numbers::pi / 64) * subband[k];
            v_[i] = sum;
        }
        double u[512];
        for (int i = 0; i < 8; ++i) {
            for (int j = 0; j < 32; ++j) {
                u[64 * i + j] = v_[128 * i + j];
                u[64 * i + 32 + j] = v_[128 * i + 96 + j];
            }
        }
        for (int j = 0; j < 32; ++j) {
            double sum = 0;
            for (int i = 0; i < 16; ++i) sum += u[j + 32 * i] * mpadec::kSynthesisWindow[j + 32 * i];
            out[j] = sum;
        }
    }

private:
    double v_[1024] = {};
};

// Layer I sample code of allocation a (a + 1 bits) to its fraction.
inline double LayerIFraction(std::uint32_t code, int a) {
    const int bits = a + 1;
    const double msbInverted = ((code >> a) & 1) ? 0.0 : -1.0;
    const double fraction = msbInverted + static_cast<double>(code & ((1u << a) - 1)) / std::ldexp(1.0, a);
    return std::ldexp(1.0, bits) / (std::ldexp(1.0, bits) - 1) * (fraction + std::ldexp(1.0, -a));
}

inline double ScaleFactor(int index) { return index == 63 ? 0.0 : std::pow(2.0, 1.0 - index / 3.0); }

inline std::int16_t Round16(double value) {
    const double scaled = std::round(value * 32768.0);  // halves away from zero
    return static_cast<std::int16_t>(std::fmax(-32768.0, std::fmin(32767.0, scaled)));
}

// Appends 32 time slots of `channels` filterbank outputs as interleaved
// 16-bit little-endian PCM.
inline void AppendPcm16(const double (&out)[2][32], int channels, std::vector<std::uint8_t>& pcm) {
    for (int slot = 0; slot < 32; ++slot) {
        for (int ch = 0; ch < channels; ++ch) {
            const auto sample = static_cast<std::uint16_t>(Round16(out[ch][slot]));
            pcm.push_back(static_cast<std::uint8_t>(sample));
            pcm.push_back(static_cast<std::uint8_t>(sample >> 8));
        }
    }
}

}  // namespace mpadec_test
