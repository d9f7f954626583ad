// The decoder's exported surface: creation, the record it returns, the
// control codes, write_bytes in decode and header-search mode, PCM delivery
// across calls, the statistics record and the frame tag.

#include "libs/mpadec/mpadec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/libs/mpadec/decoder_driver.h"
#include "tests/support/mpa_builder.h"
#include "tests/support/temp_dir.h"

extern "C" void mpadec_c_layout(size_t* out);

namespace mpadec_test {
namespace {

using testsupport::MakeFrame;
using testsupport::MpaFrameSpec;
using testsupport::MpaStreamBuilder;

// MPEG-1 Layer II, 128 kbit/s, 48 kHz, stereo: 384 bytes, 4608 PCM bytes.
MpaFrameSpec LayerII() { return {}; }

MpaFrameSpec LayerIII() {
    MpaFrameSpec fields;
    fields.layer = testsupport::kMpaLayerIII;
    fields.bitrateIndex = 9;  // 128 kbit/s
    fields.samplingIndex = 0;
    return fields;
}

// A Layer III frame the decoder must reject: its side information fails the
// CRC it carries.
Bytes LayerIIIWithWrongCrc() {
    MpaFrameSpec fields = LayerIII();
    fields.crc = true;
    Bytes frame = MakeFrame(fields);
    frame[4] ^= 0xFF;
    return frame;
}

Bytes Fixture(const char* name) { return testsupport::ReadFileBytes(testsupport::FixturePath(std::string("mpadec/") + name)); }

// Offsets of the frames of a stream without junk.
std::vector<std::size_t> FrameOffsets(const Bytes& data) {
    std::vector<std::size_t> offsets;
    for (std::size_t at = 0; at + 4 <= data.size();) {
        const auto fields = testsupport::ParseHeader(&data[at]);
        if (!fields) break;
        offsets.push_back(at);
        at += static_cast<std::size_t>(testsupport::FrameLength(*fields));
    }
    return offsets;
}

// ---- the C ABI ----

TEST(MpadecAbiTest, CAndCxxAgreeOnTheRecordLayouts) {
    size_t c[8] = {};
    mpadec_c_layout(c);
    EXPECT_EQ(c[0], sizeof(mpa_frame_info));
    EXPECT_EQ(c[1], sizeof(mpa_statistics));
    EXPECT_EQ(c[2], sizeof(mpa_reset_params));
    EXPECT_EQ(c[3], sizeof(mpa_pcm_buffer));
    EXPECT_EQ(c[4], offsetof(mpa_statistics, samples_clipped));
    EXPECT_EQ(c[5], offsetof(mpa_frame_info, frame_length));
    EXPECT_EQ(c[6], offsetof(mpa_pcm_buffer, size));
    EXPECT_EQ(c[7], sizeof(bufstream));
    EXPECT_EQ(sizeof(mpa_frame_info), 84u);
    EXPECT_EQ(sizeof(mpa_statistics), 3056u);
    EXPECT_EQ(sizeof(mpa_reset_params), 64u);
    EXPECT_EQ(sizeof(mpa_pcm_buffer), 2 * sizeof(void*));
}

TEST(MpadecExportsTest, ExtensionQueryAnswersOnlyItsThreeCodes) {
    EXPECT_EQ(MPEGin_Audio_GetAPIExt(0), nullptr);
    EXPECT_EQ(MPEGin_Audio_GetAPIExt(2), nullptr);
    auto* query = reinterpret_cast<mpa_api_ext_query_fn>(MPEGin_Audio_GetAPIExt(1));
    ASSERT_NE(query, nullptr);

    std::int32_t level = 0;
    EXPECT_EQ(query(MPA_EXT_API_LEVEL, &level), 0);
    EXPECT_EQ(level, 2);

    char out[32];
    std::memset(out, '#', sizeof out);
    EXPECT_EQ(query(MPA_EXT_VERSION, out), 0);
    EXPECT_EQ(std::string(out, 13), "10.4.15.9822#");  // 12 characters, no terminator

    std::memset(out, '#', sizeof out);
    EXPECT_EQ(query(MPA_EXT_PLATFORM, out), 0);
    EXPECT_EQ(std::string(out, 16), "ZRPLATFORM_IA32#");  // 15 characters, no terminator

    std::memset(out, '#', sizeof out);
    EXPECT_EQ(query(6, out), 1);
    EXPECT_EQ(query(0, out), 1);
    EXPECT_EQ(std::string(out, 4), "####");
    EXPECT_EQ(query(MPA_EXT_API_LEVEL, nullptr), 1);
}

TEST(MpadecExportsTest, TheStreamFillsExactlyFourSlots) {
    for (bufstream* stream : {open_MPEGin_Audio_stream(), open_MPEGin_Audio_stream_ex(nullptr, 0, 0)}) {
        ASSERT_NE(stream, nullptr);
        EXPECT_EQ(stream->bytes_available, nullptr);
        EXPECT_EQ(stream->reserve, nullptr);
        EXPECT_EQ(stream->commit, nullptr);
        EXPECT_EQ(stream->block_size, nullptr);
        EXPECT_EQ(stream->next_part, nullptr);
        EXPECT_NE(stream->write_bytes, nullptr);
        EXPECT_NE(stream->control, nullptr);
        EXPECT_NE(stream->finish, nullptr);
        EXPECT_NE(stream->release, nullptr);
        EXPECT_EQ(stream->reserved_a, 0u);
        EXPECT_EQ(stream->reserved_b, 0u);
        EXPECT_EQ(stream->flags, 0u);
        EXPECT_EQ(stream->reserved_c, 0u);
        EXPECT_EQ(stream->impl, nullptr);
        stream->finish(stream, 0);
        stream->release(stream);
    }
}

// The caller's resources: which names are asked for, in which order, and
// that the stream's memory comes from the caller's pair.
struct Resources {
    static inline std::vector<std::string> asked;
    static inline int allocations = 0;
    static inline int releases = 0;
    static inline int messages = 0;
    static inline bool offerFree = true;

