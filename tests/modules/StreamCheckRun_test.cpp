// The stream checker within the validation run: Layer III, MPEG-2 and
// MPEG-2.5 files validated rather than refused, CRC damage of Layer II frames
// located beside the walker's events, tags reported as tags, and the
// checker's kinds switched on and off. FFmpeg's demuxer tells where the
// frames are; lame makes the tagged files.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "abi/QuillonControlInterface.h"
#include "modules/mpeg_audio_validator/AudioValidation.h"
#include "modules/mpeg_audio_validator/CheckerSwitches.h"
#include "modules/mpeg_audio_validator/EventMessages.h"
#include "tests/libs/mpacheck/check_driver.h"
#include "tests/modules/module_test_support.h"

namespace moduletest {
namespace {

using mpacheck::finding_kind;
using mpeg_audio_validation::EnabledKinds;
using testsupport::FixturePath;
using testsupport::TempDir;

std::vector<mpacheck::finding> FindingsOf(const Items& items, finding_kind kind) {
    std::vector<mpacheck::finding> found;
    for (const ValidationItem& item : items)
        if (item.finding && item.finding->kind == kind) found.push_back(*item.finding);
    return found;
}

// Warnings and errors, one line each.
std::string Problems(const Items& items) {
    std::string text;
    for (const ValidationItem& item : items)
        if (item.reportType != validation::kReportInfo) text += item.message + "\n";
    return text;
}

// A fixture's bytes and the offsets of its frames as FFmpeg's demuxer finds them.
struct Fixture {
    std::vector<std::uint64_t> frames;
    testsupport::Bytes bytes;
};

Fixture LoadFixture(const std::string& name) {
    const std::string path = FixturePath(name);
    return {checktest::PacketOffsets(path), testsupport::ReadFileBytes(path)};
}

struct OtherStream {
    const char* fixture;
    const char* summaryStart;
};

TEST(StreamCheckRun, LayerIIIAndLowSamplingRateStreamsAreValidatedNotRefused) {
    CHECKTEST_REQUIRE("ffprobe");
    static constexpr OtherStream kStreams[] = {
        {"tone_l3_44k_128k.mp3", "Stream: MPEG-1 Layer III, 44100 Hz, "},
        {"tone_l3_44k_crc.mp3", "Stream: MPEG-1 Layer III, 44100 Hz, "},
        {"crc_l3_lsf_22k_64k.mp3", "Stream: MPEG-2 Layer III, 22050 Hz, "},
        {"crc_l3_mpeg25_8k_mono.mp3", "Stream: MPEG-2.5 Layer III, 8000 Hz, single channel, "},
        {"crc_l2_lsf_24k_64k.mp2", "Stream: MPEG-2 Layer II, 24000 Hz, "},
    };
    for (const OtherStream& stream : kStreams) {
        SCOPED_TRACE(stream.fixture);
        const std::string path = FixturePath(stream.fixture);
        const Outcome o = Validate(path);
        EXPECT_EQ(o.result, RunResult::Completed);
        EXPECT_EQ(Problems(o.items), "");
        ASSERT_FALSE(o.items.empty());
        const std::string& summary = o.items.back().message;
        EXPECT_EQ(o.items.back().reportType, validation::kReportInfo);
        EXPECT_EQ(summary.rfind(stream.summaryStart, 0), 0u) << summary;
        const std::string frames = "Frames: " + std::to_string(checktest::PacketOffsets(path).size()) + ", ";
        EXPECT_NE(summary.find(frames), std::string::npos) << summary;
        EXPECT_EQ(Validate(path, {}, 4099).items, o.items);
    }
}

TEST(StreamCheckRun, DamagedLayerIIFramesGetCrcItemsWithTheirPositionsBesideTheWalkersEvents) {
    CHECKTEST_REQUIRE("ffprobe");
    auto [frames, bytes] = LoadFixture("crc_l2_48k_96k_dual.mp2");
    ASSERT_GT(frames.size(), 8u);
    // The first allocation byte, right after the header and the CRC word.
    for (const int frame : {3, 7}) bytes[frames[frame] + 6] ^= 0x10;
    const TempDir dir;
    const std::string damaged = dir.Write("damaged.mp2", bytes);

    const Outcome o = Validate(damaged);
    EXPECT_EQ(o.result, RunResult::Completed);
    const auto crc = FindingsOf(o.items, finding_kind::crc_mismatch);
    ASSERT_EQ(crc.size(), 2u) << Problems(o.items);
    for (std::size_t i = 0; i < crc.size(); ++i) {
        const std::int64_t frame = i == 0 ? 3 : 7;
        EXPECT_EQ(crc[i].frame, frame);
        EXPECT_EQ(crc[i].offset, frames[frame]);
    }
    const auto item = std::find_if(o.items.begin(), o.items.end(), [](const auto& i) { return i.finding.has_value(); });
    ASSERT_NE(item, o.items.end());
    EXPECT_EQ(item->reportType, validation::kReportError);
    EXPECT_EQ(item->message.rfind("Frame 3 at offset " + mpeg_audio_validation::HexOffset(static_cast<std::int64_t>(frames[3])) + " (0:00.", 0),
              0u)
        << item->message;
    EXPECT_EQ(o.items.back().message.rfind("Stream: MPEG-1 Layer II, 48000 Hz, 96 kbit/s", 0), 0u);
    EXPECT_NE(o.items.back().message.find(" Findings: 2 crc-mismatch."), std::string::npos) << o.items.back().message;
    // The same run in small chunks gives the same items in the same order.
    EXPECT_EQ(Validate(damaged, {}, 4099).items, o.items);

    EnabledKinds noCrc;
    ASSERT_TRUE(mpeg_audio_validation::DisableKindByName("crc-mismatch", noCrc));
    const Outcome off = Validate(damaged, noCrc);
    EXPECT_TRUE(FindingsOf(off.items, finding_kind::crc_mismatch).empty());
    EXPECT_EQ(off.items.back().message.find("Findings"), std::string::npos);
}

TEST(StreamCheckRun, AnMp3WithId3v2AndId3v1TagsGetsTagInfosAndNoJunk) {
    CHECKTEST_REQUIRE("lame");
    CHECKTEST_REQUIRE("ffmpeg");
    TempDir dir;
    const std::string tagged =
        checktest::Encode(dir, "lame", "-b 128 --add-id3v2 --tt Title --ta Artist", 44100, "tagged.mp3");
    const std::uint64_t size = testsupport::ReadFileBytes(tagged).size();
    const Outcome o = Validate(tagged);
    EXPECT_EQ(o.result, RunResult::Completed);
    EXPECT_EQ(Problems(o.items), "");
    const auto tags = FindingsOf(o.items, finding_kind::metadata);
    ASSERT_EQ(tags.size(), 2u);
    EXPECT_EQ(std::string(tags[0].label).rfind("ID3v2", 0), 0u) << tags[0].label;
    EXPECT_EQ(tags[0].offset, 0u);
    EXPECT_EQ(std::string(tags[1].label).rfind("ID3v1", 0), 0u) << tags[1].label;
    EXPECT_EQ(tags[1].offset, size - 128);
    for (const auto& item : o.items) {
        if (item.finding && item.finding->kind == finding_kind::metadata) {
            EXPECT_EQ(item.reportType, validation::kReportInfo) << item.message;
        }
    }
    EXPECT_NE(o.items.back().message.find(" Tags: ID3v2"), std::string::npos) << o.items.back().message;
}

// An ID3v2.3 header whose size (syncsafe, without the header) covers the
// padding that follows it.
testsupport::Bytes PaddedId3v2(std::uint32_t size) {
    testsupport::Bytes tag = {'I', 'D', '3', 3, 0, 0};
    for (const int shift : {21, 14, 7, 0}) tag.push_back(static_cast<std::uint8_t>(size >> shift & 0x7F));
    tag.resize(tag.size() + size, 0);
    return tag;
}

TEST(StreamCheckRun, AnMp3BehindATagLargerThanTheSniffedStartIsStillTheCheckers) {
    constexpr std::uint32_t kTagSize = 3 << 20;  // a cover picture's size
    testsupport::Bytes bytes = PaddedId3v2(kTagSize);
    const testsupport::Bytes mp3 = testsupport::ReadFileBytes(FixturePath("tone_l3_44k_128k.mp3"));
    bytes.insert(bytes.end(), mp3.begin(), mp3.end());
    const TempDir dir;
    const Outcome o = Validate(dir.Write("cover.mp3", bytes));
    EXPECT_EQ(o.result, RunResult::Completed);
    EXPECT_EQ(Problems(o.items), "");
    const auto tags = FindingsOf(o.items, finding_kind::metadata);
    ASSERT_EQ(tags.size(), 1u);
    EXPECT_EQ(tags[0].offset, 0u);
    EXPECT_EQ(tags[0].length, kTagSize + 10u);
    EXPECT_EQ(o.items.back().message.rfind("Stream: MPEG-1 Layer III, 44100 Hz, ", 0), 0u) << o.items.back().message;
}

TEST(StreamCheckRun, JunkInALayerIIIStreamIsTheCheckersAndFollowsTheJunkSwitch) {
    CHECKTEST_REQUIRE("ffprobe");
    auto [frames, bytes] = LoadFixture("tone_l3_44k_128k.mp3");
    ASSERT_GT(frames.size(), 12u);
    bytes.insert(bytes.begin() + static_cast<long>(frames[10]), 100, 0);
    const TempDir dir;
    const std::string junky = dir.Write("junky.mp3", bytes);

    const Outcome o = Validate(junky);
    EXPECT_EQ(o.result, RunResult::Completed);
    const auto junk = FindingsOf(o.items, finding_kind::junk);
    const auto lost = FindingsOf(o.items, finding_kind::sync_lost);
    ASSERT_EQ(junk.size() + lost.size(), 1u) << Problems(o.items);
    EXPECT_EQ((junk.empty() ? lost : junk)[0].offset, frames[10]);

    EnabledKinds noJunk;
    ASSERT_TRUE(mpeg_audio_validation::DisableKindByName("junk", noJunk));
    const Outcome off = Validate(junky, noJunk);
    EXPECT_TRUE(FindingsOf(off.items, finding_kind::junk).empty());
    EXPECT_TRUE(FindingsOf(off.items, finding_kind::sync_lost).empty());
}

TEST(StreamCheckRun, KindNamesSwitchTheWalkerOrTheChecker) {
    using mpeg_audio_validation::CheckerKindEnabled;
    using mpeg_audio_validation::DisableKindByName;
    EnabledKinds kinds;
    EXPECT_TRUE(CheckerKindEnabled(finding_kind::crc_mismatch, kinds));
    EXPECT_TRUE(DisableKindByName("crc-mismatch", kinds));
    EXPECT_FALSE(CheckerKindEnabled(finding_kind::crc_mismatch, kinds));
    EXPECT_EQ(kinds.walker, mpeg_audio_validation::kAllKinds);

    EXPECT_TRUE(DisableKindByName("layer-change", kinds));  // the checker's name of the walker's "layer"
    EXPECT_EQ(kinds.walker >> mpeg_audio_validation::KindCodeByName("layer") & 1u, 0u);
    EXPECT_FALSE(CheckerKindEnabled(finding_kind::layer_change, kinds));
    EXPECT_TRUE(CheckerKindEnabled(finding_kind::rate_change, kinds));

    for (const char* unknown : {"no-audio", "crc", ""}) EXPECT_FALSE(DisableKindByName(unknown, kinds)) << unknown;
}

}  // namespace
}  // namespace moduletest
