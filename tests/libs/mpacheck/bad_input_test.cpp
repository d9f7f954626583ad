// Hostile and broken input: every truncation of a small stream, a 3 GB
// sparse file with frames at both ends, 0xFF bytes, random bytes and an
// ID3v2 header that claims 256 MB. No crash, no hang, flat memory and a
// clear finding.

#include <sys/resource.h>
#include <unistd.h>

#include <fcntl.h>

#include <random>

#include "tests/libs/mpacheck/check_driver.h"

namespace {

using namespace checktest;

long PeakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// 9 frames of 252 bytes (Layer II, 32 kHz, 56 kbit/s, mono, with CRC).
TEST(TruncationTest, EveryPrefixGivesItsWholeFramesAndNamesTheCutOne) {
    const Bytes full = testsupport::ReadFileBytes(testsupport::FixturePath("crc_l2_32k_56k_mono.mp2"));
    constexpr std::size_t kFrame = 252;
    ASSERT_EQ(full.size(), 9 * kFrame);
    for (std::size_t size = 0; size <= full.size(); ++size) {
        const CheckRun run = Check(Bytes(full.begin(), full.begin() + static_cast<long>(size)), 97);
        const std::size_t whole = size / kFrame;
        const std::size_t rest = size % kFrame;
        ASSERT_EQ(run.summary.frames, static_cast<std::int64_t>(whole)) << size;
        const auto cut = run.Of(finding_kind::truncated_frame);
        const auto junk = run.Of(finding_kind::junk);
        if (rest == 0) {
            EXPECT_TRUE(cut.empty() && junk.empty()) << size << "\n" << run.Problems();
        } else if (whole > 0 && rest >= 4) {
            ASSERT_EQ(cut.size(), 1u) << size;
            EXPECT_EQ(cut[0].length, kFrame - rest);
            EXPECT_EQ(cut[0].offset, whole * kFrame);
        } else {
            ASSERT_EQ(junk.size(), 1u) << size << "\n" << run.Problems();
            EXPECT_EQ(junk[0].length, rest);
        }
        EXPECT_EQ(run.Of(finding_kind::no_audio).size(), whole == 0 ? 1u : 0u);
        EXPECT_TRUE(run.Frames(finding_kind::crc_mismatch).empty());
    }
}

TEST(HugeInputTest, SparseThreeGigabytesWithFramesAtBothEnds) {
    const testsupport::TempDir dir;
    const Bytes frames = testsupport::ReadFileBytes(testsupport::FixturePath("crc_l2_32k_56k_mono.mp2"));
    const std::string path = dir.File("sparse.mp2");
    const std::uint64_t size = 3ull << 30;
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::pwrite(fd, frames.data(), frames.size(), 0), static_cast<ssize_t>(frames.size()));
    const auto tail = static_cast<off_t>(size - frames.size());
    ASSERT_EQ(::pwrite(fd, frames.data(), frames.size(), tail), static_cast<ssize_t>(frames.size()));
    ::close(fd);

    const long before = PeakKilobytes();
    CheckRun run;
    mpacheck::checker checker([&](const mpacheck::finding& f) { run.findings.push_back(f); });
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    std::vector<std::uint8_t> chunk(1 << 20);
    std::size_t got;
    while ((got = std::fread(chunk.data(), 1, chunk.size(), file)) > 0) checker.feed(chunk.data(), got);
    std::fclose(file);
    checker.finish();
    run.summary = checker.result();

    EXPECT_EQ(run.summary.frames, 18);
    EXPECT_EQ(run.summary.bytes, size);
    const auto lost = run.Of(finding_kind::sync_lost);
    ASSERT_EQ(lost.size(), 1u) << run.Problems();
    EXPECT_EQ(lost[0].offset, frames.size());
    EXPECT_EQ(lost[0].length, size - 2 * frames.size());
    EXPECT_EQ(lost[0].frame, 9);
    EXPECT_LT(PeakKilobytes() - before, 16 * 1024) << "memory grew with the stream";
}

struct JunkCase {
    const char* name;
    Bytes bytes;
    finding_kind expected;
};

std::vector<JunkCase> JunkCases() {
    Bytes random(1 << 20);
    std::mt19937 generator(17);
    for (auto& byte : random) byte = static_cast<std::uint8_t>(generator());
    Bytes huge_tag = {'I', 'D', '3', 4, 0, 0, 0x7F, 0x7F, 0x7F, 0x7F};  // 256 MB - 1 + 10 bytes
    const Bytes frames = testsupport::ReadFileBytes(testsupport::FixturePath("crc_l2_32k_56k_mono.mp2"));
    huge_tag.insert(huge_tag.end(), frames.begin(), frames.end());
    return {{"random", random, finding_kind::no_audio},
            {"all_ff", Bytes(1 << 20, 0xFF), finding_kind::no_audio},
            {"huge_id3v2", huge_tag, finding_kind::tag_truncated}};
}

TEST(JunkInputTest, NoCrashAndAClearFinding) {
    for (const auto& c : JunkCases()) {
        const CheckRun run = Check(c.bytes, 4096);
        EXPECT_EQ(run.Of(c.expected).size(), 1u) << c.name << "\n" << run.Problems();
        EXPECT_EQ(run.summary.bytes, c.bytes.size());
    }
    const CheckRun tag = Check(JunkCases()[2].bytes);
    ASSERT_EQ(tag.Of(finding_kind::tag_truncated).size(), 1u);
    EXPECT_EQ(tag.Of(finding_kind::tag_truncated)[0].length, (256ull << 20) - 1 + 10 - tag.summary.bytes);
    EXPECT_EQ(tag.summary.frames, 0) << "the frames are inside the claimed tag";
}

}  // namespace
