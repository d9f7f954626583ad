#include "viewer/model/HexEditGrid.h"

#include <limits>
#include <stdexcept>

THexEditGrid::THexEditGrid(HexOffset offset, std::int64_t size) : offset_(offset), size_(size) {
    if (offset < 0 || size < 0) throw std::invalid_argument("negative hex edit range");
    if (size > std::numeric_limits<HexOffset>::max() - offset) throw std::length_error("hex edit range too far");
    const std::int64_t lines = (size + LeadingEmptyCells() + kHexBytesPerLine - 1) / kHexBytesPerLine;
    if (lines >= std::numeric_limits<int>::max()) throw std::length_error("hex edit range too long");
    rowCount_ = 1 + static_cast<int>(lines);
}

int THexEditGrid::ColumnWidth(int column) {
    if (column == HexEditLabelColumn) return kLabelColumnWidth;
    if (column == HexEditTextColumn) return kTextColumnWidth;
    return kByteColumnWidth;
}

std::string THexEditGrid::HeaderText(int column) {
    if (column < HexEditFirstByteColumn || column > HexEditLastByteColumn) return {};
    return ByteToHex(static_cast<std::uint8_t>(column - HexEditFirstByteColumn));
}

std::string THexEditGrid::RowLabel(int row) const {
    if (row < 1 || row >= rowCount_) return {};
    const HexOffset line = LineStart() + static_cast<HexOffset>(row - 1) * kHexBytesPerLine;
    // The hex view's line prefix without its three trailing spaces.
    const std::u16string prefix = HexLinePrefix(line);
    return std::string(prefix.begin(), prefix.end() - 3);
}

std::int64_t THexEditGrid::ByteIndex(THexEditCell cell) const {
    if (cell.Column < HexEditFirstByteColumn || cell.Column > HexEditLastByteColumn) return -1;
    if (cell.Row < 1 || cell.Row >= rowCount_) return -1;
    const std::int64_t index = static_cast<std::int64_t>(cell.Row - 1) * kHexBytesPerLine +
                               (cell.Column - HexEditFirstByteColumn) - LeadingEmptyCells();
    return index >= 0 && index < size_ ? index : -1;
}

THexEditCell THexEditGrid::CellOfByte(std::int64_t index) const {
    const std::int64_t position = index + LeadingEmptyCells();
    return {static_cast<int>(position % kHexBytesPerLine) + HexEditFirstByteColumn,
            static_cast<int>(position / kHexBytesPerLine) + 1};
}

HexOffset THexEditGrid::FileOffset(THexEditCell cell) const {
    return LineStart() + static_cast<HexOffset>(cell.Row - 1) * kHexBytesPerLine +
           (cell.Column - HexEditFirstByteColumn);
}

std::int64_t THexEditGrid::RowFirstByte(int row) const {
    if (row < 1 || row >= rowCount_) return 0;
    return row == 1 ? 0 : static_cast<std::int64_t>(row - 1) * kHexBytesPerLine - LeadingEmptyCells();
}

int THexEditGrid::RowByteCount(int row) const {
    if (row < 1 || row >= rowCount_) return 0;
    const std::int64_t lineEnd = static_cast<std::int64_t>(row) * kHexBytesPerLine - LeadingEmptyCells();
    const std::int64_t end = lineEnd < size_ ? lineEnd : size_;
    return static_cast<int>(end - RowFirstByte(row));
}

THexEditCell THexEditGrid::NextCell(THexEditCell cell) const {
    const std::int64_t index = ByteIndex(cell);
    if (index < 0 || index + 1 >= size_) return cell;
    return CellOfByte(index + 1);
}