    static void Reset(bool withFree) {
        asked.clear();
        allocations = releases = messages = 0;
        offerFree = withFree;
    }
    static void* TAMBERLY_CDECL Allocate(size_t size) {
        ++allocations;
        return std::malloc(size);
    }
    static void TAMBERLY_CDECL Release(void* block) {
        ++releases;
        std::free(block);
    }
    static int TAMBERLY_CDECL Message(const char*, ...) { return ++messages; }
    static void* TAMBERLY_CDECL Get(const char* name) {
        asked.emplace_back(name);
        const std::string n = name;
        if (n == "malloc") return reinterpret_cast<void*>(&Allocate);
        if (n == "free") return offerFree ? reinterpret_cast<void*>(&Release) : nullptr;
        if (n == "err_printf" || n == "inf_printf") return reinterpret_cast<void*>(&Message);
        return nullptr;
    }
};

TEST(MpadecExportsTest, MemoryComesFromTheCallersPairAndNoMessageIsWritten) {
    Resources::Reset(true);
    {
        Decoder decoder(open_MPEGin_Audio_stream_ex(&Resources::Get, 7, 9));
        ASSERT_NE(decoder.Stream(), nullptr);
        EXPECT_EQ(Resources::asked,
                  (std::vector<std::string>{"malloc", "free", "err_printf", "wrn_printf", "inf_printf"}));
        EXPECT_EQ(Resources::allocations, 1);
        // A tag is the only other allocation, through the same pair.
        const Bytes tag(100, 0x5A);
        decoder.Control(MPA_CTL_SET_FRAME_TAG, const_cast<std::uint8_t*>(tag.data()), 100);
        EXPECT_EQ(Resources::allocations, 2);
        // Junk, a rejected frame and a decoded one: still no message.
        const Bytes data = MpaStreamBuilder().Junk(10, 0xFF).Raw(LayerIIIWithWrongCrc()).Frames(LayerII(), 2).Data();
        const Decoded decoded = DecodeAll(decoder, data);
        EXPECT_EQ(decoded.frames, 2);
    }
    EXPECT_EQ(Resources::releases, 2);
    EXPECT_EQ(Resources::messages, 0);

    // Without "free" the library's own pair serves, and "free" was the last
    // allocation name asked for.
    Resources::Reset(false);
    {
        Decoder decoder(open_MPEGin_Audio_stream_ex(&Resources::Get, 0, 0));
        ASSERT_NE(decoder.Stream(), nullptr);
        EXPECT_EQ(Resources::asked,
                  (std::vector<std::string>{"malloc", "free", "err_printf", "wrn_printf", "inf_printf"}));
    }
    EXPECT_EQ(Resources::allocations, 0);
    EXPECT_EQ(Resources::releases, 0);
}

TEST(MpadecExportsTest, NullStreamIsRefusedByEveryOperation) {
    Decoder decoder;
    bufstream* stream = decoder.Stream();
    const Bytes frame = MakeFrame(LayerII());
    EXPECT_EQ(stream->control(nullptr, 0, MPA_CTL_GET_STATUS, nullptr, 0), -1);
    EXPECT_EQ(stream->control(nullptr, 0, 0x12345, nullptr, 0), -1);
    EXPECT_EQ(stream->write_bytes(nullptr, frame.data(), static_cast<std::uint32_t>(frame.size())), 0u);
    stream->release(nullptr);
    stream->finish(nullptr, 0);
}

// ---- control codes ----

TEST(MpadecControlTest, UnknownCodesAndParseInitReturnZeroAndChangeNothing) {
    Decoder decoder;
    decoder.UsePcmBuffer(32768);
    const Bytes data = MpaStreamBuilder().Frames(LayerII(), 2).Data();
    ASSERT_EQ(decoder.Write(data), 384u);
    ASSERT_EQ(decoder.Status(), 1);
    std::uint32_t word = 0xDEADBEEF;
    for (std::uint32_t code : {0u, 0x10002u, 0x10004u, 0x10005u, 0x10007u, 0x1000Au, 0x10011u, 0x10201u,
                               0x10202u, 0x10FFEu, 0x11000u, 0xF0010u, 0xFFFFFFFFu}) {
        EXPECT_EQ(decoder.Control(code, &word, sizeof word), 0) << std::hex << code;
        EXPECT_EQ(decoder.Control(code), 0) << std::hex << code;
    }
    EXPECT_EQ(word, 0xDEADBEEFu);
    EXPECT_EQ(decoder.Status(), 1);
    EXPECT_EQ(decoder.FrameInfo().frame_length, 384);
    // The stream still decodes where it stood.
    EXPECT_EQ(decoder.Write(data, 384), 384u);
    EXPECT_EQ(decoder.PcmSize(), 4608u);
}

TEST(MpadecControlTest, PcmBufferAndFrameInfoRefuseBadArguments) {
    Decoder decoder;
    mpa_pcm_buffer record{nullptr, 0};
    EXPECT_EQ(decoder.Control(MPA_CTL_SET_PCM_BUFFER, nullptr, sizeof record), -1);
    EXPECT_EQ(decoder.Control(MPA_CTL_SET_PCM_BUFFER, &record, sizeof record - 1), -1);
    EXPECT_EQ(decoder.Control(MPA_CTL_SET_PCM_BUFFER, &record, sizeof record + 4), -1);
    EXPECT_EQ(decoder.Control(MPA_CTL_GET_FRAME_INFO, nullptr, 4), -1);

    // A refused buffer leaves header-search mode in place.
    ASSERT_EQ(decoder.Control(MPA_CTL_PARSE_ONLY), 0);
    EXPECT_EQ(decoder.Control(MPA_CTL_SET_PCM_BUFFER, &record, 3), -1);
    const Bytes data = MpaStreamBuilder().Junk(5).Frames(LayerII(), 2).Data();
    EXPECT_EQ(decoder.Write(data), 9u);
}

TEST(MpadecControlTest, TakeStatusClearsTheWord) {
    Decoder decoder;
    decoder.UsePcmBuffer(32768);
    const Bytes data = MpaStreamBuilder().Frames(LayerII(), 2).Data();
    EXPECT_EQ(decoder.Control(MPA_CTL_TAKE_STATUS), 0);
    ASSERT_EQ(decoder.Write(data), 384u);
    EXPECT_EQ(decoder.Control(MPA_CTL_GET_STATUS), 1);
    EXPECT_EQ(decoder.Control(MPA_CTL_GET_STATUS), 1);
    EXPECT_EQ(decoder.Control(MPA_CTL_TAKE_STATUS), 1);
    EXPECT_EQ(decoder.Control(MPA_CTL_GET_STATUS), 0);
    EXPECT_EQ(decoder.Control(MPA_CTL_TAKE_STATUS), 0);
}

// ---- write_bytes, decode mode ----

TEST(MpadecDecodeTest, OneCallDecodesOnlyTheFirstOfTenFrames) {
    const Bytes data = MpaStreamBuilder().Junk(37, 0x11).Frames(LayerII(), 10).Data();
    Decoder decoder;
    decoder.UsePcmBuffer(32768);
    EXPECT_EQ(decoder.Write(data), 37u + 384u);
    EXPECT_EQ(decoder.Status(), 1);
    EXPECT_EQ(decoder.PcmSize(), 4608u);
    std::size_t position = 37 + 384;
    for (int frame = 1; frame < 10; ++frame) {
        EXPECT_EQ(decoder.Write(data, position), 384u) << frame;
        EXPECT_EQ(decoder.PcmSize(), 4608u);
        position += 384;
    }
    EXPECT_EQ(position, data.size());
    EXPECT_EQ(decoder.Write(data, position), 0u);
    EXPECT_EQ(decoder.Status(), 0);
}

TEST(MpadecDecodeTest, AFrameCutByTheInputIsCompletedByTheNextCall) {
    const Bytes data = Fixture("tl_48k_stereo_192k_crc.mp2");
    ASSERT_FALSE(data.empty());
    const auto offsets = FrameOffsets(data);
    ASSERT_GE(offsets.size(), 4u);
    const std::size_t second = offsets[1], third = offsets[2], cut = second + 250;
    const Decoded whole = DecodeAll(data);

    Decoder decoder;
    decoder.UsePcmBuffer(32768);
    EXPECT_EQ(decoder.Write(data.data(), cut), second);  // the first frame; the rest is offered again
    EXPECT_EQ(decoder.Write(data.data() + second, cut - second), cut - second);  // all taken, nothing decoded
    EXPECT_EQ(decoder.Status(), 0);
    EXPECT_EQ(decoder.PcmSize(), 0u);
    // The carried bytes are not counted twice.
    EXPECT_EQ(decoder.Write(data, cut), third - cut);
    EXPECT_EQ(decoder.Status(), 1);
    EXPECT_EQ(decoder.Pcm(), whole.framePcm[1]);
    EXPECT_EQ(decoder.Write(data, third), offsets[3] - third);
    EXPECT_EQ(decoder.Pcm(), whole.framePcm[2]);
}

TEST(MpadecDecodeTest, ChunkSizesDoNotChangeThePcm) {
    // Fewer than 4 bytes after the last frame, so that it needs no
    // confirming header whatever the chunk size.
    const Bytes fixture = Fixture("tl_44k_joint_128k_crc.mp2");
    const Bytes data = MpaStreamBuilder().Junk(3, 0xFF).Raw(fixture).Junk(2).Data();
    const Decoded whole = DecodeAll(data);
    EXPECT_EQ(whole.frames, static_cast<int>(FrameOffsets(fixture).size()));
    for (std::size_t chunk : {1u, 3u, 100u, 417u, 1000u, 4999u, 5000u, 5001u}) {
        const Decoded pieces = DecodeAll(data, chunk);
        EXPECT_EQ(pieces.frames, whole.frames) << chunk;
        EXPECT_EQ(pieces.pcm, whole.pcm) << chunk;
    }
}

TEST(MpadecDecodeTest, PcmThatDoesNotFitIsDeliveredByTheNextCalls) {
    const Bytes data = Fixture("tl_48k_stereo_192k_crc.mp2");
    const auto offsets = FrameOffsets(data);
    ASSERT_GE(offsets.size(), 3u);
    const Decoded whole = DecodeAll(data);
    ASSERT_EQ(whole.framePcm[0].size(), 4608u);
    Bytes expected = whole.framePcm[0];
    expected.insert(expected.end(), whole.framePcm[1].begin(), whole.framePcm[1].end());

    for (bool nullDataAtTheEnd : {false, true}) {
        Decoder decoder;
        decoder.UsePcmBuffer(1000);
        EXPECT_EQ(decoder.Write(data), offsets[1]);
        EXPECT_EQ(decoder.Status(), 1);
        EXPECT_EQ(decoder.Pcm(), Bytes(expected.begin(), expected.begin() + 1000));
        for (int call = 1; call < 4; ++call) {
            EXPECT_EQ(decoder.Write(data, offsets[1]), 0u) << call;
            EXPECT_EQ(decoder.Status(), 1) << call;
            EXPECT_EQ(decoder.Pcm(), Bytes(expected.begin() + 1000 * call, expected.begin() + 1000 * (call + 1)));
        }
        if (nullDataAtTheEnd) {
            EXPECT_EQ(decoder.Write(nullptr, 0), 0u);
            EXPECT_EQ(decoder.Status(), 0);
            EXPECT_EQ(decoder.Pcm(), Bytes(expected.begin() + 4000, expected.begin() + 4608));
        } else {
            // The last 608 bytes, then decoding goes on into the next frame.
            EXPECT_EQ(decoder.Write(data, offsets[1]), offsets[2] - offsets[1]);
            EXPECT_EQ(decoder.Status(), 1);
            EXPECT_EQ(decoder.Pcm(), Bytes(expected.begin() + 4000, expected.begin() + 5000));
        }
    }
}

TEST(MpadecDecodeTest, NullDataOnlyDeliversPendingPcm) {
    const Bytes data = MpaStreamBuilder().Frames(LayerII(), 3).Data();
    Decoder decoder;
    decoder.UsePcmBuffer(32768);
    EXPECT_EQ(decoder.Write(nullptr, 1000), 0u);
    EXPECT_EQ(decoder.Status(), 0);
    EXPECT_EQ(decoder.PcmSize(), 0u);

    decoder.UsePcmBuffer(3000);
    ASSERT_EQ(decoder.Write(data), 384u);
    EXPECT_EQ(decoder.PcmSize(), 3000u);
    EXPECT_EQ(decoder.Write(nullptr, 0), 0u);  // the remaining 1608 bytes, and no decoding
    EXPECT_EQ(decoder.PcmSize(), 1608u);
    EXPECT_EQ(decoder.Status(), 0);
    EXPECT_EQ(decoder.Write(nullptr, 0), 0u);
    EXPECT_EQ(decoder.PcmSize(), 0u);
    EXPECT_EQ(decoder.Write(data, 384), 384u);  // the input was not touched meanwhile
    EXPECT_EQ(decoder.PcmSize(), 3000u);
}

TEST(MpadecDecodeTest, AFrameInsideTheCarriedBytesNeverMakesTheCountNegative) {
    // A long candidate (1728 bytes) accepted at the end of the first input
    // and carried whole; inside it lie two short frames (48 bytes each).
    MpaFrameSpec longFrame;
    longFrame.bitrateIndex = 14;  // 384 kbit/s
    longFrame.samplingIndex = 2;  // 32 kHz
    MpaFrameSpec shortFrame;
    shortFrame.layer = testsupport::kMpaLayerI;
    shortFrame.bitrateIndex = 1;  // 32 kbit/s
    shortFrame.samplingIndex = 2;
    shortFrame.mode = testsupport::kMpaSingleChannel;
    const Bytes data = MpaStreamBuilder()
                           .Raw(testsupport::MakeHeader(longFrame))
                           .Junk(96)
                           .Frames(shortFrame, 3)
                           .Junk(756)
                           .Junk(2000)
                           .Data();
    ASSERT_EQ(data.size(), 3000u);
    Decoder decoder;
    decoder.UsePcmBuffer(32768);
    EXPECT_EQ(decoder.Write(data.data(), 1000), 1000u);
    EXPECT_EQ(decoder.Status(), 0);
    // Now the long candidate is not confirmed; the first short frame ends
    // inside the carried bytes, which stay for the next call.
    EXPECT_EQ(decoder.Write(data, 1000), 0u);
    EXPECT_EQ(decoder.Status(), 1);
    EXPECT_EQ(decoder.PcmSize(), 768u);
    EXPECT_EQ(decoder.Write(data, 1000), 0u);
    EXPECT_EQ(decoder.Status(), 1);
    EXPECT_EQ(decoder.PcmSize(), 768u);
    // The third short frame has no confirming header: all the rest is junk.
    EXPECT_EQ(decoder.Write(data, 1000), 2000u);
    EXPECT_EQ(decoder.Status(), 0);
}

TEST(MpadecDecodeTest, WithoutAPcmBufferFramesAreDecodedAndDropped) {
    const Bytes data = MpaStreamBuilder().Junk(2).Frames(LayerII(), 2).Data();
    Decoder decoder;
    mpa_statistics statistics{};
    mpa_reset_params params{&statistics, {}};
    decoder.Control(MPA_CTL_SET_STATISTICS, &params, sizeof params);
    EXPECT_EQ(decoder.Stream()->write_bytes(decoder.Stream(), data.data(), static_cast<std::uint32_t>(data.size())),
              386u);
    EXPECT_EQ(decoder.Status(), 1);
    EXPECT_EQ(statistics.frames_decoded, 1u);
    // A buffer given later receives only what is decoded from then on.
    decoder.UsePcmBuffer(32768);
    EXPECT_EQ(decoder.Write(data, 386), 384u);
    EXPECT_EQ(decoder.PcmSize(), 4608u);
}

TEST(MpadecDecodeTest, JunkOnlyIsTakenWholeKeepingThreeBytes) {
    Decoder decoder;
    decoder.UsePcmBuffer(32768);
    const Bytes junk(6000, 0x42);
    EXPECT_EQ(decoder.Write(junk), 6000u);
    EXPECT_EQ(decoder.Status(), 0);
    // The 3 kept bytes are the start of a header whose rest comes next.
    Bytes frames = MpaStreamBuilder().Frames(LayerII(), 2).Data();
    const Bytes tail{0x00, 0x00, frames[0]};
    EXPECT_EQ(decoder.Write(tail), 3u);
    EXPECT_EQ(decoder.Write(frames, 1), 383u);
    EXPECT_EQ(decoder.Status(), 1);
    EXPECT_EQ(decoder.PcmSize(), 4608u);
}

TEST(MpadecDecodeTest, ARejectedFrameCostsOneByteAndTheSearchGoesOn) {
    // A Layer III frame whose side information fails its CRC is rejected.
    const int length3 = testsupport::FrameLength(LayerIII());
    const Bytes data = MpaStreamBuilder().Junk(5).Raw(LayerIIIWithWrongCrc()).Frames(LayerII(), 2).Data();
    Decoder decoder;
    mpa_statistics statistics;
    std::memset(&statistics, 0xEE, sizeof statistics);
    mpa_reset_params params{&statistics, {}};
    decoder.Control(MPA_CTL_SET_STATISTICS, &params, sizeof params);
    const mpa_statistics zero{};
    EXPECT_EQ(std::memcmp(&statistics, &zero, sizeof zero), 0);

    decoder.UsePcmBuffer(32768);
    EXPECT_EQ(decoder.Write(data), static_cast<std::uint32_t>(5 + length3 + 384));
    EXPECT_EQ(decoder.Status(), 1);
    EXPECT_EQ(decoder.PcmSize(), 4608u);
    EXPECT_EQ(statistics.frames_failed, 1u);
    EXPECT_EQ(statistics.frames_decoded, 1u);
    EXPECT_EQ(statistics.bytes_decoded, 384u);
    EXPECT_EQ(statistics.bytes_skipped, static_cast<std::uint32_t>(5 + length3 - 1));
    EXPECT_EQ(statistics.last_frame_ok, 1);
    EXPECT_EQ(statistics.channels, 2);
    EXPECT_EQ(statistics.bytes_per_sample, 2);
    EXPECT_EQ(statistics.sampling_rate, 48000);
    EXPECT_EQ(statistics.samples_per_frame, 1152);
    EXPECT_EQ(statistics.bitrate, 128000);
    EXPECT_EQ(statistics.samples_clipped, 0);

    // A lone rejected frame: all of the input is taken, no PCM, and the
    // per-frame fields are zero.
    const Bytes alone = LayerIIIWithWrongCrc();
    EXPECT_EQ(decoder.Write(alone), alone.size());
    EXPECT_EQ(decoder.Status(), 0);
    EXPECT_EQ(decoder.PcmSize(), 0u);
    EXPECT_EQ(statistics.frames_failed, 2u);
    EXPECT_EQ(statistics.last_frame_ok, 0);
    EXPECT_EQ(statistics.channels, 0);
    EXPECT_EQ(statistics.sampling_rate, 0);
    EXPECT_EQ(statistics.bitrate, 0);
    // Untouched bytes of the record stay zero.
    EXPECT_TRUE(std::all_of(statistics.reserved1, statistics.reserved1 + sizeof statistics.reserved1,
                            [](std::uint8_t b) { return b == 0; }));
    EXPECT_TRUE(std::all_of(statistics.reserved2, statistics.reserved2 + sizeof statistics.reserved2,
                            [](std::uint8_t b) { return b == 0; }));

    // Detached: the record no longer changes.
    mpa_reset_params detach{nullptr, {}};
    decoder.Control(MPA_CTL_SET_STATISTICS, &detach, sizeof detach);
    ASSERT_EQ(decoder.Write(data), static_cast<std::uint32_t>(5 + length3 + 384));
    EXPECT_EQ(statistics.frames_decoded, 1u);
}

TEST(MpadecDecodeTest, StatisticsWithTheWrongSizeAreNotAttached) {
    Decoder decoder;
    mpa_statistics statistics;
    std::memset(&statistics, 0xEE, sizeof statistics);
    mpa_reset_params params{&statistics, {}};
    EXPECT_EQ(decoder.Control(MPA_CTL_SET_STATISTICS, &params, 60), 0);
    EXPECT_EQ(decoder.Control(MPA_CTL_SET_STATISTICS, nullptr, sizeof params), 0);
    decoder.UsePcmBuffer(32768);
    ASSERT_EQ(decoder.Write(MpaStreamBuilder().Frames(LayerII(), 2).Data()), 384u);
    EXPECT_EQ(statistics.frames_decoded, 0xEEEEEEEEu);
}

// ---- write_bytes, header-search mode ----

TEST(MpadecHeaderSearchTest, ReturnsTheJunkPlusFourAndReportsTheHeader) {
    MpaFrameSpec first;
    first.crc = true;
    first.padding = 0;
    first.mode = testsupport::kMpaJointStereo;
    first.modeExtension = 2;
    first.copyright = 1;
    first.emphasis = 1;
    MpaFrameSpec second;
    second.samplingIndex = 0;
    const Bytes data = MpaStreamBuilder().Junk(100, 0x33).Frame(first).Frame(second).Data();

    Decoder decoder;
    ASSERT_EQ(decoder.Control(MPA_CTL_PARSE_ONLY), 0);
    EXPECT_EQ(decoder.Write(data), 104u);
    EXPECT_EQ(decoder.Status(), 1);
    const mpa_frame_info& info = decoder.FrameInfo();
    EXPECT_EQ(static_cast<std::uint32_t>(info.header), 0xFFFC8469u);
    EXPECT_EQ(info.version, 1);
    EXPECT_EQ(info.layer_code, 2);
    EXPECT_EQ(info.protection, 0);
    EXPECT_EQ(info.bitrate_index, 8);
    EXPECT_EQ(info.sampling_index, 1);
    EXPECT_EQ(info.mode, 1);
    EXPECT_EQ(info.mode_extension, 2);
    EXPECT_EQ(info.copyright, 1);
    EXPECT_EQ(info.original, 0);
    EXPECT_EQ(info.emphasis, 1);
    EXPECT_EQ(info.sampling_rate, 48000);
    EXPECT_EQ(info.bits_per_sample, 16);
    EXPECT_EQ(info.bitrate, 128);
    EXPECT_EQ(info.bytes_per_sample, 4);
    EXPECT_EQ(info.layer, 2);
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.samples_per_frame, 1152);
    EXPECT_EQ(info.frame_length, 384);

