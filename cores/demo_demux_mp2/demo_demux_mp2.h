/* demo_demux_mp2: the core demultiplexer for MPEG-2 program and transport
 * streams (and the elementary streams they carry), over libavformat.
 *
 * A client creates an instance, opens a file, asks for the programs and their
 * streams, then creates a parser, sets one stream in it with the bufstream to
 * write that stream into, seeks to the start and pushes until the stream is
 * finished. Every call takes the instance; a parser belongs to the instance
 * that created it and must be freed before it.
 *
 * Threads: an instance and its parsers are used by one thread at a time.
 * Failures are results only; the core writes nothing to any log.
 *
 * Records are byte-packed with the layout fixed for 32-bit builds; 64-bit
 * builds keep the order with native pointers. Plain C. */
#ifndef TAMBERLY_CORES_DEMO_DEMUX_MP2_H
#define TAMBERLY_CORES_DEMO_DEMUX_MP2_H

#include <stddef.h>
#include <stdint.h>

#include "abi/calling_convention.h"
#include "abi/bufstream.h"

#ifdef DEMO_DEMUX_MP2_BUILD
#define DEMO_DEMUX_MP2_API TAMBERLY_EXPORT
#else
#define DEMO_DEMUX_MP2_API TAMBERLY_IMPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct mp2_demux mp2_demux;         /* an instance: one open file */
typedef struct mp2_demux_parser mp2_demux_parser; /* one extraction pass over the file */

#if defined(_MSC_VER)
#pragma pack(push, 1)
#define DEMO_DEMUX_PACKED
#else
#define DEMO_DEMUX_PACKED __attribute__((packed))
#endif

/* Second argument of mp2DemuxCreate: all zero. */
typedef struct DEMO_DEMUX_PACKED mp2_demux_options {
    uint8_t reserved[8];
} mp2_demux_options;

/* Third argument of mp2DemuxCreate: all zero. */
typedef struct DEMO_DEMUX_PACKED mp2_demux_settings {
    uint8_t reserved[131];
} mp2_demux_settings;

/* Filled by mp2DemuxGetFileInfo. A transport stream has its programs in the
 * order libavformat lists them; a program stream or an elementary stream is
 * one program. */
typedef struct DEMO_DEMUX_PACKED mp2_file_info {
    int32_t program_count; /* 0 */
    uint8_t reserved[88];  /* 4: zero */
} mp2_file_info;

/* Filled by mp2DemuxGetProgramInfo. */
typedef struct DEMO_DEMUX_PACKED mp2_program_info {
    uint8_t reserved_a[12]; /* 0: zero */
    int32_t stream_count;   /* 12 */
    uint8_t reserved_b[92]; /* 16: zero */
} mp2_program_info;

/* Filled by mp2DemuxGetStreamFormat. media_type is a media type code
 * (media_types.h), 0 for a stream whose codec has none. */
typedef struct DEMO_DEMUX_PACKED mp2_stream_format {
    uint8_t reserved_a[21]; /* 0: zero */
    uint32_t media_type;    /* 21, unaligned */
    uint8_t reserved_b[127]; /* 25: zero */
} mp2_stream_format;

/* Second argument of mp2DemuxCreateParser: all zero. */
typedef struct DEMO_DEMUX_PACKED mp2_parser_settings {
    uint8_t reserved[82];
} mp2_parser_settings;

/* Third argument of mp2DemuxSetStream. */
typedef struct DEMO_DEMUX_PACKED mp2_stream_selection {
    int32_t program;   /* 0: program index */
    int32_t stream;    /* 4: stream index within the program */
    bufstream* output; /* 8: where the stream's bytes go; owned by the caller */
    uint8_t reserved[65];
} mp2_stream_selection;

#if defined(_MSC_VER)
#pragma pack(pop)
#endif
#undef DEMO_DEMUX_PACKED

/* Creates an instance. reserved must be null; options and settings must be
 * non-null and are only read during the call. Null when memory is short or
 * an argument is wrong. Free it with mp2DemuxFree. */
DEMO_DEMUX_MP2_API mp2_demux* TAMBERLY_CDECL mp2DemuxCreate(void* reserved, const mp2_demux_options* options,
                                                           const mp2_demux_settings* settings);

/* Frees the instance. Parsers must be freed before. Null is ignored. */
DEMO_DEMUX_MP2_API void TAMBERLY_CDECL mp2DemuxFree(mp2_demux* demux);

/* Opens the file (flags 0), reads its programs and streams and closes it
 * again; a file already open in the instance is forgotten first. 0 on
 * success; -1 when the file cannot be read, is not an MPEG-2 program or
 * transport stream or a stream these carry, or an argument is wrong. */
DEMO_DEMUX_MP2_API int32_t TAMBERLY_CDECL mp2DemuxOpen(mp2_demux* demux, int32_t flags, const char* file_name);

