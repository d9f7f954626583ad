// Fuzzes the decoder stream through its exported surface: raw or mutated
// bytes, or frames built around fuzzed headers (so that the Layer I and II
// decoders see arbitrary allocations, scale factors and samples), pushed
// through write_bytes in random chunk sizes with random PCM capacities, mode
// switches, statistics and tags. Aborts when a call breaks its contract:
// more bytes taken than offered, more PCM written than the capacity, a status
// bit other than MPA_STATUS_FRAME, or a feeding that does not end. Then a
// stream of built frames without junk is decoded plainly, whole and in
// chunks of a size taken from the input: the PCM bytes and the frames
// decoded must be the same, so chunk dependence counts as a crash. (With
// junk or raw bytes they may differ by design: a header at the end of the
// bytes offered is taken without the confirming header after its frame. So
// may a frame whose audio data runs past its end, which the stream checker
// finds: the decoder then reads whatever its input window holds there.)

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <random>
#include <vector>

#include "libs/mpacheck/mpacheck.h"
#include "libs/mpadec/mpadec.h"
#include "tests/libs/mpadec/decoder_driver.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void Check(bool condition) {
    if (!condition) std::abort();
}

// Frame length of a header built below, as the standards define it.
int FrameLength(int version, int layer, int bitrateIndex, int samplingIndex, int padding) {
    static constexpr int kBitrates[2][3][15] = {
        {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}},
        {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
         {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
         {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}}};
    static constexpr int kRates[2][3] = {{22050, 24000, 16000}, {44100, 48000, 32000}};
    const int bitrate = kBitrates[version][layer - 1][bitrateIndex] * 1000;
    const int rate = kRates[version][samplingIndex];
    if (layer == 1) return (bitrate * 12 / rate + padding) * 4;
    if (layer == 3 && version == 0) return bitrate * 72 / rate + padding;
    return bitrate * 144 / rate + padding;
}

// Frames whose headers come from the input (always a valid sync, mostly
// valid fields) and whose bodies are the input bytes that follow. A steady
// stream keeps the first frame's version, layer and sampling rate.
Bytes BuildFrames(FuzzedDataProvider& input, bool steady, bool& withJunk, std::vector<std::uint64_t>& whole) {
    Bytes stream;
    int kept[3] = {};
    while (input.remaining_bytes() > 4 && stream.size() < 65536) {
        const std::uint8_t a = input.ConsumeIntegral<std::uint8_t>();
        const std::uint8_t b = input.ConsumeIntegral<std::uint8_t>();
        const std::uint8_t c = input.ConsumeIntegral<std::uint8_t>();
        int version = a & 1;
        int layer = 1 + (a >> 1) % 3;
        const int protection = (a >> 3) & 1;
        const int bitrateIndex = 1 + b % 14;
        int samplingIndex = (b >> 4) % 3;
        if (steady && stream.empty()) {
            kept[0] = version;
            kept[1] = layer;
            kept[2] = samplingIndex;
        } else if (steady) {
            version = kept[0];
            layer = kept[1];
            samplingIndex = kept[2];
        }
        const int padding = (b >> 6) & 1;
        const std::uint8_t header[4] = {
            0xFF, static_cast<std::uint8_t>(0xF0 | (version << 3) | ((4 - layer) << 1) | protection),
            static_cast<std::uint8_t>((bitrateIndex << 4) | (samplingIndex << 2) | (padding << 1) | (b >> 7)),
            static_cast<std::uint8_t>((c & 0xFC) | ((c & 3) == 2 ? 0 : (c & 3)))};
        const std::size_t length = static_cast<std::size_t>(FrameLength(version, layer, bitrateIndex, samplingIndex, padding));
        const auto body = input.ConsumeBytes<std::uint8_t>(length - 4);
        if (body.size() == length - 4) whole.push_back(stream.size());
        stream.insert(stream.end(), header, header + 4);
        stream.insert(stream.end(), body.begin(), body.end());
        if (a & 0x80) {  // junk between frames now and then
            const auto junk = input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange<std::size_t>(0, 8));
            stream.insert(stream.end(), junk.begin(), junk.end());
            withJunk = withJunk || !junk.empty();
        }
    }
    return stream;
}

