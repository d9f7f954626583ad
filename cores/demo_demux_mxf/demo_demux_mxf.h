/* demo_demux_mxf: the core demultiplexer for MXF files, over libavformat.
 *
 * MXF files have no programs: the tracks are numbered 0, 1, ... in the order
 * libavformat lists them. A client creates an instance, opens a file, asks
 * for the track count and each track's format, then creates a parser, adds
 * the tracks it wants with the bufstream to write each into, seeks to the
 * start and pushes until the file is finished. A parser belongs to the
 * instance that created it and must be freed before it.
 *
 * Threads: an instance and its parsers are used by one thread at a time.
 * Failures are results only; the core writes nothing to any log.
 *
 * Records are byte-packed with the layout fixed for 32-bit builds; 64-bit
 * builds keep the order with native pointers. Plain C. */
#ifndef TAMBERLY_CORES_DEMO_DEMUX_MXF_H
#define TAMBERLY_CORES_DEMO_DEMUX_MXF_H

#include <stddef.h>
#include <stdint.h>

#include "abi/calling_convention.h"
#include "abi/bufstream.h"

#ifdef DEMO_DEMUX_MXF_BUILD
#define DEMO_DEMUX_MXF_API TAMBERLY_EXPORT
#else
#define DEMO_DEMUX_MXF_API TAMBERLY_IMPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct mxf_demux mxf_demux;               /* an instance: one open file */
typedef struct mxf_demux_parser mxf_demux_parser; /* one extraction pass over the file */

#if defined(_MSC_VER)
#pragma pack(push, 1)
#define DEMO_DEMUX_PACKED
#else
#define DEMO_DEMUX_PACKED __attribute__((packed))
#endif

/* Second argument of mxfDemuxCreate: all zero. */
typedef struct DEMO_DEMUX_PACKED mxf_demux_options {
    uint8_t reserved[8];
} mxf_demux_options;

/* Third argument of mxfDemuxCreate. */
typedef struct DEMO_DEMUX_PACKED mxf_demux_settings {
    uint8_t reserved_a[57]; /* 0: zero */
    uint8_t essence_tracks; /* 57: 1 = list the essence tracks, the one mode there is */
    uint8_t reserved_b[6];  /* 58: zero */
} mxf_demux_settings;

/* Filled by mxfDemuxGetFileInfo. */
typedef struct DEMO_DEMUX_PACKED mxf_file_info {
    int32_t stream_count; /* 0: tracks in the file */
    uint8_t reserved[60]; /* 4: zero */
} mxf_file_info;

/* Filled by mxfDemuxGetStreamFormat. media_type is a media type code
 * (media_types.h), 0 for a track whose codec has none. */
typedef struct DEMO_DEMUX_PACKED mxf_stream_format {
    uint8_t reserved_a[8]; /* 0: zero */
    uint32_t media_type;   /* 8 */
    uint8_t reserved_b[52]; /* 12: zero */
} mxf_stream_format;

/* Second argument of mxfDemuxCreateParser: all zero. */
typedef struct DEMO_DEMUX_PACKED mxf_parser_settings {
    uint8_t reserved[64];
} mxf_parser_settings;

/* Third argument of mxfDemuxAddStream. */
typedef struct DEMO_DEMUX_PACKED mxf_stream_selection {
    int32_t stream;    /* 0: track index */
    bufstream* output; /* 4: where the track's bytes go; owned by the caller */
    uint8_t reserved[56];
} mxf_stream_selection;

#if defined(_MSC_VER)
#pragma pack(pop)
#endif
#undef DEMO_DEMUX_PACKED

/* Creates an instance. reserved must be null, options non-null, settings
 * non-null with essence_tracks 1; both are only read during the call. Null
 * when memory is short or an argument is wrong. Free it with mxfDemuxFree. */
DEMO_DEMUX_MXF_API mxf_demux* TAMBERLY_CDECL mxfDemuxCreate(void* reserved, const mxf_demux_options* options,
                                                           const mxf_demux_settings* settings);

/* Frees the instance. Parsers must be freed before. Null is ignored. */
DEMO_DEMUX_MXF_API void TAMBERLY_CDECL mxfDemuxFree(mxf_demux* demux);

