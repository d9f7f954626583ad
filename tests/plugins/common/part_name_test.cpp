// Names of the numbered part files.

#include <gtest/gtest.h>

#include <limits>

#include "plugins/common/part_name.h"

namespace {

using sinks::NumberedPartName;
using sinks::SplitPartName;

TEST(PartName, SplitsAtTheLastDotOfTheFileItself) {
    EXPECT_EQ(SplitPartName("out.mpa").base, "out");
    EXPECT_EQ(SplitPartName("out.mpa").extension, ".mpa");
    EXPECT_EQ(SplitPartName("a.b.c").base, "a.b");
    EXPECT_EQ(SplitPartName("a.b.c").extension, ".c");
    EXPECT_EQ(SplitPartName("/x/noext").base, "/x/noext");
    EXPECT_EQ(SplitPartName("/x/noext").extension, "");
    EXPECT_EQ(SplitPartName("/x.y/noext").base, "/x.y/noext");
    EXPECT_EQ(SplitPartName("/x.y/noext").extension, "");
    EXPECT_EQ(SplitPartName("trailing.").extension, ".");
}

TEST(PartName, NumbersHaveAtLeastThreeDigits) {
    const sinks::PartName name{"/t/out", ".mpa"};
    EXPECT_EQ(NumberedPartName(name, 0), "/t/out001.mpa");
    EXPECT_EQ(NumberedPartName(name, 41), "/t/out042.mpa");
    EXPECT_EQ(NumberedPartName(name, 998), "/t/out999.mpa");
    EXPECT_EQ(NumberedPartName(name, 999), "/t/out1000.mpa");
    EXPECT_EQ(NumberedPartName(name, 1000), "/t/out1001.mpa");
    EXPECT_EQ(NumberedPartName(name, 99999), "/t/out100000.mpa");
    EXPECT_EQ(NumberedPartName(name, std::numeric_limits<std::int32_t>::max() - 1), "/t/out2147483647.mpa");
}

TEST(PartName, CounterThatCannotGrowGivesNoName) {
    const sinks::PartName name{"out", ""};
    EXPECT_EQ(NumberedPartName(name, -1), std::nullopt);
    EXPECT_EQ(NumberedPartName(name, std::numeric_limits<std::int32_t>::min()), std::nullopt);
    EXPECT_EQ(NumberedPartName(name, std::numeric_limits<std::int32_t>::max()), std::nullopt);
}

}  // namespace
