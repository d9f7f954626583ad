#include "cores/common/catalogue.h"

#include <cstdint>
#include <map>

namespace cores {
namespace {

// Far more than libavformat reads to learn a file's streams (a few
// megabytes), far less than a large file.
constexpr std::int64_t kCatalogueReadLimit = std::int64_t{32} << 20;

// Every stream of the file, in libavformat's order.
std::vector<StreamEntry> Entries(const AVFormatContext& context) {
    std::vector<StreamEntry> entries;
    std::map<int, int> seen;  // streams so far per id
    for (unsigned i = 0; i < context.nb_streams; ++i) {
        const AVStream& stream = *context.streams[i];
        const AVCodecParameters& codec = *stream.codecpar;
        entries.push_back({stream.index, stream.id, seen[stream.id]++, MediaTypeOf(codec.codec_id, codec.sample_rate)});
    }
    return entries;
}

std::vector<ProgramEntry> Programs(const AVFormatContext& context) {
    const std::vector<StreamEntry> entries = Entries(context);
    if (context.nb_programs == 0) return {ProgramEntry{entries}};
    std::vector<ProgramEntry> programs;
    for (unsigned p = 0; p < context.nb_programs; ++p) {
        const AVProgram& source = *context.programs[p];
        ProgramEntry program;
        for (unsigned s = 0; s < source.nb_stream_indexes; ++s) {
            const unsigned index = source.stream_index[s];
            if (index < entries.size()) program.streams.push_back(entries[index]);
        }
        programs.push_back(std::move(program));
    }
    return programs;
}

// The headers of these families name every track's codec and sampling rate,
// so that no packet need be read to list the tracks.
bool HeadersNameTheCodecs(ContainerFamily family) {
    return family != ContainerFamily::Mpeg && family != ContainerFamily::Mxf;
}

}  // namespace

std::optional<Catalogue> ReadCatalogue(const std::string& path, ContainerFamily family) {
    AvInput input;
    input.LimitReading(kCatalogueReadLimit);
    if (!input.Open(path, family, nullptr, false)) return std::nullopt;
    if (!HeadersNameTheCodecs(family) && !input.FindStreamInfo()) return std::nullopt;
    Catalogue catalogue;
    catalogue.path = path;
    catalogue.family = family;
    catalogue.format = input.Context()->iformat;
    catalogue.programs = family == ContainerFamily::Mxf ? std::vector<ProgramEntry>{{Entries(*input.Context())}}
                                                        : Programs(*input.Context());
    return catalogue;
}

}  // namespace cores
