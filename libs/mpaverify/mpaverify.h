/* mpaverify: MPEG-1 Layer I and Layer II audio elementary stream validator.
 *
 * One validator per process (per loaded copy of the library); the exports take
 * no handle. The caller initialises it, pushes the stream in chunks of any
 * size with AddData, marks the end of the stream once, then reads the counters
 * and the ordered list of validation events, and finally resets (another run)
 * or uninitialises.
 *
 * Return codes of every export:
 *
 * | code | meaning                                                            |
 * |------|--------------------------------------------------------------------|
 * |  0   | success                                                            |
 * | -1   | failed: decoder not creatable, chunk larger than the free space of |
 * |      | the input buffer, stream not decodable, index without a switch, no |
 * |      | initial parameters yet                                             |
 * | -2   | the validator is not initialised                                   |
 * | -3   | AddData without data and without end of stream                     |
 * | -4   | event index out of range                                           |
 *
 * Failures also write a fixed 8-bit line to the debug output channel (on Linux:
 * standard error when TAMBERLY_DEBUG is set); nothing is ever thrown.
 *
 * Threads: the library starts none and takes no locks; the caller makes every
 * call from one thread at a time.
 *
 * Plain C so that C and C++ translation units can include it. A bool argument
 * is passed in a 32-bit slot of which only the low byte counts; a bool result
 * is one byte, 0 or 1. */
#ifndef TAMBERLY_LIBS_MPAVERIFY_MPAVERIFY_H
#define TAMBERLY_LIBS_MPAVERIFY_MPAVERIFY_H

#include <stddef.h>
#include <stdint.h>

#include "abi/calling_convention.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Event kinds. The code of a kind is also the index of the validation switch
 * that enables it; indices 1, 2, 3, 6, 12 and above 18 have no switch. */
enum mpaverify_event_kind {
    CORRUPTED_FRAME = 0,         /* the decoder reported a frame with errors; value 0 */
    CHANGING_LAYER = 4,          /* value: the new layer code (3 Layer I, 2 Layer II) */
    CHANGING_PROTECTION = 5,     /* value: the new protection_bit */
    CHANGING_FREQUENCY = 7,      /* value: the new sampling-rate index (0, 1, 2), not Hz */
    CHANGING_MODE = 8,           /* value: the new mode */
    CHANGING_MODE_EXTENSION = 9, /* value: the new mode_extension */
    CHANGING_COPYRIGHT = 10,     /* value: the new copyright bit */
    CHANGING_ORIGINAL_HOME = 11, /* value: the new original/home bit */
    CHANGING_EMPHASIS = 13,      /* value: the new emphasis */
    JUNK_AT_THE_END = 14,        /* value: bytes left at the end that formed no frame; saturates
                                    at 2147483647 (INT32_MAX), the stream offset stays exact */
    JUNK_BYTES = 15,             /* value: junk bytes dropped before this frame; saturates as
                                    JUNK_AT_THE_END does */
    CHANGING_BITRATE = 16,       /* value: the new bitrate in kbit/s */
    CHANGING_FRAMESIZE = 17,     /* value: the new frame size without padding, bytes */
    VALID_PADDING = 18           /* value: the sampling rate in Hz (48000 or 32000) */
};

/* One validation event as the library keeps it. The exports hand the fields
 * out one by one (GetCorruptedFramesReport); the record is frozen so that it
 * has the same layout in every build. */
typedef struct mpaverify_event {
    int32_t frame_number; /* CORRUPTED_FRAME: frames the decoder had reported on
                             (decoded + corrupted) before it; every other kind:
                             frames examined before the frame concerned */
    int32_t kind;         /* mpaverify_event_kind */
    int32_t value;        /* see mpaverify_event_kind */
    int32_t reserved;     /* 0; keeps `unused` on an 8-byte boundary everywhere */
    double unused;        /* always 0.0 */
    int64_t stream_offset; /* byte offset of the examined frame, counted from the
                              first byte given after InitializeValidator */
} mpaverify_event;

/* 0, or -1 ("\nCan`t create MPA Audio Decoder.") when the decoder stream
 * cannot be created. Turns every switch on. Pair it with one
 * UninitializeValidator. */
TAMBERLY_EXPORT int32_t TAMBERLY_STDCALL InitializeValidator(void);

/* Resets, releases the buffers and the decoder stream; always 0. The queries
 * answer -2 afterwards. */
TAMBERLY_EXPORT int32_t TAMBERLY_STDCALL UninitializeValidator(void);

