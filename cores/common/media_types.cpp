#include "cores/common/media_types.h"

namespace cores {
namespace {

struct CodecMediaType {
    AVCodecID codec;
    MediaType media_type;
};

// The one mapping from codec to media type code. MPEG audio is listed as
// MPEG-1 and moved to MPEG-2 by its sampling rate in MediaTypeOf. Of the four
// AAC codes, 140 is AAC in ADTS or raw form and 141 AAC in LATM/LOAS; 142 and
// 143 are not produced.
constexpr CodecMediaType kCodecMediaTypes[] = {
    {AV_CODEC_ID_MPEG1VIDEO, 2},
    {AV_CODEC_ID_MPEG2VIDEO, 3},
    {AV_CODEC_ID_MPEG4, 4},
    {AV_CODEC_ID_H263, 5},
    {AV_CODEC_ID_H263P, 5},
    {AV_CODEC_ID_H264, 10},
    {AV_CODEC_ID_HEVC, 13},
    {AV_CODEC_ID_VC1, 15},
    {AV_CODEC_ID_DVVIDEO, 20},
    {AV_CODEC_ID_JPEG2000, 25},
    {AV_CODEC_ID_DNXHD, 30},  // VC-3
    {AV_CODEC_ID_PRORES, 127},
    {AV_CODEC_ID_MP1, kMpeg1Audio},
    {AV_CODEC_ID_MP2, kMpeg1Audio},
    {AV_CODEC_ID_MP3, kMpeg1Audio},
    {AV_CODEC_ID_AAC, 140},
    {AV_CODEC_ID_AAC_LATM, 141},
    {AV_CODEC_ID_AC3, 150},
    {AV_CODEC_ID_EAC3, 151},
    {AV_CODEC_ID_AMR_NB, 160},
    {AV_CODEC_ID_AMR_WB, 160},
    {AV_CODEC_ID_WMAV1, 165},
    {AV_CODEC_ID_WMAV2, 165},
    {AV_CODEC_ID_WMAPRO, 165},
    {AV_CODEC_ID_WMALOSSLESS, 165},
    {AV_CODEC_ID_DTS, 172},
    {AV_CODEC_ID_PCM_S16LE, 201},
    {AV_CODEC_ID_PCM_S16BE, 201},
    {AV_CODEC_ID_PCM_S24LE, 201},
    {AV_CODEC_ID_PCM_S24BE, 201},
    {AV_CODEC_ID_PCM_S32LE, 201},
    {AV_CODEC_ID_PCM_S32BE, 201},
    {AV_CODEC_ID_PCM_U8, 201},
    {AV_CODEC_ID_PCM_F32LE, 201},
    {AV_CODEC_ID_PCM_F64LE, 201},
    {AV_CODEC_ID_PCM_DVD, kDvdLpcm},
    {AV_CODEC_ID_PCM_BLURAY, kHdmvLpcm},
    {AV_CODEC_ID_S302M, kAes302M},
    {AV_CODEC_ID_DVD_SUBTITLE, 280},
};

constexpr int kLowestMpeg1Rate = 32000;

}  // namespace

MediaType MediaTypeOf(AVCodecID codec, int sample_rate) {
    for (const auto& entry : kCodecMediaTypes) {
        if (entry.codec != codec) continue;
        const bool lower_rate = sample_rate > 0 && sample_rate < kLowestMpeg1Rate;
        return entry.media_type == kMpeg1Audio && lower_rate ? kMpeg2Audio : entry.media_type;
    }
    return kMediaUnknown;
}

}  // namespace cores
