#include "viewer/model/FrameNavigator.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "tests/support/mpa_builder.h"
#include "tests/support/temp_dir.h"

namespace {

using testsupport::Bytes;
using testsupport::MakeHeader;
using testsupport::MpaFrameSpec;
using testsupport::MpaStreamBuilder;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

constexpr std::int64_t kWindow = 1048576;

// MPEG-1 Layer II, 128 kbit/s, 48 kHz: 384-byte frames.
MpaFrameSpec LayerII(int bitrateIndex = 8, int samplingIndex = 1) {
    MpaFrameSpec params;
    params.bitrateIndex = bitrateIndex;
    params.samplingIndex = samplingIndex;
    return params;
}

MpaFrameSpec LayerIII44k() {
    MpaFrameSpec params;
    params.layer = testsupport::kMpaLayerIII;
    params.bitrateIndex = 9;
    params.samplingIndex = 0;
    return params;
}

// A frame body whose bytes at bodyOffset look like a usable Layer II 48 kHz
// header.
Bytes BodyWithFalseSync(std::size_t bodyOffset) {
    Bytes body(bodyOffset + 4, 0x00);
    const Bytes header = MakeHeader(LayerII(4));
    std::copy(header.begin(), header.end(), body.begin() + static_cast<std::ptrdiff_t>(bodyOffset));
    return body;
}

class NavigatorTest : public ::testing::Test {
protected:
    void Open(const Bytes& data, std::int32_t layer = kLayerII, std::int32_t sampling = 1) {
        ASSERT_TRUE(navigator.OpenFile(dir.Write("stream.mp2", data)));
        navigator.SetExpectation(layer, sampling);
    }

    std::vector<std::int64_t> PageOffsets() const {
        std::vector<std::int64_t> offsets;
        for (int i = 0; i < navigator.FramesCount(); ++i) offsets.push_back(navigator.Frame(i).Offset);
        return offsets;
    }

    std::vector<std::int32_t> PackLengths() const {
        std::vector<std::int32_t> lengths;
        for (int i = 0; i < navigator.FramesCount(); ++i) lengths.push_back(navigator.Frame(i).PackLength);
        return lengths;
    }

    std::int64_t Next(std::int64_t from) {
        std::int64_t found = -1;
        return navigator.SearchNextPackPositionFromPos(found, from) ? found : -1;
    }
    std::int64_t Previous(std::int64_t from) {
        std::int64_t found = -1;
        return navigator.SearchPreviousPackPositionFromPos(found, from) ? found : -1;
    }
    std::int64_t Back(std::int32_t count, std::int64_t from) {
        std::int64_t found = -1;
        return navigator.SearchBackPackPositionFromPos(found, count, from) ? found : -1;
    }

