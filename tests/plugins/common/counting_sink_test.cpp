// The counting sink: counts without storing and never touches a file.

#include <gtest/gtest.h>

#include <vector>

#include "plugins/common/counting_sink.h"
#include "tests/plugins/common/sink_files.h"

namespace {

using sinktest::SinkPtr;

TEST(CountingSink, CountsBothWaysOfWritingWithoutOpeningAnything) {
    const int descriptors = sinktest::OpenDescriptorCount();
    SinkPtr sink(sinks::CreateCountingSink());
    ASSERT_NE(sink, nullptr);
    bufstream* bs = sink.get();
    ASSERT_TRUE(sinktest::WriteInChunks(bs, sinktest::Pattern(3 * 1048576 + 5, 20), 65536));
    ASSERT_TRUE(sinktest::ReserveAndCommit(bs, sinktest::Pattern(5242880, 21)));
    ASSERT_TRUE(sinktest::ReserveAndCommit(bs, sinktest::Pattern(17, 22)));
    EXPECT_EQ(sinktest::BytesAccepted(bs), 3u * 1048576 + 5 + 5242880 + 17);
    EXPECT_EQ(bs->bytes_available(bs), 5242880u);
    EXPECT_EQ(bs->next_part(bs), 0u);
    EXPECT_EQ(sinktest::OpenDescriptorCount(), descriptors);
}

TEST(CountingSink, EveryReservationIsTheSameArea) {
    SinkPtr sink(sinks::CreateCountingSink());
    ASSERT_NE(sink, nullptr);
    bufstream* bs = sink.get();
    std::uint8_t* first = bs->reserve(bs, 100);
    ASSERT_NE(first, nullptr);
    bs->commit(bs, 100);
    EXPECT_EQ(bs->reserve(bs, 5242880), first);
    bs->commit(bs, 5242880);
    EXPECT_EQ(bs->reserve(bs, 1), first);
    EXPECT_EQ(bs->reserve(bs, 5242881), nullptr);
}

// The plugins wrap write_bytes with a forwarder that hands each chunk to the
// host and then calls the slot it replaced.
decltype(bufstream::write_bytes) g_original_write = nullptr;
std::vector<std::uint8_t> g_forwarded;

std::uint32_t TAMBERLY_CDECL ForwardingWrite(bufstream* bs, const std::uint8_t* data, std::uint32_t n) {
    g_forwarded.insert(g_forwarded.end(), data, data + n);
    return g_original_write(bs, data, n);
}

TEST(CountingSink, KeepsCountingBehindAForwardingSlot) {
    SinkPtr sink(sinks::CreateCountingSink());
    ASSERT_NE(sink, nullptr);
    g_forwarded.clear();
    g_original_write = sink->write_bytes;
    sink->write_bytes = &ForwardingWrite;
    const auto data = sinktest::Pattern(1000, 23);
    ASSERT_TRUE(sinktest::WriteInChunks(sink.get(), data, 300));
    EXPECT_EQ(g_forwarded, data);
    EXPECT_EQ(sinktest::BytesAccepted(sink.get()), 1000u);
}

}  // namespace
