// The probes' byte-pattern scanners on blocks in memory. Every block is a
// vector of exactly the bytes under test, so that a read past its end shows
// up under the sanitizers.

#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>

#include "platform/debug_output.h"
#include "tests/support/container_images.h"
#include "tests/support/mpa_builder.h"
#include "viewer/media/MediaUtils.h"

namespace {

using testsupport::Bytes;

struct TSResult {
    bool found = false;
    std::int32_t packetSize = 0;
    std::int32_t syncOffset = -1;
};

TSResult FindPackets(const Bytes& data, int count = 10) {
    TSResult result;
    result.found = GetTSStreamTypeEx(data.data(), data.size(), count, result.packetSize, result.syncOffset);
    return result;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const auto& part : parts) testsupport::Append(all, part);
    return all;
}

Bytes Head(const Bytes& data, std::size_t count) { return Bytes(data.begin(), data.begin() + count); }

// ---------------------------------------------------------------- transport stream

class TransportPacketSize : public testing::TestWithParam<std::tuple<int, std::size_t>> {};

TEST_P(TransportPacketSize, RunIsFoundAtTheFirstSyncByteWithItsSpacing) {
    const auto [packetSize, leading] = GetParam();
    const testsupport::TSImageSpec params{packetSize, 16, leading};
    const auto result = FindPackets(testsupport::MakeTransportStream(params));
    ASSERT_TRUE(result.found);
    EXPECT_EQ(result.packetSize, packetSize);
    EXPECT_EQ(result.syncOffset, static_cast<std::int32_t>(testsupport::TSSyncOffset(params, 0)));
}

INSTANTIATE_TEST_SUITE_P(EverySize, TransportPacketSize,
                         testing::Combine(testing::Values(188, 192, 196, 204, 212),
                                          testing::Values(std::size_t{0}, std::size_t{37})));

TEST(GetTSStreamTypeEx, PrefixedPacketsReportTheSyncByteAfterThePrefix) {
    const auto result = FindPackets(testsupport::MakeTransportStream({192, 16, 0}));
    ASSERT_TRUE(result.found);
    EXPECT_EQ(result.packetSize, 192);
    EXPECT_EQ(result.syncOffset, 4);
}

TEST(GetTSStreamTypeEx, RunNeedsMoreThanCountTimes188BytesFromItsStart) {
    const Bytes packets = testsupport::MakeTransportStream({188, 10, 0});
    EXPECT_FALSE(FindPackets(packets).found);  // exactly 1,880 bytes remain
    Bytes longer = packets;
    longer.push_back(0x00);
    EXPECT_TRUE(FindPackets(longer).found);
}

TEST(GetTSStreamTypeEx, StraySyncByteCloseToTheEndEndsTheSearch) {
    // A real run starts at 10 with 1,905 bytes left; a stray 0x47 before it
    // with only 1,915 left rules out the larger sizes and ends the search.
    Bytes data = Concat({Bytes(10, 0x00), testsupport::MakeTransportStream({188, 10, 0}), Bytes(25, 0x00)});
    const auto clean = FindPackets(data);
    ASSERT_TRUE(clean.found);
    EXPECT_EQ(clean.syncOffset, 10);
    data[0] = 0x47;
    EXPECT_FALSE(FindPackets(data).found);
}

TEST(GetTSStreamTypeEx, TenRegularlySpacedSyncBytesAreEnough) {
    Bytes data(3072, 0x00);
    for (int i = 0; i < 10; ++i) data[100 + i * 204] = 0x47;
    const auto result = FindPackets(data);
    ASSERT_TRUE(result.found);
    EXPECT_EQ(result.packetSize, 204);
    EXPECT_EQ(result.syncOffset, 100);
    data[100 + 9 * 204] = 0x00;
    EXPECT_FALSE(FindPackets(data).found);
}

