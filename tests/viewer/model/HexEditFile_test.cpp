// Reading the edited range and writing the changed bytes back in place.

#include "viewer/model/HexEditFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/debug_output.h"
#include "tests/support/temp_dir.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::int64_t kGiB = std::int64_t{1} << 30;

std::vector<std::uint8_t> Pattern(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return bytes;
}

// A real file stream that records every write and can be told to fail one.
class RecordingStream : public THexEditStream {
public:
    explicit RecordingStream(std::unique_ptr<THexEditStream> file) : file_(std::move(file)) {}

    struct WriteCall {
        std::int64_t position;
        std::int64_t count;
        bool operator==(const WriteCall&) const = default;
    };

    std::vector<WriteCall> writes;
    int failingWrite = -1;  // index of the write that fails (-1: none)
    bool failReads = false;

    [[nodiscard]] std::int64_t Size() const override { return file_->Size(); }
    bool Seek(HexOffset position) override {
        position_ = position;
        return file_->Seek(position);
    }
    std::int64_t Read(void* buffer, std::int64_t count) override {
        return failReads ? -1 : file_->Read(buffer, count);
    }
    std::int64_t Write(const void* buffer, std::int64_t count) override {
        const bool fail = static_cast<int>(writes.size()) == failingWrite;
        writes.push_back({position_, count});
        return fail ? -1 : file_->Write(buffer, count);
    }

private:
    std::unique_ptr<THexEditStream> file_;
    HexOffset position_ = 0;
};

class HexEditFileTest : public ::testing::Test {
protected:
    void WriteFile(std::size_t size) {
        original = Pattern(size);
        path = dir.Write("stream.mp2", original);
    }
    std::unique_ptr<RecordingStream> Open() {
        auto file = OpenHexEditFile(path);
        EXPECT_NE(file, nullptr);
        return std::make_unique<RecordingStream>(std::move(file));
    }
    std::vector<std::uint8_t> Patched(std::vector<std::pair<std::size_t, std::uint8_t>> bytes) const {
        std::vector<std::uint8_t> expected = original;
        for (const auto& [at, value] : bytes) expected[at] = value;
        return expected;
    }

    testsupport::TempDir dir;
    std::string path;
    std::vector<std::uint8_t> original;
};

TEST_F(HexEditFileTest, OpensOnlyExistingFiles) {
    WriteFile(100);
    const auto stream = OpenHexEditFile(path);
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->Size(), 100);
    EXPECT_EQ(OpenHexEditFile(dir.File("missing.mp2")), nullptr);
    EXPECT_EQ(OpenHexEditFile(dir.Path().string()), nullptr);  // a folder
    EXPECT_FALSE(std::filesystem::exists(dir.File("missing.mp2")));
}

TEST_F(HexEditFileTest, ReadsTheRangeCutAtTheEndOfTheFile) {
    WriteFile(100);
    auto stream = Open();
    const std::vector<std::uint8_t> middle = ReadHexEditRange(*stream, 0x1A, 20);
    EXPECT_EQ(middle, std::vector<std::uint8_t>(original.begin() + 0x1A, original.begin() + 0x1A + 20));
    const std::vector<std::uint8_t> tail = ReadHexEditRange(*stream, 90, 384);
    EXPECT_EQ(tail, std::vector<std::uint8_t>(original.begin() + 90, original.end()));
    EXPECT_THAT(ReadHexEditRange(*stream, 100, 10), IsEmpty());
    EXPECT_THAT(ReadHexEditRange(*stream, 500, 10), IsEmpty());
    EXPECT_THAT(stream->writes, IsEmpty());
}

TEST_F(HexEditFileTest, ReadFailuresAndBadRangesThrow) {
    WriteFile(100);
    auto stream = Open();
    EXPECT_THROW((void)ReadHexEditRange(*stream, -1, 10), std::invalid_argument);
    EXPECT_THROW((void)ReadHexEditRange(*stream, 0, -1), std::invalid_argument);
    stream->failReads = true;
    EXPECT_THROW((void)ReadHexEditRange(*stream, 0, 10), std::runtime_error);
}

TEST_F(HexEditFileTest, WritesOnlyTheChangedBytesOneAtATimeInListOrder) {
    WriteFile(100);
    auto stream = Open();
    // Range at 0x1A: line start 0x10.
    const std::vector<TChangedCell> cells{{14, 2, 0xAA}, {11, 1, 0xBB}, {1, 2, 0xCC}};
    ASSERT_TRUE(SaveChanges(*stream, 0x10, cells));
    EXPECT_THAT(stream->writes, ElementsAre(RecordingStream::WriteCall{0x2D, 1}, RecordingStream::WriteCall{0x1A, 1},
                                            RecordingStream::WriteCall{0x20, 1}));
    stream.reset();
    EXPECT_EQ(testsupport::ReadFileBytes(path), Patched({{0x2D, 0xAA}, {0x1A, 0xBB}, {0x20, 0xCC}}));
}

