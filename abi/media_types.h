/* Media type codes: the stream type numbers the core demultiplexers report
 * for each stream, the plugins hand to the host (GetStreamMediaType) and the
 * viewer names and files by. The numbers are part of the plugin contract.
 * Plain C so that C and C++ translation units can include it. */
#ifndef TAMBERLY_ABI_MEDIA_TYPES_H
#define TAMBERLY_ABI_MEDIA_TYPES_H

enum ql_media_type {
    QL_MEDIA_UNKNOWN = 0, /* a stream whose codec has no code */

    QL_MEDIA_MPEG1_VIDEO = 2,
    QL_MEDIA_MPEG2_VIDEO = 3,
    QL_MEDIA_MPEG4_VIDEO = 4,
    QL_MEDIA_H263_VIDEO = 5,
    QL_MEDIA_AVC_VIDEO = 10,
    QL_MEDIA_HEVC_VIDEO = 13,
    QL_MEDIA_VC1_VIDEO = 15,
    QL_MEDIA_DV_VIDEO = 20,
    QL_MEDIA_JPEG2000_VIDEO = 25,
    QL_MEDIA_VC3_VIDEO = 30,
    QL_MEDIA_PRORES_VIDEO = 127,

    /* MPEG audio comes in two codes, told apart by the sampling rate: MPEG-1
     * audio (Layer I, II or III at 32, 44.1 or 48 kHz) and MPEG-2 audio at
     * the lower rates (16, 22.05 or 24 kHz, and 8, 11.025 and 12 kHz). */
    QL_MEDIA_MPEG1_AUDIO = 131,
    QL_MEDIA_MPEG2_AUDIO = 132,

    QL_MEDIA_AAC_AUDIO = 140,      /* ADTS or raw */
    QL_MEDIA_AAC_LATM_AUDIO = 141, /* LATM/LOAS */
    QL_MEDIA_AAC_AUDIO_142 = 142,  /* named, produced by no core */
    QL_MEDIA_AAC_AUDIO_143 = 143,  /* named, produced by no core */
    QL_MEDIA_AC3_AUDIO = 150,
    QL_MEDIA_EAC3_AUDIO = 151,
    QL_MEDIA_AMR_AUDIO = 160,
    QL_MEDIA_WMA_AUDIO = 165,
    QL_MEDIA_SDDS_AUDIO = 170,
    QL_MEDIA_DTS_AUDIO = 172,

    /* PCM kinds; the DVD, HDMV and 302M kinds are extracted through the WAV
     * sink. */
    QL_MEDIA_PCM_AUDIO = 201,
    QL_MEDIA_DVD_LPCM_AUDIO = 202,
    QL_MEDIA_HDMV_LPCM_AUDIO = 203,
    QL_MEDIA_AES302M_AUDIO = 210,
    QL_MEDIA_AES382M_AUDIO = 212,
    QL_MEDIA_AES331M_AUDIO = 213,
    QL_MEDIA_TWOS_LPCM_AUDIO = 230,
    QL_MEDIA_QT_PCM_AUDIO = 231,

    QL_MEDIA_DVD_SUBPICTURE = 280
};

#endif
