// mpadec_decode: decodes an MPEG audio elementary stream through the decoder
// library's write_bytes, the way the validator feeds it, and writes the PCM
// as raw signed 16-bit little-endian samples.
//
//   mpadec_decode <stream> [<output.pcm>]     (no output file: PCM is dropped)
//
// Prints frames, PCM bytes, decode seconds and the audio seconds decoded per
// second to standard error.

#include <chrono>
#include <cstdio>
#include <fstream>
#include <vector>

#include "libs/mpadec/mpadec.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s <stream> [<output.pcm>]\n", argv[0]);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary | std::ios::ate);
    std::vector<std::uint8_t> data(in ? static_cast<std::size_t>(in.tellg()) : 0);
    in.seekg(0);
    if (!in || !in.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(data.size()))) {
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
    std::size_t position = 0;
    std::uint64_t frames = 0, pcm_bytes = 0, sample_frames = 0;
    for (;;) {
        buffer.size = static_cast<std::uint32_t>(pcm.size());
        const std::uint8_t* chunk = position < data.size() ? data.data() + position : nullptr;
        const std::uint32_t taken =
            stream->write_bytes(stream, chunk, static_cast<std::uint32_t>(data.size() - position));
        if (stream->control(stream, 0, MPA_CTL_GET_STATUS, nullptr, 0) & MPA_STATUS_FRAME) {
            mpa_frame_info* info = nullptr;
            stream->control(stream, 0, MPA_CTL_GET_FRAME_INFO, &info, sizeof info);
            ++frames;
            sample_frames += static_cast<std::uint64_t>(info->samples_per_frame);
        }
        if (out != nullptr && buffer.size > 0) std::fwrite(pcm.data(), 1, buffer.size, out);
        pcm_bytes += buffer.size;
        if (taken == 0 && buffer.size == 0) break;
        position += taken;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    mpa_frame_info* info = nullptr;
    stream->control(stream, 0, MPA_CTL_GET_FRAME_INFO, &info, sizeof info);
    const double audio = info->sampling_rate > 0 ? static_cast<double>(sample_frames) / info->sampling_rate : 0.0;
    stream->finish(stream, 0);
    stream->release(stream);
    if (out != nullptr) std::fclose(out);
    std::fprintf(stderr, "frames %llu, PCM bytes %llu, audio %.3f s, decode %.3f s, %.1f s of audio per s\n",
                 static_cast<unsigned long long>(frames), static_cast<unsigned long long>(pcm_bytes), audio, seconds,
                 seconds > 0 ? audio / seconds : 0.0);
    return 0;
}
