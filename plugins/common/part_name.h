#pragma once
// Names of the numbered part files of the file sink: out.mpa is followed by
// out001.mpa, out002.mpa, ...

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sinks {

struct PartName {
    std::string base;       // the name up to its extension
    std::string extension;  // from the last "." of the file's own name on; empty without one
};

// Splits a file name. Only a "." after the last path separator starts an
// extension, so a dotted folder name stays in the base.
[[nodiscard]] PartName SplitPartName(std::string_view file_name);

// base + (counter + 1) + extension, the number with at least three digits.
// Empty for a negative counter or one that cannot grow.
[[nodiscard]] std::optional<std::string> NumberedPartName(const PartName& name, std::int32_t counter);

}  // namespace sinks
