// What reaches a bufstream from a stream's packets: the bytes unchanged for
// ordinary streams, announced PCM packets for the PCM kinds, and a refusal
// passed back as a failure.

#include <gtest/gtest.h>

#include <cstring>
#include <numeric>
#include <vector>

#include "cores/common/packet_output.h"
#include "tests/cores/recording_output.h"

namespace {

using coretest::OutputEvent;
using coretest::RecordingOutput;
using Bytes = std::vector<std::uint8_t>;

Bytes Counting(std::size_t size, std::uint8_t first) {
    Bytes bytes(size);
    std::iota(bytes.begin(), bytes.end(), first);
    return bytes;
}

Bytes Joined(const Bytes& a, const Bytes& b) {
    Bytes joined = a;
    joined.insert(joined.end(), b.begin(), b.end());
    return joined;
}

bool IsWrite(const OutputEvent& event, const Bytes& bytes) {
    return event.kind == OutputEvent::Kind::Write && event.bytes == bytes;
}

bool IsCommand(const OutputEvent& event, std::uint32_t id, std::size_t size) {
    return event.kind == OutputEvent::Kind::Control && event.id == id && event.bytes.size() == size;
}

TEST(PacketOutput, FramingFollowsTheMediaType) {
    EXPECT_EQ(cores::FramingFor(202), cores::PcmFraming::DvdLpcm);
    EXPECT_EQ(cores::FramingFor(203), cores::PcmFraming::HdmvLpcm);
    EXPECT_EQ(cores::FramingFor(210), cores::PcmFraming::Aes302M);
    for (cores::MediaType other : {0u, 3u, 131u, 132u, 150u, 201u, 280u}) {
        EXPECT_EQ(cores::FramingFor(other), cores::PcmFraming::None) << other;
    }
}

TEST(PacketOutput, OrdinaryPacketsGoOutUnchangedOneWriteEach) {
    RecordingOutput recorder;
    cores::PacketOutput output(recorder.Record(), cores::PcmFraming::None);
    const Bytes first = Counting(417, 0), second = Counting(418, 7);
    ASSERT_TRUE(output.Write(first.data(), first.size()));
    ASSERT_TRUE(output.Write(second.data(), 0));
    ASSERT_TRUE(output.Write(second.data(), second.size()));
    ASSERT_EQ(recorder.Events().size(), 2u);
    EXPECT_TRUE(IsWrite(recorder.Events()[0], first));
    EXPECT_TRUE(IsWrite(recorder.Events()[1], second));
}

TEST(PacketOutput, RefusedWriteIsAFailure) {
    RecordingOutput recorder;
    recorder.RefuseWritesAfter(500);
    cores::PacketOutput output(recorder.Record(), cores::PcmFraming::None);
    const Bytes packet = Counting(400, 0);
    EXPECT_TRUE(output.Write(packet.data(), packet.size()));
    EXPECT_FALSE(output.Write(packet.data(), packet.size()));
}

TEST(PacketOutput, DvdLpcmFirstPacketCarriesTheTagLaterOnesOnlyPayload) {
    RecordingOutput recorder;
    cores::PacketOutput output(recorder.Record(), cores::PcmFraming::DvdLpcm);
    const Bytes header{0x0C, 0x01, 0x80};
    const Bytes payload1 = Counting(1992, 1), payload2 = Counting(2012, 9);
    ASSERT_TRUE(output.Write(Joined(header, payload1).data(), header.size() + payload1.size()));
    ASSERT_TRUE(output.Write(Joined(header, payload2).data(), header.size() + payload2.size()));
    const auto& events = recorder.Events();
    ASSERT_EQ(events.size(), 5u);
    EXPECT_TRUE(IsWrite(events[0], (Bytes{'L', 'P', 'C', 'M', 0x04, 0, 0, 0})));
    EXPECT_TRUE(IsWrite(events[1], payload1));
    EXPECT_TRUE(IsCommand(events[2], BUFSTREAM_CMD_PCM_PACKET_TAGGED, sizeof(bufstream_pcm_stream_desc)));
    EXPECT_TRUE(IsWrite(events[3], payload2));
    EXPECT_TRUE(IsCommand(events[4], BUFSTREAM_CMD_PCM_PACKET_TAGGED, sizeof(bufstream_pcm_stream_desc)));
}

TEST(PacketOutput, DvdLpcmTwentyFourBitPacketsAreDescribedEachTime) {
    RecordingOutput recorder;
    cores::PacketOutput output(recorder.Record(), cores::PcmFraming::DvdLpcm);
    const Bytes header{0, 0x81, 0x80};
    const Bytes payload = Counting(1200, 3);
    for (int i = 0; i < 2; ++i) ASSERT_TRUE(output.Write(Joined(header, payload).data(), header.size() + payload.size()));
    const auto& events = recorder.Events();
    ASSERT_EQ(events.size(), 4u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(IsWrite(events[2 * i], payload));
        ASSERT_TRUE(IsCommand(events[2 * i + 1], BUFSTREAM_CMD_PCM_PACKET_DESCRIBED, sizeof(bufstream_pcm_packet_desc)));
        bufstream_pcm_packet_desc description;
        std::memcpy(&description, events[2 * i + 1].bytes.data(), sizeof description);
        EXPECT_EQ(description.quantisation, 2);
        EXPECT_EQ(description.channel_field, 1);
    }
}

TEST(PacketOutput, HdmvAndAes302MHeadersAreStrippedFromEveryPacket) {
    for (const auto& [framing, header, tag] :
         {std::tuple{cores::PcmFraming::HdmvLpcm, Bytes{0x03, 0xC0, 0x31, 0x40}, Bytes{'H', 'D', 'M', 'V', 0x0D, 0x01, 0, 0}},
          std::tuple{cores::PcmFraming::Aes302M, Bytes{0x14, 0x00, 0x00, 0x00}, Bytes{'A', 'E', 'S', '3', 0x0A, 0x01, 0, 0}}}) {
        RecordingOutput recorder;
        cores::PacketOutput output(recorder.Record(), framing);
        const Bytes payload = Counting(960, 5);
        ASSERT_TRUE(output.Write(Joined(header, payload).data(), header.size() + payload.size()));
        ASSERT_TRUE(output.Write(Joined(header, payload).data(), header.size() + payload.size()));
        EXPECT_EQ(recorder.Bytes(), Joined(tag, Joined(payload, payload)));
    }
}

TEST(PacketOutput, LargePcmPacketGoesOutInPartsEachWithItsCommand) {
    RecordingOutput recorder;
    cores::PacketOutput output(recorder.Record(), cores::PcmFraming::HdmvLpcm);
    const Bytes header{0, 0, 0x31, 0x40};
    const Bytes payload = Counting(600 * 1024, 0);
    ASSERT_TRUE(output.Write(Joined(header, payload).data(), header.size() + payload.size()));
    std::size_t commands = 0;
    std::size_t pending = 0;
    for (const auto& event : recorder.Events()) {
        if (event.kind == OutputEvent::Kind::Write) {
            pending += event.bytes.size();
            EXPECT_LE(pending, 256u * 1024 + 8) << "a part larger than a sink's packet buffer allows";
        } else {
            ++commands;
            pending = 0;
        }
    }
    EXPECT_EQ(commands, 3u);
    EXPECT_EQ(pending, 0u);
    EXPECT_EQ(recorder.Bytes().size(), 8 + payload.size());
}

TEST(PacketOutput, PcmFailuresEndTheStream) {
    {
        RecordingOutput recorder;
        cores::PacketOutput output(recorder.Record(), cores::PcmFraming::DvdLpcm);
        const Bytes unsupported{0, 0x21, 0, 1, 2, 3, 4};  // 44.1 kHz
        EXPECT_FALSE(output.Write(unsupported.data(), unsupported.size()));
        EXPECT_TRUE(recorder.Events().empty());
    }
    {
        RecordingOutput recorder;
        recorder.RefuseCommands();
        cores::PacketOutput output(recorder.Record(), cores::PcmFraming::DvdLpcm);
        const Bytes packet{0, 0x01, 0, 1, 2, 3, 4};
        EXPECT_FALSE(output.Write(packet.data(), packet.size()));
    }
}

TEST(PacketOutput, PcmPacketWithoutPayloadWritesNothing) {
    RecordingOutput recorder;
    cores::PacketOutput output(recorder.Record(), cores::PcmFraming::DvdLpcm);
    const Bytes header_only{0x0C, 0x01, 0x80};
    EXPECT_TRUE(output.Write(header_only.data(), header_only.size()));
    EXPECT_TRUE(recorder.Events().empty());
    const Bytes packet{0x0C, 0x01, 0x80, 9, 9};
    ASSERT_TRUE(output.Write(packet.data(), packet.size()));
    EXPECT_EQ(recorder.Bytes(), (Bytes{'L', 'P', 'C', 'M', 0x04, 0, 0, 0, 9, 9}));
}

}  // namespace
