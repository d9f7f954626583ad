// Sinks on a disk that is full or too small: every failure reaches the
// writer as a result, and nothing crashes.

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>

#include <sys/resource.h>

#include "plugins/common/file_sink.h"
#include "tests/support/temp_dir.h"
#include "tests/plugins/common/wav_sink_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

using sinktest::SinkPtr;

constexpr const char* kFullDisk = "/dev/full";

bool FullDiskAvailable() { return std::filesystem::exists(kFullDisk); }

TEST(SinkFaults, FileSinkOnAFullDisk) {
    if (!FullDiskAvailable()) GTEST_SKIP() << "no " << kFullDisk;
    SinkPtr sink(sinks::CreateFileSink(kFullDisk));
    ASSERT_NE(sink, nullptr);
    bufstream* bs = sink.get();
    const auto data = sinktest::Pattern(4096, 30);
    EXPECT_EQ(bs->write_bytes(bs, data.data(), 4096), 0u);
    // Buffered bytes fail when they are flushed: by a reservation that does
    // not fit, and by a split, which then creates no new part.
    ASSERT_TRUE(sinktest::ReserveAndCommit(bs, sinktest::Pattern(5 * 1048576 - 10, 31)));
    EXPECT_EQ(bs->reserve(bs, 100), nullptr);
    ASSERT_TRUE(sinktest::ReserveAndCommit(bs, data));
    EXPECT_EQ(bs->next_part(bs), BUFSTREAM_NEXT_PART_FAILED);
    EXPECT_FALSE(std::filesystem::exists("/dev/full001"));
    EXPECT_EQ(sinktest::PartNumber(bs), 0);
    EXPECT_EQ(bs->write_bytes(bs, data.data(), 4096), 0u);
}

// finish has no result in the record: the creator's report learns that the
// bytes the sink only buffered never reached the disk.
TEST(SinkFaults, FinishOnAFullDiskIsReported) {
    if (!FullDiskAvailable()) GTEST_SKIP() << "no " << kFullDisk;
    sinks::FinishReport report;
    bufstream* bs = sinks::CreateFileSink(kFullDisk, &report);
    ASSERT_NE(bs, nullptr);
    ASSERT_TRUE(sinktest::ReserveAndCommit(bs, sinktest::Pattern(4096, 32)));
    EXPECT_FALSE(report.failed);
    bs->finish(bs, 0);
    EXPECT_TRUE(report.failed);
    bs->release(bs);
}

TEST(SinkFaults, FinishThatCompletesTheFileLeavesTheReportClear) {
    testsupport::TempDir dir;
    sinks::FinishReport report;
    const std::string path = dir.File("out.bin");
    SinkPtr sink(sinks::CreateFileSink(path.c_str(), &report));
    ASSERT_NE(sink, nullptr);
    ASSERT_TRUE(sinktest::ReserveAndCommit(sink.get(), sinktest::Pattern(4096, 33)));
    sink.reset();  // release finishes first
    EXPECT_FALSE(report.failed);
    EXPECT_EQ(sinktest::FileSize(path), 4096);
}

class WavSinkFaults : public sinktest::WavSinkFixture {};

TEST_F(WavSinkFaults, FinishThatCompletesTheHeaderLeavesTheReportClear) {
    sinks::FinishReport report;
    SinkPtr sink(sinks::CreateWavSink(dir_.File("out.wav").c_str(), &report));
    ASSERT_NE(sink, nullptr);
    const auto samples = sinktest::TestSamples(10, 2, 16, 34);
    ASSERT_EQ(Tagged(sink.get(), Join(sinktest::TagHeader("LPCM", 4, 0), sinktest::PackDvdLpcm(samples, 2, 16))), 0);
    sink.reset();
    EXPECT_FALSE(report.failed);
    EXPECT_EQ(sinktest::FileSize(dir_.File("out.wav")), 44 + 10 * 2 * 2);
}

TEST_F(WavSinkFaults, FullDiskFailsTheFirstPacket) {
    if (!FullDiskAvailable()) GTEST_SKIP() << "no " << kFullDisk;
    SinkPtr sink(sinks::CreateWavSink(kFullDisk));
    ASSERT_NE(sink, nullptr);
    const auto samples = sinktest::TestSamples(10, 2, 16, 32);
    EXPECT_EQ(Tagged(sink.get(), Join(sinktest::TagHeader("LPCM", 4, 0), sinktest::PackDvdLpcm(samples, 2, 16))), -1);
}

// A file size limit lets the header through and stops the samples.
int ConvertIntoASmallFile(const std::string& path) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{100, 100};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 2;
    SinkPtr sink(sinks::CreateWavSink(path.c_str()));
    if (!sink) return 3;
    auto packet = sinktest::TagHeader("LPCM", 4, 0);
    const auto payload = sinktest::PackDvdLpcm(sinktest::TestSamples(64, 2, 16, 33), 2, 16);
    packet.insert(packet.end(), payload.begin(), payload.end());
    bufstream_pcm_stream_desc description{};
    sink->write_bytes(sink.get(), packet.data(), static_cast<std::uint32_t>(packet.size()));
    const std::int32_t result =
        sink->control(sink.get(), 0, BUFSTREAM_CMD_PCM_PACKET_TAGGED, &description, sizeof description);
    return result == -1 ? 0 : 4;
}

TEST_F(WavSinkFaults, ShortWriteOfSamplesFailsThePacket) {
    // Forked without re-running the program, so the child writes into this
    // test's folder.
    GTEST_FLAG_SET(death_test_style, "fast");
    const std::string path = dir_.File("small.wav");
    EXPECT_EXIT(std::exit(ConvertIntoASmallFile(path)), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(sinktest::FileSize(path), 100);
}

// A symbolic link planted at the output's name is never written through: the
// sink is not created and the link's target keeps its bytes.
TEST(SinkFaults, PlantedLinksAreNotFollowed) {
    testsupport::TempDir dir;
    const std::string target = dir.Write("target.bin", {5, 6});
    for (const char* kind : {"file", "wav"}) {
        SCOPED_TRACE(kind);
        const std::string link = dir.File(std::string(kind) + ".out");
        std::filesystem::create_symlink(target, link);
        SinkPtr sink(std::string(kind) == "file" ? sinks::CreateFileSink(link.c_str())
                                                  : sinks::CreateWavSink(link.c_str()));
        EXPECT_EQ(sink, nullptr);
    }
    EXPECT_EQ(testsupport::ReadFileBytes(target), (std::vector<std::uint8_t>{5, 6}));
}

}  // namespace
