#include "viewer/shell/ViewerCommandLine.h"

#include <gtest/gtest.h>

namespace {

TEST(ViewerCommandLine, AnswersHelpAndVersionAndLeavesFileNamesToOpen) {
    const auto help = ViewerInformationAnswer("--help");
    ASSERT_TRUE(help.has_value());
    EXPECT_EQ(help->rfind("usage: tamberly [FILE]\n", 0), 0u);
    EXPECT_EQ(ViewerInformationAnswer("-h"), help);
    EXPECT_EQ(ViewerInformationAnswer("--version"), std::string("tamberly ") + TAMBERLY_VERSION_STRING + "\n");

    for (const char* fileName : {"take1.mp2", "--helpful.mp2", "-", "", "/tmp/--version"})
        EXPECT_FALSE(ViewerInformationAnswer(fileName).has_value()) << fileName;
}

}  // namespace
