// The frame anatomy: frames whose audio data is written field by field here
// come back in the tree with exactly those values; CRC verdicts; a lame
// stream's main data spans fit the frames; today's tree without the bytes;
// the bytes the hex view highlights for chosen fields.

#include "viewer/model/FrameAnatomy.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "tests/libs/mpacheck/check_driver.h"
#include "tests/libs/mpadec/bit_writer.h"
#include "tests/support/mpa_builder.h"
#include "tests/support/temp_dir.h"
#include "viewer/model/FrameNavigator.h"
#include "viewer/model/HexFormat.h"

namespace {

using testsupport::Bytes;
using testsupport::MpaFrameSpec;
using Fields = std::vector<std::pair<std::string, int>>;

// Writes fields and remembers each under its path in the tree.
class FieldWriter {
public:
    explicit FieldWriter(unsigned seed) : random_(seed) {}
    int Put(const std::string& path, int bits, int value = -1) {
        if (value < 0) value = static_cast<int>(random_() % (1u << bits));
        bits_.Put(static_cast<std::uint32_t>(value), bits);
        fields_.emplace_back(path, value);
        return value;
    }
    int Random(int below) { return static_cast<int>(random_() % static_cast<unsigned>(below)); }
    [[nodiscard]] const Bytes& Data() const { return bits_.Bytes(); }
    [[nodiscard]] const Fields& Written() const { return fields_; }
    [[nodiscard]] std::size_t BitCount() const { return bits_.BitCount(); }

private:
    std::mt19937 random_;
    mpadec_test::BitWriter bits_;
    Fields fields_;
};

std::string Ix(std::initializer_list<int> indices) {
    std::string text;
    for (const int i : indices) text += "[" + std::to_string(i) + "]";
    return text;
}

// Layer III side information with the block shape of each granule and
// channel: 0 long blocks, 1-3 a window-switching block of that type, 4 a
// mixed short block.
void WriteSideInfo(FieldWriter& w, bool mpeg1, int channels, const std::vector<int>& shapes) {
    const std::string a = "audio_data()/";
    w.Put(a + "main_data_begin", mpeg1 ? 9 : 8, 0);
    w.Put(a + "private_bits", mpeg1 ? (channels == 1 ? 5 : 3) : channels);
    if (mpeg1)
        for (int ch = 0; ch < channels; ++ch)
            for (int band = 0; band < 4; ++band) w.Put(a + "scfsi" + Ix({ch, band}), 1);
    std::size_t shape = 0;
    for (int gr = 0; gr < (mpeg1 ? 2 : 1); ++gr) {
        for (int ch = 0; ch < channels; ++ch) {
            const std::string g = a + "granule" + Ix({gr}) + "/channel" + Ix({ch}) + "/";
            const int block = shapes[shape++ % shapes.size()];
            w.Put(g + "part2_3_length", 12, w.Random(200));
            w.Put(g + "big_values", 9);
            w.Put(g + "global_gain", 8);
            w.Put(g + "scalefac_compress", mpeg1 ? 4 : 9);
            w.Put(g + "window_switching_flag", 1, block != 0);
            if (block != 0) {
                w.Put(g + "block_type", 2, block == 4 ? 2 : block);
                w.Put(g + "mixed_block_flag", 1, block == 4);
                for (int r = 0; r < 2; ++r) w.Put(g + "table_select" + Ix({r}), 5);
                for (int s = 0; s < 3; ++s) w.Put(g + "subblock_gain" + Ix({s}), 3);
            } else {
                for (int r = 0; r < 3; ++r) w.Put(g + "table_select" + Ix({r}), 5);
                w.Put(g + "region0_count", 4);
                w.Put(g + "region1_count", 3);
            }
            if (mpeg1) w.Put(g + "preflag", 1);
            w.Put(g + "scalefac_scale", 1);
            w.Put(g + "count1table_select", 1);
        }
    }
}

// Joint stereo bound of Layers I and II for mode_extension.
int Bound(const MpaFrameSpec& frameShape, int limit) {
    return frameShape.mode == testsupport::kMpaJointStereo ? std::min(4 * (frameShape.modeExtension + 1), limit) : limit;
}

// Layer I: allocation and scale factors; returns the sample bits that follow.
int WriteLayer1(FieldWriter& w, const MpaFrameSpec& frameShape, int channels) {
    const std::string a = "audio_data()/";
    const int bound = Bound(frameShape, 32);
    int allocation[2][32] = {};
    for (int sb = 0; sb < 32; ++sb) {
        for (int ch = 0; ch < (sb < bound ? channels : 1); ++ch) {
            const int value = w.Put(a + "allocation/allocation" + (sb < bound ? Ix({ch, sb}) : Ix({sb})), 4,
                                    w.Random(3) == 0 ? 0 : w.Random(4));
            allocation[ch][sb] = value;
            if (sb >= bound) allocation[1][sb] = value;
        }
    }
    int samples = 0;
    for (int sb = 0; sb < 32; ++sb)
        for (int ch = 0; ch < channels; ++ch) {
            if (allocation[ch][sb] == 0) continue;
            w.Put(a + "scalefactor/scalefactor" + Ix({ch, sb}), 6);
            if (sb < bound || ch == 0) samples += 12 * (allocation[ch][sb] + 1);
        }
    return samples;
}

// Layer II at 48 kHz and 128 kbit/s stereo: table 3-B.2a, 27 subbands,
// allocation widths 4 (subbands 0-10), 3 (11-22) and 2 (23-26).
void WriteLayer2(FieldWriter& w, const MpaFrameSpec& frameShape) {
    const std::string a = "audio_data()/";
    w.Put(a + "allocation table", 0, 0);
    w.Put(a + "sblimit", 0, 27);
    const int bound = Bound(frameShape, 27);
    int allocation[2][27] = {};
    for (int sb = 0; sb < 27; ++sb) {
        const int width = sb <= 10 ? 4 : sb <= 22 ? 3 : 2;
        for (int ch = 0; ch < (sb < bound ? 2 : 1); ++ch) {
            const int value = w.Put(a + "allocation/allocation" + (sb < bound ? Ix({ch, sb}) : Ix({sb})), width,
                                    w.Random(2) * w.Random(1 << width));
            allocation[ch][sb] = value;
            if (sb >= bound) allocation[1][sb] = value;
        }
    }
    int scfsi[2][27] = {};
    for (int sb = 0; sb < 27; ++sb)
        for (int ch = 0; ch < 2; ++ch)
            if (allocation[ch][sb] != 0) scfsi[ch][sb] = w.Put(a + "scfsi/scfsi" + Ix({ch, sb}), 2);
    constexpr int kCount[4] = {3, 2, 1, 2};
    for (int sb = 0; sb < 27; ++sb)
        for (int ch = 0; ch < 2; ++ch)
            if (allocation[ch][sb] != 0)
                for (int i = 0; i < kCount[scfsi[ch][sb]]; ++i) w.Put(a + "scalefactor/scalefactor" + Ix({ch, sb, i}), 6);
}

struct Built {
    TFrameAnatomy anatomy;
    TFrameBytes bytes;
};

// Opens the stream from a file as the viewer does and builds the anatomy of
// the frame at offset.
Built AnatomyAt(const testsupport::TempDir& dir, const Bytes& stream, std::int64_t offset) {
    TFrameNavigator navigator;
    EXPECT_TRUE(navigator.OpenFile(dir.Write("stream.mpa", stream)));
    TMPAFrame frame{};
    Built built;
    EXPECT_TRUE(navigator.ReadFrameAt(offset, frame));
    EXPECT_TRUE(navigator.ReadFrameBytes(offset, built.bytes));
    built.anatomy = BuildFrameAnatomy(frame, 0, &built.bytes);
    return built;
}

std::string PathOf(const TFrameAnatomy& anatomy, std::size_t index) {
    std::string path = anatomy.Places[index].Name;
    for (int p = anatomy.Nodes[index].Parent; p >= 0 && anatomy.Nodes[static_cast<std::size_t>(p)].Parent >= 0;
         p = anatomy.Nodes[static_cast<std::size_t>(p)].Parent)
        path = anatomy.Places[static_cast<std::size_t>(p)].Name + "/" + path;
    return path;
}

// The lines under audio_data() that hold a value, as (path, value).
Fields AudioFields(const TFrameAnatomy& anatomy) {
    Fields fields;
    for (std::size_t i = 0; i < anatomy.Nodes.size(); ++i) {
        const std::string path = PathOf(anatomy, i);
        if (path.rfind("audio_data()/", 0) != 0 || anatomy.Places[i].Value.empty() ||
            anatomy.Places[i].Name == "main data")
            continue;
        const std::string& value = anatomy.Places[i].Value;
        fields.emplace_back(path, value == "3-B.2a" ? 0 : std::stoi(value));
    }
    return fields;
}

std::string ValueNamed(const TFrameAnatomy& anatomy, const std::string& path) {
    for (std::size_t i = 0; i < anatomy.Nodes.size(); ++i)
        if (PathOf(anatomy, i) == path) return anatomy.Places[i].Value;
    return "(none)";
}

struct AnatomyCase {
    const char* name;
    testsupport::MpaVersion version;
    int layer;
    int mode;
    int modeExtension;
    bool crc;
    std::vector<int> shapes;  // Layer III block shapes, see WriteSideInfo
};

class FrameAnatomyFields : public ::testing::TestWithParam<AnatomyCase> {};

TEST_P(FrameAnatomyFields, TheTreeShowsTheFieldsWritten) {
    const AnatomyCase& c = GetParam();
    MpaFrameSpec frameShape;
    frameShape.version = c.version;
    frameShape.layer = c.layer;
    frameShape.mode = c.mode;
    frameShape.modeExtension = c.modeExtension;
    frameShape.crc = c.crc;
    if (c.layer == testsupport::kMpaLayerIII) frameShape.bitrateIndex = 9;
    if (c.layer == testsupport::kMpaLayerI) frameShape.bitrateIndex = 14;
    const int channels = c.mode == testsupport::kMpaSingleChannel ? 1 : 2;
    FieldWriter w(17);
    int sampleBits = -1;
    if (c.layer == testsupport::kMpaLayerIII)
        WriteSideInfo(w, c.version == testsupport::MpaVersion::Mpeg1, channels, c.shapes);
    else if (c.layer == testsupport::kMpaLayerI)
        sampleBits = WriteLayer1(w, frameShape, channels);
    else
        WriteLayer2(w, frameShape);
    const Bytes frame = testsupport::MakeFrame(frameShape, 0x00, w.Data());
    const testsupport::TempDir dir;
    const Built built = AnatomyAt(dir, frame, 0);

    Fields expected = w.Written();
    if (c.layer == testsupport::kMpaLayerII) expected.erase(expected.begin(), expected.begin() + 2);
    Fields shown = AudioFields(built.anatomy);
    if (c.layer == testsupport::kMpaLayerII) {
        EXPECT_EQ(ValueNamed(built.anatomy, "audio_data()/allocation table"), "3-B.2a");
        EXPECT_EQ(ValueNamed(built.anatomy, "audio_data()/sblimit"), "27");
        shown.erase(shown.begin(), shown.begin() + 2);
    }
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(ValueNamed(built.anatomy, "error_check()/computed CRC").find("matches") != std::string::npos, c.crc);
    if (sampleBits >= 0) {
        const std::int64_t ancillary = static_cast<std::int64_t>(frame.size()) * 8 - (c.crc ? 48 : 32) -
                                       static_cast<std::int64_t>(w.BitCount()) - sampleBits;
        EXPECT_EQ(ValueNamed(built.anatomy, "ancillary_data()/length").rfind(std::to_string(ancillary) + " bits", 0), 0u)
            << ValueNamed(built.anatomy, "ancillary_data()/length");
    }
}

using testsupport::kMpaDualChannel;
using testsupport::kMpaJointStereo;
using testsupport::kMpaSingleChannel;
using testsupport::kMpaStereo;
using testsupport::MpaVersion;
INSTANTIATE_TEST_SUITE_P(
    Frames, FrameAnatomyFields,
    ::testing::Values(
        AnatomyCase{"L3LongBlocks", MpaVersion::Mpeg1, testsupport::kMpaLayerIII, kMpaStereo, 0, false, {0}},
        AnatomyCase{"L3EveryBlockType", MpaVersion::Mpeg1, testsupport::kMpaLayerIII, kMpaJointStereo, 2, true, {1, 2, 3, 4}},
        AnatomyCase{"L3MonoMixed", MpaVersion::Mpeg1, testsupport::kMpaLayerIII, kMpaSingleChannel, 0, true, {4, 0}},
        AnatomyCase{"L3LsfStereo", MpaVersion::Mpeg2, testsupport::kMpaLayerIII, kMpaStereo, 0, true, {2, 4}},
        AnatomyCase{"L3LsfMono", MpaVersion::Mpeg2, testsupport::kMpaLayerIII, kMpaSingleChannel, 0, false, {3}},
        AnatomyCase{"L3Mpeg25", MpaVersion::Mpeg25, testsupport::kMpaLayerIII, kMpaDualChannel, 0, false, {0, 1}},
        AnatomyCase{"L1Stereo", MpaVersion::Mpeg1, testsupport::kMpaLayerI, kMpaStereo, 0, true, {}},
        AnatomyCase{"L1JointBound8", MpaVersion::Mpeg1, testsupport::kMpaLayerI, kMpaJointStereo, 1, false, {}},
        AnatomyCase{"L2Stereo", MpaVersion::Mpeg1, testsupport::kMpaLayerII, kMpaStereo, 0, true, {}},
        AnatomyCase{"L2JointBound12", MpaVersion::Mpeg1, testsupport::kMpaLayerII, kMpaJointStereo, 2, false, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// Five CRC-protected frames, the CRC word of the third one flipped.
TEST(FrameAnatomyCrc, AFlippedCrcIsAMismatchOnThatFrameOnly) {
    for (const int layer : {testsupport::kMpaLayerI, testsupport::kMpaLayerII, testsupport::kMpaLayerIII}) {
        MpaFrameSpec frameShape;
        frameShape.layer = layer;
        frameShape.crc = true;
        testsupport::MpaStreamBuilder builder;
        for (int i = 0; i < 5; ++i) builder.Frame(frameShape, 0x00, Bytes(40, static_cast<std::uint8_t>(0x35 * (i + 1))));
        Bytes stream = builder.Data();
        stream[static_cast<std::size_t>(builder.FrameList()[2].offset) + 5] ^= 0x01;
        const testsupport::TempDir dir;
        for (int i = 0; i < 5; ++i) {
            const Built built = AnatomyAt(dir, stream, builder.FrameList()[static_cast<std::size_t>(i)].offset);
            const std::string verdict = ValueNamed(built.anatomy, "error_check()/computed CRC");
            EXPECT_NE(verdict.find(i == 2 ? " MISMATCH" : " matches"), std::string::npos) << layer << " " << i << verdict;
        }
    }
}

// Without the bytes, the nodes are today's header-only tree.
TEST(FrameAnatomyOff, WithoutBytesTheNodesAreTheHeaderTree) {
    MpaFrameSpec frameShape;
    frameShape.crc = true;
    for (const int layer : {testsupport::kMpaLayerI, testsupport::kMpaLayerII, testsupport::kMpaLayerIII}) {
        frameShape.layer = layer;
        const Bytes bytes = testsupport::MakeFrame(frameShape);
        TMPAFrame frame{};
        parse_mpa_frame(bytes.data(), bytes.size(), frame.Header);
        const TFrameAnatomy anatomy = BuildFrameAnatomy(frame, 120, nullptr);
        EXPECT_EQ(FrameDetailCopyText(anatomy.Nodes), FrameDetailCopyText(BuildFrameDetailNodes(frame, 120)));
        EXPECT_EQ(anatomy.Places.size(), anatomy.Nodes.size());
    }
}

// The bytes the hex view highlights: places from the standard's layout of an
// MPEG-1 Layer III stereo frame with a CRC word, at an odd offset.
TEST(FrameAnatomyHighlight, ChosenFieldsHighlightTheBytesTheyTouch) {
    MpaFrameSpec frameShape;
    frameShape.layer = testsupport::kMpaLayerIII;
    frameShape.bitrateIndex = 9;
    frameShape.crc = true;
    FieldWriter w(3);
    WriteSideInfo(w, true, 2, {0, 2});
    const Bytes junk(0x1235, 0x00);
    Bytes stream = junk;
    const Bytes frame = testsupport::MakeFrame(frameShape, 0x00, w.Data());
    stream.insert(stream.end(), frame.begin(), frame.end());
    const testsupport::TempDir dir;
    const Built built = AnatomyAt(dir, stream, 0x1235);
    struct Expected {
        std::string path;
        THexByteRange bytes;
    };
    // main_data_begin: bits 48-56; private_bits 57-59; granule 0 channel 1
    // starts at 48 + 20 + 59 = 127, its big_values at 139-147.
    const std::vector<Expected> expected = {{"header()/protection_bit", {0x1236, 1}},
                                            {"header()/sampling_frequency", {0x1237, 1}},
                                            {"error_check()/crc_check", {0x1239, 2}},
                                            {"audio_data()/main_data_begin", {0x123B, 2}},
                                            {"audio_data()/granule[0]/channel[1]/big_values", {0x1246, 2}}};
    for (const Expected& e : expected) {
        bool found = false;
        for (std::size_t i = 0; i < built.anatomy.Nodes.size(); ++i) {
            if (PathOf(built.anatomy, i) != e.path) continue;
            found = true;
            const TFieldPlace& place = built.anatomy.Places[i];
            EXPECT_EQ(HexFieldBytes(0x1235, place.BitOffset, place.BitWidth), e.bytes) << e.path;
        }
        EXPECT_TRUE(found) << e.path;
    }
    // big_values takes bytes 6 and 7 of the line at 0x1240.
    const THexByteRange bigValues = HexFieldBytes(0x1235, 139, 9);
    const auto lines = HexHighlights(0x1240, 32, bigValues.Start, bigValues.Length);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], (THexHighlight{0, kHexPrefixWidth + 3 * 6, 5, kHexTextColumn + 6, 2}));
}

// A lame stream: every audio frame's main data lies after the first audio
// frame's side information, ends inside its own frame and before the next
// frame's main data begins.
TEST(FrameAnatomyReservoir, LameMainDataFitsTheFrames) {
    CHECKTEST_REQUIRE("lame");
    CHECKTEST_REQUIRE("ffprobe");
    for (const char* arguments : {"-b 128", "-V 2 -p"}) {
        const testsupport::TempDir dir;
        const std::string path = checktest::Encode(dir, "lame", arguments, 44100, "lame.mp3");
        const auto offsets = checktest::PacketOffsets(path);
        ASSERT_GT(offsets.size(), 50u);
        TFrameNavigator navigator;
        ASSERT_TRUE(navigator.OpenFile(path));
        const auto firstOffset = static_cast<std::int64_t>(offsets.front());
        std::int64_t firstMainData = -1;
        std::int64_t previousEndBit = 0;
        for (std::size_t i = 0; i < offsets.size(); ++i) {
            TFrameBytes bytes;
            ASSERT_TRUE(navigator.ReadFrameBytes(static_cast<std::int64_t>(offsets[i]), bytes));
            const TMainDataSpan span = LocateMainData(bytes);
            ASSERT_TRUE(span.Resolved) << arguments << " frame " << i;
            if (firstMainData < 0) firstMainData = span.Start;
            EXPECT_GE(span.Start, firstOffset) << i;
            EXPECT_GE(span.Start, firstMainData) << i;
            EXPECT_GE(span.Start * 8, previousEndBit) << i;
            EXPECT_LE(span.EndBit, span.FrameEnd * 8) << i;
            if (i + 1 < offsets.size()) {
                EXPECT_EQ(span.FrameEnd, static_cast<std::int64_t>(offsets[i + 1])) << i;
                EXPECT_LE(span.EndBit, span.NextStart * 8) << i;
            }
            previousEndBit = span.EndBit;
        }
    }
}

}  // namespace
