// The hex edit grid's content: cell texts, text columns, edits and the
// selection rules.

#include "viewer/model/HexEditSheet.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/debug_output.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// "MPEG audio frame!!!!" with a 0x3C in the first cell of row 2.
std::vector<std::uint8_t> TwentyBytes() {
    const std::string text = "MPEG a<dio frame!!!!";
    return {text.begin(), text.end()};
}

class HexEditSheetTest : public ::testing::Test {
protected:
    HexEditSheetTest() { sheet.Load(0x1A, TwentyBytes()); }

    std::string Row(int row) const {
        std::string texts;
        for (int column = 1; column <= 16; ++column) {
            const std::string text = sheet.CellText({column, row});
            texts += (text.empty() ? std::string("__") : text) + (column < 16 ? " " : "");
        }
        return texts;
    }

    THexEditSheet sheet;
};

TEST_F(HexEditSheetTest, ShowsTheBytesWithEmptyCellsAroundTheRange) {
    EXPECT_EQ(sheet.Grid().RowCount(), 3);
    EXPECT_EQ(Row(1), "__ __ __ __ __ __ __ __ __ __ 4D 50 45 47 20 61");
    EXPECT_EQ(Row(2), "3C 64 69 6F 20 66 72 61 6D 65 21 21 21 21 __ __");
    EXPECT_EQ(sheet.RowText(1), u"          MPEG a");
    EXPECT_EQ(sheet.RowText(2), u"<dio frame!!!!");
    EXPECT_EQ(sheet.CellText({0, 1}), "0x0000000000000010");
    EXPECT_EQ(sheet.CellText({0, 2}), "0x0000000000000020");
    EXPECT_EQ(sheet.CellText({1, 0}), "00");
    EXPECT_EQ(sheet.CellText({16, 0}), "0F");
    EXPECT_EQ(sheet.CellText({17, 1}), "");  // the text column is RowText
    EXPECT_THAT(sheet.Changes().ChangedCells(), IsEmpty());
}

TEST_F(HexEditSheetTest, TypingOneDigitMakesItTheHighNibble) {
    EXPECT_EQ(sheet.SetEditText({1, 2}, "7"), "70");
    EXPECT_EQ(sheet.CellText({1, 2}), "70");
    EXPECT_TRUE(sheet.IsChanged({1, 2}));
    EXPECT_THAT(sheet.Changes().ChangedCells(), ElementsAre(TChangedCell{1, 2, 0x70}));
    EXPECT_EQ(sheet.RowText(2), u"pdio frame!!!!");

    EXPECT_EQ(sheet.SetEditText({1, 2}, "75"), "75");
    EXPECT_THAT(sheet.Changes().ChangedCells(), ElementsAre(TChangedCell{1, 2, 0x75}));
    EXPECT_EQ(sheet.RowText(2), u"udio frame!!!!");
}

TEST_F(HexEditSheetTest, ChangingBackRemovesTheMark) {
    sheet.SetEditText({11, 1}, "00");
    EXPECT_TRUE(sheet.IsChanged({11, 1}));
    EXPECT_EQ(sheet.RowText(1), u"          .PEG a");
    sheet.SetEditText({11, 1}, "4d");
    EXPECT_EQ(sheet.CellText({11, 1}), "4D");
    EXPECT_FALSE(sheet.IsChanged({11, 1}));
    EXPECT_THAT(sheet.Changes().ChangedCells(), IsEmpty());
    EXPECT_EQ(sheet.RowText(1), u"          MPEG a");
}

TEST_F(HexEditSheetTest, InvalidTextBecomesZero) {
    sheet.SetEditText({12, 1}, "x");
    EXPECT_EQ(sheet.CellText({12, 1}), "00");
    sheet.SetEditText({13, 1}, "  ");
    EXPECT_EQ(sheet.CellText({13, 1}), "00");
    EXPECT_THAT(sheet.Changes().ChangedCells(), ElementsAre(TChangedCell{12, 1, 0x00}, TChangedCell{13, 1, 0x00}));
    EXPECT_EQ(sheet.RowText(1), u"          M..G a");
}

