#include "viewer/model/HexEditText.h"

#include <charconv>

#include "viewer/model/FrameNavigator.h"

namespace {

char UpperCase(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// 0-15 for an upper-case hexadecimal digit, -1 otherwise.
int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsBlank(std::string_view text) { return text.find_first_not_of(' ') == std::string_view::npos; }

}  // namespace

std::string HexEditFrameCaption(HexOffset offset) {
    return " [MPA Frame @ " + TFrameNavigator::OffsetToText(offset) + "]";
}

bool HexEditTextToSize(const std::string& text, std::int64_t& size) {
    // from_chars would take a minus sign; a count has none.
    if (text.empty() || text.front() < '0' || text.front() > '9') return false;
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end) return false;
    size = value;
    return true;
}

THexEditInput NormaliseHexEditText(std::string_view editText) {
    std::string text;
    for (char c : editText.substr(0, 2)) text += UpperCase(c);
    if (IsBlank(text)) return {"00", 0};
    const char first = text[0];
    const int high = first == ' ' ? 0 : DigitValue(first);
    if (high < 0) return {"00", 0};
    const int low = text.size() > 1 ? DigitValue(text[1]) : -1;
    if (low < 0) return {std::string{first, '0'}, static_cast<std::uint8_t>(high << 4)};
    return {text, static_cast<std::uint8_t>(high << 4 | low)};
}

std::string FillHexEditSpaces(std::string_view cellText) {
    std::string text(cellText);
    if (text == "  ") return text;
    for (char& c : text)
        if (c == ' ') c = '0';
    return text;
}

std::optional<std::uint8_t> HexEditCellValue(std::string_view cellText) {
    if (IsBlank(cellText) || cellText.size() > 2) return std::nullopt;
    int value = 0;
    for (char c : cellText) {
        const int digit = c == ' ' ? 0 : DigitValue(UpperCase(c));
        if (digit < 0) return std::nullopt;
        value = value << 4 | digit;
    }
    return static_cast<std::uint8_t>(value);
}

std::u16string HexEditRowText(int leadingSpaces, const std::vector<std::uint8_t>& bytes) {
    std::u16string text(static_cast<std::size_t>(leadingSpaces > 0 ? leadingSpaces : 0), u' ');
    for (std::uint8_t byte : bytes) text += ByteToTextChar(byte);
    return text;
}
