// The main window tests: one QApplication on the offscreen platform, and the
// program's settings sent to a temporary folder before anything can read or
// write the user's own.

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <filesystem>

#include "platform/dynamic_library.h"
#include "tests/support/temp_dir.h"
#include "tests/viewer/ui/form_test_support.h"

namespace {

// The window loads and frees the demultiplexer plugins beside it on every
// open. One reference held for the whole run (never closed, as in a program
// that keeps running) keeps them and the libraries they pull in mapped, so
// their one-time allocations stay reachable instead of showing as leaks of
// unknown origin at exit.
void HoldDemultiplexerPluginsLoaded() {
    for (const char* base : {"demo_ql_demux_mp2", "demo_ql_demux_mxf"}) {
        const std::string path = testsupport::BinPath(platform::SharedLibraryFileName(base));
        if (std::filesystem::exists(path)) dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    }
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    HoldDemultiplexerPluginsLoaded();
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
