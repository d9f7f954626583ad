/* The buffered stream record: the one byte-stream interface that crosses the
 * boundaries between the plugins, the core demultiplexers, the decoder and
 * the validator.
 *
 * A producer pushes bytes with reserve + commit or with write_bytes, sends
 * commands through control, and its owner ends the stream with finish (bs, 0)
 * followed by release (bs). The record and its private state belong to the
 * library that created it; nobody else frees them. A record is not locked:
 * one thread at a time, the thread that drives the producer.
 *
 * The layout is frozen: nine C-convention operations followed by five words,
 * 56 bytes on 32-bit builds; 64-bit builds keep the order with native
 * pointers. Plain C so that C and C++ translation units can include it. */
#ifndef TAMBERLY_ABI_BUFSTREAM_H
#define TAMBERLY_ABI_BUFSTREAM_H

#include <stddef.h>
#include <stdint.h>

#include "abi/calling_convention.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct bufstream bufstream;

struct bufstream {
    /* Bytes that can be reserved now without the consumer having to flush.
     * 0 for a null or finished record. */
    uint32_t(TAMBERLY_CDECL* bytes_available)(bufstream* bs);
    /* A writable area of at least n bytes, owned by the record and valid until
     * the next call on it; null when n exceeds the consumer's capacity, when
     * making room fails, or for a finished record. */
    uint8_t*(TAMBERLY_CDECL* reserve)(bufstream* bs, uint32_t n);
    /* The first n bytes of the last reserved area join the stream. Returns the
     * bytes taken: n, or less when n runs past the reserved buffer. */
    uint32_t(TAMBERLY_CDECL* commit)(bufstream* bs, uint32_t n);
    /* Copies n bytes from the caller's buffer. Returns n, or 0 on failure. */
    uint32_t(TAMBERLY_CDECL* write_bytes)(bufstream* bs, const uint8_t* data, uint32_t n);
    /* The consumer's preferred block size in bytes. */
    uint32_t(TAMBERLY_CDECL* block_size)(bufstream* bs);
    /* An auxiliary command (BUFSTREAM_CMD_*). offset carries a plain value for
     * the few ids that take one, else 0. Unknown ids and a size that does not
     * match the id give 0 and change nothing; failures give -1. */
    int32_t(TAMBERLY_CDECL* control)(bufstream* bs, uint32_t offset, uint32_t id, void* data, uint32_t size);
    /* Ends the current output part and begins the next. 0 on success,
     * BUFSTREAM_NEXT_PART_FAILED when not supported or on failure. */
    uint32_t(TAMBERLY_CDECL* next_part)(bufstream* bs);
    /* Flushes, closes and frees the private state; impl is null afterwards.
     * A second call does nothing. abort is unused by the plugins' sinks. */
    void(TAMBERLY_CDECL* finish)(bufstream* bs, int32_t abort);
    /* Destroys the record, calling finish (bs, 0) first while impl is set.
     * The record must not be used afterwards. */
    void(TAMBERLY_CDECL* release)(bufstream* bs);
    uint32_t reserved_a; /* 0 */
    uint32_t reserved_b; /* 0 */
    uint32_t flags;      /* 1 in the plugins' sinks, 0 in the decoder object */
    uint32_t reserved_c; /* 0 */
    void* impl;          /* the implementation's private state; null once finished */
};

#define BUFSTREAM_NEXT_PART_FAILED 0xFFFFFFFFu

/* Command ids understood by the plugins' sinks. The decoder declares its own. */
enum bufstream_command {
    /* 8-byte unsigned, size 8: bytes accepted so far (file sink: in the
     * current part; WAV sink: PCM bytes written). */
    BUFSTREAM_CMD_BYTES_ACCEPTED = 0xF0010,
    /* No data: flush the output file's write buffer (file sink). */
    BUFSTREAM_CMD_FLUSH_FILE = 0xF0020,
    /* No data: start the next part now, as next_part (file sink). */
    BUFSTREAM_CMD_NEXT_PART = 0xF0040,
    /* int32, size 4: number of the current part, 0 for the first file. */
    BUFSTREAM_CMD_PART_NUMBER = 0xF00001,
    /* Character buffer, size = its capacity: the current output file name
     * with its terminator; -1 when it does not fit or the buffer is null. */
    BUFSTREAM_CMD_PART_FILE_NAME = 0xF00002,

