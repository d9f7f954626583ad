// The changed-cell list holds exactly the bytes that differ from the file.

#include "viewer/model/HexEditChanges.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/debug_output.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// 20 bytes from offset 0x1A: ten empty cells in front on the first row.
THexEditChanges RangeAt0x1A() {
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < 20; ++i) bytes.push_back(static_cast<std::uint8_t>(0x30 + i));
    return THexEditChanges(10, bytes);
}

TEST(HexEditChanges, OriginalValuesComeFromTheCellsPlaceInTheRange) {
    const THexEditChanges changes = RangeAt0x1A();
    std::uint8_t value = 0;
    ASSERT_TRUE(changes.GetOriginalValue(11, 1, value));
    EXPECT_EQ(value, 0x30);
    ASSERT_TRUE(changes.GetOriginalValue(16, 1, value));
    EXPECT_EQ(value, 0x35);
    ASSERT_TRUE(changes.GetOriginalValue(1, 2, value));
    EXPECT_EQ(value, 0x36);
    ASSERT_TRUE(changes.GetOriginalValue(14, 2, value));
    EXPECT_EQ(value, 0x43);
}

TEST(HexEditChanges, ListsOnlyValuesThatDifferAndForgetsReverts) {
    THexEditChanges changes = RangeAt0x1A();
    EXPECT_TRUE(changes.AddChangedCell(12, 1, 0x31));  // its own value: nothing to save
    EXPECT_THAT(changes.ChangedCells(), IsEmpty());

    EXPECT_TRUE(changes.AddChangedCell(12, 1, 0x70));
    EXPECT_TRUE(changes.AddChangedCell(3, 2, 0xFF));
    EXPECT_TRUE(changes.AddChangedCell(12, 1, 0x75));  // the same cell again: one entry, new value
    EXPECT_THAT(changes.ChangedCells(), ElementsAre(TChangedCell{12, 1, 0x75}, TChangedCell{3, 2, 0xFF}));
    EXPECT_EQ(changes.GetChangedCellIndex(3, 2), 1);
    EXPECT_EQ(changes.GetChangedCellIndex(4, 2), -1);

    EXPECT_TRUE(changes.AddChangedCell(12, 1, 0x31));  // back to the file's value
    EXPECT_THAT(changes.ChangedCells(), ElementsAre(TChangedCell{3, 2, 0xFF}));
    EXPECT_EQ(changes.GetChangedCellIndex(12, 1), -1);
    EXPECT_TRUE(changes.AddChangedCell(3, 2, 0x38));
    EXPECT_THAT(changes.ChangedCells(), IsEmpty());
}

TEST(HexEditChanges, CellsOutsideTheRangeAreRefusedWithADebugLine) {
    THexEditChanges changes = RangeAt0x1A();
    platform::DebugLineCapture capture;
    std::uint8_t value = 0xEE;
    EXPECT_FALSE(changes.GetOriginalValue(10, 1, value));  // an empty cell before the range
    EXPECT_EQ(value, 0xEE);
    EXPECT_FALSE(changes.AddChangedCell(15, 2, 0x01));  // an empty cell after it
    EXPECT_FALSE(changes.AddChangedCell(17, 1, 0x01));  // the text column
    EXPECT_FALSE(changes.AddChangedCell(1, 0, 0x01));   // the header row
    EXPECT_THAT(changes.ChangedCells(), IsEmpty());
    EXPECT_THAT(capture.Lines(), ElementsAre("dbg: Error in THexEditForm.GetOriginalValue call...",
                                             "dbg: Error in THexEditForm.GetOriginalValue call...",
                                             "dbg: Error in THexEditForm.GetOriginalValue call...",
                                             "dbg: Error in THexEditForm.GetOriginalValue call..."));
}

}  // namespace
