/* mpadec: MPEG-1 and MPEG-2 (low sampling frequency) audio decoder.
 *
 * The whole surface is three exported functions and one object: a decoder
 * stream that is a bufstream record (abi/bufstream.h). Its
 * write_bytes takes raw elementary-stream bytes, its control takes the
 * MPA_CTL_* codes below; finish does nothing and release destroys it. Every
 * other operation slot of the record is null and must not be called.
 *
 * Threads: the library starts none and takes no locks. One stream is used by
 * one thread at a time; separate streams may live on separate threads.
 * Messages: the decoder writes none.
 *
 * Plain C so that C and C++ translation units can include it. The layouts
 * below are frozen for 32-bit builds; 64-bit builds keep the field order with
 * native pointers. */
#ifndef TAMBERLY_LIBS_MPADEC_MPADEC_H
#define TAMBERLY_LIBS_MPADEC_MPADEC_H

#include <stddef.h>
#include <stdint.h>

#include "abi/calling_convention.h"
#include "abi/bufstream.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ---- control codes: control (bs, offset (ignored), code, data, size) ----
 *
 * | code                    | data, size                 | result                                   |
 * |-------------------------|----------------------------|------------------------------------------|
 * | MPA_CTL_SET_STATISTICS  | mpa_reset_params, 64       | 0; attaches (zeroing it) or detaches the |
 * |                         |                            | statistics record; always clears the     |
 * |                         |                            | frame tag and forces a Layer II table    |
 * |                         |                            | reload                                   |
 * | MPA_CTL_SET_PCM_BUFFER  | mpa_pcm_buffer, its size   | 0, and decode mode; -1 for null data or  |
 * |                         | (8 on 32-bit builds)       | another size (nothing changes)           |
 * | MPA_CTL_GET_STATUS      | -                          | the status word                          |
 * | MPA_CTL_GET_FRAME_INFO  | mpa_frame_info**, any      | 0 and the stream's record through data;  |
 * |                         |                            | -1 for null data                         |
 * | MPA_CTL_SET_FRAME_TAG   | a block, its length        | 0; the stream keeps a copy               |
 * | MPA_CTL_GET_FRAME_TAG   | void**, any                | 0; the copy once a frame was decoded     |
 * |                         |                            | since it was set, else null              |
 * | MPA_CTL_TAKE_STATUS     | -                          | the status word, which is then cleared   |
 * | MPA_CTL_PARSE_INIT      | -                          | 0                                        |
 * | MPA_CTL_PARSE_ONLY      | -                          | 0; empties the input window, forgets the |
 * |                         |                            | PCM buffer; header-search mode           |
 * | any other code          |                            | 0, nothing happens                       |
 *
 * A null stream gives -1 for every code. */
#define MPA_CTL_SET_STATISTICS 0x10000u
#define MPA_CTL_SET_PCM_BUFFER 0x10001u
#define MPA_CTL_GET_STATUS 0x10003u
#define MPA_CTL_GET_FRAME_INFO 0x10006u
#define MPA_CTL_SET_FRAME_TAG 0x10008u
#define MPA_CTL_GET_FRAME_TAG 0x10009u
#define MPA_CTL_TAKE_STATUS 0x10010u
#define MPA_CTL_PARSE_INIT 0x10202u
#define MPA_CTL_PARSE_ONLY 0x10FFFu

/* Status word bit: the last write_bytes call decoded a frame or has PCM of
 * one still pending (decode mode), or found a header (header-search mode).
 * No other bit is ever set. */
#define MPA_STATUS_FRAME 0x1u

