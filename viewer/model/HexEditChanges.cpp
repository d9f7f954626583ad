#include "viewer/model/HexEditChanges.h"

#include <utility>

#include "platform/debug_output.h"

THexEditChanges::THexEditChanges(int leadingEmptyCells, std::vector<std::uint8_t> original)
    : FLeadingEmptyCells(leadingEmptyCells), FBuffer(std::move(original)) {}

bool THexEditChanges::AddChangedCell(int column, int row, std::uint8_t value) {
    try {
        std::uint8_t original = 0;
        if (!GetOriginalValue(column, row, original)) return false;
        const int index = GetChangedCellIndex(column, row);
        if (index >= 0) {
            const auto at = FChangedCells.begin() + index;
            if (value == original) {
                FChangedCells.erase(at);
            } else {
                at->Value = value;
            }
        } else if (value != original) {
            FChangedCells.push_back({column, row, value});
        }
        return true;
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in THexEditForm.AddChangedCell call...");
        return false;
    }
}

int THexEditChanges::GetChangedCellIndex(int column, int row) const noexcept {
    for (std::size_t i = 0; i < FChangedCells.size(); ++i) {
        if (FChangedCells[i].Column == column && FChangedCells[i].Row == row) return static_cast<int>(i);
    }
    return -1;
}

bool THexEditChanges::GetOriginalValue(int column, int row, std::uint8_t& value) const {
    const std::int64_t index = column + std::int64_t{16} * row - FLeadingEmptyCells - 17;
    const bool inRange = column >= 1 && column <= 16 && row >= 1 && index >= 0 &&
                         index < static_cast<std::int64_t>(FBuffer.size());
    if (!inRange) {
        platform::OutputDebugLine("dbg: Error in THexEditForm.GetOriginalValue call...");
        return false;
    }
    value = FBuffer[static_cast<std::size_t>(index)];
    return true;
}
