// Speed of the frame-header model and the page model: the per-position
// header test, the page rebuild and the whole content-test chain the viewer
// runs when it opens a file.

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "tests/support/mpa_builder.h"
#include "tests/support/temp_dir.h"
#include "viewer/media/ProbeChain.h"
#include "viewer/model/FrameNavigator.h"
#include "viewer/model/MPAUtils.h"

namespace {

constexpr std::size_t kMiB = 1048576;

std::vector<std::uint8_t> RandomBytes(std::size_t count) {
    std::mt19937 random(12345);
    std::vector<std::uint8_t> bytes(count);
    for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
    return bytes;
}

// A Layer II stream (44.1 kHz, so padding varies) with noise as frame data,
// noise that holds the odd false sync like real audio data does.
std::vector<std::uint8_t> LayerIIStream(std::size_t minimumSize) {
    testsupport::MpaFrameSpec params;
    params.samplingIndex = 0;
    std::mt19937 random(99);
    std::vector<std::uint8_t> stream;
    stream.reserve(minimumSize + 1000);
    for (int frame = 0; stream.size() < minimumSize; ++frame) {
        params.padding = frame % 49 < 40 ? 1 : 0;
        auto bytes = testsupport::MakeFrame(params);
        for (std::size_t i = 4; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(random());
        stream.insert(stream.end(), bytes.begin(), bytes.end());
    }
    return stream;
}

void BM_MPAValidFramePointScan(benchmark::State& state) {
    const auto bytes = RandomBytes(kMiB);
    for (auto _ : state) {
        int usable = 0;
        for (std::size_t position = 0; position + 4 <= bytes.size(); ++position)
            usable += MPAValidFramePoint(bytes.data() + position, bytes.size() - position, -1, -1);
        benchmark::DoNotOptimize(usable);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kMiB));
}
BENCHMARK(BM_MPAValidFramePointScan)->Unit(benchmark::kMicrosecond);

// Noise in which no position is a usable header, so a search runs through it
// all while still meeting every sync-like byte pair.
std::vector<std::uint8_t> NoiseWithoutHeaders(std::size_t count) {
    auto bytes = RandomBytes(count);
    for (std::size_t i = 0; i + 4 <= bytes.size(); ++i)
        if (MPAValidFramePoint(bytes.data() + i, bytes.size() - i, -1, -1)) bytes[i + 2] = 0xF0;  // bitrate index 15, no padding: length 0
    return bytes;
}

void BM_NextHeaderSearch(benchmark::State& state) {
    const auto bytes = NoiseWithoutHeaders(kMiB);
    for (auto _ : state) {
        std::int32_t packLength = 0;
        if (GetMPAESPackLength(bytes.data(), bytes.size(), packLength, 0, -1, -1))
            state.SkipWithError("noise holds a header");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kMiB));
}
BENCHMARK(BM_NextHeaderSearch)->Unit(benchmark::kMicrosecond);

void BM_PageRebuild256(benchmark::State& state) {
    testsupport::TempDir dir;
    const auto path = dir.Write("stream.mp2", LayerIIStream(2 * kMiB));
    TFrameNavigator navigator;
    navigator.OpenFile(path);
    navigator.SetExpectation(kLayerII, 0);
    for (auto _ : state) {
        navigator.RefreshPosition(12345, TFrameNavigator::kPageCapacity);
        if (navigator.FramesCount() != TFrameNavigator::kPageCapacity) state.SkipWithError("page not full");
    }
}
BENCHMARK(BM_PageRebuild256)->Unit(benchmark::kMicrosecond);

void BM_AcceptanceChain100MB(benchmark::State& state) {
    testsupport::TempDir dir;
    const auto path = dir.Write("big.mp2", LayerIIStream(100 * 1000 * 1000));
    for (auto _ : state) {
        const auto result = RunProbeChain(path);
        if (!result.IsAudioStream()) state.SkipWithError("not accepted as an audio stream");
    }
}
BENCHMARK(BM_AcceptanceChain100MB)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