/* Feeds a chunk (copied; the caller keeps ownership of data). Without end of
 * stream data must be non-null and length positive, else -3. -1 when the chunk
 * does not fit the free space of the 5 MiB input buffer (the chunk is
 * dropped) or when the decoder finds no audio header (the chunk is kept for
 * the next call). With end_of_stream (low byte non-zero) the last frame and
 * the trailing junk are examined; data may then be null and length 0. */
TAMBERLY_EXPORT int32_t TAMBERLY_STDCALL AddData(const uint8_t* data, int32_t length, int32_t end_of_stream);

/* Parameters of the first frame examined since Initialize or Reset: layer
 * code, sampling rate in Hz, bitrate in kbit/s, frame size without padding.
 * Null pointers are skipped. -1 (no message) while no frame was examined. */
TAMBERLY_EXPORT int32_t TAMBERLY_STDCALL GetInitialParameters(int32_t* layer, int32_t* sampling_rate,
                                                               int32_t* bitrate, int32_t* frame_size);

/* Frames the decoder decoded. 0 or -2. */
TAMBERLY_EXPORT int32_t TAMBERLY_STDCALL GetDecodedFramesCount(int32_t* count);

/* The number of event records of every kind (saturating at INT32_MAX). 0 or
 * -2. */
TAMBERLY_EXPORT int32_t TAMBERLY_STDCALL GetCorruptedFramesCount(int32_t* count);

/* Copies the fields of event `index` (0 to count - 1). 0, -2, or -4
 * ("\nIncorrect index input.") for an index out of range or a record
 * released. A null pointer skips its field. The first 16384 records of a run
 * stay; a later record is released once a record after it has been read, so
 * that a caller reading the events as it feeds keeps memory bounded however
 * many events the stream yields. */
TAMBERLY_EXPORT int32_t TAMBERLY_STDCALL GetCorruptedFramesReport(uint32_t index, int32_t* frame_number,
                                                                   int32_t* kind, int32_t* value,
                                                                   double* unused, int64_t* stream_offset);

/* Starts a new run on the same instance: events, counters and initial
 * parameters cleared, input buffer emptied; the switches, the frame walker's
 * buffered bytes and the running stream position carry on. Always 0. */
TAMBERLY_EXPORT int32_t TAMBERLY_STDCALL ResetValidator(void);

/* Writes the switch `index` (an mpaverify_event_kind code) as one byte, 0 or
 * 1. -1 for an index without a switch. Works initialised or not. */
TAMBERLY_EXPORT int32_t TAMBERLY_STDCALL GetValidationParameterState(uint32_t index, uint8_t* state);

/* Sets the switch `index` from the low byte of state. -1 for an index without
 * a switch. Works initialised or not; InitializeValidator turns all on. */
TAMBERLY_EXPORT int32_t TAMBERLY_STDCALL SetValidationParameterState(uint32_t index, int32_t state);

/* The larger of (frames examined - 1) and frames decoded. 0 or -2. */
TAMBERLY_EXPORT int32_t TAMBERLY_STDCALL GetParsedFramesCount(int32_t* count);

/* Frames examined - frames decoded - 1, or 0 when that is not positive. 0 or
 * -2. */
TAMBERLY_EXPORT int32_t TAMBERLY_STDCALL GetTotalFramesWithErrorsCount(int32_t* count);

/* ---- frozen layout ---- */

TAMBERLY_ABI_ASSERT(sizeof(mpaverify_event) == 32, "the event record is 32 bytes");
TAMBERLY_ABI_ASSERT(offsetof(mpaverify_event, kind) == 4, "kind at 4");
TAMBERLY_ABI_ASSERT(offsetof(mpaverify_event, value) == 8, "value at 8");
TAMBERLY_ABI_ASSERT(offsetof(mpaverify_event, unused) == 16, "double at 16");
TAMBERLY_ABI_ASSERT(offsetof(mpaverify_event, stream_offset) == 24, "stream offset at 24");
#if defined(__i386__) || defined(_M_IX86) || (defined(__SIZEOF_POINTER__) && __SIZEOF_POINTER__ == 4)
TAMBERLY_ABI_ASSERT(sizeof(int64_t) == 8 && sizeof(double) == 8, "8-byte offset and double");
TAMBERLY_ABI_ASSERT(sizeof(mpaverify_event) == 32, "the 32-bit event record is 32 bytes");
#endif

#ifdef __cplusplus
}
#endif

#endif
