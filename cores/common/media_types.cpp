#include "cores/common/media_types.h"

namespace cores {
namespace {

struct CodecMediaType {
    AVCodecID codec;
    MediaType media_type;
};

// The one mapping from codec to media type code. MPEG audio is listed as
// MPEG-1 and moved to MPEG-2 by its sampling rate in MediaTypeOf.
constexpr CodecMediaType kCodecMediaTypes[] = {
    {AV_CODEC_ID_MPEG1VIDEO, QL_MEDIA_MPEG1_VIDEO},
    {AV_CODEC_ID_MPEG2VIDEO, QL_MEDIA_MPEG2_VIDEO},
    {AV_CODEC_ID_MPEG4, QL_MEDIA_MPEG4_VIDEO},
    {AV_CODEC_ID_H263, QL_MEDIA_H263_VIDEO},
    {AV_CODEC_ID_H263P, QL_MEDIA_H263_VIDEO},
    {AV_CODEC_ID_H264, QL_MEDIA_AVC_VIDEO},
    {AV_CODEC_ID_HEVC, QL_MEDIA_HEVC_VIDEO},
    {AV_CODEC_ID_VC1, QL_MEDIA_VC1_VIDEO},
    {AV_CODEC_ID_DVVIDEO, QL_MEDIA_DV_VIDEO},
    {AV_CODEC_ID_JPEG2000, QL_MEDIA_JPEG2000_VIDEO},
    {AV_CODEC_ID_DNXHD, QL_MEDIA_VC3_VIDEO},  // VC-3
    {AV_CODEC_ID_PRORES, QL_MEDIA_PRORES_VIDEO},
    {AV_CODEC_ID_MP1, QL_MEDIA_MPEG1_AUDIO},
    {AV_CODEC_ID_MP2, QL_MEDIA_MPEG1_AUDIO},
    {AV_CODEC_ID_MP3, QL_MEDIA_MPEG1_AUDIO},
    {AV_CODEC_ID_AAC, QL_MEDIA_AAC_AUDIO},
    {AV_CODEC_ID_AAC_LATM, QL_MEDIA_AAC_LATM_AUDIO},
    {AV_CODEC_ID_AC3, QL_MEDIA_AC3_AUDIO},
    {AV_CODEC_ID_EAC3, QL_MEDIA_EAC3_AUDIO},
    {AV_CODEC_ID_AMR_NB, QL_MEDIA_AMR_AUDIO},
    {AV_CODEC_ID_AMR_WB, QL_MEDIA_AMR_AUDIO},
    {AV_CODEC_ID_WMAV1, QL_MEDIA_WMA_AUDIO},
    {AV_CODEC_ID_WMAV2, QL_MEDIA_WMA_AUDIO},
    {AV_CODEC_ID_WMAPRO, QL_MEDIA_WMA_AUDIO},
    {AV_CODEC_ID_WMALOSSLESS, QL_MEDIA_WMA_AUDIO},
    {AV_CODEC_ID_DTS, QL_MEDIA_DTS_AUDIO},
    {AV_CODEC_ID_PCM_S16LE, QL_MEDIA_PCM_AUDIO},
    {AV_CODEC_ID_PCM_S16BE, QL_MEDIA_PCM_AUDIO},
    {AV_CODEC_ID_PCM_S24LE, QL_MEDIA_PCM_AUDIO},
    {AV_CODEC_ID_PCM_S24BE, QL_MEDIA_PCM_AUDIO},
    {AV_CODEC_ID_PCM_S32LE, QL_MEDIA_PCM_AUDIO},
    {AV_CODEC_ID_PCM_S32BE, QL_MEDIA_PCM_AUDIO},
    {AV_CODEC_ID_PCM_U8, QL_MEDIA_PCM_AUDIO},
    {AV_CODEC_ID_PCM_F32LE, QL_MEDIA_PCM_AUDIO},
    {AV_CODEC_ID_PCM_F64LE, QL_MEDIA_PCM_AUDIO},
    {AV_CODEC_ID_PCM_DVD, QL_MEDIA_DVD_LPCM_AUDIO},
    {AV_CODEC_ID_PCM_BLURAY, QL_MEDIA_HDMV_LPCM_AUDIO},
    {AV_CODEC_ID_S302M, QL_MEDIA_AES302M_AUDIO},
    {AV_CODEC_ID_DVD_SUBTITLE, QL_MEDIA_DVD_SUBPICTURE},
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