/* Opens the file (flags 0), reads its tracks and closes it again; a file
 * already open in the instance is forgotten first. 0 on success; -1 when the
 * file cannot be read, is not MXF, or an argument is wrong. */
DEMO_DEMUX_MXF_API int32_t TAMBERLY_CDECL mxfDemuxOpen(mxf_demux* demux, int32_t flags, const char* file_name);

/* 0 and the track count; -1 without an open file. */
DEMO_DEMUX_MXF_API int32_t TAMBERLY_CDECL mxfDemuxGetFileInfo(mxf_demux* demux, mxf_file_info* info);

/* 0 and the track's media type code; -1 for an index out of range or
 * without an open file. */
DEMO_DEMUX_MXF_API int32_t TAMBERLY_CDECL mxfDemuxGetStreamFormat(mxf_demux* demux, mxf_stream_format* format,
                                                                  int32_t stream);

/* A parser for the open file; null without an open file or when memory is
 * short. Free it with mxfDemuxFreeParser. */
DEMO_DEMUX_MXF_API mxf_demux_parser* TAMBERLY_CDECL mxfDemuxCreateParser(mxf_demux* demux,
                                                                        const mxf_parser_settings* settings);

/* Frees the parser; the bufstreams added to it are left to their owners. */
DEMO_DEMUX_MXF_API void TAMBERLY_CDECL mxfDemuxFreeParser(mxf_demux* demux, mxf_demux_parser* parser);

/* Adds a track and its output to the parser; a track may be added once.
 * From the next seek on, the track's essence bytes are written to the
 * output exactly as the file carries them, in order, through write_bytes.
 * 0 on success; -1 for an index out of range, a track added before or a
 * null output. */
DEMO_DEMUX_MXF_API int32_t TAMBERLY_CDECL mxfDemuxAddStream(mxf_demux* demux, mxf_demux_parser* parser,
                                                            const mxf_stream_selection* selection);

/* Restarts the parser at the beginning of the file (the file is opened again
 * for reading). Only position 0 and origin 0 are supported. 0 on success; -1
 * when the file cannot be opened or no track was added. */
DEMO_DEMUX_MXF_API int32_t TAMBERLY_CDECL mxfDemuxSeek(mxf_demux* demux, mxf_demux_parser* parser,
                                                       int32_t position, int32_t origin);

/* Reads the next packet of the file and writes it out when it belongs to an
 * added track. 1: more to do; 0: finished; -1: an output refused data, the
 * file could not be read or the parser was not seeked. */
DEMO_DEMUX_MXF_API int32_t TAMBERLY_CDECL mxfDemuxPush(mxf_demux* demux, mxf_demux_parser* parser);

TAMBERLY_ABI_ASSERT(sizeof(mxf_demux_options) == 8, "options block");
TAMBERLY_ABI_ASSERT(sizeof(mxf_demux_settings) == 64, "settings block");
TAMBERLY_ABI_ASSERT(offsetof(mxf_demux_settings, essence_tracks) == 57, "essence tracks switch at 57");
TAMBERLY_ABI_ASSERT(sizeof(mxf_file_info) == 64, "file information block");
TAMBERLY_ABI_ASSERT(offsetof(mxf_file_info, stream_count) == 0, "stream count at 0");
TAMBERLY_ABI_ASSERT(sizeof(mxf_stream_format) == 64, "stream format block");
TAMBERLY_ABI_ASSERT(offsetof(mxf_stream_format, media_type) == 8, "media type at 8");
TAMBERLY_ABI_ASSERT(sizeof(mxf_parser_settings) == 64, "parser settings block");
TAMBERLY_ABI_ASSERT(offsetof(mxf_stream_selection, output) == 4, "output at 4");
TAMBERLY_ABI_ASSERT(sizeof(mxf_stream_selection) == 4 + sizeof(void*) + 56, "stream selection block");
#if defined(__i386__) || defined(_M_IX86) || (defined(__SIZEOF_POINTER__) && __SIZEOF_POINTER__ == 4)
TAMBERLY_ABI_ASSERT(sizeof(mxf_stream_selection) == 64, "the 32-bit stream selection block is 64 bytes");
#endif

#ifdef __cplusplus
}
#endif

#endif
