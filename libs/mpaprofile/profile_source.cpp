#include "libs/mpaprofile/profile_source.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "libs/mpaprofile/builtin_profiles.h"
#include "libs/mpaprofile/profile_parser.h"

namespace mpaprofile {

std::variant<profile, std::string> load_profile(const std::string& name_or_file) {
    if (auto builtin = find_builtin(name_or_file)) return std::move(*builtin);
    std::ifstream file(name_or_file, std::ios::binary);
    if (!file)
        return "no built-in profile is named " + name_or_file + ", and it cannot be read as a file: " +
               std::strerror(errno);
    std::string text;
    text.resize(kMaxProfileBytes + 1);
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (file.bad()) return "cannot read " + name_or_file;
    text.resize(static_cast<std::size_t>(file.gcount()));
    auto parsed = parse_profile(text);
    if (auto* error = std::get_if<parse_error>(&parsed)) return name_or_file + ":" + format_error(*error);
    return std::get<profile>(std::move(parsed));
}

}  // namespace mpaprofile
