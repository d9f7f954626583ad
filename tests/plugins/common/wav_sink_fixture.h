#pragma once
// A test fixture for the WAV sink: creates sinks in a temporary folder and
// sends packets the way a core demultiplexer does.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "abi/bufstream_pcm.h"
#include "plugins/common/wav_sink.h"
#include "tests/plugins/common/pcm_packets.h"
#include "tests/plugins/common/sink_files.h"
#include "tests/support/temp_dir.h"

namespace sinktest {

class WavSinkFixture : public ::testing::Test {
protected:
    SinkPtr Create(const std::string& name) { return SinkPtr(sinks::CreateWavSink(dir_.File(name).c_str())); }

    // Writes the packet and signals it with the stream description.
    static std::int32_t Tagged(bufstream* bs, const std::vector<std::uint8_t>& packet, std::int32_t min_size = 0) {
        if (!WriteInChunks(bs, packet, packet.size() + 1)) return -100;
        bufstream_pcm_stream_desc description{};
        description.min_packet_size = min_size;
        return bs->control(bs, 0, BUFSTREAM_CMD_PCM_PACKET_TAGGED, &description, sizeof description);
    }

    // Writes the packet and signals it with a packet description.
    static std::int32_t Described(bufstream* bs, const std::vector<std::uint8_t>& packet,
                                  bufstream_pcm_packet_desc description) {
        if (!ReserveAndCommit(bs, packet)) return -100;
        return bs->control(bs, 0, BUFSTREAM_CMD_PCM_PACKET_DESCRIBED, &description, sizeof description);
    }

    static std::vector<std::uint8_t> Join(std::vector<std::uint8_t> head, const std::vector<std::uint8_t>& tail) {
        head.insert(head.end(), tail.begin(), tail.end());
        return head;
    }

    testsupport::TempDir dir_;
};

}  // namespace sinktest
