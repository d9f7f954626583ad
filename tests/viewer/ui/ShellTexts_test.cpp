#include "viewer/shell/ShellTexts.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>

namespace {

using ::testing::ElementsAre;

TEST(ShellTexts, CaptionAppendsOpenFileNameWithoutSpace) {
    EXPECT_EQ(FormCaption(""), "Tamberly");
    EXPECT_EQ(FormCaption("/data/a b/tone.mp2"), "Tamberly(/data/a b/tone.mp2)");
}

TEST(ShellTexts, VersionLineDropsReleaseNumberZero) {
    EXPECT_EQ(AboutVersionLine({2, 0, 7, 150}), "Version 2.0.7 (build 150)");
    EXPECT_EQ(AboutVersionLine({2, 1, 0, 9}), "Version 2.1 (build 9)");
    EXPECT_EQ(AboutVersionLine({0, 1, 0, 0}), "Version 0.1 (build 0)");
}

TEST(ShellTexts, FileVersionParsesOneToFourNumbers) {
    const auto full = ParseFileVersion("2.0.7.150");
    ASSERT_TRUE(full.has_value());
    EXPECT_EQ(AboutVersionLine(*full), "Version 2.0.7 (build 150)");
    const auto shorter = ParseFileVersion("3.4");
    ASSERT_TRUE(shorter.has_value());
    EXPECT_EQ(AboutVersionLine(*shorter), "Version 3.4 (build 0)");
    EXPECT_FALSE(ParseFileVersion("").has_value());
    EXPECT_FALSE(ParseFileVersion("1.2.3.4.5").has_value());
    EXPECT_FALSE(ParseFileVersion("1.x").has_value());
    EXPECT_FALSE(ParseFileVersion("1..2").has_value());
    EXPECT_FALSE(ParseFileVersion("1.65536").has_value());
    EXPECT_FALSE(ParseFileVersion("-1.0").has_value());
}

TEST(ShellTexts, ProgramVersionLineComesFromBuildVersion) {
    const auto version = ParseFileVersion(TAMBERLY_VERSION_STRING);
    ASSERT_TRUE(version.has_value()) << TAMBERLY_VERSION_STRING;
    const std::string line = ProgramVersionLine();
    EXPECT_TRUE(std::regex_match(line, std::regex(R"(Version \d+\.\d+(\.\d+)? \(build \d+\))"))) << line;
    EXPECT_EQ(line.find("Version " + std::to_string(version->Major) + "." + std::to_string(version->Minor)), 0u);
}

TEST(ShellTexts, OpenDialogFilterKeepsDescriptionsAndSplitsPatterns) {
    const std::vector<TNameFilter> filters = ParseNameFilters(kOpenDialogFilter);
    ASSERT_EQ(filters.size(), 6u);
    EXPECT_EQ(filters[0].Description, "All Media Files (*.mpa; *.mp3; *.mpeg; *.mpg; *.ts; *.m2ts; *.mp4; *.mxf)");
    EXPECT_THAT(filters[0].Patterns, ElementsAre("*.mpa", "*.mp3", "*.mpeg", "*.mpg", "*.ts", "*.m2ts", "*.mp4", "*.mxf"));
    EXPECT_EQ(filters[2].Description, "MPEG Audio Layer I/II ES Files (*.mpa)");
    EXPECT_THAT(filters[2].Patterns, ElementsAre("*.mpa"));
    EXPECT_EQ(filters[5].Description, "All Files (*.*)");
    EXPECT_THAT(filters[5].Patterns, ElementsAre("*.*"));
}

// The dialog reads the patterns from the last parentheses and, with the
// details hidden, shows what stands before them.
TEST(ShellTexts, DialogFilterShowsDescriptionAndMatchesPatterns) {
    const std::regex dialogSyntax(R"(^(.*) \(([^()]*)\)$)");
    for (const TNameFilter& filter : ParseNameFilters(kOpenDialogFilter)) {
        const std::string text = DialogNameFilter(filter);
        std::smatch parts;
        ASSERT_TRUE(std::regex_match(text, parts, dialogSyntax)) << text;
        EXPECT_EQ(parts[1].str(), filter.Description);
        EXPECT_EQ(parts[2].str().find(';'), std::string::npos) << text;
    }
    EXPECT_EQ(DialogNameFilter({"MPEG Audio ES Files (*.mpa; *.mp3)", {"*.mpa", "*.mp3"}}),
              "MPEG Audio ES Files (*.mpa; *.mp3) (*.mpa *.mp3)");
}

TEST(ShellTexts, NameFilterWithoutPatternsIsDropped) {
    EXPECT_EQ(ParseNameFilters("Text (*.txt)|*.txt|Dangling").size(), 1u);
    EXPECT_TRUE(ParseNameFilters("").empty());
}

}  // namespace
