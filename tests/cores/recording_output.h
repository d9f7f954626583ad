#pragma once
// A bufstream for the core tests that keeps everything a core sends it: the
// bytes of each write_bytes call and each command, in order. It can be told
// to refuse writes or commands.

#include <cstdint>
#include <string>
#include <vector>

#include "abi/bufstream.h"

namespace coretest {

struct OutputEvent {
    enum class Kind { Write, Control } kind;
    std::vector<std::uint8_t> bytes;  // written bytes, or the command's data block
    std::uint32_t id = 0;             // command id
};

class RecordingOutput {
public:
    RecordingOutput();
    RecordingOutput(const RecordingOutput&) = delete;
    RecordingOutput& operator=(const RecordingOutput&) = delete;

    [[nodiscard]] bufstream* Record() { return &record_; }
    [[nodiscard]] const std::vector<OutputEvent>& Events() const { return events_; }
    // Every written byte, in order.
    [[nodiscard]] std::vector<std::uint8_t> Bytes() const;
    void Clear() { events_.clear(); }

    // write_bytes answers 0 once this many bytes have been taken.
    void RefuseWritesAfter(std::size_t bytes) { write_limit_ = bytes; }
    // control answers -1.
    void RefuseCommands() { refuse_commands_ = true; }

private:
    static std::uint32_t TAMBERLY_CDECL WriteBytes(bufstream* bs, const std::uint8_t* data, std::uint32_t n);
    static std::int32_t TAMBERLY_CDECL Control(bufstream* bs, std::uint32_t offset, std::uint32_t id, void* data,
                                               std::uint32_t size);

    bufstream record_{};
    std::vector<OutputEvent> events_;
    std::size_t written_ = 0;
    std::size_t write_limit_ = SIZE_MAX;
    bool refuse_commands_ = false;
};

}  // namespace coretest
