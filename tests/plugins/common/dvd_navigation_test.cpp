// DVD navigation mode of the file sink: a program stream image is written
// through the sink with its VOBUs reported, and the finished files carry the
// rewritten navigation packs.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "plugins/common/file_sink.h"
#include "tests/plugins/common/sink_files.h"
#include "tests/support/temp_dir.h"

namespace {

using sinktest::SinkPtr;
using Image = std::vector<std::uint8_t>;

constexpr std::size_t kSector = 2048;
constexpr std::uint8_t kNavFiller = 0xEE;
constexpr std::uint8_t kOtherFiller = 0xDD;

// An image of `sectors` sectors with a navigation pack at each listed
// sector; everything else is filler the sink must not touch.
Image MakeImage(std::size_t sectors, const std::vector<std::size_t>& nav_sectors) {
    Image image(sectors * kSector, kOtherFiller);
    for (std::size_t sector : nav_sectors) {
        std::uint8_t* pack = &image[sector * kSector];
        std::memset(pack, kNavFiller, kSector);
        const std::uint8_t pack_start[] = {0x00, 0x00, 0x01, 0xBA};
        const std::uint8_t private_2[] = {0x00, 0x00, 0x01, 0xBF};
        std::memcpy(pack, pack_start, 4);
        std::memcpy(pack + 38, private_2, 4);
        pack[44] = 0x00;
        std::memcpy(pack + 1024, private_2, 4);
        pack[1030] = 0x01;
    }
    return image;
}

std::uint32_t BigEndian32(const Image& image, std::size_t sector, std::size_t at) {
    const std::uint8_t* p = &image[sector * kSector + at];
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

std::uint16_t BigEndian16(const Image& image, std::size_t sector, std::size_t at) {
    const std::uint8_t* p = &image[sector * kSector + at];
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

// Byte ranges of a navigation pack that the fix-up may change.
bool MayChange(std::size_t at) {
    return (at >= 147 && at < 155) || (at >= 1079 && at < 1083) || (at >= 1265 && at < 1449 + 32 * 4);
}

// Every difference lies in a rewritable range of a listed navigation pack.
void ExpectOnlyNavFieldsChanged(const Image& before, const Image& after, const std::vector<std::size_t>& nav_sectors) {
    ASSERT_EQ(before.size(), after.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (before[i] == after[i]) continue;
        const std::size_t sector = i / kSector;
        const bool nav = std::find(nav_sectors.begin(), nav_sectors.end(), sector) != nav_sectors.end();
        ASSERT_TRUE(nav && MayChange(i % kSector)) << "byte " << i << " changed";
    }
}

class DvdNavigationTest : public ::testing::Test {
protected:
    SinkPtr Create(const std::string& name) { return SinkPtr(sinks::CreateFileSink(dir_.File(name).c_str())); }

    static std::int32_t Send(bufstream* bs, std::uint32_t id, const void* data = nullptr, std::uint32_t size = 0,
                             std::uint32_t offset = 0) {
        return bs->control(bs, offset, id, const_cast<void*>(data), size);
    }
    static void AddVobu(bufstream* bs, std::int32_t sector, std::int32_t duration, std::int32_t flags) {
        const bufstream_dvd_vobu vobu{sector, duration, flags};
        ASSERT_EQ(Send(bs, BUFSTREAM_CMD_DVD_ADD_VOBU, &vobu, sizeof vobu), 0);
    }
    static void SetEndPtm(bufstream* bs, std::int32_t ptm) {
        ASSERT_EQ(Send(bs, BUFSTREAM_CMD_DVD_PART_END_PTM, &ptm, sizeof ptm), 0);
    }
    static void AddSync(bufstream* bs, std::uint32_t id, std::int32_t table, std::int32_t value) {
        const bufstream_dvd_sync_value entry{table, value};
        ASSERT_EQ(Send(bs, id, &entry, sizeof entry), 0);
    }

    testsupport::TempDir dir_;
};

TEST_F(DvdNavigationTest, FixUpWritesTimesSearchAndSyncEntries) {
    // Six half-second VOBUs in two cells, [0, 3) and [3, 6).
    const std::vector<std::size_t> navs = {0, 2, 3, 6, 7, 9};
    const std::vector<std::int32_t> video = {1, 0, 1, 0, 0, 1};
    const Image image = MakeImage(10, navs);
    SinkPtr sink = Create("title.vob");
    ASSERT_NE(sink, nullptr);
    bufstream* bs = sink.get();
    ASSERT_EQ(Send(bs, BUFSTREAM_CMD_DVD_ENABLE), 0);
    ASSERT_EQ(Send(bs, BUFSTREAM_CMD_DVD_HIGHLIGHT), 0);
    ASSERT_EQ(Send(bs, BUFSTREAM_CMD_DVD_NEW_AUDIO_SYNC), 0);
    ASSERT_EQ(Send(bs, BUFSTREAM_CMD_DVD_NEW_SUBPIC_SYNC), 0);
    ASSERT_TRUE(sinktest::WriteInChunks(bs, image, 3000));
    for (std::size_t v = 0; v < navs.size(); ++v) {
        if (v == 0 || v == 3) {
            ASSERT_EQ(Send(bs, BUFSTREAM_CMD_DVD_CELL_START), 0);
        }
        AddVobu(bs, static_cast<std::int32_t>(navs[v]), 45000, video[v]);
        AddSync(bs, BUFSTREAM_CMD_DVD_ADD_AUDIO_SYNC, 0, 0x100 + static_cast<std::int32_t>(v));
        if (v < 4) {
            AddSync(bs, BUFSTREAM_CMD_DVD_ADD_SUBPIC_SYNC, 0, 0x70000000 + static_cast<std::int32_t>(v));
        }
    }
    SetEndPtm(bs, 0x00ABCDEF);
    sink.reset();

    const Image result = testsupport::ReadFileBytes(dir_.File("title.vob"));
    ASSERT_EQ(result.size(), image.size());
    ExpectOnlyNavFieldsChanged(image, result, navs);
    for (std::size_t sector : navs) {
        EXPECT_EQ(BigEndian32(result, sector, 1079), 0x00ABCDEFu) << sector;
        EXPECT_EQ(BigEndian32(result, sector, 147), 0x00ABCDEFu) << sector;
        EXPECT_EQ(BigEndian32(result, sector, 151), 0x00ABCDEFu) << sector;
    }
    // VOBU 1 (sector 2): VOBU 2 one sector on holds video; VOBU 0 two back.
    EXPECT_EQ(BigEndian32(result, 2, 1265), 0x80000001u);  // next video
    EXPECT_EQ(BigEndian32(result, 2, 1341), 0x80000001u);  // forward 0.5 s
    EXPECT_EQ(BigEndian32(result, 2, 1337), 0x3FFFFFFFu);  // forward 1 s leaves the cell
    EXPECT_EQ(BigEndian32(result, 2, 1269), 0x3FFFFFFFu);  // forward 120 s
    EXPECT_EQ(BigEndian32(result, 2, 1345), 0x80000001u);  // next
    EXPECT_EQ(BigEndian32(result, 2, 1349), 0x80000002u);  // previous
    EXPECT_EQ(BigEndian32(result, 2, 1353), 0x80000002u);  // backward 0.5 s
    EXPECT_EQ(BigEndian32(result, 2, 1357), 0x3FFFFFFFu);  // backward 1 s
    EXPECT_EQ(BigEndian32(result, 2, 1425), 0x3FFFFFFFu);  // backward 120 s
    EXPECT_EQ(BigEndian32(result, 2, 1429), 0x80000002u);  // previous video
    EXPECT_EQ(BigEndian16(result, 2, 1433), 0x0101u);
    EXPECT_EQ(BigEndian16(result, 2, 1435), kNavFiller * 0x101u);  // no second audio table
    EXPECT_EQ(BigEndian32(result, 2, 1449), 0x70000001u);
    // VOBU 4 (sector 7), second cell: nothing with video before it inside the cell.
    EXPECT_EQ(BigEndian32(result, 7, 1265), 0x80000002u);
    EXPECT_EQ(BigEndian32(result, 7, 1349), 0x00000001u);
    EXPECT_EQ(BigEndian32(result, 7, 1429), 0x3FFFFFFFu);
    EXPECT_EQ(BigEndian32(result, 7, 1341), 0x00000002u + 0x80000000u);  // forward 0.5 s: VOBU 5
    EXPECT_EQ(BigEndian16(result, 7, 1433), 0x0104u);
    EXPECT_EQ(BigEndian32(result, 7, 1449), kNavFiller * 0x01010101u);  // no sub-picture value for VOBU 4
    // VOBU 5 (sector 9), last of all.
    EXPECT_EQ(BigEndian32(result, 9, 1265), 0xBFFFFFFFu);
    EXPECT_EQ(BigEndian32(result, 9, 1345), 0x3FFFFFFFu);
}

TEST_F(DvdNavigationTest, EachPartIsFixedInItsOwnFile) {
    SinkPtr sink = Create("movie.vob");
    ASSERT_NE(sink, nullptr);
    bufstream* bs = sink.get();
    ASSERT_EQ(Send(bs, BUFSTREAM_CMD_DVD_ENABLE), 0);
    const Image first = MakeImage(3, {0, 1});
    ASSERT_TRUE(sinktest::WriteInChunks(bs, first, 4096));
    AddVobu(bs, 0, 45000, 1);
    AddVobu(bs, 1, 45000, 1);
    SetEndPtm(bs, 1000);
    ASSERT_EQ(bs->next_part(bs), 0u);
    const Image second = MakeImage(4, {0, 3});
    ASSERT_TRUE(sinktest::WriteInChunks(bs, second, 4096));
    AddVobu(bs, 0, 45000, 1);
    AddVobu(bs, 3, 45000, 1);
    SetEndPtm(bs, 2000);
    sink.reset();

    const Image a = testsupport::ReadFileBytes(dir_.File("movie.vob"));
    const Image b = testsupport::ReadFileBytes(dir_.File("movie001.vob"));
    ASSERT_EQ(a.size(), first.size());
    ASSERT_EQ(b.size(), second.size());
    EXPECT_EQ(BigEndian32(a, 0, 1079), 1000u);
    EXPECT_EQ(BigEndian32(a, 1, 1079), 1000u);
    EXPECT_EQ(BigEndian32(a, 1, 1345), 0x3FFFFFFFu);  // the next VOBU is in the next file
    EXPECT_EQ(BigEndian32(a, 1, 1349), 0x80000001u);
    EXPECT_EQ(BigEndian32(b, 0, 1079), 2000u);
    EXPECT_EQ(BigEndian32(b, 0, 1349), 0x3FFFFFFFu);  // the previous VOBU is in the previous file
    EXPECT_EQ(BigEndian32(b, 0, 1345), 0x80000003u);
    EXPECT_EQ(BigEndian32(b, 0, 147), static_cast<std::uint32_t>(kNavFiller) * 0x01010101u);  // no highlight command
}

TEST_F(DvdNavigationTest, StopsAtTheFirstFailedReadAndSkipsForeignSectors) {
    SinkPtr sink = Create("cut.vob");
    ASSERT_NE(sink, nullptr);
    bufstream* bs = sink.get();
    ASSERT_EQ(Send(bs, BUFSTREAM_CMD_DVD_ENABLE), 0);
    const Image image = MakeImage(6, {0, 2, 4});
    ASSERT_TRUE(sinktest::WriteInChunks(bs, image, 5000));
    AddVobu(bs, 0, 45000, 0);
    AddVobu(bs, 1, 45000, 0);   // not a navigation pack: left alone
    AddVobu(bs, 2, 45000, 0);
    AddVobu(bs, 40, 45000, 0);  // past the end of the file: the fix-up stops
    AddVobu(bs, 4, 45000, 0);
    SetEndPtm(bs, 77);
    sink.reset();

    const Image result = testsupport::ReadFileBytes(dir_.File("cut.vob"));
    ASSERT_EQ(result.size(), image.size());
    EXPECT_EQ(BigEndian32(result, 0, 1079), 77u);
    EXPECT_EQ(BigEndian32(result, 2, 1079), 77u);
    EXPECT_TRUE(std::equal(result.begin() + kSector, result.begin() + 2 * kSector, image.begin() + kSector));
    EXPECT_TRUE(std::equal(result.begin() + 4 * kSector, result.end(), image.begin() + 4 * kSector));
}

TEST_F(DvdNavigationTest, SuppressedOrDisabledModeLeavesTheFile) {
    const Image image = MakeImage(2, {0, 1});
    for (const bool enable : {true, false}) {
        SinkPtr sink = Create("same.vob");
        ASSERT_NE(sink, nullptr);
        bufstream* bs = sink.get();
        if (enable) {
            ASSERT_EQ(Send(bs, BUFSTREAM_CMD_DVD_ENABLE), 0);
            ASSERT_EQ(Send(bs, BUFSTREAM_CMD_DVD_SUPPRESS_FIXUP), 0);
        } else {
            EXPECT_EQ(Send(bs, BUFSTREAM_CMD_DVD_NEW_AUDIO_SYNC), -1);
            EXPECT_EQ(Send(bs, BUFSTREAM_CMD_DVD_NEW_SUBPIC_SYNC), -1);
        }
        ASSERT_TRUE(sinktest::WriteInChunks(bs, image, 4096));
        AddVobu(bs, 0, 45000, 1);
        AddVobu(bs, 1, 45000, 1);
        SetEndPtm(bs, 5);
        sink.reset();
        EXPECT_EQ(testsupport::ReadFileBytes(dir_.File("same.vob")), image) << enable;
    }
}

TEST_F(DvdNavigationTest, TableLimitsAndMalformedCommands) {
    SinkPtr sink = Create("limits.vob");
    ASSERT_NE(sink, nullptr);
    bufstream* bs = sink.get();
    ASSERT_EQ(Send(bs, BUFSTREAM_CMD_DVD_ENABLE), 0);
    ASSERT_EQ(Send(bs, BUFSTREAM_CMD_DVD_ENABLE), 0);  // already on
    for (std::int32_t i = 0; i < 8; ++i) EXPECT_EQ(Send(bs, BUFSTREAM_CMD_DVD_NEW_AUDIO_SYNC), i);
    EXPECT_EQ(Send(bs, BUFSTREAM_CMD_DVD_NEW_AUDIO_SYNC), -1);
    for (std::int32_t i = 0; i < 32; ++i) EXPECT_EQ(Send(bs, BUFSTREAM_CMD_DVD_NEW_SUBPIC_SYNC), i);
    EXPECT_EQ(Send(bs, BUFSTREAM_CMD_DVD_NEW_SUBPIC_SYNC), -1);
    EXPECT_EQ(Send(bs, BUFSTREAM_CMD_DVD_SUBPIC_REFERENCE, nullptr, 0, 1234), 0);

    const Image image = MakeImage(2, {0, 1});
    ASSERT_TRUE(sinktest::WriteInChunks(bs, image, 4096));
    // Sizes that do not match are ignored, as are values for missing tables.
    const bufstream_dvd_vobu stray{1, 45000, 1};
    EXPECT_EQ(Send(bs, BUFSTREAM_CMD_DVD_ADD_VOBU, &stray, 8), 0);
    EXPECT_EQ(Send(bs, BUFSTREAM_CMD_DVD_ADD_VOBU, nullptr, 12), 0);
    const bufstream_dvd_sync_value missing{8, 0x1234};
    EXPECT_EQ(Send(bs, BUFSTREAM_CMD_DVD_ADD_AUDIO_SYNC, &missing, sizeof missing), 0);
    const bufstream_dvd_sync_value negative{-1, 0x1234};
    EXPECT_EQ(Send(bs, BUFSTREAM_CMD_DVD_ADD_SUBPIC_SYNC, &negative, sizeof negative), 0);
    const std::int64_t wide_ptm = 99;
    EXPECT_EQ(Send(bs, BUFSTREAM_CMD_DVD_PART_END_PTM, &wide_ptm, sizeof wide_ptm), 0);
    // The table holds 50,400 VOBUs; one more is dropped, so sector 1 stays as written.
    for (int i = 0; i < 50400; ++i) AddVobu(bs, 0, 45000, 1);
    AddVobu(bs, 1, 45000, 1);
    sink.reset();

    const Image result = testsupport::ReadFileBytes(dir_.File("limits.vob"));
    ASSERT_EQ(result.size(), image.size());
    EXPECT_EQ(BigEndian32(result, 0, 1079), 0u);
    EXPECT_TRUE(std::equal(result.begin() + kSector, result.end(), image.begin() + kSector));
}

}  // namespace
