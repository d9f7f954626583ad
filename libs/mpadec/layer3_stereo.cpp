// Layer III joint stereo: mid/side and intensity stereo, MPEG-1 (intensity
// ratio tan(is_pos pi/12)) and MPEG-2 (powers of io by the intensity
// position). Lines are in coded order: long bands, or short bands each with
// its three windows in a row.

#include <cmath>
#include <numbers>

#include "libs/mpadec/layer3.h"

namespace mpadec {
namespace {

constexpr double kSqrt2 = 1.41421356;  // mid/side divisor, these digits exactly

// What happens to one run of lines.
struct intensity {
    bool on;
    bool ratio_form;  // MPEG-1: left x ratio / (1 + ratio), right x / (1 + ratio)
    double ratio;
    double left, right;  // MPEG-2: left x k_L, right x k_R
};

constexpr intensity kOutside{false, false, 0.0, 1.0, 1.0};

intensity mpeg1_ratio(double ratio) { return {true, true, ratio, 0.0, 0.0}; }

intensity mpeg1_position(int is_pos) {
    return is_pos == 7 ? kOutside : mpeg1_ratio(std::tan(is_pos * std::numbers::pi / 12));
}

intensity mpeg2_position(int is_pos, int is_max, int scalefac_compress) {
    if (is_pos == is_max) return kOutside;
    const double io = scalefac_compress & 1 ? 0.707106781188 : 0.840896415256;
    if (is_pos == 0) return {true, false, 0.0, 1.0, 1.0};
    if (is_pos & 1) return {true, false, 0.0, std::pow(io, (is_pos + 1) / 2), 1.0};
    return {true, false, 0.0, 1.0, std::pow(io, is_pos / 2)};
}

struct joint {
    double* left;
    double* right;
    bool mid_side;
};

void apply(const joint& j, int from, int count, const intensity& is) {
    for (int i = from; i < from + count; ++i) {
        const double x = j.left[i];
        if (is.on && is.ratio_form) {
            j.left[i] = x * is.ratio / (1 + is.ratio);
            j.right[i] = x * 1 / (1 + is.ratio);
        } else if (is.on) {
            j.left[i] = x * is.left;
            j.right[i] = x * is.right;
        } else if (j.mid_side) {
            const double s = j.right[i];
            j.left[i] = (x + s) / kSqrt2;
            j.right[i] = (x - s) / kSqrt2;
        }
    }
}

bool any_non_zero(const double* lines, int from, int count) {
    for (int i = from; i < from + count; ++i) {
        if (lines[i] != 0.0) return true;
    }
    return false;
}

// The intensity positions of a frame and how they turn into factors.
struct positions {
    int version;
    int scalefac_compress;  // of the right channel
    const scale_factors& f;

    [[nodiscard]] intensity of_long(int band) const {
        return version == 1 ? mpeg1_position(f.l[band]) : mpeg2_position(f.l[band], f.l_max[band], scalefac_compress);
    }
    [[nodiscard]] intensity of_short(int band, int window) const {
        return version == 1 ? mpeg1_position(f.s[band][window])
                            : mpeg2_position(f.s[band][window], f.s_max[band][window], scalefac_compress);
    }
    // The top band takes the position of the band below it, or a neutral one
    // when the intensity region starts at the top band itself. For MPEG-1 the
    // ratio is computed even from position 7.
    [[nodiscard]] intensity of_top(bool region_starts_here, int below_pos, int below_max) const {
        if (version == 1) return mpeg1_ratio(region_starts_here ? 0.0 : std::tan(below_pos * std::numbers::pi / 12));
        if (region_starts_here) return mpeg2_position(0, 1, scalefac_compress);
        return mpeg2_position(below_pos, below_max, scalefac_compress);
    }
};

// Long bands [first, last): the region starts after the right channel's
// highest non-zero band; `top` marks band 21 as the top band.
void intensity_long(const joint& j, const band_layout& bands, const positions& p, int last, bool top) {
    int start = 0;
    for (int band = last - 1; band >= 0; --band) {
        const int from = bands.long_bounds[band];
        if (any_non_zero(j.right, from, bands.long_bounds[band + 1] - from)) {
            start = band + 1;
            break;
        }
    }
    for (int band = 0; band < last; ++band) {
        const int from = bands.long_bounds[band];
        const int count = bands.long_bounds[band + 1] - from;
        if (band < start) {
            apply(j, from, count, kOutside);
        } else if (top && band == 21) {
            apply(j, from, count, p.of_top(start == 21, p.f.l[20], p.f.l_max[20]));
        } else {
            apply(j, from, count, p.of_long(band));
        }
    }
}

// Short bands from `first` (3 in mixed blocks), window by window. Returns
// true when some window has a non-zero right line in these bands.
bool intensity_short(const joint& j, const band_layout& bands, const positions& p, int first) {
    bool non_zero = false;
    for (int window = 0; window < 3; ++window) {
        int start = first;
        for (int band = 12; band >= first; --band) {
            const int width = bands.short_bounds[band + 1] - bands.short_bounds[band];
            if (any_non_zero(j.right, 3 * bands.short_bounds[band] + window * width, width)) {
                start = band + 1;
                non_zero = true;
                break;
            }
        }
        for (int band = first; band < 13; ++band) {
            const int width = bands.short_bounds[band + 1] - bands.short_bounds[band];
            const int from = 3 * bands.short_bounds[band] + window * width;
            if (band < start) {
                apply(j, from, width, kOutside);
            } else if (band == 12) {
                apply(j, from, width, p.of_top(start == 12, p.f.s[11][window], p.f.s_max[11][window]));
            } else {
                apply(j, from, width, p.of_short(band, window));
            }
        }
    }
    return non_zero;
}

}  // namespace

void process_stereo(double lines[2][kGranuleLines], const stereo_frame& frame, const granule_info& g,
                    const granule_info& right, const scale_factors& right_factors, const band_layout& bands) {
    if (frame.mode != 1) return;
    const joint j{lines[0], lines[1], (frame.mode_extension & 2) != 0};
    if (!(frame.mode_extension & 1)) {
        if (j.mid_side) apply(j, 0, kGranuleLines, kOutside);
        return;
    }
    const positions p{frame.version, right.scalefac_compress, right_factors};
    if (!short_blocks(g)) {
        intensity_long(j, bands, p, 22, true);
    } else if (!g.mixed_block_flag) {
        intensity_short(j, bands, p, 0);
    } else {
        // Mixed blocks: the short part from short band 3 goes window by
        // window. The long part below it is in the intensity region only when
        // the right channel has nothing above it in any window; its region
        // then starts after the highest non-zero long band.
        const int long_bands = mixed_long_bands(frame.version);
        if (intensity_short(j, bands, p, 3)) {
            apply(j, 0, bands.long_bounds[long_bands], kOutside);
        } else {
            intensity_long(j, bands, p, long_bands, false);
        }
    }
}

}  // namespace mpadec
