// Synthesis and PCM: the polyphase synthesis filterbank of ISO/IEC 11172-3
// (matrixing through a fast 32-point DCT, windowing on a 1024-value ring per
// channel) in single precision, and the conversion of its output to 16-bit
// PCM. Single precision keeps the output within a few thousandths of an LSB
// of a double-precision filterbank, far inside the full-accuracy limits.
//
// The filterbank is built from one source for each instruction set
// (cpu_features.h), vectorised by the compiler across the 32 outputs; every
// build adds the terms of each output in the same order without fused
// multiply-add, so every path gives the same values where float arithmetic
// runs at float precision (the x87 unit of 32-bit x86 keeps more). The PCM
// conversion of single-precision rows has an SSE2 kernel (which the AVX2
// path uses too) that gives the same samples as the portable one.

#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <type_traits>

#include "libs/mpadec/cpu_features.h"
#include "libs/mpadec/decoder.h"

#if MPADEC_X86_KERNELS
#include <immintrin.h>
#endif

namespace mpadec {

// The synthesis window D, ISO/IEC 11172-3 Table 3-B.3 (multiples of 2^-16
// given to 9 decimals).
constexpr double kSynthesisWindow[512] = {
     0.000000000, -0.000015259, -0.000015259, -0.000015259, -0.000015259, -0.000015259, -0.000015259, -0.000030518,
    -0.000030518, -0.000030518, -0.000030518, -0.000045776, -0.000045776, -0.000061035, -0.000061035, -0.000076294,
    -0.000076294, -0.000091553, -0.000106812, -0.000106812, -0.000122070, -0.000137329, -0.000152588, -0.000167847,
    -0.000198364, -0.000213623, -0.000244141, -0.000259399, -0.000289917, -0.000320435, -0.000366211, -0.000396729,
    -0.000442505, -0.000473022, -0.000534058, -0.000579834, -0.000625610, -0.000686646, -0.000747681, -0.000808716,
    -0.000885010, -0.000961304, -0.001037598, -0.001113892, -0.001205444, -0.001296997, -0.001388550, -0.001480103,
    -0.001586914, -0.001693726, -0.001785278, -0.001907349, -0.002014160, -0.002120972, -0.002243042, -0.002349854,
    -0.002456665, -0.002578735, -0.002685547, -0.002792358, -0.002899170, -0.002990723, -0.003082275, -0.003173828,
     0.003250122,  0.003326416,  0.003387451,  0.003433228,  0.003463745,  0.003479004,  0.003479004,  0.003463745,
     0.003417969,  0.003372192,  0.003280640,  0.003173828,  0.003051758,  0.002883911,  0.002700806,  0.002487183,
     0.002227783,  0.001937866,  0.001617432,  0.001266479,  0.000869751,  0.000442505, -0.000030518, -0.000549316,
    -0.001098633, -0.001693726, -0.002334595, -0.003005981, -0.003723145, -0.004486084, -0.005294800, -0.006118774,
    -0.007003784, -0.007919312, -0.008865356, -0.009841919, -0.010848999, -0.011886597, -0.012939453, -0.014022827,
    -0.015121460, -0.016235352, -0.017349243, -0.018463135, -0.019577026, -0.020690918, -0.021789551, -0.022857666,
    -0.023910522, -0.024932861, -0.025909424, -0.026840210, -0.027725220, -0.028533936, -0.029281616, -0.029937744,
    -0.030532837, -0.031005859, -0.031387329, -0.031661987, -0.031814575, -0.031845093, -0.031738281, -0.031478882,
     0.031082153,  0.030517578,  0.029785156,  0.028884888,  0.027801514,  0.026535034,  0.025085449,  0.023422241,
     0.021575928,  0.019531250,  0.017257690,  0.014801025,  0.012115479,  0.009231567,  0.006134033,  0.002822876,
    -0.000686646, -0.004394531, -0.008316040, -0.012420654, -0.016708374, -0.021179199, -0.025817871, -0.030609131,
    -0.035552979, -0.040634155, -0.045837402, -0.051132202, -0.056533813, -0.061996460, -0.067520142, -0.073059082,
    -0.078628540, -0.084182739, -0.089706421, -0.095169067, -0.100540161, -0.105819702, -0.110946655, -0.115921021,
    -0.120697021, -0.125259399, -0.129562378, -0.133590698, -0.137298584, -0.140670776, -0.143676758, -0.146255493,
    -0.148422241, -0.150115967, -0.151306152, -0.151962280, -0.152069092, -0.151596069, -0.150497437, -0.148773193,
    -0.146362305, -0.143264771, -0.139450073, -0.134887695, -0.129577637, -0.123474121, -0.116577148, -0.108856201,
     0.100311279,  0.090927124,  0.080688477,  0.069595337,  0.057617188,  0.044784546,  0.031082153,  0.016510010,
     0.001068115, -0.015228271, -0.032379150, -0.050354004, -0.069168091, -0.088775635, -0.109161377, -0.130310059,
    -0.152206421, -0.174789429, -0.198059082, -0.221984863, -0.246505737, -0.271591187, -0.297210693, -0.323318481,
    -0.349868774, -0.376800537, -0.404083252, -0.431655884, -0.459472656, -0.487472534, -0.515609741, -0.543823242,
    -0.572036743, -0.600219727, -0.628295898, -0.656219482, -0.683914185, -0.711318970, -0.738372803, -0.765029907,
    -0.791213989, -0.816864014, -0.841949463, -0.866363525, -0.890090942, -0.913055420, -0.935195923, -0.956481934,
    -0.976852417, -0.996246338, -1.014617920, -1.031936646, -1.048156738, -1.063217163, -1.077117920, -1.089782715,
    -1.101211548, -1.111373901, -1.120223999, -1.127746582, -1.133926392, -1.138763428, -1.142211914, -1.144287109,
     1.144989014,  1.144287109,  1.142211914,  1.138763428,  1.133926392,  1.127746582,  1.120223999,  1.111373901,
     1.101211548,  1.089782715,  1.077117920,  1.063217163,  1.048156738,  1.031936646,  1.014617920,  0.996246338,
     0.976852417,  0.956481934,  0.935195923,  0.913055420,  0.890090942,  0.866363525,  0.841949463,  0.816864014,
     0.791213989,  0.765029907,  0.738372803,  0.711318970,  0.683914185,  0.656219482,  0.628295898,  0.600219727,
     0.572036743,  0.543823242,  0.515609741,  0.487472534,  0.459472656,  0.431655884,  0.404083252,  0.376800537,
     0.349868774,  0.323318481,  0.297210693,  0.271591187,  0.246505737,  0.221984863,  0.198059082,  0.174789429,
     0.152206421,  0.130310059,  0.109161377,  0.088775635,  0.069168091,  0.050354004,  0.032379150,  0.015228271,
    -0.001068115, -0.016510010, -0.031082153, -0.044784546, -0.057617188, -0.069595337, -0.080688477, -0.090927124,
     0.100311279,  0.108856201,  0.116577148,  0.123474121,  0.129577637,  0.134887695,  0.139450073,  0.143264771,
     0.146362305,  0.148773193,  0.150497437,  0.151596069,  0.152069092,  0.151962280,  0.151306152,  0.150115967,
     0.148422241,  0.146255493,  0.143676758,  0.140670776,  0.137298584,  0.133590698,  0.129562378,  0.125259399,
     0.120697021,  0.115921021,  0.110946655,  0.105819702,  0.100540161,  0.095169067,  0.089706421,  0.084182739,
     0.078628540,  0.073059082,  0.067520142,  0.061996460,  0.056533813,  0.051132202,  0.045837402,  0.040634155,
     0.035552979,  0.030609131,  0.025817871,  0.021179199,  0.016708374,  0.012420654,  0.008316040,  0.004394531,
     0.000686646, -0.002822876, -0.006134033, -0.009231567, -0.012115479, -0.014801025, -0.017257690, -0.019531250,
    -0.021575928, -0.023422241, -0.025085449, -0.026535034, -0.027801514, -0.028884888, -0.029785156, -0.030517578,
     0.031082153,  0.031478882,  0.031738281,  0.031845093,  0.031814575,  0.031661987,  0.031387329,  0.031005859,
     0.030532837,  0.029937744,  0.029281616,  0.028533936,  0.027725220,  0.026840210,  0.025909424,  0.024932861,
     0.023910522,  0.022857666,  0.021789551,  0.020690918,  0.019577026,  0.018463135,  0.017349243,  0.016235352,
     0.015121460,  0.014022827,  0.012939453,  0.011886597,  0.010848999,  0.009841919,  0.008865356,  0.007919312,
     0.007003784,  0.006118774,  0.005294800,  0.004486084,  0.003723145,  0.003005981,  0.002334595,  0.001693726,
     0.001098633,  0.000549316,  0.000030518, -0.000442505, -0.000869751, -0.001266479, -0.001617432, -0.001937866,
    -0.002227783, -0.002487183, -0.002700806, -0.002883911, -0.003051758, -0.003173828, -0.003280640, -0.003372192,
    -0.003417969, -0.003463745, -0.003479004, -0.003479004, -0.003463745, -0.003433228, -0.003387451, -0.003326416,
     0.003250122,  0.003173828,  0.003082275,  0.002990723,  0.002899170,  0.002792358,  0.002685547,  0.002578735,
     0.002456665,  0.002349854,  0.002243042,  0.002120972,  0.002014160,  0.001907349,  0.001785278,  0.001693726,
     0.001586914,  0.001480103,  0.001388550,  0.001296997,  0.001205444,  0.001113892,  0.001037598,  0.000961304,
     0.000885010,  0.000808716,  0.000747681,  0.000686646,  0.000625610,  0.000579834,  0.000534058,  0.000473022,
     0.000442505,  0.000396729,  0.000366211,  0.000320435,  0.000289917,  0.000259399,  0.000244141,  0.000213623,
     0.000198364,  0.000167847,  0.000152588,  0.000137329,  0.000122070,  0.000106812,  0.000106812,  0.000091553,
     0.000076294,  0.000076294,  0.000061035,  0.000061035,  0.000045776,  0.000045776,  0.000030518,  0.000030518,
     0.000030518,  0.000030518,  0.000015259,  0.000015259,  0.000015259,  0.000015259,  0.000015259,  0.000015259,
};

namespace {

// 1 / (2 cos((2k + 1) pi / 2N)) for the butterflies of an N-point DCT-II.
constexpr float kDct32Factors[16] = {
    0.5006029982351963F, 0.5054709598975436F, 0.5154473099226246F, 0.5310425910897841F,
    0.5531038960344445F, 0.5829349682061339F, 0.6225041230356648F, 0.6748083414550057F,
    0.7445362710022986F, 0.8393496454155268F, 0.9725682378619608F, 1.1694399334328847F,
    1.4841646163141662F, 2.057781009953411F,  3.407608418468719F,  10.190008123548033F};
constexpr float kDct16Factors[8] = {0.5024192861881557F, 0.5224986149396889F, 0.5669440348163577F,
                                    0.6468217833599901F, 0.7881546234512502F, 1.060677685990347F,
                                    1.7224470982383342F, 5.101148618689155F};

// cos(j pi / 16), j = 0 ... 8.
constexpr double kCos16ths[9] = {1.0,
                                 0.9807852804032304,
                                 0.9238795325112867,
                                 0.8314696123025452,
                                 0.7071067811865476,
                                 0.5555702330196023,
                                 0.38268343236508984,
                                 0.19509032201612833,
                                 0.0};

// The 8-point DCT-II matrix, cos((2k + 1) m pi / 16) at [k][m].
constexpr std::array<std::array<float, 8>, 8> dct8_matrix() {
    std::array<std::array<float, 8>, 8> matrix{};
    for (int k = 0; k < 8; ++k) {
        for (int m = 0; m < 8; ++m) {
            int angle = (2 * k + 1) * m % 32;  // in 16ths of pi
            if (angle > 16) angle = 32 - angle;
            matrix[k][m] = static_cast<float>(angle > 8 ? -kCos16ths[16 - angle] : kCos16ths[angle]);
        }
    }
    return matrix;
}
constexpr auto kDct8 = dct8_matrix();

constexpr std::array<float, 512> single_window() {
    std::array<float, 512> window{};
    for (int i = 0; i < 512; ++i) window[i] = static_cast<float>(kSynthesisWindow[i]);
    return window;
}
constexpr auto kWindow = single_window();

// One radix-2 step of an N-point DCT-II: the DCT of the sums of mirrored
// inputs gives the even outputs; the DCT of their differences, scaled by
// 1 / (2 cos((2k + 1) pi / 2N)), gives the odd outputs as sums of neighbours.
template <int N>
MPADEC_INLINE void split(const float* in, const float* factors, float* sums, float* differences) {
    for (int k = 0; k < N / 2; ++k) {
        sums[k] = in[k] + in[N - 1 - k];
        differences[k] = (in[k] - in[N - 1 - k]) * factors[k];
    }
}

template <int N>
MPADEC_INLINE void merge(const float* even, const float* odd, float* out) {
    for (int m = 0; m < N / 2 - 1; ++m) {
        out[2 * m] = even[m];
        out[2 * m + 1] = odd[m] + odd[m + 1];
    }
    out[N - 2] = even[N / 2 - 1];
    out[N - 1] = odd[N / 2 - 1];
}

// out[m] = sum in[k] cos((2k + 1) m pi / 64): two radix-2 steps down to four
// 8-point DCTs, which are computed as small matrix products so that they
// vectorise.
MPADEC_INLINE void fast_dct32(const float* in, float* out) {
    float halves[2][16];
    split<32>(in, kDct32Factors, halves[0], halves[1]);
    float quarters[4][8];
    split<16>(halves[0], kDct16Factors, quarters[0], quarters[1]);
    split<16>(halves[1], kDct16Factors, quarters[2], quarters[3]);
    float products[4][8];
    for (int q = 0; q < 4; ++q) {
        for (int m = 0; m < 8; ++m) products[q][m] = kDct8[0][m] * quarters[q][0];
        for (int k = 1; k < 8; ++k) {
            for (int m = 0; m < 8; ++m) products[q][m] += kDct8[k][m] * quarters[q][k];
        }
    }
    merge<16>(products[0], products[1], halves[0]);
    merge<16>(products[2], products[3], halves[1]);
    merge<32>(halves[0], halves[1], out);
}

// Matrixing into the ring's 64 values at `v`:
// V[i] = sum S[k] cos((16 + i)(2k + 1) pi / 64), from the DCT's symmetries.
MPADEC_INLINE void matrix(const float* subband, float* v) {
    float x[32];
    fast_dct32(subband, x);
    for (int i = 0; i < 16; ++i) v[i] = x[16 + i];
    v[16] = 0.0F;
    for (int i = 17; i < 48; ++i) v[i] = -x[48 - i];
    for (int i = 48; i < 64; ++i) v[i] = -x[i - 48];
}

// Windowing: out[j] = sum over i of D[64i + j] V[128i + j] + D[64i + 32 + j]
// V[128i + 96 + j], ring positions taken from `position`. Each run of 32 ring
// values starts at a multiple of 32 and stays inside one 64-value block, so
// it never wraps.
struct window_rows {
    const float* near;
    const float* far;
};

MPADEC_INLINE window_rows rows_of(const float* ring, int position, int i) {
    return {ring + ((position + 128 * i) & (kRingSize - 1)), ring + ((position + 128 * i + 96) & (kRingSize - 1))};
}

// One block: matrixing into the ring, then the windowing, written as plain
// loops over 32 outputs that the compiler vectorises for each target below.
MPADEC_INLINE void synthesize_block(float* ring, int position, const float* subband, float* out) {
    matrix(subband, ring + position);
    float sum[32] = {};
    for (int i = 0; i < 8; ++i) {
        const window_rows r = rows_of(ring, position, i);
        const float* d = kWindow.data() + 64 * i;
        for (int j = 0; j < 32; ++j) sum[j] += d[j] * r.near[j] + d[32 + j] * r.far[j];
    }
    std::memcpy(out, sum, sizeof sum);
}

void synthesize_portable(float* ring, int position, const float* subband, float* out) {
    synthesize_block(ring, position, subband, out);
}

#if MPADEC_X86_KERNELS
MPADEC_TARGET("sse2") void synthesize_sse2(float* ring, int position, const float* subband, float* out) {
    synthesize_block(ring, position, subband, out);
}

MPADEC_TARGET("avx2") void synthesize_avx2(float* ring, int position, const float* subband, float* out) {
    synthesize_block(ring, position, subband, out);
}
#endif

using synthesis_kernel = void (*)(float*, int, const float*, float*);

synthesis_kernel kernel_for(simd_path path) {
#if MPADEC_X86_KERNELS
    if (path == simd_path::avx2) return synthesize_avx2;
    if (path == simd_path::sse2) return synthesize_sse2;
#endif
    (void)path;
    return synthesize_portable;
}

}  // namespace

void dct32(const float* in, float* out) { fast_dct32(in, out); }

void synthesize(mpa_decoder& decoder, int channel, const float* subband, float* out) {
    int& position = decoder.ring_position[channel];
    position = (position - 64) & (kRingSize - 1);
    kernel_for(decoder.simd)(decoder.ring[channel], position, subband, out);
}

void synthesize(mpa_decoder& decoder, int channel, const double* subband, double* out) {
    float in[32], result[32];
    for (int k = 0; k < 32; ++k) in[k] = static_cast<float>(subband[k]);
    synthesize(decoder, channel, in, result);
    for (int j = 0; j < 32; ++j) out[j] = result[j];
}

namespace {

// Rounding half away from zero adds +-0.5 by the sign and truncates; 0 and
// -0 give 0 either way. The rounded value is held one step beyond the 16-bit
// range on either side, where it counts as clipped and saturates. Done in
// double, where adding the half is exact.
MPADEC_INLINE std::int32_t round_half_away(double value) {
    const double rounded = value * 32768.0 + std::copysign(0.5, value);
    const double low = rounded < -32769.0 ? -32769.0 : rounded;
    return static_cast<std::int32_t>(low > 32768.0 ? 32768.0 : low);
}

// The same for single precision without a sum that could round: the value
// truncated, moved one step away from zero when the part cut off is a half
// or more. Every step is exact in single precision, so the result equals the
// double form's for every float.
MPADEC_INLINE std::int32_t round_half_away(float value) {
    const float scaled = value * 32768.0F;
    const float low = scaled < -32769.0F ? -32769.0F : scaled;
    const float held = low > 32768.0F ? 32768.0F : low;
    const auto whole = static_cast<std::int32_t>(held);
    const float cut = held - static_cast<float>(whole);
    return whole + static_cast<std::int32_t>(cut >= 0.5F) - static_cast<std::int32_t>(cut <= -0.5F);
}

MPADEC_INLINE std::int16_t saturate(std::int32_t value, int& clips) {
    clips += (value > 32767) + (value < -32768);
    const std::int32_t low = value < -32768 ? -32768 : value;
    return static_cast<std::int16_t>(low > 32767 ? 32767 : low);
}

// One time slot of every channel, interleaved. Rounding, interleaving and
// saturation are separate passes over fixed counts so that each vectorises.
template <int Channels, typename Sample>
MPADEC_INLINE void convert_slot(const Sample (&slot)[2][32], std::int16_t* samples, int& clips) {
    std::int32_t rounded[Channels][32];
    for (int ch = 0; ch < Channels; ++ch) {
        for (int j = 0; j < 32; ++j) rounded[ch][j] = round_half_away(slot[ch][j]);
    }
    std::int32_t interleaved[32 * Channels];
    for (int j = 0; j < 32; ++j) {
        for (int ch = 0; ch < Channels; ++ch) interleaved[j * Channels + ch] = rounded[ch][j];
    }
    for (int i = 0; i < 32 * Channels; ++i) samples[i] = saturate(interleaved[i], clips);
}

template <typename Sample>
MPADEC_INLINE void convert(mpa_decoder& decoder, const Sample (*rows)[2][32], int slots) {
    const int channels = decoder.header.channels;
    std::uint8_t* pcm = decoder.frame_pcm + static_cast<std::size_t>(decoder.pcm_position) * channels * 2;
    int clips = 0;
    for (int slot = 0; slot < slots; ++slot) {
        std::int16_t samples[64];
        if (channels == 2) {
            convert_slot<2>(rows[slot], samples, clips);
        } else {
            convert_slot<1>(rows[slot], samples, clips);
        }
        const int count = 32 * channels;
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(pcm, samples, static_cast<std::size_t>(count) * 2);
        } else {
            for (int i = 0; i < count; ++i) {
                pcm[2 * i] = static_cast<std::uint8_t>(samples[i]);
                pcm[2 * i + 1] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(samples[i]) >> 8);
            }
        }
        pcm += count * 2;
    }
    decoder.clip_count = static_cast<std::uint16_t>(decoder.clip_count + clips);
    decoder.pcm_position += 32 * slots;
}

