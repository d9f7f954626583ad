#pragma once
// Texts of the hex edit dialog and its command, and the rules that turn what
// the user types into a byte cell into the cell's text and value.
//
// A byte cell is edited as two characters, forced to upper case. The editor
// reports its text as it stands after every change, with a position the user
// has not filled (or has deleted) as a space.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "viewer/model/HexFormat.h"

inline constexpr char kHexEditCaption[] = "Hex Edit";
inline constexpr char kHexEditSaveButton[] = "Save Changes";
inline constexpr char kHexEditCancelButton[] = "Cancel";
inline constexpr char kHexEditLockedMessage[] = "File is locked for writing by another application.";
inline constexpr char kHexEditNoFileMessage[] = "There is no file loaded.";
inline constexpr char kHexEditNoFrameMessage[] = "There is no frame selected.";
inline constexpr char kHexEditNoChangesMessage[] = "No changes to be saved.";
inline constexpr char kHexEditSaveQuestion[] =
    "This action will permanently change the file content. Are you sure you want to save all changes?";
// Shown when a save stopped at a failed write: the bytes before it are in the
// file, the rest are not.
inline constexpr char kHexEditPartialSaveMessage[] =
    "Not all changes could be written to the file. The bytes before the failed write were changed.";
inline constexpr char kHexEditReloadQuestion[] = "Do you want to reload the file with the new changes?";

// " [MPA Frame @ 0x" + the offset as 16 upper-case hexadecimal digits + "]".
[[nodiscard]] std::string HexEditFrameCaption(HexOffset offset);

// A frame list's Length text as a byte count: decimal digits only, no sign,
// within 64 bits. False for anything else.
[[nodiscard]] bool HexEditTextToSize(const std::string& text, std::int64_t& size);

// What an edit leaves in a byte cell.
struct THexEditInput {
    std::string Text;  // two characters
    std::uint8_t Value;

    bool operator==(const THexEditInput&) const = default;
};

// The cell text and value for an editor text (only its first two characters
// count), after upper-casing it:
//   - empty, or nothing but spaces: "00";
//   - a first character that is neither a hexadecimal digit nor a space: "00";
//   - a second character that is missing, a space or not a hexadecimal digit:
//     the first character followed by "0", so one typed digit is the high
//     nibble ("7" in "3C" gives "70");
//   - otherwise the text as it stands; a space in front reads as 0 (" C" is
//     0x0C).
[[nodiscard]] THexEditInput NormaliseHexEditText(std::string_view editText);

// A cell's text once the cursor leaves it: every space becomes "0", except
// in a cell of two spaces, which stays as it is.
[[nodiscard]] std::string FillHexEditSpaces(std::string_view cellText);

// The value a byte cell's text shows (a space reading as 0); nullopt for an
// empty text, two spaces, or characters that are not hexadecimal digits.
[[nodiscard]] std::optional<std::uint8_t> HexEditCellValue(std::string_view cellText);

// The text column of a row: one space per empty cell in front, then each
// byte through the hex view's character table.
[[nodiscard]] std::u16string HexEditRowText(int leadingSpaces, const std::vector<std::uint8_t>& bytes);
