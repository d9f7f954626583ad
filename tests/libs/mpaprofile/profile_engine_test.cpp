// The engine on frame facts, findings and summaries made here: each rule kind
// with a stream that keeps it and one that breaks it, the counts, positions
// and words of the breach, and the verdict line.

#include <gtest/gtest.h>

#include <variant>

#include "libs/mpaprofile/profile_engine.h"
#include "libs/mpaprofile/profile_parser.h"
#include "libs/mpaprofile/verdict.h"

namespace {

using mpacheck::finding_kind;
using mpacheck::frame_facts;

// A 48 kHz MPEG-1 Layer II stereo frame at 192 kbit/s with CRC.
frame_facts Frame(std::int64_t n) {
    frame_facts f;
    f.frame = n;
    f.offset = static_cast<std::uint64_t>(n) * 576;
    f.time = static_cast<double>(n) * 0.024;
    f.version_code = 3;
    f.layer = 2;
    f.sampling_rate = 48000;
    f.bitrate = 192000;
    f.mode = 0;
    f.crc_present = true;
    f.length = 576;
    f.ancillary_bits = 48;
    f.scf_crc = mpacheck::scf_crc_state::match;
    return f;
}

mpacheck::finding Finding(finding_kind kind, std::int64_t frame, std::uint64_t length = 0, const char* label = "") {
    mpacheck::finding f{kind, mpacheck::kind_severity(kind), frame, static_cast<std::uint64_t>(frame) * 576, 0.0};
    f.length = length;
    std::snprintf(f.label, sizeof f.label, "%s", label);
    return f;
}

using FrameEdit = void (*)(frame_facts&);

struct Case {
    const char* name;
    const char* rule;                 // the rule's section, appended to a [profile] head
    FrameEdit edit;                   // applied to frames 2 and 3 of 5; nullptr: none
    std::vector<mpacheck::finding> findings;
    bool variable = false;            // the summary's variable_bitrate
    bool passed;
    std::int64_t count;
    const char* detail;               // expected words of the breach
};

const std::vector<Case>& Cases() {
    static const std::vector<Case> kCases = {
        {"version_kept", "[versions]\nallowed = 1", nullptr, {}, false, true, 0, ""},
        {"version_broken", "[versions]\nallowed = 2, 2.5", nullptr, {}, false, false, 5, "MPEG-1 not allowed in 5 frames"},
        {"layer_broken", "[layers]\nallowed = 3", [](frame_facts& f) { f.layer = 1; }, {}, false, false, 5,
         "Layer II, Layer I not allowed in 5 frames"},
        {"rate_broken", "[sampling-rates]\nallowed = 48000", [](frame_facts& f) { f.sampling_rate = 44100; }, {}, false,
         false, 2, "sampling rate 44100 Hz not allowed in 2 frames"},
        {"bitrate_broken", "[bitrates]\nallowed = 192", [](frame_facts& f) { f.bitrate = 256000; }, {}, false, false, 2,
         "bitrate 256 not allowed in 2 frames"},
        {"mode_broken", "[channel-modes]\nallowed = stereo", [](frame_facts& f) { f.mode = 2; }, {}, false, false, 2,
         "mode dual-channel not allowed in 2 frames"},
        {"emphasis_broken", "[emphasis]\nallowed = none", [](frame_facts& f) { f.emphasis = 1; }, {}, false, false, 2,
         "emphasis 50/15 not allowed in 2 frames"},
        {"crc_broken", "[crc]\nrequired = yes", [](frame_facts& f) { f.crc_present = false; }, {}, false, false, 2,
         "CRC missing in 2 frames"},
        {"crc_not_required", "[crc]\nrequired = no", [](frame_facts& f) { f.crc_present = false; }, {}, false, true, 0, ""},
        // Two changed frames in the middle: a change in and a change back.
        {"rate_change", "[rate-change]\nallowed = no", [](frame_facts& f) { f.sampling_rate = 32000; }, {}, false, false,
         2, "sampling rate changes 2 times"},
        {"rate_change_allowed", "[rate-change]\nallowed = yes", [](frame_facts& f) { f.sampling_rate = 32000; }, {},
         false, true, 0, ""},
        {"mode_change", "[mode-change]\nallowed = no", [](frame_facts& f) { f.mode = 3; }, {}, false, false, 2,
         "channel mode changes 2 times"},
        {"stereo_joint_is_no_change", "[mode-change]\nallowed = no", [](frame_facts& f) { f.mode = 1; }, {}, false,
         true, 0, ""},
        {"bitrate_change", "[bitrate-change]\nallowed = no", [](frame_facts& f) { f.bitrate = 128000; }, {}, false,
         false, 2, "bitrate changes 2 times"},
        {"bitrate_fixed", "[bitrate-mode]\nallowed = fixed", nullptr, {}, true, false, 1,
         "variable bitrate, fixed required"},
        {"bitrate_variable", "[bitrate-mode]\nallowed = variable", nullptr, {}, true, true, 0, ""},
        {"ancillary_short", "[ancillary-data]\nmin-bits = 32", [](frame_facts& f) { f.ancillary_bits = 16; }, {}, false,
         false, 2, "ancillary data below 32 bits in 2 frames (fewest 16)"},
        {"ancillary_unknown", "[ancillary-data]\nmin-bits = 32", [](frame_facts& f) { f.ancillary_bits = -1; }, {}, false,
         true, 0, ""},
        {"scf_wrong", "[scf-crc]\nrequired = yes", [](frame_facts& f) { f.scf_crc = mpacheck::scf_crc_state::mismatch; },
         {}, false, false, 2, "scale-factor CRC wrong in 2 frames"},
        {"scf_missing", "[scf-crc]\nrequired = yes",
         [](frame_facts& f) { f.scf_crc = mpacheck::scf_crc_state::not_applicable; }, {}, false, false, 2,
         "scale-factor CRC missing in 2 frames"},
        {"scf_last_unknown", "[scf-crc]\nrequired = yes",
         [](frame_facts& f) { f.scf_crc = mpacheck::scf_crc_state::unknown; }, {}, false, true, 0, ""},
        {"junk_within", "[junk]\nmax-bytes = 10", nullptr, {Finding(finding_kind::junk, 0, 4), Finding(finding_kind::sync_lost, 3, 6)},
         false, true, 10, ""},
        {"junk_over", "[junk]\nmax-bytes = 9", nullptr, {Finding(finding_kind::junk, 0, 4), Finding(finding_kind::sync_lost, 3, 6)},
         false, false, 10, "10 junk bytes, at most 9 allowed"},
        {"metadata_none", "[metadata]\nallowed = none", nullptr, {Finding(finding_kind::metadata, 0, 100, "ID3v2.4")},
         false, false, 1, "ID3v2.4 tag not allowed"},
        {"metadata_id3", "[metadata]\nallowed = id3", nullptr,
         {Finding(finding_kind::metadata, 0, 100, "ID3v2.3"), Finding(finding_kind::metadata, 5, 32, "APEv2"),
          Finding(finding_kind::metadata, 5, 128, "ID3v1")},
         false, false, 1, "APEv2 tag not allowed"},
        {"metadata_any", "[metadata]\nallowed = any", nullptr, {Finding(finding_kind::metadata, 5, 32, "APEv2")}, false,
         true, 0, ""},
        {"findings_forbidden", "[findings]\nforbidden = crc-mismatch", nullptr,
         {Finding(finding_kind::crc_mismatch, 1), Finding(finding_kind::junk, 2, 3), Finding(finding_kind::crc_mismatch, 4)},
         false, false, 2, "crc-mismatch found 2 times"},
    };
    return kCases;
}

mpaprofile::profile Parse(const std::string& text) {
    auto parsed = mpaprofile::parse_profile(text);
    if (auto* error = std::get_if<mpaprofile::parse_error>(&parsed))
        throw std::runtime_error(mpaprofile::format_error(*error));
    return std::get<mpaprofile::profile>(std::move(parsed));
}

mpacheck::summary Summary(bool variable) {
    mpacheck::summary s;
    s.version_code = 3;
    s.layer = 2;
    s.sampling_rate = 48000;
    s.frames = 5;
    s.variable_bitrate = variable;
    s.average_bitrate = 192000;
    return s;
}

class RuleCase : public ::testing::TestWithParam<Case> {};

TEST_P(RuleCase, JudgesTheStream) {
    const Case& c = GetParam();
    mpaprofile::profile_engine engine(Parse(std::string("[profile]\nname = t\n") + c.rule + "\n"));
    for (const auto& f : c.findings) engine.on_finding(f);
    for (std::int64_t n = 0; n < 5; ++n) {
        frame_facts facts = Frame(n);
        if (c.edit != nullptr && (n == 2 || n == 3)) c.edit(facts);
        engine.on_frame(facts);
    }
    engine.finish(Summary(c.variable));
    ASSERT_EQ(engine.results().size(), 1u);
    const auto& result = engine.results()[0];
    EXPECT_EQ(result.passed, c.passed);
    EXPECT_EQ(result.count, c.count);
    EXPECT_EQ(result.detail, c.detail);
    EXPECT_LE(result.positions.size(), static_cast<std::size_t>(mpaprofile::kKeptPositions));
    if (!c.passed && c.edit != nullptr && c.count == 2) {
        // Frames 2 and 3 differ: a change rule breaks where they start and where they end.
        const int second = std::string(c.name).find("change") != std::string::npos ? 4 : 3;
        ASSERT_EQ(result.positions.size(), 2u);
        EXPECT_EQ(result.positions[0].frame, 2);
        EXPECT_EQ(result.positions[0].offset, 2u * 576u);
        EXPECT_DOUBLE_EQ(result.positions[1].time, second * 0.024);
    }
}

INSTANTIATE_TEST_SUITE_P(Rules, RuleCase, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

// A Xing header that declares 100 frames of 1152 samples at 44.1 kHz.
TEST(DurationDrift, ComparesTheDeclaredCountWithTheFramesFound) {
    struct DriftCase {
        finding_kind kind;
        std::int64_t counted;
        double limit;
        bool passed;
    };
    const DriftCase cases[] = {{finding_kind::stream_truncated, 98, 0.1, true},
                               {finding_kind::stream_truncated, 90, 0.1, false},
                               {finding_kind::stream_appended, 105, 0.1, false},
                               {finding_kind::stream_appended, 105, 0.2, true}};
    for (const DriftCase& c : cases) {
        mpaprofile::profile_engine engine(
            Parse("[profile]\nname = t\n[duration-drift]\nmax-seconds = " + std::to_string(c.limit) + "\n"));
        mpacheck::finding f = Finding(c.kind, c.counted, 0, "Xing");
        f.expected = 100;
        f.actual = c.counted;
        engine.on_finding(f);
        mpacheck::summary s = Summary(true);
        s.layer = 3;
        s.sampling_rate = 44100;
        engine.finish(s);
        const auto& result = engine.results()[0];
        const double drift = static_cast<double>(std::llabs(100 - c.counted)) * 1152 / 44100;
        EXPECT_NEAR(result.measure, drift, 1e-9);
        EXPECT_EQ(result.passed, c.passed) << c.counted;
        if (!c.passed) {
            EXPECT_NE(result.detail.find("differs from the Xing header by"), std::string::npos) << result.detail;
        }
    }
    // Without a VBR header there is nothing to drift from.
    mpaprofile::profile_engine engine(Parse("[profile]\nname = t\n[duration-drift]\nmax-seconds = 0\n"));
    engine.finish(Summary(false));
    EXPECT_TRUE(engine.results()[0].passed);
}

TEST(Verdict, ListsTheBrokenRulesBySeverity) {
    mpaprofile::profile_engine engine(Parse(
        "[profile]\nname = t\n[crc]\nrequired = yes\n[bitrates]\nallowed = 192\n[emphasis]\nallowed = none\n"
        "severity = warning\n[layers]\nallowed = 2\n"));
    for (std::int64_t n = 0; n < 20; ++n) {
        frame_facts f = Frame(n);
        f.crc_present = n % 2 == 0;
        if (n == 7) f.bitrate = 256000;
        if (n == 9) f.emphasis = 3;
        engine.on_frame(f);
    }
    engine.finish(Summary(true));
    const auto v = mpaprofile::summarize(engine.results());
    EXPECT_FALSE(v.passed);
    EXPECT_EQ(v.line,
              "FAIL: 2 errors (CRC missing in 10 frames, bitrate 256 not allowed in 1 frame); "
              "1 warning (emphasis ccitt-j17 not allowed in 1 frame)");
    EXPECT_EQ(engine.results()[0].positions.size(), static_cast<std::size_t>(mpaprofile::kKeptPositions));
    EXPECT_EQ(engine.results()[0].positions.back().frame, 15);
    EXPECT_TRUE(mpaprofile::broke_at_least(engine.results(), mpacheck::severity::warning));
    EXPECT_TRUE(mpaprofile::broke_at_least(engine.results(), mpacheck::severity::error));

    mpaprofile::profile_engine clean(Parse("[profile]\nname = t\n[emphasis]\nallowed = none\nseverity = info\n"));
    frame_facts f = Frame(0);
    clean.on_frame(f);
    f.emphasis = 1;
    clean.on_frame(f);
    clean.finish(Summary(false));
    const auto passed = mpaprofile::summarize(clean.results());
    EXPECT_TRUE(passed.passed);
    EXPECT_EQ(passed.line, "PASS with 1 info (emphasis 50/15 not allowed in 1 frame)");
    EXPECT_FALSE(mpaprofile::broke_at_least(clean.results(), mpacheck::severity::warning));
    EXPECT_TRUE(mpaprofile::broke_at_least(clean.results(), mpacheck::severity::info));
}

}  // namespace
