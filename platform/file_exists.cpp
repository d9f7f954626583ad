#include "platform/file_exists.h"

#include <filesystem>
#include <system_error>

namespace platform {

bool IsExistingFile(const std::string& name) {
    std::error_code error;
    return !name.empty() && std::filesystem::is_regular_file(name, error);
}

}  // namespace platform
