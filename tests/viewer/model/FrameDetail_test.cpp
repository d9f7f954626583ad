#include "viewer/model/FrameDetail.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/mpa_builder.h"
#include "tests/support/temp_dir.h"
#include "viewer/model/FrameNavigator.h"

namespace {

using testsupport::Bytes;
using testsupport::MakeHeader;
using testsupport::MpaFrameSpec;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

constexpr int kFrame = 0;
constexpr int kHeader = 1;
constexpr int kErrorCheck = 15;

// Layer II, 128 kbit/s, 48 kHz, joint stereo, with a CRC word and every
// one-bit field set to something recognisable.
MpaFrameSpec ProtectedSpec() {
    MpaFrameSpec params;
    params.crc = true;
    params.padding = 1;
    params.privateBit = 1;
    params.mode = testsupport::kMpaJointStereo;
    params.modeExtension = 2;
    params.copyright = 1;
    params.original = 0;
    params.emphasis = 1;
    return params;
}

// Layer III, 320 kbit/s, 44.1 kHz, single channel, no CRC.
MpaFrameSpec UnprotectedSpec() {
    MpaFrameSpec params;
    params.layer = testsupport::kMpaLayerIII;
    params.bitrateIndex = 14;
    params.samplingIndex = 0;
    params.mode = testsupport::kMpaSingleChannel;
    params.original = 1;
    params.emphasis = 3;
    return params;
}

TMPAFrame FrameFromBytes(const Bytes& bytes) {
    TMPAFrame frame{};
    parse_mpa_frame(bytes.data(), bytes.size(), frame.Header);
    return frame;
}

std::vector<std::string> Texts(const std::vector<TFrameDetailNode>& nodes) {
    std::vector<std::string> texts;
    for (const auto& node : nodes) texts.push_back(node.Text);
    return texts;
}

const std::vector<std::string> kProtectedTexts = {
    "frame()",
    "header()",
    "syncword             : 0x0FFF (12 bits)",
    "ID                   : 1 (1 bit)",
    "layer                : 2 [Layer II] (2 bits)",
    "protection_bit       : 0 (1 bit)",
    "bitrate_index        : 8 [128 kbps] (4 bits)",
    "sampling_frequency   : 1 [48000 Hz] (2 bits)",
    "padding_bit          : 1 (1 bit)",
    "private_bit          : 1 (1 bit)",
    "mode                 : 1 [Joint Stereo] (2 bits)",
    "mode_extension       : 2 (2 bits)",
    "copyright            : 1 (1 bit)",
    "original / home      : 0 (1 bit)",
    "emphasis             : 1 [50/15 microsec. emphasis] (2 bits)",
    "error_check()",
    "crc_check            : 0xBEEF (16 bits)",
    "audio_data()",
    "ancillary_data()",
};

// ---------------------------------------------------------------- node texts

TEST(BuildFrameDetailNodes, ProtectedFrameSpellsOutEveryFieldAndTheCrc) {
    Bytes bytes = MakeHeader(ProtectedSpec());
    bytes.insert(bytes.end(), {0xBE, 0xEF});
    const auto nodes = BuildFrameDetailNodes(FrameFromBytes(bytes));
    EXPECT_THAT(Texts(nodes), ElementsAreArray(kProtectedTexts));
}

TEST(BuildFrameDetailNodes, ParentsFollowTheSyntax) {
    Bytes bytes = MakeHeader(ProtectedSpec());
    bytes.insert(bytes.end(), {0xBE, 0xEF});
    const auto nodes = BuildFrameDetailNodes(FrameFromBytes(bytes));
    ASSERT_EQ(nodes.size(), 19u);
    EXPECT_EQ(nodes[kFrame].Parent, -1);
    EXPECT_EQ(nodes[kHeader].Parent, kFrame);
    for (int field = 2; field <= 14; ++field) EXPECT_EQ(nodes[field].Parent, kHeader) << field;
    EXPECT_EQ(nodes[kErrorCheck].Parent, kFrame);
    EXPECT_EQ(nodes[16].Parent, kErrorCheck);
    EXPECT_EQ(nodes[17].Parent, kFrame);
    EXPECT_EQ(nodes[18].Parent, kFrame);
}

TEST(BuildFrameDetailNodes, SyntaxElementsAreBoldAndOnlyFrameAndHeaderOpen) {
    Bytes bytes = MakeHeader(ProtectedSpec());
    bytes.insert(bytes.end(), {0x00, 0x00});
    const auto nodes = BuildFrameDetailNodes(FrameFromBytes(bytes));
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const bool element = i == 0 || i == 1 || i == 15 || i == 17 || i == 18;
        EXPECT_EQ(nodes[i].Bold, element) << nodes[i].Text;
        EXPECT_EQ(nodes[i].Expanded, i == 0 || i == 1) << nodes[i].Text;
    }
}

