#pragma once
// The validation module catalogue (module types, display names, file names),
// the report type names and the stream identifier text shared by the window,
// the report exporters and the command line.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "abi/QuillonControlInterface.h"  // report type codes and module types

namespace validation {

// Display name of a module type: "Unknown" without an entry, "Quillon" for 0.
[[nodiscard]] std::string ModuleDisplayName(std::uint32_t moduleType);
// File name of a module type: "Unknown" without an entry, empty for 0.
[[nodiscard]] std::string ModuleFileName(std::uint32_t moduleType);
// Reverse lookup, case-insensitive after trimming blanks, bits from 0x1
// upward; 0 for no match and for "Quillon".
[[nodiscard]] std::uint32_t ModuleTypeByName(std::string_view displayName);
// "None", "Info", "Warning", "Error" or "Unknown".
[[nodiscard]] std::string ReportTypeName(std::int32_t reportType);
// Empty for a negative identifier, else its decimal digits.
[[nodiscard]] std::string StreamIdText(std::int32_t streamId);

// The order in which a window tries to load module types.
inline constexpr std::array<std::uint32_t, 18> kModuleLoadOrder = {
    0x1,    0x2,    0x8,    0x10,    0x20,    0x4,     0x100,   0x200,   0x400000,
    0x400,  0x800,  0x1000, 0x2000,  0x4000,  0x10000, 0x80000, 0x40000, 0x40000000};

}  // namespace validation
