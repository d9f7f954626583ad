#include "platform/file_exists.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace {

TEST(FileExists, OnlyAnExistingRegularFileCounts) {
    testsupport::TempDir folder;
    const std::string file = folder.Write("a.mp2", {1, 2, 3});
    EXPECT_TRUE(platform::IsExistingFile(file));
    EXPECT_FALSE(platform::IsExistingFile(folder.Path().string()));
    EXPECT_FALSE(platform::IsExistingFile(folder.File("missing.mp2")));
    EXPECT_FALSE(platform::IsExistingFile(""));
}

}  // namespace
