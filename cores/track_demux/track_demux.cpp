// The track core: the C calls over the shared catalogue and extraction pass
// of the cores, with the content check that gives each container kind only
// its own files.

#include "cores/track_demux/track_demux.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>

#include "cores/common/catalogue.h"
#include "cores/common/extraction.h"
#include "cores/common/guarded.h"

struct track_demux {
    track_container container;
    std::shared_ptr<const cores::Catalogue> catalogue;  // null until a file is open
};

struct track_demux_parser {
    track_demux* owner;
    cores::Extraction extraction;
};

namespace {

std::optional<cores::ContainerFamily> FamilyOf(std::uint8_t container) {
    switch (container) {
        case TRACK_CONTAINER_MP4:
        case TRACK_CONTAINER_PRORES: return cores::ContainerFamily::QuickTime;
        case TRACK_CONTAINER_WAVE: return cores::ContainerFamily::Wave;
        case TRACK_CONTAINER_AVI: return cores::ContainerFamily::Avi;
        case TRACK_CONTAINER_ASF: return cores::ContainerFamily::Asf;
        case TRACK_CONTAINER_MXF: return cores::ContainerFamily::Mxf;
        default: return std::nullopt;
    }
}

const std::vector<cores::StreamEntry>* TracksOf(const track_demux* demux) {
    if (demux == nullptr || !demux->catalogue || demux->catalogue->programs.empty()) return nullptr;
    return &demux->catalogue->programs.front().streams;
}

const cores::StreamEntry* TrackOf(const track_demux* demux, int32_t stream) {
    const auto* tracks = TracksOf(demux);
    if (tracks == nullptr || stream < 0 || static_cast<std::size_t>(stream) >= tracks->size()) return nullptr;
    return &(*tracks)[static_cast<std::size_t>(stream)];
}

bool Owns(const track_demux* demux, const track_demux_parser* parser) {
    return demux != nullptr && parser != nullptr && parser->owner == demux;
}

// QuickTime files with ProRes video belong to the ProRes kind, the others to
// the MP4 kind; the other families are told apart by their demuxer alone.
bool IsOfKind(const cores::Catalogue& catalogue, track_container container) {
    if (container != TRACK_CONTAINER_MP4 && container != TRACK_CONTAINER_PRORES) return true;
    bool prores = false;
    for (const auto& program : catalogue.programs) {
        prores = prores || std::any_of(program.streams.begin(), program.streams.end(), [](const auto& stream) {
                     return stream.media_type == QL_MEDIA_PRORES_VIDEO;
                 });
    }
    return prores == (container == TRACK_CONTAINER_PRORES);
}

}  // namespace

// ---- instance ----

track_demux* TAMBERLY_CDECL trackDemuxCreate(void* reserved, const track_demux_options* options,
                                             const track_demux_settings* settings) {
    if (reserved != nullptr || options == nullptr || settings == nullptr || !FamilyOf(settings->container)) {
        return nullptr;
    }
    const auto container = static_cast<track_container>(settings->container);
    return cores::Guarded<track_demux*>(nullptr, [&] { return new track_demux{container, nullptr}; });
}

void TAMBERLY_CDECL trackDemuxFree(track_demux* demux) { delete demux; }

int32_t TAMBERLY_CDECL trackDemuxOpen(track_demux* demux, int32_t flags, const char* file_name) {
    if (demux == nullptr || flags != 0 || file_name == nullptr) return -1;
    return cores::Guarded<int32_t>(-1, [&] {
        demux->catalogue.reset();
        auto catalogue = cores::ReadCatalogue(file_name, *FamilyOf(demux->container));
        if (!catalogue || !IsOfKind(*catalogue, demux->container)) return -1;
        demux->catalogue = std::make_shared<const cores::Catalogue>(std::move(*catalogue));
        return 0;
    });
}

// ---- tracks ----

int32_t TAMBERLY_CDECL trackDemuxGetFileInfo(track_demux* demux, track_file_info* info) {
    const auto* tracks = TracksOf(demux);
    if (tracks == nullptr || info == nullptr) return -1;
    std::memset(info, 0, sizeof *info);
    info->stream_count = static_cast<int32_t>(tracks->size());
    return 0;
}

int32_t TAMBERLY_CDECL trackDemuxGetStreamFormat(track_demux* demux, track_stream_format* format, int32_t stream) {
    const cores::StreamEntry* track = TrackOf(demux, stream);
    if (track == nullptr || format == nullptr) return -1;
    std::memset(format, 0, sizeof *format);
    format->media_type = track->media_type;
    return 0;
}

// ---- extraction ----

track_demux_parser* TAMBERLY_CDECL trackDemuxCreateParser(track_demux* demux, const track_parser_settings* settings) {
    if (demux == nullptr || !demux->catalogue || settings == nullptr) return nullptr;
    return cores::Guarded<track_demux_parser*>(
        nullptr, [&] { return new track_demux_parser{demux, cores::Extraction(demux->catalogue)}; });
}

void TAMBERLY_CDECL trackDemuxFreeParser(track_demux* demux, track_demux_parser* parser) {
    if (Owns(demux, parser)) delete parser;
}

int32_t TAMBERLY_CDECL trackDemuxAddStream(track_demux* demux, track_demux_parser* parser,
                                           const track_stream_selection* selection) {
    if (!Owns(demux, parser) || selection == nullptr) return -1;
    const cores::StreamEntry* track = TrackOf(demux, selection->stream);
    bufstream* output = selection->output;
    if (track == nullptr) return -1;
    return cores::Guarded<int32_t>(-1, [&] { return parser->extraction.Add(*track, output) ? 0 : -1; });
}

int32_t TAMBERLY_CDECL trackDemuxSeek(track_demux* demux, track_demux_parser* parser, int32_t position,
                                      int32_t origin) {
    if (!Owns(demux, parser) || position != 0 || origin != 0) return -1;
    return cores::Guarded<int32_t>(-1, [&] { return parser->extraction.Restart() ? 0 : -1; });
}

int32_t TAMBERLY_CDECL trackDemuxPush(track_demux* demux, track_demux_parser* parser) {
    if (!Owns(demux, parser)) return -1;
    return cores::Guarded<int32_t>(-1, [&] { return parser->extraction.Push(); });
}
