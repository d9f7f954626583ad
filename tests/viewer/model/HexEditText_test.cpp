// What typing into a byte cell leaves there, the text column and the
// command's texts.

#include "viewer/model/HexEditText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

struct EditCase {
    std::string typed;
    std::string text;
    int value;
};

TEST(NormaliseHexEditText, FollowsTheEditRules) {
    const std::vector<EditCase> cases{
        {"3C", "3C", 0x3C},  // two digits stand
        {"3c", "3C", 0x3C},  // upper case
        {"7", "70", 0x70},   // a single digit is the high nibble
        {"7 ", "70", 0x70},  // the second position not typed yet
        {"a", "A0", 0xA0},
        {" 7", " 7", 0x07},  // a space in front reads as 0 and stays until the cursor leaves
        {"", "00", 0x00},    // empty
        {"  ", "00", 0x00},  // two spaces
        {" ", "00", 0x00},
        {"G5", "00", 0x00},  // an invalid first character
        {"Z", "00", 0x00},
        {"5G", "50", 0x50},  // an invalid second character
        {"FF", "FF", 0xFF},
        {"abc", "AB", 0xAB},  // only two characters count
    };
    for (const EditCase& c : cases) {
        const THexEditInput input = NormaliseHexEditText(c.typed);
        EXPECT_EQ(input.Text, c.text) << "typed \"" << c.typed << "\"";
        EXPECT_EQ(input.Value, c.value) << "typed \"" << c.typed << "\"";
    }
}

TEST(FillHexEditSpaces, TurnsSpacesIntoZerosExceptInTwoSpaces) {
    EXPECT_EQ(FillHexEditSpaces(" C"), "0C");
    EXPECT_EQ(FillHexEditSpaces("C "), "C0");
    EXPECT_EQ(FillHexEditSpaces("3C"), "3C");
    EXPECT_EQ(FillHexEditSpaces("  "), "  ");
}

TEST(HexEditCellValue, ReadsHexDigitsWithSpacesAsZero) {
    EXPECT_EQ(HexEditCellValue("3C"), std::uint8_t{0x3C});
    EXPECT_EQ(HexEditCellValue("ff"), std::uint8_t{0xFF});
    EXPECT_EQ(HexEditCellValue(" C"), std::uint8_t{0x0C});
    EXPECT_EQ(HexEditCellValue("00"), std::uint8_t{0x00});
    EXPECT_EQ(HexEditCellValue(""), std::nullopt);
    EXPECT_EQ(HexEditCellValue("  "), std::nullopt);
    EXPECT_EQ(HexEditCellValue("G1"), std::nullopt);
    EXPECT_EQ(HexEditCellValue("123"), std::nullopt);
}

TEST(HexEditRowText, LeadingSpacesThenTheHexViewCharacterTable) {
    const std::vector<std::uint8_t> bytes{0x41, 0x00, 0x1F, 0x20, 0x7E, 0x7F, 0x9F, 0xA0, 0xAD, 0xE9, 0xFF};
    EXPECT_EQ(HexEditRowText(0, bytes), u"A.. ~..\u00A0.\u00E9\u00FF");
    EXPECT_EQ(HexEditRowText(10, {0x4D, 0x50}), u"          MP");
    EXPECT_EQ(HexEditRowText(3, {}), u"   ");
}

TEST(HexEditFrameCaption, NamesTheFrameOffsetInSixteenDigits) {
    EXPECT_EQ(HexEditFrameCaption(0x1A0), " [MPA Frame @ 0x00000000000001A0]");
    EXPECT_EQ(HexEditFrameCaption((std::int64_t{5} << 30) + 0xABC), " [MPA Frame @ 0x0000000140000ABC]");
}

TEST(HexEditTextToSize, AcceptsOnlyPlainDecimalCounts) {
    std::int64_t size = -7;
    EXPECT_TRUE(HexEditTextToSize("417", size));
    EXPECT_EQ(size, 417);
    EXPECT_TRUE(HexEditTextToSize("0", size));
    EXPECT_EQ(size, 0);
    size = -7;
    for (const char* text : {"", "-1", "+5", "12a", " 12", "0x10", "99999999999999999999"}) {
        EXPECT_FALSE(HexEditTextToSize(text, size)) << text;
        EXPECT_EQ(size, -7) << text;
    }
}

}  // namespace
