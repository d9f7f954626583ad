// Layer I and Layer II: bit allocation, scale factors and samples of a frame
// into subband fractions (single precision, as the synthesis takes them),
// handed block by block to the
// synthesis and then to the PCM conversion.

#include <algorithm>
#include <array>
#include <cstring>

#include "libs/mpa_header/layer2_allocation.h"
#include "libs/mpadec/decoder.h"

namespace mpadec {
namespace {

// Scale factor multipliers, ISO/IEC 11172-3 Table 3-B.1 (2^(1 - i/3) to 14
// decimals); index 63 is not in the table and stands for silence.
constexpr double kScaleFactors[64] = {
    2.00000000000000, 1.58740105196820, 1.25992104989487, 1.00000000000000, 0.79370052598410,
    0.62996052494744, 0.50000000000000, 0.39685026299205, 0.31498026247372, 0.25000000000000,
    0.19842513149602, 0.15749013123686, 0.12500000000000, 0.09921256574801, 0.07874506561843,
    0.06250000000000, 0.04960628287401, 0.03937253280921, 0.03125000000000, 0.02480314143700,
    0.01968626640461, 0.01562500000000, 0.01240157071850, 0.00984313320230, 0.00781250000000,
    0.00620078535925, 0.00492156660115, 0.00390625000000, 0.00310039267963, 0.00246078330058,
    0.00195312500000, 0.00155019633981, 0.00123039165029, 0.00097656250000, 0.00077509816991,
    0.00061519582514, 0.00048828125000, 0.00038754908495, 0.00030759791257, 0.00024414062500,
    0.00019377454248, 0.00015379895629, 0.00012207031250, 0.00009688727124, 0.00007689947814,
    0.00006103515625, 0.00004844363562, 0.00003844973907, 0.00003051757813, 0.00002422181781,
    0.00001922486954, 0.00001525878906, 0.00001211090890, 0.00000961243477, 0.00000762939453,
    0.00000605545445, 0.00000480621738, 0.00000381469727, 0.00000302772723, 0.00000240310869,
    0.00000190734863, 0.00000151386361, 0.00000120155435, 1e-20,
};

// Layer II dequantisation by quantisation class, ISO/IEC 11172-3 Table 3-B.4.
constexpr double kC[17] = {1.33333333333, 1.6,           1.14285714286, 1.77777777777, 1.06666666666,
                           1.03225806452, 1.01587301587, 1.00787401575, 1.00392156863, 1.00195694716,
                           1.00097751711, 1.00048851979, 1.00024420024, 1.00012208522, 1.00006103888,
                           1.00003051851, 1.00001525902};
constexpr double kD[17] = {0.5,          0.5,          0.25,         0.5,           0.125,         0.0625,
                           0.03125,      0.015625,     0.0078125,    0.00390625,    0.001953125,   0.0009765625,
                           0.00048828125, 0.00024414063, 0.00012207031, 0.00006103516, 0.00003051758};
// The bits a sample code of the class needs on its own: the smallest x with
// 2^x >= steps.
constexpr int kCodeBits[17] = {2, 3, 3, 4, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};

// A grouped code c of a class with `steps` steps holds the three sample codes
// c mod steps, (c / steps) mod steps and (c / steps / steps) mod steps. The
// splits of every code the field can hold, 4 bits per sample code.
template <std::uint32_t Steps, int Bits>
constexpr std::array<std::uint16_t, (1u << Bits)> split_codes() {
    std::array<std::uint16_t, (1u << Bits)> table{};
    for (std::uint32_t c = 0; c < table.size(); ++c) {
        table[c] = static_cast<std::uint16_t>(c % Steps | (c / Steps) % Steps << 4 | (c / Steps / Steps) % Steps << 8);
    }
    return table;
}
constexpr auto kSplit3 = split_codes<3, 5>();
constexpr auto kSplit5 = split_codes<5, 7>();
constexpr auto kSplit9 = split_codes<9, 10>();

const std::uint16_t* split_table(int steps) {
    switch (steps) {
    case 3: return kSplit3.data();
    case 5: return kSplit5.data();
    default: return kSplit9.data();
    }
}

// Layer I: with n = a, (MSB of the (n + 1)-bit code ? 0 : -1) + low bits / 2^n
// + 1 / 2^n equals (code - 2^n + 1) / 2^n exactly; times 2^(n + 1) that is
// 2 (code - 2^n + 1), then divided by 2^(n + 1) - 1. As a line in the code:
// code x step + offset.
struct linear_code {
    double step;
    double offset;
};

linear_code layer1_line(int n) {
    const double divisor = static_cast<double>(2u << n) - 1.0;
    return {2.0 / divisor, 2.0 * static_cast<double>(1 - (1 << n)) / divisor};
}

// A line with a scale factor folded in, in the precision of the samples.
struct sample_line {
    float step;
    float offset;
};

sample_line scaled(const linear_code& line, double factor) {
    return {static_cast<float>(line.step * factor), static_cast<float>(line.offset * factor)};
}

// Layer II: (MSB of the x-bit code ? 0 : -1) + low bits / 2^(x - 1) equals
// code / 2^(x - 1) - 1 exactly, then (v + D) C: code x C / 2^(x - 1) +
// (D - 1) C.
linear_code layer2_line(int q) {
    const double inverse = 1.0 / static_cast<double>(1 << (kCodeBits[q] - 1));
    return {kC[q] * inverse, (kD[q] - 1.0) * kC[q]};
}

// A subband and channel with a non-zero allocation, in the order their
// samples follow in the frame: the width of its field in a granule (one
// grouped code or three codes) and how the field splits into three codes.
// Both ways are one formula, so reading takes no branch: a grouped field
// indexes its split table (mask all ones) and has no shifted parts (code mask
// 0); three codes index entry 0 of a table, which splits into zeros, and are
// shifted out.
//
// Then where its samples go, at channel x 32 + subband of a granule's output:
// an intensity subband feeds the second channel too, with that channel's
// scale factors. The lines hold the scale factors of the current part of the
// frame.
struct layer2_coded {
    int width;
    std::uint32_t group_mask;
    const std::uint16_t* split;
    int shift[2];
    std::uint32_t code_mask;
    int out;
    int second_out;  // -1: none
    int scale[2][3];
    linear_code unscaled;
    sample_line line[2];
};

layer2_coded plan_coded(const std::int32_t* table, int sb, int allocation) {
    const std::int32_t* row = table + sb * 64 + allocation * 4;
    const int bits = row[1];
    layer2_coded coded{};
    coded.unscaled = layer2_line(row[3]);
    if (row[2] == 3) {
        coded.width = 3 * bits;
        coded.split = kSplit3.data();
        coded.shift[0] = 2 * bits;
        coded.shift[1] = bits;
        coded.code_mask = (1u << bits) - 1;
    } else {
        coded.width = bits;
        coded.group_mask = ~0u;
        coded.split = split_table(row[0]);
    }
    return coded;
}

// One granule's three samples of every coded subband, read and dequantised
// into three rows of 2 x 32 fractions.
template <bool Guarded>
void dequantise_granule(bit_reader& reader, const layer2_coded* coded, int count, float (*rows)[64]) {
    for (int i = 0; i < count; ++i) {
        const layer2_coded& p = coded[i];
        const std::uint64_t field = Guarded ? reader.read_long(p.width) : reader.read_unguarded(p.width);
        const std::uint32_t split = p.split[field & p.group_mask];
        const float code[3] = {
            static_cast<float>(static_cast<std::uint32_t>(field >> p.shift[0] & p.code_mask) | (split & 15)),
            static_cast<float>(static_cast<std::uint32_t>(field >> p.shift[1] & p.code_mask) | (split >> 4 & 15)),
            static_cast<float>(static_cast<std::uint32_t>(field & p.code_mask) | split >> 8)};
        for (int j = 0; j < 3; ++j) rows[j][p.out] = code[j] * p.line[0].step + p.line[0].offset;
        if (p.second_out >= 0) {
            for (int j = 0; j < 3; ++j) rows[j][p.second_out] = code[j] * p.line[1].step + p.line[1].offset;
        }
    }
}

// `bytes` bounds what the granule's fields take. An unguarded read loads a
// word at the first byte not cached yet, which runs up to 8 bytes ahead of
// the bits read; with `bytes` and two words more ahead, no read of the
// granule loads a byte past the data.
void decode_granule(bit_reader& shared_reader, const layer2_coded* coded, int count, std::size_t bytes,
                    float (*rows)[64]) {
    // A local copy: the stores of the fractions could alias the reader's
    // members, which would then go through memory on every read.
    bit_reader reader = shared_reader;
    if (reader.bytes_ahead() >= bytes + 16) {
        dequantise_granule<false>(reader, coded, count, rows);
    } else {
        dequantise_granule<true>(reader, coded, count, rows);
    }
    shared_reader = reader;
}

// Runs the synthesis of `slots` time slots, each 2 x 32 fractions, for every
// channel and converts them.
void synthesize_and_convert(mpa_decoder& decoder, const float (*fractions)[64], int slots) {
    float rows[3][2][32];
    for (int slot = 0; slot < slots; ++slot) {
        for (int ch = 0; ch < decoder.header.channels; ++ch)
            synthesize(decoder, ch, fractions[slot] + 32 * ch, rows[slot][ch]);
    }
    convert_rows(decoder, rows, slots);
}

// The three scale factor indices (one per part of the frame) of a subband
// with a non-zero allocation, as its scfsi shares them out.
void read_scale_factors(bit_reader& reader, int scfsi, int* scale) {
    scale[0] = static_cast<int>(reader.read(6));
    switch (scfsi) {
    case 0:
        scale[1] = static_cast<int>(reader.read(6));
        scale[2] = static_cast<int>(reader.read(6));
        break;
    case 1:
        scale[1] = scale[0];
        scale[2] = static_cast<int>(reader.read(6));
        break;
    case 2:
        scale[1] = scale[2] = scale[0];
        break;
    default:
        scale[1] = scale[2] = static_cast<int>(reader.read(6));
        break;
    }
}

bool crc_matches(mpa_decoder& decoder, const bit_reader& reader, std::size_t end_bit) {
    if (!decoder.header.crc_present) return true;
    decoder.computed_crc = frame_crc(reader, end_bit);
    return decoder.computed_crc == decoder.stored_crc;
}

// Layer I allocation: one 4-bit value per channel below the bound, one for
// both channels from it on. Returns where the CRC's coverage ends.
std::size_t read_layer1_allocation(bit_reader& reader, int channels, int bound, int (*allocation)[32]) {
    for (int sb = 0; sb < 32; ++sb) {
        if (sb < bound) {
            for (int ch = 0; ch < channels; ++ch) allocation[ch][sb] = static_cast<int>(reader.read(4));
        } else {
            allocation[0][sb] = allocation[1][sb] = static_cast<int>(reader.read(4));
        }
    }
    return reader.position();
}

// The Layer II side data of a frame: allocations, scfsi and the scale factor
// indices of its three parts (63 where nothing is coded).
struct layer2_side {
    int allocation[2][32] = {};
    int scfsi[2][32] = {};
    int scale[2][32][3];
};

// Allocations (field widths from the loaded table) and scfsi. Returns where
// the CRC's coverage ends.
std::size_t read_layer2_allocation(bit_reader& reader, const frame_header& h, layer2_side& side) {
    const int bound = std::min(h.jsbound, h.sblimit);
    for (int sb = 0; sb < h.sblimit; ++sb) {
        const int width = h.allocation_table[sb * 64 + 1];
        if (sb < bound) {
            for (int ch = 0; ch < h.channels; ++ch) side.allocation[ch][sb] = static_cast<int>(reader.read(width));
        } else {
            side.allocation[0][sb] = side.allocation[1][sb] = static_cast<int>(reader.read(width));
        }
    }
    for (int sb = 0; sb < h.sblimit; ++sb) {
        for (int ch = 0; ch < h.channels; ++ch) {
            if (side.allocation[ch][sb]) side.scfsi[ch][sb] = static_cast<int>(reader.read(2));
        }
    }
    return reader.position();
}

void read_layer2_scale_factors(bit_reader& reader, const frame_header& h, layer2_side& side) {
    for (int sb = 0; sb < 32; ++sb) {
        for (int ch = 0; ch < 2; ++ch) {
            int* s = side.scale[ch][sb];
            if (ch < h.channels && sb < h.sblimit && side.allocation[ch][sb]) {
                read_scale_factors(reader, side.scfsi[ch][sb], s);
            } else {
                s[0] = s[1] = s[2] = 63;
            }
        }
    }
}

// The coded subbands in the order of their samples; returns their count.
int plan_layer2(const frame_header& h, const layer2_side& side, layer2_coded* coded) {
    const int bound = std::min(h.jsbound, h.sblimit);
    int count = 0;
    for (int sb = 0; sb < h.sblimit; ++sb) {
        for (int ch = 0; ch < (sb < bound ? h.channels : 1); ++ch) {
            const int a = side.allocation[ch][sb];
            if (a == 0) continue;
            layer2_coded& p = coded[count++];
            p = plan_coded(h.allocation_table, sb, a);
            p.out = 32 * ch + sb;
            p.second_out = sb >= bound && h.channels == 2 ? 32 + sb : -1;
            for (int part = 0; part < 3; ++part) {
                p.scale[0][part] = side.scale[ch][sb][part];
                p.scale[1][part] = side.scale[1][sb][part];
            }
        }
    }
    return count;
}

// Folds the scale factors of a part of the frame into every coded subband's
// lines.
void scale_lines(layer2_coded* coded, int count, int part) {
    for (int i = 0; i < count; ++i) {
        layer2_coded& p = coded[i];
        for (int k = 0; k < 2; ++k) p.line[k] = scaled(p.unscaled, kScaleFactors[p.scale[k][part]]);
    }
}

}  // namespace

int layer2_table_index(int version, int bitrate_kbps, int channels, int sampling_rate) {
    return mpa_header::layer2::TableIndex(version == 0, bitrate_kbps, channels, sampling_rate);
}

int select_layer2_table(frame_header& header) {
    const int index = layer2_table_index(header.version, header.bitrate / 1000, header.channels, header.sampling_rate);
    if (index != header.allocation_table_index) {
        std::memcpy(header.allocation_table, layer2_allocation_table(index), kAllocationTableBytes);
        header.allocation_table_index = index;
    }
    return layer2_sblimit(index);
}

void decode_layer1(mpa_decoder& decoder, bit_reader& reader) {
    const int channels = decoder.header.channels;
    const int bound = std::min(decoder.header.jsbound, 32);
    int allocation[2][32] = {};
    int scale[2][32];
    const std::size_t crc_end = read_layer1_allocation(reader, channels, bound, allocation);
    for (int sb = 0; sb < 32; ++sb) {
        for (int ch = 0; ch < channels; ++ch) scale[ch][sb] = allocation[ch][sb] ? static_cast<int>(reader.read(6)) : 63;
    }
    if (!crc_matches(decoder, reader, crc_end)) return;

    // Per channel and subband the line from code to fraction, scale factor
    // included; no allocation gives 0 whatever the code.
    sample_line lines[2][32] = {};
    for (int ch = 0; ch < channels; ++ch) {
        for (int sb = 0; sb < 32; ++sb) {
            const int a = allocation[ch][sb];
            if (a == 0) continue;
            lines[ch][sb] = scaled(layer1_line(a), kScaleFactors[scale[ch][sb]]);
        }
    }

    decoder.clip_count = 0;
    for (int block = 0; block < 12; ++block) {
        float fractions[1][64];
        for (int sb = 0; sb < 32; ++sb) {
            // From the bound on, one code serves both channels.
            for (int ch = 0; ch < (sb < bound ? channels : 1); ++ch) {
                const int a = allocation[ch][sb];
                const float code = a ? static_cast<float>(reader.read(a + 1)) : 0.0F;
                for (int out = ch; out < (sb < bound ? ch + 1 : channels); ++out)
                    fractions[0][32 * out + sb] = code * lines[out][sb].step + lines[out][sb].offset;
            }
        }
        synthesize_and_convert(decoder, fractions, 1);
    }
}

void decode_layer2(mpa_decoder& decoder, bit_reader& reader) {
    layer2_side side;
    const std::size_t crc_end = read_layer2_allocation(reader, decoder.header, side);
    read_layer2_scale_factors(reader, decoder.header, side);
    if (!crc_matches(decoder, reader, crc_end)) return;

    // What stays the same for the 12 granules: the coded subbands, how each
    // is read, and where its samples go.
    layer2_coded coded[64];
    const int coded_count = plan_layer2(decoder.header, side, coded);
    std::size_t granule_bits = 0;
    for (int i = 0; i < coded_count; ++i) granule_bits += static_cast<std::size_t>(coded[i].width);
    const std::size_t granule_bytes = granule_bits / 8 + 1;
    float fractions[3][64] = {};  // subbands without allocation stay 0

    decoder.clip_count = 0;
    for (int granule = 0; granule < 12; ++granule) {
        if (granule % 4 == 0) scale_lines(coded, coded_count, granule / 4);
        decode_granule(reader, coded, coded_count, granule_bytes, fractions);
        synthesize_and_convert(decoder, fractions, 3);
    }
}

}  // namespace mpadec
