#pragma once
// Geometry and text of the hex view, without any widget: the line layout,
// how many lines fit a window, which characters of a line a highlighted byte
// range covers, and where the view goes after a key or a scroll-bar action.
// THexView only reads the file, paints what these functions give and
// forwards its events to them.
//
// Line layout (87 characters for a full line of 16 bytes):
//   columns  0..20  "0x" + the line's file offset as 16 upper-case hex digits + "   "
//   columns 21..70  the hex part: "XX " per byte, padded with spaces to 50
//   columns 71..86  the text part: one character per byte
//
// Text form: display lines are std::u16string. Every character the layout
// produces lies in ISO 8859-1, so one UTF-16 code unit is one character and
// a column is a plain index; the widget converts with
// QString::fromStdU16String. Byte texts that stay ASCII (ByteToHex, the
// string PadRight used by the frame detail tree) are std::string.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using HexOffset = std::int64_t;

inline constexpr int kHexBytesPerLine = 16;
inline constexpr int kHexLinePixels = 16;        // a line is taken to be 16 pixels high
inline constexpr int kHexMaxLines = 645;         // capacity of the line buffer
inline constexpr int kHexScrollMaximum = 100000; // the scroll bar runs from 0 to here
inline constexpr int kHexPrefixWidth = 21;       // "0x" + 16 digits + 3 spaces
inline constexpr int kHexPartWidth = 50;
inline constexpr int kHexTextColumn = kHexPrefixWidth + kHexPartWidth;
inline constexpr int kHexLineWidth = kHexTextColumn + kHexBytesPerLine;

// Two upper-case hexadecimal digits.
[[nodiscard]] std::string ByteToHex(std::uint8_t value);

// The text followed by spaces up to width characters; a text at least that
// long comes back unchanged.
[[nodiscard]] std::string PadRight(const std::string& text, int width);
[[nodiscard]] std::u16string PadRight(const std::u16string& text, int width);

// The text-part character of a byte: "." for 0x00-0x1F, 0x7F-0x9F and 0xAD,
// otherwise the ISO 8859-1 character with the byte's code.
[[nodiscard]] char16_t ByteToTextChar(std::uint8_t value);

// Appends the hex and text parts (columns 21..86 of the layout) of length
// bytes, 16 per line, to lines. False, with lines untouched, when length is
// not positive or data or lines is null; an allocation failure writes
// "dbg: Error in MemToStrLines2 call..." and returns false.
bool MemToStrLines2(const std::uint8_t* data, std::int64_t length, std::vector<std::u16string>* lines);

// "0x" + the offset as 16 upper-case hex digits + three spaces.
[[nodiscard]] std::u16string HexLinePrefix(HexOffset lineOffset);

// The complete display lines of length bytes read from file offset start
// (a multiple of 16): the prefix of each line followed by its
// MemToStrLines2 parts. Empty when nothing was read.
[[nodiscard]] std::vector<std::u16string> HexDisplayLines(HexOffset start, const std::uint8_t* data,
                                                          std::int64_t length);

// Lines drawn in a text control of this client height: height div 16 minus
// one, at least 1 and at most 645.
[[nodiscard]] int HexLinesPerWindow(int clientHeight);
// Lines one Page Up or Page Down moves: height div 16 (0 for a tiny window).
[[nodiscard]] int HexPageLines(int clientHeight);
// The offset rounded down to a multiple of 16.
[[nodiscard]] HexOffset HexLineStart(HexOffset offset);

// What a drawing request turns into: the offset to draw, or nothing when no
// file is open, the offset is not below the file size, the offset is the one
// drawn last, or (for a negative request) nothing has been drawn yet. A
// negative request means "redraw where the view stands".
[[nodiscard]] std::optional<HexOffset> HexRefreshTarget(bool fileOpen, HexOffset requested, HexOffset lastDrawn,
                                                        HexOffset fileSize);

// One line's share of a highlighted range, as column ranges of the line.
struct THexHighlight {
    int Line;       // index of the line among the lines drawn
    int HexColumn;  // first highlighted column of the hex part
    int HexCount;   // from the first digit of the first byte to the second digit of the last
    int TextColumn; // first highlighted column of the text part
    int TextCount;

    bool operator==(const THexHighlight&) const = default;
};

// The highlight of [selectionStart, selectionStart + selectionLength) over
// lines drawn from start (a multiple of 16) holding shownBytes bytes. Bytes outside the shown
// bytes are not highlighted; a length that is not positive gives nothing.
[[nodiscard]] std::vector<THexHighlight> HexHighlights(HexOffset start, std::int64_t shownBytes,
                                                       HexOffset selectionStart, std::int64_t selectionLength);

// The bytes that hold a field of bitWidth bits starting bitOffset bits after
// the first bit of the byte at origin (negative: before it): every byte the
// field touches, so a field that starts or ends mid-byte takes that byte
// whole. A width that is not positive holds no bytes (Length 0).
struct THexByteRange {
    HexOffset Start;
    std::int64_t Length;

    bool operator==(const THexByteRange&) const = default;
};
[[nodiscard]] THexByteRange HexFieldBytes(HexOffset origin, std::int64_t bitOffset, std::int64_t bitWidth);

// Scroll-bar position of an offset: floor(100000 * offset / fileSize),
// clamped to 0..100000; 0 for an empty file.
[[nodiscard]] int HexScrollPosition(HexOffset offset, HexOffset fileSize);
// Offset of a thumb position: floor(fileSize * position / 100000), at most
// fileSize - 1 and at least 0.
[[nodiscard]] HexOffset HexOffsetFromScroll(int position, HexOffset fileSize);

enum class THexMove { LineUp, LineDown, PageUp, PageDown, Home, End };

// The offset the view moves to from lastDrawn. Up moves stop at 0, down
// moves at fileSize - 1; End is fileSize - 1, Home 0.
[[nodiscard]] HexOffset HexMoveTarget(THexMove move, HexOffset lastDrawn, int pageLines, HexOffset fileSize);
