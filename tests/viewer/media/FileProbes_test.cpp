// The probes that open the file themselves: the box walk, the transport and
// program stream probes with their read bounds, and the RIFF form checks.

#include <gtest/gtest.h>

#include "platform/debug_output.h"
#include "tests/support/container_images.h"
#include "tests/support/temp_dir.h"
#include "viewer/media/MediaUtils.h"

namespace {

using testsupport::BoxSpec;
using testsupport::Bytes;

BoxSpec Box(const char* type, std::size_t payload = 16) { return {type, payload, false, std::nullopt}; }

BoxSpec SizedBox(const char* type, std::uint64_t declared, bool largeSize = false) {
    return {type, 0, largeSize, declared};
}

std::vector<BoxSpec> Chain(int junk, std::initializer_list<BoxSpec> tail) {
    auto boxes = testsupport::JunkBoxes(junk);
    boxes.insert(boxes.end(), tail.begin(), tail.end());
    return boxes;
}

class BoxWalk : public testing::Test {
protected:
    bool Walk(const std::vector<BoxSpec>& boxes, const Bytes& tail = {}) {
        Bytes bytes = testsupport::MakeBoxChain(boxes);
        testsupport::Append(bytes, tail);
        return IsQT(dir_.Write("movie.mp4", bytes));
    }

    testsupport::TempDir dir_;
    platform::DebugLineCapture capture_;
};

TEST_F(BoxWalk, MovieOrDataBoxAnywhereInTheFirstThirtyOne) {
    EXPECT_TRUE(Walk({Box("mdat")}));
    EXPECT_TRUE(Walk(Chain(1, {Box("moov"), Box("mdat")})));
    EXPECT_TRUE(Walk(Chain(30, {Box("moov")})));
    EXPECT_FALSE(Walk(Chain(31, {Box("moov"), Box("mdat")})));
    EXPECT_FALSE(Walk(Chain(5, {Box("trak"), Box("free")})));
    EXPECT_TRUE(capture_.Lines().empty());
}

TEST_F(BoxWalk, MovieBoxIsRecognisedByItsHeaderAlone) {
    EXPECT_TRUE(Walk(Chain(1, {SizedBox("moov", 1000000)})));  // its size points past the end
    EXPECT_TRUE(Walk(Chain(1, {}), {0x00, 0x00, 0x00, 0x10, 'm', 'o', 'o', 'v'}));
    EXPECT_FALSE(Walk(Chain(1, {}), {0x00, 0x00, 0x00, 0x10, 'm', 'o', 'o'}));
}

TEST_F(BoxWalk, LargeSizeIsFollowed) {
    EXPECT_TRUE(Walk(Chain(1, {{"free", 40, true, std::nullopt}, Box("moov")})));
    EXPECT_TRUE(Walk(Chain(1, {{"moov", 0, true, std::nullopt}})));
    // The large size of a box is read before its type counts.
    const Bytes cut = {0x00, 0x00, 0x00, 0x01, 'm', 'o', 'o', 'v', 0x00, 0x00, 0x00};
    EXPECT_FALSE(Walk(Chain(1, {}), cut));
}

TEST_F(BoxWalk, SizePastTheEndStopsTheWalk) {
    const Bytes moov = testsupport::MakeBoxChain({Box("moov")});
    EXPECT_TRUE(Walk({SizedBox("free", 8)}, moov));
    EXPECT_FALSE(Walk({SizedBox("free", 33)}, moov));  // one byte more than the file holds
    EXPECT_FALSE(Walk({SizedBox("free", ~std::uint64_t{0}, true)}, moov));
    EXPECT_FALSE(Walk({SizedBox("free", std::uint64_t{1} << 63, true)}, moov));
    EXPECT_FALSE(Walk({SizedBox("free", 0xFFFFFFFFu)}, moov));
    EXPECT_TRUE(capture_.Lines().empty());
}

TEST_F(BoxWalk, BoxEndingAtTheFileEndLeavesNothingToRead) {
    EXPECT_FALSE(Walk({Box("ftyp"), Box("free")}));
}

TEST_F(BoxWalk, ZeroOrTinySizesEndAtTheBoxLimit) {
    const Bytes moov = testsupport::MakeBoxChain({Box("moov")});
    EXPECT_FALSE(Walk({SizedBox("free", 0)}, moov));
    EXPECT_FALSE(Walk({SizedBox("free", 0, true)}, moov));
    // A size below the header length steps into the box's own header.
    Bytes overlapping = {0x00, 0x00, 0x00, 0x04};
    testsupport::Append(overlapping, moov);
    EXPECT_TRUE(IsQT(dir_.Write("overlap.mp4", overlapping)));
    EXPECT_TRUE(capture_.Lines().empty());
}

// ---------------------------------------------------------------- transport stream

struct TSProbeResult {
    bool found = false;
    std::int32_t packetSize = -1;
    std::int32_t syncOffset = -1;
};

class TransportStreamFile : public testing::Test {
protected:
    TSProbeResult Probe(const Bytes& bytes) {
        TSProbeResult result;
        result.found = IsTS(dir_.Write("stream.ts", bytes), result.packetSize, result.syncOffset);
        return result;
    }

