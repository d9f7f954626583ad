// The stream checker's command-line driver: reads a file in chunks (1 MiB
// unless --chunk says otherwise), prints one line per finding and the summary
// to standard output. Timed by mpacheck_bench.sh.
//
//   mpacheck_run [--chunk <bytes>] [--quiet] <file>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "libs/mpacheck/mpacheck.h"

namespace {

void print_finding(const mpacheck::finding& f) {
    std::printf("%s %s frame %" PRId64 " offset %" PRIu64 " time %.3f: %s\n",
                std::string(mpacheck::severity_name(f.level)).c_str(), std::string(mpacheck::kind_name(f.kind)).c_str(),
                f.frame, f.offset, f.time, mpacheck::describe(f).c_str());
}

void print_summary(const mpacheck::summary& s) {
    std::printf("summary: version %d layer %d rate %d mode %d frames %" PRId64 " duration %.3f bitrate %d/%d/%d %s"
                " bytes %" PRIu64 " audio %" PRIu64 " metadata %d\n",
                s.version_code, s.layer, s.sampling_rate, s.mode, s.frames, s.duration, s.min_bitrate,
                s.average_bitrate, s.max_bitrate, s.variable_bitrate ? "VBR" : "CBR", s.bytes, s.audio_bytes,
                s.metadata_count);
}

}  // namespace

int main(int argc, char** argv) {
    std::size_t chunk = 1 << 20;
    bool quiet = false;
    const char* path = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--chunk") == 0 && i + 1 < argc) {
            chunk = std::strtoull(argv[++i], nullptr, 10);
        } else if (std::strcmp(argv[i], "--quiet") == 0) {
            quiet = true;
        } else {
            path = argv[i];
        }
    }
    if (path == nullptr || chunk == 0) {
        std::fprintf(stderr, "usage: mpacheck_run [--chunk <bytes>] [--quiet] <file>\n");
        return 2;
    }
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        std::fprintf(stderr, "cannot open %s\n", path);
        return 2;
    }
    mpacheck::checker checker(quiet ? mpacheck::finding_callback{} : print_finding);
    std::vector<std::uint8_t> buffer(chunk);
    std::size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), file)) > 0) checker.feed(buffer.data(), got);
    std::fclose(file);
    checker.finish();
    print_summary(checker.result());
    const auto& counts = checker.result().counts;
    std::int64_t errors = 0;
    for (int kind = 0; kind < mpacheck::kFindingKindCount; ++kind) {
        if (mpacheck::kind_severity(static_cast<mpacheck::finding_kind>(kind)) == mpacheck::severity::error) {
            errors += counts[kind];
        }
    }
    return errors > 0 ? 1 : 0;
}
