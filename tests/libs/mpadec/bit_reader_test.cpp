// The bit reader: MSB-first fields, and zeros instead of memory once the
// bytes held run out, so that a corrupt frame that asks for more bits than
// the window holds decodes the same whatever the window's memory held before.

#include "libs/mpadec/bit_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>

#include "tests/libs/mpadec/bit_writer.h"
#include "tests/libs/mpadec/decoder_driver.h"
#include "tests/support/mpa_builder.h"

namespace mpadec_test {
namespace {

TEST(BitReaderTest, ReadsFieldsMostSignificantBitFirst) {
    BitWriter writer;
    std::mt19937 random(3);
    std::vector<std::pair<std::uint32_t, int>> fields;
    for (int i = 0; i < 500; ++i) {
        const int bits = static_cast<int>(random() % 26);
        const std::uint32_t value = bits == 0 ? 0 : static_cast<std::uint32_t>(random()) >> (32 - bits);
        fields.emplace_back(value, bits);
        writer.Put(value, bits);
    }
    mpadec::bit_reader reader(writer.Bytes().data(), writer.Bytes().size());
    std::size_t position = 0;
    for (const auto& [value, bits] : fields) {
        ASSERT_EQ(reader.read(bits), value) << "at bit " << position;
        position += static_cast<std::size_t>(bits);
        ASSERT_EQ(reader.position(), position);
    }
}

// Unguarded reads of 1 to 48 bits give the fields written, in runs planned
// as the reader asks (the run's bytes plus 16 ahead at its start) and mixed
// with guarded reads near the end. The data is a buffer of its exact size, so
// that the address sanitizer sees any load past it. The last runs are the
// worst case for the plan: a 48-bit read leaves few bits cached, then single
// bits keep the cache nearly full while the position moves.
TEST(BitReaderTest, UnguardedRunsGiveTheSameFieldsAndStayInsideTheData) {
    using Field = std::pair<std::uint64_t, int>;
    std::mt19937_64 random(11);
    std::vector<std::vector<Field>> runs;
    for (int i = 0; i < 300; ++i) {
        std::vector<Field>& run = runs.emplace_back();
        for (int k = static_cast<int>(random() % 12); k >= 0; --k) {
            const int bits = 1 + static_cast<int>(random() % 48);
            run.emplace_back(random() >> (64 - bits), bits);
        }
    }
    runs.push_back({{0xABCDEF123456u, 48}});
    runs.emplace_back(40, Field{1, 1});
    runs.push_back({{0x123456789ABCu, 48}, {0xFEDCBA987654u, 48}});

    BitWriter writer;
    for (const auto& run : runs) {
        for (const auto& [value, bits] : run) {
            writer.Put(static_cast<std::uint32_t>(value >> 24), bits > 24 ? bits - 24 : 0);
            writer.Put(static_cast<std::uint32_t>(value & 0xFFFFFF), std::min(bits, 24));
        }
    }
    const std::unique_ptr<std::uint8_t[]> data(new std::uint8_t[writer.Bytes().size()]);
    std::copy(writer.Bytes().begin(), writer.Bytes().end(), data.get());
    mpadec::bit_reader reader(data.get(), writer.Bytes().size());
    std::size_t position = 0;
    for (const auto& run : runs) {
        std::size_t runBits = 0;
        for (const auto& field : run) runBits += static_cast<std::size_t>(field.second);
        const bool guarded = reader.bytes_ahead() < runBits / 8 + 1 + 16;
        for (const auto& [value, bits] : run) {
            ASSERT_EQ(guarded ? reader.read_long(bits) : reader.read_unguarded(bits), value) << "at bit " << position;
            position += static_cast<std::size_t>(bits);
            ASSERT_EQ(reader.position(), position);
        }
    }
}

TEST(BitReaderTest, GivesZerosPastTheBytesHeld) {
    // The bytes after the first three must never be read.
    const std::uint8_t memory[8] = {0xAB, 0xCD, 0xEF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    mpadec::bit_reader reader(memory, 3);
    EXPECT_EQ(reader.read(4), 0xAu);
    EXPECT_EQ(reader.read(16), 0xBCDEu);
    EXPECT_EQ(reader.read(8), 0xF0u);  // four bits held, four past the end
    EXPECT_EQ(reader.read(25), 0u);
    reader.skip(1000000);
    EXPECT_EQ(reader.read(12), 0u);
    EXPECT_EQ(reader.byte_at(2), 0xEF);
    EXPECT_EQ(reader.byte_at(3), 0);

    mpadec::bit_reader empty(memory, 0);
    EXPECT_EQ(empty.read(16), 0u);
}

// A Layer I frame (32 kbit/s, 32 kHz: 48 bytes) whose allocations ask for
// 16-bit codes in every subband: it reads about 1600 bytes.
Bytes GreedyLayerIFrame() {
    testsupport::MpaFrameSpec fields;
    fields.layer = testsupport::kMpaLayerI;
    fields.bitrateIndex = 1;
    fields.samplingIndex = 2;
    return testsupport::MakeFrame(fields, 0x9C, Bytes(32, 0xFF));
}

TEST(BitReaderTest, ACorruptFrameAtTheEndOfTheWindowDoesNotReadStaleBytes) {
    const Bytes frame = GreedyLayerIFrame();
    ASSERT_EQ(frame.size(), 48u);
    // One stream first fills the window with a pattern and keeps 3 bytes;
    // the other keeps 3 bytes of the same pattern in a window never filled.
    Decoder used, fresh;
    used.UsePcmBuffer(32768);
    fresh.UsePcmBuffer(32768);
    ASSERT_EQ(used.Write(Bytes(5000, 0x5A)), 5000u);
    ASSERT_EQ(fresh.Write(Bytes(3, 0x5A)), 3u);
    ASSERT_EQ(used.Write(frame), 48u);
    ASSERT_EQ(fresh.Write(frame), 48u);
    EXPECT_EQ(used.Status(), 1);
    EXPECT_EQ(fresh.Status(), 1);
    ASSERT_EQ(used.PcmSize(), 1536u);  // 384 stereo sample frames
    EXPECT_EQ(used.Pcm(), fresh.Pcm());

    // Bytes held after the frame are still read as before: the same frame
    // followed by a second one decodes differently, and the same in both
    // streams.
    Bytes twice = frame;
    twice.insert(twice.end(), frame.begin(), frame.end());
    ASSERT_EQ(used.Write(twice), 48u);
    ASSERT_EQ(fresh.Write(twice), 48u);
    EXPECT_EQ(used.Pcm(), fresh.Pcm());
    Decoder other;
    other.UsePcmBuffer(32768);
    ASSERT_EQ(other.Write(twice), 48u);
    Decoder lone;
    lone.UsePcmBuffer(32768);
    ASSERT_EQ(lone.Write(frame), 48u);
    EXPECT_NE(other.Pcm(), lone.Pcm());
}

}  // namespace
}  // namespace mpadec_test
