// ValidateFile over streams with known faults, real encoder output, files
// that are no MPEG-1 Layer I/II audio, stops, and inputs larger than the
// validator's buffer.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "modules/mpeg_audio_validator/AudioValidation.h"
#include "modules/mpeg_audio_validator/EventMessages.h"
#include "tests/modules/module_test_support.h"
#include "tests/support/temp_dir.h"

namespace moduletest {
namespace {

using mpeg_audio_validation::HexOffset;
using mpeg_audio_validation::kAllKinds;
using mpeg_audio_validation::KindCodeByName;
using mpeg_audio_validation::kNotMpegAudioMessage;
using testsupport::FixturePath;
using testsupport::MpaFrameSpec;
using testsupport::MpaStreamBuilder;
using testsupport::TempDir;

std::size_t GoldenFrameCount(const std::string& csv) {
    std::ifstream in(FixturePath(csv));
    const auto lines = std::count(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>(), '\n');
    return static_cast<std::size_t>(lines) - 1;  // the header line
}

TEST(ValidateFile, ACleanEncoderStreamGivesOnlyItsSummary) {
    std::vector<std::uint64_t> done;
    std::uint64_t total = 0;
    Items items;
    mpeg_audio_validation::ValidationCallbacks callbacks;
    callbacks.report = [&](const ValidationItem& item) { items.push_back(item); };
    callbacks.progress = [&](std::uint64_t d, std::uint64_t t) {
        done.push_back(d);
        total = t;
    };
    const std::string path = FixturePath("tone_l2_44k_128k.mp2");
    ASSERT_EQ(mpeg_audio_validation::ValidateFile(path, kAllKinds, callbacks), RunResult::Completed);
    const std::string frames = std::to_string(GoldenFrameCount("tone_l2_44k_128k.ffprobe.csv"));
    // 144000 * 128 / 44100 bytes without the padding slot.
    EXPECT_EQ(items, (Items{{1,
                             "Stream: MPEG-1 Layer II, 44100 Hz, 128 kbit/s, frame size 417 bytes (first frame). "
                             "Frames: " +
                                 frames + " parsed, " + frames + " decoded, 0 with errors."}}));
    EXPECT_EQ(total, testsupport::ReadFileBytes(path).size());
    ASSERT_FALSE(done.empty());
    EXPECT_TRUE(std::is_sorted(done.begin(), done.end()));
    EXPECT_EQ(done.back(), total);
}

TEST(ValidateFile, JunkBitrateChangeAndPaddingAreReportedInStreamOrder) {
    const Outcome o = Validate(FaultyFixture());
    EXPECT_EQ(o.result, RunResult::Completed);
    EXPECT_EQ(o.items, FaultyFixtureItems());
}

TEST(ValidateFile, SwitchedOffKindsAreNotReported) {
    const std::string path = FaultyFixture();
    std::uint32_t kinds = kAllKinds;
    for (const char* name : {"junk", "padding", "framesize"}) kinds &= ~(1u << KindCodeByName(name));
    EXPECT_EQ(KindCodeByName("bitrate"), 16);
    EXPECT_EQ(KindCodeByName("no-such-kind"), -1);
    const Items all = FaultyFixtureItems();
    EXPECT_EQ(Validate(path, kinds).items, (Items{all[1], all.back()}));
    EXPECT_EQ(Validate(path, 0).items, (Items{all.back()}));
}

TEST(ValidateFile, TrailingJunkIsReportedWithWhereItStarts) {
    TempDir dir;
    MpaStreamBuilder b;
    b.Frames(MpaFrameSpec{}, 4).Junk(100, 0x55);
    const Outcome o = Validate(dir.Write("tail.mp2", b.Data()));
    ASSERT_EQ(o.items.size(), 2u);
    EXPECT_EQ(o.items[0], (ValidationItem{2, "100 bytes of junk at the end of the stream (from offset " +
                                                 HexOffset(4 * 384) + ")"}));
    EXPECT_EQ(o.items[1].reportType, 1);
}

TEST(ValidateFile, FilesWithoutLayerIOrIIAudioGiveOneClearError) {
    TempDir dir;
    const std::string text = dir.Write("notes.txt", testsupport::Bytes(3000, 'a'));
    const std::string empty = dir.Write("empty.mp2", {});
    const std::string tiny = dir.Write("tiny.mp2", {0xFF, 0xFD});
    for (const std::string& path : {text, empty, tiny}) {
        const Outcome o = Validate(path);
        EXPECT_EQ(o.result, RunResult::NotMpegAudio) << path;
        EXPECT_EQ(o.items, (Items{{3, kNotMpegAudioMessage}})) << path;
    }
}

TEST(ValidateFile, AFileThatCannotBeOpenedIsAnError) {
    TempDir dir;
    for (const std::string& path : {dir.File("missing.mp2"), dir.Path().string()}) {
        const Outcome o = Validate(path);
        EXPECT_EQ(o.result, RunResult::CannotOpen);
        EXPECT_EQ(o.items, (Items{{3, "Cannot open the file \"" + path + "\"."}}));
    }
}

TEST(ValidateFile, AStopEndsTheRunWithoutSummary) {
    TempDir dir;
    const std::string path = dir.Write("long.mp2", RepeatFixture("tone_l2_44k_128k.mp2", 2 << 20));
    int progressCalls = 0;
    Items items;
    mpeg_audio_validation::ValidationCallbacks callbacks;
    callbacks.report = [&](const ValidationItem& item) { items.push_back(item); };
    callbacks.progress = [&](std::uint64_t, std::uint64_t) { ++progressCalls; };
    callbacks.stopRequested = [&] { return progressCalls >= 1; };
    EXPECT_EQ(mpeg_audio_validation::ValidateFile(path, kAllKinds, callbacks), RunResult::Stopped);
    EXPECT_EQ(progressCalls, 1);
    EXPECT_TRUE(items.empty());
}

// Junk around the 512 KiB chunk borders and a bitrate change past the 5 MiB
// of the validator's input buffer.
TEST(ValidateFile, InputLargerThanTheValidatorsBufferLosesNothingHoweverCut) {
    // Layer I, 448 kbit/s at 32 kHz, single channel: 672-byte frames with the
    // fewest samples to decode per byte.
    MpaFrameSpec big;
    big.layer = testsupport::kMpaLayerI;
    big.bitrateIndex = 14;
    big.samplingIndex = 2;
    big.mode = testsupport::kMpaSingleChannel;
    MpaFrameSpec smaller = big;
    smaller.bitrateIndex = 13;
    MpaStreamBuilder b;
    std::vector<std::int64_t> junkAt;
    for (int part = 0; part < 12; ++part) {
        b.Frames(big, 780);
        junkAt.push_back(b.Size());
        b.Junk(7 + part, 0x00);
    }
    b.Frames(smaller, 2).Frames(big, 2);
    ASSERT_GT(b.Size(), 6 << 20);
    TempDir dir;
    const std::string path = dir.Write("large.mp2", b.Data());

    const Outcome usual = Validate(path);
    ASSERT_EQ(usual.result, RunResult::Completed);
    // junk, two bitrate and two frame size changes, undecodable frames, summary
    ASSERT_EQ(usual.items.size(), 12u + 4u + 1u + 1u);
    for (int part = 0; part < 12; ++part) {
        const std::int64_t frame = 780 * (part + 1);
        const std::int64_t end = junkAt[static_cast<std::size_t>(part)];
        const int junk = 7 + part;
        EXPECT_EQ(usual.items[static_cast<std::size_t>(part)].message,
                  "Frame " + std::to_string(frame) + " at offset " + HexOffset(end + junk) + ": " +
                      std::to_string(junk) + " bytes of junk before the frame (from offset " + HexOffset(end) + ")");
    }
    // 9364 frames examined; the decoder drops the 12 that junk follows.
    EXPECT_NE(usual.items.back().message.find("Frames: 9363 parsed, 9352 decoded, 11 with errors."),
              std::string::npos)
        << usual.items.back().message;
    const ValidationItem undecodable = usual.items[usual.items.size() - 2];
    EXPECT_EQ(undecodable.reportType, 3);
    EXPECT_EQ(undecodable.message,
              "11 frames could not be decoded; the summary below counts them as frames with errors.");
    const Items withoutCorrupted = Validate(path, kAllKinds & ~1u).items;
    ASSERT_EQ(withoutCorrupted.size(), usual.items.size() - 1);
    EXPECT_EQ(withoutCorrupted.back(), usual.items.back());
    // A few bytes at a time, and the whole file at once (more than the
    // validator's buffer takes in one call).
    EXPECT_EQ(Validate(path, kAllKinds, 4099).items, usual.items);
    EXPECT_EQ(Validate(path, kAllKinds, std::size_t{7} << 20).items, usual.items);
}

}  // namespace
}  // namespace moduletest
