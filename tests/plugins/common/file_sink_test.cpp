// The file sink: buffering, direct writes, numbered part files and the
// commands that report on them.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "plugins/common/file_sink.h"
#include "tests/plugins/common/sink_files.h"
#include "tests/support/temp_dir.h"

namespace {

using sinktest::FileSize;
using sinktest::SinkPtr;
using testsupport::ReadFileBytes;

constexpr std::uint32_t kMiB = 1048576;

class FileSinkTest : public ::testing::Test {
protected:
    SinkPtr Create(const std::string& name) { return SinkPtr(sinks::CreateFileSink(dir_.File(name).c_str())); }
    testsupport::TempDir dir_;
};

TEST_F(FileSinkTest, TwelveMebibytesInMebibyteChunks) {
    SinkPtr sink = Create("big.mpa");
    ASSERT_NE(sink, nullptr);
    const auto data = sinktest::Pattern(12 * kMiB, 4);
    ASSERT_TRUE(sinktest::WriteInChunks(sink.get(), data, kMiB));
    EXPECT_EQ(sinktest::BytesAccepted(sink.get()), 12582912u);
    sink.reset();
    EXPECT_EQ(ReadFileBytes(dir_.File("big.mpa")), data);
}

TEST_F(FileSinkTest, ReserveFlushesWhenTheBufferIsFullAndRefusesMoreThanItHolds) {
    SinkPtr sink = Create("r.mpa");
    ASSERT_NE(sink, nullptr);
    bufstream* bs = sink.get();
    EXPECT_EQ(bs->reserve(bs, 6 * kMiB), nullptr);
    const auto first = sinktest::Pattern(4 * kMiB, 5);
    ASSERT_TRUE(sinktest::ReserveAndCommit(bs, first));
    EXPECT_EQ(bs->bytes_available(bs), kMiB);
    EXPECT_EQ(FileSize(dir_.File("r.mpa")), 0);
    // Two more MiB do not fit behind the first four: the four go to the file.
    const auto second = sinktest::Pattern(2 * kMiB, 6);
    ASSERT_TRUE(sinktest::ReserveAndCommit(bs, second));
    EXPECT_EQ(FileSize(dir_.File("r.mpa")), 4 * kMiB);
    EXPECT_EQ(sinktest::BytesAccepted(bs), 6u * kMiB);
    sink.reset();
    auto expected = first;
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(ReadFileBytes(dir_.File("r.mpa")), expected);
}

TEST_F(FileSinkTest, MixedWritesKeepCallOrder) {
    SinkPtr sink = Create("m.mpa");
    ASSERT_NE(sink, nullptr);
    const auto a = sinktest::Pattern(300, 7);
    const auto b = sinktest::Pattern(200, 8);
    const auto c = sinktest::Pattern(100, 9);
    ASSERT_TRUE(sinktest::ReserveAndCommit(sink.get(), a));
    ASSERT_TRUE(sinktest::WriteInChunks(sink.get(), b, 64));
    ASSERT_TRUE(sinktest::ReserveAndCommit(sink.get(), c));
    EXPECT_EQ(sinktest::BytesAccepted(sink.get()), 600u);
    sink->finish(sink.get(), 0);
    auto expected = a;
    expected.insert(expected.end(), b.begin(), b.end());
    expected.insert(expected.end(), c.begin(), c.end());
    EXPECT_EQ(ReadFileBytes(dir_.File("m.mpa")), expected);
}

TEST_F(FileSinkTest, CommitPastTheBufferIsCut) {
    SinkPtr sink = Create("c.mpa");
    ASSERT_NE(sink, nullptr);
    bufstream* bs = sink.get();
    ASSERT_NE(bs->reserve(bs, 16), nullptr);
    EXPECT_EQ(bs->commit(bs, 6 * kMiB), 5 * kMiB);
    EXPECT_EQ(bs->bytes_available(bs), 0u);
    EXPECT_EQ(bs->commit(bs, 1), 0u);
}

TEST_F(FileSinkTest, FlushCommandLeavesTheSinkBufferAlone) {
    SinkPtr sink = Create("f.mpa");
    ASSERT_NE(sink, nullptr);
    ASSERT_TRUE(sinktest::ReserveAndCommit(sink.get(), sinktest::Pattern(100, 10)));
    EXPECT_EQ(sink->control(sink.get(), 0, BUFSTREAM_CMD_FLUSH_FILE, nullptr, 0), 0);
    EXPECT_EQ(FileSize(dir_.File("f.mpa")), 0);
    const auto direct = sinktest::Pattern(10, 11);
    ASSERT_TRUE(sinktest::WriteInChunks(sink.get(), direct, 10));
    EXPECT_EQ(FileSize(dir_.File("f.mpa")), 110);
}

TEST_F(FileSinkTest, ReleaseWithoutFinishFlushes) {
    bufstream* bs = sinks::CreateFileSink(dir_.File("rel.mpa").c_str());
    ASSERT_NE(bs, nullptr);
    const auto data = sinktest::Pattern(12345, 12);
    ASSERT_TRUE(sinktest::ReserveAndCommit(bs, data));
    bs->release(bs);
    EXPECT_EQ(ReadFileBytes(dir_.File("rel.mpa")), data);
}

TEST_F(FileSinkTest, TwoSplitsMakeThreeNumberedFiles) {
    SinkPtr sink = Create("a.mpa");
    ASSERT_NE(sink, nullptr);
    bufstream* bs = sink.get();
    const auto p0 = sinktest::Pattern(1000, 13);
    const auto p1 = sinktest::Pattern(2000, 14);
    const auto p2 = sinktest::Pattern(3000, 15);
    EXPECT_EQ(sinktest::PartNumber(bs), 0);
    EXPECT_EQ(sinktest::PartFileName(bs), dir_.File("a.mpa"));
    ASSERT_TRUE(sinktest::ReserveAndCommit(bs, p0));
    ASSERT_EQ(bs->next_part(bs), 0u);
    EXPECT_EQ(sinktest::BytesAccepted(bs), 0u);
    ASSERT_TRUE(sinktest::WriteInChunks(bs, p1, 700));
    EXPECT_EQ(sinktest::BytesAccepted(bs), 2000u);
    ASSERT_EQ(bs->control(bs, 0, BUFSTREAM_CMD_NEXT_PART, nullptr, 0), 0);
    ASSERT_TRUE(sinktest::ReserveAndCommit(bs, p2));
    EXPECT_EQ(sinktest::PartNumber(bs), 2);
    EXPECT_EQ(sinktest::PartFileName(bs), dir_.File("a002.mpa"));
    sink.reset();
    EXPECT_EQ(ReadFileBytes(dir_.File("a.mpa")), p0);
    EXPECT_EQ(ReadFileBytes(dir_.File("a001.mpa")), p1);
    EXPECT_EQ(ReadFileBytes(dir_.File("a002.mpa")), p2);
}

TEST_F(FileSinkTest, SplitNamesWithoutExtensionOrWithDottedFolder) {
    SinkPtr plain = Create("stream");
    ASSERT_NE(plain, nullptr);
    ASSERT_EQ(plain->next_part(plain.get()), 0u);
    ASSERT_EQ(plain->next_part(plain.get()), 0u);
    EXPECT_EQ(sinktest::PartFileName(plain.get()), dir_.File("stream002"));
    EXPECT_TRUE(std::filesystem::exists(dir_.File("stream001")));

    std::filesystem::create_directory(dir_.File("v1.d"));
    SinkPtr dotted = Create("v1.d/track");
    ASSERT_NE(dotted, nullptr);
    ASSERT_EQ(dotted->next_part(dotted.get()), 0u);
    EXPECT_EQ(sinktest::PartFileName(dotted.get()), dir_.File("v1.d/track001"));
    EXPECT_TRUE(std::filesystem::exists(dir_.File("v1.d/track001")));
}

TEST_F(FileSinkTest, FileNameCommandNeedsRoomForTheTerminator) {
    SinkPtr sink = Create("n.mpa");
    ASSERT_NE(sink, nullptr);
    const std::string name = dir_.File("n.mpa");
    std::string buffer(name.size() + 1, '#');
    const auto exact = static_cast<std::uint32_t>(name.size());
    EXPECT_EQ(sink->control(sink.get(), 0, BUFSTREAM_CMD_PART_FILE_NAME, buffer.data(), exact), -1);
    EXPECT_EQ(buffer, std::string(name.size() + 1, '#'));
    EXPECT_EQ(sink->control(sink.get(), 0, BUFSTREAM_CMD_PART_FILE_NAME, nullptr, 4096), -1);
    EXPECT_EQ(sink->control(sink.get(), 0, BUFSTREAM_CMD_PART_FILE_NAME, buffer.data(), exact + 1), 0);
    EXPECT_EQ(buffer, name + '\0');
}

TEST_F(FileSinkTest, KnownIdsWithWrongSizesWriteNothing) {
    SinkPtr sink = Create("w.mpa");
    ASSERT_NE(sink, nullptr);
    ASSERT_EQ(sink->next_part(sink.get()), 0u);
    std::int64_t wide = -7;
    EXPECT_EQ(sink->control(sink.get(), 0, BUFSTREAM_CMD_PART_NUMBER, &wide, sizeof wide), 0);
    EXPECT_EQ(wide, -7);
    std::int32_t narrow = -7;
    EXPECT_EQ(sink->control(sink.get(), 0, BUFSTREAM_CMD_BYTES_ACCEPTED, &narrow, sizeof narrow), 0);
    EXPECT_EQ(narrow, -7);
    EXPECT_EQ(sinktest::PartNumber(sink.get()), 1);
}

TEST_F(FileSinkTest, RefusesNamesItCannotHold) {
    EXPECT_EQ(sinks::CreateFileSink(nullptr), nullptr);
    EXPECT_EQ(sinks::CreateFileSink(""), nullptr);
    EXPECT_EQ(sinks::CreateFileSink(dir_.File("missing/x.mpa").c_str()), nullptr);
    // One character more than the name buffer holds; no file may appear
    // under a shortened name either.
    const std::string prefix = dir_.File("");
    const std::string too_long = prefix + std::string(sinks::kMaxFileName + 1 - prefix.size(), 'x');
    EXPECT_EQ(sinks::CreateFileSink(too_long.c_str()), nullptr);
    EXPECT_TRUE(std::filesystem::is_empty(dir_.Path()));
}

TEST_F(FileSinkTest, SplitRefusesANameThatOutgrowsTheBuffer) {
    // A name that fits now but not with three digits more.
    const std::size_t target = sinks::kMaxFileName - 1;
    std::string name = dir_.File("");
    while (target - name.size() > 200) {
        name += std::string(150, 'd');
        std::filesystem::create_directory(name);
        name += '/';
    }
    name += std::string(target - name.size(), 'f');
    SinkPtr sink(sinks::CreateFileSink(name.c_str()));
    ASSERT_NE(sink, nullptr) << name.size();
    EXPECT_EQ(sink->next_part(sink.get()), BUFSTREAM_NEXT_PART_FAILED);
    EXPECT_EQ(sinktest::PartNumber(sink.get()), 0);
}

}  // namespace
