#include "cli/file_decoder.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/shared_file.h"

namespace cli {

namespace {

constexpr std::int64_t kInputChunk = 1048576;
constexpr std::size_t kPcmCapacity = 65536;  // more than one frame's PCM (1152 x 2 channels x 2 bytes)
constexpr int kMaxIdleCalls = 8;              // calls that neither take input nor give PCM

struct StreamCloser {
    void operator()(bufstream* stream) const {
        stream->finish(stream, 0);
        stream->release(stream);
    }
};

}  // namespace

DecodeResult DecodeMpegAudioFile(const std::string& fileName, const PcmSink& sink, const ReadProgress& progress) {
    platform::SharedFile file;
    if (!file.Open(fileName)) return DecodeResult::CannotRead;
    const std::unique_ptr<bufstream, StreamCloser> stream(open_MPEGin_Audio_stream());
    if (!stream) return DecodeResult::CannotRead;
    std::vector<std::uint8_t> pcm(kPcmCapacity);
    mpa_pcm_buffer output{pcm.data(), 0};
    stream->control(stream.get(), 0, MPA_CTL_SET_PCM_BUFFER, &output, sizeof output);

    const auto total = static_cast<std::uint64_t>(std::max<std::int64_t>(file.Size(), 0));
    std::vector<std::uint8_t> input(static_cast<std::size_t>(kInputChunk));
    std::size_t begin = 0;
    std::size_t end = 0;
    bool atEnd = false;
    int idleCalls = 0;
    for (;;) {
        if (begin == end && !atEnd) {
            const std::int64_t got = file.Read(input.data(), kInputChunk);
            if (got < 0) return DecodeResult::CannotRead;
            begin = 0;
            end = static_cast<std::size_t>(got);
            atEnd = got == 0;
            if (progress) progress(static_cast<std::uint64_t>(file.Position()), total);
        }
        const std::uint8_t* chunk = begin < end ? input.data() + begin : nullptr;
        output.size = static_cast<std::uint32_t>(pcm.size());
        const std::uint32_t taken = stream->write_bytes(stream.get(), chunk, static_cast<std::uint32_t>(end - begin));
        if (output.size > 0) {
            mpa_frame_info* frame = nullptr;
            stream->control(stream.get(), 0, MPA_CTL_GET_FRAME_INFO, &frame, sizeof frame);
            if (frame == nullptr || !sink(*frame, pcm.data(), output.size)) return DecodeResult::Stopped;
        }
        if (chunk == nullptr && taken == 0 && output.size == 0) return DecodeResult::Completed;
        idleCalls = taken == 0 && output.size == 0 ? idleCalls + 1 : 0;
        if (idleCalls > kMaxIdleCalls) return DecodeResult::Stalled;
        begin += std::min<std::size_t>(taken, end - begin);
    }
}

}  // namespace cli
