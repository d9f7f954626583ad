// The hex edit grid's geometry: rows, empty cells, labels and the Enter walk.

#include "viewer/model/HexEditGrid.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace {

constexpr std::int64_t kOneGiB = std::int64_t{1} << 30;

// Which cells of a row hold a byte, as a 16-character picture ('#' = byte).
std::string RowPicture(const THexEditGrid& grid, int row) {
    std::string picture;
    for (int column = 1; column <= 16; ++column) picture += grid.HoldsByte({column, row}) ? '#' : '.';
    return picture;
}

TEST(HexEditGrid, RangeAt0x1AOf20BytesTakesTwoRowsWithTenEmptyCellsInFront) {
    const THexEditGrid grid(0x1A, 20);
    EXPECT_EQ(grid.RowCount(), 3);  // the header row and two lines
    EXPECT_EQ(grid.LineStart(), 0x10);
    EXPECT_EQ(grid.LeadingEmptyCells(), 10);
    EXPECT_EQ(RowPicture(grid, 1), "..........######");
    EXPECT_EQ(RowPicture(grid, 2), "##############..");
    EXPECT_EQ(grid.RowLabel(1), "0x0000000000000010");
    EXPECT_EQ(grid.RowLabel(2), "0x0000000000000020");
    EXPECT_EQ(grid.RowLabel(0), "");
    EXPECT_EQ(grid.RowLabel(3), "");

    EXPECT_EQ(grid.ByteIndex({11, 1}), 0);
    EXPECT_EQ(grid.ByteIndex({16, 1}), 5);
    EXPECT_EQ(grid.ByteIndex({1, 2}), 6);
    EXPECT_EQ(grid.ByteIndex({14, 2}), 19);
    EXPECT_EQ(grid.FileOffset({11, 1}), 0x1A);
    EXPECT_EQ(grid.FileOffset({14, 2}), 0x2D);
    EXPECT_EQ(grid.CellOfByte(0), (THexEditCell{11, 1}));
    EXPECT_EQ(grid.CellOfByte(6), (THexEditCell{1, 2}));
    EXPECT_EQ(grid.CellOfByte(19), (THexEditCell{14, 2}));

    EXPECT_EQ(grid.RowFirstByte(1), 0);
    EXPECT_EQ(grid.RowByteCount(1), 6);
    EXPECT_EQ(grid.RowFirstByte(2), 6);
    EXPECT_EQ(grid.RowByteCount(2), 14);
}

TEST(HexEditGrid, LabelHeaderAndTextColumnsHoldNoByte) {
    const THexEditGrid grid(0x1A, 20);
    for (int row = 0; row < 4; ++row) {
        EXPECT_FALSE(grid.HoldsByte({0, row}));
        EXPECT_FALSE(grid.HoldsByte({17, row}));
    }
    for (int column = 0; column < 18; ++column) EXPECT_FALSE(grid.HoldsByte({column, 0}));
    EXPECT_FALSE(grid.HoldsByte({1, 3}));  // below the last row
    EXPECT_EQ(grid.ByteIndex({10, 1}), -1);
    EXPECT_EQ(grid.ByteIndex({15, 2}), -1);
}

TEST(HexEditGrid, HeaderTextsAndColumnWidths) {
    std::vector<std::string> headers;
    for (int column = 0; column < 18; ++column) headers.push_back(THexEditGrid::HeaderText(column));
    const std::vector<std::string> expected{"",   "00", "01", "02", "03", "04", "05", "06", "07",
                                            "08", "09", "0A", "0B", "0C", "0D", "0E", "0F", ""};
    EXPECT_EQ(headers, expected);
    EXPECT_EQ(THexEditGrid::ColumnWidth(0), 180);
    for (int column = 1; column <= 16; ++column) EXPECT_EQ(THexEditGrid::ColumnWidth(column), 24);
    EXPECT_EQ(THexEditGrid::ColumnWidth(17), 120);
    EXPECT_EQ(THexEditGrid::kRowHeight, 24);
}

TEST(HexEditGrid, RowCountFollowsOffsetWithinLineAndSize) {
    EXPECT_EQ(THexEditGrid(0x20, 16).RowCount(), 2);  // one full line
    EXPECT_EQ(THexEditGrid(0x20, 17).RowCount(), 3);
    EXPECT_EQ(THexEditGrid(0x2F, 2).RowCount(), 3);   // last byte of one line, first of the next
    EXPECT_EQ(THexEditGrid(0x2F, 1).RowCount(), 2);
    EXPECT_EQ(THexEditGrid(0x20, 384).RowCount(), 25);
    EXPECT_EQ(THexEditGrid(0x21, 384).RowCount(), 26);
    EXPECT_EQ(THexEditGrid(0x20, 0).RowCount(), 1);   // nothing to show but the header
    EXPECT_EQ(THexEditGrid().RowCount(), 1);
}

TEST(HexEditGrid, EnterWalksByteByByteAndStopsOnTheLastByte) {
    const THexEditGrid grid(0x1A, 20);
    EXPECT_EQ(grid.NextCell({11, 1}), (THexEditCell{12, 1}));
    EXPECT_EQ(grid.NextCell({16, 1}), (THexEditCell{1, 2}));
    EXPECT_EQ(grid.NextCell({13, 2}), (THexEditCell{14, 2}));
    EXPECT_EQ(grid.NextCell({14, 2}), (THexEditCell{14, 2}));  // the range's last byte
    EXPECT_EQ(grid.NextCell({15, 2}), (THexEditCell{15, 2}));  // not a byte: nowhere to go

    const THexEditGrid aligned(0x100, 32);
    EXPECT_EQ(aligned.NextCell({16, 1}), (THexEditCell{1, 2}));
    EXPECT_EQ(aligned.NextCell({16, 2}), (THexEditCell{16, 2}));  // last byte in column 16
}

TEST(HexEditGrid, OffsetsBeyondFourGibibytes) {
    const THexEditGrid grid(5 * kOneGiB + 0x1A, 20);
    EXPECT_EQ(grid.LineStart(), 5 * kOneGiB + 0x10);
    EXPECT_EQ(grid.RowLabel(1), "0x0000000140000010");
    EXPECT_EQ(grid.RowLabel(2), "0x0000000140000020");
    EXPECT_EQ(grid.FileOffset({14, 2}), 5 * kOneGiB + 0x2D);
    EXPECT_EQ(RowPicture(grid, 1), "..........######");
}

TEST(HexEditGrid, RefusesRangesItCannotLayOut) {
    EXPECT_THROW(THexEditGrid(-1, 10), std::invalid_argument);
    EXPECT_THROW(THexEditGrid(0, -1), std::invalid_argument);
    EXPECT_THROW(THexEditGrid(INT64_MAX - 5, 10), std::length_error);
    EXPECT_THROW(THexEditGrid(0, std::int64_t{1} << 40), std::length_error);
}

}  // namespace
