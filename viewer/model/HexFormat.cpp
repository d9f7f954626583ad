#include "viewer/model/HexFormat.h"

#include <algorithm>
#include <limits>
#include <new>

#include "platform/debug_output.h"

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// The byte codes the text part shows as ".": control codes, DEL, the C1
// range and the soft hyphen, which would render as nothing.
bool IsHiddenByte(std::uint8_t value) {
    return value < 0x20 || (value >= 0x7F && value <= 0x9F) || value == 0xAD;
}

std::u16string FormatLineParts(const std::uint8_t* bytes, int count) {
    std::u16string hexPart;
    std::u16string textPart;
    hexPart.reserve(kHexPartWidth);
    textPart.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        hexPart += static_cast<char16_t>(kHexDigits[bytes[i] >> 4]);
        hexPart += static_cast<char16_t>(kHexDigits[bytes[i] & 15]);
        hexPart += u' ';
        textPart += ByteToTextChar(bytes[i]);
    }
    return PadRight(hexPart, kHexPartWidth) + textPart;
}

// floor(numerator * 100000 / denominator) for 0 <= numerator < denominator,
// exact for every 64-bit file size: the multiplier is applied bit by bit and
// the remainder, always below the denominator, never needs more than 64 bits.
int ScaledFraction(std::int64_t numerator, std::int64_t denominator) {
    const auto n = static_cast<std::uint64_t>(numerator);
    const auto d = static_cast<std::uint64_t>(denominator);
    std::uint64_t quotient = 0;
    std::uint64_t remainder = 0;  // numerator * (bits seen) == quotient * d + remainder
    for (int bit = 16; bit >= 0; --bit) {
        quotient *= 2;
        remainder *= 2;
        if (remainder >= d) {
            remainder -= d;
            ++quotient;
        }
        if ((kHexScrollMaximum >> bit) & 1) {
            remainder += n;
            if (remainder >= d) {
                remainder -= d;
                ++quotient;
            }
        }
    }
    return static_cast<int>(quotient);
}

// End of [start, start + length), saturated instead of overflowing.
HexOffset RangeEnd(HexOffset start, std::int64_t length) {
    if (start > 0 && length > std::numeric_limits<HexOffset>::max() - start) {
        return std::numeric_limits<HexOffset>::max();
    }
    return start + length;
}

}  // namespace

std::string ByteToHex(std::uint8_t value) {
    return {kHexDigits[value >> 4], kHexDigits[value & 15]};
}

std::string PadRight(const std::string& text, int width) {
    if (static_cast<int>(text.size()) >= width) return text;
    return text + std::string(static_cast<std::size_t>(width) - text.size(), ' ');
}

std::u16string PadRight(const std::u16string& text, int width) {
    if (static_cast<int>(text.size()) >= width) return text;
    return text + std::u16string(static_cast<std::size_t>(width) - text.size(), u' ');
}

char16_t ByteToTextChar(std::uint8_t value) {
    return IsHiddenByte(value) ? u'.' : static_cast<char16_t>(value);
}

bool MemToStrLines2(const std::uint8_t* data, std::int64_t length, std::vector<std::u16string>* lines) {
    if (length <= 0 || data == nullptr || lines == nullptr) return false;
    try {
        std::vector<std::u16string> produced;
        produced.reserve(static_cast<std::size_t>((length + kHexBytesPerLine - 1) / kHexBytesPerLine));
        for (std::int64_t at = 0; at < length; at += kHexBytesPerLine) {
            const auto count = static_cast<int>(std::min<std::int64_t>(kHexBytesPerLine, length - at));
            produced.push_back(FormatLineParts(data + at, count));
        }
        lines->insert(lines->end(), produced.begin(), produced.end());
        return true;
    } catch (...) {
        platform::OutputDebugLine("dbg: Error in MemToStrLines2 call...");
        return false;
    }
}

std::u16string HexLinePrefix(HexOffset lineOffset) {
    std::u16string prefix = u"0x";
    const auto value = static_cast<std::uint64_t>(lineOffset);
    for (int shift = 60; shift >= 0; shift -= 4) {
        prefix += static_cast<char16_t>(kHexDigits[(value >> shift) & 15]);
    }
    return prefix + u"   ";
}

std::vector<std::u16string> HexDisplayLines(HexOffset start, const std::uint8_t* data, std::int64_t length) {
    std::vector<std::u16string> lines;
    if (!MemToStrLines2(data, length, &lines)) return {};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto lineOffset = start + static_cast<HexOffset>(i) * kHexBytesPerLine;
        lines[i] = HexLinePrefix(lineOffset) + lines[i];
    }
    return lines;
}

