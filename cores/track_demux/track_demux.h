/* track_demux: the core demultiplexer for containers whose streams are the
 * tracks of one presentation (QuickTime/MP4, WAVE, AVI, ASF, MXF), over
 * libavformat. The named cores demo_demux_mp4 and demo_demux_asf export these
 * calls under their own names, demo_demux_mxf under its own records; the
 * plugins without a named core link them in.
 *
 * The tracks are numbered 0, 1, ... in the order the file lists them. A
 * client creates an instance for one container kind, opens a file, which is
 * refused unless its content is of that kind, asks for the track count and
 * each track's format, then creates a parser, adds the tracks it wants with
 * the bufstream to write each into, seeks to the start and pushes until the
 * file is finished. A parser belongs to the instance that created it and
 * must be freed before it.
 *
 * Threads: an instance and its parsers are used by one thread at a time.
 * Failures are results only; the core writes nothing to any log.
 *
 * Records are byte-packed with the layout fixed for 32-bit builds; 64-bit
 * builds keep the order with native pointers. Plain C. */
#ifndef TAMBERLY_CORES_TRACK_DEMUX_H
#define TAMBERLY_CORES_TRACK_DEMUX_H

#include <stddef.h>
#include <stdint.h>

#include "abi/calling_convention.h"
#include "abi/bufstream.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct track_demux track_demux;               /* an instance: one open file */
typedef struct track_demux_parser track_demux_parser; /* one extraction pass over the file */

/* The container kinds. A QuickTime or MP4 file with a ProRes video track is
 * of the ProRes kind only; every other one of the MP4 kind. */
enum track_container {
    TRACK_CONTAINER_MP4 = 1,
    TRACK_CONTAINER_PRORES = 2,
    TRACK_CONTAINER_WAVE = 3,
    TRACK_CONTAINER_AVI = 4,
    TRACK_CONTAINER_ASF = 5,
    TRACK_CONTAINER_MXF = 6 /* tracks written as the file carries them, PCM included */
};

#if defined(_MSC_VER)
#pragma pack(push, 1)
#define TRACK_DEMUX_PACKED
#else
#define TRACK_DEMUX_PACKED __attribute__((packed))
#endif

/* Second argument of the create call: all zero. */
typedef struct TRACK_DEMUX_PACKED track_demux_options {
    uint8_t reserved[8];
} track_demux_options;

/* Third argument of the create call. */
typedef struct TRACK_DEMUX_PACKED track_demux_settings {
    uint8_t container;     /* 0: a track_container value */
    uint8_t reserved[63];  /* 1: zero */
} track_demux_settings;

/* Filled by the file information call. */
typedef struct TRACK_DEMUX_PACKED track_file_info {
    int32_t stream_count; /* 0: tracks in the file */
    uint8_t reserved[60]; /* 4: zero */
} track_file_info;

/* Filled by the stream format call. media_type is a media type code
 * (media_types.h), 0 for a track whose codec has none. */
typedef struct TRACK_DEMUX_PACKED track_stream_format {
    uint8_t reserved_a[8];  /* 0: zero */
    uint32_t media_type;    /* 8 */
    uint8_t reserved_b[52]; /* 12: zero */
} track_stream_format;

/* Second argument of the create parser call: all zero. */
typedef struct TRACK_DEMUX_PACKED track_parser_settings {
    uint8_t reserved[64];
} track_parser_settings;

/* Third argument of the add stream call. */
typedef struct TRACK_DEMUX_PACKED track_stream_selection {
    int32_t stream;    /* 0: track index */
    bufstream* output; /* 4: where the track's bytes go; owned by the caller */
    uint8_t reserved[56];
} track_stream_selection;

#if defined(_MSC_VER)
#pragma pack(pop)
#endif
#undef TRACK_DEMUX_PACKED

/* Creates an instance. reserved must be null, options non-null, settings
 * non-null with a known container kind; both are only read during the
 * call. Null when memory is short or an argument is wrong. */
