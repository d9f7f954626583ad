#pragma once
// The fake validation modules of these tests: their folders, and the log of
// the calls the host made into them.

#include <string>
#include <string_view>
#include <vector>

#include "tests/support/temp_dir.h"

namespace validationtest {

// The folder (with a trailing separator) that holds one variant of the fake
// module under the catalogue file name.
[[nodiscard]] std::string FakeModulesFolder(std::string_view variant);

// Points the fake modules' call log at a file in a temporary folder while it
// lives.
class FakeModuleLog {
public:
    FakeModuleLog();
    ~FakeModuleLog();
    FakeModuleLog(const FakeModuleLog&) = delete;
    FakeModuleLog& operator=(const FakeModuleLog&) = delete;

    // "<module name>: <call>" in call order.
    [[nodiscard]] std::vector<std::string> Calls() const;
    // The calls of one module, without the name.
    [[nodiscard]] std::vector<std::string> CallsOf(std::string_view moduleName) const;

private:
    testsupport::TempDir dir_;
    std::string path_;
};

}  // namespace validationtest