int HexLinesPerWindow(int clientHeight) {
    return std::clamp(clientHeight / kHexLinePixels - 1, 1, kHexMaxLines);
}

int HexPageLines(int clientHeight) { return std::max(clientHeight / kHexLinePixels, 0); }

HexOffset HexLineStart(HexOffset offset) {
    // Rounds towards minus infinity, also for the negative offsets that never
    // reach a drawing.
    const HexOffset remainder = offset % kHexBytesPerLine;
    return remainder < 0 ? offset - remainder - kHexBytesPerLine : offset - remainder;
}

std::optional<HexOffset> HexRefreshTarget(bool fileOpen, HexOffset requested, HexOffset lastDrawn,
                                          HexOffset fileSize) {
    if (!fileOpen || requested >= fileSize || requested == lastDrawn) return std::nullopt;
    const HexOffset target = requested < 0 ? lastDrawn : requested;
    if (target < 0) return std::nullopt;
    return target;
}

std::vector<THexHighlight> HexHighlights(HexOffset start, std::int64_t shownBytes, HexOffset selectionStart,
                                         std::int64_t selectionLength) {
    std::vector<THexHighlight> highlights;
    if (selectionLength <= 0 || shownBytes <= 0) return highlights;
    const HexOffset selectionEnd = RangeEnd(selectionStart, selectionLength);
    const HexOffset shownEnd = RangeEnd(start, shownBytes);
    const HexOffset from = std::max(selectionStart, start);
    const HexOffset to = std::min(selectionEnd, shownEnd);  // exclusive
    const HexOffset firstLine = start + (from - start) / kHexBytesPerLine * kHexBytesPerLine;
    for (HexOffset lineOffset = firstLine; lineOffset < to; lineOffset += kHexBytesPerLine) {
        const auto first = static_cast<int>(std::max(from, lineOffset) - lineOffset);
        const auto last = static_cast<int>(std::min(to, lineOffset + kHexBytesPerLine) - 1 - lineOffset);
        THexHighlight highlight{};
        highlight.Line = static_cast<int>((lineOffset - start) / kHexBytesPerLine);
        highlight.HexColumn = kHexPrefixWidth + 3 * first;
        highlight.HexCount = 3 * (last - first) + 2;
        highlight.TextColumn = kHexTextColumn + first;
        highlight.TextCount = last - first + 1;
        highlights.push_back(highlight);
    }
    return highlights;
}

int HexScrollPosition(HexOffset offset, HexOffset fileSize) {
    if (fileSize <= 0 || offset <= 0) return 0;
    if (offset >= fileSize) return kHexScrollMaximum;
    return ScaledFraction(offset, fileSize);
}

HexOffset HexOffsetFromScroll(int position, HexOffset fileSize) {
    if (fileSize <= 0) return 0;
    const HexOffset clamped = std::clamp(position, 0, kHexScrollMaximum);
    const HexOffset offset =
        (fileSize / kHexScrollMaximum) * clamped + (fileSize % kHexScrollMaximum) * clamped / kHexScrollMaximum;
    return std::min(offset, fileSize - 1);
}

HexOffset HexMoveTarget(THexMove move, HexOffset lastDrawn, int pageLines, HexOffset fileSize) {
    const HexOffset page = static_cast<HexOffset>(std::max(pageLines, 0)) * kHexBytesPerLine;
    switch (move) {
        case THexMove::LineUp: return std::max<HexOffset>(lastDrawn - kHexBytesPerLine, 0);
        case THexMove::LineDown: return std::min(lastDrawn + kHexBytesPerLine, fileSize - 1);
        case THexMove::PageUp: return std::max<HexOffset>(lastDrawn - page, 0);
        case THexMove::PageDown: return std::min(lastDrawn + page, fileSize - 1);
        case THexMove::Home: return 0;
        case THexMove::End: return fileSize - 1;
    }
    return lastDrawn;
}

THexByteRange HexFieldBytes(HexOffset origin, std::int64_t bitOffset, std::int64_t bitWidth) {
    if (bitWidth <= 0) return {origin, 0};
    // Rounds towards minus infinity, also for bits before the origin.
    const auto floorDiv8 = [](std::int64_t bits) { return bits >= 0 ? bits / 8 : -((-bits + 7) / 8); };
    const std::int64_t first = floorDiv8(bitOffset);
    const std::int64_t last = floorDiv8(bitOffset + bitWidth - 1);
    return {origin + first, last - first + 1};
}
