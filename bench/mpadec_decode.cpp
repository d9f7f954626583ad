// mpadec_decode: decodes an MPEG audio elementary stream through the decoder
// library's write_bytes, the way the validator feeds it, and writes the PCM
// as raw signed 16-bit little-endian samples.
//
//   mpadec_decode <stream> [<output.pcm>]     (no output file: PCM is dropped)
//
// The stream is read in 1 MiB pieces as decoding goes, as a player would;
// reading it whole first would put page faults and a clearing pass for the
// whole file into the process's time. Prints frames, PCM bytes, decode
// seconds (reading included) and the audio seconds decoded per second to
// standard error.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "libs/mpadec/mpadec.h"

namespace {

// The unread bytes of a file, topped up from it when fewer than half a
// buffer remain.
class StreamReader {
public:
    explicit StreamReader(std::FILE* file) : file_(file), bytes_(std::make_unique_for_overwrite<std::uint8_t[]>(kSize)) {}

    // `stalled`: the decoder took nothing from what it had, so it needs more
    // however much is left.
    void TopUp(bool stalled) {
        if (ended_ || (!stalled && end_ - begin_ >= kSize / 2)) return;
        std::memmove(bytes_.get(), bytes_.get() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
        const std::size_t wanted = kSize - end_;
        const std::size_t read = std::fread(bytes_.get() + end_, 1, wanted, file_);
        end_ += read;
        ended_ = read < wanted;
    }
    [[nodiscard]] const std::uint8_t* Data() const { return begin_ < end_ ? bytes_.get() + begin_ : nullptr; }
    [[nodiscard]] std::uint32_t Size() const { return static_cast<std::uint32_t>(end_ - begin_); }
    [[nodiscard]] bool Ended() const { return ended_; }
    void Consume(std::size_t count) { begin_ += std::min(count, end_ - begin_); }

private:
    static constexpr std::size_t kSize = 1 << 20;
    std::FILE* file_;
    std::unique_ptr<std::uint8_t[]> bytes_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool ended_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s <stream> [<output.pcm>]\n", argv[0]);
        return 2;
    }
    std::FILE* in = std::fopen(argv[1], "rb");
    if (in == nullptr) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    std::FILE* out = argc == 3 ? std::fopen(argv[2], "wb") : nullptr;
    if (argc == 3 && out == nullptr) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }

    bufstream* stream = open_MPEGin_Audio_stream();
    if (stream == nullptr) return 1;
    std::vector<std::uint8_t> pcm(32768);
    mpa_pcm_buffer buffer{pcm.data(), 0};
    stream->control(stream, 0, MPA_CTL_SET_PCM_BUFFER, &buffer, sizeof buffer);

    const auto started = std::chrono::steady_clock::now();
    StreamReader input(in);
    std::uint64_t frames = 0, pcm_bytes = 0, sample_frames = 0;
    bool stalled = false;
    for (;;) {
        input.TopUp(stalled);
        buffer.size = static_cast<std::uint32_t>(pcm.size());
        const std::uint32_t taken = stream->write_bytes(stream, input.Data(), input.Size());
        if (stream->control(stream, 0, MPA_CTL_GET_STATUS, nullptr, 0) & MPA_STATUS_FRAME) {
            mpa_frame_info* info = nullptr;
            stream->control(stream, 0, MPA_CTL_GET_FRAME_INFO, &info, sizeof info);
            ++frames;
            sample_frames += static_cast<std::uint64_t>(info->samples_per_frame);
        }
        if (out != nullptr && buffer.size > 0) std::fwrite(pcm.data(), 1, buffer.size, out);
        pcm_bytes += buffer.size;
        stalled = taken == 0 && buffer.size == 0;
        if (stalled && input.Ended()) break;
        input.Consume(taken);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    mpa_frame_info* info = nullptr;
    stream->control(stream, 0, MPA_CTL_GET_FRAME_INFO, &info, sizeof info);
    const double audio = info->sampling_rate > 0 ? static_cast<double>(sample_frames) / info->sampling_rate : 0.0;
    stream->finish(stream, 0);
    stream->release(stream);
    if (out != nullptr) std::fclose(out);
    std::fclose(in);
    std::fprintf(stderr, "frames %llu, PCM bytes %llu, audio %.3f s, decode %.3f s, %.1f s of audio per s\n",
                 static_cast<unsigned long long>(frames), static_cast<unsigned long long>(pcm_bytes), audio, seconds,
                 seconds > 0 ? audio / seconds : 0.0);
    return 0;
}