/* ---- write_bytes (bs, data, length) -> bytes of this input disposed of ----
 *
 * Decode mode (after creation and after MPA_CTL_SET_PCM_BUFFER): one call
 * locates and decodes at most one frame. Input is staged through a 5000-byte
 * window; bytes of an incomplete frame at the end of the input are kept in it
 * for the next call.
 *
 * | what happened in the call               | result                            | MPA_STATUS_FRAME |
 * |-----------------------------------------|-----------------------------------|------------------|
 * | PCM of an earlier frame still pending   | 0 (the input is not looked at)    | set              |
 * | a frame decoded                         | junk before it + its length +     | set              |
 * |                                         | 1 per rejected frame before it -  |                  |
 * |                                         | bytes carried in from the last    |                  |
 * |                                         | call                              |                  |
 * | no complete frame                       | length (junk dropped, the rest    | clear            |
 * |                                         | kept for the next call)           |                  |
 * | null data                               | 0 (pending PCM delivered only)    | clear            |
 * | null stream                             | 0                                 | -                |
 *
 * Bytes after a decoded frame are not counted: offer them again. PCM goes to
 * the mpa_pcm_buffer given with MPA_CTL_SET_PCM_BUFFER, whose size field is
 * the capacity on entry and the bytes written on return; what does not fit
 * stays pending for the next calls. Without a PCM buffer record frames are
 * decoded and their PCM is dropped.
 *
 * Header-search mode (after MPA_CTL_PARSE_ONLY): the call finds the first
 * header and returns the junk before it + 4 (MPA_CTL_GET_FRAME_INFO then
 * reports that header); without a header it returns the bytes it discarded,
 * all but the last 3 of the input (0 for fewer than 4). Nothing is carried
 * between calls and the statistics record is not touched. */

/* Where decoded PCM goes: signed 16-bit little-endian samples, interleaved by
 * channel. Kept by address from MPA_CTL_SET_PCM_BUFFER on; owned by the
 * caller. */
typedef struct mpa_pcm_buffer {
    uint8_t* data; /* where PCM is written */
    uint32_t size; /* on entry to write_bytes: capacity; on return: bytes written */
} mpa_pcm_buffer;

/* The most recently located frame header, owned by the stream. */
typedef struct mpa_frame_info {
    int32_t header;             /* the 4 header bytes, first byte in bits 31-24 */
    int32_t version;            /* 1 = MPEG-1, 0 = MPEG-2 low sampling frequency */
    int32_t layer_code;         /* as coded: 3 = Layer I, 2 = Layer II, 1 = Layer III */
    int32_t protection;         /* as coded: 0 = CRC present */
    int32_t bitrate_index;
    int32_t sampling_index;
    int32_t padding;
    int32_t private_bit;
    int32_t mode;
    int32_t mode_extension;
    int32_t copyright;
    int32_t original;
    int32_t emphasis;
    int32_t sampling_rate;      /* Hz */
    int32_t bits_per_sample;    /* always 16 */
    int32_t bitrate;            /* kbit/s */
    int32_t bytes_per_sample;   /* channels x 2 */
    int32_t layer;              /* 1, 2 or 3 */
    int32_t channels;           /* 1 for single channel, else 2 */
    int32_t samples_per_frame;  /* per channel: 384, 1152, or 576 (MPEG-2 Layer III) */
    int32_t frame_length;       /* bytes, header included */
} mpa_frame_info;

/* Data of MPA_CTL_SET_STATISTICS: the statistics record to attach, or null to
 * detach. The rest is not read. */
typedef struct mpa_reset_params {
    struct mpa_statistics* statistics;
    uint8_t reserved[64 - sizeof(void*)];
} mpa_reset_params;

/* Counters of decode mode, owned by the caller, zeroed when attached and
 * updated after every frame handed to the frame decoder. */
typedef struct mpa_statistics {
    uint32_t frames_decoded;     /* frames decoded without error */
    uint32_t frames_failed;      /* frames that ended with a decode error */
    uint32_t bytes_decoded;      /* lengths of the frames decoded without error */
    uint32_t bytes_skipped;      /* junk before or between frames */
    uint8_t reserved1[992];
    int32_t last_frame_ok;       /* 1 if the last frame decoded without error, else 0 */
    int32_t channels;            /* of the last frame; 0 after an error (so are the next five) */
    int32_t bytes_per_sample;    /* 2 */
    int32_t sampling_rate;       /* Hz */
    int32_t samples_per_frame;   /* per channel */
    int32_t bitrate;             /* bit/s */
    int32_t samples_clipped;     /* samples saturated in the frame */
    uint8_t reserved2[2020];
} mpa_statistics;

