// Layer III Huffman decoding of one granule and channel: the big values in
// up to three regions with their own tables, then quadruples of the count1
// table up to the end of part2_3_length.

#include <algorithm>

#include "libs/mpadec/cpu_features.h"
#include "libs/mpadec/layer3.h"

namespace mpadec {
namespace {

// Walks the tree from the root one bit at a time. Returns the leaf's value,
// or -1 for a code word the table does not have: the walk stops at the bit
// that leaves the tree. Every table of the standard is a complete code, so
// only a damaged table could get there; the walk is bounded by the tree.
int walk(main_data_buffer& data, const std::array<std::uint16_t, 2>* nodes) {
    std::uint16_t node = 0;
    for (;;) {
        const std::uint16_t next = nodes[node][data.read_bit()];
        if (next == 0) return -1;
        if (next & kHuffmanLeaf) return next & 0xFF;
        node = next;
    }
}

// The leaf value of the code word at the top of `window`, or -1 for one the
// table does not have; `taken` gets its bits, as the walk would read them.
MPADEC_INLINE int look_up(const huffman_entry* lookup, std::uint64_t window, int& taken) {
    int bits = kHuffmanFirstBits;
    taken = 0;
    const huffman_entry* table = lookup;
    for (;;) {
        const huffman_entry e = table[(window << taken) >> (64 - bits)];
        taken += e.length;
        if (e.kind == huffman_entry_kind::leaf) return e.value;
        if (e.kind == huffman_entry_kind::invalid) return -1;
        table = lookup + e.value;
        bits = kHuffmanNextBits;
    }
}

// The next `count` bits of `window` after the `taken` already used.
MPADEC_INLINE int take_bits(std::uint64_t window, int& taken, int count) {
    const auto value = static_cast<int>((window << taken) >> (64 - count));
    taken += count;
    return value;
}

// A non-zero value takes a sign bit. Without branches: sign bits are as good
// as random, and a mispredicted branch costs more than the arithmetic.
MPADEC_INLINE int signed_value(std::uint64_t window, int& taken, int value) {
    const int present = value != 0;
    const int negative = static_cast<int>((window << taken) >> 63) & present;
    taken += present;
    return (value ^ -negative) + negative;
}

// A pair takes at most 19 code bits and 2 x (13 linbits + sign), within the
// 57 bits of a window. Returns the bits taken.
MPADEC_INLINE int pair_from_window(const huffman_table& table, std::uint64_t window, huffman_values& values) {
    int taken = 0;
    const int leaf = look_up(table.lookup, window, taken);
    if (leaf >= 0) {
        int x = leaf >> 4;
        int y = leaf & 15;
        if (table.linbits > 0 && x == 15) x += take_bits(window, taken, table.linbits);
        values.x = signed_value(window, taken, x);
        if (table.linbits > 0 && y == 15) y += take_bits(window, taken, table.linbits);
        values.y = signed_value(window, taken, y);
    }
    return taken;
}

MPADEC_INLINE int quadruple_from_window(const huffman_table& table, std::uint64_t window, huffman_values& values) {
    int taken = 0;
    const int leaf = look_up(table.lookup, window, taken);
    if (leaf >= 0) {
        values.v = signed_value(window, taken, (leaf >> 3) & 1);
        values.w = signed_value(window, taken, (leaf >> 2) & 1);
        values.x = signed_value(window, taken, (leaf >> 1) & 1);
        values.y = signed_value(window, taken, leaf & 1);
    }
    return taken;
}

// The reservoir's bits from its read position on, held in a register and
// topped up 8 bytes at a time, so that a code costs no trip to the buffer.
class bit_cache {
public:
    explicit bit_cache(const main_data_buffer& data)
        : data_(&data), next_(static_cast<std::uint32_t>(data.position) >> 3) {
        refill();
        const int within = data.position & 7;
        word_ <<= within;
        held_ -= within;
    }

    // The next 57 bits or more at the top of the value.
    [[nodiscard]] std::uint64_t window() {
        if (held_ < 57) refill();
        return word_;
    }
    void skip(int bits) {
        word_ <<= bits;
        held_ -= bits;
    }
    // In the numbering of main_data_buffer::position.
    [[nodiscard]] std::int32_t position() const {
        return static_cast<std::int32_t>(next_ * 8 - static_cast<std::uint32_t>(held_));
    }

private:
    void refill() {
        word_ |= data_->load_8_bytes(next_ & (kMainDataBytes - 1)) >> held_;
        const int added = (63 - held_) >> 3;
        next_ += static_cast<std::uint32_t>(added);
        held_ += added * 8;
    }

