// Hostile input: random bytes, streams cut anywhere, reserved header values,
// every chunk size. Return codes and events as for any stream, no crash.

#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "libs/mpaverify/mpaverify.h"
#include "libs/mpaverify/validator.h"
#include "tests/libs/mpaverify/validator_driver.h"

namespace mpaverify_test {
namespace {

using testsupport::MakeHeader;
using testsupport::MpaFrameSpec;
using testsupport::MpaStreamBuilder;
using Events = std::vector<Event>;

TEST(BadInput, RandomBytesInRandomChunks) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 40; ++round) {
        Bytes data(std::uniform_int_distribution<std::size_t>(0, 20000)(random));
        for (auto& byte : data) byte = static_cast<uint8_t>(random() & 0xFF);
        // Sync-rich noise: many 0xFF bytes make many candidate headers.
        if (round % 2 == 1)
            for (std::size_t i = 0; i < data.size(); i += 7) data[i] = 0xFF;
        ASSERT_EQ(InitializeValidator(), 0);
        std::size_t fed = 0;
        while (fed < data.size()) {
            const std::size_t n = std::min(data.size() - fed, std::size_t{1} + random() % 3000);
            const int32_t rc = AddData(data.data() + fed, static_cast<int32_t>(n), 0);
            fed += n;
            EXPECT_TRUE(rc == 0 || (rc == -1 && fed < 4)) << rc;
        }
        ASSERT_EQ(AddData(nullptr, 0, 1), 0);
        const Outcome o = ReadOutcome();
        // Every byte is either in an examined frame or counted as junk.
        int64_t junk = 0;
        for (const Event& e : o.events) {
            if (e.kind == JUNK_BYTES || e.kind == JUNK_AT_THE_END) junk += e.value;
            EXPECT_GE(e.offset, 0);
            EXPECT_LE(e.offset, static_cast<int64_t>(data.size()));
        }
        EXPECT_LE(junk, static_cast<int64_t>(data.size()));
        EXPECT_GE(o.with_errors, 0);
        ASSERT_EQ(UninitializeValidator(), 0);
    }
}

TEST(BadInput, AStreamCutAnywhereLeavesTheTailAsJunk) {
    const MpaFrameSpec params = LayerII(8, 1);
    MpaStreamBuilder b;
    b.Frames(params, 4);
    const Bytes& data = b.Data();
    for (std::size_t cut = 0; cut <= data.size(); cut += 5) {
        const Bytes part(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(cut));
        ASSERT_EQ(InitializeValidator(), 0);
        Feed(part, 97);
        const auto frames = static_cast<int32_t>(cut / 384);
        const auto tail = static_cast<int32_t>(cut % 384);
        const int64_t last = frames > 0 ? (frames - 1) * 384 : 0;
        const Events expected = tail == 0 ? Events{} : Events{{frames, JUNK_AT_THE_END, tail, last}};
        EXPECT_EQ(ReadEvents(), expected) << cut;
        EXPECT_EQ(mpaverify::Instance().ParsedFrames(), frames) << cut;
        ASSERT_EQ(UninitializeValidator(), 0);
    }
}

TEST(BadInput, AHeaderWithAReservedValueMakesItsFrameJunk) {
    std::vector<MpaFrameSpec> broken(5, LayerII(8, 1));
    broken[0].bitrateIndex = 15;
    broken[1].samplingIndex = 3;
    broken[2].emphasis = 2;
    broken[3].layer = 0;
    broken[4].version = testsupport::MpaVersion::Mpeg2;
    for (const MpaFrameSpec& params : broken) {
        Bytes frame(384, 0x00);
        const Bytes header = MakeHeader(params);
        std::copy(header.begin(), header.end(), frame.begin());
        MpaStreamBuilder b;
        b.Frames(LayerII(8, 1), 2).Raw(frame).Frames(LayerII(8, 1), 2);
        EXPECT_EQ(Validate(b.Data(), 0).events, (Events{{2, JUNK_BYTES, 384, 3 * 384}}));
    }
}

TEST(BadInput, EveryHeaderWordIsJudgedWithoutCrashing) {
    // All 2^20 words after the 12-bit sync, each followed by 2 bytes.
    uint8_t bytes[6] = {0xFF, 0, 0, 0, 0x12, 0x34};
    int32_t valid = 0;
    for (uint32_t rest = 0; rest < (1u << 20); ++rest) {
        bytes[1] = static_cast<uint8_t>(0xF0 | (rest >> 16));
        bytes[2] = static_cast<uint8_t>(rest >> 8);
        bytes[3] = static_cast<uint8_t>(rest);
        const int32_t start = mpaverify::find_next_mpa_start_code(bytes, 6);
        mpaverify::MpaHeader h;
        if (start == 0 && mpaverify::parse_mpa_frame(bytes, 6, h)) {
            ++valid;
            EXPECT_GT(mpaverify::FrameSizeWithoutPadding(h), 0);
        }
    }
    // ID 1, 2 layers, 2 protection values, 15 bitrates, 3 rates, 2 paddings,
    // 2 private bits, 16 mode combinations, 4 copyright/original, 3 emphases.
    EXPECT_EQ(valid, 2 * 2 * 15 * 3 * 2 * 2 * 16 * 4 * 3);
}

TEST(BadInput, EveryChunkSizeUpToTheLimit) {
    MpaStreamBuilder b;
    b.Junk(5).Frames(LayerII(10, 1), 12).Junk(3);
    const Bytes& data = b.Data();
    const Outcome whole = Validate(data, 0);
    for (std::size_t chunk = 1; chunk <= 64; ++chunk) EXPECT_EQ(Validate(data, chunk), whole) << chunk;
    // A chunk of exactly the input buffer's capacity, then more: the decoder
    // drains the buffer, so the next chunk fits again.
    MpaFrameSpec layer1 = LayerII(8, 1);  // 256 kbit/s at 48 kHz: 256-byte frames
    layer1.layer = testsupport::kMpaLayerI;
    MpaStreamBuilder first, second;
    first.Frames(layer1, static_cast<int>(mpaverify::kInputCapacity / 256));
    second.Frames(LayerII(10, 1), 12);
    ASSERT_EQ(first.Size(), static_cast<int64_t>(mpaverify::kInputCapacity));
    ASSERT_EQ(InitializeValidator(), 0);
    EXPECT_EQ(AddData(first.Data().data(), static_cast<int32_t>(first.Size()), 0), 0);
    EXPECT_EQ(AddData(second.Data().data(), static_cast<int32_t>(second.Size()), 1), 0);
    int32_t decoded = 0;
    EXPECT_EQ(GetDecodedFramesCount(&decoded), 0);
    EXPECT_EQ(decoded, static_cast<int32_t>(mpaverify::kInputCapacity / 256) + 12);
    EXPECT_EQ(mpaverify::Instance().Walker()->BufferCapacity(), mpaverify::CMPAVal::kInitialCapacity);
    ASSERT_EQ(UninitializeValidator(), 0);
}

}  // namespace
}  // namespace mpaverify_test
