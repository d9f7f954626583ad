// Extracts the first MPEG audio stream of a container with the demultiplexer
// plugins, one of two ways, and prints the seconds it took:
//
//   reader_extract reader <container> <output> [<plugin folder>]
//       through the threaded reader into the output file, as the viewer does;
//   reader_extract plugin <container> <output> [<plugin folder>]
//       through the MPEG-2 plugin's own DemuxStreamToFile;
//   reader_extract callback <container> <output> [<plugin folder>]
//       the MPEG-2 plugin's DemuxStreamCallBack alone, nothing written.
//
// Only the extraction is timed: opening the file (for the reader: trying
// the plugins in their order) is not. Timed by reader_bench.sh.

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "viewer/media/QlDemux.h"
#include "viewer/media/QlDemuxEx.h"
#include "viewer/media/QlDemuxStream.h"

namespace {

template <typename Demux>
std::int32_t FirstMPEGAudioStream(Demux& demux) {
    std::int32_t count = 0;
    if (!demux.GetStreamsCount(&count)) return -1;
    for (std::int32_t i = 0; i < count; ++i) {
        std::int32_t program = 0, stream = 0, type = 0;
        if (demux.GetStreamMediaType(i, &program, &stream, &type) && MediaTypeInCategory(kMediaCategoryMPEGAudio, type))
            return i;
    }
    return -1;
}

using Clock = std::chrono::steady_clock;

// Seconds the extraction took; negative on failure.
double ThroughReader(const std::string& container, const std::string& output, const std::string& folder) {
    TQlDemuxEx reader(folder);
    if (!reader.LoadFile(container)) return -1;
    const std::int32_t index = FirstMPEGAudioStream(reader);
    if (index < 0) return -1;
    std::vector<std::uint8_t> buffer(kTransferBufferSize);
    const auto start = Clock::now();
    if (ExtractStreamToFile(reader, index, output, buffer, [](std::int64_t) { return true; }) <= 0) return -1;
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double ThroughPlugin(const std::string& container, const std::string& output, const std::string& folder) {
    TQlDemux demux(MPEG2DemuxNames());
    if (!demux.LoadQlDemuxLibrary(folder) || !demux.LoadFile(container)) return -1;
    const std::int32_t index = FirstMPEGAudioStream(demux);
    if (index < 0) return -1;
    const auto start = Clock::now();
    if (!demux.DemuxStreamToFile(index, output)) return -1;
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::int32_t TAMBERLY_STDCALL CountBytes(void* owner, const void*, std::int32_t size) {
    *static_cast<std::int64_t*>(owner) += size;
    return 0;
}

// The plugin's callback extraction alone, into a send function that only
// counts: the ceiling for the reader.
double ThroughCallback(const std::string& container, const std::string&, const std::string& folder) {
    TQlDemux demux(MPEG2DemuxNames());
    if (!demux.LoadQlDemuxLibrary(folder) || !demux.LoadFile(container)) return -1;
    const std::int32_t index = FirstMPEGAudioStream(demux);
    if (index < 0) return -1;
    std::int64_t bytes = 0;
    const auto start = Clock::now();
    if (!demux.DemuxStreamCallBack(index, CountBytes, &bytes) || bytes == 0) return -1;
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (argc < 4 || (mode != "reader" && mode != "plugin" && mode != "callback")) {
        std::fprintf(stderr, "usage: %s reader|plugin|callback <container> <output> [<plugin folder>]\n", argv[0]);
        return 2;
    }
    const std::string folder = argc > 4 ? argv[4] : std::string();
    const double seconds = mode == "reader"   ? ThroughReader(argv[2], argv[3], folder)
                           : mode == "plugin" ? ThroughPlugin(argv[2], argv[3], folder)
                                              : ThroughCallback(argv[2], argv[3], folder);
    if (seconds < 0) {
        std::fprintf(stderr, "%s: extraction failed\n", argv[1]);
        return 1;
    }
    std::printf("%.3f\n", seconds);
    return 0;
}
