// A stream built to yield events without end: the report keeps the first
// items of each kind in full and sums up the rest in one item per kind, and
// the sums add up to what a run without a bound reports.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <map>
#include <string>

#include "modules/mpeg_audio_validator/AudioValidation.h"
#include "modules/mpeg_audio_validator/KindLimit.h"
#include "tests/modules/module_test_support.h"
#include "tests/support/hostile_stream.h"
#include "tests/support/temp_dir.h"

namespace moduletest {
namespace {

using mpeg_audio_validation::CutMessage;
using mpeg_audio_validation::EnabledKinds;

constexpr std::uint32_t kUnbounded = std::numeric_limits<std::uint32_t>::max();

EnabledKinds KeepingPerKind(std::uint32_t kept) {
    EnabledKinds kinds;
    kinds.keptPerKind = kept;
    return kinds;
}

// "Frame 12 at offset 0x1A2B: bitrate changes to 256 kbit/s" → "bitrate
// changes"; empty for items that are no change event.
std::string ChangeNoun(const std::string& message) {
    const std::size_t colon = message.find(": ");
    const std::size_t changes = message.find(" changes to ");
    if (colon == std::string::npos || changes == std::string::npos || changes < colon) return {};
    return message.substr(colon + 2, changes - colon - 2) + " changes";
}

std::map<std::string, Items> ByChangeNoun(const Items& items) {
    std::map<std::string, Items> groups;
    for (const ValidationItem& item : items)
        if (const std::string noun = ChangeNoun(item.message); !noun.empty()) groups[noun].push_back(item);
    return groups;
}

// Events per report type, a summing-up item standing for the ones it cut.
std::map<std::int32_t, std::uint64_t> TotalsByType(const Items& items) {
    std::map<std::int32_t, std::uint64_t> totals;
    for (const ValidationItem& item : items) totals[item.reportType] += item.omitted > 0 ? item.omitted : 1;
    return totals;
}

std::size_t CountMessage(const Items& items, const std::string& message) {
    return static_cast<std::size_t>(
        std::count_if(items.begin(), items.end(), [&](const ValidationItem& item) { return item.message == message; }));
}

class BoundedReport : public ::testing::TestWithParam<std::uint32_t> {};

TEST_P(BoundedReport, KeepsTheFirstItemsOfEachKindAndSumsUpTheRestExactly) {
    const std::uint32_t kept = GetParam();
    const testsupport::TempDir dir;
    const std::string path = dir.Write("hostile.mp2", testsupport::AlternatingHeaderStream(128 * 1024));
    const Outcome whole = Validate(path, KeepingPerKind(kUnbounded));
    const Outcome bounded = Validate(path, KeepingPerKind(kept));
    ASSERT_EQ(whole.result, RunResult::Completed);
    ASSERT_EQ(bounded.result, RunResult::Completed);

    const auto wholeGroups = ByChangeNoun(whole.items);
    const auto boundedGroups = ByChangeNoun(bounded.items);
    ASSERT_GE(wholeGroups.size(), 9u);  // every header field the validator follows
    for (const auto& [noun, all] : wholeGroups) {
        SCOPED_TRACE(noun);
        ASSERT_GT(all.size(), kept);
        const Items& shown = boundedGroups.at(noun);
        EXPECT_EQ(shown, Items(all.begin(), all.begin() + kept));
        EXPECT_EQ(CountMessage(bounded.items, CutMessage(all.size() - kept, noun)), 1u);
    }
    EXPECT_EQ(TotalsByType(bounded.items), TotalsByType(whole.items));
    EXPECT_EQ(bounded.items.back(), whole.items.back());  // the closing summary
    EXPECT_LE(bounded.items.size(), (kept + 1) * (wholeGroups.size() + 4) + 1);
}

INSTANTIATE_TEST_SUITE_P(KeptPerKind, BoundedReport, ::testing::Values(1u, 100u));

TEST(BoundedReport, AnOrdinaryStreamIsReportedInFullWithoutASumLine) {
    const Outcome bounded = Validate(FaultyFixture());
    EXPECT_EQ(bounded.items, FaultyFixtureItems());
    EXPECT_EQ(bounded.items, Validate(FaultyFixture(), KeepingPerKind(kUnbounded)).items);
    for (const ValidationItem& item : bounded.items) EXPECT_EQ(item.omitted, 0u) << item.message;
}

TEST(BoundedReport, TheSumLineGroupsThousands) {
    const struct {
        std::uint64_t omitted;
        const char* message;
    } cases[] = {
        {1, "and 1 more bitrate changes"},
        {999, "and 999 more bitrate changes"},
        {1000, "and 1,000 more bitrate changes"},
        {1081000, "and 1,081,000 more bitrate changes"},
        {12345678901ull, "and 12,345,678,901 more bitrate changes"},
    };
    for (const auto& c : cases) EXPECT_EQ(CutMessage(c.omitted, "bitrate changes"), c.message);
}

}  // namespace
}  // namespace moduletest
