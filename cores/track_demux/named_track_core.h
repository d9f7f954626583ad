#pragma once
/* A named track core: the calls of track_demux.h under a core's own names
 * (<prefix>DemuxCreate, <prefix>DemuxOpen, ...), for instances of one
 * container kind only. The core's header declares them with
 * TAMBERLY_NAMED_TRACK_CORE_DECLARATIONS, its one source file defines them
 * with TAMBERLY_NAMED_TRACK_CORE. Every call answers as the track core's
 * call of the same role; the create call answers null unless the settings
 * name the core's kind. */

#include "cores/track_demux/track_demux.h"

#define TAMBERLY_NAMED_TRACK_CORE_DECLARATIONS(api, prefix)                                                       \
    api track_demux* TAMBERLY_CDECL prefix##DemuxCreate(void* reserved, const track_demux_options* options,       \
                                                        const track_demux_settings* settings);                    \
    api void TAMBERLY_CDECL prefix##DemuxFree(track_demux* demux);                                                \
    api int32_t TAMBERLY_CDECL prefix##DemuxOpen(track_demux* demux, int32_t flags, const char* file_name);       \
    api int32_t TAMBERLY_CDECL prefix##DemuxGetFileInfo(track_demux* demux, track_file_info* info);               \
    api int32_t TAMBERLY_CDECL prefix##DemuxGetStreamFormat(track_demux* demux, track_stream_format* format,      \
                                                            int32_t stream);                                      \
    api track_demux_parser* TAMBERLY_CDECL prefix##DemuxCreateParser(track_demux* demux,                          \
                                                                     const track_parser_settings* settings);      \
    api void TAMBERLY_CDECL prefix##DemuxFreeParser(track_demux* demux, track_demux_parser* parser);              \
    api int32_t TAMBERLY_CDECL prefix##DemuxAddStream(track_demux* demux, track_demux_parser* parser,             \
                                                      const track_stream_selection* selection);                   \
    api int32_t TAMBERLY_CDECL prefix##DemuxSeek(track_demux* demux, track_demux_parser* parser, int32_t position, \
                                                 int32_t origin);                                                 \
    api int32_t TAMBERLY_CDECL prefix##DemuxPush(track_demux* demux, track_demux_parser* parser);

#define TAMBERLY_NAMED_TRACK_CORE(prefix, kind)                                                                  \
    track_demux* TAMBERLY_CDECL prefix##DemuxCreate(void* reserved, const track_demux_options* options,          \
                                                    const track_demux_settings* settings) {                      \
        if (settings == nullptr || settings->container != (kind)) return nullptr;                                \
        return trackDemuxCreate(reserved, options, settings);                                                    \
    }                                                                                                            \
    void TAMBERLY_CDECL prefix##DemuxFree(track_demux* demux) { trackDemuxFree(demux); }                         \
    int32_t TAMBERLY_CDECL prefix##DemuxOpen(track_demux* demux, int32_t flags, const char* file_name) {         \
        return trackDemuxOpen(demux, flags, file_name);                                                          \
    }                                                                                                            \
    int32_t TAMBERLY_CDECL prefix##DemuxGetFileInfo(track_demux* demux, track_file_info* info) {                 \
        return trackDemuxGetFileInfo(demux, info);                                                               \
    }                                                                                                            \
    int32_t TAMBERLY_CDECL prefix##DemuxGetStreamFormat(track_demux* demux, track_stream_format* format,         \
                                                        int32_t stream) {                                        \
        return trackDemuxGetStreamFormat(demux, format, stream);                                                 \
    }                                                                                                            \
    track_demux_parser* TAMBERLY_CDECL prefix##DemuxCreateParser(track_demux* demux,                             \
                                                                 const track_parser_settings* settings) {        \
        return trackDemuxCreateParser(demux, settings);                                                          \
    }                                                                                                            \
    void TAMBERLY_CDECL prefix##DemuxFreeParser(track_demux* demux, track_demux_parser* parser) {                \
        trackDemuxFreeParser(demux, parser);                                                                     \
    }                                                                                                            \
    int32_t TAMBERLY_CDECL prefix##DemuxAddStream(track_demux* demux, track_demux_parser* parser,                \
                                                  const track_stream_selection* selection) {                     \
        return trackDemuxAddStream(demux, parser, selection);                                                    \
    }                                                                                                            \
    int32_t TAMBERLY_CDECL prefix##DemuxSeek(track_demux* demux, track_demux_parser* parser, int32_t position,    \
                                             int32_t origin) {                                                   \
        return trackDemuxSeek(demux, parser, position, origin);                                                  \
    }                                                                                                            \
    int32_t TAMBERLY_CDECL prefix##DemuxPush(track_demux* demux, track_demux_parser* parser) {                   \
        return trackDemuxPush(demux, parser);                                                                    \
    }
