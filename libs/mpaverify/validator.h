#pragma once
// The validator instance behind the exports: the decoder stream, the input
// buffer the decoder drains, the frame walker, the switches, the counters and
// the event records. One per process; the exports reach it through Instance().

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "libs/mpadec/mpadec.h"
#include "libs/mpaverify/byte_buffer.h"
#include "libs/mpaverify/event_store.h"
#include "libs/mpaverify/frame_header.h"
#include "libs/mpaverify/mpa_val.h"
#include "libs/mpaverify/mpaverify.h"

namespace mpaverify {

inline constexpr std::size_t kInputCapacity = 5 * 1024 * 1024;
inline constexpr uint32_t kPcmAreaBytes = 32768;
inline constexpr uint32_t kSwitchCount = 19;  // indices 0-18; not all have a switch

// Event values and the exports' counts are 32-bit by contract; byte and
// event counts are not.
[[nodiscard]] int32_t SaturatedCount(int64_t count);

// True for the indices that name an event kind.
[[nodiscard]] bool HasSwitch(uint32_t index);

class Validator {
public:
    // 0, or -1 when the decoder stream cannot be created.
    int32_t Initialize();
    void Uninitialize();
    void Reset();
    // 0, -1, -2 or -3 as the AddData export.
    int32_t AddData(const uint8_t* data, int32_t length, bool end_of_stream);

    [[nodiscard]] bool Initialized() const { return decoder_ != nullptr; }
    [[nodiscard]] bool Switch(uint32_t index) const { return switches_[index]; }
    void SetSwitch(uint32_t index, bool on) { switches_[index] = on; }

    [[nodiscard]] int32_t ParsedFrames() const { return parsed_; }
    [[nodiscard]] int32_t DecodedFrames() const { return decoded_; }
    [[nodiscard]] int32_t CorruptedFrames() const { return corrupted_; }
    [[nodiscard]] EventStore& Events() { return events_; }
    [[nodiscard]] const EventStore& Events() const { return events_; }
    // Null until the first frame of the run was examined.
    [[nodiscard]] const MpaHeader* InitialParameters() const { return captured_ ? &initial_ : nullptr; }

    // For tests of the buffers' contracts.
    [[nodiscard]] const CMPAVal* Walker() const { return walker_.get(); }
    [[nodiscard]] const ByteBuffer* Input() const { return input_.get(); }

private:
    int32_t parse_and_decode(const uint8_t* chunk, std::size_t count, bool end_of_stream);
    void ExamineFrame(const char* parse_failure);
    void process_state(const MpaHeader& h);
    int32_t PrimeDecoder(const uint8_t* bytes, uint32_t count);
    int32_t DecodeLoop();
    void CheckDecodedFrame();
    void EndOfStreamPass();
    void add_new_vector_element(int32_t kind, int32_t value);
    int32_t Control(uint32_t code, void* data = nullptr, uint32_t size = 0);

    bufstream* decoder_ = nullptr;
    std::unique_ptr<ByteBuffer> input_;
    std::unique_ptr<CMPAVal> walker_;
    std::unique_ptr<uint8_t[]> pcm_area_;
    mpa_pcm_buffer pcm_{};
    std::array<bool, kSwitchCount> switches_ = {true, true, true, true, true, true, true, true, true, true,
                                                true, true, true, true, true, true, true, true, true};
    int32_t parsed_ = 0;
    int32_t decoded_ = 0;
    int32_t corrupted_ = 0;
    EventStore events_;
    MpaHeader initial_;
    // Reused for every delivered frame of the run: a frame too short for its
    // header is checked against the last header that could be read.
    MpaHeader record_;
    MpaHeader previous_;
    bool captured_ = false;
    int64_t position_ = 0;
    int32_t previous_length_ = 0;
    int64_t taken_ = 0;  // bytes the decoder took during the current feeding
    bool priming_ = true;
};

Validator& Instance();

}  // namespace mpaverify
