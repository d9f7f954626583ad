// The record layout that every library shares: the same from C and C++, and
// the 56-byte 32-bit layout with every offset where pointers are 4 bytes.

#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

#include "abi/bufstream.h"
#include "abi/bufstream_pcm.h"
#include "tests/plugins/common/bufstream_layout_c.h"

namespace {

std::vector<std::size_t> CxxOffsets() {
    return {offsetof(bufstream, bytes_available), offsetof(bufstream, reserve),    offsetof(bufstream, commit),
            offsetof(bufstream, write_bytes),     offsetof(bufstream, block_size), offsetof(bufstream, control),
            offsetof(bufstream, next_part),       offsetof(bufstream, finish),     offsetof(bufstream, release),
            offsetof(bufstream, reserved_a),      offsetof(bufstream, reserved_b), offsetof(bufstream, flags),
            offsetof(bufstream, reserved_c),      offsetof(bufstream, impl)};
}

TEST(BufstreamLayout, CAndCxxAgreeOnEveryRecord) {
    bufstream_layout c{};
    bufstream_layout_from_c(&c);
    EXPECT_EQ(c.record_size, sizeof(bufstream));
    EXPECT_EQ(std::vector<std::size_t>(std::begin(c.field_offsets), std::end(c.field_offsets)), CxxOffsets());
    EXPECT_EQ(c.vobu_size, 12u);
    EXPECT_EQ(c.sync_value_size, 8u);
    EXPECT_EQ(c.tag_header_size, 8u);
    EXPECT_EQ(c.stream_desc_size, 16u);
    EXPECT_EQ(c.packet_desc_size, 78u);
    EXPECT_EQ(c.packet_desc_flags_offset, 8u);
    EXPECT_EQ(c.packet_desc_format_flags_offset, 74u);
}

TEST(BufstreamLayout, SlotsThenWordsInOrder) {
    const std::size_t p = sizeof(void*);
    const std::vector<std::size_t> expected = {0,     p,     2 * p,     3 * p,     4 * p,      5 * p,     6 * p,
                                               7 * p, 8 * p, 9 * p, 9 * p + 4, 9 * p + 8, 9 * p + 12, 9 * p + 16};
    EXPECT_EQ(CxxOffsets(), expected);
    EXPECT_EQ(sizeof(bufstream), 10 * p + 16);
}

TEST(BufstreamLayout, ThirtyTwoBitRecordIs56Bytes) {
    if (sizeof(void*) != 4) GTEST_SKIP() << "the 32-bit layout is checked by the i386 build";
    const std::vector<std::size_t> expected = {0, 4, 8, 12, 16, 20, 24, 28, 32, 36, 40, 44, 48, 52};
    EXPECT_EQ(CxxOffsets(), expected);
    EXPECT_EQ(sizeof(bufstream), 56u);
}

TEST(BufstreamLayout, CommandIdsKeepTheirNumbers) {
    // Cores and libraries built apart from this tree send these numbers.
    EXPECT_EQ(BUFSTREAM_CMD_BYTES_ACCEPTED, 0xF0010);
    EXPECT_EQ(BUFSTREAM_CMD_FLUSH_FILE, 0xF0020);
    EXPECT_EQ(BUFSTREAM_CMD_NEXT_PART, 0xF0040);
    EXPECT_EQ(BUFSTREAM_CMD_PART_NUMBER, 0xF00001);
    EXPECT_EQ(BUFSTREAM_CMD_PART_FILE_NAME, 0xF00002);
    EXPECT_EQ(BUFSTREAM_CMD_DVD_ENABLE, 0xF1000);
    EXPECT_EQ(BUFSTREAM_CMD_DVD_ADD_VOBU, 0xF2000);
    EXPECT_EQ(BUFSTREAM_CMD_DVD_PART_END_PTM, 0xF4000);
    EXPECT_EQ(BUFSTREAM_CMD_DVD_SUPPRESS_FIXUP, 0xF8000);
    EXPECT_EQ(BUFSTREAM_CMD_DVD_HIGHLIGHT, 0xE0020);
    EXPECT_EQ(BUFSTREAM_CMD_DVD_CELL_START, 0xE0080);
    EXPECT_EQ(BUFSTREAM_CMD_DVD_NEW_AUDIO_SYNC, 0xE0101);
    EXPECT_EQ(BUFSTREAM_CMD_DVD_ADD_AUDIO_SYNC, 0xE0102);
    EXPECT_EQ(BUFSTREAM_CMD_DVD_NEW_SUBPIC_SYNC, 0xE0201);
    EXPECT_EQ(BUFSTREAM_CMD_DVD_ADD_SUBPIC_SYNC, 0xE0202);
    EXPECT_EQ(BUFSTREAM_CMD_DVD_SUBPIC_REFERENCE, 0xE0203);
    EXPECT_EQ(BUFSTREAM_CMD_PCM_PACKET_TAGGED, 0xF0002);
    EXPECT_EQ(BUFSTREAM_CMD_PCM_PACKET_DESCRIBED, 0xD1000);
}

}  // namespace
