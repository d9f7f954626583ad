#pragma once
// The frame walker: keeps its own copy of the stream, finds MPEG-1 Layer I and
// II frames in it, decides where each frame ends and which bytes are junk, and
// hands out one frame at a time.

#include <cstddef>
#include <cstdint>

#include "libs/mpaverify/byte_buffer.h"

namespace mpaverify {

class CMPAVal {
public:
    static constexpr std::size_t kInitialCapacity = 10 * 1024 * 1024;

    CMPAVal() : buffer_(kInitialCapacity, true) {}

    // Adds stream bytes; false only when memory runs out.
    bool Append(const uint8_t* data, std::size_t count) { return buffer_.Append(data, count); }
    void SetEndOfStream() { end_of_stream_ = true; }

    // True with the next frame at Frame()/FrameLength(); false when no frame
    // can be delivered yet. Only while no frame is outstanding.
    bool GetNextMPAFrame();
    // Drops the outstanding frame's bytes.
    void ReleaseMPAFrame();
    // After the end-of-stream mark: the bytes that never formed a frame become
    // the junk count.
    void GetRemainingJunk();

    [[nodiscard]] const uint8_t* Frame() const { return buffer_.Data(); }
    [[nodiscard]] int32_t FrameLength() const { return frame_length_; }
    // Junk before the delivered frame, or trailing junk after GetRemainingJunk.
    [[nodiscard]] int64_t Junk() const { return junk_; }
    [[nodiscard]] int32_t Padding() const { return padding_; }
    [[nodiscard]] std::size_t BufferedBytes() const { return buffer_.Size(); }
    [[nodiscard]] std::size_t BufferCapacity() const { return buffer_.Capacity(); }

private:
    void Drop(std::size_t count);
    bool DropToFirstValidStart();
    [[nodiscard]] bool FrameStandsDespite(int32_t size) const;

    ByteBuffer buffer_;
    int64_t skipped_ = 0;
    bool end_of_stream_ = false;
    int32_t frame_length_ = 0;  // of the outstanding frame; 0 when none
    int32_t padding_ = 0;
    int64_t junk_ = 0;
};

}  // namespace mpaverify
