#pragma once
// A profile by the name a user gives: a built-in profile's name, or else the
// path of a profile file.

#include <string>
#include <variant>

#include "libs/mpaprofile/profile.h"

namespace mpaprofile {

// The profile, or one line that says why there is none: "FILE:3:7: unknown
// rule [bitrate]", "cannot read FILE: ...".
[[nodiscard]] std::variant<profile, std::string> load_profile(const std::string& name_or_file);

}  // namespace mpaprofile
