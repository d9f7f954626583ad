#include "viewer/model/HexFormat.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "platform/debug_output.h"

// gtest finds this next to THexHighlight (global namespace) for its messages.
void PrintTo(const THexHighlight& h, std::ostream* out) {
    *out << "{line " << h.Line << ", hex " << h.HexColumn << "+" << h.HexCount << ", text " << h.TextColumn
         << "+" << h.TextCount << "}";
}

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr HexOffset kGiBOffset = 1024LL * 1024 * 1024;

std::vector<std::uint8_t> Ascending(int count, int first = 0) {
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < count; ++i) bytes.push_back(static_cast<std::uint8_t>(first + i));
    return bytes;
}

// ---------------------------------------------------------------- byte and text helpers

TEST(ByteToHex, GivesTwoUpperCaseDigits) {
    EXPECT_EQ(ByteToHex(0x00), "00");
    EXPECT_EQ(ByteToHex(0x0F), "0F");
    EXPECT_EQ(ByteToHex(0xA5), "A5");
    EXPECT_EQ(ByteToHex(0xFF), "FF");
}

TEST(PadRight, PadsShortTextsAndKeepsLongOnes) {
    EXPECT_EQ(PadRight(std::string("ID"), 5), "ID   ");
    EXPECT_EQ(PadRight(std::string("original / home"), 20), "original / home     ");
    EXPECT_EQ(PadRight(std::string("exact"), 5), "exact");
    EXPECT_EQ(PadRight(std::string("sampling_frequency_long"), 20), "sampling_frequency_long");
    EXPECT_EQ(PadRight(std::string(), 3), "   ");
    EXPECT_EQ(PadRight(std::string("x"), 0), "x");
    EXPECT_EQ(PadRight(std::string("x"), -4), "x");
    EXPECT_EQ(PadRight(std::u16string(u"\u00E9t"), 4), u"\u00E9t  ");
    EXPECT_EQ(PadRight(std::u16string(u"longer"), 2), u"longer");
}

TEST(ByteToTextChar, HidesControlCodesC1RangeAndSoftHyphen) {
    for (int code : {0x00, 0x09, 0x0A, 0x1F, 0x7F, 0x80, 0x9F, 0xAD}) {
        EXPECT_EQ(ByteToTextChar(static_cast<std::uint8_t>(code)), u'.') << code;
    }
}

TEST(ByteToTextChar, ShowsPrintableBytesAsLatin1) {
    EXPECT_EQ(ByteToTextChar(0x20), u' ');
    EXPECT_EQ(ByteToTextChar('A'), u'A');
    EXPECT_EQ(ByteToTextChar(0x7E), u'~');
    EXPECT_EQ(ByteToTextChar(0xA0), u'\u00A0');
    EXPECT_EQ(ByteToTextChar(0xAC), u'\u00AC');
    EXPECT_EQ(ByteToTextChar(0xAE), u'\u00AE');
    EXPECT_EQ(ByteToTextChar(0xE9), u'\u00E9');
    EXPECT_EQ(ByteToTextChar(0xFF), u'\u00FF');
}

// ---------------------------------------------------------------- MemToStrLines2

TEST(MemToStrLines2, RefusesAbsentOrEmptyInput) {
    platform::DebugLineCapture capture;
    const std::vector<std::uint8_t> bytes = Ascending(4);
    std::vector<std::u16string> lines = {u"kept"};
    EXPECT_FALSE(MemToStrLines2(bytes.data(), 0, &lines));
    EXPECT_FALSE(MemToStrLines2(bytes.data(), -1, &lines));
    EXPECT_FALSE(MemToStrLines2(nullptr, 4, &lines));
    EXPECT_FALSE(MemToStrLines2(bytes.data(), 4, nullptr));
    EXPECT_THAT(lines, ElementsAre(u"kept"));
    EXPECT_THAT(capture.Lines(), IsEmpty());
}

TEST(MemToStrLines2, FormatsSixteenBytesPerLineAndAppends) {
    const std::vector<std::uint8_t> bytes = Ascending(18, 0x40);
    std::vector<std::u16string> lines = {u"before"};
    ASSERT_TRUE(MemToStrLines2(bytes.data(), static_cast<std::int64_t>(bytes.size()), &lines));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], u"before");
    EXPECT_EQ(lines[1], u"40 41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F   @ABCDEFGHIJKLMNO");
    EXPECT_EQ(lines[2], u"50 51                                             PQ");
}

