#pragma once
// Writes the packets of one stream into the bufstream it was given: the
// bytes as they are, or, for the PCM kinds the WAV sink converts, as PCM
// packets with their format announced (pcm_headers.h). Everything goes
// through write_bytes, so that a forwarding sink sees every byte.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "cores/common/media_types.h"
#include "cores/common/pcm_headers.h"
#include "abi/bufstream.h"

namespace cores {

[[nodiscard]] PcmFraming FramingFor(MediaType media_type);

class PacketOutput {
public:
    PacketOutput(bufstream* output, PcmFraming framing) : output_(output), framing_(framing) {}

    // False when the output refuses the data or a PCM packet header names a
    // format the output cannot take.
    [[nodiscard]] bool Write(const std::uint8_t* data, std::size_t size);

private:
    bool WriteBytes(const void* data, std::size_t size);
    bool WritePcm(const std::uint8_t* data, std::size_t size);
    bool WritePcmPart(const std::uint8_t* data, std::size_t size);

    bufstream* output_;
    PcmFraming framing_;
    std::optional<PcmAnnouncement> announcement_;  // set by the stream's first PCM packet
    bool tag_sent_ = false;
};

}  // namespace cores