// Whether the stream checker takes exactly the whole frames built, at their
// offsets, and finds every frame's audio data inside the frame (Layers I and
// II) and every Layer III frame's main data inside the bytes it may reach.
bool AudioDataStaysInside(const Bytes& stream, const std::vector<std::uint64_t>& frames) {
    bool inside = true;
    std::vector<std::uint64_t> taken;
    mpacheck::checker checker(
        [&](const mpacheck::finding& f) { inside = inside && f.kind != mpacheck::finding_kind::main_data_overflow; },
        [&](const mpacheck::frame_facts& f) {
            inside = inside && (f.layer == 3 || f.ancillary_bits >= 0);
            taken.push_back(f.offset);
        });
    checker.feed(stream.data(), stream.size());
    checker.finish();
    return inside && taken == frames;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const bool buildFrames = input.ConsumeBool();
    const bool steady = input.ConsumeBool();
    const bool headerSearchFirst = input.ConsumeBool();
    const bool withStatistics = input.ConsumeBool();
    const bool withTag = input.ConsumeBool();
    const std::uint32_t maximumChunk = input.ConsumeIntegralInRange<std::uint32_t>(1, 12000);
    const std::uint32_t seed = input.ConsumeIntegral<std::uint32_t>();
    const std::size_t plainChunk = input.ConsumeIntegralInRange<std::size_t>(1, 6000);
    bool withJunk = false;
    std::vector<std::uint64_t> wholeFrames;  // offsets of the built frames that are complete
    const Bytes stream =
        buildFrames ? BuildFrames(input, steady, withJunk, wholeFrames) : input.ConsumeRemainingBytes<std::uint8_t>();

    bufstream* decoder = open_MPEGin_Audio_stream();
    Check(decoder != nullptr);
    std::minstd_rand random(seed);
    Bytes pcm(40000);
    mpa_pcm_buffer buffer{pcm.data(), 0};
    mpa_statistics statistics{};
    mpa_reset_params params{withStatistics ? &statistics : nullptr, {}};
    decoder->control(decoder, 0, MPA_CTL_SET_STATISTICS, &params, sizeof params);
    if (headerSearchFirst) decoder->control(decoder, 0, MPA_CTL_PARSE_ONLY, nullptr, 0);
    bool searching = headerSearchFirst;

    std::size_t position = 0;
    int idle = 0;
    for (int call = 0; call < 100000 && idle < 8; ++call) {
        const std::uint32_t choice = random() % 64;
        if (choice == 0 && !searching) {
            decoder->control(decoder, 0, MPA_CTL_PARSE_ONLY, nullptr, 0);
            searching = true;
        } else if (choice == 1 && withTag) {
            std::uint8_t tag[24] = {};
            decoder->control(decoder, 0, MPA_CTL_SET_FRAME_TAG, tag, 1 + random() % sizeof tag);
        }
        if (!searching) {
            const std::uint32_t capacity = random() % 4 == 0 ? static_cast<std::uint32_t>(random() % pcm.size()) : 32768;
            buffer.size = capacity;
            Check(decoder->control(decoder, 0, MPA_CTL_SET_PCM_BUFFER, &buffer, sizeof buffer) == 0);
        }
        const std::size_t left = stream.size() - position;
        const auto length = static_cast<std::uint32_t>(std::min<std::size_t>(left, 1 + random() % maximumChunk));
        const std::uint32_t capacity = buffer.size;
        const std::uint8_t* chunk = left > 0 && random() % 32 != 0 ? stream.data() + position : nullptr;
        const std::uint32_t taken = decoder->write_bytes(decoder, chunk, chunk != nullptr ? length : 0);
        const std::int32_t status = decoder->control(decoder, 0, MPA_CTL_GET_STATUS, nullptr, 0);
        Check((status & ~static_cast<std::int32_t>(MPA_STATUS_FRAME)) == 0);
        Check(taken <= (chunk != nullptr ? length : 0));
        if (!searching) Check(buffer.size <= capacity);
        mpa_frame_info* info = nullptr;
        Check(decoder->control(decoder, 0, MPA_CTL_GET_FRAME_INFO, &info, sizeof info) == 0 && info != nullptr);
        Check(info->frame_length >= 0 && info->frame_length <= 1729 + 3);
        void* tag = nullptr;
        decoder->control(decoder, 0, MPA_CTL_GET_FRAME_TAG, &tag, sizeof tag);
        if (searching) {
            searching = false;  // like the validator: one header search, then decoding
            decoder->control(decoder, 0, MPA_CTL_PARSE_INIT, nullptr, 0);
            continue;
        }
        position += taken;
        Check(position <= stream.size());
        idle = taken == 0 && buffer.size == 0 ? idle + 1 : 0;
    }
    if (withStatistics) Check(statistics.last_frame_ok == 0 || statistics.bytes_per_sample == 2);
    decoder->finish(decoder, 0);
    decoder->release(decoder);

    if (buildFrames && !withJunk && AudioDataStaysInside(stream, wholeFrames)) {
        const mpadec_test::Decoded whole = mpadec_test::DecodeAll(stream);
        const mpadec_test::Decoded pieces = mpadec_test::DecodeAll(stream, plainChunk);
        Check(whole.frames == pieces.frames && whole.pcm == pieces.pcm);
    }
    return 0;
}