    testsupport::TempDir dir;
    TFrameNavigator navigator;
};

// ---------------------------------------------------------------- searches

TEST_F(NavigatorTest, NextSearchFindsTheFirstExpectedHeaderAtOrAfterThePosition) {
    MpaStreamBuilder stream;
    stream.Junk(10, 0x44).Frame(LayerIII44k()).Frames(LayerII(), 3);
    Open(stream.Data());
    const auto& frames = stream.FrameList();
    EXPECT_EQ(Next(0), frames[1].offset);
    EXPECT_EQ(Next(frames[1].offset), frames[1].offset);
    EXPECT_EQ(Next(frames[1].offset + 1), frames[2].offset);

    navigator.SetExpectation(-1, -1);
    EXPECT_EQ(Next(0), frames[0].offset);
    navigator.SetExpectation(kLayerIII, 0);
    EXPECT_EQ(Next(0), frames[0].offset);
    EXPECT_EQ(Next(frames[0].offset + 1), -1);
}

TEST_F(NavigatorTest, NextSearchLooksOneMebibyteFarAtMost) {
    for (std::int64_t headerAt : {kWindow - 4, kWindow - 3}) {
        SCOPED_TRACE(headerAt);
        MpaStreamBuilder stream;
        stream.Junk(static_cast<std::size_t>(headerAt)).Frames(LayerII(), 2);
        Open(stream.Data());
        EXPECT_EQ(Next(0), headerAt == kWindow - 4 ? headerAt : -1);
        EXPECT_EQ(Next(1), headerAt);
    }
}

TEST_F(NavigatorTest, PreviousSearchFindsTheLastExpectedHeaderAtOrBeforeThePosition) {
    MpaStreamBuilder stream;
    stream.Frames(LayerII(), 2).Frame(LayerIII44k()).Frames(LayerII(), 2);
    Open(stream.Data());
    const auto& frames = stream.FrameList();
    EXPECT_EQ(Previous(0), 0);
    EXPECT_EQ(Previous(frames[1].offset), frames[1].offset);
    EXPECT_EQ(Previous(frames[1].offset - 1), 0);
    EXPECT_EQ(Previous(frames[3].offset - 1), frames[1].offset);
    // Fewer than four bytes after the position: the walk starts lower.
    EXPECT_EQ(Previous(stream.Size() - 1), frames[4].offset);
    EXPECT_EQ(Previous(frames[4].offset + 2), frames[4].offset);
}

TEST_F(NavigatorTest, BackwardSearchesLookOneMebibyteBackAtMost) {
    MpaStreamBuilder stream;
    stream.Frame(LayerII()).Junk(static_cast<std::size_t>(kWindow + 100));
    Open(stream.Data());
    EXPECT_EQ(Previous(kWindow), 0);
    EXPECT_EQ(Previous(kWindow + 1), -1);
    EXPECT_EQ(Back(1, kWindow), 0);
    EXPECT_EQ(Back(3, kWindow + 1), -1);
}

TEST_F(NavigatorTest, BackSearchCountsHeadersDownwards) {
    MpaStreamBuilder stream;
    stream.Frames(LayerII(), 5);
    Open(stream.Data());
    const std::int64_t last = stream.FrameList()[4].offset;
    EXPECT_EQ(Back(1, last), last);
    EXPECT_EQ(Back(2, last), last - 384);
    EXPECT_EQ(Back(5, last), 0);
    EXPECT_EQ(Back(2, last - 1), last - 2 * 384);
    // Fewer headers than asked for: the earliest one.
    EXPECT_EQ(Back(9, last), 0);
}

TEST_F(NavigatorTest, BackSearchWithoutAnyHeaderFails) {
    MpaStreamBuilder stream;
    stream.Junk(200).Frames(LayerII(), 2);
    Open(stream.Data());
    EXPECT_EQ(Back(1, 150), -1);
    EXPECT_EQ(Previous(150), -1);
}

TEST_F(NavigatorTest, BackSearchCountsAFalseSyncInsideFrameData) {
    MpaStreamBuilder stream;
    stream.Frame(LayerII()).Frame(LayerII(), 0x00, BodyWithFalseSync(40)).Frames(LayerII(), 2);
    Open(stream.Data());
    const std::int64_t falseSync = 384 + 4 + 40;
    EXPECT_EQ(Back(1, 768), 768);
    EXPECT_EQ(Back(2, 768), falseSync);
    EXPECT_EQ(Back(3, 768), 384);
    EXPECT_EQ(Previous(767), falseSync);
}

TEST_F(NavigatorTest, SearchesFailAtOrBeyondTheEndAndWithoutAFile) {
    MpaStreamBuilder stream;
    stream.Frames(LayerII(), 3);
    Open(stream.Data());
    for (std::int64_t from : {stream.Size(), stream.Size() + 1, stream.Size() + 5 * kWindow}) {
        SCOPED_TRACE(from);
        EXPECT_EQ(Next(from), -1);
        EXPECT_EQ(Previous(from), -1);
        EXPECT_EQ(Back(1, from), -1);
    }
    navigator.CloseFile();
    EXPECT_FALSE(navigator.IsFileOpen());
    EXPECT_EQ(Next(0), -1);
    EXPECT_EQ(Previous(10), -1);
    EXPECT_EQ(Back(1, 10), -1);
    EXPECT_FALSE(navigator.OpenFile(dir.File("absent.mp2")));
}

// ---------------------------------------------------------------- page rebuild

TEST_F(NavigatorTest, PageListsEveryFrameButTheLast) {
    MpaStreamBuilder stream;
    stream.Frames(LayerII(), 6);
    Open(stream.Data());
    ASSERT_TRUE(navigator.RefreshPosition(0, 10));
    EXPECT_EQ(navigator.RowsCount(), 10);
    EXPECT_THAT(PageOffsets(), ElementsAre(0, 384, 768, 1152, 1536));
    EXPECT_FALSE(navigator.IsPageFull());
    const TMPAFrame first = navigator.Frame(0);
    EXPECT_EQ(first.PackLength, 384);
    EXPECT_EQ(first.FrameLength, 384);
    EXPECT_EQ(first.FrameTime, 24);
    EXPECT_EQ(first.Header.layer, kLayerII);
    EXPECT_EQ(first.Header.bitrate_index, 8);

    ASSERT_TRUE(navigator.RefreshPosition(0, 3));
    EXPECT_THAT(PageOffsets(), ElementsAre(0, 384, 768));
    EXPECT_TRUE(navigator.IsPageFull());

    // The page starts at the first header at or after the position.
    ASSERT_TRUE(navigator.RefreshPosition(5, 10));
    EXPECT_THAT(PageOffsets(), ElementsAre(384, 768, 1152, 1536));
}

TEST_F(NavigatorTest, JunkBetweenFramesCountsToTheEarlierFrame) {
    MpaStreamBuilder stream;
    stream.Frame(LayerII()).Junk(37, 0x5A).Frame(LayerII()).Junk(3, 0xFF).Frames(LayerII(), 2);
    Open(stream.Data());
    ASSERT_TRUE(navigator.RefreshPosition(0, 10));
    EXPECT_THAT(PageOffsets(), ElementsAre(0, 421, 808));
    EXPECT_THAT(PackLengths(), ElementsAre(421, 387, 384));
    EXPECT_EQ(navigator.Frame(0).FrameLength, 384);
}

TEST_F(NavigatorTest, PageHopsOverFalseSyncsAndOtherLayers) {
    MpaStreamBuilder stream;
    stream.Frame(LayerII(), 0x00, BodyWithFalseSync(40)).Frame(LayerIII44k()).Frames(LayerII(), 2);
    Open(stream.Data());
    const auto& frames = stream.FrameList();
    ASSERT_TRUE(navigator.RefreshPosition(0, 10));
    EXPECT_THAT(PageOffsets(), ElementsAre(0, frames[2].offset));
    EXPECT_EQ(navigator.Frame(0).PackLength, frames[2].offset);

    navigator.SetExpectation(-1, -1);
    ASSERT_TRUE(navigator.RefreshPosition(0, 10));
    EXPECT_THAT(PageOffsets(), ElementsAre(0, frames[1].offset, frames[2].offset));
}

TEST_F(NavigatorTest, OneFrameGivesAnEmptyPage) {
    MpaStreamBuilder stream;
    stream.Frame(LayerII());
    Open(stream.Data());
    navigator.RefreshPosition(0, 10);
    EXPECT_EQ(navigator.FramesCount(), 0);
    EXPECT_EQ(navigator.RowsCount(), 10);
    for (const std::string& text : navigator.ListView1Data(0)) EXPECT_EQ(text, "");
}

TEST_F(NavigatorTest, PageHoldsAtMost256Frames) {
    MpaStreamBuilder stream;
    stream.Frames(LayerII(1), 300);  // 96-byte frames
    Open(stream.Data());
    ASSERT_TRUE(navigator.RefreshPosition(0, 1000));
    EXPECT_EQ(navigator.RowsCount(), 256);
    ASSERT_EQ(navigator.FramesCount(), 256);
    EXPECT_EQ(navigator.Frame(255).Offset, 255 * 96);
    EXPECT_TRUE(navigator.IsPageFull());
}

TEST_F(NavigatorTest, PageReadsOneMebibyteFromThePosition) {
    MpaStreamBuilder stream;
    for (int i = 0; i < 15; ++i) stream.Frame(LayerII()).Junk(100000 - 384);
    Open(stream.Data());
    ASSERT_TRUE(navigator.RefreshPosition(0, 50));
    // The header at 1,000,000 lies inside the read, the one after it does not.
    ASSERT_EQ(navigator.FramesCount(), 10);
    EXPECT_EQ(navigator.Frame(9).Offset, 900000);
    EXPECT_EQ(navigator.Frame(9).PackLength, 100000);

    for (std::int64_t secondAt : {kWindow - 4, kWindow - 3}) {
        SCOPED_TRACE(secondAt);
        MpaStreamBuilder pair;
        pair.Frame(LayerII()).Junk(static_cast<std::size_t>(secondAt - 384)).Frames(LayerII(), 2);
        Open(pair.Data());
        navigator.RefreshPosition(0, 50);
        EXPECT_EQ(navigator.FramesCount(), secondAt == kWindow - 4 ? 1 : 0);
    }
}

TEST_F(NavigatorTest, RebuildBeyondTheEndEmptiesThePage) {
    MpaStreamBuilder stream;
    stream.Frames(LayerII(), 4);
    Open(stream.Data());
    ASSERT_TRUE(navigator.RefreshPosition(0, 10));
    ASSERT_EQ(navigator.FramesCount(), 3);
    navigator.RefreshPosition(stream.Size() + 10, 7);
    EXPECT_EQ(navigator.FramesCount(), 0);
    EXPECT_EQ(navigator.RowsCount(), 7);
    EXPECT_THAT(navigator.ListView1Data(0), ElementsAre("", "", "", "", "", "", ""));
}

TEST_F(NavigatorTest, ItemCountGoesToThePageSizeThenToTheFrameCount) {
    MpaStreamBuilder stream;
    stream.Frames(LayerII(), 6);
    Open(stream.Data());
    std::vector<int> counts;
    navigator.SetItemCountSink([&counts](int count) { counts.push_back(count); });
    navigator.RefreshPosition(0, 10);
    navigator.RefreshPosition(0, 400);
    navigator.RefreshPosition(0, 2);
    navigator.RefreshPosition(stream.Size(), 4);
    EXPECT_THAT(counts, ElementsAre(10, 5, 256, 5, 2, 2, 4, 0));
}

TEST_F(NavigatorTest, ListAsksForRowsWhileThePageIsRebuilt) {
    MpaStreamBuilder stream;
    stream.Frames(LayerII(), 6);
    Open(stream.Data());
    ASSERT_TRUE(navigator.RefreshPosition(0, 10));
    std::vector<std::string> firstOffsets;
    navigator.SetItemCountSink([&](int count) {
        for (int row = 0; row < count; ++row) {
            const auto texts = navigator.ListView1Data(row);
            if (row == 0) firstOffsets.push_back(texts[0]);
        }
    });
    ASSERT_TRUE(navigator.RefreshPosition(800, 10));
    ASSERT_EQ(firstOffsets.size(), 2u);
    EXPECT_EQ(firstOffsets.back(), "0x0000000000000480");
}

// ---------------------------------------------------------------- row texts

TEST_F(NavigatorTest, RowTextsOfTheSevenColumns) {
    MpaFrameSpec joint = LayerII();
    joint.mode = testsupport::kMpaJointStereo;
    MpaStreamBuilder stream;
    stream.Frame(LayerII()).Junk(37).Frame(joint).Frame(LayerII());
    Open(stream.Data());
    ASSERT_TRUE(navigator.RefreshPosition(0, 5));
    EXPECT_THAT(navigator.ListView1Data(0), ElementsAre("0x0000000000000000", "421", "24 ms", "Layer II",
                                                        "48000 Hz", "128 kbps", "Stereo"));
    EXPECT_THAT(navigator.ListView1Data(1), ElementsAre("0x00000000000001A5", "384", "24 ms", "Layer II",
                                                        "48000 Hz", "128 kbps", "Joint Stereo"));
    for (int row : {2, 4, 5, 300, -1}) {
        SCOPED_TRACE(row);
        EXPECT_THAT(navigator.ListView1Data(row), ElementsAre("", "", "", "", "", "", ""));
    }
}

TEST_F(NavigatorTest, RowTextsOfAnotherLayerAndRate) {
    MpaFrameSpec mono = LayerIII44k();
    mono.mode = testsupport::kMpaSingleChannel;
    mono.padding = 1;
    MpaStreamBuilder stream;
    stream.Frame(mono).Frame(LayerIII44k());
    Open(stream.Data(), kLayerIII, 0);
    ASSERT_TRUE(navigator.RefreshPosition(0, 5));
    EXPECT_THAT(navigator.ListView1Data(0), ElementsAre("0x0000000000000000", "418", "26 ms", "Layer III",
                                                        "44100 Hz", "128 kbps", "Single Channel"));
}

TEST(NavigatorTexts, ColumnCaptions) {
    EXPECT_THAT(TFrameNavigator::ColumnCaptions(), ElementsAreArray({std::string("Offset"), std::string("Length"),
                                                                     std::string("Frame Time"), std::string("Layer"),
                                                                     std::string("Sampling Rate"),
                                                                     std::string("Bitrate"), std::string("Mode")}));
}

TEST(NavigatorTexts, OffsetTextIsSixteenUpperCaseHexDigits) {
    EXPECT_EQ(TFrameNavigator::OffsetToText(0), "0x0000000000000000");
    EXPECT_EQ(TFrameNavigator::OffsetToText(0xABCDEF), "0x0000000000ABCDEF");
    EXPECT_EQ(TFrameNavigator::OffsetToText(0x100000005LL), "0x0000000100000005");
    const std::int64_t values[] = {0, 1, 0x1A5, 0xFFFFFFFFLL, 0x100000005LL, std::numeric_limits<std::int64_t>::max()};
    for (std::int64_t value : values) {
        std::int64_t parsed = -1;
        ASSERT_TRUE(TFrameNavigator::TextToOffset(TFrameNavigator::OffsetToText(value), parsed)) << value;
        EXPECT_EQ(parsed, value);
    }
    std::int64_t parsed = 0;
    EXPECT_FALSE(TFrameNavigator::TextToOffset("", parsed));
    EXPECT_FALSE(TFrameNavigator::TextToOffset("0x", parsed));
    EXPECT_FALSE(TFrameNavigator::TextToOffset("0xQQ", parsed));
}

// ---------------------------------------------------------------- beyond 4 GiB

TEST_F(NavigatorTest, OffsetsBeyondFourGibibytes) {
    constexpr std::int64_t kFourGiB = 4LL << 30;
    constexpr std::int64_t kBase = kFourGiB + 1000;
    MpaStreamBuilder stream;
    stream.Frames(LayerII(), 5);
    const std::string path = dir.File("sparse.mp2");
    {
        std::ofstream out(path, std::ios::binary);
        out.seekp(kBase);
        out.write(reinterpret_cast<const char*>(stream.Data().data()), static_cast<std::streamsize>(stream.Size()));
        ASSERT_TRUE(out.good());
    }
    ASSERT_TRUE(navigator.OpenFile(path));
    navigator.SetExpectation(kLayerII, 1);
    EXPECT_EQ(navigator.FileSize(), kBase + 5 * 384);

    EXPECT_EQ(Next(0), -1);
    EXPECT_EQ(Next(kFourGiB), kBase);
    EXPECT_EQ(Previous(navigator.FileSize() - 1), kBase + 4 * 384);
    EXPECT_EQ(Back(3, navigator.FileSize() - 1), kBase + 2 * 384);

    ASSERT_TRUE(navigator.RefreshPosition(kFourGiB, 10));
    EXPECT_THAT(PageOffsets(), ElementsAre(kBase, kBase + 384, kBase + 768, kBase + 1152));
    EXPECT_EQ(navigator.ListView1Data(0)[0], "0x00000001000003E8");
    std::int64_t parsed = 0;
    ASSERT_TRUE(TFrameNavigator::TextToOffset(navigator.ListView1Data(3)[0], parsed));
    EXPECT_EQ(parsed, kBase + 1152);
}

}  // namespace

