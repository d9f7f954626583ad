#pragma once
// Reads a profile from its text (README.md describes the format). Profile
// files come from users, so anything malformed is refused with the line and
// column of the first fault and nothing of the profile is kept.

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>

#include "libs/mpaprofile/profile.h"

namespace mpaprofile {

struct parse_error {
    int line = 0;    // 1-based
    int column = 0;  // 1-based, in bytes
    std::string message;
};

// "12:5: unknown rule [bitrate]": the error as a compiler writes it, to put
// after a file name and a colon.
[[nodiscard]] std::string format_error(const parse_error& error);

// Larger texts are refused before they are read.
inline constexpr std::size_t kMaxProfileBytes = 256 * 1024;

[[nodiscard]] std::variant<profile, parse_error> parse_profile(std::string_view text);

}  // namespace mpaprofile
