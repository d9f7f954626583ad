#pragma once
// Geometry of the hex edit grid, without any widget. The grid has a header
// row (row 0) and 18 columns: the row labels, one column per byte of a
// 16-byte file line, and the line's bytes as text. Row r (from 1) shows the
// file line that starts at LineStart() + 16 * (r - 1); the byte at file
// offset o sits in column (o mod 16) + 1. Cells before the edited range (on
// the first row) and after it (on the last row) hold no byte.

#include <cstdint>
#include <string>

#include "viewer/model/HexFormat.h"

enum THexEditColumn : int {
    HexEditLabelColumn = 0,
    HexEditFirstByteColumn = 1,
    HexEditLastByteColumn = 16,
    HexEditTextColumn = 17,
    HexEditColumnCount = 18,
};

// A cell in grid coordinates: columns 0-17, rows from 0 (the header row).
struct THexEditCell {
    int Column = 0;
    int Row = 0;

    bool operator==(const THexEditCell&) const = default;
};

class THexEditGrid {
public:
    static constexpr int kRowHeight = 24;
    static constexpr int kLabelColumnWidth = 180;
    static constexpr int kByteColumnWidth = 24;
    static constexpr int kTextColumnWidth = 120;

    // An empty range at offset 0: the header row only.
    THexEditGrid() = default;
    // The range [offset, offset + size). Throws std::invalid_argument for a
    // negative offset or size, and std::length_error when the range ends
    // past the largest file offset or needs more rows than an int counts.
    THexEditGrid(HexOffset offset, std::int64_t size);

    [[nodiscard]] HexOffset Offset() const { return offset_; }
    [[nodiscard]] std::int64_t Size() const { return size_; }
    // The offset rounded down to a multiple of 16: the first row's line.
    [[nodiscard]] HexOffset LineStart() const { return HexLineStart(offset_); }
    // Empty byte cells on the first row before the range (offset mod 16).
    [[nodiscard]] int LeadingEmptyCells() const { return static_cast<int>(offset_ - LineStart()); }
    // Rows including the header row: 1 + (size + offset mod 16 + 15) div 16.
    [[nodiscard]] int RowCount() const { return rowCount_; }

    [[nodiscard]] static int ColumnWidth(int column);
    // "00" to "0F" over the byte columns; empty elsewhere.
    [[nodiscard]] static std::string HeaderText(int column);
    // "0x" + the row's line offset as 16 upper-case hexadecimal digits; empty
    // for the header row and rows outside the grid.
    [[nodiscard]] std::string RowLabel(int row) const;

    // True for the cells that show a byte of the range.
    [[nodiscard]] bool HoldsByte(THexEditCell cell) const { return ByteIndex(cell) >= 0; }
    // Index within the range of the cell's byte (0 for the first byte), -1
    // for a cell that holds none.
    [[nodiscard]] std::int64_t ByteIndex(THexEditCell cell) const;
    // The cell of the byte with this index within the range (not checked).
    [[nodiscard]] THexEditCell CellOfByte(std::int64_t index) const;
    // File offset a byte cell stands for: line start + 16 (row - 1) + column - 1.
    [[nodiscard]] HexOffset FileOffset(THexEditCell cell) const;

    // Index of the first byte a row shows and how many it shows (0 for the
    // header row and rows outside the grid).
    [[nodiscard]] std::int64_t RowFirstByte(int row) const;
    [[nodiscard]] int RowByteCount(int row) const;

    // Where Enter moves from a byte cell: the next column, from column 16
    // to column 1 of the next row, and nowhere past the range's last byte
    // (the cell itself comes back). Other cells come back unchanged.
    [[nodiscard]] THexEditCell NextCell(THexEditCell cell) const;

private:
    HexOffset offset_ = 0;
    std::int64_t size_ = 0;
    int rowCount_ = 1;
};
