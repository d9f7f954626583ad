#pragma once
// The profiles that come with the toolkit, written in the profile text
// format so that users can print one, copy it and adapt it.

#include <optional>
#include <string_view>
#include <vector>

#include "libs/mpaprofile/profile.h"

namespace mpaprofile {

struct builtin_profile {
    std::string_view name;
    std::string_view text;
};

[[nodiscard]] const std::vector<builtin_profile>& builtin_profiles();

// The parsed built-in of that name; nullopt when there is none.
[[nodiscard]] std::optional<profile> find_builtin(std::string_view name);

}  // namespace mpaprofile
