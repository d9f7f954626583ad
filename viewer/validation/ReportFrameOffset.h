#pragma once
// The frame a validation item talks about: the first "offset 0x…" in its
// message ("Frame 12 at offset 0x1A2B: …", "… (from offset 0x400)").

#include <cstdint>
#include <optional>
#include <string_view>

[[nodiscard]] std::optional<std::int64_t> ReportMessageFrameOffset(std::string_view message);