namespace {

// ---------------------------------------------------------------- versions and tags

MpaFrameSpec Mpeg2LayerIII22k(int bitrateIndex = 4) {
    MpaFrameSpec params = LayerIII44k();
    params.version = testsupport::MpaVersion::Mpeg2;
    params.bitrateIndex = bitrateIndex;
    return params;
}

// MPEG-2 frames with a run of MPEG-1 frames in the middle: the MPEG-2 page
// lists its own frames and counts the foreign ones to the frame before them.
TEST_F(NavigatorTest, MixedVersionsKeepTheExpectedVersion) {
    MpaStreamBuilder stream;
    stream.Frames(Mpeg2LayerIII22k(), 4).Frames(LayerIII44k(), 3).Frames(Mpeg2LayerIII22k(), 4);
    Open(stream.Data(), kLayerIII, 0);
    navigator.SetExpectation(kLayerIII, 0, kMPEG2);
    navigator.RefreshPosition(0, 20);
    const auto& frames = stream.FrameList();
    EXPECT_THAT(PageOffsets(), ElementsAre(frames[0].offset, frames[1].offset, frames[2].offset, frames[3].offset,
                                           frames[7].offset, frames[8].offset, frames[9].offset));
    EXPECT_EQ(navigator.Frame(3).PackLength, 104 + 3 * 417);
    EXPECT_EQ(navigator.Frame(0).PackLength, 104);

    // The same file expected as MPEG-1 lists only the MPEG-1 frames.
    navigator.SetExpectation(kLayerIII, 0);
    navigator.RefreshPosition(0, 20);
    EXPECT_THAT(PageOffsets(), ElementsAre(frames[4].offset, frames[5].offset));
}

TEST_F(NavigatorTest, RowTextsOfLowSamplingFrequencyFrames) {
    MpaFrameSpec mpeg25 = Mpeg2LayerIII22k(2);
    mpeg25.version = testsupport::MpaVersion::Mpeg25;
    mpeg25.samplingIndex = 2;
    const struct {
        MpaFrameSpec params;
        std::int32_t version;
        TFrameNavigator::RowTexts texts;
    } cases[] = {
        {Mpeg2LayerIII22k(), kMPEG2,
         {"0x0000000000000000", "104", "26 ms", "Layer III", "22050 Hz", "32 kbps", "Stereo"}},
        {mpeg25, kMPEG25, {"0x0000000000000000", "144", "72 ms", "Layer III", "8000 Hz", "16 kbps", "Stereo"}},
    };
    for (const auto& c : cases) {
        MpaStreamBuilder stream;
        stream.Frames(c.params, 3);
        Open(stream.Data(), kLayerIII, c.params.samplingIndex);
        navigator.SetExpectation(kLayerIII, c.params.samplingIndex, c.version);
        navigator.RefreshPosition(0, 5);
        ASSERT_EQ(navigator.FramesCount(), 2);
        EXPECT_EQ(navigator.ListView1Data(0), c.texts);
    }
}

// A leading tag full of usable MPEG-1 headers: pages and forward searches
// start after it, backward searches stop at its end.
TEST_F(NavigatorTest, PagesAndSearchesStepOverALeadingTag) {
    MpaStreamBuilder tagBody;
    tagBody.Frames(LayerII(), 10);
    const auto bodySize = static_cast<std::uint8_t>(tagBody.Size() >> 7);
    ASSERT_EQ(tagBody.Size() % 128, 0);
    MpaStreamBuilder stream;
    stream.Raw(Bytes{'I', 'D', '3', 3, 0, 0, 0, 0, bodySize, 0}).Raw(tagBody.Data()).Frames(LayerII(), 5);
    const std::int64_t tag = 10 + tagBody.Size();
    Open(stream.Data());
    EXPECT_EQ(navigator.AudioStart(), tag);

    navigator.RefreshPosition(0, 10);
    ASSERT_EQ(navigator.FramesCount(), 4);
    EXPECT_EQ(navigator.Frame(0).Offset, tag);
    EXPECT_EQ(Next(0), tag);
    EXPECT_EQ(Previous(tag + 383), tag);
    EXPECT_EQ(Previous(tag), tag);
    EXPECT_EQ(Back(5, tag + 2 * 384), tag);
    // Inside the tag, the backward searches still read what is there.
    EXPECT_EQ(Previous(tag - 1), tag - 384);

    navigator.CloseFile();
    EXPECT_EQ(navigator.AudioStart(), 0);
}

}  // namespace
