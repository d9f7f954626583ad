#pragma once
// Conversions between the UTF-16 strings of component interfaces and the
// UTF-8 strings used everywhere else. Malformed input becomes U+FFFD.

#include <string>
#include <string_view>

namespace platform {

// Reads up to the terminating zero; a null pointer gives an empty string.
[[nodiscard]] std::string Utf16ToUtf8(const char16_t* text);
[[nodiscard]] std::string Utf16ToUtf8(std::u16string_view text);
[[nodiscard]] std::u16string Utf8ToUtf16(std::string_view text);

}  // namespace platform
