// The profile text format: a profile with every rule kind reads back as
// written, every built-in reads, and malformed texts are refused with the
// line and column of the fault.

#include <gtest/gtest.h>

#include <variant>

#include "libs/mpaprofile/builtin_profiles.h"
#include "libs/mpaprofile/profile_parser.h"

namespace {

using mpaprofile::parse_error;
using mpaprofile::profile;
using mpaprofile::rule_kind;

constexpr std::string_view kEveryRule = R"(# a house profile
[profile]
name = house-rules
title = Our station's play-out
reference = the play-out handbook

[versions]
allowed = 1, 2.5
[layers]
allowed = II, 3
[sampling-rates]
allowed = 48000 , 32000
severity = warning
[bitrates]
allowed = 256, free
[bitrate-mode]
allowed = variable
[channel-modes]
allowed = joint-stereo, mono
[crc]
required = yes
message = we need CRCs, really
[emphasis]
allowed = none, ccitt-j17
[rate-change]
allowed = no
[mode-change]
allowed = yes
[bitrate-change]
allowed = no
severity = info
[junk]
max-bytes = 100
[metadata]
allowed = id3
[ancillary-data]
min-bits = 48
[scf-crc]
required = no
[duration-drift]
max-seconds = 0.25
[findings]
forbidden = crc-mismatch, music-crc
)";

const mpaprofile::rule& RuleOf(const profile& p, rule_kind kind) {
    for (const auto& r : p.rules)
        if (r.kind == kind) return r;
    throw std::runtime_error("rule missing");
}

TEST(ProfileText, EveryRuleKindReadsAsWritten) {
    const auto parsed = mpaprofile::parse_profile(kEveryRule);
    ASSERT_TRUE(std::holds_alternative<profile>(parsed)) << mpaprofile::format_error(std::get<parse_error>(parsed));
    const profile& p = std::get<profile>(parsed);
    EXPECT_EQ(p.name, "house-rules");
    EXPECT_EQ(p.title, "Our station's play-out");
    EXPECT_EQ(p.reference, "the play-out handbook");
    ASSERT_EQ(p.rules.size(), static_cast<std::size_t>(mpaprofile::kRuleKindCount));
    using V = std::vector<std::int32_t>;
    EXPECT_EQ(RuleOf(p, rule_kind::versions).allowed, (V{3, 0}));
    EXPECT_EQ(RuleOf(p, rule_kind::layers).allowed, (V{2, 3}));
    EXPECT_EQ(RuleOf(p, rule_kind::sampling_rates).allowed, (V{48000, 32000}));
    EXPECT_EQ(RuleOf(p, rule_kind::sampling_rates).level, mpacheck::severity::warning);
    EXPECT_EQ(RuleOf(p, rule_kind::bitrates).allowed, (V{256000, 0}));
    EXPECT_EQ(RuleOf(p, rule_kind::bitrate_mode).mode, mpaprofile::bitrate_mode::variable);
    EXPECT_EQ(RuleOf(p, rule_kind::channel_modes).allowed, (V{1, 3}));
    EXPECT_TRUE(RuleOf(p, rule_kind::crc).required);
    EXPECT_EQ(RuleOf(p, rule_kind::crc).message, "we need CRCs, really");
    EXPECT_EQ(RuleOf(p, rule_kind::crc).level, mpacheck::severity::error);
    EXPECT_EQ(RuleOf(p, rule_kind::emphasis).allowed, (V{0, 3}));
    EXPECT_TRUE(RuleOf(p, rule_kind::rate_change).required);
    EXPECT_FALSE(RuleOf(p, rule_kind::mode_change).required);
    EXPECT_EQ(RuleOf(p, rule_kind::bitrate_change).level, mpacheck::severity::info);
    EXPECT_EQ(RuleOf(p, rule_kind::junk).limit, 100);
    EXPECT_EQ(RuleOf(p, rule_kind::metadata).metadata, mpaprofile::metadata_policy::id3);
    EXPECT_EQ(RuleOf(p, rule_kind::ancillary_data).limit, 48);
    EXPECT_FALSE(RuleOf(p, rule_kind::scf_crc).required);
    EXPECT_DOUBLE_EQ(RuleOf(p, rule_kind::duration_drift).seconds, 0.25);
    EXPECT_EQ(RuleOf(p, rule_kind::findings).kinds,
              (1u << static_cast<int>(mpacheck::finding_kind::crc_mismatch)) |
                  (1u << static_cast<int>(mpacheck::finding_kind::music_crc)));
    EXPECT_EQ(RuleOf(p, rule_kind::junk).line, 32);
}

TEST(ProfileText, EveryBuiltinReadsAndCitesItsDocument) {
    ASSERT_EQ(mpaprofile::builtin_profiles().size(), 4u);
    for (const auto& builtin : mpaprofile::builtin_profiles()) {
        const auto parsed = mpaprofile::parse_profile(builtin.text);
        ASSERT_TRUE(std::holds_alternative<profile>(parsed))
            << builtin.name << ": " << mpaprofile::format_error(std::get<parse_error>(parsed));
        const profile& p = std::get<profile>(parsed);
        EXPECT_EQ(p.name, builtin.name);
        EXPECT_FALSE(p.reference.empty()) << builtin.name;
        EXPECT_TRUE(mpaprofile::find_builtin(builtin.name).has_value());
    }
    EXPECT_FALSE(mpaprofile::find_builtin("no-such-profile").has_value());
}