    // Nothing is carried: the next call searches its own input only.
    EXPECT_EQ(decoder.Write(data, 104), 384u);
    EXPECT_EQ(decoder.FrameInfo().sampling_rate, 44100);
}

TEST(MpadecHeaderSearchTest, WithoutAHeaderAllButThreeBytesAreDiscarded) {
    Decoder decoder;
    decoder.Control(MPA_CTL_PARSE_ONLY);
    const Bytes frame = MakeFrame(LayerII());
    ASSERT_EQ(decoder.Write(frame), 4u);
    ASSERT_EQ(decoder.Status(), 1);
    EXPECT_EQ(decoder.Write(frame.data(), 3), 0u);
    EXPECT_EQ(decoder.Status(), 0);
    EXPECT_EQ(decoder.Write(Bytes(50, 0x21)), 47u);
    EXPECT_EQ(decoder.Write(Bytes(12000, 0x21)), 11997u);
    EXPECT_EQ(decoder.Status(), 0);
    EXPECT_EQ(decoder.Write(nullptr, 100), 0u);
    // A frame at the very end is accepted without a confirming header.
    EXPECT_EQ(decoder.Write(MpaStreamBuilder().Junk(9).Frame(LayerII()).Data()), 13u);
    EXPECT_EQ(decoder.Status(), 1);
}

TEST(MpadecHeaderSearchTest, DecodeModeResumesWithTheFirstFrame) {
    const Bytes data = MpaStreamBuilder().Junk(20).Frames(LayerII(), 3).Data();
    Decoder decoder;
    decoder.UsePcmBuffer(1000);
    ASSERT_EQ(decoder.Write(data, 20), 384u);  // 3608 bytes of PCM pending
    decoder.Control(MPA_CTL_PARSE_ONLY);       // forgets them and the buffer
    ASSERT_EQ(decoder.Write(data), 24u);
    ASSERT_EQ(decoder.Control(MPA_CTL_PARSE_INIT), 0);
    decoder.UsePcmBuffer(32768);
    EXPECT_EQ(decoder.Write(data), 20u + 384u);
    EXPECT_EQ(decoder.PcmSize(), 4608u);
}

// ---- frame tag ----

TEST(MpadecFrameTagTest, TheTagComesBackOnceAfterTheNextCompleteFrame) {
    const Bytes data = MpaStreamBuilder().Frames(LayerII(), 3).Data();
    Decoder decoder;
    decoder.UsePcmBuffer(32768);
    void* tag = reinterpret_cast<void*>(1);
    decoder.Control(MPA_CTL_GET_FRAME_TAG, &tag, sizeof tag);
    EXPECT_EQ(tag, nullptr);

    Bytes block{1, 2, 3, 4, 5};
    ASSERT_EQ(decoder.Control(MPA_CTL_SET_FRAME_TAG, block.data(), 5), 0);
    block[0] = 99;  // the stream keeps its own copy
    decoder.Control(MPA_CTL_GET_FRAME_TAG, &tag, sizeof tag);
    EXPECT_EQ(tag, nullptr);
    ASSERT_EQ(decoder.Write(data.data(), 200), 200u);  // incomplete: not handed to the frame decoder
    decoder.Control(MPA_CTL_GET_FRAME_TAG, &tag, sizeof tag);
    EXPECT_EQ(tag, nullptr);
    ASSERT_EQ(decoder.Write(data, 200), 184u);
    decoder.Control(MPA_CTL_GET_FRAME_TAG, &tag, sizeof tag);
    ASSERT_NE(tag, nullptr);
    EXPECT_EQ(Bytes(static_cast<std::uint8_t*>(tag), static_cast<std::uint8_t*>(tag) + 5), (Bytes{1, 2, 3, 4, 5}));
    decoder.Control(MPA_CTL_GET_FRAME_TAG, &tag, sizeof tag);
    EXPECT_EQ(tag, nullptr);
    ASSERT_EQ(decoder.Write(data, 384), 384u);
    decoder.Control(MPA_CTL_GET_FRAME_TAG, &tag, sizeof tag);
    EXPECT_EQ(tag, nullptr);

    // A larger tag replaces the block; statistics set-up forgets the tag.
    const Bytes larger(300, 7);
    decoder.Control(MPA_CTL_SET_FRAME_TAG, const_cast<std::uint8_t*>(larger.data()), 300);
    mpa_reset_params params{nullptr, {}};
    decoder.Control(MPA_CTL_SET_STATISTICS, &params, sizeof params);
    ASSERT_EQ(decoder.Write(data, 768), 384u);
    decoder.Control(MPA_CTL_GET_FRAME_TAG, &tag, sizeof tag);
    EXPECT_EQ(tag, nullptr);
    decoder.Control(MPA_CTL_SET_FRAME_TAG, const_cast<std::uint8_t*>(larger.data()), 300);
    ASSERT_EQ(decoder.Write(data, 384), 384u);
    decoder.Control(MPA_CTL_GET_FRAME_TAG, &tag, sizeof tag);
    ASSERT_NE(tag, nullptr);
    EXPECT_EQ(Bytes(static_cast<std::uint8_t*>(tag), static_cast<std::uint8_t*>(tag) + 300), larger);
    // Null pointers are ignored.
    EXPECT_EQ(decoder.Control(MPA_CTL_SET_FRAME_TAG, nullptr, 10), 0);
    EXPECT_EQ(decoder.Control(MPA_CTL_GET_FRAME_TAG, nullptr, 0), 0);
}

TEST(MpadecFrameTagTest, ARejectedFrameAlsoMakesTheTagReady) {
    Decoder decoder;
    decoder.UsePcmBuffer(32768);
    const Bytes block{9};
    decoder.Control(MPA_CTL_SET_FRAME_TAG, const_cast<std::uint8_t*>(block.data()), 1);
    ASSERT_EQ(decoder.Write(LayerIIIWithWrongCrc()), static_cast<std::uint32_t>(testsupport::FrameLength(LayerIII())));
    void* tag = nullptr;
    decoder.Control(MPA_CTL_GET_FRAME_TAG, &tag, sizeof tag);
    ASSERT_NE(tag, nullptr);
    EXPECT_EQ(*static_cast<std::uint8_t*>(tag), 9);
}

}  // namespace
}  // namespace mpadec_test