TEST(MemToStrLines2, ShowsHiddenAndLatin1Bytes) {
    const std::vector<std::uint8_t> bytes = {0x00, 0x1F, 0x20, 0x7F, 0x9F, 0xA0, 0xAD, 0xC4, 0xFF};
    std::vector<std::u16string> lines;
    ASSERT_TRUE(MemToStrLines2(bytes.data(), static_cast<std::int64_t>(bytes.size()), &lines));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], std::u16string(u"00 1F 20 7F 9F A0 AD C4 FF                        ") +
                            u".. ..\u00A0.\u00C4\u00FF");
}

// ---------------------------------------------------------------- display lines

TEST(HexDisplayLines, FullLineIsEightySevenCharacters) {
    const std::vector<std::uint8_t> bytes = Ascending(16, 0x61);
    const auto lines = HexDisplayLines(0x1230, bytes.data(), 16);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], u"0x0000000000001230   61 62 63 64 65 66 67 68 69 6A 6B 6C 6D 6E 6F 70   abcdefghijklmnop");
    EXPECT_EQ(lines[0].size(), 87u);
    EXPECT_EQ(kHexLineWidth, 87);
}

TEST(HexDisplayLines, TenByteFileKeepsTheTextColumn) {
    const std::vector<std::uint8_t> bytes = Ascending(10, 0x30);
    const auto lines = HexDisplayLines(0, bytes.data(), 10);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], u"0x0000000000000000   30 31 32 33 34 35 36 37 38 39                     0123456789");
    EXPECT_EQ(lines[0].find(u"0123456789"), 71u);
}

TEST(HexDisplayLines, EachLineCarriesItsOwnOffsetBeyondFourGiB) {
    const std::vector<std::uint8_t> bytes = Ascending(40);
    const HexOffset start = 5 * kGiBOffset + 0x120;
    const auto lines = HexDisplayLines(start, bytes.data(), 40);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].substr(0, 21), u"0x0000000140000120   ");
    EXPECT_EQ(lines[1].substr(0, 21), u"0x0000000140000130   ");
    EXPECT_EQ(lines[2].substr(0, 21), u"0x0000000140000140   ");
    EXPECT_EQ(lines[2].size(), 71u + 8u);
}

TEST(HexDisplayLines, NothingReadGivesNoLines) {
    const std::vector<std::uint8_t> bytes = Ascending(16);
    EXPECT_THAT(HexDisplayLines(0, bytes.data(), 0), IsEmpty());
}

TEST(HexLinePrefix, IsSixteenDigitsAndThreeSpaces) {
    EXPECT_EQ(HexLinePrefix(0), u"0x0000000000000000   ");
    EXPECT_EQ(HexLinePrefix(0x2BCDEF0123456780LL), u"0x2BCDEF0123456780   ");
}

// ---------------------------------------------------------------- window geometry

TEST(HexLinesPerWindow, IsHeightInLinesMinusOneWithinLimits) {
    EXPECT_EQ(HexLinesPerWindow(0), 1);
    EXPECT_EQ(HexLinesPerWindow(10), 1);
    EXPECT_EQ(HexLinesPerWindow(31), 1);
    EXPECT_EQ(HexLinesPerWindow(47), 1);
    EXPECT_EQ(HexLinesPerWindow(48), 2);
    EXPECT_EQ(HexLinesPerWindow(96), 5);
    EXPECT_EQ(HexLinesPerWindow(210), 12);
    EXPECT_EQ(HexLinesPerWindow(646 * 16 - 1), 644);
    EXPECT_EQ(HexLinesPerWindow(646 * 16), 645);
    EXPECT_EQ(HexLinesPerWindow(100000), 645);
    EXPECT_EQ(HexLinesPerWindow(-50), 1);
}

TEST(HexPageLines, IsHeightInWholeLines) {
    EXPECT_EQ(HexPageLines(96), 6);
    EXPECT_EQ(HexPageLines(100), 6);
    EXPECT_EQ(HexPageLines(15), 0);
    EXPECT_EQ(HexPageLines(-3), 0);
}

TEST(HexLineStart, RoundsDownToSixteen) {
    EXPECT_EQ(HexLineStart(0x1234), 0x1230);
    EXPECT_EQ(HexLineStart(0x1230), 0x1230);
    EXPECT_EQ(HexLineStart(0x123F), 0x1230);
    EXPECT_EQ(HexLineStart(0), 0);
    EXPECT_EQ(HexLineStart(15), 0);
    EXPECT_EQ(HexLineStart(5 * kGiBOffset + 0x1F), 5 * kGiBOffset + 0x10);
}

// ---------------------------------------------------------------- drawing decisions

