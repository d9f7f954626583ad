// Validates a stream file through the validator's exports in 1 MiB chunks and
// prints what it found and how long it took; with --walker-only it times the
// frame walker and header checks alone (no decoder), the same way fed.
//
//   mpaverify_run [--walker-only] <file>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <vector>

#include "libs/mpaverify/frame_header.h"
#include "libs/mpaverify/mpa_val.h"
#include "libs/mpaverify/mpaverify.h"

namespace {

constexpr std::size_t kChunk = 1 << 20;

// One read of the whole file: byte-wise stream iteration would cost the run
// more than the validator's own bookkeeping.
std::vector<uint8_t> ReadAll(const char* path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return {};
    std::vector<uint8_t> data(static_cast<std::size_t>(in.tellg()));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(data.size()));
    return data;
}

int ValidateAll(const std::vector<uint8_t>& data) {
    if (InitializeValidator() != 0) return 1;
    for (std::size_t fed = 0; fed < data.size(); fed += kChunk) {
        const std::size_t n = std::min(kChunk, data.size() - fed);
        if (AddData(data.data() + fed, static_cast<int32_t>(n), 0) != 0) return 1;
    }
    AddData(nullptr, 0, 1);
    int32_t decoded = 0, parsed = 0, events = 0;
    GetDecodedFramesCount(&decoded);
    GetParsedFramesCount(&parsed);
    GetCorruptedFramesCount(&events);
    std::fprintf(stderr, "decoded %d parsed %d events %d\n", decoded, parsed, events);
    UninitializeValidator();
    return 0;
}

int WalkAll(const std::vector<uint8_t>& data) {
    mpaverify::CMPAVal walker;
    long frames = 0;
    mpaverify::MpaHeader header;
    for (std::size_t fed = 0; fed < data.size(); fed += kChunk) {
        walker.Append(data.data() + fed, std::min(kChunk, data.size() - fed));
        if (fed + kChunk >= data.size()) walker.SetEndOfStream();
        while (walker.GetNextMPAFrame()) {
            frames += mpaverify::parse_mpa_frame(walker.Frame(), walker.FrameLength(), header) ? 1 : 0;
            walker.ReleaseMPAFrame();
        }
    }
    std::fprintf(stderr, "walked %ld frames\n", frames);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const bool walker_only = argc == 3 && std::strcmp(argv[1], "--walker-only") == 0;
    if (argc != 2 && !walker_only) {
        std::fprintf(stderr, "usage: mpaverify_run [--walker-only] <file>\n");
        return 2;
    }
    const std::vector<uint8_t> data = ReadAll(argv[argc - 1]);
    const auto start = std::chrono::steady_clock::now();
    const int rc = walker_only ? WalkAll(data) : ValidateAll(data);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::printf("%.6f\n", elapsed.count());
    return rc;
}