    const main_data_buffer* data_;
    std::uint32_t next_;     // first byte not in the cache
    std::uint64_t word_ = 0;  // the next bits, MSB first, zeros below
    int held_ = 0;
};

int with_linbits_and_sign(main_data_buffer& data, int value, int linbits) {
    if (linbits > 0 && value == 15) value += static_cast<int>(data.read(linbits));
    if (value != 0 && data.read_bit()) value = -value;
    return value;
}

int with_sign(main_data_buffer& data, int value) { return value != 0 && data.read_bit() ? -value : value; }

// Line where region 1 and region 2 start.
void region_starts(const granule_info& g, const band_layout& bands, int& region1, int& region2) {
    if (short_blocks(g)) {
        region1 = 36;
        region2 = kGranuleLines;
        return;
    }
    // region0_count + region1_count + 2 reaches 24 with the widest counts:
    // boundaries past the last band stand for the end of the granule.
    const auto bound = [&bands](int index) { return index < 23 ? static_cast<int>(bands.long_bounds[index]) : 576; };
    region1 = bound(g.region0_count + 1);
    region2 = bound(g.region0_count + g.region1_count + 2);
}

// Pairs of lines [from, to) with one table.
void decode_region(bit_cache& cache, main_data_buffer& data, const huffman_table& table, int from, int to,
                   huffman_values& last, int values[kGranuleLines]) {
    if (table.nodes == nullptr) {
        std::fill(values + from, values + to, 0);  // tables 0, 4 and 14 have no codes and read no bits
        return;
    }
    for (int i = from; i < to; i += 2) {
        if (table.lookup != nullptr) {
            cache.skip(pair_from_window(table, cache.window(), last));
        } else {
            data.position = cache.position();
            decode_pair(data, table, last);
            cache = bit_cache(data);
        }
        values[i] = last.x;
        values[i + 1] = last.y;
    }
}

int decode_big_values(bit_cache& cache, main_data_buffer& data, const granule_info& g, const band_layout& bands,
                      huffman_values& last, int values[kGranuleLines]) {
    int region1 = 0, region2 = 0;
    region_starts(g, bands, region1, region2);
    const int end = std::min(2 * g.big_values, kGranuleLines);
    // Region boundaries are band boundaries, even lines in order, so a pair
    // never straddles two regions.
    const int bounds[4] = {0, std::min(region1, end), std::min(region2, end), end};
    for (int region = 0; region < 3; ++region) {
        decode_region(cache, data, big_value_table(g.table_select[region]), bounds[region], bounds[region + 1], last,
                      values);
    }
    return end;
}

}  // namespace

void decode_pair(main_data_buffer& data, const huffman_table& table, huffman_values& values) {
    if (table.lookup != nullptr) {
        data.skip(pair_from_window(table, data.peek(), values));
        return;
    }
    const int leaf = walk(data, table.nodes);
    if (leaf < 0) return;
    values.x = with_linbits_and_sign(data, leaf >> 4, table.linbits);
    values.y = with_linbits_and_sign(data, leaf & 15, table.linbits);
}

void decode_quadruple(main_data_buffer& data, const huffman_table& table, huffman_values& values) {
    if (table.lookup != nullptr) {
        data.skip(quadruple_from_window(table, data.peek(), values));
        return;
    }
    const int leaf = walk(data, table.nodes);
    if (leaf < 0) return;
    values.v = with_sign(data, (leaf >> 3) & 1);
    values.w = with_sign(data, (leaf >> 2) & 1);
    values.x = with_sign(data, (leaf >> 1) & 1);
    values.y = with_sign(data, leaf & 1);
}

int decode_spectrum(main_data_buffer& data, const granule_info& g, std::int32_t part2_start,
                    const band_layout& bands, int values[kGranuleLines]) {
    huffman_values last{0, 0, 0, 0};
    bit_cache cache(data);
    int i = decode_big_values(cache, data, g, bands, last, values);
    const std::int32_t end = part2_start + g.part2_3_length;
    const huffman_table& count1 = count1_table(g.count1table_select);
    bool quadruples = false;
    for (; cache.position() < end && i < kGranuleLines; i += 4, quadruples = true) {
        cache.skip(quadruple_from_window(count1, cache.window(), last));
        const int quadruple[4] = {last.v, last.w, last.x, last.y};
        for (int k = 0; k < 4 && i + k < kGranuleLines; ++k) values[i + k] = quadruple[k];
    }
    data.position = cache.position();
    if (data.position > end) {
        // The last code ran past the granule's bits: it belongs to the next
        // granule's data. Only a quadruple is taken back; the big values stay.
        data.rewind(data.position - end);
        if (quadruples) i -= 4;
    } else {
        data.skip(end - data.position);
    }
    i = std::min(i, kGranuleLines);
    std::fill(values + i, values + kGranuleLines, 0);
    return i;
}

}  // namespace mpadec