track_demux* TAMBERLY_CDECL trackDemuxCreate(void* reserved, const track_demux_options* options,
                                             const track_demux_settings* settings);

/* Frees the instance. Parsers must be freed before. Null is ignored. */
void TAMBERLY_CDECL trackDemuxFree(track_demux* demux);

/* Opens the file (flags 0), reads its tracks and closes it again; a file
 * already open in the instance is forgotten first. 0 on success; -1 when the
 * file cannot be read, is not of the instance's kind, or an argument is
 * wrong. */
int32_t TAMBERLY_CDECL trackDemuxOpen(track_demux* demux, int32_t flags, const char* file_name);

/* 0 and the track count; -1 without an open file. */
int32_t TAMBERLY_CDECL trackDemuxGetFileInfo(track_demux* demux, track_file_info* info);

/* 0 and the track's media type code; -1 for an index out of range or
 * without an open file. */
int32_t TAMBERLY_CDECL trackDemuxGetStreamFormat(track_demux* demux, track_stream_format* format, int32_t stream);

/* A parser for the open file; null without an open file or when memory is
 * short. */
track_demux_parser* TAMBERLY_CDECL trackDemuxCreateParser(track_demux* demux, const track_parser_settings* settings);

/* Frees the parser; the bufstreams added to it are left to their owners. */
void TAMBERLY_CDECL trackDemuxFreeParser(track_demux* demux, track_demux_parser* parser);

/* Adds a track and its output to the parser; a track may be added once.
 * From the next seek on, the track's packets are written to the output
 * exactly as the file carries them, in order, through write_bytes (DVD
 * LPCM, HDMV LPCM and SMPTE 302M as announced PCM packets, except from
 * MXF). 0 on success; -1 for an index out of range, a track added before or a null output. */
int32_t TAMBERLY_CDECL trackDemuxAddStream(track_demux* demux, track_demux_parser* parser,
                                           const track_stream_selection* selection);

/* Restarts the parser at the beginning of the file (the file is opened again
 * for reading). Only position 0 and origin 0 are supported. 0 on success; -1
 * when the file cannot be opened or no track was added. */
int32_t TAMBERLY_CDECL trackDemuxSeek(track_demux* demux, track_demux_parser* parser, int32_t position,
                                      int32_t origin);

/* Reads the next packet of the file and writes it out when it belongs to an
 * added track. 1: more to do; 0: finished; -1: an output refused data, the
 * file could not be read or the parser was not seeked. */
int32_t TAMBERLY_CDECL trackDemuxPush(track_demux* demux, track_demux_parser* parser);

TAMBERLY_ABI_ASSERT(sizeof(track_demux_options) == 8, "options block");
TAMBERLY_ABI_ASSERT(sizeof(track_demux_settings) == 64, "settings block");
TAMBERLY_ABI_ASSERT(offsetof(track_demux_settings, container) == 0, "container kind at 0");
TAMBERLY_ABI_ASSERT(sizeof(track_file_info) == 64, "file information block");
TAMBERLY_ABI_ASSERT(offsetof(track_file_info, stream_count) == 0, "stream count at 0");
TAMBERLY_ABI_ASSERT(sizeof(track_stream_format) == 64, "stream format block");
TAMBERLY_ABI_ASSERT(offsetof(track_stream_format, media_type) == 8, "media type at 8");
TAMBERLY_ABI_ASSERT(sizeof(track_parser_settings) == 64, "parser settings block");
TAMBERLY_ABI_ASSERT(offsetof(track_stream_selection, output) == 4, "output at 4");
TAMBERLY_ABI_ASSERT(sizeof(track_stream_selection) == 4 + sizeof(void*) + 56, "stream selection block");
#if defined(__i386__) || defined(_M_IX86) || (defined(__SIZEOF_POINTER__) && __SIZEOF_POINTER__ == 4)
TAMBERLY_ABI_ASSERT(sizeof(track_stream_selection) == 64, "the 32-bit stream selection block is 64 bytes");
#endif

#ifdef __cplusplus
}
#endif

#endif
