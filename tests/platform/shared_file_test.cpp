#include "platform/shared_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "tests/support/temp_dir.h"

namespace {

using platform::SharedFile;

TEST(SharedFile, RefusesMissingFilesAndFolders) {
    testsupport::TempDir dir;
    SharedFile file;
    EXPECT_FALSE(file.Open(dir.File("missing.mpa")));
    EXPECT_FALSE(file.Open(dir.Path().string()));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.Size(), -1);
    char byte;
    EXPECT_EQ(file.Read(&byte, 1), -1);
}

TEST(SharedFile, ReadsFromThePositionAndAdvances) {
    testsupport::TempDir dir;
    const auto path = dir.Write("bytes.bin", {1, 2, 3, 4, 5, 6});
    SharedFile file;
    ASSERT_TRUE(file.Open(path));
    EXPECT_EQ(file.Size(), 6);
    ASSERT_TRUE(file.Seek(2));
    std::uint8_t buffer[8] = {};
    EXPECT_EQ(file.Read(buffer, 3), 3);
    EXPECT_EQ(buffer[0], 3);
    EXPECT_EQ(buffer[2], 5);
    EXPECT_EQ(file.Position(), 5);
    EXPECT_EQ(file.Read(buffer, 8), 1);  // short read at the end
    EXPECT_EQ(file.Read(buffer, 8), 0);
    EXPECT_TRUE(file.Seek(100));         // past the end: reads deliver nothing
    EXPECT_EQ(file.Read(buffer, 8), 0);
    EXPECT_FALSE(file.Seek(-1));
}

TEST(SharedFile, TwoHandlesSeeEachOthersWritesInPlace) {
    testsupport::TempDir dir;
    const auto path = dir.Write("bytes.bin", {0, 0, 0, 0});
    SharedFile reader;
    SharedFile writer;
    ASSERT_TRUE(reader.Open(path));
    ASSERT_TRUE(writer.Open(path, SharedFile::Access::ReadWrite));
    const std::uint8_t patch = 0xAB;
    ASSERT_TRUE(writer.Seek(2));
    EXPECT_EQ(writer.Write(&patch, 1), 1);
    std::uint8_t buffer[4] = {};
    EXPECT_EQ(reader.Read(buffer, 4), 4);
    EXPECT_EQ(buffer[2], 0xAB);
    EXPECT_EQ(reader.Size(), 4);  // a write in place never changes the length
    EXPECT_EQ(reader.Write(&patch, 1), -1) << "a read-only handle must not write";
}

TEST(SharedFile, ReadsBeyondFourGiB) {
    testsupport::TempDir dir;
    const auto path = dir.File("sparse.bin");
    const std::int64_t offset = (std::int64_t{1} << 32) + 10;
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    const std::uint8_t marker[2] = {0x12, 0x34};
    ASSERT_EQ(::pwrite(fd, marker, 2, static_cast<off_t>(offset)), 2);
    ::close(fd);

    SharedFile file;
    ASSERT_TRUE(file.Open(path));
    EXPECT_EQ(file.Size(), offset + 2);
    ASSERT_TRUE(file.Seek(offset));
    std::uint8_t buffer[4] = {};
    EXPECT_EQ(file.Read(buffer, 4), 2);
    EXPECT_EQ(buffer[0], 0x12);
    EXPECT_EQ(buffer[1], 0x34);
}

TEST(SharedFile, MoveHandsOverTheOpenFile) {
    testsupport::TempDir dir;
    const auto path = dir.Write("bytes.bin", {7, 8});
    SharedFile first;
    ASSERT_TRUE(first.Open(path));
    ASSERT_TRUE(first.Seek(1));
    SharedFile second(std::move(first));
    EXPECT_FALSE(first.IsOpen());
    ASSERT_TRUE(second.IsOpen());
    std::uint8_t byte = 0;
    EXPECT_EQ(second.Read(&byte, 1), 1);
    EXPECT_EQ(byte, 8);
}

// Whatever the file system can tell: no byte before the data found is
// anything but zero, the data and the hole found lie where they can, and a
// closed file or a position past the end makes no claim.
TEST(SharedFile, TellsWrittenBytesFromHoles) {
    testsupport::TempDir dir;
    const auto path = dir.File("sparse.bin");
    constexpr std::int64_t kData = 1 << 20;
    constexpr std::int64_t kSize = 3 << 20;
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    const std::vector<std::uint8_t> marker(4096, 0x5A);
    ASSERT_EQ(::pwrite(fd, marker.data(), marker.size(), kData), 4096);
    ASSERT_EQ(::ftruncate(fd, kSize), 0);
    ::close(fd);

    SharedFile file;
    ASSERT_TRUE(file.Open(path));
    const std::int64_t data = file.DataFrom(0);
    EXPECT_GE(data, 0);
    EXPECT_LE(data, kData);
    std::vector<std::uint8_t> before(static_cast<std::size_t>(data));
    ASSERT_TRUE(file.Seek(0));
    EXPECT_EQ(file.Read(before.data(), data), data);
    EXPECT_EQ(std::count(before.begin(), before.end(), 0), data);
    const std::int64_t hole = file.HoleFrom(kData);
    EXPECT_GE(hole, kData + 4096);
    EXPECT_LE(hole, kSize);
    EXPECT_EQ(file.DataFrom(kSize + 10), kSize + 10);
    file.Close();
    EXPECT_EQ(file.DataFrom(7), 7);
}

}  // namespace