TEST_F(HexEditFileTest, NothingToWriteLeavesTheFileAlone) {
    WriteFile(100);
    auto stream = Open();
    EXPECT_TRUE(SaveChanges(*stream, 0x10, {}));
    EXPECT_THAT(stream->writes, IsEmpty());
    stream.reset();
    EXPECT_EQ(testsupport::ReadFileBytes(path), original);
}

TEST_F(HexEditFileTest, AFailedWriteKeepsEarlierBytesAndWritesNoLaterOnes) {
    WriteFile(100);
    auto stream = Open();
    stream->failingWrite = 1;
    platform::DebugLineCapture capture;
    const std::vector<TChangedCell> cells{{3, 1, 0x11}, {4, 1, 0x22}, {5, 1, 0x33}};
    EXPECT_FALSE(SaveChanges(*stream, 0, cells));
    EXPECT_THAT(capture.Lines(), ElementsAre("dbg: Error in THexEditForm.SaveChanges call..."));
    EXPECT_EQ(stream->writes.size(), 2u);
    stream.reset();
    EXPECT_EQ(testsupport::ReadFileBytes(path), Patched({{2, 0x11}}));
}

TEST_F(HexEditFileTest, NeverWritesAtOrPastTheEndOfTheFile) {
    WriteFile(100);
    auto stream = Open();
    platform::DebugLineCapture capture;
    // Line start 96: bytes 96-99 exist, 100 does not.
    const std::vector<TChangedCell> cells{{4, 1, 0x44}, {5, 1, 0x55}, {1, 1, 0x11}};
    EXPECT_FALSE(SaveChanges(*stream, 96, cells));
    EXPECT_THAT(capture.Lines(), ElementsAre("dbg: Error in THexEditForm.SaveChanges call..."));
    stream.reset();
    EXPECT_EQ(std::filesystem::file_size(path), 100u);
    EXPECT_EQ(testsupport::ReadFileBytes(path), Patched({{99, 0x44}}));
}

TEST_F(HexEditFileTest, RefusesCellsOutsideTheByteColumns) {
    WriteFile(100);
    auto stream = Open();
    platform::DebugLineCapture capture;
    EXPECT_FALSE(SaveChanges(*stream, 0, {{17, 1, 0x01}}));
    EXPECT_FALSE(SaveChanges(*stream, 0, {{0, 1, 0x01}}));
    EXPECT_FALSE(SaveChanges(*stream, 16, {{1, 0, 0x01}}));
    EXPECT_THAT(stream->writes, IsEmpty());
    EXPECT_EQ(capture.Lines().size(), 3u);
    stream.reset();
    EXPECT_EQ(testsupport::ReadFileBytes(path), original);
}

TEST_F(HexEditFileTest, ReadsAndWritesBeyondFourGibibytesInASparseFile) {
    path = dir.File("sparse.mp2");
    const std::int64_t at = 5 * kGiB + 0x1A;
    const std::vector<std::uint8_t> bytes = Pattern(64);
    {
        std::ofstream out(path, std::ios::binary);
        out.seekp(at);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        ASSERT_TRUE(out.good());
    }
    const auto size = static_cast<std::int64_t>(std::filesystem::file_size(path));
    ASSERT_EQ(size, at + 64);
    auto stream = Open();
    EXPECT_EQ(ReadHexEditRange(*stream, at, 20), std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 20));
    ASSERT_TRUE(SaveChanges(*stream, 5 * kGiB + 0x10, {{11, 1, 0xE1}, {14, 2, 0xE2}}));
    EXPECT_THAT(stream->writes, ElementsAre(RecordingStream::WriteCall{at, 1}, RecordingStream::WriteCall{at + 19, 1}));
    stream.reset();

    EXPECT_EQ(static_cast<std::int64_t>(std::filesystem::file_size(path)), size);
    std::ifstream in(path, std::ios::binary);
    in.seekg(at - 1);
    std::vector<char> back(22);
    in.read(back.data(), 22);
    ASSERT_TRUE(in.good());
    EXPECT_EQ(static_cast<std::uint8_t>(back[0]), 0x00);  // the hole before the range
    EXPECT_EQ(static_cast<std::uint8_t>(back[1]), 0xE1);
    EXPECT_EQ(static_cast<std::uint8_t>(back[2]), bytes[1]);
    EXPECT_EQ(static_cast<std::uint8_t>(back[19]), bytes[18]);
    EXPECT_EQ(static_cast<std::uint8_t>(back[20]), 0xE2);
    EXPECT_EQ(static_cast<std::uint8_t>(back[21]), bytes[20]);
}

}  // namespace