TEST_F(HexEditSheetTest, CellsWithoutAByteIgnoreEdits) {
    EXPECT_EQ(sheet.SetEditText({10, 1}, "41"), "");
    EXPECT_EQ(sheet.SetEditText({15, 2}, "41"), "");
    EXPECT_EQ(sheet.SetEditText({17, 2}, "41"), "");
    EXPECT_THAT(sheet.Changes().ChangedCells(), IsEmpty());
    EXPECT_EQ(sheet.RowText(1), u"          MPEG a");
}

TEST_F(HexEditSheetTest, OnlyByteCellsCanBeSelected) {
    EXPECT_FALSE(sheet.SelectCell({10, 1}));  // before the range
    EXPECT_FALSE(sheet.SelectCell({1, 1}));
    EXPECT_FALSE(sheet.SelectCell({0, 1}));   // label column
    EXPECT_FALSE(sheet.SelectCell({17, 1}));  // text column
    EXPECT_FALSE(sheet.SelectCell({15, 2}));  // after the range
    EXPECT_FALSE(sheet.SelectCell({3, 0}));   // header row
    EXPECT_EQ(sheet.SelectedCell(), std::nullopt);
    EXPECT_TRUE(sheet.SelectCell({11, 1}));
    EXPECT_EQ(sheet.SelectedCell(), (THexEditCell{11, 1}));
    EXPECT_TRUE(sheet.SelectCell({14, 2}));
    EXPECT_EQ(sheet.SelectedCell(), (THexEditCell{14, 2}));
    EXPECT_FALSE(sheet.SelectCell({16, 2}));
    EXPECT_EQ(sheet.SelectedCell(), (THexEditCell{14, 2}));
}

TEST_F(HexEditSheetTest, LeavingACellFillsItsSpacesWithZero) {
    ASSERT_TRUE(sheet.SelectCell({12, 1}));
    sheet.SetEditText({12, 1}, " C");  // the first digit deleted
    EXPECT_EQ(sheet.CellText({12, 1}), " C");
    EXPECT_THAT(sheet.Changes().ChangedCells(), ElementsAre(TChangedCell{12, 1, 0x0C}));

    std::optional<THexEditCell> left;
    EXPECT_TRUE(sheet.SelectCell({13, 1}, &left));
    EXPECT_EQ(sheet.CellText({12, 1}), "0C");
    EXPECT_EQ(left, (THexEditCell{12, 1}));
    EXPECT_THAT(sheet.Changes().ChangedCells(), ElementsAre(TChangedCell{12, 1, 0x0C}));

    left.reset();
    EXPECT_TRUE(sheet.SelectCell({14, 1}, &left));  // "45" needs nothing
    EXPECT_EQ(left, std::nullopt);
}

TEST_F(HexEditSheetTest, UpdateRowRefusesRowsOutsideTheGrid) {
    platform::DebugLineCapture capture;
    EXPECT_FALSE(sheet.UpdateRow(3));
    EXPECT_FALSE(sheet.UpdateRow(0));
    EXPECT_TRUE(sheet.UpdateRow(2));
    EXPECT_THAT(capture.Lines(), ElementsAre("dbg: Error in THexEditForm.UpdateRow call...",
                                             "dbg: Error in THexEditForm.UpdateRow call..."));
}

TEST(HexEditSheet, ClearReleasesTheRange) {
    THexEditSheet sheet;
    sheet.Load(0x40, {1, 2, 3});
    sheet.SetEditText({1, 1}, "FF");
    sheet.Clear();
    EXPECT_EQ(sheet.Grid().RowCount(), 1);
    EXPECT_THAT(sheet.Changes().ChangedCells(), IsEmpty());
    EXPECT_THAT(sheet.Changes().Buffer(), IsEmpty());
    EXPECT_EQ(sheet.CellText({1, 1}), "");
}

}  // namespace
