#include "viewer/shell/RecentFiles.h"

std::vector<std::string> WithRecentFile(const std::vector<std::string>& recent, const std::string& fileName,
                                        std::size_t limit) {
    std::vector<std::string> result;
    if (!fileName.empty()) result.push_back(fileName);
    for (const std::string& name : recent) {
        if (result.size() >= limit) break;
        if (!name.empty() && name != fileName) result.push_back(name);
    }
    if (result.size() > limit) result.resize(limit);
    return result;
}
