// Validates a stream file through the validator's exports in 1 MiB chunks and
// prints what it found and how long it took; with --walker-only it times the
// frame walker and header checks alone (no decoder), the same way fed.
//
//   mpaverify_run [--walker-only] <file>
//
// The chunks are read from the file as they are fed, as a caller streaming a
// file would: loading the whole file first would add page faults and a
// clearing pass that neither the validator nor a decoder it is compared with
// has to pay. The time printed includes the reading.

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>

#include "libs/mpaverify/frame_header.h"
#include "libs/mpaverify/mpa_val.h"
#include "libs/mpaverify/mpaverify.h"

namespace {

constexpr std::size_t kChunk = 1 << 20;

// Calls feed(bytes, count, last) for each chunk of the file; false when the
// file cannot be read or feed refuses a chunk.
template <typename Feed>
bool ForEachChunk(const char* path, Feed feed) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return false;
    std::fseek(file, 0, SEEK_END);
    const long size = std::ftell(file);
    std::fseek(file, 0, SEEK_SET);
    const auto chunk = std::make_unique_for_overwrite<uint8_t[]>(kChunk);
    bool ok = size >= 0;
    for (long fed = 0; ok && fed < size;) {
        const std::size_t count = std::fread(chunk.get(), 1, kChunk, file);
        if (count == 0) break;
        fed += static_cast<long>(count);
        ok = feed(chunk.get(), count, fed >= size);
    }
    std::fclose(file);
    return ok;
}

int ValidateFile(const char* path) {
    if (InitializeValidator() != 0) return 1;
    const bool fed = ForEachChunk(path, [](const uint8_t* bytes, std::size_t count, bool) {
        return AddData(bytes, static_cast<int32_t>(count), 0) == 0;
    });
    if (!fed) return 1;
    AddData(nullptr, 0, 1);
    int32_t decoded = 0, parsed = 0, events = 0;
    GetDecodedFramesCount(&decoded);
    GetParsedFramesCount(&parsed);
    GetCorruptedFramesCount(&events);
    std::fprintf(stderr, "decoded %d parsed %d events %d\n", decoded, parsed, events);
    UninitializeValidator();
    return 0;
}

int WalkFile(const char* path) {
    mpaverify::CMPAVal walker;
    long frames = 0;
    mpaverify::MpaHeader header;
    const bool fed = ForEachChunk(path, [&](const uint8_t* bytes, std::size_t count, bool last) {
        walker.Append(bytes, count);
        if (last) walker.SetEndOfStream();
        while (walker.GetNextMPAFrame()) {
            frames += mpaverify::parse_mpa_frame(walker.Frame(), walker.FrameLength(), header) ? 1 : 0;
            walker.ReleaseMPAFrame();
        }
        return true;
    });
    std::fprintf(stderr, "walked %ld frames\n", frames);
    return fed ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const bool walker_only = argc == 3 && std::strcmp(argv[1], "--walker-only") == 0;
    if (argc != 2 && !walker_only) {
        std::fprintf(stderr, "usage: mpaverify_run [--walker-only] <file>\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const int rc = walker_only ? WalkFile(argv[argc - 1]) : ValidateFile(argv[argc - 1]);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::printf("%.6f\n", elapsed.count());
    return rc;
}
