#pragma once
// Layer III: what a decoder stream keeps between Layer III frames, the one
// entry that decodes such a frame into subband samples for the synthesis, and
// the stages behind it: side information (layer3_sideinfo.cpp), the bit
// reservoir (layer3_reservoir.cpp), scale factors (layer3_scalefactors.cpp),
// Huffman decoding (layer3_huffman.cpp, layer3_huffman_tables.cpp),
// dequantisation (layer3_dequantise.cpp), stereo processing
// (layer3_stereo.cpp) and the hybrid filterbank: reorder, alias reduction,
// IMDCT with overlap and frequency inversion (layer3_hybrid.cpp).

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "libs/mpadec/bit_reader.h"

namespace mpadec {

struct frame_header;

inline constexpr int kMainDataBytes = 4096;
inline constexpr int kGranuleLines = 576;
inline constexpr int kSubbands = 32;
inline constexpr int kSubbandLines = 18;

// ---- state kept between frames ----

// The bit reservoir: the main data bytes of the recent frames, used
// circularly. `position` counts bits read in the numbering of `frame_start`
// (bytes x 8); both are moved back by 4096 bytes together now and then so
// that they stay small. A zeroed buffer is the state of a new stream.
struct main_data_buffer {
    // The last 8 bytes mirror the first 8, so that an 8-byte read may start
    // anywhere in the ring.
    std::uint8_t bytes[kMainDataBytes + 8];
    std::uint32_t stored;      // bytes ever stored; the next one goes to slot stored % 4096
    std::int32_t position;     // bits read
    std::int32_t frame_start;  // main data bytes stored before the current frame