    /* DVD-Video navigation bookkeeping of the file sink. */
    BUFSTREAM_CMD_DVD_ENABLE = 0xF1000,         /* no data */
    BUFSTREAM_CMD_DVD_ADD_VOBU = 0xF2000,       /* bufstream_dvd_vobu, size 12 */
    BUFSTREAM_CMD_DVD_PART_END_PTM = 0xF4000,   /* int32, size 4 */
    BUFSTREAM_CMD_DVD_SUPPRESS_FIXUP = 0xF8000, /* no data */
    BUFSTREAM_CMD_DVD_HIGHLIGHT = 0xE0020,      /* no data */
    BUFSTREAM_CMD_DVD_CELL_START = 0xE0080,     /* no data */
    BUFSTREAM_CMD_DVD_NEW_AUDIO_SYNC = 0xE0101, /* no data; returns the table index or -1 */
    BUFSTREAM_CMD_DVD_ADD_AUDIO_SYNC = 0xE0102, /* bufstream_dvd_sync_value, size 8 */
    BUFSTREAM_CMD_DVD_NEW_SUBPIC_SYNC = 0xE0201,
    BUFSTREAM_CMD_DVD_ADD_SUBPIC_SYNC = 0xE0202,
    BUFSTREAM_CMD_DVD_SUBPIC_REFERENCE = 0xE0203, /* value in the offset argument */

    /* PCM packets of the WAV sink (bufstream_pcm.h). */
    BUFSTREAM_CMD_PCM_PACKET_TAGGED = 0xF0002,    /* bufstream_pcm_stream_desc, size 16 */
    BUFSTREAM_CMD_PCM_PACKET_DESCRIBED = 0xD1000  /* bufstream_pcm_packet_desc, size 78 */
};

/* Data of BUFSTREAM_CMD_DVD_ADD_VOBU. */
typedef struct bufstream_dvd_vobu {
    int32_t start_sector; /* 2,048-byte sector of the VOBU's navigation pack in the current part file */
    int32_t duration;     /* 90 kHz ticks */
    int32_t flags;        /* bit 0: the VOBU holds video */
} bufstream_dvd_vobu;

/* Data of BUFSTREAM_CMD_DVD_ADD_AUDIO_SYNC and BUFSTREAM_CMD_DVD_ADD_SUBPIC_SYNC:
 * one value per VOBU, appended to the table the index names. */
typedef struct bufstream_dvd_sync_value {
    int32_t table;
    int32_t value;
} bufstream_dvd_sync_value;

#define BUFSTREAM_SLOT_BYTES sizeof(void*)

TAMBERLY_ABI_ASSERT(sizeof(uint32_t(TAMBERLY_CDECL*)(bufstream*)) == sizeof(void*),
                    "operation slots are pointer-sized");
