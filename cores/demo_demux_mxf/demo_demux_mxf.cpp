// The MXF core: the C exports over the shared catalogue and extraction pass
// of the cores. The tracks are the streams of the catalogue's one program.

#include "cores/demo_demux_mxf/demo_demux_mxf.h"

#include <cstring>
#include <memory>

#include "cores/common/catalogue.h"
#include "cores/common/extraction.h"
#include "cores/common/guarded.h"

struct mxf_demux {
    std::shared_ptr<const cores::Catalogue> catalogue;  // null until a file is open
};

struct mxf_demux_parser {
    mxf_demux* owner;
    cores::Extraction extraction;
};

namespace {

const std::vector<cores::StreamEntry>* TracksOf(const mxf_demux* demux) {
    if (demux == nullptr || !demux->catalogue || demux->catalogue->programs.empty()) return nullptr;
    return &demux->catalogue->programs.front().streams;
}

const cores::StreamEntry* TrackOf(const mxf_demux* demux, int32_t stream) {
    const auto* tracks = TracksOf(demux);
    if (tracks == nullptr || stream < 0 || static_cast<std::size_t>(stream) >= tracks->size()) return nullptr;
    return &(*tracks)[static_cast<std::size_t>(stream)];
}

bool Owns(const mxf_demux* demux, const mxf_demux_parser* parser) {
    return demux != nullptr && parser != nullptr && parser->owner == demux;
}

}  // namespace

// ---- instance ----

mxf_demux* TAMBERLY_CDECL mxfDemuxCreate(void* reserved, const mxf_demux_options* options,
                                        const mxf_demux_settings* settings) {
    if (reserved != nullptr || options == nullptr || settings == nullptr || settings->essence_tracks != 1) {
        return nullptr;
    }
    return cores::Guarded<mxf_demux*>(nullptr, [] { return new mxf_demux{}; });
}

void TAMBERLY_CDECL mxfDemuxFree(mxf_demux* demux) { delete demux; }

int32_t TAMBERLY_CDECL mxfDemuxOpen(mxf_demux* demux, int32_t flags, const char* file_name) {
    if (demux == nullptr || flags != 0 || file_name == nullptr) return -1;
    return cores::Guarded<int32_t>(-1, [&] {
        demux->catalogue.reset();
        auto catalogue = cores::ReadCatalogue(file_name, cores::ContainerFamily::Mxf);
        if (!catalogue) return -1;
        demux->catalogue = std::make_shared<const cores::Catalogue>(std::move(*catalogue));
        return 0;
    });
}

// ---- tracks ----

int32_t TAMBERLY_CDECL mxfDemuxGetFileInfo(mxf_demux* demux, mxf_file_info* info) {
    const auto* tracks = TracksOf(demux);
    if (tracks == nullptr || info == nullptr) return -1;
    std::memset(info, 0, sizeof *info);
    info->stream_count = static_cast<int32_t>(tracks->size());
    return 0;
}

int32_t TAMBERLY_CDECL mxfDemuxGetStreamFormat(mxf_demux* demux, mxf_stream_format* format, int32_t stream) {
    const cores::StreamEntry* track = TrackOf(demux, stream);
    if (track == nullptr || format == nullptr) return -1;
    std::memset(format, 0, sizeof *format);
    format->media_type = track->media_type;
    return 0;
}

// ---- extraction ----

mxf_demux_parser* TAMBERLY_CDECL mxfDemuxCreateParser(mxf_demux* demux, const mxf_parser_settings* settings) {
    if (demux == nullptr || !demux->catalogue || settings == nullptr) return nullptr;
    return cores::Guarded<mxf_demux_parser*>(nullptr,
                                             [&] { return new mxf_demux_parser{demux, cores::Extraction(demux->catalogue)}; });
}

void TAMBERLY_CDECL mxfDemuxFreeParser(mxf_demux* demux, mxf_demux_parser* parser) {
    if (Owns(demux, parser)) delete parser;
}

int32_t TAMBERLY_CDECL mxfDemuxAddStream(mxf_demux* demux, mxf_demux_parser* parser,
                                         const mxf_stream_selection* selection) {
    if (!Owns(demux, parser) || selection == nullptr) return -1;
    const cores::StreamEntry* track = TrackOf(demux, selection->stream);
    bufstream* output = selection->output;
    if (track == nullptr) return -1;
    return cores::Guarded<int32_t>(-1, [&] { return parser->extraction.Add(*track, output) ? 0 : -1; });
}

int32_t TAMBERLY_CDECL mxfDemuxSeek(mxf_demux* demux, mxf_demux_parser* parser, int32_t position, int32_t origin) {
    if (!Owns(demux, parser) || position != 0 || origin != 0) return -1;
    return cores::Guarded<int32_t>(-1, [&] { return parser->extraction.Restart() ? 0 : -1; });
}

int32_t TAMBERLY_CDECL mxfDemuxPush(mxf_demux* demux, mxf_demux_parser* parser) {
    if (!Owns(demux, parser)) return -1;
    return cores::Guarded<int32_t>(-1, [&] { return parser->extraction.Push(); });
}
