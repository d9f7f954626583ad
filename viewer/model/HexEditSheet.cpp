#include "viewer/model/HexEditSheet.h"

#include <stdexcept>
#include <utility>

#include "platform/debug_output.h"
#include "viewer/model/HexEditText.h"

void THexEditSheet::Load(HexOffset offset, std::vector<std::uint8_t> bytes) {
    THexEditGrid grid(offset, static_cast<std::int64_t>(bytes.size()));
    std::vector<CellChars> texts;
    texts.reserve(bytes.size());
    for (std::uint8_t byte : bytes) {
        const std::string hex = ByteToHex(byte);
        texts.push_back({hex[0], hex[1]});
    }
    FGrid = grid;
    FCellTexts = std::move(texts);
    FChanges = THexEditChanges(grid.LeadingEmptyCells(), std::move(bytes));
    FRowTexts.assign(static_cast<std::size_t>(grid.RowCount()), {});
    FSelected.reset();
    for (int row = 1; row < grid.RowCount(); ++row) {
        if (!UpdateRow(row)) throw std::runtime_error("row text");
    }
}

void THexEditSheet::Clear() {
    FGrid = THexEditGrid();
    FChanges = THexEditChanges();
    FCellTexts = {};
    FRowTexts = {};
    FSelected.reset();
}

bool THexEditSheet::IsChanged(THexEditCell cell) const {
    return FGrid.HoldsByte(cell) && FChanges.GetChangedCellIndex(cell.Column, cell.Row) >= 0;
}

std::string THexEditSheet::CellText(THexEditCell cell) const {
    if (cell.Row == 0) return THexEditGrid::HeaderText(cell.Column);
    if (cell.Column == HexEditLabelColumn) return FGrid.RowLabel(cell.Row);
    const std::int64_t index = FGrid.ByteIndex(cell);
    if (index < 0) return {};
    const CellChars& chars = FCellTexts[static_cast<std::size_t>(index)];
    return {chars[0], chars[1]};
}

std::u16string THexEditSheet::RowText(int row) const {
    if (row < 1 || row >= static_cast<int>(FRowTexts.size())) return {};
    return FRowTexts[static_cast<std::size_t>(row)];
}

std::string THexEditSheet::SetEditText(THexEditCell cell, std::string_view editText) {
    const std::int64_t index = FGrid.ByteIndex(cell);
    if (index < 0) return CellText(cell);
    const THexEditInput input = NormaliseHexEditText(editText);
    FCellTexts[static_cast<std::size_t>(index)] = {input.Text[0], input.Text[1]};
    FChanges.AddChangedCell(cell.Column, cell.Row, input.Value);
    UpdateRow(cell.Row);
    return input.Text;
}

bool THexEditSheet::SelectCell(THexEditCell cell, std::optional<THexEditCell>* leftCell) {
    if (cell.Row == 1 && cell.Column <= FGrid.LeadingEmptyCells()) return false;
    if (FSelected) {
        const std::int64_t index = FGrid.ByteIndex(*FSelected);
        if (index >= 0) {
            CellChars& chars = FCellTexts[static_cast<std::size_t>(index)];
            const std::string filled = FillHexEditSpaces(std::string_view(chars.data(), chars.size()));
            if (filled[0] != chars[0] || filled[1] != chars[1]) {
                chars = {filled[0], filled[1]};
                if (leftCell != nullptr) *leftCell = *FSelected;
            }
        }
    }
    const std::string text = CellText(cell);
    if (cell.Column == HexEditTextColumn || !FGrid.HoldsByte(cell) || text.empty() || text == "  ") return false;
    FSelected = cell;
    return true;
}

bool THexEditSheet::UpdateRow(int row) {
    try {
        if (row < 1 || row >= FGrid.RowCount()) throw std::out_of_range("row");
        const std::int64_t first = FGrid.RowFirstByte(row);
        const int count = FGrid.RowByteCount(row);
        std::vector<std::uint8_t> values;
        values.reserve(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            const CellChars& chars = FCellTexts[static_cast<std::size_t>(first + i)];
            const auto value = HexEditCellValue(std::string_view(chars.data(), chars.size()));
            if (value) values.push_back(*value);
        }
        const int leading = row == 1 ? FGrid.LeadingEmptyCells() : 0;
        FRowTexts[static_cast<std::size_t>(row)] = HexEditRowText(leading, values);
        return true;
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in THexEditForm.UpdateRow call...");
        return false;
    }
}
