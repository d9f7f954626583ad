// The report tests: one QGuiApplication (the PDF exporter's fonts) on the
// offscreen platform, with Qt's runtime folder in a temporary folder.

#include <QGuiApplication>
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/temp_dir.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    testsupport::TempDir home;
    const std::filesystem::path runtime = home.Path() / "runtime";
    std::filesystem::create_directory(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime.string()));
    qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(home.File("cache")));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");

    int qtArgc = 1;
    char name[] = "reports_tests";
    char* qtArgv[] = {name, nullptr};
    QGuiApplication application(qtArgc, qtArgv);
    return RUN_ALL_TESTS();
}
