// VOBU search information: distances, the video bits and the limits of the
// search range, on tables whose answers are worked out by hand.

#include <gtest/gtest.h>

#include <vector>

#include "plugins/common/vobu_search.h"

namespace {

using sinks::Vobu;
using sinks::VobuSearch;

constexpr std::size_t kNextVideo = 0;
constexpr std::size_t kNext = 20;
constexpr std::size_t kPrevious = 21;
constexpr std::size_t kPreviousVideo = 41;
// Forward entries run from 120 s (1) down to 0.5 s (19); backward entries
// from 0.5 s (22) up to 120 s (40).
constexpr std::size_t Forward(int half_seconds) { return 20 - static_cast<std::size_t>(half_seconds); }
constexpr std::size_t Backward(int half_seconds) { return 21 + static_cast<std::size_t>(half_seconds); }
constexpr std::size_t kForward10s = 4, kForward30s = 3, kForward60s = 2, kForward120s = 1;
constexpr std::size_t kBackward10s = 37, kBackward120s = 40;

// Twenty half-second VOBUs ten sectors apart; the even ones hold video.
std::vector<Vobu> EvenVideoTable() {
    std::vector<Vobu> vobus;
    for (int i = 0; i < 20; ++i) vobus.push_back(Vobu{10 * i, 45000, i % 2 == 0 ? 1 : 0});
    return vobus;
}

TEST(VobuSearch, FirstVobuLooksForwardOnly) {
    const auto vobus = EvenVideoTable();
    const VobuSearch search(vobus);
    const auto info = search.Entries(0, 0, 20);
    EXPECT_EQ(info[kNextVideo], 0x80000014u);   // VOBU 2, 20 sectors, video
    EXPECT_EQ(info[Forward(1)], 0x0000000Au);   // VOBU 1
    EXPECT_EQ(info[Forward(2)], 0x80000014u);   // VOBU 2
    EXPECT_EQ(info[Forward(3)], 0x4000001Eu);   // VOBU 3, VOBU 2 with video between
    EXPECT_EQ(info[Forward(15)], 0x40000096u);  // VOBU 15
    EXPECT_EQ(info[kForward10s], 0x3FFFFFFFu);  // VOBU 20 does not exist
    EXPECT_EQ(info[kForward30s], 0x3FFFFFFFu);
    EXPECT_EQ(info[kForward60s], 0x3FFFFFFFu);
    EXPECT_EQ(info[kForward120s], 0x3FFFFFFFu);
    EXPECT_EQ(info[kNext], 0x0000000Au);
    EXPECT_EQ(info[kPrevious], 0x3FFFFFFFu);
    for (int step = 1; step <= 15; ++step) EXPECT_EQ(info[Backward(step)], 0x3FFFFFFFu) << step;
    EXPECT_EQ(info[kPreviousVideo], 0x3FFFFFFFu);
}

TEST(VobuSearch, LastVobuLooksBackwardOnly) {
    const auto vobus = EvenVideoTable();
    const VobuSearch search(vobus);
    const auto info = search.Entries(19, 0, 20);
    EXPECT_EQ(info[kNextVideo], 0xBFFFFFFFu);
    EXPECT_EQ(info[kNext], 0x3FFFFFFFu);
    EXPECT_EQ(info[kPrevious], 0x8000000Au);
    EXPECT_EQ(info[Backward(1)], 0x8000000Au);    // VOBU 18
    EXPECT_EQ(info[Backward(2)], 0x40000014u);    // VOBU 17
    EXPECT_EQ(info[Backward(15)], 0xC0000096u);   // VOBU 4
    EXPECT_EQ(info[kBackward10s], 0x3FFFFFFFu);   // would be VOBU -1
    EXPECT_EQ(info[kBackward120s], 0x3FFFFFFFu);
    EXPECT_EQ(info[kPreviousVideo], 0x8000000Au);
    for (int step = 1; step <= 15; ++step) EXPECT_EQ(info[Forward(step)], 0x3FFFFFFFu) << step;
}

TEST(VobuSearch, TargetsStayInsideTheRange) {
    const auto vobus = EvenVideoTable();
    const VobuSearch search(vobus);
    const auto info = search.Entries(5, 4, 8);
    EXPECT_EQ(info[kNextVideo], 0x8000000Au);    // VOBU 6
    EXPECT_EQ(info[kPreviousVideo], 0x8000000Au);  // VOBU 4
    EXPECT_EQ(info[Forward(1)], 0x8000000Au);    // VOBU 6
    EXPECT_EQ(info[Forward(2)], 0x40000014u);    // VOBU 7, VOBU 6 with video between
    EXPECT_EQ(info[Forward(3)], 0x3FFFFFFFu);    // VOBU 8 lies outside
    EXPECT_EQ(info[Backward(1)], 0x8000000Au);   // VOBU 4
    EXPECT_EQ(info[Backward(2)], 0x3FFFFFFFu);   // VOBU 3 lies outside
}

TEST(VobuSearch, UnevenDurationsPickTheFirstVobuAtOrPastTheDistance) {
    // Start times 0, 1.0, 1.111, 1.222 and 1.778 s.
    const std::vector<Vobu> vobus = {{0, 90000, 0}, {7, 10000, 0}, {9, 10000, 0}, {12, 50000, 0}, {30, 45000, 0}};
    const VobuSearch search(vobus);
    const auto first = search.Entries(0, 0, 5);
    EXPECT_EQ(first[Forward(1)], 7u);
    EXPECT_EQ(first[Forward(2)], 7u);
    EXPECT_EQ(first[Forward(3)], 30u);
    EXPECT_EQ(first[Forward(4)], 0x3FFFFFFFu);
    const auto last = search.Entries(4, 0, 5);
    EXPECT_EQ(last[Backward(1)], 18u);  // VOBU 3, 0.556 s before
    EXPECT_EQ(last[Backward(2)], 30u);  // VOBU 0
    EXPECT_EQ(last[Backward(3)], 30u);
    EXPECT_EQ(last[Backward(4)], 0x3FFFFFFFu);
    EXPECT_EQ(last[kNextVideo], 0xBFFFFFFFu);
    EXPECT_EQ(last[kPreviousVideo], 0x3FFFFFFFu);
}

TEST(VobuSearch, NegativeDurationCountsAsNone) {
    const std::vector<Vobu> vobus = {{0, -90000, 0}, {4, 45000, 0}, {8, 45000, 0}};
    const VobuSearch search(vobus);
    const auto info = search.Entries(0, 0, 3);
    EXPECT_EQ(info[Forward(1)], 8u);
    EXPECT_EQ(info[Forward(2)], 0x3FFFFFFFu);
}

TEST(VobuSearch, SectorsOutOfOrderGiveTheAbsoluteDistance) {
    const std::vector<Vobu> vobus = {{100, 45000, 0}, {40, 45000, 1}};
    const VobuSearch search(vobus);
    EXPECT_EQ(search.Entries(0, 0, 2)[kNext], 0x8000003Cu);
    EXPECT_EQ(search.Entries(1, 0, 2)[kPrevious], 0x0000003Cu);
}

}  // namespace