    testsupport::TempDir dir_;
};

TEST_F(TransportStreamFile, EncoderOutputIsRecognised) {
    TSProbeResult result;
    ASSERT_TRUE(IsTS(testsupport::FixturePath("tone_l2.ts"), result.packetSize, result.syncOffset));
    EXPECT_EQ(result.packetSize, 188);
    EXPECT_EQ(result.syncOffset, 0);
}

TEST_F(TransportStreamFile, PartialFirstPacketIsSkipped) {
    const auto result = Probe(testsupport::MakeTransportStream({188, 40, 121}));
    ASSERT_TRUE(result.found);
    EXPECT_EQ(result.packetSize, 188);
    EXPECT_EQ(result.syncOffset, 121);
    const auto prefixed = Probe(testsupport::MakeTransportStream({192, 40, 50}));
    ASSERT_TRUE(prefixed.found);
    EXPECT_EQ(prefixed.packetSize, 192);
    EXPECT_EQ(prefixed.syncOffset, 54);
}

TEST_F(TransportStreamFile, OnlyTheFirst3072BytesCount) {
    // The first sync byte needs more than 1,880 bytes after it inside the
    // block read, however long the stream goes on.
    EXPECT_TRUE(Probe(testsupport::MakeTransportStream({188, 100, 3072 - 1881})).found);
    EXPECT_FALSE(Probe(testsupport::MakeTransportStream({188, 100, 3072 - 1880})).found);
}

TEST_F(TransportStreamFile, FailedSearchWritesNoLine) {
    platform::DebugLineCapture capture;
    EXPECT_FALSE(Probe(Bytes(5000, 0x47 ^ 0xFF)).found);
    EXPECT_FALSE(Probe(Bytes(1, 0x47)).found);
    EXPECT_TRUE(capture.Lines().empty());
}

// ---------------------------------------------------------------- program stream

class ProgramStreamFile : public testing::Test {
protected:
    bool Probe(const Bytes& bytes) { return IsPS(dir_.Write("stream.mpg", bytes)); }
    testsupport::TempDir dir_;
};

TEST_F(ProgramStreamFile, Mpeg2PacksAreRecognisedAndMpeg1PacksAreNot) {
    EXPECT_TRUE(Probe(testsupport::MakeProgramStream(testsupport::PackVersion::Mpeg2, 4)));
    EXPECT_FALSE(Probe(testsupport::MakeProgramStream(testsupport::PackVersion::Mpeg1, 4)));
    EXPECT_FALSE(IsPS(testsupport::FixturePath("tone_l2.mpg")));  // an MPEG-1 system stream
}

TEST_F(ProgramStreamFile, PackHeaderMustEndWithinTheFirst2048Bytes) {
    const Bytes pack = testsupport::MakePackHeader(testsupport::PackVersion::Mpeg2);
    Bytes justInside(2048 - 14, 0x00);
    testsupport::Append(justInside, pack);
    EXPECT_TRUE(Probe(justInside));
    Bytes straddling(2048 - 13, 0x00);
    testsupport::Append(straddling, pack);
    EXPECT_FALSE(Probe(straddling));
}

TEST_F(ProgramStreamFile, TinyFilesAreNothing) {
    platform::DebugLineCapture capture;
    EXPECT_FALSE(Probe({0x00, 0x00, 0x01}));
    EXPECT_FALSE(Probe({0x00, 0x00, 0x01, 0xBA}));
    EXPECT_TRUE(capture.Lines().empty());
}

// ---------------------------------------------------------------- RIFF

class RiffFile : public testing::Test {
protected:
    std::string Write(const Bytes& bytes) { return dir_.Write("file.riff", bytes); }
    testsupport::TempDir dir_;
};

TEST_F(RiffFile, FormTypeDecides) {
    const auto avi = Write(testsupport::MakeAviFile());
    EXPECT_TRUE(IsAVIFile(avi));
    EXPECT_FALSE(IsWAVEFile(avi));
    const auto wave = Write(testsupport::MakeWaveFile());
    EXPECT_TRUE(IsWAVEFile(wave));
    EXPECT_FALSE(IsAVIFile(wave));
}

TEST_F(RiffFile, TwelveBytesAreEnough) {
    EXPECT_TRUE(IsWAVEFile(Write(testsupport::MakeRiff("WAVE", {}))));
    EXPECT_TRUE(IsAVIFile(Write(testsupport::MakeRiff("AVI ", {}))));
    const Bytes cut = testsupport::MakeRiff("AVI ", {});
    EXPECT_FALSE(IsAVIFile(Write(Bytes(cut.begin(), cut.end() - 1))));
}

TEST_F(RiffFile, NearMissesAreRejected) {
    for (const char* form : {"AVI", "AVIX", "avi ", " AVI"}) {
        EXPECT_FALSE(IsAVIFile(Write(testsupport::MakeRiff(form, Bytes(8, 0x00))))) << form;
    }
    for (const char* form : {"WAV ", "wave", "WAVF"}) {
        EXPECT_FALSE(IsWAVEFile(Write(testsupport::MakeRiff(form, Bytes(8, 0x00))))) << form;
    }
    Bytes rifx = testsupport::MakeWaveFile();
    rifx[3] = 'X';
    EXPECT_FALSE(IsWAVEFile(Write(rifx)));
}

// ---------------------------------------------------------------- DV

TEST(DVFile, OnlyBoundariesInsideTheBlockReadCount) {
    testsupport::TempDir dir;
    const testsupport::DVImageSpec params{testsupport::DVSystem::Lines625Hz50, 2, 9};
    Bytes stream = testsupport::MakeDVStream(params);
    stream[8 * 144000] = 0x00;  // the ninth frame starts right after the 1,152,000 bytes read
    platform::SharedFile file;
    ASSERT_TRUE(file.Open(dir.Write("ninth.dv", stream)));
    EXPECT_TRUE(IsDV(file));
    stream[7 * 144000] = 0x00;
    ASSERT_TRUE(file.Open(dir.Write("eighth.dv", stream)));
    EXPECT_FALSE(IsDV(file));
}

}  // namespace