struct Malformed {
    const char* name;
    std::string text;
    int line;
    int column;
    const char* says;
};

const std::string kHead = "[profile]\nname = p\n";

const Malformed kMalformed[] = {
    {"unknown_rule", kHead + "[bitrate]\nallowed = 1\n", 3, 2, "unknown rule [bitrate]"},
    {"unclosed_section", kHead + "[crc\n", 3, 5, "closing ]"},
    {"no_equals", kHead + "[crc]\nrequired yes\n", 4, 1, "expected key = value"},
    {"bad_yes_no", kHead + "[crc]\nrequired = maybe\n", 4, 12, "yes or no"},
    {"bad_rate_in_list", kHead + "[sampling-rates]\nallowed = 48000, 47000\n", 4, 18, "\"47000\""},
    {"empty_list_item", kHead + "[layers]\nallowed = 2,,3\n", 4, 13, "empty item"},
    {"bad_bitrate", kHead + "[bitrates]\nallowed = 255\n", 4, 11, "bitrates"},
    {"bad_mode_word", kHead + "[channel-modes]\nallowed = stereo, quad\n", 4, 19, "channel modes"},
    {"bad_severity", kHead + "[crc]\nrequired = yes\nseverity = fatal\n", 5, 12, "error, warning or info"},
    {"wrong_key_for_rule", kHead + "[junk]\nallowed = 3\n", 4, 1, "it takes max-bytes"},
    {"negative_bytes", kHead + "[junk]\nmax-bytes = -1\n", 4, 13, "whole number"},
    {"bad_seconds", kHead + "[duration-drift]\nmax-seconds = soon\n", 4, 15, "seconds"},
    {"unknown_finding", kHead + "[findings]\nforbidden = crc-mismatch, gremlins\n", 4, 27, "finding kinds"},
    {"second_rule", kHead + "[crc]\nrequired = yes\n[crc]\nrequired = no\n", 5, 2, "a second [crc]"},
    {"second_value", kHead + "[crc]\nrequired = yes\nrequired = no\n", 5, 1, "a second required"},
    {"rule_without_value", kHead + "[crc]\nseverity = info\n[junk]\nmax-bytes = 0\n", 3, 2, "lacks its required"},
    {"last_rule_without_value", kHead + "[metadata]\nmessage = hi\n", 3, 2, "lacks its allowed"},
    {"key_before_section", "name = p\n", 1, 1, "outside a section"},
    {"no_profile_section", "[crc]\nrequired = yes\n", 1, 1, "[profile] section"},
    {"no_name", "[profile]\ntitle = t\n[crc]\nrequired = yes\n", 1, 1, "lacks its name"},
    {"bad_name", "[profile]\nname = My Profile\n", 2, 8, "lower-case"},
    {"no_rules", kHead, 3, 1, "no rules"},
    {"empty_value", kHead + "[crc]\nrequired =\n", 4, 11, "has no value"},
    {"control_byte", kHead + "[crc]\nrequired = y\x01s\n", 4, 13, "control character"},
    {"unknown_profile_key", "[profile]\nname = p\nowner = me\n", 3, 1, "unknown key owner"},
    {"too_large", std::string(mpaprofile::kMaxProfileBytes + 1, '#'), 1, 1, "larger than"},
};

class MalformedProfile : public ::testing::TestWithParam<Malformed> {};

TEST_P(MalformedProfile, IsRefusedWithLineAndColumn) {
    const Malformed& c = GetParam();
    const auto parsed = mpaprofile::parse_profile(c.text);
    ASSERT_TRUE(std::holds_alternative<parse_error>(parsed));
    const parse_error& error = std::get<parse_error>(parsed);
    EXPECT_EQ(error.line, c.line) << error.message;
    EXPECT_EQ(error.column, c.column) << error.message;
    EXPECT_NE(error.message.find(c.says), std::string::npos) << error.message;
    EXPECT_EQ(mpaprofile::format_error(error).rfind(std::to_string(c.line) + ":" + std::to_string(c.column) + ": ", 0),
              0u);
}

INSTANTIATE_TEST_SUITE_P(Texts, MalformedProfile, ::testing::ValuesIn(kMalformed),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ProfileText, ByteOrderMarkWindowsLineEndsAndCommentsAreAccepted) {
    const auto parsed = mpaprofile::parse_profile("\xEF\xBB\xBF; note\r\n[profile]\r\nname = p\r\n  # indented\r\n[crc]\r\nrequired = no\r\n");
    ASSERT_TRUE(std::holds_alternative<profile>(parsed));
    EXPECT_FALSE(std::get<profile>(parsed).rules.at(0).required);
}

}  // namespace
