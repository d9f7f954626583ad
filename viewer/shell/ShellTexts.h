#pragma once
// Texts of the program shell that need no window: the main window's caption,
// the open dialog's filter, the questions of the opening sequence and the
// About window's version line.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr const char* kProductName = "Tamberly";

// Asked when neither the acceptance test nor an extraction worked.
inline constexpr const char* kOpenAnywayQuestion =
    "This is not a valid MPEG audio stream.\r\nDo you want to open it anyway?";
inline constexpr const char* kDroppedOpenAnywayQuestion =
    "This is not a valid MPEG Audio stream.\r\nDo you want to open it anyway?";

// The open dialog's filter as description|patterns pairs joined by "|".
inline constexpr const char* kOpenDialogFilter =
    "All Media Files (*.mpa; *.mp3; *.mpeg; *.mpg; *.ts; *.m2ts; *.mp4; *.mxf)|"
    "*.mpa; *.mp3; *.mpeg; *.mpg; *.ts; *.m2ts; *.mp4; *.mxf|"
    "MPEG Audio ES Files (*.mpa; *.mp3)|*.mpa; *.mp3|"
    "MPEG Audio Layer I/II ES Files (*.mpa)|*.mpa|"
    "MPEG Audio Layer III ES Files (*.mp3)|*.mp3|"
    "Media Containers (*.mpeg; *.mpg; *.ts; *.m2ts; *.mp4; *.mxf)|*.mpeg; *.mpg; *.ts; *.m2ts; *.mp4; *.mxf|"
    "All Files (*.*)|*.*";

// "Tamberly", and while a file is open "(" + its full name + ")" directly
// after it.
[[nodiscard]] std::string FormCaption(std::string_view openFileName);

struct TNameFilter {
    std::string Description;            // shown to the user as it stands
    std::vector<std::string> Patterns;  // "*.mpa", ...
};

// Splits a description|patterns filter; patterns are separated by ";" and
// spaces. A trailing description without patterns is dropped.
[[nodiscard]] std::vector<TNameFilter> ParseNameFilters(std::string_view filter);

// One filter in the dialog's own syntax: the description followed by the
// patterns, space separated, in parentheses. A dialog that hides the
// parenthesised details then shows the description unchanged.
[[nodiscard]] std::string DialogNameFilter(const TNameFilter& filter);

// The four numbers of a file version: major, minor, release, build.
struct TFileVersion {
    int Major = 0;
    int Minor = 0;
    int Release = 0;
    int Build = 0;
};

// "a.b.c.d"; missing trailing numbers count as 0. Nothing for text that is
// not one to four dot-separated numbers of 0..65535.
[[nodiscard]] std::optional<TFileVersion> ParseFileVersion(std::string_view text);

// "Version a.b.c (build d)", or "Version a.b (build d)" when the release
// number is 0.
[[nodiscard]] std::string AboutVersionLine(const TFileVersion& version);

// The line for the program's own version; empty if it cannot be read.
[[nodiscard]] std::string ProgramVersionLine();
