#include "plugins/common/extraction_abort.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ostream>
#include <string>
#include <vector>

namespace {

using demux_plugin::ExtractionAbort;

// One step of the host's two threads: b/e begin and end an extraction, A/Z
// begin and end an abort. After each "b" the test expects whether the abort
// covers the new extraction, and at each "e" whether it was stopped.
struct Sequence {
    const char* name;
    std::string steps;
    std::vector<bool> stopped;  // per extraction, in order
};

void PrintTo(const Sequence& sequence, std::ostream* out) { *out << sequence.steps; }

std::vector<bool> StoppedIn(const std::string& steps) {
    ExtractionAbort abort;
    std::vector<bool> stopped;
    for (const char step : steps) {
        switch (step) {
            case 'b': abort.Begin(); break;
            case 'e':
                stopped.push_back(abort.Honour());
                abort.End();
                break;
            case 'A': abort.BeginAbort(); break;
            case 'Z': abort.EndAbort(); break;
        }
    }
    return stopped;
}

class ExtractionAbortSequences : public ::testing::TestWithParam<Sequence> {};

TEST_P(ExtractionAbortSequences, StopExactlyTheExtractionsMeant) {
    EXPECT_EQ(StoppedIn(GetParam().steps), GetParam().stopped) << GetParam().steps;
}

INSTANTIATE_TEST_SUITE_P(
    All, ExtractionAbortSequences,
    ::testing::Values(Sequence{"NoAbort", "bebe", {false, false}},
                      Sequence{"DuringTheExtraction", "bAZe", {true}},
                      Sequence{"DuringOnlyTheFirst", "bAZebe", {true, false}},
                      Sequence{"JustBeforeTheStart", "Abe", {true}},
                      Sequence{"JustBeforeTheStartThenTheNext", "AbeZbe", {true, false}},
                      Sequence{"AnotherStartWhileTheAbortWaits", "bAebe", {true, false}},
                      Sequence{"CompletedBeforeTheStart", "AZbe", {false}},
                      Sequence{"TwoAbortsOverlapping", "AAZbeZbe", {true, false}},
                      Sequence{"AbortOutlivesTheExtraction", "bAeZbe", {true, false}},
                      Sequence{"ManyGenerationsLater", "bebebeAbZe", {false, false, false, true}}),
    [](const ::testing::TestParamInfo<Sequence>& info) { return std::string(info.param.name); });

// The state the forwarding path reads follows the abort of the running
// extraction, and a stop is honoured once.
TEST(ExtractionAbort, ChunksStopAtTheAbortAndTheStopIsHonouredOnce) {
    ExtractionAbort abort;
    EXPECT_FALSE(abort.Begin());
    EXPECT_TRUE(abort.Running());
    EXPECT_FALSE(abort.Honour());
    abort.BeginAbort();
    EXPECT_FALSE(abort.Running());
    EXPECT_TRUE(abort.Honour());
    EXPECT_FALSE(abort.Honour());
    abort.EndAbort();
    abort.End();
    EXPECT_FALSE(abort.Begin());
    EXPECT_TRUE(abort.Running());
}

TEST(ExtractionAbort, WaitForSendsGivesUpAtTheDeadlineWhileASendRuns) {
    ExtractionAbort abort;
    const auto now = std::chrono::steady_clock::now();
    EXPECT_TRUE(abort.WaitForSends(now));
    abort.SendBegins();
    EXPECT_FALSE(abort.WaitForSends(now + std::chrono::milliseconds(5)));
    abort.SendEnds();
    EXPECT_TRUE(abort.WaitForSends(now));
}

}  // namespace
