// The finding kinds' short names are stable and unique and turn back into
// their kinds; every kind has a readable text.

#include <set>

#include "tests/libs/mpacheck/check_driver.h"

namespace {

using mpacheck::finding_kind;

TEST(FindingNamesTest, NamesAreUniqueLowerCaseAndRoundTrip) {
    std::set<std::string_view> names;
    for (int i = 0; i < mpacheck::kFindingKindCount; ++i) {
        const auto kind = static_cast<finding_kind>(i);
        const std::string_view name = mpacheck::kind_name(kind);
        EXPECT_TRUE(names.insert(name).second) << name;
        EXPECT_EQ(name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0-9-"), std::string_view::npos) << name;
        EXPECT_EQ(mpacheck::kind_from_name(name), kind);
        mpacheck::finding f{kind, mpacheck::kind_severity(kind), 0, 0, 0};
        EXPECT_FALSE(mpacheck::describe(f).empty()) << name;
    }
    EXPECT_EQ(mpacheck::kind_from_name("crc"), std::nullopt);
    // Names used on command lines and in saved reports must not change.
    EXPECT_EQ(mpacheck::kind_name(finding_kind::crc_mismatch), "crc-mismatch");
    EXPECT_EQ(mpacheck::kind_name(finding_kind::reservoir_underflow), "reservoir-underflow");
    EXPECT_EQ(mpacheck::kind_name(finding_kind::stream_truncated), "stream-truncated");
}

TEST(FindingTextTest, TextsCarryTheValues) {
    mpacheck::finding crc{finding_kind::crc_mismatch, mpacheck::severity::error, 812, 0x7A3F2, 21.216};
    crc.expected = 0x1234;
    crc.actual = 0xABCD;
    EXPECT_EQ(mpacheck::describe(crc), "CRC mismatch (stored 0x1234, computed 0xABCD)");
    mpacheck::finding cut{finding_kind::stream_truncated, mpacheck::severity::error, 10, 0, 0};
    cut.expected = 308;
    cut.actual = 182;
    std::snprintf(cut.label, sizeof cut.label, "Xing");
    EXPECT_EQ(mpacheck::describe(cut), "Stream truncated: the Xing header declares 308 frames, 182 counted");
    EXPECT_EQ(mpacheck::severity_name(mpacheck::kind_severity(finding_kind::metadata)), "info");
}

}  // namespace