/* ---- exports ---- */

/* Resolves a function by name ("malloc", "free", "err_printf", "wrn_printf",
 * "inf_printf"); null when the caller has none. */
typedef void*(TAMBERLY_CDECL* mpa_get_resource_fn)(const char* name);
typedef void*(TAMBERLY_CDECL* mpa_malloc_fn)(size_t size);
typedef void(TAMBERLY_CDECL* mpa_free_fn)(void* block);
typedef int(TAMBERLY_CDECL* mpa_printf_fn)(const char* format, ...);

/* Creates a decoder stream in decode mode, or returns null when memory runs
 * out. The stream's memory comes from the caller's "malloc"/"free" pair when
 * get_resource gives both, else from the library's own. The printf entries are
 * looked up and kept but never called. The reserved arguments are ignored.
 * The caller ends the stream with finish (bs, 0) and release (bs). */
TAMBERLY_EXPORT bufstream* TAMBERLY_CDECL open_MPEGin_Audio_stream_ex(mpa_get_resource_fn get_resource,
                                                                     int32_t reserved1, int32_t reserved2);

/* The same with no get_resource. */
TAMBERLY_EXPORT bufstream* TAMBERLY_CDECL open_MPEGin_Audio_stream(void);

/* Extension query codes of mpa_api_ext_query. */
#define MPA_EXT_API_LEVEL 3 /* int32 2 */
#define MPA_EXT_VERSION 4   /* the 12 characters "10.4.15.9822", no terminator */
#define MPA_EXT_PLATFORM 5  /* the 15 characters "ZRPLATFORM_IA32", no terminator */

/* Writes the value of `code` to out; 0 on success, 1 for an unknown code or a
 * null out (nothing written). Any thread. */
typedef int32_t(TAMBERLY_CDECL* mpa_api_ext_query_fn)(int32_t code, void* out);

/* For id 1 the address of the library's mpa_api_ext_query, else null. */
TAMBERLY_EXPORT void* TAMBERLY_CDECL MPEGin_Audio_GetAPIExt(int32_t id);

/* ---- frozen layouts ---- */

TAMBERLY_ABI_ASSERT(sizeof(mpa_frame_info) == 84, "mpa_frame_info is 21 int32");
TAMBERLY_ABI_ASSERT(offsetof(mpa_frame_info, version) == 4, "version at 4");
TAMBERLY_ABI_ASSERT(offsetof(mpa_frame_info, layer_code) == 8, "layer code at 8");
TAMBERLY_ABI_ASSERT(offsetof(mpa_frame_info, protection) == 12, "protection at 12");
TAMBERLY_ABI_ASSERT(offsetof(mpa_frame_info, bitrate_index) == 16, "bitrate index at 16");
TAMBERLY_ABI_ASSERT(offsetof(mpa_frame_info, sampling_index) == 20, "sampling index at 20");
TAMBERLY_ABI_ASSERT(offsetof(mpa_frame_info, padding) == 24, "padding at 24");
TAMBERLY_ABI_ASSERT(offsetof(mpa_frame_info, private_bit) == 28, "private bit at 28");
TAMBERLY_ABI_ASSERT(offsetof(mpa_frame_info, mode) == 32, "mode at 32");
TAMBERLY_ABI_ASSERT(offsetof(mpa_frame_info, mode_extension) == 36, "mode extension at 36");
TAMBERLY_ABI_ASSERT(offsetof(mpa_frame_info, copyright) == 40, "copyright at 40");
TAMBERLY_ABI_ASSERT(offsetof(mpa_frame_info, original) == 44, "original at 44");
TAMBERLY_ABI_ASSERT(offsetof(mpa_frame_info, emphasis) == 48, "emphasis at 48");
TAMBERLY_ABI_ASSERT(offsetof(mpa_frame_info, sampling_rate) == 52, "sampling rate at 52");
TAMBERLY_ABI_ASSERT(offsetof(mpa_frame_info, bits_per_sample) == 56, "bits per sample at 56");
TAMBERLY_ABI_ASSERT(offsetof(mpa_frame_info, bitrate) == 60, "bitrate at 60");
TAMBERLY_ABI_ASSERT(offsetof(mpa_frame_info, bytes_per_sample) == 64, "bytes per sample at 64");
TAMBERLY_ABI_ASSERT(offsetof(mpa_frame_info, layer) == 68, "layer at 68");
TAMBERLY_ABI_ASSERT(offsetof(mpa_frame_info, channels) == 72, "channels at 72");
TAMBERLY_ABI_ASSERT(offsetof(mpa_frame_info, samples_per_frame) == 76, "samples per frame at 76");
TAMBERLY_ABI_ASSERT(offsetof(mpa_frame_info, frame_length) == 80, "frame length at 80");

