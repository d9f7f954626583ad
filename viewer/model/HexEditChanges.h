#pragma once
// The bytes of the edited range as they were read from the file, and the
// list of byte cells whose edited value differs from them. The list always
// holds exactly the bytes that differ from the file, in the order they were
// first changed. These are the hex edit dialog's operations; their debug
// lines name "THexEditForm".

#include <cstdint>
#include <vector>

struct TChangedCell {
    std::int32_t Column;  // 1-16
    std::int32_t Row;     // from 1
    std::uint8_t Value;

    bool operator==(const TChangedCell&) const = default;
};

class THexEditChanges {
public:
    THexEditChanges() = default;
    // original: the range's bytes as read; leadingEmptyCells: the range's
    // offset mod 16 (empty cells before it on the first row).
    THexEditChanges(int leadingEmptyCells, std::vector<std::uint8_t> original);

    // Records the edited value of a byte cell: an unlisted cell is added
    // when the value differs from its unedited byte, a listed one takes the
    // new value, or leaves the list when the value is the unedited byte
    // again. False, with the list unchanged, for a cell that holds no byte
    // of the range.
    bool AddChangedCell(int column, int row, std::uint8_t value);
    // Position of the cell in the list, or -1.
    [[nodiscard]] int GetChangedCellIndex(int column, int row) const noexcept;
    // The unedited byte of a cell, from the buffer at index
    // column + 16 * row - leadingEmptyCells - 17. False after
    // "dbg: Error in THexEditForm.GetOriginalValue call..." for a cell
    // outside the range.
    bool GetOriginalValue(int column, int row, std::uint8_t& value) const;

    [[nodiscard]] const std::vector<TChangedCell>& ChangedCells() const { return FChangedCells; }
    [[nodiscard]] const std::vector<std::uint8_t>& Buffer() const { return FBuffer; }

private:
    int FLeadingEmptyCells = 0;
    std::vector<std::uint8_t> FBuffer;
    std::vector<TChangedCell> FChangedCells;
};