TEST(GetTSStreamTypeEx, CountDecidesTheRunLength) {
    Bytes data(400, 0x00);
    data[5] = 0x47;
    EXPECT_TRUE(FindPackets(data, 1).found);
    EXPECT_FALSE(FindPackets(data, 2).found);
    data[5 + 188] = 0x47;
    const auto two = FindPackets(data, 2);
    EXPECT_TRUE(two.found);
    EXPECT_EQ(two.syncOffset, 5);
}

TEST(GetTSStreamTypeEx, NoRunOfZeroOrFewerPacketsAndTheOffsetIsCleared) {
    const Bytes data = testsupport::MakeTransportStream({188, 16, 3});
    for (int count : {0, -1, -2147483647}) {
        const auto result = FindPackets(data, count);
        EXPECT_FALSE(result.found) << count;
        EXPECT_EQ(result.syncOffset, 0) << count;
    }
}

TEST(GetTSStreamTypeEx, MissingBufferIsAFailure) {
    platform::DebugLineCapture capture;
    std::int32_t size = 0;
    std::int32_t offset = 0;
    EXPECT_FALSE(GetTSStreamTypeEx(nullptr, 0, 10, size, offset));
    EXPECT_TRUE(capture.Lines().empty());
    EXPECT_FALSE(GetTSStreamTypeEx(nullptr, 4000, 10, size, offset));
    EXPECT_EQ(capture.Lines(), std::vector<std::string>{"dbg: Error in GetTSStreamTypeEx call..."});
}

// ---------------------------------------------------------------- program stream

TEST(ScanPS, Mpeg2PackIsFoundAnywhereAndMpeg1PackIsNot) {
    EXPECT_TRUE(ScanPS(testsupport::MakeProgramStream(testsupport::PackVersion::Mpeg2, 1).data(), 2048));
    const Bytes later = Concat({Bytes(301, 0xA5), testsupport::MakePackHeader(testsupport::PackVersion::Mpeg2)});
    EXPECT_TRUE(ScanPS(later.data(), later.size()));
    const Bytes mpeg1 = testsupport::MakeProgramStream(testsupport::PackVersion::Mpeg1, 1);
    EXPECT_FALSE(ScanPS(mpeg1.data(), mpeg1.size()));
}

TEST(ScanPS, PackHeaderMustLieWhollyInsideTheBlock) {
    const Bytes pack = testsupport::MakePackHeader(testsupport::PackVersion::Mpeg2);
    ASSERT_EQ(pack.size(), 14u);
    const Bytes whole = Concat({Bytes(20, 0x00), pack});
    EXPECT_TRUE(ScanPS(whole.data(), whole.size()));
    for (std::size_t cut = 1; cut <= 10; ++cut) {
        const Bytes truncated = Head(whole, whole.size() - cut);
        EXPECT_FALSE(ScanPS(truncated.data(), truncated.size())) << cut;
    }
    EXPECT_FALSE(ScanPS(pack.data(), 3));
}

// Byte of the pack header and the bits flipped in it.
class BrokenPackMarker : public testing::TestWithParam<std::tuple<std::size_t, std::uint8_t>> {};

TEST_P(BrokenPackMarker, RejectsThePack) {
    const auto [index, flip] = GetParam();
    Bytes stream = testsupport::MakeProgramStream(testsupport::PackVersion::Mpeg2, 1);
    ASSERT_TRUE(ScanPS(stream.data(), stream.size()));
    stream[index] ^= flip;
    EXPECT_FALSE(ScanPS(stream.data(), stream.size()));
}

INSTANTIATE_TEST_SUITE_P(EachMarker, BrokenPackMarker,
                         testing::Values(std::make_tuple(3, 0x01), std::make_tuple(4, 0x40),
                                         std::make_tuple(4, 0x80), std::make_tuple(4, 0x04),
                                         std::make_tuple(6, 0x04), std::make_tuple(8, 0x04),
                                         std::make_tuple(9, 0x01), std::make_tuple(12, 0x01),
                                         std::make_tuple(12, 0x02), std::make_tuple(13, 0x80),
                                         std::make_tuple(13, 0x08)));