#if MPADEC_X86_KERNELS

// Four values rounded as round_half_away(float) does; `clips` counts, per
// lane, the results outside the 16-bit range.
MPADEC_TARGET("sse2") inline __m128i round_four(const float* values, __m128i& clips) {
    const __m128 scaled = _mm_mul_ps(_mm_loadu_ps(values), _mm_set1_ps(32768.0F));
    const __m128 held = _mm_min_ps(_mm_max_ps(scaled, _mm_set1_ps(-32769.0F)), _mm_set1_ps(32768.0F));
    const __m128i whole = _mm_cvttps_epi32(held);
    const __m128 cut = _mm_sub_ps(held, _mm_cvtepi32_ps(whole));
    const __m128i up = _mm_castps_si128(_mm_cmpge_ps(cut, _mm_set1_ps(0.5F)));
    const __m128i down = _mm_castps_si128(_mm_cmple_ps(cut, _mm_set1_ps(-0.5F)));
    const __m128i rounded = _mm_add_epi32(_mm_sub_epi32(whole, up), down);
    clips = _mm_sub_epi32(clips, _mm_cmpgt_epi32(rounded, _mm_set1_epi32(32767)));
    clips = _mm_sub_epi32(clips, _mm_cmplt_epi32(rounded, _mm_set1_epi32(-32768)));
    return rounded;
}