TEST(BuildFrameDetailNodes, UnprotectedFrameHasAnEmptyErrorCheck) {
    const auto nodes = BuildFrameDetailNodes(FrameFromBytes(MakeHeader(UnprotectedSpec())));
    const std::vector<std::string> expected = {
        "frame()",
        "header()",
        "syncword             : 0x0FFF (12 bits)",
        "ID                   : 1 (1 bit)",
        "layer                : 1 [Layer III] (2 bits)",
        "protection_bit       : 1 (1 bit)",
        "bitrate_index        : 14 [320 kbps] (4 bits)",
        "sampling_frequency   : 0 [44100 Hz] (2 bits)",
        "padding_bit          : 0 (1 bit)",
        "private_bit          : 0 (1 bit)",
        "mode                 : 3 [Single Channel] (2 bits)",
        "mode_extension       : 0 (2 bits)",
        "copyright            : 0 (1 bit)",
        "original / home      : 1 (1 bit)",
        "emphasis             : 3 [CCITT J.17] (2 bits)",
        "error_check()",
        "audio_data()",
        "ancillary_data()",
    };
    EXPECT_THAT(Texts(nodes), ElementsAreArray(expected));
    for (const auto& node : nodes) {
        EXPECT_NE(node.Parent, kErrorCheck) << node.Text;
    }
}

TEST(BuildFrameDetailNodes, ShowsWhateverTheHeaderHolds) {
    // Not a usable header: the tree still shows its raw fields.
    const Bytes bytes = {0x12, 0x35, 0xFC, 0x00};
    const auto texts = Texts(BuildFrameDetailNodes(FrameFromBytes(bytes)));
    ASSERT_EQ(texts.size(), 18u);
    EXPECT_EQ(texts[2], "syncword             : 0x0123 (12 bits)");
    EXPECT_EQ(texts[3], "ID                   : 0 (1 bit)");
    EXPECT_EQ(texts[6], "bitrate_index        : 15 [0 kbps] (4 bits)");
    EXPECT_EQ(texts[7], "sampling_frequency   : 3 [0 Hz] (2 bits)");
}

// ---------------------------------------------------------------- frames read from a file

class FrameDetailFromFile : public ::testing::Test {
protected:
    TMPAFrame ReadAt(const Bytes& file, std::int64_t offset) {
        const std::string path = dir_.Write("stream.mp2", file);
        EXPECT_TRUE(navigator_.OpenFile(path));
        navigator_.SetExpectation(kLayerII, 1);
        TMPAFrame frame{};
        EXPECT_TRUE(navigator_.ReadFrameAt(offset, frame));
        return frame;
    }

    testsupport::TempDir dir_;
    TFrameNavigator navigator_;
};

TEST_F(FrameDetailFromFile, CrcCutOffAtTheEndOfTheFileShowsZero) {
    const Bytes frame = testsupport::MakeFrame(ProtectedSpec(), 0x55);
    for (const std::size_t tail : {4u, 5u}) {
        SCOPED_TRACE(tail);
        Bytes file = frame;
        file.insert(file.end(), frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(tail));
        const TMPAFrame last = ReadAt(file, static_cast<std::int64_t>(frame.size()));
        EXPECT_EQ(last.PackLength, 0);
        EXPECT_EQ(Texts(BuildFrameDetailNodes(last))[16], "crc_check            : 0x0000 (16 bits)");
    }
}

TEST_F(FrameDetailFromFile, CrcWithExactlySixBytesLeftIsRead) {
    const Bytes frame = testsupport::MakeFrame(ProtectedSpec(), 0x55);
    Bytes file = frame;
    const Bytes tail = MakeHeader(ProtectedSpec());
    file.insert(file.end(), tail.begin(), tail.end());
    file.insert(file.end(), {0xAB, 0xCD});
    const TMPAFrame last = ReadAt(file, static_cast<std::int64_t>(frame.size()));
    EXPECT_EQ(Texts(BuildFrameDetailNodes(last))[16], "crc_check            : 0xABCD (16 bits)");
}

// ---------------------------------------------------------------- drawing rules

TEST(FrameDetailIsBold, MatchesEmptyParenthesesWithOrWithoutASpace) {
    EXPECT_TRUE(FrameDetailIsBold("frame()"));
    EXPECT_TRUE(FrameDetailIsBold("ancillary_data()"));
    EXPECT_TRUE(FrameDetailIsBold("element( )"));
    EXPECT_TRUE(FrameDetailIsBold("() at the start"));
    EXPECT_FALSE(FrameDetailIsBold("syncword             : 0x0FFF (12 bits)"));
    EXPECT_FALSE(FrameDetailIsBold("(  )"));
    EXPECT_FALSE(FrameDetailIsBold(") ("));
    EXPECT_FALSE(FrameDetailIsBold(""));
}

