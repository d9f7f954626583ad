#include "platform/dynamic_library.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/temp_dir.h"

namespace {

TEST(DynamicLibrary, FileNameTakesThePlatformSuffix) {
#ifdef _WIN32
    EXPECT_EQ(platform::SharedLibraryFileName("demo_demux_mp2"), "demo_demux_mp2.dll");
#else
    EXPECT_EQ(platform::SharedLibraryFileName("demo_demux_mp2"), "demo_demux_mp2.so");
#endif
}

TEST(DynamicLibrary, MissingOrBrokenLibrariesFailWithAReason) {
    testsupport::TempDir dir;
    platform::DynamicLibrary library;
    EXPECT_FALSE(library.Load(dir.File("absent.so")));
    EXPECT_FALSE(library.IsLoaded());
    EXPECT_FALSE(library.LastError().empty());
    const auto notALibrary = dir.Write("text.so", {'h', 'e', 'l', 'l', 'o'});
    EXPECT_FALSE(library.Load(notALibrary));
    EXPECT_EQ(library.Symbol("anything"), nullptr);
}

TEST(DynamicLibrary, BindsExportsByName) {
    platform::DynamicLibrary library;
    ASSERT_TRUE(library.Load("libm.so.6")) << library.LastError();
    auto* cosine = reinterpret_cast<double (*)(double)>(library.Symbol("cos"));
    ASSERT_NE(cosine, nullptr);
    EXPECT_DOUBLE_EQ(cosine(0.0), 1.0);
    EXPECT_EQ(library.Symbol("no_such_export_here"), nullptr);
    platform::DynamicLibrary moved(std::move(library));
    EXPECT_FALSE(library.IsLoaded());
    EXPECT_TRUE(moved.IsLoaded());
    moved.Unload();
    EXPECT_FALSE(moved.IsLoaded());
}

TEST(DynamicLibrary, ProgramFolderHoldsTheRunningProgram) {
    const std::string folder = platform::ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(std::filesystem::exists(folder + "platform_tests"));
}

}  // namespace