// Single-precision rows: rounding, interleaving and saturation four values
// at a time, the saturation by the saturating pack.
MPADEC_TARGET("sse2") void convert_sse2(mpa_decoder& decoder, const float (*rows)[2][32], int slots) {
    const int channels = decoder.header.channels;
    std::uint8_t* pcm = decoder.frame_pcm + static_cast<std::size_t>(decoder.pcm_position) * channels * 2;
    __m128i clips = _mm_setzero_si128();
    for (int slot = 0; slot < slots; ++slot) {
        const float* left = rows[slot][0];
        const float* right = rows[slot][1];
        for (int j = 0; j < 32; j += 8) {
            const __m128i a = round_four(left + j, clips);
            const __m128i b = round_four(left + j + 4, clips);
            if (channels == 2) {
                const __m128i c = round_four(right + j, clips);
                const __m128i d = round_four(right + j + 4, clips);
                _mm_storeu_si128(reinterpret_cast<__m128i*>(pcm),
                                 _mm_packs_epi32(_mm_unpacklo_epi32(a, c), _mm_unpackhi_epi32(a, c)));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(pcm + 16),
                                 _mm_packs_epi32(_mm_unpacklo_epi32(b, d), _mm_unpackhi_epi32(b, d)));
                pcm += 32;
            } else {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(pcm), _mm_packs_epi32(a, b));
                pcm += 16;
            }
        }
    }
    alignas(16) std::int32_t lanes[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), clips);
    decoder.clip_count = static_cast<std::uint16_t>(decoder.clip_count + lanes[0] + lanes[1] + lanes[2] + lanes[3]);
    decoder.pcm_position += 32 * slots;
}

#endif

template <typename Sample>
void convert_on_path(mpa_decoder& decoder, const Sample (*rows)[2][32], int slots) {
#if MPADEC_X86_KERNELS
    if constexpr (std::is_same_v<Sample, float>) {
        if (decoder.simd != simd_path::portable) {
            convert_sse2(decoder, rows, slots);
            return;
        }
    }
#endif
    convert(decoder, rows, slots);
}

}  // namespace

std::int16_t to_pcm(double value, std::uint16_t& clip_count) {
    int clips = 0;
    const std::int16_t sample = saturate(round_half_away(value), clips);
    clip_count = static_cast<std::uint16_t>(clip_count + clips);
    return sample;
}

std::int16_t to_pcm(float value, std::uint16_t& clip_count) {
    int clips = 0;
    const std::int16_t sample = saturate(round_half_away(value), clips);
    clip_count = static_cast<std::uint16_t>(clip_count + clips);
    return sample;
}

void convert_rows(mpa_decoder& decoder, const float (*rows)[2][32], int slots) {
    convert_on_path(decoder, rows, slots);
}

void convert_rows(mpa_decoder& decoder, const double (*rows)[2][32], int slots) {
    convert_on_path(decoder, rows, slots);
}

}  // namespace mpadec
