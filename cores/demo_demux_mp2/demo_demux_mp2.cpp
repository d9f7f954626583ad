// The MPEG-2 program/transport stream core: the C exports over the shared
// catalogue and extraction pass of the cores.

#include "cores/demo_demux_mp2/demo_demux_mp2.h"

#include <cstring>
#include <memory>

#include "cores/common/catalogue.h"
#include "cores/common/extraction.h"
#include "cores/common/guarded.h"

struct mp2_demux {
    std::shared_ptr<const cores::Catalogue> catalogue;  // null until a file is open
};

struct mp2_demux_parser {
    mp2_demux* owner;
    cores::Extraction extraction;
};

namespace {

const cores::ProgramEntry* ProgramOf(const mp2_demux* demux, int32_t program) {
    if (demux == nullptr || !demux->catalogue || program < 0) return nullptr;
    const auto& programs = demux->catalogue->programs;
    return static_cast<std::size_t>(program) < programs.size() ? &programs[static_cast<std::size_t>(program)]
                                                               : nullptr;
}

const cores::StreamEntry* StreamOf(const mp2_demux* demux, int32_t program, int32_t stream) {
    const cores::ProgramEntry* entry = ProgramOf(demux, program);
    if (entry == nullptr || stream < 0 || static_cast<std::size_t>(stream) >= entry->streams.size()) return nullptr;
    return &entry->streams[static_cast<std::size_t>(stream)];
}

bool Owns(const mp2_demux* demux, const mp2_demux_parser* parser) {
    return demux != nullptr && parser != nullptr && parser->owner == demux;
}

}  // namespace

// ---- instance ----

mp2_demux* TAMBERLY_CDECL mp2DemuxCreate(void* reserved, const mp2_demux_options* options,
                                        const mp2_demux_settings* settings) {
    if (reserved != nullptr || options == nullptr || settings == nullptr) return nullptr;
    return cores::Guarded<mp2_demux*>(nullptr, [] { return new mp2_demux{}; });
}

void TAMBERLY_CDECL mp2DemuxFree(mp2_demux* demux) { delete demux; }

int32_t TAMBERLY_CDECL mp2DemuxOpen(mp2_demux* demux, int32_t flags, const char* file_name) {
    if (demux == nullptr || flags != 0 || file_name == nullptr) return -1;
    return cores::Guarded<int32_t>(-1, [&] {
        demux->catalogue.reset();
        auto catalogue = cores::ReadCatalogue(file_name, cores::ContainerFamily::Mpeg);
        if (!catalogue) return -1;
        demux->catalogue = std::make_shared<const cores::Catalogue>(std::move(*catalogue));
        return 0;
    });
}

// ---- programs and streams ----

int32_t TAMBERLY_CDECL mp2DemuxGetFileInfo(mp2_demux* demux, mp2_file_info* info) {
    if (demux == nullptr || !demux->catalogue || info == nullptr) return -1;
    std::memset(info, 0, sizeof *info);
    info->program_count = static_cast<int32_t>(demux->catalogue->programs.size());
    return 0;
}

int32_t TAMBERLY_CDECL mp2DemuxGetProgramInfo(mp2_demux* demux, mp2_program_info* info, int32_t program) {
    const cores::ProgramEntry* entry = ProgramOf(demux, program);
    if (entry == nullptr || info == nullptr) return -1;
    std::memset(info, 0, sizeof *info);
    info->stream_count = static_cast<int32_t>(entry->streams.size());
    return 0;
}

int32_t TAMBERLY_CDECL mp2DemuxGetStreamFormat(mp2_demux* demux, mp2_stream_format* format, int32_t program,
                                               int32_t stream) {
    const cores::StreamEntry* entry = StreamOf(demux, program, stream);
    if (entry == nullptr || format == nullptr) return -1;
    std::memset(format, 0, sizeof *format);
    format->media_type = entry->media_type;
    return 0;
}

// ---- extraction ----

mp2_demux_parser* TAMBERLY_CDECL mp2DemuxCreateParser(mp2_demux* demux, const mp2_parser_settings* settings) {
    if (demux == nullptr || !demux->catalogue || settings == nullptr) return nullptr;
    return cores::Guarded<mp2_demux_parser*>(nullptr, [&] { return new mp2_demux_parser{demux, cores::Extraction(demux->catalogue)}; });
}

void TAMBERLY_CDECL mp2DemuxFreeParser(mp2_demux* demux, mp2_demux_parser* parser) {
    if (Owns(demux, parser)) delete parser;
}

int32_t TAMBERLY_CDECL mp2DemuxSetStream(mp2_demux* demux, mp2_demux_parser* parser,
                                         const mp2_stream_selection* selection) {
    if (!Owns(demux, parser) || selection == nullptr) return -1;
    const cores::StreamEntry* entry = StreamOf(demux, selection->program, selection->stream);
    if (entry == nullptr) return -1;
    return cores::Guarded<int32_t>(-1, [&] {
        parser->extraction.Clear();
        return parser->extraction.Add(*entry, selection->output) ? 0 : -1;
    });
}

int32_t TAMBERLY_CDECL mp2DemuxSeek(mp2_demux* demux, mp2_demux_parser* parser, int32_t position, int32_t origin) {
    if (!Owns(demux, parser) || position != 0 || origin != 0) return -1;
    return cores::Guarded<int32_t>(-1, [&] { return parser->extraction.Restart() ? 0 : -1; });
}

int32_t TAMBERLY_CDECL mp2DemuxPush(mp2_demux* demux, mp2_demux_parser* parser) {
    if (!Owns(demux, parser)) return -1;
    return cores::Guarded<int32_t>(-1, [&] { return parser->extraction.Push(); });
}
