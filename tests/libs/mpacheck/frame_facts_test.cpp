// The per-frame facts: one per audio frame, where FFmpeg's demuxer finds the
// frames (never the VBR header frame), with the fields of the frame's own
// header as the test-stream toolkit reads them.

#include "tests/libs/mpacheck/check_driver.h"
#include "tests/support/mpa_builder.h"

namespace {

using namespace checktest;
using mpacheck::scf_crc_state;

struct EncodedCase {
    const char* tool;
    const char* arguments;
    int rate;
    int reserved_bits;  // ancillary bits the encoder keeps free at the end of each frame
};

const EncodedCase kEncoded[] = {
    {"twolame", "-p -b 192 -R 64", 48000, 64},  // CRC, DAB sampling rate, reserved bits
    {"twolame", "-m m -b 64 -e 5", 24000, 0},   // MPEG-2 mono with emphasis
    {"twolame", "-d -b 128", 44100, 0},         // padded frames
    {"lame", "-V 2", 44100, -1},                // Layer III behind a Xing header frame
};

TEST(FrameFactsTest, OneFactPerAudioFrameWithItsHeaderFields) {
    CHECKTEST_REQUIRE("ffmpeg");
    for (const EncodedCase& c : kEncoded) {
        if (!testsupport::HaveProgram(c.tool)) continue;
        const testsupport::TempDir dir;
        const std::string path = Encode(dir, c.tool, c.arguments, c.rate, "stream.bin");
        const Bytes bytes = testsupport::ReadFileBytes(path);
        const CheckRun run = Check(bytes);
        const std::string name = std::string(c.tool) + " " + c.arguments;
        ASSERT_EQ(run.Problems(), "") << name;
        const std::vector<std::uint64_t> offsets = PacketOffsets(path);
        ASSERT_EQ(run.frames.size(), offsets.size()) << name;
        double time = 0;
        for (std::size_t i = 0; i < run.frames.size(); ++i) {
            const mpacheck::frame_facts& f = run.frames[i];
            SCOPED_TRACE(name + " frame " + std::to_string(i));
            ASSERT_EQ(f.offset, offsets[i]);
            EXPECT_EQ(f.frame, static_cast<std::int64_t>(i));
            EXPECT_NEAR(f.time, time, 1e-9);
            const auto header = testsupport::ParseHeader(bytes.data() + f.offset);
            ASSERT_TRUE(header.has_value());
            EXPECT_EQ(f.layer, 4 - header->layer);
            EXPECT_EQ(f.sampling_rate, testsupport::SamplingRateHz(*header));
            EXPECT_EQ(f.bitrate, testsupport::BitrateKbps(*header) * 1000);
            EXPECT_EQ(f.mode, header->mode);
            EXPECT_EQ(f.emphasis, header->emphasis);
            EXPECT_EQ(f.crc_present, header->crc);
            EXPECT_EQ(f.padded, header->padding == 1);
            EXPECT_EQ(f.length, static_cast<std::uint32_t>(testsupport::FrameLength(*header)));
            EXPECT_EQ(f.version_code, header->version == testsupport::MpaVersion::Mpeg1 ? 3 : 2);
            if (c.reserved_bits < 0) {
                EXPECT_EQ(f.ancillary_bits, -1);
            } else {
                EXPECT_GE(f.ancillary_bits, c.reserved_bits);
                EXPECT_LT(f.ancillary_bits, static_cast<std::int32_t>(f.length * 8));
            }
            // Plain encoder output carries no scale-factor check words: at
            // the DAB rates they mismatch (or the first frame has none before
            // it); elsewhere they do not apply.
            const bool dab_rate = f.layer == 2 && (f.sampling_rate == 48000 || f.sampling_rate == 24000);
            if (!dab_rate) {
                EXPECT_EQ(f.scf_crc, scf_crc_state::not_applicable);
            } else if (i == 0) {
                EXPECT_EQ(f.scf_crc, scf_crc_state::unknown);
            } else {
                EXPECT_NE(f.scf_crc, scf_crc_state::match);
                EXPECT_NE(f.scf_crc, scf_crc_state::unknown);
            }
            time += (f.layer == 1 ? 384.0 : f.layer == 3 && f.version_code != 3 ? 576.0 : 1152.0) / f.sampling_rate;
        }
    }
}

}  // namespace
