// The five Layer II bit allocation tables: ISO/IEC 11172-3 Tables 3-B.2a to
// 3-B.2d and ISO/IEC 13818-3 Table B.1, laid out as 32 subbands x 16 rows x
// {steps, bits per code, grouping, quantisation class}. Row 0 of a subband
// holds the width of its allocation field in the second column.
//
// The tables are built at compile time from their compact form: per range of
// subbands the field width and the quantisation class of each allocation
// value. The decoder reads the whole rows; the stream checker needs only the
// field widths and the subband limit to find the bits a frame's CRC covers.

#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace mpa_header::layer2 {

// Quantisation classes of ISO/IEC 11172-3 Table 3-B.4: steps and bits per
// code. With 3, 5 and 9 steps one code holds three samples (grouping 1);
// every other class codes the three samples apart (grouping 3).
struct quantisation_class {
    int steps;
    int bits;
    int grouping;
};

inline constexpr quantisation_class kClasses[17] = {
    {3, 5, 1},      {5, 7, 1},      {7, 3, 3},       {9, 10, 1},      {15, 4, 3},      {31, 5, 3},
    {63, 6, 3},     {127, 7, 3},    {255, 8, 3},     {511, 9, 3},     {1023, 10, 3},   {2047, 11, 3},
    {4095, 12, 3},  {8191, 13, 3},  {16383, 14, 3},  {32767, 15, 3},  {65535, 16, 3},
};

// Classes for allocation values 1, 2, ... of a subband range.
struct subband_range {
    int first;
    int last;
    int width;
    int classes[15];
};

inline constexpr int kTableSize = 32 * 16 * 4;
inline constexpr std::size_t kTableBytes = kTableSize * sizeof(std::int32_t);
inline constexpr int kTableCount = 5;
using allocation_table = std::array<std::int32_t, kTableSize>;

template <std::size_t N>
constexpr allocation_table build(const subband_range (&ranges)[N]) {
    allocation_table table{};
    for (const subband_range& range : ranges) {
        for (int sb = range.first; sb <= range.last; ++sb) {
            std::int32_t* rows = table.data() + sb * 64;
            rows[1] = range.width;
            for (int value = 1; value < (1 << range.width); ++value) {
                const int q = range.classes[value - 1];
                rows[value * 4 + 0] = kClasses[q].steps;
                rows[value * 4 + 1] = kClasses[q].bits;
                rows[value * 4 + 2] = kClasses[q].grouping;
                rows[value * 4 + 3] = q;
            }
        }
    }
    return table;
}

namespace ranges {
// 11172-3 B.2a and B.2b share their subbands; B.2b has three more.
inline constexpr subband_range kHigh0to2 = {0, 2, 4, {0, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}};
inline constexpr subband_range kHigh3to10 = {3, 10, 4, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 16}};
inline constexpr subband_range kHigh11to22 = {11, 22, 3, {0, 1, 2, 3, 4, 5, 16}};
inline constexpr subband_range kHigh23to26 = {23, 26, 2, {0, 1, 16}};
inline constexpr subband_range kHigh23to29 = {23, 29, 2, {0, 1, 16}};
// 11172-3 B.2c and B.2d (low bitrates) differ only in their limit.
inline constexpr subband_range kLow0to1 = {0, 1, 4, {0, 1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}};
inline constexpr subband_range kLow2to7 = {2, 7, 3, {0, 1, 3, 4, 5, 6, 7}};
inline constexpr subband_range kLow2to11 = {2, 11, 3, {0, 1, 3, 4, 5, 6, 7}};

inline constexpr subband_range kTableA[] = {kHigh0to2, kHigh3to10, kHigh11to22, kHigh23to26};
inline constexpr subband_range kTableB[] = {kHigh0to2, kHigh3to10, kHigh11to22, kHigh23to29};
inline constexpr subband_range kTableC[] = {kLow0to1, kLow2to7};
inline constexpr subband_range kTableD[] = {kLow0to1, kLow2to11};
// 13818-3 B.1 (low sampling frequencies).
inline constexpr subband_range kTableLsf[] = {{0, 3, 4, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}},
                                              {4, 10, 3, {0, 1, 3, 4, 5, 6, 7}},
                                              {11, 29, 2, {0, 1, 3}}};
}  // namespace ranges

inline constexpr allocation_table kTables[kTableCount] = {build(ranges::kTableA), build(ranges::kTableB),
                                                          build(ranges::kTableC), build(ranges::kTableD),
                                                          build(ranges::kTableLsf)};
inline constexpr int kSblimits[kTableCount] = {27, 30, 8, 12, 30};

// Index 0-4 of the table a header uses: 4 for the low sampling frequencies,
// otherwise chosen by the bitrate per channel and the sampling rate.
constexpr int TableIndex(bool low_sampling_frequency, int bitrate_kbps, int channels, int sampling_rate_hz) {
    if (low_sampling_frequency) return 4;
    const int per_channel = bitrate_kbps / (channels > 0 ? channels : 1);
    const int khz = sampling_rate_hz / 1000;
    if (khz == 48) return per_channel >= 56 ? 0 : per_channel <= 48 ? 2 : 3;
    if (per_channel >= 56 && per_channel <= 80) return 0;
    if (per_channel >= 96) return 1;
    if (khz == 32) return 3;
    return per_channel <= 48 ? 2 : 3;
}

// Width in bits of the allocation field of a subband in a table.
constexpr int AllocationWidth(int table_index, int subband) { return kTables[table_index][subband * 64 + 1]; }

static_assert(sizeof(allocation_table) == kTableBytes);
static_assert(AllocationWidth(0, 26) == 2 && AllocationWidth(0, 27) == 0, "B.2a ends at subband 27");
static_assert(kTables[4][29 * 64 + 3 * 4] == 9, "the last B.1 subbands stop at 9 steps");

}  // namespace mpa_header::layer2
