#include "tests/viewer/validation/window/fake_module_test_support.h"

#include <cstdlib>
#include <fstream>

namespace validationtest {

std::string FakeModulesFolder(std::string_view variant) {
    return std::string(FAKE_MODULES_DIR) + std::string(variant) + "/";
}

FakeModuleLog::FakeModuleLog() : path_(dir_.File("calls.log")) {
    setenv("TAMBERLY_FAKE_MODULE_LOG", path_.c_str(), 1);
}

FakeModuleLog::~FakeModuleLog() { unsetenv("TAMBERLY_FAKE_MODULE_LOG"); }

std::vector<std::string> FakeModuleLog::Calls() const {
    std::ifstream in(path_);
    std::vector<std::string> calls;
    for (std::string line; std::getline(in, line);) calls.push_back(line);
    return calls;
}

std::vector<std::string> FakeModuleLog::CallsOf(std::string_view moduleName) const {
    const std::string prefix = std::string(moduleName) + ": ";
    std::vector<std::string> calls;
    for (const std::string& call : Calls())
        if (call.starts_with(prefix)) calls.push_back(call.substr(prefix.size()));
    return calls;
}

}  // namespace validationtest
