// The media type code of each codec the cores meet, as the viewer's table
// of codes names them, and the MPEG audio split between 131 and 132.

#include <gtest/gtest.h>

#include <string>

#include "cores/common/media_types.h"

namespace {

struct CodecCase {
    const char* name;
    AVCodecID codec;
    int sample_rate;
    cores::MediaType expected;
};

class MediaTypeOfCodec : public ::testing::TestWithParam<CodecCase> {};

TEST_P(MediaTypeOfCodec, IsTheTablesCode) {
    const CodecCase& c = GetParam();
    EXPECT_EQ(cores::MediaTypeOf(c.codec, c.sample_rate), c.expected);
}

// Video: MPEG-1, MPEG-2, MPEG-4, H.263, AVC, HEVC, VC-1, DV, JPEG 2000,
// VC-3, ProRes.
INSTANTIATE_TEST_SUITE_P(Video, MediaTypeOfCodec,
                         ::testing::Values(CodecCase{"mpeg1", AV_CODEC_ID_MPEG1VIDEO, 0, 2},
                                           CodecCase{"mpeg2", AV_CODEC_ID_MPEG2VIDEO, 0, 3},
                                           CodecCase{"mpeg4", AV_CODEC_ID_MPEG4, 0, 4},
                                           CodecCase{"h263", AV_CODEC_ID_H263, 0, 5},
                                           CodecCase{"h263plus", AV_CODEC_ID_H263P, 0, 5},
                                           CodecCase{"avc", AV_CODEC_ID_H264, 0, 10},
                                           CodecCase{"hevc", AV_CODEC_ID_HEVC, 0, 13},
                                           CodecCase{"vc1", AV_CODEC_ID_VC1, 0, 15},
                                           CodecCase{"dv", AV_CODEC_ID_DVVIDEO, 0, 20},
                                           CodecCase{"jpeg2000", AV_CODEC_ID_JPEG2000, 0, 25},
                                           CodecCase{"vc3", AV_CODEC_ID_DNXHD, 0, 30},
                                           CodecCase{"prores", AV_CODEC_ID_PRORES, 0, 127}),
                         [](const auto& info) { return std::string(info.param.name); });

// 131 is MPEG-1 audio (32, 44.1, 48 kHz), 132 MPEG-2 audio at the lower
// rates (16, 22.05, 24 kHz and the 8-12 kHz extension); an unknown rate
// counts as MPEG-1.
INSTANTIATE_TEST_SUITE_P(MpegAudio, MediaTypeOfCodec,
                         ::testing::Values(CodecCase{"layer1_48k", AV_CODEC_ID_MP1, 48000, 131},
                                           CodecCase{"layer2_44k", AV_CODEC_ID_MP2, 44100, 131},
                                           CodecCase{"layer2_32k", AV_CODEC_ID_MP2, 32000, 131},
                                           CodecCase{"layer3_48k", AV_CODEC_ID_MP3, 48000, 131},
                                           CodecCase{"layer2_rate_unknown", AV_CODEC_ID_MP2, 0, 131},
                                           CodecCase{"layer2_24k", AV_CODEC_ID_MP2, 24000, 132},
                                           CodecCase{"layer3_22k", AV_CODEC_ID_MP3, 22050, 132},
                                           CodecCase{"layer1_16k", AV_CODEC_ID_MP1, 16000, 132},
                                           CodecCase{"layer3_8k", AV_CODEC_ID_MP3, 8000, 132}),
                         [](const auto& info) { return std::string(info.param.name); });

// Other audio, PCM kinds and subpictures; the rate plays no part for them.
INSTANTIATE_TEST_SUITE_P(Audio, MediaTypeOfCodec,
                         ::testing::Values(CodecCase{"aac", AV_CODEC_ID_AAC, 24000, 140},
                                           CodecCase{"aac_latm", AV_CODEC_ID_AAC_LATM, 48000, 141},
                                           CodecCase{"ac3", AV_CODEC_ID_AC3, 48000, 150},
                                           CodecCase{"eac3", AV_CODEC_ID_EAC3, 48000, 151},
                                           CodecCase{"amr_nb", AV_CODEC_ID_AMR_NB, 8000, 160},
                                           CodecCase{"amr_wb", AV_CODEC_ID_AMR_WB, 16000, 160},
                                           CodecCase{"wma1", AV_CODEC_ID_WMAV1, 44100, 165},
                                           CodecCase{"wma2", AV_CODEC_ID_WMAV2, 22050, 165},
                                           CodecCase{"wma_pro", AV_CODEC_ID_WMAPRO, 48000, 165},
                                           CodecCase{"dts", AV_CODEC_ID_DTS, 48000, 172},
                                           CodecCase{"pcm_s16le", AV_CODEC_ID_PCM_S16LE, 48000, 201},
                                           CodecCase{"pcm_s24le", AV_CODEC_ID_PCM_S24LE, 16000, 201},
                                           CodecCase{"pcm_s16be", AV_CODEC_ID_PCM_S16BE, 48000, 201},
                                           CodecCase{"dvd_lpcm", AV_CODEC_ID_PCM_DVD, 48000, 202},
                                           CodecCase{"hdmv_lpcm", AV_CODEC_ID_PCM_BLURAY, 48000, 203},
                                           CodecCase{"smpte_302m", AV_CODEC_ID_S302M, 48000, 210},
                                           CodecCase{"dvd_subpicture", AV_CODEC_ID_DVD_SUBTITLE, 0, 280}),
                         [](const auto& info) { return std::string(info.param.name); });

// Codecs without a code come out as 0, which the viewer names "Unknown".
INSTANTIATE_TEST_SUITE_P(NoCode, MediaTypeOfCodec,
                         ::testing::Values(CodecCase{"vorbis", AV_CODEC_ID_VORBIS, 44100, 0},
                                           CodecCase{"vp9", AV_CODEC_ID_VP9, 0, 0},
                                           CodecCase{"none", AV_CODEC_ID_NONE, 0, 0},
                                           CodecCase{"dvb_subtitle", AV_CODEC_ID_DVB_SUBTITLE, 0, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
