// One QApplication for the whole widget test program, on the offscreen
// platform so that no test ever opens a window on the user's desktop, and
// with Qt's runtime folder inside a temporary folder of the program's own.

#include <QApplication>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "tests/support/temp_dir.h"

namespace {

class QtApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
            runtimeDir_ = std::make_unique<testsupport::TempDir>();
            std::filesystem::permissions(runtimeDir_->Path(), std::filesystem::perms::owner_all);
            qputenv("XDG_RUNTIME_DIR", runtimeDir_->Path().string().c_str());
        }
        application_ = std::make_unique<QApplication>(argc_, argv_);
    }

    void TearDown() override {
        application_.reset();
        runtimeDir_.reset();
    }

private:
    char name_[16] = "hexview_tests";
    int argc_ = 1;
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<testsupport::TempDir> runtimeDir_;
    std::unique_ptr<QApplication> application_;
};

[[maybe_unused]] ::testing::Environment* const kQtApplication =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

}  // namespace