TAMBERLY_ABI_ASSERT(offsetof(bufstream, bytes_available) == 0 * BUFSTREAM_SLOT_BYTES, "bytes_available");
TAMBERLY_ABI_ASSERT(offsetof(bufstream, reserve) == 1 * BUFSTREAM_SLOT_BYTES, "reserve");
TAMBERLY_ABI_ASSERT(offsetof(bufstream, commit) == 2 * BUFSTREAM_SLOT_BYTES, "commit");
TAMBERLY_ABI_ASSERT(offsetof(bufstream, write_bytes) == 3 * BUFSTREAM_SLOT_BYTES, "write_bytes");
TAMBERLY_ABI_ASSERT(offsetof(bufstream, block_size) == 4 * BUFSTREAM_SLOT_BYTES, "block_size");
TAMBERLY_ABI_ASSERT(offsetof(bufstream, control) == 5 * BUFSTREAM_SLOT_BYTES, "control");
TAMBERLY_ABI_ASSERT(offsetof(bufstream, next_part) == 6 * BUFSTREAM_SLOT_BYTES, "next_part");
TAMBERLY_ABI_ASSERT(offsetof(bufstream, finish) == 7 * BUFSTREAM_SLOT_BYTES, "finish");
TAMBERLY_ABI_ASSERT(offsetof(bufstream, release) == 8 * BUFSTREAM_SLOT_BYTES, "release");
TAMBERLY_ABI_ASSERT(offsetof(bufstream, reserved_a) == 9 * BUFSTREAM_SLOT_BYTES, "reserved_a");
TAMBERLY_ABI_ASSERT(offsetof(bufstream, reserved_b) == 9 * BUFSTREAM_SLOT_BYTES + 4, "reserved_b");
TAMBERLY_ABI_ASSERT(offsetof(bufstream, flags) == 9 * BUFSTREAM_SLOT_BYTES + 8, "flags");
TAMBERLY_ABI_ASSERT(offsetof(bufstream, reserved_c) == 9 * BUFSTREAM_SLOT_BYTES + 12, "reserved_c");
TAMBERLY_ABI_ASSERT(offsetof(bufstream, impl) == 9 * BUFSTREAM_SLOT_BYTES + 16, "impl");
TAMBERLY_ABI_ASSERT(sizeof(bufstream) == 10 * BUFSTREAM_SLOT_BYTES + 16, "bufstream size");
#if defined(__i386__) || defined(_M_IX86) || (defined(__SIZEOF_POINTER__) && __SIZEOF_POINTER__ == 4)
TAMBERLY_ABI_ASSERT(sizeof(bufstream) == 56, "the 32-bit record is 56 bytes");
TAMBERLY_ABI_ASSERT(offsetof(bufstream, bytes_available) == 0, "bytes_available at 0");
TAMBERLY_ABI_ASSERT(offsetof(bufstream, reserve) == 4, "reserve at 4");
TAMBERLY_ABI_ASSERT(offsetof(bufstream, commit) == 8, "commit at 8");
TAMBERLY_ABI_ASSERT(offsetof(bufstream, write_bytes) == 12, "write_bytes at 12");
TAMBERLY_ABI_ASSERT(offsetof(bufstream, block_size) == 16, "block_size at 16");
TAMBERLY_ABI_ASSERT(offsetof(bufstream, control) == 20, "control at 20");
TAMBERLY_ABI_ASSERT(offsetof(bufstream, next_part) == 24, "next_part at 24");
TAMBERLY_ABI_ASSERT(offsetof(bufstream, finish) == 28, "finish at 28");
TAMBERLY_ABI_ASSERT(offsetof(bufstream, release) == 32, "release at 32");
TAMBERLY_ABI_ASSERT(offsetof(bufstream, reserved_a) == 36, "reserved_a at 36");
TAMBERLY_ABI_ASSERT(offsetof(bufstream, reserved_b) == 40, "reserved_b at 40");
TAMBERLY_ABI_ASSERT(offsetof(bufstream, flags) == 44, "flags at 44");
TAMBERLY_ABI_ASSERT(offsetof(bufstream, reserved_c) == 48, "reserved_c at 48");
TAMBERLY_ABI_ASSERT(offsetof(bufstream, impl) == 52, "impl at 52");
#endif

TAMBERLY_ABI_ASSERT(sizeof(bufstream_dvd_vobu) == 12, "VOBU command data");
TAMBERLY_ABI_ASSERT(offsetof(bufstream_dvd_vobu, duration) == 4, "VOBU duration");
TAMBERLY_ABI_ASSERT(offsetof(bufstream_dvd_vobu, flags) == 8, "VOBU flags");
TAMBERLY_ABI_ASSERT(sizeof(bufstream_dvd_sync_value) == 8, "synchronisation command data");
TAMBERLY_ABI_ASSERT(offsetof(bufstream_dvd_sync_value, value) == 4, "synchronisation value");

#ifdef __cplusplus
}
#endif

#endif
