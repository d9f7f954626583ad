#include "viewer/model/MPAUtils.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/debug_output.h"
#include "tests/support/mpa_builder.h"
#include "tests/support/temp_dir.h"

namespace {

using testsupport::Bytes;
using testsupport::MakeHeader;
using testsupport::MpaFrameSpec;
using testsupport::MpaStreamBuilder;
using testsupport::MpaVersion;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kInsufficientMemory = "dbg: Error in parse_mpa_frame - insufficient memory.";

MpaFrameSpec Params(int layer, int bitrateIndex, int samplingIndex, int padding = 0) {
    MpaFrameSpec params;
    params.layer = layer;
    params.bitrateIndex = bitrateIndex;
    params.samplingIndex = samplingIndex;
    params.padding = padding;
    return params;
}

// A copy of the first count bytes in a heap block of exactly that size, so
// that the sanitizer sees any read beyond it.
std::unique_ptr<std::uint8_t[]> ExactCopy(const Bytes& bytes, std::size_t count) {
    auto block = std::make_unique<std::uint8_t[]>(count);
    std::copy_n(bytes.begin(), count, block.get());
    return block;
}

TMPAHeader SentinelHeader() {
    TMPAHeader header;
    std::fill_n(reinterpret_cast<std::int32_t*>(&header), sizeof header / sizeof(std::int32_t), 0x5A5A);
    return header;
}

void ExpectFieldsOf(const TMPAHeader& header, const MpaFrameSpec& params) {
    EXPECT_EQ(header.syncword, 0xFFF);
    EXPECT_EQ(header.ID, params.version == MpaVersion::Mpeg1 ? 1 : 0);
    EXPECT_EQ(header.layer, params.layer);
    EXPECT_EQ(header.protection_bit, params.crc ? 0 : 1);
    EXPECT_EQ(header.bitrate_index, params.bitrateIndex);
    EXPECT_EQ(header.sampling_frequency, params.samplingIndex);
    EXPECT_EQ(header.padding_bit, params.padding);
    EXPECT_EQ(header.private_bit, params.privateBit);
    EXPECT_EQ(header.mode, params.mode);
    EXPECT_EQ(header.mode_extension, params.modeExtension);
    EXPECT_EQ(header.copyright, params.copyright);
    EXPECT_EQ(header.original_home, params.original);
    EXPECT_EQ(header.emphasis, params.emphasis);
}

// ---------------------------------------------------------------- parse_mpa_frame

TEST(ParseMpaFrame, DecodesEveryFieldAtItsBitPosition) {
    MpaFrameSpec ones = Params(kLayerI, 13, 2, 1);
    ones.privateBit = 1;
    ones.mode = 2;
    ones.modeExtension = 3;
    ones.copyright = 1;
    ones.emphasis = 3;
    MpaFrameSpec others = Params(kLayerIII, 2, 1, 0);
    others.mode = 1;
    others.modeExtension = 0;
    others.original = 1;
    others.emphasis = 1;
    for (const MpaFrameSpec& params : {ones, others}) {
        TMPAHeader header{};
        ASSERT_TRUE(parse_mpa_frame(MakeHeader(params).data(), 4, header));
        ExpectFieldsOf(header, params);
        EXPECT_EQ(header.crc_check, 0);
    }
}

TEST(ParseMpaFrame, DecodesEveryLayerBitrateAndSamplingIndex) {
    platform::DebugLineCapture capture;
    for (int layer = 0; layer <= 3; ++layer) {
        for (int bitrate = 0; bitrate <= 15; ++bitrate) {
            for (int sampling = 0; sampling <= 3; ++sampling) {
                const MpaFrameSpec params = Params(layer, bitrate, sampling, bitrate % 2);
                TMPAHeader header{};
                ASSERT_TRUE(parse_mpa_frame(MakeHeader(params).data(), 4, header));
                ExpectFieldsOf(header, params);
            }
        }
    }
    EXPECT_THAT(capture.Lines(), IsEmpty());
}

TEST(ParseMpaFrame, DecodesWithoutJudgingTheSyncWordOrVersion) {
    const Bytes bytes = {0x12, 0x35, 0x80, 0x00};
    TMPAHeader header{};
    ASSERT_TRUE(parse_mpa_frame(bytes.data(), bytes.size(), header));
    EXPECT_EQ(header.syncword, 0x123);
    EXPECT_EQ(header.ID, 0);
    EXPECT_EQ(header.layer, 2);
    EXPECT_EQ(header.protection_bit, 1);
    EXPECT_EQ(header.bitrate_index, 8);

    MpaFrameSpec lsf = Params(kLayerIII, 4, 1);
    lsf.version = MpaVersion::Mpeg2;
    ASSERT_TRUE(parse_mpa_frame(MakeHeader(lsf).data(), 4, header));
    ExpectFieldsOf(header, lsf);
}

TEST(ParseMpaFrame, FewerThanFourBytesLeaveTheRecordUntouched) {
    const Bytes header = MakeHeader(Params(kLayerII, 8, 1));
    for (std::size_t size = 0; size < 4; ++size) {
        SCOPED_TRACE(size);
        platform::DebugLineCapture capture;
        const auto block = ExactCopy(header, size);
        TMPAHeader decoded = SentinelHeader();
        EXPECT_FALSE(parse_mpa_frame(block.get(), size, decoded));
        const TMPAHeader sentinel = SentinelHeader();
        EXPECT_EQ(std::memcmp(&decoded, &sentinel, sizeof decoded), 0);
        EXPECT_THAT(capture.Lines(), ElementsAre(kInsufficientMemory));
    }
}

TEST(ParseMpaFrame, ReadsTheCrcWordOnlyWhenAnnounced) {
    MpaFrameSpec params = Params(kLayerII, 8, 1);
    Bytes bytes = MakeHeader(params);
    bytes.insert(bytes.end(), {0xBE, 0xEF});

    TMPAHeader unprotected{};
    ASSERT_TRUE(parse_mpa_frame(bytes.data(), bytes.size(), unprotected));
    EXPECT_EQ(unprotected.crc_check, 0);

    params.crc = true;
    const Bytes protectedHeader = MakeHeader(params);
    std::copy(protectedHeader.begin(), protectedHeader.end(), bytes.begin());
    TMPAHeader withCrc{};
    ASSERT_TRUE(parse_mpa_frame(bytes.data(), bytes.size(), withCrc));
    EXPECT_EQ(withCrc.crc_check, 0xBEEF);
    ExpectFieldsOf(withCrc, params);
}

TEST(ParseMpaFrame, AnnouncedCrcBeyondTheDataFailsWithTheFieldsFilled) {
    MpaFrameSpec params = Params(kLayerIII, 9, 0);
    params.crc = true;
    params.mode = 1;
    Bytes bytes = MakeHeader(params);
    bytes.push_back(0xAB);
    for (std::size_t size : {4u, 5u}) {
        SCOPED_TRACE(size);
        platform::DebugLineCapture capture;
        const auto block = ExactCopy(bytes, size);
        TMPAHeader header = SentinelHeader();
        EXPECT_FALSE(parse_mpa_frame(block.get(), size, header));
        ExpectFieldsOf(header, params);
        EXPECT_EQ(header.crc_check, 0x5A5A);
        EXPECT_THAT(capture.Lines(), IsEmpty());
    }
}

// ---------------------------------------------------------------- GetMPAFrameTime

TMPAFrame FrameOf(int layer, int bitrateIndex, int samplingIndex, int padding = 0) {
    TMPAFrame frame{};
    frame.Header.syncword = 0xFFF;
    frame.Header.ID = 1;
    frame.Header.protection_bit = 1;
    frame.Header.layer = layer;
    frame.Header.bitrate_index = bitrateIndex;
    frame.Header.sampling_frequency = samplingIndex;
    frame.Header.padding_bit = padding;
    return frame;
}

// Frame durations at 44100, 48000 and 32000 Hz.
constexpr int kLayerITimes[] = {9, 8, 12};
constexpr int kLayerIIandIIITimes[] = {26, 24, 36};

TEST(GetMPAFrameTime, LengthsFollowTheStandardForEveryBitrate) {
    for (int layer : {kLayerI, kLayerII, kLayerIII}) {
        for (int sampling = 0; sampling <= 2; ++sampling) {
            for (int bitrate = 1; bitrate <= 14; ++bitrate) {
                for (int padding = 0; padding <= 1; ++padding) {
                    SCOPED_TRACE(testing::Message() << "layer " << layer << " sampling " << sampling
                                                    << " bitrate " << bitrate << " padding " << padding);
                    TMPAFrame frame = FrameOf(layer, bitrate, sampling, padding);
                    ASSERT_TRUE(GetMPAFrameTime(frame));
                    EXPECT_EQ(frame.FrameLength, testsupport::FrameLength(Params(layer, bitrate, sampling, padding)));
                    const int* times = layer == kLayerI ? kLayerITimes : kLayerIIandIIITimes;
                    EXPECT_EQ(frame.FrameTime, times[sampling]);
                }
            }
        }
    }
}

TEST(GetMPAFrameTime, KnownFrames) {
    TMPAHeader header{};
    ASSERT_TRUE(parse_mpa_frame(Bytes{0xFF, 0xFB, 0x90, 0x64}.data(), 4, header));
    TMPAFrame frame{};
    frame.Header = header;
    ASSERT_TRUE(GetMPAFrameTime(frame));
    EXPECT_EQ(frame.FrameLength, 417);
    EXPECT_EQ(frame.FrameTime, 26);
    frame.Header.padding_bit = 1;
    ASSERT_TRUE(GetMPAFrameTime(frame));
    EXPECT_EQ(frame.FrameLength, 418);

    TMPAFrame layerII = FrameOf(kLayerII, 8, 1);
    ASSERT_TRUE(GetMPAFrameTime(layerII));
    EXPECT_EQ(layerII.FrameLength, 384);
    EXPECT_EQ(layerII.FrameTime, 24);

    TMPAFrame layerI = FrameOf(kLayerI, 1, 0);
    ASSERT_TRUE(GetMPAFrameTime(layerI));
    EXPECT_EQ(layerI.FrameLength, 32);
    EXPECT_EQ(layerI.FrameTime, 9);
    layerI.Header.padding_bit = 1;
    ASSERT_TRUE(GetMPAFrameTime(layerI));
    EXPECT_EQ(layerI.FrameLength, 36);

    // 48 kbit/s at 32000 Hz: 216 bytes exactly; 44100 Hz: 156.73 truncated.
    TMPAFrame exact = FrameOf(kLayerII, 2, 2);
    ASSERT_TRUE(GetMPAFrameTime(exact));
    EXPECT_EQ(exact.FrameLength, 216);
    TMPAFrame truncated = FrameOf(kLayerII, 2, 0);
    ASSERT_TRUE(GetMPAFrameTime(truncated));
    EXPECT_EQ(truncated.FrameLength, 156);
}

TEST(GetMPAFrameTime, FreeAndForbiddenBitratesGiveOnlyThePaddingSlot) {
    for (int bitrate : {0, 15}) {
        for (int layer : {kLayerI, kLayerII, kLayerIII}) {
            for (int padding = 0; padding <= 1; ++padding) {
                TMPAFrame frame = FrameOf(layer, bitrate, 0, padding);
                ASSERT_TRUE(GetMPAFrameTime(frame));
                EXPECT_EQ(frame.FrameLength, padding * (layer == kLayerI ? 4 : 1));
                EXPECT_EQ(frame.FrameTime, layer == kLayerI ? 9 : 26);
            }
        }
    }
}

TEST(GetMPAFrameTime, ReservedSamplingIndexFailsAndLeavesTheFields) {
    TMPAFrame frame = FrameOf(kLayerII, 8, 3);
    frame.FrameLength = 1234;
    frame.FrameTime = 77;
    EXPECT_FALSE(GetMPAFrameTime(frame));
    EXPECT_EQ(frame.FrameLength, 1234);
    EXPECT_EQ(frame.FrameTime, 77);

    TMPAFrame cleared = FrameOf(kLayerIII, 9, 3);
    EXPECT_FALSE(GetMPAFrameTime(cleared));
    EXPECT_EQ(cleared.FrameLength, 0);
    EXPECT_EQ(cleared.FrameTime, 0);
}

TEST(GetMPAFrameTime, ReservedLayerComputesNothing) {
    TMPAFrame frame = FrameOf(0, 8, 1, 1);
    EXPECT_TRUE(GetMPAFrameTime(frame));
    EXPECT_EQ(frame.FrameLength, 0);
    EXPECT_EQ(frame.FrameTime, 0);
}

// ---------------------------------------------------------------- MPAValidFramePoint

bool Usable(const MpaFrameSpec& params, std::int32_t layer = -1, std::int32_t sampling = -1) {
    const Bytes header = MakeHeader(params);
    return MPAValidFramePoint(header.data(), header.size(), layer, sampling);
}

TEST(MPAValidFramePoint, MpegOneHeadersAreUsableUnlessReservedOrZeroLength) {
    for (int layer = 0; layer <= 3; ++layer) {
        for (int bitrate = 0; bitrate <= 15; ++bitrate) {
            for (int sampling = 0; sampling <= 3; ++sampling) {
                for (int padding = 0; padding <= 1; ++padding) {
                    SCOPED_TRACE(testing::Message() << "layer " << layer << " bitrate " << bitrate
                                                    << " sampling " << sampling << " padding " << padding);
                    const bool hasLength = (bitrate != 0 && bitrate != 15) || padding == 1;
                    const bool expected = layer != 0 && sampling != 3 && hasLength;
                    EXPECT_EQ(Usable(Params(layer, bitrate, sampling, padding)), expected);
                }
            }
        }
    }
}

TEST(MPAValidFramePoint, LowerSamplingRateAndMpeg25HeadersAreNeverUsable) {
    for (MpaVersion version : {MpaVersion::Mpeg2, MpaVersion::Mpeg25}) {
        for (int layer = 1; layer <= 3; ++layer) {
            for (int bitrate = 0; bitrate <= 15; ++bitrate) {
                for (int sampling = 0; sampling <= 2; ++sampling) {
                    MpaFrameSpec params = Params(layer, bitrate, sampling, 1);
                    params.version = version;
                    EXPECT_FALSE(Usable(params)) << "layer " << layer << " bitrate " << bitrate;
                    EXPECT_FALSE(Usable(params, layer, sampling));
                }
            }
        }
    }
}

TEST(MPAValidFramePoint, NeedsTheTwelveBitSyncWord) {
    Bytes header = MakeHeader(Params(kLayerII, 8, 1));
    ASSERT_TRUE(MPAValidFramePoint(header.data(), 4, -1, -1));
    header[0] = 0xFE;
    EXPECT_FALSE(MPAValidFramePoint(header.data(), 4, -1, -1));
    header[0] = 0xFF;
    header[1] &= 0xEF;
    EXPECT_FALSE(MPAValidFramePoint(header.data(), 4, -1, -1));
}

TEST(MPAValidFramePoint, ExpectationsCompareLayerAndSamplingTogether) {
    const MpaFrameSpec layerII48k = Params(kLayerII, 8, 1);
    const MpaFrameSpec layerIII48k = Params(kLayerIII, 9, 1);
    const MpaFrameSpec layerII44k = Params(kLayerII, 8, 0);
    EXPECT_TRUE(Usable(layerII48k, kLayerII, 1));
    EXPECT_FALSE(Usable(layerIII48k, kLayerII, 1));
    EXPECT_FALSE(Usable(layerII44k, kLayerII, 1));
    // One negative expectation switches off both comparisons.
    EXPECT_TRUE(Usable(layerIII48k, kLayerII, -1));
    EXPECT_TRUE(Usable(layerII44k, -1, 1));
    EXPECT_TRUE(Usable(layerIII48k, -5, 0));
}

TEST(MPAValidFramePoint, ShortBuffersAreNotUsableWithoutReadingBeyondThem) {
    const Bytes header = MakeHeader(Params(kLayerII, 8, 1));
    for (std::size_t size = 0; size < 4; ++size) {
        SCOPED_TRACE(size);
        platform::DebugLineCapture capture;
        const auto block = ExactCopy(header, size);
        EXPECT_FALSE(MPAValidFramePoint(block.get(), size, -1, -1));
        EXPECT_FALSE(capture.Contains("dbg: Error in MPAValidFramePoint call..."));
    }
}

TEST(MPAValidFramePoint, FourBytesOfAProtectedHeaderAreJudgedByTheirFields) {
    MpaFrameSpec params = Params(kLayerII, 8, 1);
    params.crc = true;
    const auto block = ExactCopy(MakeHeader(params), 4);
    EXPECT_TRUE(MPAValidFramePoint(block.get(), 4, kLayerII, 1));
    EXPECT_FALSE(MPAValidFramePoint(block.get(), 4, kLayerIII, 1));
}

// ---------------------------------------------------------------- GetMPAESPackLength

TEST(GetMPAESPackLength, DistanceToTheNextHeaderIncludesJunk) {
    const MpaFrameSpec params = Params(kLayerII, 8, 1);
    MpaStreamBuilder stream;
    stream.Frame(params).Junk(37, 0x11).Frame(params);
    const Bytes& data = stream.Data();

    std::int32_t pack = -7;
    ASSERT_TRUE(GetMPAESPackLength(data.data(), data.size(), pack, 384, kLayerII, 1));
    EXPECT_EQ(pack, 384 + 37);
    ASSERT_TRUE(GetMPAESPackLength(data.data(), data.size(), pack, 384 + 37, -1, -1));
    EXPECT_EQ(pack, 384 + 37);
    // The search starts at the start offset itself.
    ASSERT_TRUE(GetMPAESPackLength(data.data(), data.size(), pack, 0, kLayerII, 1));
    EXPECT_EQ(pack, 0);
}

TEST(GetMPAESPackLength, SkipsHeadersThatMissTheExpectation) {
    MpaStreamBuilder stream;
    stream.Frame(Params(kLayerII, 8, 1)).Frame(Params(kLayerIII, 9, 1)).Frame(Params(kLayerII, 8, 1));
    const Bytes& data = stream.Data();
    const std::int64_t third = stream.FrameList()[2].offset;

    std::int32_t pack = 0;
    ASSERT_TRUE(GetMPAESPackLength(data.data(), data.size(), pack, 384, kLayerII, 1));
    EXPECT_EQ(pack, third);
    ASSERT_TRUE(GetMPAESPackLength(data.data(), data.size(), pack, 384, kLayerII, -1));
    EXPECT_EQ(pack, 384);
}

TEST(GetMPAESPackLength, NotFoundLeavesTheOutputUntouched) {
    const MpaFrameSpec params = Params(kLayerII, 8, 1);
    const Bytes header = MakeHeader(params);
    MpaStreamBuilder stream;
    stream.Frame(params).Raw(Bytes(header.begin(), header.begin() + 3));
    const Bytes& data = stream.Data();

    platform::DebugLineCapture capture;
    std::int32_t pack = -7;
    EXPECT_FALSE(GetMPAESPackLength(data.data(), data.size(), pack, 384, -1, -1));
    EXPECT_EQ(pack, -7);
    EXPECT_FALSE(GetMPAESPackLength(data.data(), 384, pack, 384, -1, -1));
    EXPECT_EQ(pack, -7);
    // Candidates need four bytes, so the short tail never reaches the decoder.
    EXPECT_THAT(capture.Lines(), IsEmpty());
}

TEST(GetMPAESPackLength, AHeaderInTheLastFourBytesIsFound) {
    MpaFrameSpec protectedSpec = Params(kLayerII, 8, 1);
    protectedSpec.crc = true;
    MpaStreamBuilder stream;
    stream.Frame(Params(kLayerII, 8, 1)).Junk(5, 0x22).Raw(MakeHeader(protectedSpec));
    const Bytes& data = stream.Data();
    std::int32_t pack = 0;
    ASSERT_TRUE(GetMPAESPackLength(data.data(), data.size(), pack, 384, kLayerII, 1));
    EXPECT_EQ(pack, 389);
}

TEST(GetMPAESPackLength, AFalseSyncBeforeTheStartOffsetIsNotSeen) {
    const MpaFrameSpec params = Params(kLayerII, 8, 1);
    const Bytes falseSync = MakeHeader(Params(kLayerII, 4, 1));
    Bytes body(64, 0x00);
    std::copy(falseSync.begin(), falseSync.end(), body.begin() + 40);
    MpaStreamBuilder stream;
    stream.Frame(params, 0x00, body).Frame(params);
    const Bytes& data = stream.Data();
    std::int32_t pack = 0;
    ASSERT_TRUE(GetMPAESPackLength(data.data(), data.size(), pack, 384, kLayerII, 1));
    EXPECT_EQ(pack, 384);
    ASSERT_TRUE(GetMPAESPackLength(data.data(), data.size(), pack, 1, kLayerII, 1));
    EXPECT_EQ(pack, 4 + 40);
}

// ---------------------------------------------------------------- IsMPAES

struct Vote {
    bool result;
    std::int32_t layer;
    std::int32_t sampling;
};

Vote VoteOn(const testsupport::TempDir& dir, const Bytes& bytes) {
    const std::string path = dir.Write("stream.bin", bytes);
    Vote vote{false, 99, 99};
    vote.result = IsMPAES(path, vote.layer, vote.sampling);
    return vote;
}

TEST(IsMPAES, DecidesTheLayerAndSamplingIndexOfAStream) {
    testsupport::TempDir dir;
    for (int layer : {kLayerI, kLayerII, kLayerIII}) {
        for (int sampling = 0; sampling <= 2; ++sampling) {
            MpaStreamBuilder stream;
            stream.Junk(10, 0x33).Frames(Params(layer, 5, sampling), 6);
            const Vote vote = VoteOn(dir, stream.Data());
            EXPECT_TRUE(vote.result);
            EXPECT_EQ(vote.layer, layer);
            EXPECT_EQ(vote.sampling, sampling);
        }
    }
}

TEST(IsMPAES, NothingToVoteOn) {
    testsupport::TempDir dir;
    const Bytes zeros(2 * kMPAESVoteWindow, 0x00);
    for (const Bytes& bytes : {Bytes{}, zeros}) {
        const Vote vote = VoteOn(dir, bytes);
        EXPECT_FALSE(vote.result);
        EXPECT_EQ(vote.layer, -1);
        EXPECT_EQ(vote.sampling, -1);
    }
}

TEST(IsMPAES, AMissingFileFailsWithADebugLine) {
    testsupport::TempDir dir;
    platform::DebugLineCapture capture;
    std::int32_t layer = 5;
    std::int32_t sampling = 5;
    EXPECT_FALSE(IsMPAES(dir.File("absent.mp2"), layer, sampling));
    EXPECT_EQ(layer, -1);
    EXPECT_EQ(sampling, -1);
    EXPECT_THAT(capture.Lines(), ElementsAre("dbg: Error in IsMPAES call..."));
}

TEST(IsMPAES, ALoneFrameCountsEvenWithoutAFollowingHeader) {
    testsupport::TempDir dir;
    MpaStreamBuilder stream;
    stream.Frame(Params(kLayerIII, 9, 2));
    const Vote vote = VoteOn(dir, stream.Data());
    EXPECT_TRUE(vote.result);
    EXPECT_EQ(vote.layer, kLayerIII);
    EXPECT_EQ(vote.sampling, 2);
}

TEST(IsMPAES, ATieLeavesThatValueUndecided) {
    testsupport::TempDir dir;
    MpaStreamBuilder layers;
    for (int i = 0; i < 4; ++i) layers.Frame(Params(kLayerII, 8, 0)).Frame(Params(kLayerIII, 9, 0));
    Vote vote = VoteOn(dir, layers.Data());
    EXPECT_FALSE(vote.result);
    EXPECT_EQ(vote.layer, -1);
    EXPECT_EQ(vote.sampling, 0);

    MpaStreamBuilder rates;
    rates.Frames(Params(kLayerI, 3, 0), 3).Frames(Params(kLayerI, 3, 2), 3).Frames(Params(kLayerI, 3, 1), 2);
    vote = VoteOn(dir, rates.Data());
    EXPECT_FALSE(vote.result);
    EXPECT_EQ(vote.layer, kLayerI);
    EXPECT_EQ(vote.sampling, -1);
}

TEST(IsMPAES, VotesOverExactlyTheFirstThirtyTwoFrames) {
    testsupport::TempDir dir;
    // 16 against 16 is a tie; a 33rd frame would break it for Layer II, a
    // 31st-frame stop for Layer III.
    MpaStreamBuilder stream;
    stream.Frames(Params(kLayerIII, 9, 1), 16).Frames(Params(kLayerII, 8, 1), 30);
    const Vote vote = VoteOn(dir, stream.Data());
    EXPECT_FALSE(vote.result);
    EXPECT_EQ(vote.layer, -1);
    EXPECT_EQ(vote.sampling, 1);

    MpaStreamBuilder changesLate;
    changesLate.Frames(Params(kLayerII, 8, 1), 32).Frames(Params(kLayerIII, 9, 0), 100);
    const Vote late = VoteOn(dir, changesLate.Data());
    EXPECT_TRUE(late.result);
    EXPECT_EQ(late.layer, kLayerII);
    EXPECT_EQ(late.sampling, 1);
}

TEST(IsMPAES, ReadsOnlyTheFirstMebibyte) {
    testsupport::TempDir dir;
    MpaFrameSpec params = Params(kLayerII, 8, 1);
    for (std::size_t junk : {kMPAESVoteWindow - 4, kMPAESVoteWindow - 3}) {
        SCOPED_TRACE(junk);
        MpaStreamBuilder stream;
        stream.Junk(junk, 0x00).Frames(params, 3);
        const Vote vote = VoteOn(dir, stream.Data());
        const bool headerInside = junk + 4 <= kMPAESVoteWindow;
        EXPECT_EQ(vote.result, headerInside);
        EXPECT_EQ(vote.layer, headerInside ? kLayerII : -1);
        EXPECT_EQ(vote.sampling, headerInside ? 1 : -1);
    }
}

TEST(IsMPAES, HopsOverFalseSyncsInsideFrames) {
    testsupport::TempDir dir;
    const MpaFrameSpec params = Params(kLayerII, 8, 1);
    const Bytes falseSync = MakeHeader(Params(kLayerIII, 9, 0));
    Bytes body(40, 0x00);
    std::copy(falseSync.begin(), falseSync.end(), body.begin() + 20);
    MpaStreamBuilder stream;
    for (int i = 0; i < 3; ++i) stream.Frame(params, 0x00, body);
    const Vote vote = VoteOn(dir, stream.Data());
    EXPECT_TRUE(vote.result);
    EXPECT_EQ(vote.layer, kLayerII);
    EXPECT_EQ(vote.sampling, 1);
}

MpaFrameSpec VersionParams(MpaVersion version, int layer, int bitrateIndex, int samplingIndex) {
    MpaFrameSpec params = Params(layer, bitrateIndex, samplingIndex);
    params.version = version;
    return params;
}

// Each frame's body carries a header of another version (MPEG-1 Layer II at
// 48 kHz for the low sampling frequency streams, MPEG-2.5 for MPEG-1), so a
// vote that followed sync-like bytes of any version would lose the stream.
TEST(IsMPAES, DecidesTheVersionItsFramesHave) {
    testsupport::TempDir dir;
    const MpaFrameSpec mpeg1 = Params(kLayerII, 8, 1);
    const MpaFrameSpec mpeg25 = VersionParams(MpaVersion::Mpeg25, kLayerIII, 2, 2);
    const struct {
        MpaFrameSpec frame;
        MpaFrameSpec foreign;
        std::int32_t version;
    } cases[] = {
        {VersionParams(MpaVersion::Mpeg2, kLayerII, 8, 1), mpeg1, kMPEG2},
        {VersionParams(MpaVersion::Mpeg2, kLayerI, 6, 0), mpeg1, kMPEG2},
        {VersionParams(MpaVersion::Mpeg2, kLayerIII, 4, 0), mpeg1, kMPEG2},
        {VersionParams(MpaVersion::Mpeg25, kLayerIII, 2, 2), mpeg1, kMPEG25},
        {VersionParams(MpaVersion::Mpeg25, kLayerIII, 8, 0), mpeg1, kMPEG25},
        {Params(kLayerIII, 9, 0), mpeg25, kMPEG1},
    };
    for (const auto& c : cases) {
        const MpaFrameSpec& frame = c.frame;
        SCOPED_TRACE(testing::Message() << "version " << c.version << " layer " << frame.layer);
        Bytes body(24, 0x00);
        const Bytes foreign = MakeHeader(c.foreign);
        std::copy(foreign.begin(), foreign.end(), body.begin() + 8);
        MpaStreamBuilder stream;
        stream.Junk(3, 0x00);
        for (int i = 0; i < 12; ++i) stream.Frame(frame, 0x00, body);
        std::int32_t layer = 0;
        std::int32_t sampling = 0;
        std::int32_t version = 0;
        EXPECT_TRUE(IsMPAES(dir.Write("stream.bin", stream.Data()), layer, sampling, version));
        EXPECT_EQ(version, c.version);
        EXPECT_EQ(layer, frame.layer);
        EXPECT_EQ(sampling, frame.samplingIndex);
    }
}

TEST(IsMPAES, VotesFromTheFirstByteAfterALeadingTag) {
    testsupport::TempDir dir;
    // The tag is a mebibyte of MPEG-1 frames: counted, they would win the vote
    // and fill its window.
    MpaStreamBuilder tagBody;
    while (tagBody.Size() < static_cast<std::int64_t>(kMPAESVoteWindow)) tagBody.Frame(Params(kLayerII, 8, 1));
    const auto tagSize = static_cast<std::uint32_t>(tagBody.Size());
    Bytes bytes = {'I', 'D', '3', 4, 0, 0x10};
    for (int shift : {21, 14, 7, 0}) bytes.push_back(static_cast<std::uint8_t>(tagSize >> shift & 0x7F));
    bytes.insert(bytes.end(), tagBody.Data().begin(), tagBody.Data().end());
    const Bytes footer = {'3', 'D', 'I', 4, 0, 0x10, 0, 0, 0, 0};
    bytes.insert(bytes.end(), footer.begin(), footer.end());
    MpaStreamBuilder audio;
    audio.Frames(VersionParams(MpaVersion::Mpeg25, kLayerIII, 4, 1), 5);
    bytes.insert(bytes.end(), audio.Data().begin(), audio.Data().end());

    std::int32_t layer = 0;
    std::int32_t sampling = 0;
    std::int32_t version = 0;
    EXPECT_TRUE(IsMPAES(dir.Write("tagged.mp3", bytes), layer, sampling, version));
    EXPECT_EQ(version, kMPEG25);
    EXPECT_EQ(layer, kLayerIII);
    EXPECT_EQ(sampling, 1);
}

// Frame lengths and times of the low sampling frequency versions against the
// test-stream toolkit's own arithmetic, for every layer, rate and bitrate.
TEST(GetMPAFrameTime, LowSamplingFrequencyLengthsAndTimes) {
    for (MpaVersion version : {MpaVersion::Mpeg2, MpaVersion::Mpeg25}) {
        for (int layer : {kLayerI, kLayerII, kLayerIII}) {
            for (int sampling = 0; sampling <= 2; ++sampling) {
                for (int bitrate = 1; bitrate <= 14; ++bitrate) {
                    for (int padding = 0; padding <= 1; ++padding) {
                        MpaFrameSpec params = VersionParams(version, layer, bitrate, sampling);
                        params.padding = padding;
                        SCOPED_TRACE(testing::Message() << "layer " << layer << " sampling " << sampling
                                                        << " bitrate " << bitrate << " padding " << padding);
                        TMPAFrame frame{};
                        const Bytes header = MakeHeader(params);
                        ASSERT_TRUE(parse_mpa_frame(header.data(), header.size(), frame.Header));
                        ASSERT_TRUE(GetMPAFrameTime(frame));
                        EXPECT_EQ(frame.FrameLength, testsupport::FrameLength(params));
                        const int samples = layer == kLayerI ? 384 : layer == kLayerII ? 1152 : 576;
                        const int rate = testsupport::SamplingRateHz(params);
                        EXPECT_EQ(frame.FrameTime, (samples * 1000 + rate / 2) / rate);
                        EXPECT_TRUE(MPAValidFramePoint(header.data(), header.size(), layer, sampling,
                                                       MPAVersion(frame.Header)));
                    }
                }
            }
        }
    }
}

// ---------------------------------------------------------------- texts

TEST(MPATexts, LayerModeAndEmphasis) {
    EXPECT_EQ(MPALayerToStr(0), "Reserved");
    EXPECT_EQ(MPALayerToStr(1), "Layer III");
    EXPECT_EQ(MPALayerToStr(2), "Layer II");
    EXPECT_EQ(MPALayerToStr(3), "Layer I");
    EXPECT_EQ(MPALayerToStr(4), "Unknown");
    EXPECT_EQ(MPALayerToStr(-1), "Unknown");

    EXPECT_EQ(MPAModeToStr(0), "Stereo");
    EXPECT_EQ(MPAModeToStr(1), "Joint Stereo");
    EXPECT_EQ(MPAModeToStr(2), "Dual Channel");
    EXPECT_EQ(MPAModeToStr(3), "Single Channel");
    EXPECT_EQ(MPAModeToStr(4), "Unknown");
    EXPECT_EQ(MPAModeToStr(-1), "Unknown");

    EXPECT_EQ(MPAEmphasisToStr(0), "No Emphasis");
    EXPECT_EQ(MPAEmphasisToStr(1), "50/15 microsec. emphasis");
    EXPECT_EQ(MPAEmphasisToStr(2), "Reserved");
    EXPECT_EQ(MPAEmphasisToStr(3), "CCITT J.17");
    EXPECT_EQ(MPAEmphasisToStr(4), "Unknown");
    EXPECT_EQ(MPAEmphasisToStr(-1), "Unknown");
}

TEST(MPATexts, BitratesOfEveryLayer) {
    const std::vector<std::vector<const char*>> rows = {
        {"0", "32", "40", "48", "56", "64", "80", "96", "112", "128", "160", "192", "224", "256", "320", "0"},
        {"0", "32", "48", "56", "64", "80", "96", "112", "128", "160", "192", "224", "256", "320", "384", "0"},
        {"0", "32", "64", "96", "128", "160", "192", "224", "256", "288", "320", "352", "384", "416", "448", "0"},
    };
    for (int layer = 1; layer <= 3; ++layer) {
        for (int index = 0; index <= 15; ++index) {
            EXPECT_EQ(MPABitrateToStr(layer, index), std::string(rows[layer - 1][index]) + " kbps")
                << "layer " << layer << " index " << index;
        }
    }
}

TEST(MPATexts, SamplingRatesAndFrameTime) {
    EXPECT_EQ(MPASamplingRateToStr(0), "44100 Hz");
    EXPECT_EQ(MPASamplingRateToStr(1), "48000 Hz");
    EXPECT_EQ(MPASamplingRateToStr(2), "32000 Hz");
    EXPECT_EQ(MPASamplingRateToStr(3), "0 Hz");

    TMPAFrame frame{};
    EXPECT_EQ(MPAFrameTimeToStr(frame), "0 ms");
    frame.FrameTime = 26;
    EXPECT_EQ(MPAFrameTimeToStr(frame), "26 ms");
    frame.FrameTime = 1234;
    EXPECT_EQ(MPAFrameTimeToStr(frame), "1234 ms");
}

}  // namespace
