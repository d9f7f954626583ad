#include "viewer/validation/ReportFrameOffset.h"

#include <cctype>
#include <charconv>

std::optional<std::int64_t> ReportMessageFrameOffset(std::string_view message) {
    constexpr std::string_view kMarker = "offset 0x";
    for (auto at = message.find(kMarker); at != std::string_view::npos; at = message.find(kMarker, at + 1)) {
        const std::string_view digits = message.substr(at + kMarker.size());
        std::int64_t offset = 0;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), offset, 16);
        const bool wordEnds = end == digits.data() + digits.size() || !std::isalnum(static_cast<unsigned char>(*end));
        if (error == std::errc() && end != digits.data() && wordEnds && offset >= 0) return offset;
    }
    return std::nullopt;
}
