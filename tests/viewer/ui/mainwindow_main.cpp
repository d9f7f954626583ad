// The main window tests: one QApplication on the offscreen platform, and the
// program's settings sent to a temporary folder before anything can read or
// write the user's own.

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/plugin_hold.h"
#include "tests/support/temp_dir.h"
#include "tests/viewer/ui/form_test_support.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    testsupport::HoldDemultiplexerPluginsLoaded();  // the window loads and frees them on every open
    testsupport::TempDir home;
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(home.File("config")));
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(home.File("data")));
    qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(home.File("cache")));
    const std::filesystem::path runtime = home.Path() / "runtime";
    std::filesystem::create_directory(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime.string()));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    formtest::SetBaseSettingsFolder(QString::fromStdString(home.File("settings")));

    int qtArgc = 1;
    char name[] = "mainwindow_tests";
    char* qtArgv[] = {name, nullptr};
    QApplication application(qtArgc, qtArgv);
    return RUN_ALL_TESTS();
}