TAMBERLY_ABI_ASSERT(sizeof(mpa_statistics) == 3056, "mpa_statistics is 3056 bytes");
TAMBERLY_ABI_ASSERT(offsetof(mpa_statistics, frames_failed) == 4, "frames failed at 4");
TAMBERLY_ABI_ASSERT(offsetof(mpa_statistics, bytes_decoded) == 8, "bytes decoded at 8");
TAMBERLY_ABI_ASSERT(offsetof(mpa_statistics, bytes_skipped) == 12, "bytes skipped at 12");
TAMBERLY_ABI_ASSERT(offsetof(mpa_statistics, last_frame_ok) == 1008, "last frame flag at 1008");
TAMBERLY_ABI_ASSERT(offsetof(mpa_statistics, channels) == 1012, "channels at 1012");
TAMBERLY_ABI_ASSERT(offsetof(mpa_statistics, bytes_per_sample) == 1016, "bytes per sample at 1016");
TAMBERLY_ABI_ASSERT(offsetof(mpa_statistics, sampling_rate) == 1020, "sampling rate at 1020");
TAMBERLY_ABI_ASSERT(offsetof(mpa_statistics, samples_per_frame) == 1024, "samples per frame at 1024");
TAMBERLY_ABI_ASSERT(offsetof(mpa_statistics, bitrate) == 1028, "bitrate at 1028");
TAMBERLY_ABI_ASSERT(offsetof(mpa_statistics, samples_clipped) == 1032, "samples clipped at 1032");

TAMBERLY_ABI_ASSERT(sizeof(mpa_reset_params) == 64, "mpa_reset_params is 64 bytes");
TAMBERLY_ABI_ASSERT(offsetof(mpa_reset_params, statistics) == 0, "statistics address at 0");
TAMBERLY_ABI_ASSERT(offsetof(mpa_pcm_buffer, size) == sizeof(void*), "PCM size after the address");
TAMBERLY_ABI_ASSERT(sizeof(mpa_pcm_buffer) == 2 * sizeof(void*), "mpa_pcm_buffer is two words");

#if defined(__i386__) || defined(_M_IX86) || (defined(__SIZEOF_POINTER__) && __SIZEOF_POINTER__ == 4)
TAMBERLY_ABI_ASSERT(sizeof(mpa_pcm_buffer) == 8, "the 32-bit mpa_pcm_buffer is 8 bytes");
TAMBERLY_ABI_ASSERT(offsetof(mpa_pcm_buffer, size) == 4, "PCM size at 4");
TAMBERLY_ABI_ASSERT(sizeof(mpa_api_ext_query_fn) == 4, "32-bit function addresses");
#endif

#ifdef __cplusplus
}
#endif

#endif