TEST(HexRefreshTarget, SkipsWhatNeedsNoDrawing) {
    EXPECT_EQ(HexRefreshTarget(false, 0, -1, 100), std::nullopt);
    EXPECT_EQ(HexRefreshTarget(true, 100, 0, 100), std::nullopt);
    EXPECT_EQ(HexRefreshTarget(true, 250, 0, 100), std::nullopt);
    EXPECT_EQ(HexRefreshTarget(true, 32, 32, 100), std::nullopt);
    EXPECT_EQ(HexRefreshTarget(true, 0, 0, 0), std::nullopt);
}

TEST(HexRefreshTarget, NegativeRedrawsWhereTheViewStands) {
    EXPECT_EQ(HexRefreshTarget(true, -1, 48, 100), 48);
    EXPECT_EQ(HexRefreshTarget(true, -7, 48, 100), 48);
    // Nothing drawn yet: there is no position to redraw.
    EXPECT_EQ(HexRefreshTarget(true, -1, -1, 100), std::nullopt);
    EXPECT_EQ(HexRefreshTarget(true, -5, -1, 100), std::nullopt);
}

TEST(HexRefreshTarget, DrawsAnyNewOffsetInsideTheFile) {
    EXPECT_EQ(HexRefreshTarget(true, 0, -1, 100), 0);
    EXPECT_EQ(HexRefreshTarget(true, 99, 0, 100), 99);
    EXPECT_EQ(HexRefreshTarget(true, 6 * kGiBOffset, 0, 7 * kGiBOffset), 6 * kGiBOffset);
}

// ---------------------------------------------------------------- highlight

TEST(HexHighlights, SelectionOf418BytesAcrossLines) {
    // Lines drawn from 0x1000; the selection covers 0x1008..0x11A9.
    const auto all = HexHighlights(0x1000, 30 * 16, 0x1008, 418);
    ASSERT_EQ(all.size(), 27u);
    EXPECT_EQ(all.front(), (THexHighlight{0, 45, 23, 79, 8}));
    for (std::size_t i = 1; i + 1 < all.size(); ++i) {
        EXPECT_EQ(all[i], (THexHighlight{static_cast<int>(i), 21, 47, 71, 16})) << i;
    }
    EXPECT_EQ(all.back(), (THexHighlight{26, 21, 29, 71, 10}));
}

TEST(HexHighlights, LinesBelowTheDrawnOnesAreLeftOut) {
    EXPECT_THAT(HexHighlights(0x1000, 3 * 16, 0x1008, 418),
                ElementsAre(THexHighlight{0, 45, 23, 79, 8}, THexHighlight{1, 21, 47, 71, 16},
                            THexHighlight{2, 21, 47, 71, 16}));
    // Drawn from the selection's second-to-last line: full, then the tail.
    EXPECT_THAT(HexHighlights(0x1190, 5 * 16, 0x1008, 418),
                ElementsAre(THexHighlight{0, 21, 47, 71, 16}, THexHighlight{1, 21, 29, 71, 10}));
}

TEST(HexHighlights, SingleBytesAndLineEdges) {
    EXPECT_THAT(HexHighlights(0, 64, 0, 1), ElementsAre(THexHighlight{0, 21, 2, 71, 1}));
    EXPECT_THAT(HexHighlights(0, 64, 31, 1), ElementsAre(THexHighlight{1, 66, 2, 86, 1}));
    EXPECT_THAT(HexHighlights(0, 64, 15, 2),
                ElementsAre(THexHighlight{0, 66, 2, 86, 1}, THexHighlight{1, 21, 2, 71, 1}));
}

TEST(HexHighlights, SelectionStartingAboveTheViewFillsItsFirstLines) {
    EXPECT_THAT(HexHighlights(0x100, 48, 0x10, 0x102),
                ElementsAre(THexHighlight{0, 21, 47, 71, 16}, THexHighlight{1, 21, 5, 71, 2}));
}

TEST(HexHighlights, OnlyShownBytesAreHighlighted) {
    // A 10-byte file with a range reaching past its end.
    EXPECT_THAT(HexHighlights(0, 10, 4, 100), ElementsAre(THexHighlight{0, 33, 17, 75, 6}));
}

TEST(HexHighlights, NothingWithoutAnOverlappingPositiveRange) {
    EXPECT_THAT(HexHighlights(0, 64, 8, 0), IsEmpty());
    EXPECT_THAT(HexHighlights(0, 64, 8, -5), IsEmpty());
    EXPECT_THAT(HexHighlights(0, 64, 64, 10), IsEmpty());
    EXPECT_THAT(HexHighlights(0x100, 64, 0, 0x100), IsEmpty());
    EXPECT_THAT(HexHighlights(0, 0, 0, 10), IsEmpty());
}

