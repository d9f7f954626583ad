#pragma once
// Whether a name refers to an existing regular file (not a folder); false for
// an empty name and when the file system cannot tell.

#include <string>

namespace platform {

[[nodiscard]] bool IsExistingFile(const std::string& name);

}  // namespace platform
