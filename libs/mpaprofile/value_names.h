#pragma once
// The words the profile text uses for header values, both ways: "2.5" for
// the MPEG-2.5 version code, "joint-stereo" for channel mode 1, ...

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mpaprofile {

[[nodiscard]] std::optional<std::int32_t> version_from_word(std::string_view word);  // "1" -> 3
[[nodiscard]] std::optional<std::int32_t> layer_from_word(std::string_view word);    // "2", "II" -> 2
[[nodiscard]] std::optional<std::int32_t> rate_from_word(std::string_view word);     // "48000"
[[nodiscard]] std::optional<std::int32_t> bitrate_from_word(std::string_view word);  // "256" -> 256000, "free" -> 0
[[nodiscard]] std::optional<std::int32_t> mode_from_word(std::string_view word);     // "mono" -> 3
[[nodiscard]] std::optional<std::int32_t> emphasis_from_word(std::string_view word); // "50/15" -> 1

[[nodiscard]] std::string version_word(std::int32_t code);   // "MPEG-2.5"
[[nodiscard]] std::string layer_word(std::int32_t layer);    // "Layer II"
[[nodiscard]] std::string mode_word(std::int32_t mode);      // "joint-stereo"
[[nodiscard]] std::string emphasis_word(std::int32_t code);  // "50/15"
[[nodiscard]] std::string bitrate_word(std::int32_t bits);   // "256", "free format"

}  // namespace mpaprofile