/* 0 and the program count; -1 without an open file. */
DEMO_DEMUX_MP2_API int32_t TAMBERLY_CDECL mp2DemuxGetFileInfo(mp2_demux* demux, mp2_file_info* info);

/* 0 and the program's stream count; -1 for a program out of range or
 * without an open file. */
DEMO_DEMUX_MP2_API int32_t TAMBERLY_CDECL mp2DemuxGetProgramInfo(mp2_demux* demux, mp2_program_info* info,
                                                                 int32_t program);

/* 0 and the stream's media type code; -1 for indices out of range or
 * without an open file. */
DEMO_DEMUX_MP2_API int32_t TAMBERLY_CDECL mp2DemuxGetStreamFormat(mp2_demux* demux, mp2_stream_format* format,
                                                                  int32_t program, int32_t stream);

/* A parser for the open file; null without an open file or when memory is
 * short. Free it with mp2DemuxFreeParser. */
DEMO_DEMUX_MP2_API mp2_demux_parser* TAMBERLY_CDECL mp2DemuxCreateParser(mp2_demux* demux,
                                                                        const mp2_parser_settings* settings);

/* Frees the parser; the bufstream set in it is left to its owner. */
DEMO_DEMUX_MP2_API void TAMBERLY_CDECL mp2DemuxFreeParser(mp2_demux* demux, mp2_demux_parser* parser);

/* Chooses the parser's stream and its output. 0 on success; -1 for indices
 * out of range or a null output.
 *
 * What reaches the output: the stream's elementary-stream bytes exactly as
 * the container carries them, in order, through write_bytes. PCM streams
 * of media types 202 (DVD LPCM), 203 (HDMV LPCM) and 210 (SMPTE 302M) go out
 * as PCM packets in the form bufstream_pcm.h describes: each packet's payload
 * without its per-packet header, the stream's first packet preceded by the
 * 8-byte tag header, each packet followed by BUFSTREAM_CMD_PCM_PACKET_TAGGED
 * (20- and 24-bit DVD LPCM, which no tag names, by
 * BUFSTREAM_CMD_PCM_PACKET_DESCRIBED instead). */
DEMO_DEMUX_MP2_API int32_t TAMBERLY_CDECL mp2DemuxSetStream(mp2_demux* demux, mp2_demux_parser* parser,
                                                            const mp2_stream_selection* selection);

/* Restarts the parser at the beginning of the file (the file is opened again
 * for reading). Only position 0 and origin 0 are supported. 0 on success; -1
 * when the file cannot be opened or no stream is set. */
DEMO_DEMUX_MP2_API int32_t TAMBERLY_CDECL mp2DemuxSeek(mp2_demux* demux, mp2_demux_parser* parser,
                                                       int32_t position, int32_t origin);

/* Reads the next packet of the file and writes it out when it belongs to
 * the chosen stream. 1: more to do; 0: the stream is finished; -1: the
 * output refused data, the file could not be read or the parser was not
 * seeked. */
DEMO_DEMUX_MP2_API int32_t TAMBERLY_CDECL mp2DemuxPush(mp2_demux* demux, mp2_demux_parser* parser);

TAMBERLY_ABI_ASSERT(sizeof(mp2_demux_options) == 8, "options block");
TAMBERLY_ABI_ASSERT(sizeof(mp2_demux_settings) == 131, "settings block");
TAMBERLY_ABI_ASSERT(sizeof(mp2_file_info) == 92, "file information block");
TAMBERLY_ABI_ASSERT(offsetof(mp2_file_info, program_count) == 0, "program count at 0");
TAMBERLY_ABI_ASSERT(sizeof(mp2_program_info) == 108, "program information block");
TAMBERLY_ABI_ASSERT(offsetof(mp2_program_info, stream_count) == 12, "stream count at 12");
TAMBERLY_ABI_ASSERT(sizeof(mp2_stream_format) == 152, "stream format block");
TAMBERLY_ABI_ASSERT(offsetof(mp2_stream_format, media_type) == 21, "media type at 21");
TAMBERLY_ABI_ASSERT(sizeof(mp2_parser_settings) == 82, "parser settings block");
TAMBERLY_ABI_ASSERT(offsetof(mp2_stream_selection, stream) == 4, "stream index at 4");
TAMBERLY_ABI_ASSERT(offsetof(mp2_stream_selection, output) == 8, "output at 8");
TAMBERLY_ABI_ASSERT(sizeof(mp2_stream_selection) == 8 + sizeof(void*) + 65, "stream selection block");
#if defined(__i386__) || defined(_M_IX86) || (defined(__SIZEOF_POINTER__) && __SIZEOF_POINTER__ == 4)
TAMBERLY_ABI_ASSERT(sizeof(mp2_stream_selection) == 77, "the 32-bit stream selection block is 77 bytes");
#endif

#ifdef __cplusplus
}
#endif

#endif
