// Tags are metadata, never junk: MP3s tagged by lame and by mutagen, with the
// offsets and sizes mutagen reports as the oracle; Lyrics3v2 and an APE tag
// with a footer only, built here.

#include <sstream>

#include "tests/libs/mpacheck/check_driver.h"

namespace {

using namespace checktest;

struct TagBlock {
    std::string label;
    std::uint64_t offset;
    std::uint64_t size;
    bool operator==(const TagBlock&) const = default;
};

std::vector<TagBlock> Blocks(const CheckRun& run) {
    std::vector<TagBlock> blocks;
    for (const auto& f : run.Of(finding_kind::metadata)) blocks.push_back({f.label, f.offset, f.length});
    return blocks;
}

void PrintTo(const TagBlock& b, std::ostream* out) { *out << b.label << "@" << b.offset << "+" << b.size; }

std::string Lame(const testsupport::TempDir& dir, const std::string& arguments, const std::string& name) {
    return Encode(dir, "lame", "-b 128 " + arguments, 44100, name);
}

// Stream, tags and no problem at all: every byte is a frame or a tag.
void ExpectOnlyTags(const CheckRun& run, const std::vector<TagBlock>& tags) {
    EXPECT_EQ(run.Problems(), "");
    EXPECT_EQ(Blocks(run), tags);
    EXPECT_EQ(run.summary.metadata_count, static_cast<int>(tags.size()));
    EXPECT_GT(run.summary.frames, 50);
}

TEST(LameTagsTest, TitleAndPictureGiveAnId3v2AndAnId3v1Tag) {
    CHECKTEST_REQUIRE("lame");
    const testsupport::TempDir dir;
    const std::string picture = dir.File("cover.jpg");
    testsupport::RunShell("ffmpeg -v error -y -f lavfi -i color=c=red:s=64x64 -frames:v 1 " + Q(picture));
    const std::string path = Lame(dir, "--tt Title --ta Artist --ti " + Q(picture), "tagged.mp3");
    const auto bytes = testsupport::ReadFileBytes(path);
    ASSERT_GT(bytes.size(), 1000u);
    // The ID3v2 size is in the tag's own header; ID3v1 is the last 128 bytes.
    const std::uint64_t id3v2 = 10 + (bytes[6] << 21 | bytes[7] << 14 | bytes[8] << 7 | bytes[9]);
    ExpectOnlyTags(CheckFile(path), {{"ID3v2.3", 0, id3v2}, {"ID3v1", bytes.size() - 128, 128}});
    EXPECT_GT(id3v2, testsupport::ReadFileBytes(picture).size()) << "the picture is in the tag";
}

TEST(LameTagsTest, Id3v1OnlyAndAddedId3v2) {
    CHECKTEST_REQUIRE("lame");
    const testsupport::TempDir dir;
    const std::string v1 = Lame(dir, "--tt Title --id3v1-only", "v1.mp3");
    const auto v1_size = testsupport::ReadFileBytes(v1).size();
    ExpectOnlyTags(CheckFile(v1), {{"ID3v1", v1_size - 128, 128}});

    const std::string both = Lame(dir, "--tt Title --add-id3v2", "both.mp3");
    const auto bytes = testsupport::ReadFileBytes(both);
    const std::uint64_t id3v2 = 10 + (bytes[6] << 21 | bytes[7] << 14 | bytes[8] << 7 | bytes[9]);
    ExpectOnlyTags(CheckFile(both), {{"ID3v2.3", 0, id3v2}, {"ID3v1", bytes.size() - 128, 128}});
}

// mutagen writes APEv2, ID3v2 and ID3v1 together and says where they are.
class MutagenTagsTest : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(MutagenTagsTest, OffsetsAndSizesAreMutagens) {
    CHECKTEST_REQUIRE("lame");
    if (testsupport::RunShell("/usr/bin/python3 -c 'import mutagen' 2>/dev/null").exit_code != 0) {
        GTEST_SKIP() << "python3-mutagen is not installed";
    }
    const testsupport::TempDir dir;
    const std::string plain = Lame(dir, "", "plain.mp3");
    const std::string tagged = dir.File("tagged.mp3");
    const auto layout = testsupport::RunShell("/usr/bin/python3 " + Q(std::string(TAMBERLY_TESTS_SOURCE_DIR) +
                                                                        "/libs/mpacheck/tag_layout.py") +
                                              " " + Q(plain) + " " + Q(tagged) + " " +
                                              std::to_string(GetParam().first) + " " + std::to_string(GetParam().second));
    ASSERT_EQ(layout.exit_code, 0) << layout.out;
    std::vector<TagBlock> expected;
    std::istringstream lines(layout.out);
    TagBlock block;
    while (lines >> block.label >> block.offset >> block.size) expected.push_back(block);
    ASSERT_EQ(expected.size(), 3u) << layout.out;
    ExpectOnlyTags(CheckFile(tagged, 7), expected);
}

INSTANTIATE_TEST_SUITE_P(Versions, MutagenTagsTest,
                         ::testing::Values(std::pair{3, 0}, std::pair{4, 0}, std::pair{4, 100000}));

// A Lyrics3v2 block before ID3v1 and an APE tag with a footer only (its
// items come before it) are tags too; a Lyrics3v2 start without a valid end
// is junk.
TEST(BuiltTagsTest, Lyrics3v2AndFooterOnlyApe) {
    CHECKTEST_REQUIRE("lame");
    const testsupport::TempDir dir;
    auto bytes = testsupport::ReadFileBytes(Lame(dir, "", "plain.mp3"));
    const std::uint64_t audio_end = bytes.size();
    const std::string lyrics_body = "LYRICSBEGININD0000210LYR00010Some words";
    const std::string lyrics = lyrics_body + "0000" + std::to_string(lyrics_body.size()) + "LYRICS200";
    bytes.insert(bytes.end(), lyrics.begin(), lyrics.end());
    // APEv2 footer: "APETAGEX", version 2000, size (items + footer), 1 item, flags 0.
    const std::string item = std::string("\x03\0\0\0\0\0\0\0", 8) + "Key" + std::string(1, '\0') + "abc";
    auto le32 = [](std::uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
    const std::string footer = "APETAGEX" + le32(2000) + le32(static_cast<std::uint32_t>(item.size() + 32)) +
                               le32(1) + le32(0) + std::string(8, '\0');
    const std::uint64_t ape_at = audio_end + lyrics.size();
    bytes.insert(bytes.end(), item.begin(), item.end());
    bytes.insert(bytes.end(), footer.begin(), footer.end());
    std::string v1 = "TAG" + std::string(125, ' ');
    bytes.insert(bytes.end(), v1.begin(), v1.end());
    ExpectOnlyTags(Check(bytes), {{"Lyrics3v2", audio_end, lyrics.size()},
                                  {"APEv2", ape_at, item.size() + 32},
                                  {"ID3v1", bytes.size() - 128, 128}});

    bytes.resize(audio_end);
    const std::string broken = "LYRICSBEGINno end here";
    bytes.insert(bytes.end(), broken.begin(), broken.end());
    const CheckRun run = Check(bytes);
    ASSERT_EQ(run.Of(finding_kind::junk).size(), 1u) << run.Problems();
    EXPECT_EQ(run.Of(finding_kind::junk)[0].offset, audio_end);
    EXPECT_EQ(run.Of(finding_kind::junk)[0].length, broken.size());
}

}  // namespace