// ---------------------------------------------------------------- DV

using testsupport::DVImageSpec;
using testsupport::DVSystem;

class DVLayout : public testing::TestWithParam<std::tuple<DVSystem, int>> {};

TEST_P(DVLayout, StandardTypeAndFrameSizeAreRecognised) {
    const auto [system, type] = GetParam();
    DVImageSpec params{system, type, 1};
    params.frameCount = static_cast<int>(1152000 / testsupport::DVFrameBytes(params)) + 1;
    const Bytes stream = testsupport::MakeDVStream(params);
    const int standard = system == DVSystem::Lines625Hz50 ? 1 : 2;
    EXPECT_EQ(GetDVVideoStandard(stream.data(), stream.size()), standard);
    EXPECT_EQ(GetDVVideoType(stream.data(), stream.size()), type);
    EXPECT_EQ(GetDVFrameSize(type, standard), static_cast<int>(testsupport::DVFrameBytes(params)));
    EXPECT_TRUE(ScanDV(stream.data(), stream.size()));
}

TEST_P(DVLayout, EveryFrameBoundaryMustCarryAHeader) {
    const auto [system, type] = GetParam();
    DVImageSpec params{system, type, 1};
    const std::size_t frameBytes = testsupport::DVFrameBytes(params);
    params.frameCount = static_cast<int>(1152000 / frameBytes) + 1;
    const Bytes stream = testsupport::MakeDVStream(params);
    for (int frame = 1; frame < params.frameCount; ++frame) {
        Bytes broken = stream;
        broken[frame * frameBytes + 2] = 0x01;
        EXPECT_FALSE(ScanDV(broken.data(), broken.size())) << "frame " << frame;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryStandardAndType, DVLayout,
                         testing::Combine(testing::Values(DVSystem::Lines625Hz50, DVSystem::Lines525Hz60),
                                          testing::Values(2, 3, 4)));

TEST(ScanDV, HeaderNeedsMoreThan300000BytesAfterIt) {
    const Bytes stream = testsupport::MakeDVStream({DVSystem::Lines625Hz50, 2, 3});
    const Bytes enough = Concat({Bytes(1000, 0x00), Head(stream, 300001)});
    EXPECT_TRUE(ScanDV(enough.data(), enough.size()));
    const Bytes tooShort = Concat({Bytes(1000, 0x00), Head(stream, 300000)});
    EXPECT_FALSE(ScanDV(tooShort.data(), tooShort.size()));
    const Bytes twoFrames = Head(stream, 288000);
    EXPECT_FALSE(ScanDV(twoFrames.data(), twoFrames.size()));
}

TEST(ScanDV, BoundaryIsCheckedOnlyWithMoreThanFourBytesAtIt) {
    Bytes stream = testsupport::MakeDVStream({DVSystem::Lines625Hz50, 2, 4});
    stream[3 * 144000 + 1] = 0x00;
    EXPECT_FALSE(ScanDV(stream.data(), 3 * 144000 + 5));
    EXPECT_TRUE(ScanDV(stream.data(), 3 * 144000 + 4));
}

TEST(ScanDV, FiftyHertzFlagIsIgnoredWhileSearching) {
    Bytes stream = testsupport::MakeDVStream({DVSystem::Lines625Hz50, 2, 4});
    stream[3] = 0x3F;  // the first header now says 525/60: a 120,000-byte spacing that does not fit
    EXPECT_EQ(GetDVVideoStandard(stream.data(), stream.size()), 2);
    EXPECT_FALSE(ScanDV(stream.data(), stream.size()));
    stream[3] = 0xBF;
    stream[144000 + 3] = 0x3F;  // later headers are only matched on the low seven bits
    EXPECT_TRUE(ScanDV(stream.data(), stream.size()));
}

TEST(GetDVVideoType, NeedsThreeHundredThousandBytes) {
    const Bytes stream = testsupport::MakeDVStream({DVSystem::Lines625Hz50, 2, 3});
    EXPECT_EQ(GetDVVideoType(stream.data(), 299999), 0);
    EXPECT_EQ(GetDVVideoType(stream.data(), 300000), 2);
}

TEST(GetDVVideoStandard, NeedsFourBytes) {
    const Bytes header = {0x1F, 0x07, 0x00, 0xBF};
    EXPECT_EQ(GetDVVideoStandard(header.data(), 3), 0);
    EXPECT_EQ(GetDVVideoStandard(header.data(), 4), 1);
}

TEST(GetDVFrameSize, BaseSizeTimesTheTypeFactor) {
    EXPECT_EQ(GetDVFrameSize(1, 1), 144000);
    EXPECT_EQ(GetDVFrameSize(2, 2), 120000);
    EXPECT_EQ(GetDVFrameSize(3, 2), 240000);
    EXPECT_EQ(GetDVFrameSize(4, 1), 576000);
    for (const auto& [type, standard] : {std::pair{0, 1}, {5, 1}, {-1, 2}, {2, 0}, {2, 3}}) {
        EXPECT_EQ(GetDVFrameSize(type, standard), 0) << type << "/" << standard;
    }
}

TEST(GetDVVideoType, MissingBytesAreAFailure) {
    platform::DebugLineCapture capture;
    EXPECT_EQ(GetDVVideoStandard(nullptr, 4), 0);
    EXPECT_EQ(GetDVVideoType(nullptr, 400000), 0);
    EXPECT_EQ(capture.Lines(), (std::vector<std::string>{"dbg: Error in GetDVVideoStandard call...",
                                                         "dbg: Error in GetDVVideoType call..."}));
}

// ---------------------------------------------------------------- MPEG-1/2 video

bool ScanMP2V(const Bytes& data) { return ::ScanMP2V(data.data(), data.size()); }

TEST(ScanMP2V, GroupFollowedByPictureAfterSequenceHeader) {
    EXPECT_TRUE(ScanMP2V(testsupport::MakeMP2VStream({})));
    EXPECT_FALSE(ScanMP2V(testsupport::MakeMP2VStream({false, 2, 0})));
}

TEST(ScanMP2V, GroupBeforeTheFirstSequenceHeaderIsIgnored) {
    using namespace testsupport;
    Bytes data = Concat({MP2VGroupHeader(), MP2VPictureHeader(), MP2VSlice(32), MP2VSequenceHeader(), MP2VSlice(32)});
    EXPECT_FALSE(ScanMP2V(data));
    Append(data, MP2VGroupHeader());
    Append(data, MP2VPictureHeader());
    EXPECT_TRUE(ScanMP2V(data));
}

TEST(ScanMP2V, UserDataBetweenGroupAndPicture) {
    EXPECT_TRUE(ScanMP2V(testsupport::MakeMP2VStream({true, 1, 1})));
    EXPECT_TRUE(ScanMP2V(testsupport::MakeMP2VStream({true, 1, 40})));
}

TEST(ScanMP2V, OtherCodeAfterUserDataContinuesTheScan) {
    using namespace testsupport;
    const Bytes extension = {0x00, 0x00, 0x01, 0xB5, 0x8F, 0xFF};
    Bytes data = Concat({MP2VSequenceHeader(), MP2VGroupHeader(), MP2VUserData(16), extension,
                         MP2VPictureHeader(), MP2VSlice(32)});
    EXPECT_FALSE(ScanMP2V(data));
    Append(data, MP2VGroupHeader());
    Append(data, MP2VPictureHeader());
    EXPECT_TRUE(ScanMP2V(data));
}

TEST(ScanMP2V, UserDataRunningToTheEndRejects) {
    using namespace testsupport;
    const Bytes data = Concat({MP2VSequenceHeader(), MP2VGroupHeader(), MP2VUserData(100)});
    EXPECT_FALSE(ScanMP2V(data));
    // A start code prefix whose code byte was not read is no start code.
    EXPECT_FALSE(ScanMP2V(Concat({data, {0x00, 0x00, 0x01}})));
    EXPECT_TRUE(ScanMP2V(Concat({data, {0x00, 0x00, 0x01, 0x00}})));
}

TEST(ScanMP2V, UserDataWithoutAFollowingCodeEndsTheScan) {
    // A second group hides in the first one's time code; its picture would
    // follow, but the first group's user data already ended the scan.
    using namespace testsupport;
    const Bytes nested = {0x00, 0x00, 0x01, 0xB8, 0x00, 0x00, 0x01, 0xB8,
                          0x00, 0x00, 0x01, 0xB2, 0x00, 0x00, 0x01, 0x00};
    EXPECT_FALSE(ScanMP2V(Concat({MP2VSequenceHeader(), nested})));
    Bytes withoutUserData = nested;
    withoutUserData[11] = 0xB5;
    EXPECT_TRUE(ScanMP2V(Concat({MP2VSequenceHeader(), withoutUserData})));
}

TEST(ScanMP2V, TwelveBytesMustRemainAtTheGroup) {
    using namespace testsupport;
    const Bytes data = Concat({MP2VSequenceHeader(), MP2VGroupHeader(), {0x00, 0x00, 0x01, 0x00}});
    EXPECT_TRUE(ScanMP2V(data));
    EXPECT_FALSE(ScanMP2V(Head(data, data.size() - 1)));
}

// ---------------------------------------------------------------- VC-1

bool ScanVC1(const Bytes& data) { return ::ScanVC1(data.data(), data.size()); }

TEST(ScanVC1, AdvancedProfileSequenceHeader) {
    EXPECT_TRUE(ScanVC1(testsupport::MakeVC1Stream({})));
    testsupport::VC1SequenceSpec highestLevel;
    highestLevel.level = 4;
    EXPECT_TRUE(ScanVC1(testsupport::MakeVC1Stream(highestLevel)));
}

TEST(ScanVC1, EachBrokenFieldRejects) {
    std::vector<testsupport::VC1SequenceSpec> broken(5);
    broken[0].profile = 2;
    broken[1].profile = 1;
    broken[2].level = 5;
    broken[3].chromaFormat = 2;
    broken[4].reservedBit = false;
    for (std::size_t i = 0; i < broken.size(); ++i) {
        EXPECT_FALSE(ScanVC1(testsupport::MakeVC1Stream(broken[i]))) << i;
    }
}

TEST(ScanVC1, LaterGoodHeaderIsFoundAfterABadOne) {
    testsupport::VC1SequenceSpec bad;
    bad.chromaFormat = 3;
    EXPECT_TRUE(ScanVC1(Concat({testsupport::MakeVC1Stream(bad), testsupport::MakeVC1Stream({})})));
}

TEST(ScanVC1, HeaderCutShortRejects) {
    const Bytes header = Concat({Bytes(7, 0x11), testsupport::MakeVC1SequenceHeader({})});
    EXPECT_TRUE(ScanVC1(Head(header, 7 + 10)));
    for (std::size_t kept = 4; kept < 10; ++kept) EXPECT_FALSE(ScanVC1(Head(header, 7 + kept))) << kept;
}

// ---------------------------------------------------------------- VC-3

bool ScanVC3(const Bytes& data) { return ::ScanVC3(data.data(), data.size()); }

using testsupport::VC3ImageSpec;

VC3ImageSpec InterlacedVC3(int frames) { return {1242, 606208, true, frames, 1920, 1080}; }

class VC3Compression : public testing::TestWithParam<VC3ImageSpec> {};

TEST_P(VC3Compression, FramesAreRecognised) { EXPECT_TRUE(ScanVC3(testsupport::MakeVC3Stream(GetParam()))); }

INSTANTIATE_TEST_SUITE_P(TableRows, VC3Compression,
                         testing::Values(VC3ImageSpec{1253, 188416, false, 2, 1920, 1080},
                                         VC3ImageSpec{1235, 917504, false, 2, 1920, 1080},
                                         VC3ImageSpec{1252, 303104, false, 2, 1280, 720},
                                         VC3ImageSpec{1241, 917504, true, 2, 1920, 1080},
                                         VC3ImageSpec{1242, 606208, true, 2, 1920, 1080}));

TEST(ScanVC3, CompressionIDOutsideTheTableIsNoFrame) {
    for (std::int32_t id : {1234, 1236, 1244, 0, -1}) {
        EXPECT_FALSE(ScanVC3(testsupport::MakeVC3Stream({id, 188416, false, 3, 1920, 1080}))) << id;
    }
}

TEST(ScanVC3, NextHeaderMustFollowWithinTheData) {
    const VC3ImageSpec params{1253, 188416, false, 2, 1920, 1080};
    const Bytes stream = testsupport::MakeVC3Stream(params);
    EXPECT_TRUE(ScanVC3(Head(stream, 188416 + 5)));
    EXPECT_FALSE(ScanVC3(Head(stream, 188416 + 4)));
    EXPECT_FALSE(ScanVC3(Head(stream, 43)));
}

TEST(ScanVC3, FieldCodeMustMatchTheScanType) {
    Bytes progressive = testsupport::MakeVC3Stream({1253, 188416, false, 2, 1920, 1080});
    progressive[5] = 0x02;
    EXPECT_FALSE(ScanVC3(progressive));

    const VC3ImageSpec params = InterlacedVC3(2);
    Bytes interlaced = testsupport::MakeVC3Stream(params);
    interlaced[testsupport::VC3HeaderOffset(params, 0, 1) + 5] = 0x02;
    EXPECT_FALSE(ScanVC3(interlaced));
}

TEST(ScanVC3, InterlacedFrameNeedsTheNextFrameAfterBothFields) {
    const VC3ImageSpec params = InterlacedVC3(2);
    const Bytes stream = testsupport::MakeVC3Stream(params);
    EXPECT_TRUE(ScanVC3(Head(stream, 606208 + 5)));
    Bytes noNext = Head(stream, 606208 + 5);
    noNext[606208 + 4] = 0x00;
    EXPECT_FALSE(ScanVC3(noNext));
}

TEST(ScanVC3, SecondFieldWithAnotherKnownCompressionEndsTheScan) {
    const VC3ImageSpec params = InterlacedVC3(3);
    Bytes stream = testsupport::MakeVC3Stream(params);
    const std::size_t idOffset = testsupport::VC3HeaderOffset(params, 0, 1) + 40;

    testsupport::PutBigEndian32(stream, idOffset, 9999);  // unknown: the scan goes on to frame 1
    EXPECT_TRUE(ScanVC3(stream));
    testsupport::PutBigEndian32(stream, idOffset, 1241);  // known but different: rejected at once
    EXPECT_FALSE(ScanVC3(stream));
}

TEST(GetVC3CompressionInfo, CopiesTheWholeRow) {
    TVC3CompressionInfo info{};
    ASSERT_TRUE(GetVC3CompressionInfo(1252, info));
    EXPECT_EQ(info.CompressionID, 1252);
    EXPECT_EQ(info.FrameSize, 303104);
    EXPECT_EQ(info.Width, 1280);
    EXPECT_EQ(info.Height, 720);
    EXPECT_EQ(info.Interlaced, 0);
    ASSERT_TRUE(GetVC3CompressionInfo(1243, info));
    EXPECT_EQ(info.FrameSize, 917504);
    EXPECT_EQ(info.Interlaced, 1);
    EXPECT_FALSE(GetVC3CompressionInfo(1240, info));
    EXPECT_EQ(info.CompressionID, 1243);
}

// ---------------------------------------------------------------- MPEG audio

using testsupport::MpaFrameSpec;
using testsupport::MpaVersion;

Bytes RepeatedHeader(const MpaFrameSpec& params, int count) {
    Bytes data(3, 0x00);
    for (int i = 0; i < count; ++i) testsupport::Append(data, testsupport::MakeHeader(params));
    data.push_back(0x00);
    return data;
}

bool ScanMPA(const Bytes& data) { return ScanMPAAllLayers(data.data(), data.size()); }

class MPAVersionAndLayer : public testing::TestWithParam<std::tuple<MpaVersion, int>> {};

TEST_P(MPAVersionAndLayer, FiveHeadersPassAndFourDoNot) {
    MpaFrameSpec params;
    params.version = std::get<0>(GetParam());
    params.layer = std::get<1>(GetParam());
    EXPECT_TRUE(ScanMPA(RepeatedHeader(params, 5)));
    EXPECT_FALSE(ScanMPA(RepeatedHeader(params, 4)));
}

INSTANTIATE_TEST_SUITE_P(AllLayers, MPAVersionAndLayer,
                         testing::Combine(testing::Values(MpaVersion::Mpeg1, MpaVersion::Mpeg2, MpaVersion::Mpeg25),
                                          testing::Values(testsupport::kMpaLayerI, testsupport::kMpaLayerII,
                                                          testsupport::kMpaLayerIII)));

TEST(ScanMPAAllLayers, ReservedFieldValuesAreNotCounted) {
    // The reserved version code 01 after the 11-bit sync.
    Bytes reservedVersion;
    for (int i = 0; i < 8; ++i) testsupport::Append(reservedVersion, Bytes{0xFF, 0xEC, 0x90, 0x00});
    reservedVersion.push_back(0x00);
    EXPECT_FALSE(ScanMPA(reservedVersion));
    MpaFrameSpec badBitrate;
    badBitrate.bitrateIndex = 15;
    MpaFrameSpec badSampling;
    badSampling.samplingIndex = 3;
    MpaFrameSpec badEmphasis;
    badEmphasis.emphasis = 2;
    for (const auto& params : {badBitrate, badSampling, badEmphasis}) {
        EXPECT_FALSE(ScanMPA(RepeatedHeader(params, 8)));
    }
}

TEST(ScanMPAAllLayers, OtherFieldValuesAreCounted) {
    MpaFrameSpec freeFormat;
    freeFormat.bitrateIndex = 0;
    MpaFrameSpec emphasis3;
    emphasis3.emphasis = 3;
    MpaFrameSpec reservedLayer;  // layer code 0 is judged by the same four conditions
    reservedLayer.layer = 0;
    for (const auto& params : {freeFormat, emphasis3, reservedLayer}) EXPECT_TRUE(ScanMPA(RepeatedHeader(params, 5)));
}

TEST(ScanMPAAllLayers, HeaderCutAtTheEndIsNotCounted) {
    Bytes data = RepeatedHeader(MpaFrameSpec{}, 5);
    data.erase(data.end() - 2, data.end());  // the fifth header loses its last byte
    EXPECT_FALSE(ScanMPA(data));
}

TEST(Scanners, NullOrTinyBlocksAreRejected) {
    const Bytes three = {0x00, 0x00, 0x01};
    for (const auto* data : {static_cast<const std::uint8_t*>(nullptr), three.data()}) {
        const std::size_t size = data == nullptr ? 0 : three.size();
        EXPECT_FALSE(ScanPS(data, size));
        EXPECT_FALSE(ScanDV(data, size));
        EXPECT_FALSE(::ScanMP2V(data, size));
        EXPECT_FALSE(::ScanVC1(data, size));
        EXPECT_FALSE(::ScanVC3(data, size));
        EXPECT_FALSE(ScanMPAAllLayers(data, size));
    }
}

}  // namespace