TEST(HexHighlights, HugeLengthsDoNotOverflow) {
    EXPECT_THAT(HexHighlights(5 * kGiBOffset, 20, 5 * kGiBOffset + 18, INT64_MAX),
                ElementsAre(THexHighlight{1, 27, 5, 73, 2}));
}

// ---------------------------------------------------------------- scroll bar

TEST(HexScrollPosition, ScalesTheOffsetToTheBar) {
    EXPECT_EQ(HexScrollPosition(0, 1000), 0);
    EXPECT_EQ(HexScrollPosition(500, 1000), 50000);
    EXPECT_EQ(HexScrollPosition(1, 3), 33333);
    EXPECT_EQ(HexScrollPosition(2, 3), 66666);
    EXPECT_EQ(HexScrollPosition(999, 1000), 99900);
    EXPECT_EQ(HexScrollPosition(0x1234, 0x2000), 56884);
}

TEST(HexScrollPosition, HandlesLargeAndDegenerateSizes) {
    EXPECT_EQ(HexScrollPosition(5 * kGiBOffset, 10 * kGiBOffset), 50000);
    EXPECT_EQ(HexScrollPosition((1LL << 62) - 1, 1LL << 62), 99999);
    EXPECT_EQ(HexScrollPosition(1LL << 61, 1LL << 62), 50000);
    EXPECT_EQ(HexScrollPosition(0, 0), 0);
    EXPECT_EQ(HexScrollPosition(5, 0), 0);
    EXPECT_EQ(HexScrollPosition(-1, 100), 0);
    EXPECT_EQ(HexScrollPosition(100, 100), 100000);
}

TEST(HexOffsetFromScroll, MapsThePositionBackIntoTheFile) {
    EXPECT_EQ(HexOffsetFromScroll(0, 1000), 0);
    EXPECT_EQ(HexOffsetFromScroll(50000, 1000), 500);
    EXPECT_EQ(HexOffsetFromScroll(99999, 10), 9);
    EXPECT_EQ(HexOffsetFromScroll(33333, 7), 2);
    EXPECT_EQ(HexOffsetFromScroll(100000, 1000), 999);
    EXPECT_EQ(HexOffsetFromScroll(100000, 1), 0);
    EXPECT_EQ(HexOffsetFromScroll(250000, 1000), 999);
    EXPECT_EQ(HexOffsetFromScroll(-3, 1000), 0);
    EXPECT_EQ(HexOffsetFromScroll(500, 0), 0);
    EXPECT_EQ(HexOffsetFromScroll(50000, 1LL << 62), 1LL << 61);
    EXPECT_EQ(HexOffsetFromScroll(12345, 10 * kGiBOffset), 1325534281LL);
}

// ---------------------------------------------------------------- moves

TEST(HexMoveTarget, LinesAndPagesStopAtTheFileEdges) {
    const HexOffset size = 0x2000;
    EXPECT_EQ(HexMoveTarget(THexMove::LineUp, 0x1234, 6, size), 0x1224);
    EXPECT_EQ(HexMoveTarget(THexMove::LineUp, 8, 6, size), 0);
    EXPECT_EQ(HexMoveTarget(THexMove::LineDown, 0x1234, 6, size), 0x1244);
    EXPECT_EQ(HexMoveTarget(THexMove::LineDown, 0x1FF8, 6, size), 0x1FFF);
    EXPECT_EQ(HexMoveTarget(THexMove::PageUp, 0x1234, 6, size), 0x11D4);
    EXPECT_EQ(HexMoveTarget(THexMove::PageUp, 0x50, 6, size), 0);
    EXPECT_EQ(HexMoveTarget(THexMove::PageDown, 0x1234, 6, size), 0x1294);
    EXPECT_EQ(HexMoveTarget(THexMove::PageDown, 0x1FA0, 6, size), 0x1FFF);
    EXPECT_EQ(HexMoveTarget(THexMove::PageDown, 0x40, 0, size), 0x40);
}

TEST(HexMoveTarget, HomeAndEnd) {
    EXPECT_EQ(HexMoveTarget(THexMove::Home, 0x1234, 6, 0x2000), 0);
    EXPECT_EQ(HexMoveTarget(THexMove::End, 0x1234, 6, 0x2000), 0x1FFF);
    EXPECT_EQ(HexMoveTarget(THexMove::End, 0, 6, 5 * kGiBOffset + 7), 5 * kGiBOffset + 6);
}

}  // namespace
