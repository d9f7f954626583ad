#pragma once
// The content of the hex edit grid, without any widget: the texts of all
// cells, the text column of every row, the changed bytes and the cell the
// cursor stands on. The dialog forwards its grid events here
// (StringGrid1SetEditText, StringGrid1SelectCell) and paints what it reads.
// Debug lines name "THexEditForm", whose operations these are.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "viewer/model/HexEditChanges.h"
#include "viewer/model/HexEditGrid.h"

class THexEditSheet {
public:
    // The range starting at offset with the bytes read there; the range is
    // as long as what was read. Throws what THexEditGrid throws.
    void Load(HexOffset offset, std::vector<std::uint8_t> bytes);
    // Back to an empty range, releasing the bytes and the list.
    void Clear();

    [[nodiscard]] const THexEditGrid& Grid() const { return FGrid; }
    [[nodiscard]] const THexEditChanges& Changes() const { return FChanges; }
    [[nodiscard]] bool IsChanged(THexEditCell cell) const;

    // Text of a header, label or byte cell; empty for cells that hold
    // nothing. The text column is RowText.
    [[nodiscard]] std::string CellText(THexEditCell cell) const;
    [[nodiscard]] std::u16string RowText(int row) const;

    // StringGrid1SetEditText: a byte cell's editor text becomes the cell's
    // text and value (NormaliseHexEditText), the changed list follows
    // (AddChangedCell) and the row's text column is rebuilt. Returns the
    // cell's new text; other cells are left alone and return their text.
    std::string SetEditText(THexEditCell cell, std::string_view editText);

    // StringGrid1SelectCell: whether the cursor may move to a cell. Cells
    // before the range on the first row are refused at once. Otherwise the
    // spaces in the cell the cursor leaves become "0" (its position goes to
    // leftCell when its text changed), and the cell is accepted when it is
    // not the text column and holds a byte; it is then the cell the cursor
    // stands on.
    bool SelectCell(THexEditCell cell, std::optional<THexEditCell>* leftCell = nullptr);
    [[nodiscard]] std::optional<THexEditCell> SelectedCell() const { return FSelected; }

    // Rebuilds the text column of a row from its byte cells. False after
    // "dbg: Error in THexEditForm.UpdateRow call..." for a row outside the
    // grid.
    bool UpdateRow(int row);

private:
    using CellChars = std::array<char, 2>;

    THexEditGrid FGrid;
    THexEditChanges FChanges;
    std::vector<CellChars> FCellTexts;   // one per byte of the range
    std::vector<std::u16string> FRowTexts;  // one per row, the header row's empty
    std::optional<THexEditCell> FSelected;
};
