#include "tests/cores/recording_output.h"

namespace coretest {
namespace {

RecordingOutput& Of(bufstream* bs) { return *static_cast<RecordingOutput*>(bs->impl); }

// The slots a core must not use: reserve/commit data would not reach a
// forwarding sink, so these fail loudly.
std::uint8_t* TAMBERLY_CDECL NoReserve(bufstream*, std::uint32_t) { return nullptr; }
std::uint32_t TAMBERLY_CDECL NoCommit(bufstream*, std::uint32_t) { return 0; }
std::uint32_t TAMBERLY_CDECL Available(bufstream*) { return 1u << 20; }
std::uint32_t TAMBERLY_CDECL BlockSize(bufstream*) { return 1u << 16; }
std::uint32_t TAMBERLY_CDECL NoNextPart(bufstream*) { return BUFSTREAM_NEXT_PART_FAILED; }
void TAMBERLY_CDECL NoFinish(bufstream*, std::int32_t) {}
void TAMBERLY_CDECL NoRelease(bufstream*) {}

}  // namespace

RecordingOutput::RecordingOutput() {
    record_.bytes_available = &Available;
    record_.reserve = &NoReserve;
    record_.commit = &NoCommit;
    record_.write_bytes = &WriteBytes;
    record_.block_size = &BlockSize;
    record_.control = &Control;
    record_.next_part = &NoNextPart;
    record_.finish = &NoFinish;
    record_.release = &NoRelease;
    record_.flags = 1;
    record_.impl = this;
}

std::vector<std::uint8_t> RecordingOutput::Bytes() const {
    std::vector<std::uint8_t> bytes;
    for (const auto& event : events_) {
        if (event.kind == OutputEvent::Kind::Write) bytes.insert(bytes.end(), event.bytes.begin(), event.bytes.end());
    }
    return bytes;
}

std::uint32_t TAMBERLY_CDECL RecordingOutput::WriteBytes(bufstream* bs, const std::uint8_t* data, std::uint32_t n) {
    RecordingOutput& self = Of(bs);
    if (self.written_ + n > self.write_limit_) return 0;
    self.written_ += n;
    self.events_.push_back({OutputEvent::Kind::Write, std::vector<std::uint8_t>(data, data + n), 0});
    return n;
}

std::int32_t TAMBERLY_CDECL RecordingOutput::Control(bufstream* bs, std::uint32_t /*offset*/, std::uint32_t id,
                                                     void* data, std::uint32_t size) {
    RecordingOutput& self = Of(bs);
    if (self.refuse_commands_) return -1;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    self.events_.push_back({OutputEvent::Kind::Control, std::vector<std::uint8_t>(bytes, bytes + size), id});
    return 0;
}

}  // namespace coretest