TEST(FrameDetailIsStriped, EvenSiblingsWhenNotSelected) {
    EXPECT_TRUE(FrameDetailIsStriped(0, false));
    EXPECT_FALSE(FrameDetailIsStriped(1, false));
    EXPECT_TRUE(FrameDetailIsStriped(12, false));
    EXPECT_FALSE(FrameDetailIsStriped(0, true));
    EXPECT_FALSE(FrameDetailIsStriped(3, true));
}

// ---------------------------------------------------------------- copy text

TEST(FrameDetailCopyText, EveryNodeInTreeOrderWithCrLf) {
    Bytes bytes = MakeHeader(ProtectedSpec());
    bytes.insert(bytes.end(), {0xBE, 0xEF});
    std::string expected;
    for (const auto& text : kProtectedTexts) expected += text + "\r\n";
    EXPECT_EQ(FrameDetailCopyText(BuildFrameDetailNodes(FrameFromBytes(bytes))), expected);
}

TEST(FrameDetailCopyText, EmptyTreeGivesEmptyText) { EXPECT_THAT(FrameDetailCopyText({}), IsEmpty()); }

TEST(FrameDetailCopyText, WalksDepthFirstWhateverTheListOrder) {
    const std::vector<TFrameDetailNode> nodes = {
        {"a", -1, false, false}, {"b", -1, false, false}, {"b.1", 1, false, false},
        {"a.1", 0, false, false}, {"a.1.x", 3, false, false}, {"a.2", 0, false, false},
    };
    EXPECT_EQ(FrameDetailCopyText(nodes), "a\r\na.1\r\na.1.x\r\na.2\r\nb\r\nb.1\r\n");
}

TEST(FrameDetailCopyText, BrokenParentLinksNeverLoop) {
    const std::vector<TFrameDetailNode> nodes = {
        {"self", 0, false, false}, {"far", 99, false, false}, {"x", 3, false, false}, {"y", 2, false, false},
    };
    EXPECT_EQ(FrameDetailCopyText(nodes), "self\r\nfar\r\n");
}

}  // namespace

namespace {

// The lines that depend on the version, for one header of each low sampling
// frequency version and layer; every other line keeps the MPEG-1 format.
TEST(BuildFrameDetailNodes, NamesTheLowSamplingFrequencyVersions) {
    const struct {
        testsupport::MpaVersion version;
        int layer;
        int bitrateIndex;
        int samplingIndex;
        const char* sync;
        const char* id;
        const char* bitrate;
        const char* rate;
    } cases[] = {
        {testsupport::MpaVersion::Mpeg2, testsupport::kMpaLayerII, 8, 1, "0x0FFF (12 bits)", "0 [MPEG-2]",
         "8 [64 kbps]", "1 [24000 Hz]"},
        {testsupport::MpaVersion::Mpeg2, testsupport::kMpaLayerI, 14, 0, "0x0FFF (12 bits)", "0 [MPEG-2]",
         "14 [256 kbps]", "0 [22050 Hz]"},
        {testsupport::MpaVersion::Mpeg25, testsupport::kMpaLayerIII, 2, 2, "0x07FF (11 bits)", "0 [MPEG-2.5]",
         "2 [16 kbps]", "2 [8000 Hz]"},
        {testsupport::MpaVersion::Mpeg25, testsupport::kMpaLayerIII, 5, 0, "0x07FF (11 bits)", "0 [MPEG-2.5]",
         "5 [40 kbps]", "0 [11025 Hz]"},
    };
    for (const auto& c : cases) {
        MpaFrameSpec params;
        params.version = c.version;
        params.layer = c.layer;
        params.bitrateIndex = c.bitrateIndex;
        params.samplingIndex = c.samplingIndex;
        const auto texts = Texts(BuildFrameDetailNodes(FrameFromBytes(MakeHeader(params))));
        SCOPED_TRACE(texts[3]);
        ASSERT_EQ(texts.size(), 18u);
        EXPECT_EQ(texts[2], std::string("syncword             : ") + c.sync);
        EXPECT_EQ(texts[3], std::string("ID                   : ") + c.id + " (1 bit)");
        EXPECT_EQ(texts[6], std::string("bitrate_index        : ") + c.bitrate + " (4 bits)");
        EXPECT_EQ(texts[7], std::string("sampling_frequency   : ") + c.rate + " (2 bits)");
    }
}

TEST(BuildFrameDetailNodes, SaysHowLongALeadingTagIs) {
    const TMPAFrame frame = FrameFromBytes(MakeHeader(MpaFrameSpec{}));
    const auto plain = BuildFrameDetailNodes(frame);
    const auto tagged = BuildFrameDetailNodes(frame, 1500010);
    ASSERT_EQ(tagged.size(), plain.size() + 1);
    EXPECT_EQ(tagged.back().Text, "An ID3v2 tag of 1500010 bytes precedes the first frame");
    EXPECT_EQ(tagged.back().Parent, -1);
    EXPECT_FALSE(tagged.back().Bold);
}

}  // namespace