    void store(std::uint8_t byte) {
        const std::uint32_t slot = stored++ & (kMainDataBytes - 1);
        bytes[slot] = byte;
        if (slot < 8) bytes[kMainDataBytes + slot] = byte;
    }
    // The next `bits` bits, MSB first; meaningful up to 32 bits, more only skip.
    [[nodiscard]] std::uint32_t read(int bits);
    [[nodiscard]] int read_bit() {
        const auto at = static_cast<std::uint32_t>(position++);
        return (bytes[(at >> 3) & (kMainDataBytes - 1)] >> (7 - (at & 7))) & 1;
    }
    // The next 57 bits or more at the top of the value, without reading them.
    [[nodiscard]] std::uint64_t peek() const {
        const auto at = static_cast<std::uint32_t>(position);
        return load_8_bytes((at >> 3) & (kMainDataBytes - 1)) << (at & 7);
    }
    // The 8 bytes from `slot` on, the first one at the top.
    [[nodiscard]] std::uint64_t load_8_bytes(std::uint32_t slot) const {
#if defined(__GNUC__) || defined(__clang__)
        if constexpr (std::endian::native == std::endian::little) {
            std::uint64_t word;
            std::memcpy(&word, bytes + slot, sizeof word);
            return __builtin_bswap64(word);
        }
#endif
        std::uint64_t word = 0;
        for (int i = 0; i < 8; ++i) word = word << 8 | bytes[slot + i];
        return word;
    }
    void skip(std::int32_t bits) { position += bits; }
    void rewind(std::int32_t bits) { position -= bits; }
};

// Plain data: the decoder stream embeds it by value and a zeroed one is the
// initial state.
struct layer3_state {
    main_data_buffer main_data;
    double overlap[2][kSubbands][kSubbandLines];  // second IMDCT halves of the last granule
};

// ---- the frame entry ----

// What one frame yields: per granule 18 time slots of 32 subband samples per
// channel, in the layout the synthesis takes them (one call per time slot
// and channel).
struct layer3_output {
    int granules;  // 2 for MPEG-1, 1 for MPEG-2
    int channels;
    std::uint16_t computed_crc;  // of the side information, when the frame has a CRC
    float subband[2][kSubbandLines][2][kSubbands];  // [granule][time slot][channel][subband]
};

enum class layer3_result {
    decoded,
    bad_side_info,        // big_values > 288, or window switching with block type 0
    crc_mismatch,         // the side information does not match the CRC word
    main_data_underflow,  // main_data_begin points before the main data received
};

// Decodes one Layer III frame. `reader` runs over the frame from its first
// header byte and stands after the header and the CRC word; `stored_crc` is
// that word (ignored without a CRC). Only `decoded` fills the samples of
// `out`; its computed_crc is set once the side information was accepted.
// Failed frames leave the overlap alone; a main data underflow still stores
// the frame's main data for the frames after it, the other failures store
// nothing.
[[nodiscard]] layer3_result decode_layer3(layer3_state& state, const frame_header& header, bit_reader& reader,
                                          std::uint16_t stored_crc, layer3_output& out);

// ---- side information (layer3_sideinfo.cpp) ----

// The side information of one granule and channel.
struct granule_info {
    int part2_3_length;
    int big_values;
    int global_gain;
    int scalefac_compress;
    int window_switching_flag;
    int block_type;
    int mixed_block_flag;
    int table_select[3];
    int subblock_gain[3];
    int region0_count;
    int region1_count;
    int preflag;  // MPEG-2: derived from scalefac_compress with the scale factors
    int scalefac_scale;
    int count1table_select;
};

struct side_info {
    int main_data_begin;
    int private_bits;
    int scfsi[2][4];
    granule_info granules[2][2];  // [granule][channel]
};

// Bytes of side information: 17 or 32 for MPEG-1, 9 or 17 for MPEG-2.
[[nodiscard]] int side_info_bytes(int version, int channels);

// Reads the side information (the reader always moves past all of it).
// False for side information the decoder rejects.
[[nodiscard]] bool read_side_info(bit_reader& reader, int version, int channels, side_info& info);

// True for a granule of short blocks (block type 2, mixed or not).
[[nodiscard]] inline bool short_blocks(const granule_info& g) {
    return g.window_switching_flag && g.block_type == 2;
}

// ---- the bit reservoir (layer3_reservoir.cpp) ----

// Main data bytes of a frame: all its bytes after the header, the CRC word and
// the side information. Rates as in the header tables (kbit/s, kHz).
[[nodiscard]] int main_data_slots(int version, int channels, int bitrate_kbps, double sampling_rate_khz,
                                  int padding, bool crc_present);

// Stores the next `slots` bytes of the reader in the reservoir.
void store_main_data(main_data_buffer& buffer, bit_reader& reader, int slots);

// After the frame's bytes are stored: moves the read position to the frame's
// main data, `main_data_begin` bytes before the frame's own. False (reading
// nothing) when those bytes were never received.
[[nodiscard]] bool seek_main_data(main_data_buffer& buffer, int main_data_begin, int slots);

// ---- scale factor bands (layer3.cpp) ----

// Line boundaries of the scale factor bands: 22 long bands (the last one,
// band 21, runs to line 576) and 13 short bands of one window (band 12 runs
// to 192).
struct band_layout {
    std::int16_t long_bounds[23];
    std::int16_t short_bounds[14];
};

[[nodiscard]] const band_layout& scale_factor_bands(int version, int sampling_index);

// Long bands below the short part of a mixed block: 8 for MPEG-1, 6 for
// MPEG-2 (36 lines either way).
[[nodiscard]] inline int mixed_long_bands(int version) { return version == 1 ? 8 : 6; }

// ---- scale factors (layer3_scalefactors.cpp) ----

struct scale_factors {
    int l[23];     // long bands; 21 and 22 are never coded
    int s[13][3];  // short bands x windows; band 12 is never coded
    // MPEG-2 intensity stereo: the largest value each factor can take
    // (2^slen - 1), which marks a band without intensity coding.
    int l_max[23];
    int s_max[13][3];
};

// MPEG-1. Granule 1 keeps the factors of granule 0 where scfsi says so, so
// `factors` must hold granule 0's when it is read.
void read_scale_factors_mpeg1(main_data_buffer& data, const granule_info& g, const int scfsi[4], int granule,
                              scale_factors& factors);

// MPEG-2. `intensity_right` is set for the right channel of an intensity
// stereo frame. Sets g.preflag from scalefac_compress.
void read_scale_factors_mpeg2(main_data_buffer& data, granule_info& g, bool intensity_right, scale_factors& factors);

// ---- Huffman decoding (layer3_huffman.cpp, layer3_huffman_tables.cpp) ----

// A code tree: node 0 is the root and each node holds where a 0 bit and a 1
// bit lead. An entry with kHuffmanLeaf set is a leaf whose low byte is the
// value: x in the high nibble and y in the low one for pair tables, v w x y
// in bits 3-0 for count1 tables. An entry of 0 is a branch no code word takes.
inline constexpr std::uint16_t kHuffmanLeaf = 0x8000;

// Table-driven decoding: a first table indexed by the next
// kHuffmanFirstBits bits, and for the code words longer than that, tables
// indexed by the next kHuffmanNextBits bits, chained as deep as the tree. An
// entry says how many of its index bits it takes and what they give: a leaf
// value, a code word the tree does not have (ending at the bit that leaves
// the tree, as a walk would), or the offset of the table for the next bits.
inline constexpr int kHuffmanFirstBits = 8;
inline constexpr int kHuffmanNextBits = 4;

enum class huffman_entry_kind : std::uint8_t { leaf, invalid, next_table };

struct huffman_entry {
    std::uint16_t value;  // leaf value, or offset of the next table
    std::uint8_t length;  // bits taken
    huffman_entry_kind kind;
};

struct huffman_table {
    const std::array<std::uint16_t, 2>* nodes;  // null for the tables without codes (0, 4, 14)
    int linbits;
    const huffman_entry* lookup = nullptr;  // null: decoding walks `nodes`
};

namespace huffman_detail {

// The first `bits` bits of `index` walked from `node`; for a walk that stays
// inside the tree, a next_table entry holding the node reached.
template <std::size_t Nodes>
constexpr huffman_entry resolve(const std::array<std::array<std::uint16_t, 2>, Nodes>& nodes, std::uint16_t node,
                                unsigned index, int bits) {
    for (int i = 0; i < bits; ++i) {
        const std::uint16_t next = nodes[node][(index >> (bits - 1 - i)) & 1];
        const auto taken = static_cast<std::uint8_t>(i + 1);
        if (next == 0) return {0, taken, huffman_entry_kind::invalid};
        if (next & kHuffmanLeaf) return {static_cast<std::uint16_t>(next & 0xFF), taken, huffman_entry_kind::leaf};
        node = next;
    }
    return {node, static_cast<std::uint8_t>(bits), huffman_entry_kind::next_table};
}

template <std::size_t Nodes>
constexpr std::size_t count_entries(const std::array<std::array<std::uint16_t, 2>, Nodes>& nodes,
                                    std::uint16_t node, int bits) {
    std::size_t count = std::size_t{1} << bits;
    for (unsigned index = 0; index < (1u << bits); ++index) {
        const huffman_entry e = resolve(nodes, node, index, bits);
        if (e.kind == huffman_entry_kind::next_table) count += count_entries(nodes, e.value, kHuffmanNextBits);
    }
    return count;
}

}  // namespace huffman_detail

// Entries of the lookup tables of a tree.
template <std::size_t Nodes>
constexpr std::size_t huffman_lookup_size(const std::array<std::array<std::uint16_t, 2>, Nodes>& nodes) {
    return huffman_detail::count_entries(nodes, 0, kHuffmanFirstBits);
}

// The lookup tables of a tree, the first one at offset 0.
template <std::size_t Size, std::size_t Nodes>
constexpr std::array<huffman_entry, Size> build_huffman_lookup(
    const std::array<std::array<std::uint16_t, 2>, Nodes>& nodes) {
    std::array<huffman_entry, Size> entries{};
    std::size_t used = 0;
    const auto fill = [&](std::uint16_t node, int bits) {
        for (unsigned index = 0; index < (1u << bits); ++index)
            entries[used + index] = huffman_detail::resolve(nodes, node, index, bits);
        used += std::size_t{1} << bits;
    };
    fill(0, kHuffmanFirstBits);
    // Tables are appended as their entries are reached, so this loop meets
    // every one of them.
    for (std::size_t i = 0; i < used; ++i) {
        if (entries[i].kind != huffman_entry_kind::next_table) continue;
        const std::uint16_t node = entries[i].value;
        entries[i].value = static_cast<std::uint16_t>(used);
        fill(node, kHuffmanNextBits);
    }
    return entries;
}

// Builds the tree of a code table given as in ISO/IEC 11172-3 Table B.7: the
// code word and its length for each value, values in row order (x major, y
// minor; for count1 tables v w x y as one 4-bit number), `columns` values of y
// per x; a length of 0 gives a value no code word. `Nodes` must hold the
// branch nodes (the code words less one for a complete code).
template <std::size_t Nodes, std::size_t Words>
constexpr std::array<std::array<std::uint16_t, 2>, Nodes> build_huffman_tree(const std::uint16_t (&codes)[Words],
                                                                             const std::uint8_t (&lengths)[Words],
                                                                             int columns) {
    std::array<std::array<std::uint16_t, 2>, Nodes> nodes{};
    std::size_t used = 1;
    for (std::size_t i = 0; i < Words; ++i) {
        if (lengths[i] == 0) continue;
        std::size_t node = 0;
        for (int bit = lengths[i] - 1; bit > 0; --bit) {
            std::uint16_t& next = nodes[node][(codes[i] >> bit) & 1];
            if (next == 0) next = static_cast<std::uint16_t>(used++);
            if ((next & kHuffmanLeaf) != 0 || used > Nodes) throw "not a prefix code, or too few nodes";
            node = next;
        }
        std::uint16_t& leaf = nodes[node][codes[i] & 1];
        if (leaf != 0) throw "not a prefix code";
        const auto x = static_cast<std::uint16_t>(i / static_cast<std::size_t>(columns));
        const auto y = static_cast<std::uint16_t>(i % static_cast<std::size_t>(columns));
        leaf = static_cast<std::uint16_t>(kHuffmanLeaf | x << 4 | y);
    }
    return nodes;
}

// Big-value table 0-31 and count1 table 0 (A) or 1 (B).
[[nodiscard]] const huffman_table& big_value_table(int index);
[[nodiscard]] const huffman_table& count1_table(int select);

// The values of the last code decoded in a granule and channel. A code word
// that the table does not have stores these again. The standard says nothing
// of an invalid first code of a granule: with no code before it, it gives 0
// (silence), so every granule starts from all 0.
struct huffman_values {
    int v, w, x, y;
};

// One code of a big-value table into values.x and values.y (linbits and
// signs applied), or of a count1 table into values.v, .w, .x, .y. An invalid
// code word leaves `values` as they were and reads no linbits or signs.
void decode_pair(main_data_buffer& data, const huffman_table& table, huffman_values& values);
void decode_quadruple(main_data_buffer& data, const huffman_table& table, huffman_values& values);

// The quantised values of one granule and channel, from the reader's position
// after the scale factors to part2_start + part2_3_length, where it leaves
// the reader. Returns the number of leading lines that may be non-zero.
int decode_spectrum(main_data_buffer& data, const granule_info& g, std::int32_t part2_start,
                    const band_layout& bands, int values[kGranuleLines]);

// ---- dequantisation (layer3_dequantise.cpp) ----

// |x|^(4/3) rounded to 6 decimals, for |x| up to 8207.
[[nodiscard]] double power_four_thirds(int magnitude);

void dequantise(const int values[kGranuleLines], const granule_info& g, const scale_factors& factors,
                const band_layout& bands, int version, double lines[kGranuleLines]);

// ---- stereo processing (layer3_stereo.cpp) ----

struct stereo_frame {
    int version;
    int mode;
    int mode_extension;
};

// Mid/side and intensity stereo over both channels of a granule, in place.
// `g` is the left channel's side information (both channels switch windows
// together in joint stereo), `right` the right channel's; `right_factors`
// hold the intensity positions.
void process_stereo(double lines[2][kGranuleLines], const stereo_frame& frame, const granule_info& g,
                    const granule_info& right, const scale_factors& right_factors, const band_layout& bands);

// ---- hybrid filterbank (layer3_hybrid.cpp) ----

// The 36 window values of a block type (only 12 are used for type 2).
[[nodiscard]] const double* imdct_window(int block_type);

// The IMDCTs without window: 18 lines to 36 values, 6 lines to 12 values.
void imdct36(const double* in, double* out);
void imdct12(const double* in, double* out);

// Lines of short blocks from band-by-band order (each band holding its three
// windows one after the other) to the order of subbands whose 18 lines
// interleave the windows; the first 36 lines of a mixed block stay.
void reorder_short(double lines[kGranuleLines], const granule_info& g, const band_layout& bands);

// The alias-reduction butterflies at the boundaries between the first
// `subbands` subbands: all 31 for long blocks, the one between subbands 0
// and 1 (the long part) for mixed blocks.
void reduce_aliasing(double lines[kGranuleLines], int subbands = kSubbands);

// Reorder or alias reduction as the block type asks, then per subband the
// IMDCT with its window and the overlap, and frequency inversion: the 18 time
// slots of the channel in slots[slot][channel][subband].
void hybrid_synthesis(double lines[kGranuleLines], const granule_info& g, const band_layout& bands,
                      double overlap[kSubbands][kSubbandLines], float (*slots)[2][kSubbands], int channel);

}  // namespace mpadec
