#pragma once
// The viewer's answers to "--help" and "--version" given as its only
// argument: printed before any window exists, so that they work without a
// display (the manual page is made from them).

#include <optional>
#include <string>
#include <string_view>

// The text to print for an information request, or nothing when the argument
// is a file to open.
[[nodiscard]] std::optional<std::string> ViewerInformationAnswer(std::string_view argument);
