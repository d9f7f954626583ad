// A small host for the demultiplexer plugins, timed by demux_bench.sh: it
// loads a plugin from its own folder as the viewer does, opens a container,
// and extracts one stream into a file with DemuxStreamToFile.
//
//   demux_extract <plugin base name> <container> <output> [stream index]
//
// Without an index the first MPEG audio stream (media type 131 or 132) is
// taken. Prints the stream chosen, the seconds from LoadFile to the end of
// the extraction, and the container bytes per second.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/dynamic_library.h"
#include "abi/ql_demux_api.h"

namespace {

struct Plugin {
    platform::DynamicLibrary library;
    ql_demux_load_file_fn load = nullptr;
    ql_demux_get_streams_count_fn count = nullptr;
    ql_demux_get_stream_media_type_fn media_type = nullptr;
    ql_demux_stream_to_file_fn to_file = nullptr;
    ql_demux_unload_file_fn unload = nullptr;
};

bool Bind(Plugin& plugin, const std::string& base_name) {
    const std::string path = platform::ProgramFolder() + platform::SharedLibraryFileName(base_name);
    if (!plugin.library.Load(path)) {
        std::fprintf(stderr, "cannot load %s: %s\n", path.c_str(), plugin.library.LastError().c_str());
        return false;
    }
    plugin.load = reinterpret_cast<ql_demux_load_file_fn>(plugin.library.Symbol("LoadFile"));
    plugin.count = reinterpret_cast<ql_demux_get_streams_count_fn>(plugin.library.Symbol("GetStreamsCount"));
    plugin.media_type = reinterpret_cast<ql_demux_get_stream_media_type_fn>(plugin.library.Symbol("GetStreamMediaType"));
    plugin.to_file = reinterpret_cast<ql_demux_stream_to_file_fn>(plugin.library.Symbol("DemuxStreamToFile"));
    plugin.unload = reinterpret_cast<ql_demux_unload_file_fn>(plugin.library.Symbol("UnloadFile"));
    return plugin.load && plugin.count && plugin.media_type && plugin.to_file && plugin.unload;
}

// The first stream of MPEG audio, or -1.
std::int32_t FirstMpegAudio(const Plugin& plugin) {
    std::int32_t count = 0;
    plugin.count(&count);
    for (std::int32_t i = 0; i < count; ++i) {
        std::int32_t program = 0, stream = 0, type = 0;
        if (plugin.media_type(i, &program, &stream, &type) == 0 && (type == 131 || type == 132)) return i;
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s <plugin base name> <container> <output> [stream index]\n", argv[0]);
        return 2;
    }
    Plugin plugin;
    if (!Bind(plugin, argv[1])) return 1;
    const auto start = std::chrono::steady_clock::now();
    if (plugin.load(argv[2]) != 0) {
        std::fprintf(stderr, "LoadFile failed on %s\n", argv[2]);
        return 1;
    }
    const std::int32_t index = argc > 4 ? std::atoi(argv[4]) : FirstMpegAudio(plugin);
    if (index < 0) {
        std::fprintf(stderr, "no MPEG audio stream in %s\n", argv[2]);
        return 1;
    }
    plugin.to_file(index, argv[3]);
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    plugin.unload();
    const auto bytes = static_cast<double>(std::filesystem::file_size(argv[2]));
    std::printf("stream %d: %.3f s, %.1f MB/s of container\n", index, seconds.count(), bytes / 1e6 / seconds.count());
    return std::filesystem::exists(argv[3]) && std::filesystem::file_size(argv[3]) > 0 ? 0 : 1;
}
