// Layer III Huffman decoding: code words of the pair tables with linbits and
// signs, the two count1 tables, the rule for code words a table does not
// have, the region boundaries, and where part2_3_length ends a granule's data
// (a count1 quadruple that runs past it is taken back).

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "libs/mpadec/layer3.h"
#include "tests/libs/mpadec/bit_writer.h"
#include "tests/libs/mpadec/layer3_parts.h"

namespace mpadec_test {
namespace {

using mpadec::big_value_table;
using mpadec::count1_table;
using mpadec::granule_info;
using mpadec::huffman_values;
using mpadec::main_data_buffer;

// Bits given as a string of '0' and '1' ('.' and ' ' only separate fields).
BitWriter Bits(const std::string& text) {
    BitWriter writer;
    for (char c : text) {
        if (c == '0' || c == '1') writer.Put(c == '1' ? 1 : 0, 1);
    }
    return writer;
}

int BitCount(const std::string& text) {
    int count = 0;
    for (char c : text) count += c == '0' || c == '1';
    return count;
}

struct PairCase {
    int table;
    std::string bits;  // code word, then linbits and sign of x, then of y
    int x, y;
};

TEST(Layer3HuffmanTest, DecodesCodeWordsOfThePairTablesWithLinbitsAndSigns) {
    // Code words of ISO/IEC 11172-3 Table B.7.
    const std::vector<PairCase> cases = {
        {1, "1", 0, 0},
        {1, "000 1 0", -1, 1},
        {1, "01 0", 1, 0},
        {2, "000000 0 1", 2, -2},
        {7, "00010001 1 1", -2, -3},
        {7, "0000000000 0 0", 5, 5},
        {13, "0000000000000001 0 1", 15, -15},
        {13, "011 1", -1, 0},
        {15, "111", 0, 0},
        {16, "1", 0, 0},
        // Table 16 with linbits 1: 15 + 1.
        {16, "00000011 1.0 0.1", 16, -15},
        // Tables 17-23 share the code words of table 16; 23 has 13 linbits.
        {23, "00000011 1111111111111.0 0000000000000.1", 15 + 8191, -15},
        {24, "1111", 0, 0},
        {24, "0011 0101.1 0000.0", -(15 + 5), 15},
        // Table 31: the code words of table 24 with 13 linbits.
        {31, "0011 0000000000001.0 0000000000010.0", 16, 17},
    };
    for (const PairCase& c : cases) {
        main_data_buffer data = Holding(Bits(c.bits + " 1111111"));
        huffman_values values{7, 7, 7, 7};
        mpadec::decode_pair(data, big_value_table(c.table), values);
        EXPECT_EQ(values.x, c.x) << "table " << c.table << " " << c.bits;
        EXPECT_EQ(values.y, c.y) << "table " << c.table << " " << c.bits;
        EXPECT_EQ(data.position, BitCount(c.bits)) << "table " << c.table << " " << c.bits;
    }
}

TEST(Layer3HuffmanTest, DecodesQuadruplesOfBothCount1Tables) {
    struct QuadCase {
        int select;
        std::string bits;  // code word, then a sign for each non-zero value
        int v, w, x, y;
    };
    const std::vector<QuadCase> cases = {
        {0, "1", 0, 0, 0, 0},
        {0, "0101 1", 0, 0, 0, -1},
        {0, "000001 0101", 1, -1, 1, -1},
        {0, "000000 0 1 1", 1, 0, -1, -1},
        {1, "1111", 0, 0, 0, 0},
        {1, "0000 0000", 1, 1, 1, 1},
        {1, "1010 1 0", 0, -1, 0, 1},
    };
    for (const QuadCase& c : cases) {
        main_data_buffer data = Holding(Bits(c.bits + " 1111111"));
        huffman_values values{7, 7, 7, 7};
        mpadec::decode_quadruple(data, count1_table(c.select), values);
        EXPECT_EQ(values.v, c.v) << c.bits;
        EXPECT_EQ(values.w, c.w) << c.bits;
        EXPECT_EQ(values.x, c.x) << c.bits;
        EXPECT_EQ(values.y, c.y) << c.bits;
        EXPECT_EQ(data.position, BitCount(c.bits)) << c.bits;
    }
}

// Every code of the standard is complete, so an invalid code word needs a
// table with a gap: here "1" is (0, 0), "01" is (1, 0) and "00" is nothing.
constexpr std::uint16_t kGapCodes[2] = {1, 1};
constexpr std::uint8_t kGapLengths[2] = {1, 2};
constexpr auto kGapTree = mpadec::build_huffman_tree<2>(kGapCodes, kGapLengths, 1);
// A count1 table whose only code word is "1", for v w x y = 1 0 1 1.
constexpr std::uint16_t kQuadCodes[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0};
constexpr std::uint8_t kQuadLengths[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0};
constexpr auto kQuadTree = mpadec::build_huffman_tree<1>(kQuadCodes, kQuadLengths, 16);

TEST(Layer3HuffmanTest, AnInvalidCodeWordRepeatsThePreviousCodesValues) {
    const mpadec::huffman_table gap{kGapTree.data(), 0};
    main_data_buffer data = Holding(Bits("01 1  00  1  00"));
    huffman_values values{0, 0, 0, 0};
    mpadec::decode_pair(data, gap, values);
    EXPECT_EQ(values.x, -1);
    EXPECT_EQ(data.position, 3);
    // The invalid word ends at the bit that leaves the tree; no sign follows.
    mpadec::decode_pair(data, gap, values);
    EXPECT_EQ(values.x, -1);
    EXPECT_EQ(values.y, 0);
    EXPECT_EQ(data.position, 5);
    mpadec::decode_pair(data, gap, values);
    EXPECT_EQ(values.x, 0);
    mpadec::decode_pair(data, gap, values);
    EXPECT_EQ(values.x, 0);
    EXPECT_EQ(data.position, 8);

    // Quadruples: an invalid word keeps v, w, x and y.
    const mpadec::huffman_table quads{kQuadTree.data(), 0};
    main_data_buffer quad_data = Holding(Bits("1 0 1 1  0"));
    huffman_values quad{0, 0, 0, 0};
    mpadec::decode_quadruple(quad_data, quads, quad);
    mpadec::decode_quadruple(quad_data, quads, quad);
    EXPECT_EQ(quad.v, 1);
    EXPECT_EQ(quad.w, 0);
    EXPECT_EQ(quad.x, -1);
    EXPECT_EQ(quad.y, -1);
    EXPECT_EQ(quad_data.position, 5);
}

TEST(Layer3HuffmanTest, LookupTablesKeepTheInvalidCodeWordRule) {
    // The same gap tree decoded through lookup tables instead of the walk.
    static constexpr auto kGapLookup = mpadec::build_huffman_lookup<mpadec::huffman_lookup_size(kGapTree)>(kGapTree);
    const mpadec::huffman_table gap{kGapTree.data(), 0, kGapLookup.data()};
    main_data_buffer data = Holding(Bits("01 1  00  1  00"));
    huffman_values values{0, 0, 0, 0};
    mpadec::decode_pair(data, gap, values);
    EXPECT_EQ(values.x, -1);
    EXPECT_EQ(data.position, 3);
    mpadec::decode_pair(data, gap, values);
    EXPECT_EQ(values.x, -1);
    EXPECT_EQ(values.y, 0);
    EXPECT_EQ(data.position, 5);
    mpadec::decode_pair(data, gap, values);
    EXPECT_EQ(values.x, 0);
    mpadec::decode_pair(data, gap, values);
    EXPECT_EQ(values.x, 0);
    EXPECT_EQ(data.position, 8);

    static constexpr auto kQuadLookup =
        mpadec::build_huffman_lookup<mpadec::huffman_lookup_size(kQuadTree)>(kQuadTree);
    const mpadec::huffman_table quads{kQuadTree.data(), 0, kQuadLookup.data()};
    main_data_buffer quad_data = Holding(Bits("1 0 1 1  0"));
    huffman_values quad{0, 0, 0, 0};
    mpadec::decode_quadruple(quad_data, quads, quad);
    mpadec::decode_quadruple(quad_data, quads, quad);
    EXPECT_EQ(quad.v, 1);
    EXPECT_EQ(quad.w, 0);
    EXPECT_EQ(quad.x, -1);
    EXPECT_EQ(quad.y, -1);
    EXPECT_EQ(quad_data.position, 5);
}

TEST(Layer3HuffmanTest, TheFirstCodeOfAGranuleBeingInvalidGivesZeros) {
    const mpadec::huffman_table gap{kGapTree.data(), 0};
    main_data_buffer data = Holding(Bits("00 01 0"));
    huffman_values values{0, 0, 0, 0};  // what decode_spectrum starts a granule with
    mpadec::decode_pair(data, gap, values);
    EXPECT_EQ(values.x, 0);
    EXPECT_EQ(values.y, 0);
    mpadec::decode_pair(data, gap, values);
    EXPECT_EQ(values.x, 1);
}

// ---- one granule's spectrum ----

granule_info LongGranule(int big_values, int part2_3_length) {
    granule_info g{};
    g.big_values = big_values;
    g.part2_3_length = part2_3_length;
    g.global_gain = 210;
    return g;
}

const mpadec::band_layout& Bands44() { return mpadec::scale_factor_bands(1, 0); }

TEST(Layer3SpectrumTest, EachRegionDecodesWithItsOwnTable) {
    // 44.1 kHz: region0_count 0 ends region 0 at line 4, region1_count 0
    // ends region 1 at line 8. Table 0 reads nothing, table 1 decodes "01 s"
    // as (1, 0), table 15 "1100 s" as (0, 1) and "111" as (0, 0).
    granule_info g = LongGranule(6, 0);
    g.table_select[0] = 0;
    g.table_select[1] = 1;
    g.table_select[2] = 15;
    g.region0_count = 0;
    g.region1_count = 0;
    const std::string bits = "01 1  01 0  1100 1  111";
    g.part2_3_length = BitCount(bits);
    main_data_buffer data = Holding(Bits(bits));
    int values[576];
    const int lines = mpadec::decode_spectrum(data, g, 0, Bands44(), values);
    const std::vector<int> expected = {0, 0, 0, 0, -1, 0, 1, 0, 0, -1, 0, 0};
    EXPECT_EQ(std::vector<int>(values, values + 12), expected);
    EXPECT_EQ(lines, 12);
    EXPECT_EQ(data.position, g.part2_3_length);
}

TEST(Layer3SpectrumTest, ShortBlocksStartRegionOneAtLine36AndWideCountsStayInside) {
    // Short blocks: region 1 from line 36, region 2 never.
    granule_info g = LongGranule(20, 6);
    g.window_switching_flag = 1;
    g.block_type = 2;
    g.table_select[0] = 0;
    g.table_select[1] = 1;
    g.region0_count = 8;
    g.region1_count = 12;
    main_data_buffer data = Holding(Bits("01 0  01 0"));
    int values[576];
    mpadec::decode_spectrum(data, g, 0, Bands44(), values);
    EXPECT_EQ(std::count(values, values + 36, 0), 36);
    EXPECT_EQ(values[36], 1);
    EXPECT_EQ(values[38], 1);

    // The widest counts name boundary 24 of a 23-boundary table: region 2
    // then starts at the end of the granule.
    granule_info wide = LongGranule(288, 0);
    wide.region0_count = 15;
    wide.region1_count = 7;
    wide.table_select[0] = 0;
    wide.table_select[1] = 0;
    wide.table_select[2] = 1;  // would read bits if region 2 began inside
    main_data_buffer none{};
    EXPECT_EQ(mpadec::decode_spectrum(none, wide, 0, Bands44(), values), 576);
    EXPECT_EQ(none.position, 0);
}

TEST(Layer3SpectrumTest, TablesWithoutCodesGiveZerosWithoutReadingBits) {
    for (int table : {0, 4, 14}) {
        granule_info g = LongGranule(100, 0);
        g.table_select[0] = g.table_select[1] = g.table_select[2] = table;
        main_data_buffer data = Holding(Bits("0000 0000"));
        int values[576];
        std::fill(values, values + 576, 9);
        mpadec::decode_spectrum(data, g, 0, Bands44(), values);
        EXPECT_EQ(std::count(values, values + 576, 0), 576) << table;
        EXPECT_EQ(data.position, 0) << table;
    }
}

TEST(Layer3SpectrumTest, ACount1QuadrupleThatRunsPastTheEndIsTakenBack) {
    // Table B: "1111" is 0 0 0 0 (4 bits), "0000" is 1 1 1 1 with four signs
    // (8 bits). With 6 bits the second quadruple ends at bit 12: it is taken
    // back and the reader returns to bit 6.
    granule_info g = LongGranule(0, 6);
    g.count1table_select = 1;
    main_data_buffer data = Holding(Bits("1111 0000 0000  1111"));
    int values[576];
    const int lines = mpadec::decode_spectrum(data, g, 0, Bands44(), values);
    EXPECT_EQ(lines, 4);
    EXPECT_EQ(std::count(values, values + 576, 0), 576);
    EXPECT_EQ(data.position, 6);

    // With room for both they stay.
    g.part2_3_length = 12;
    data = Holding(Bits("1111 0000 0101"));
    EXPECT_EQ(mpadec::decode_spectrum(data, g, 0, Bands44(), values), 8);
    const std::vector<int> expected = {0, 0, 0, 0, 1, -1, 1, -1, 0};
    EXPECT_EQ(std::vector<int>(values, values + 9), expected);
    EXPECT_EQ(data.position, 12);
}

TEST(Layer3SpectrumTest, BigValuesThatRunPastTheEndStayAndTheReaderReturns) {
    // Three pairs of table 1 "01 0" take 9 bits, but part2_3_length says 7.
    granule_info g = LongGranule(3, 7);
    g.table_select[0] = 1;
    g.region0_count = 15;
    main_data_buffer data = Holding(Bits("010 010 010"));
    int values[576];
    EXPECT_EQ(mpadec::decode_spectrum(data, g, 0, Bands44(), values), 6);
    EXPECT_EQ(values[4], 1);
    EXPECT_EQ(data.position, 7);
}

TEST(Layer3SpectrumTest, UnusedBitsAreSkippedAndCount1StopsAtTheLastLine) {
    // Big values fill the granule: the bits left up to part2_3_length go.
    granule_info full = LongGranule(288, 20);
    main_data_buffer data = Holding(Bits("0101 0101 0101 0101 0101"));
    int values[576];
    EXPECT_EQ(mpadec::decode_spectrum(data, full, 0, Bands44(), values), 576);
    EXPECT_EQ(std::count(values, values + 576, 0), 576);
    EXPECT_EQ(data.position, 20);

    // A quadruple at line 574 keeps its first two values only.
    granule_info last = LongGranule(287, 8);
    last.count1table_select = 1;
    main_data_buffer tail = Holding(Bits("0000 0101"));
    EXPECT_EQ(mpadec::decode_spectrum(tail, last, 0, Bands44(), values), 576);
    EXPECT_EQ(values[573], 0);
    EXPECT_EQ(values[574], 1);
    EXPECT_EQ(values[575], -1);
    EXPECT_EQ(tail.position, 8);
}

}  // namespace
}  // namespace mpadec_test
