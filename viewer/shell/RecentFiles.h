#pragma once
// The File menu's recent files: the most recent first, each name once, at
// most ten.

#include <cstddef>
#include <string>
#include <vector>

inline constexpr std::size_t kRecentFilesLimit = 10;

// The list with fileName moved (or added) to the front and cut to the limit.
// Empty names are neither added nor kept.
[[nodiscard]] std::vector<std::string> WithRecentFile(const std::vector<std::string>& recent,
                                                      const std::string& fileName,
                                                      std::size_t limit = kRecentFilesLimit);
