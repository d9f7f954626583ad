#pragma once
// A decoder stream for the tests: created through the library's export,
// released with the object, with short forms of the calls the tests make.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "libs/mpadec/mpadec.h"

namespace mpadec_test {

using Bytes = std::vector<std::uint8_t>;

class Decoder {
public:
    Decoder() : stream_(open_MPEGin_Audio_stream()) {}
    explicit Decoder(bufstream* stream) : stream_(stream) {}
    ~Decoder() {
        if (stream_ != nullptr) {
            stream_->finish(stream_, 0);
            stream_->release(stream_);
        }
    }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    [[nodiscard]] bufstream* Stream() const { return stream_; }

    std::int32_t Control(std::uint32_t code, void* data = nullptr, std::uint32_t size = 0) {
        return stream_->control(stream_, 0, code, data, size);
    }

    // Gives the stream a PCM buffer of `capacity` bytes (decode mode).
    void UsePcmBuffer(std::uint32_t capacity) {
        pcm_.assign(capacity, 0);
        record_ = {pcm_.data(), capacity};
        Control(MPA_CTL_SET_PCM_BUFFER, &record_, sizeof record_);
    }

    // One write_bytes call with the capacity restored first.
    std::uint32_t Write(const std::uint8_t* data, std::size_t length) {
        record_.size = static_cast<std::uint32_t>(pcm_.size());
        return stream_->write_bytes(stream_, data, static_cast<std::uint32_t>(length));
    }
    std::uint32_t Write(const Bytes& data, std::size_t from = 0) {
        return Write(data.data() + from, data.size() - from);
    }

    // The PCM bytes the last call wrote.
    [[nodiscard]] Bytes Pcm() const { return Bytes(pcm_.begin(), pcm_.begin() + record_.size); }
    [[nodiscard]] std::uint32_t PcmSize() const { return record_.size; }
    [[nodiscard]] std::int32_t Status() { return Control(MPA_CTL_GET_STATUS); }

    [[nodiscard]] const mpa_frame_info& FrameInfo() {
        mpa_frame_info* info = nullptr;
        Control(MPA_CTL_GET_FRAME_INFO, &info, sizeof info);
        return *info;
    }

private:
    bufstream* stream_;
    Bytes pcm_;
    mpa_pcm_buffer record_{nullptr, 0};
};

// What feeding a whole stream the way the validator does yields.
struct Decoded {
    Bytes pcm;
    std::vector<Bytes> framePcm;  // the PCM of each frame, in order
    int frames = 0;
};

// Decodes `data` with repeated write_bytes calls over the rest of the input,
// `chunk` bytes at most per call (0: all that remains).
inline Decoded DecodeAll(Decoder& decoder, const Bytes& data, std::size_t chunk = 0) {
    Decoded result;
    decoder.UsePcmBuffer(32768);
    std::size_t position = 0;
    for (int calls = 0; calls < 1000000; ++calls) {
        const std::size_t left = data.size() - position;
        const std::size_t length = chunk == 0 ? left : std::min(chunk, left);
        const std::uint32_t taken = decoder.Write(left > 0 ? data.data() + position : nullptr, length);
        const Bytes pcm = decoder.Pcm();
        if ((decoder.Status() & MPA_STATUS_FRAME) && !pcm.empty()) {
            ++result.frames;
            result.framePcm.push_back(pcm);
        }
        result.pcm.insert(result.pcm.end(), pcm.begin(), pcm.end());
        position += taken;
        if (position >= data.size() && pcm.empty() && taken == 0) break;
    }
    return result;
}

inline Decoded DecodeAll(const Bytes& data, std::size_t chunk = 0) {
    Decoder decoder;
    return DecodeAll(decoder, data, chunk);
}

// Signed 16-bit little-endian samples.
inline std::vector<std::int16_t> Samples(const Bytes& pcm) {
    std::vector<std::int16_t> samples(pcm.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(pcm[2 * i] | pcm[2 * i + 1] << 8);
    return samples;
}

// Largest difference in LSB between two PCM byte strings of equal length.
inline int MaxDifference(const Bytes& a, const Bytes& b) {
    const auto x = Samples(a), y = Samples(b);
    if (x.size() != y.size()) return 1 << 20;
    int worst = 0;
    for (std::size_t i = 0; i < x.size(); ++i) worst = std::max(worst, std::abs(x[i] - y[i]));
    return worst;
}

}  // namespace mpadec_test
