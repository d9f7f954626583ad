#include "plugins/common/part_name.h"

#include <limits>

namespace sinks {
namespace {

int DecimalDigits(std::int32_t value) {
    int digits = 1;
    for (; value >= 10; value /= 10) ++digits;
    return digits;
}

std::size_t LastSeparator(std::string_view file_name) {
#ifdef _WIN32
    return file_name.find_last_of("/\\:");
#else
    return file_name.find_last_of('/');
#endif
}

}  // namespace

PartName SplitPartName(std::string_view file_name) {
    const std::size_t separator = LastSeparator(file_name);
    const std::size_t own_name = separator == std::string_view::npos ? 0 : separator + 1;
    const std::size_t dot = file_name.rfind('.');
    if (dot == std::string_view::npos || dot < own_name) return {std::string(file_name), {}};
    return {std::string(file_name.substr(0, dot)), std::string(file_name.substr(dot))};
}

std::optional<std::string> NumberedPartName(const PartName& name, std::int32_t counter) {
    if (counter < 0 || counter == std::numeric_limits<std::int32_t>::max()) return std::nullopt;
    // The width follows the counter before it grows: 3 digits below 1,000,
    // else the counter's own digit count.
    const int width = DecimalDigits(counter) > 3 ? DecimalDigits(counter) : 3;
    const std::string number = std::to_string(counter + 1);
    const std::size_t padding = number.size() < static_cast<std::size_t>(width) ? width - number.size() : 0;
    return name.base + std::string(padding, '0') + number + name.extension;
}

}  // namespace sinks
