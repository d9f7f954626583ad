// Layer III scale factors: MPEG-1 with slen1/slen2 and the scale factor
// selection information, MPEG-2 with its four partitions (ISO/IEC 13818-3),
// including the intensity positions of the right channel.

#include <algorithm>

#include "libs/mpadec/layer3.h"

namespace mpadec {
namespace {

// slen1 and slen2 by scalefac_compress (MPEG-1).
constexpr int kSlen[2][16] = {{0, 0, 0, 0, 3, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4},
                              {0, 1, 2, 3, 0, 1, 2, 3, 1, 2, 3, 1, 2, 3, 2, 3}};

// The bands of each scfsi band: [0,6), [6,11), [11,16), [16,21).
constexpr int kScfsiBands[5] = {0, 6, 11, 16, 21};

// MPEG-2: factors per partition by partition row and block kind (long, short
// not mixed, mixed). Short factors count band x window.
constexpr int kPartitions[6][3][4] = {
    {{6, 5, 5, 5}, {9, 9, 9, 9}, {6, 9, 9, 9}},       {{6, 5, 7, 3}, {9, 9, 12, 6}, {6, 9, 12, 6}},
    {{11, 10, 0, 0}, {18, 18, 0, 0}, {15, 18, 0, 0}}, {{7, 7, 7, 0}, {12, 12, 12, 0}, {6, 15, 12, 0}},
    {{6, 6, 6, 3}, {12, 9, 9, 6}, {6, 12, 9, 6}},     {{8, 8, 5, 0}, {15, 12, 9, 0}, {6, 18, 9, 0}},
};

int read_factor(main_data_buffer& data, int bits) { return bits == 0 ? 0 : static_cast<int>(data.read(bits)); }

void read_long_mpeg1(main_data_buffer& data, int slen1, int slen2, const int scfsi[4], int granule,
                     scale_factors& f) {
    for (int part = 0; part < 4; ++part) {
        if (granule == 1 && scfsi[part]) continue;  // granule 0's factors stay
        const int bits = part < 2 ? slen1 : slen2;
        for (int band = kScfsiBands[part]; band < kScfsiBands[part + 1]; ++band) f.l[band] = read_factor(data, bits);
    }
    f.l[21] = f.l[22] = 0;
}

void read_short_bands(main_data_buffer& data, int first, int last, int bits, scale_factors& f) {
    for (int band = first; band < last; ++band) {
        for (int window = 0; window < 3; ++window) f.s[band][window] = read_factor(data, bits);
    }
}

// How the values of the partitions spread over the bands: long bands, then
// short bands from `first_short` with three windows each.
struct spread {
    int long_bands;
    int first_short;
};

struct slen_row {
    int slen[4];
    int row;
    int preflag;
};

slen_row mpeg2_slen(int s, bool intensity_right) {
    if (!intensity_right) {
        if (s < 400) return {{(s >> 4) / 5, (s >> 4) % 5, (s & 15) >> 2, s & 3}, 0, 0};
        if (s < 500) {
            const int t = (s - 400) >> 2;
            return {{t / 5, t % 5, (s - 400) & 3, 0}, 1, 0};
        }
        return {{(s - 500) / 3, (s - 500) % 3, 0, 0}, 2, 1};
    }
    const int i = s >> 1;
    if (i < 180) return {{i / 36, (i % 36) / 6, (i % 36) % 6, 0}, 3, 0};
    if (i < 244) return {{((i - 180) & 63) >> 4, ((i - 180) & 15) >> 2, (i - 180) & 3, 0}, 4, 0};
    // ISO/IEC 13818-3 has no row for i = 255 (scalefac_compress 510 and 511):
    // the last row's formula goes on, giving slen1 3 and slen2 2 with the
    // partitions of that row. Nothing is read out of any table's range.
    return {{(i - 244) / 3, (i - 244) % 3, 0, 0}, 5, 0};
}

}  // namespace

void read_scale_factors_mpeg1(main_data_buffer& data, const granule_info& g, const int scfsi[4], int granule,
                              scale_factors& f) {
    const int slen1 = kSlen[0][g.scalefac_compress & 15];
    const int slen2 = kSlen[1][g.scalefac_compress & 15];
    if (!short_blocks(g)) {
        read_long_mpeg1(data, slen1, slen2, scfsi, granule, f);
        return;
    }
    f = {};
    if (g.mixed_block_flag) {
        for (int band = 0; band < 8; ++band) f.l[band] = read_factor(data, slen1);
        read_short_bands(data, 3, 6, slen1, f);
    } else {
        read_short_bands(data, 0, 6, slen1, f);
    }
    read_short_bands(data, 6, 12, slen2, f);
}

void read_scale_factors_mpeg2(main_data_buffer& data, granule_info& g, bool intensity_right, scale_factors& f) {
    const slen_row r = mpeg2_slen(g.scalefac_compress, intensity_right);
    g.preflag = r.preflag;
    const int kind = !short_blocks(g) ? 0 : g.mixed_block_flag ? 2 : 1;
    int values[45] = {};
    int maxima[45] = {};
    int count = 0;
    for (int part = 0; part < 4; ++part) {
        const int bits = r.slen[part];
        for (int k = 0; k < kPartitions[r.row][kind][part]; ++k, ++count) {
            values[count] = read_factor(data, bits);
            maxima[count] = (1 << bits) - 1;
        }
    }
    f = {};
    const spread layout = kind == 0 ? spread{21, 13} : kind == 1 ? spread{0, 0} : spread{6, 3};
    int at = 0;
    for (int band = 0; band < layout.long_bands; ++band, ++at) {
        f.l[band] = values[at];
        f.l_max[band] = maxima[at];
    }
    for (int band = layout.first_short; band < 12; ++band) {
        for (int window = 0; window < 3; ++window, ++at) {
            f.s[band][window] = values[at];
            f.s_max[band][window] = maxima[at];
        }
    }
}

}  // namespace mpadec
