// Layer III dequantisation: sign(x) |x|^(4/3) times the gain of the line's
// scale factor band, 2^(0.25 (global_gain - 210)) with the scale factor, the
// pre-emphasis and, for short blocks, the subblock gain of the window.

#include <algorithm>
#include <array>
#include <cmath>

#include "libs/mpadec/layer3.h"

namespace mpadec {
namespace {

constexpr int kPowerEntries = 8208;  // up to 15 + 2^13 - 1 with the widest linbits

// Pre-emphasis per long band (preflag), ISO/IEC 11172-3 Table B.6.
constexpr int kPretab[22] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 3, 3, 3, 2, 0};

const std::array<double, kPowerEntries>& power_table() {
    static const std::array<double, kPowerEntries> table = [] {
        std::array<double, kPowerEntries> t{};
        for (int x = 0; x < kPowerEntries; ++x) t[x] = std::round(std::pow(x, 4.0 / 3.0) * 1e6) / 1e6;
        return t;
    }();
    return table;
}

// 2^(quarters / 4): the powers of 2^(1/4) the gains are made of, without a
// pow call per band. Scaling by 2^(quarters >> 2) is exact.
double power_of_quarter_root(int quarters) {
    static const std::array<double, 4> roots = [] {
        std::array<double, 4> r{};
        for (int i = 0; i < 4; ++i) r[i] = std::pow(2.0, 0.25 * i);
        return r;
    }();
    return std::ldexp(roots[quarters & 3], quarters >> 2);
}

// The scale factor's exponent in quarters: -2 or -4 per step.
int scale_quarters(const granule_info& g, int factor) { return -2 * (1 + g.scalefac_scale) * factor; }

// Lines from `end` on are silent: their values are all 0, so are the lines,
// and no band there needs a gain.
int non_zero_end(const int values[kGranuleLines]) {
    int end = kGranuleLines;
    while (end > 0 && values[end - 1] == 0) --end;
    return end;
}

void scale_lines(const int* values, double* lines, int count, double gain) {
    const std::array<double, kPowerEntries>& table = power_table();
    for (int i = 0; i < count; ++i) {
        const int x = values[i];
        const double magnitude = table[static_cast<std::size_t>(std::min(x < 0 ? -x : x, kPowerEntries - 1))];
        lines[i] = (x < 0 ? -magnitude : magnitude) * gain;
    }
}

// Long bands [0, last_band) up to line `end`.
void dequantise_long(const int* values, const granule_info& g, const scale_factors& f, const band_layout& bands,
                     int last_band, double global, double* lines) {
    const int end = non_zero_end(values);
    for (int band = 0; band < last_band; ++band) {
        const int from = bands.long_bounds[band];
        const int to = bands.long_bounds[band + 1];
        if (from >= end) {
            std::fill(lines + from, lines + bands.long_bounds[last_band], 0.0);
            return;
        }
        const int factor = f.l[band] + g.preflag * kPretab[band];
        const double gain = global * power_of_quarter_root(scale_quarters(g, factor));
        scale_lines(values + from, lines + from, to - from, gain);
    }
}

// Short bands from `first_band`, each with its three windows in a row.
void dequantise_short(const int* values, const granule_info& g, const scale_factors& f, const band_layout& bands,
                      int first_band, double global, double* lines) {
    const int end = non_zero_end(values);
    for (int band = first_band; band < 13; ++band) {
        const int width = bands.short_bounds[band + 1] - bands.short_bounds[band];
        if (3 * bands.short_bounds[band] >= end) {
            std::fill(lines + 3 * bands.short_bounds[band], lines + kGranuleLines, 0.0);
            return;
        }
        for (int window = 0; window < 3; ++window) {
            const int from = 3 * bands.short_bounds[band] + window * width;
            const double gain = global * power_of_quarter_root(-8 * g.subblock_gain[window]) *
                                power_of_quarter_root(scale_quarters(g, f.s[band][window]));
            scale_lines(values + from, lines + from, width, gain);
        }
    }
}

}  // namespace

double power_four_thirds(int magnitude) {
    return power_table()[static_cast<std::size_t>(std::clamp(magnitude, 0, kPowerEntries - 1))];
}

void dequantise(const int values[kGranuleLines], const granule_info& g, const scale_factors& factors,
                const band_layout& bands, int version, double lines[kGranuleLines]) {
    const double global = power_of_quarter_root(g.global_gain - 210);
    if (!short_blocks(g)) {
        dequantise_long(values, g, factors, bands, 22, global, lines);
    } else if (g.mixed_block_flag) {
        dequantise_long(values, g, factors, bands, mixed_long_bands(version), global, lines);
        dequantise_short(values, g, factors, bands, 3, global, lines);
    } else {
        dequantise_short(values, g, factors, bands, 0, global, lines);
    }
}

}  // namespace mpadec
