// The Layer III hybrid filterbank: reorder of short blocks, alias reduction,
// the IMDCT with the window of the block type and the overlap with the last
// granule, and frequency inversion, giving 18 time slots of 32 subband
// samples for the synthesis.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "libs/mpadec/layer3.h"

namespace mpadec {
namespace {

constexpr double kPi = std::numbers::pi;

// The alias-reduction coefficients c of ISO/IEC 11172-3 Table B.9.
constexpr double kAliasC[8] = {-0.6, -0.535, -0.33, -0.185, -0.095, -0.041, -0.0142, -0.0037};

struct complex {
    double re, im;
};

constexpr complex operator+(complex a, complex b) { return {a.re + b.re, a.im + b.im}; }
constexpr complex operator-(complex a, complex b) { return {a.re - b.re, a.im - b.im}; }
constexpr complex operator*(complex a, complex b) {
    return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}
constexpr complex operator*(double a, complex b) { return {a * b.re, a * b.im}; }

complex unit(double angle) { return {std::cos(angle), std::sin(angle)}; }

struct hybrid_tables {
    double cs[8], ca[8];
    double windows[4][36];
    complex pre9[9], post9[9], twiddle9[3][3];  // for the 18-point DCT-IV, see dct4_18
    double cos6[6][6];                          // 6-point DCT-IV, [k][m]: cos(pi/24 (2m + 1)(2k + 1))
};

void fill_windows(double (&w)[4][36]) {
    for (int i = 0; i < 36; ++i) w[0][i] = std::sin(kPi / 36 * (i + 0.5));
    for (int i = 0; i < 36; ++i) {
        w[1][i] = i < 18 ? w[0][i] : i < 24 ? 1.0 : i < 30 ? std::sin(kPi / 12 * (i + 0.5 - 18)) : 0.0;
        w[3][i] = i < 6 ? 0.0 : i < 12 ? std::sin(kPi / 12 * (i + 0.5 - 6)) : i < 18 ? 1.0 : w[0][i];
        w[2][i] = i < 12 ? std::sin(kPi / 12 * (i + 0.5)) : 0.0;
    }
}

const hybrid_tables& tables() {
    static const hybrid_tables t = [] {
        hybrid_tables h{};
        for (int i = 0; i < 8; ++i) {
            const double root = std::sqrt(1 + kAliasC[i] * kAliasC[i]);
            h.cs[i] = 1 / root;
            h.ca[i] = kAliasC[i] / root;
        }
        fill_windows(h.windows);
        for (int n = 0; n < 9; ++n) {
            h.pre9[n] = unit(-kPi / 18 * (n + 0.25));
            h.post9[n] = unit(-kPi / 18 * n);
        }
        for (int b = 0; b < 3; ++b) {
            for (int c = 0; c < 3; ++c) h.twiddle9[b][c] = unit(-2 * kPi / 9 * b * c);
        }
        for (int m = 0; m < 6; ++m) {
            for (int k = 0; k < 6; ++k) h.cos6[m][k] = std::cos(kPi / 24 * (2 * m + 1) * (2 * k + 1));
        }
        return h;
    }();
    return t;
}

// y[m] = sum in[k] cos(pi/4N (2m + 1)(2k + 1)), summed over k in order. The
// loop runs over k outside so that the inner loop over m vectorises; each
// y[m] still adds its terms in the same order. Zero lines add nothing.
template <int N>
void dct4(const double* in, const double (&cosines)[N][N], double* y) {
    for (int m = 0; m < N; ++m) y[m] = 0;
    for (int k = 0; k < N; ++k) {
        const double line = in[k];
        if (line == 0) continue;
        for (int m = 0; m < N; ++m) y[m] += line * cosines[k][m];
    }
}

// Sum p0 + p1 w^k + p2 w^2k for k = 0, 1, 2, w = e^(-2 pi i / 3).
void dft3(complex p0, complex p1, complex p2, complex& x0, complex& x1, complex& x2) {
    constexpr double kHalfRoot3 = 0.86602540378443864676;
    const complex sum = p1 + p2;
    const complex diff = p1 - p2;
    const complex mid = p0 - 0.5 * sum;
    const complex turn{kHalfRoot3 * diff.im, -kHalfRoot3 * diff.re};  // -i sqrt(3)/2 (p1 - p2)
    x0 = p0 + sum;
    x1 = mid + turn;
    x2 = mid - turn;
}

// The 18-point DCT-IV through a 9-point complex DFT: the even lines as real
// parts and the odd lines taken from the end as imaginary parts, turned by
// e^(-i pi (n + 1/4) / 18); after the DFT, term k turned by e^(-i pi k / 18)
// holds y[2k] as its real part and -y[17 - 2k] as its imaginary part. The DFT
// is three 3-point DFTs over n = 3a + b, the twiddles w9^(b c), and three
// 3-point DFTs over b giving term c + 3d.
void dct4_18(const double* in, double* y) {
    const hybrid_tables& t = tables();
    complex v[9];
    for (int n = 0; n < 9; ++n) v[n] = complex{in[2 * n], in[17 - 2 * n]} * t.pre9[n];
    complex inner[3][3];  // [b][c]
    for (int b = 0; b < 3; ++b) {
        dft3(v[b], v[3 + b], v[6 + b], inner[b][0], inner[b][1], inner[b][2]);
        for (int c = 1; c < 3; ++c) inner[b][c] = inner[b][c] * t.twiddle9[b][c];
    }
    for (int c = 0; c < 3; ++c) {
        complex z[3];
        dft3(inner[0][c], inner[1][c], inner[2][c], z[0], z[1], z[2]);
        for (int d = 0; d < 3; ++d) {
            const int k = c + 3 * d;
            const complex turned = z[d] * t.post9[k];
            y[2 * k] = turned.re;
            y[17 - 2 * k] = -turned.im;
        }
    }
}

// The IMDCT of N lines is a DCT-IV of N lines spread over 2N outputs with
// its symmetries: x[n] = y[n + N/2] for the first quarter, -y[3N/2 - 1 - n]
// for the middle half and -y[n - 3N/2] for the last quarter.
template <int N>
void unfold(const double* y, double* out) {
    constexpr int Q = N / 2;
    for (int n = 0; n < Q; ++n) out[n] = y[n + Q];
    for (int n = Q; n < 3 * Q; ++n) out[n] = -y[3 * Q - 1 - n];
    for (int n = 3 * Q; n < 2 * N; ++n) out[n] = -y[n - 3 * Q];
}


// Three short IMDCTs over lines w, w + 3, ... placed at 6, 12 and 18.
void short_block(const double* lines, const double* window, double* out) {
    std::memset(out, 0, 36 * sizeof(double));
    for (int w = 0; w < 3; ++w) {
        double in[6], x[12];
        for (int k = 0; k < 6; ++k) in[k] = lines[w + 3 * k];
        imdct12(in, x);
        for (int i = 0; i < 12; ++i) out[6 + 6 * w + i] += x[i] * window[i];
    }
}

// True when all 18 lines of a subband are zero, as the subbands above the
// coded spectrum are: their IMDCT output is zero and need not be computed.
bool silent_subband(const double* lines) {
    bool sound = false;  // no early exit: a branch per line costs more than the test
    for (int i = 0; i < kSubbandLines; ++i) sound |= lines[i] != 0;
    return !sound;
}

}  // namespace

const double* imdct_window(int block_type) { return tables().windows[block_type & 3]; }

void imdct36(const double* in, double* out) {
    double y[18];
    dct4_18(in, y);
    unfold<18>(y, out);
}

void imdct12(const double* in, double* out) {
    double y[6];
    dct4<6>(in, tables().cos6, y);
    unfold<6>(y, out);
}

void reorder_short(double lines[kGranuleLines], const granule_info& g, const band_layout& bands) {
    double reordered[kGranuleLines];
    std::memcpy(reordered, lines, sizeof reordered);
    for (int band = g.mixed_block_flag ? 3 : 0; band < 13; ++band) {
        const int start = bands.short_bounds[band];
        const int width = bands.short_bounds[band + 1] - start;
        for (int w = 0; w < 3; ++w) {
            for (int f = 0; f < width; ++f) reordered[3 * start + 3 * f + w] = lines[3 * start + w * width + f];
        }
    }
    std::memcpy(lines, reordered, sizeof reordered);
}

void reduce_aliasing(double lines[kGranuleLines], int subbands) {
    const hybrid_tables& t = tables();
    for (int sb = 1; sb < subbands; ++sb) {
        double* boundary = lines + kSubbandLines * sb;
        for (int i = 0; i < 8; ++i) {
            const double upper = boundary[-1 - i];
            const double lower = boundary[i];
            boundary[-1 - i] = upper * t.cs[i] - lower * t.ca[i];
            boundary[i] = lower * t.cs[i] + upper * t.ca[i];
        }
    }
}

namespace {

// Subbands up to and including the highest one with a non-zero line.
int subbands_in_use(const double lines[kGranuleLines]) {
    for (int sb = kSubbands; sb > 0; --sb) {
        if (!silent_subband(lines + kSubbandLines * (sb - 1))) return sb;
    }
    return 0;
}

// One subband's 18 time slots: the first half of its IMDCT output plus the
// overlap, odd slots of odd subbands negated (frequency inversion); the
// second half becomes the overlap.
void overlap_add(const double* out, double* overlap, int sb, float (*slots)[2][kSubbands], int channel) {
    const double odd_sign = sb & 1 ? -1.0 : 1.0;
    for (int i = 0; i < kSubbandLines; i += 2) {
        slots[i][channel][sb] = static_cast<float>(out[i] + overlap[i]);
        slots[i + 1][channel][sb] = static_cast<float>(odd_sign * (out[i + 1] + overlap[i + 1]));
    }
    std::memcpy(overlap, out + kSubbandLines, kSubbandLines * sizeof(double));
}

// The same for a long block in one pass from its DCT-IV: the IMDCT's first
// half, x[n] = y[n + 9] for n < 9 and -y[26 - n] after, windowed and added
// to the overlap; its second half, -y[26 - n] below 27 and -y[n - 27] from
// there, windowed into the overlap.
void long_block(const double* lines, const double* window, double* overlap, int sb, float (*slots)[2][kSubbands],
                int channel) {
    double y[18];
    dct4_18(lines, y);
    const double odd_sign = sb & 1 ? -1.0 : 1.0;
    double first[18];
    for (int n = 0; n < 9; ++n) first[n] = y[n + 9] * window[n] + overlap[n];
    for (int n = 9; n < 18; ++n) first[n] = -y[26 - n] * window[n] + overlap[n];
    for (int n = 18; n < 27; ++n) overlap[n - 18] = -y[26 - n] * window[n];
    for (int n = 27; n < 36; ++n) overlap[n - 18] = -y[n - 27] * window[n];
    for (int i = 0; i < kSubbandLines; i += 2) {
        slots[i][channel][sb] = static_cast<float>(first[i]);
        slots[i + 1][channel][sb] = static_cast<float>(odd_sign * first[i + 1]);
    }
}

// The same for a subband whose IMDCT output is zero: the overlap alone.
void overlap_only(double* overlap, int sb, float (*slots)[2][kSubbands], int channel) {
    const double odd_sign = sb & 1 ? -1.0 : 1.0;
    for (int i = 0; i < kSubbandLines; i += 2) {
        slots[i][channel][sb] = static_cast<float>(overlap[i]);
        slots[i + 1][channel][sb] = static_cast<float>(odd_sign * overlap[i + 1]);
    }
    std::fill(overlap, overlap + kSubbandLines, 0.0);
}

}  // namespace

void hybrid_synthesis(double lines[kGranuleLines], const granule_info& g, const band_layout& bands,
                      double overlap[kSubbands][kSubbandLines], float (*slots)[2][kSubbands], int channel) {
    const int block_type = g.window_switching_flag ? g.block_type : 0;
    int used = 0;
    if (short_blocks(g)) {
        // Short blocks get no alias reduction; the two long subbands of a
        // mixed block get it at the boundary between them.
        reorder_short(lines, g, bands);
        if (g.mixed_block_flag) reduce_aliasing(lines, 2);
        used = subbands_in_use(lines);
    } else {
        // Above the highest subband in use, the only butterflies that change
        // anything are those at its upper boundary.
        used = std::min(subbands_in_use(lines) + 1, kSubbands);
        reduce_aliasing(lines, used);
    }
    // The mixed block flag puts the two lowest subbands under the normal
    // window whatever the block type, also for start and stop blocks.
    const bool mixed = g.window_switching_flag && g.mixed_block_flag;
    for (int sb = 0; sb < kSubbands; ++sb) {
        const int type = mixed && sb < 2 ? 0 : block_type;
        if (sb >= used || silent_subband(lines + kSubbandLines * sb)) {
            overlap_only(overlap[sb], sb, slots, channel);  // the IMDCT of silence is zero
        } else if (type == 2) {
            double out[36];
            short_block(lines + kSubbandLines * sb, imdct_window(2), out);
            overlap_add(out, overlap[sb], sb, slots, channel);
        } else {
            long_block(lines + kSubbandLines * sb, imdct_window(type), overlap[sb], sb, slots, channel);
        }
    }
}

}  // namespace mpadec
