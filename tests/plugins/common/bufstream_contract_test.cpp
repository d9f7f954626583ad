// The contract every bufstream of the plugins keeps, run against the file
// sink, the counting sink and the WAV sink.

#include <gtest/gtest.h>

#include <cstring>

#include "plugins/common/counting_sink.h"
#include "plugins/common/file_sink.h"
#include "plugins/common/wav_sink.h"
#include "tests/plugins/common/sink_files.h"
#include "tests/support/temp_dir.h"

namespace {

using sinktest::SinkPtr;

struct FileSinkKind {
    static bufstream* Create(const testsupport::TempDir& dir) {
        return sinks::CreateFileSink(dir.File("out.mpa").c_str());
    }
    static constexpr std::uint32_t kCapacity = 5242880;
    static constexpr std::uint32_t kBlockSize = 5242880;
};

struct CountingSinkKind {
    static bufstream* Create(const testsupport::TempDir&) { return sinks::CreateCountingSink(); }
    static constexpr std::uint32_t kCapacity = 5242880;
    static constexpr std::uint32_t kBlockSize = 5242880;
};

struct WavSinkKind {
    static bufstream* Create(const testsupport::TempDir& dir) {
        return sinks::CreateWavSink(dir.File("out.wav").c_str());
    }
    static constexpr std::uint32_t kCapacity = 1048576;
    static constexpr std::uint32_t kBlockSize = 524288;
};

template <class Kind>
class BufstreamContract : public ::testing::Test {
protected:
    testsupport::TempDir dir_;
    SinkPtr sink_{Kind::Create(dir_)};
};

using SinkKinds = ::testing::Types<FileSinkKind, CountingSinkKind, WavSinkKind>;
TYPED_TEST_SUITE(BufstreamContract, SinkKinds);

TYPED_TEST(BufstreamContract, RecordIsFilledAsTheLayoutRequires) {
    bufstream* bs = this->sink_.get();
    ASSERT_NE(bs, nullptr);
    EXPECT_NE(bs->bytes_available, nullptr);
    EXPECT_NE(bs->reserve, nullptr);
    EXPECT_NE(bs->commit, nullptr);
    EXPECT_NE(bs->write_bytes, nullptr);
    EXPECT_NE(bs->block_size, nullptr);
    EXPECT_NE(bs->control, nullptr);
    EXPECT_NE(bs->next_part, nullptr);
    EXPECT_NE(bs->finish, nullptr);
    EXPECT_NE(bs->release, nullptr);
    EXPECT_EQ(bs->reserved_a, 0u);
    EXPECT_EQ(bs->reserved_b, 0u);
    EXPECT_EQ(bs->reserved_c, 0u);
    EXPECT_EQ(bs->flags, 1u);
    EXPECT_NE(bs->impl, nullptr);
}

TYPED_TEST(BufstreamContract, SizesAndReservationLimits) {
    bufstream* bs = this->sink_.get();
    ASSERT_NE(bs, nullptr);
    EXPECT_EQ(bs->block_size(bs), TypeParam::kBlockSize);
    EXPECT_EQ(bs->bytes_available(bs), TypeParam::kCapacity);
    EXPECT_EQ(bs->reserve(bs, TypeParam::kCapacity + 1), nullptr);
    std::uint8_t* area = bs->reserve(bs, TypeParam::kCapacity);
    ASSERT_NE(area, nullptr);
    area[0] = 1;  // the whole area is writable (ASan checks the last byte)
    area[TypeParam::kCapacity - 1] = 2;
}

TYPED_TEST(BufstreamContract, CommitAndWriteTakeTheBytes) {
    bufstream* bs = this->sink_.get();
    ASSERT_NE(bs, nullptr);
    EXPECT_TRUE(sinktest::ReserveAndCommit(bs, sinktest::Pattern(1000, 1)));
    const auto data = sinktest::Pattern(500, 2);
    EXPECT_EQ(bs->write_bytes(bs, data.data(), 500), 500u);
    EXPECT_EQ(bs->write_bytes(bs, nullptr, 10), 0u);
}

TYPED_TEST(BufstreamContract, KnownIdWithWrongSizeChangesNothing) {
    bufstream* bs = this->sink_.get();
    ASSERT_NE(bs, nullptr);
    std::uint8_t block[16];
    std::memset(block, 0x5C, sizeof block);
    EXPECT_EQ(bs->control(bs, 0, BUFSTREAM_CMD_BYTES_ACCEPTED, block, 4), 0);
    EXPECT_EQ(bs->control(bs, 0, BUFSTREAM_CMD_BYTES_ACCEPTED, block, 16), 0);
    for (std::uint8_t byte : block) EXPECT_EQ(byte, 0x5C);
    EXPECT_EQ(bs->control(bs, 0, BUFSTREAM_CMD_BYTES_ACCEPTED, nullptr, 8), 0);
    EXPECT_EQ(bs->control(bs, 0, 0x12345, block, 16), 0);
}

TYPED_TEST(BufstreamContract, FinishClearsImplAndLaterCallsFailSafely) {
    bufstream* bs = this->sink_.get();
    ASSERT_NE(bs, nullptr);
    bs->finish(bs, 0);
    EXPECT_EQ(bs->impl, nullptr);
    bs->finish(bs, 0);  // a second finish does nothing
    const std::uint8_t byte = 7;
    EXPECT_EQ(bs->bytes_available(bs), 0u);
    EXPECT_EQ(bs->reserve(bs, 1), nullptr);
    EXPECT_EQ(bs->commit(bs, 1), 0u);
    EXPECT_EQ(bs->write_bytes(bs, &byte, 1), 0u);
    EXPECT_EQ(bs->block_size(bs), 0u);
    EXPECT_EQ(bs->next_part(bs), BUFSTREAM_NEXT_PART_FAILED);
    EXPECT_EQ(sinktest::BytesAccepted(bs), std::nullopt);
}

TYPED_TEST(BufstreamContract, NullRecordIsRefusedBySlots) {
    bufstream* bs = this->sink_.get();
    ASSERT_NE(bs, nullptr);
    const std::uint8_t byte = 7;
    EXPECT_EQ(bs->bytes_available(nullptr), 0u);
    EXPECT_EQ(bs->reserve(nullptr, 1), nullptr);
    EXPECT_EQ(bs->commit(nullptr, 1), 0u);
    EXPECT_EQ(bs->write_bytes(nullptr, &byte, 1), 0u);
    EXPECT_EQ(bs->next_part(nullptr), BUFSTREAM_NEXT_PART_FAILED);
    bs->finish(nullptr, 0);
    bs->release(nullptr);
    EXPECT_NE(bs->impl, nullptr);
}

TYPED_TEST(BufstreamContract, ReleaseAloneEndsTheStream) {
    // The sanitizer build reports anything release leaves allocated.
    bufstream* bs = this->sink_.release();
    ASSERT_NE(bs, nullptr);
    EXPECT_TRUE(sinktest::ReserveAndCommit(bs, sinktest::Pattern(100, 3)));
    bs->release(bs);
}

}  // namespace
