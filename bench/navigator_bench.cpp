// Navigation on a 6 GB stream: opening to the first page, and each key and
// scroll-bar action, warm. The file is sparse: real Layer II frames in three
// 4 MiB regions (start, middle, end) and holes of zeros between them, so the
// actions that land in a hole also pay for a full search that finds nothing.

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <map>
#include <random>
#include <stdexcept>

#include "tests/support/mpa_builder.h"
#include "tests/support/temp_dir.h"
#include "viewer/model/FrameAnatomy.h"
#include "viewer/model/GoToPosition.h"
#include "viewer/model/MPAUtils.h"
#include "viewer/model/NavigatorActions.h"

namespace {

constexpr std::int64_t kFileSize = 6LL * 1000 * 1000 * 1000;
constexpr std::int64_t kRegionSize = 4 * 1048576;
constexpr int kVisibleRows = 20;

class FakeSurface : public TNavigatorSurface {
public:
    int VisibleRows() const override { return kVisibleRows; }
    int ScrollPosition() const override { return position_; }
    void SetScrollPosition(int position) override { position_ = std::clamp(position, 0, maximum_); }
    int ScrollMaximum() const override { return maximum_; }
    void SetScrollMaximum(int maximum) override { maximum_ = maximum; }
    void ClearSelection() override {}
    void SelectRow(int) override {}
    void Repaint() override {}
    void BeginBusyCursor() override {}
    void EndBusyCursor() override {}

private:
    int position_ = 0;
    int maximum_ = 0;
};

std::vector<std::uint8_t> FrameRegion(int layer) {
    testsupport::MpaFrameSpec frameParams;
    frameParams.layer = layer;
    frameParams.samplingIndex = 0;
    std::mt19937 random(5);
    std::vector<std::uint8_t> region;
    for (int frame = 0; static_cast<std::int64_t>(region.size()) < kRegionSize; ++frame) {
        frameParams.padding = frame % 49 < 40 ? 1 : 0;
        auto bytes = testsupport::MakeFrame(frameParams);
        for (std::size_t i = 4; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(random());
        region.insert(region.end(), bytes.begin(), bytes.end());
    }
    return region;
}

// The 6 GB sparse stream of Layer II frames (or of another layer); made
// once per run.
std::string MakeSparseStream(const testsupport::TempDir& dir, int layer) {
    const std::string name = dir.File("six-gigabytes-" + std::to_string(layer) + ".mpa");
    const int fd = ::open(name.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
    if (fd < 0) throw std::runtime_error("cannot create the stream");
    const auto region = FrameRegion(layer);
    for (const std::int64_t at : {std::int64_t{0}, kFileSize / 2, kFileSize - kRegionSize})
        if (::pwrite(fd, region.data(), region.size(), static_cast<off_t>(at)) != static_cast<ssize_t>(region.size()))
            throw std::runtime_error("cannot write the stream");
    if (::ftruncate(fd, static_cast<off_t>(kFileSize)) != 0) throw std::runtime_error("cannot size the stream");
    ::close(fd);
    return name;
}

const std::string& SparseStream(int layer = testsupport::kMpaLayerII) {
    static testsupport::TempDir dir;
    static std::map<int, std::string> paths;
    auto& path = paths[layer];
    if (path.empty()) path = MakeSparseStream(dir, layer);
    return path;
}

struct Viewer {
    TFrameNavigator navigator;
    FakeSurface surface;
    TNavigatorActions actions{navigator, surface};

    explicit Viewer(int layerCode = testsupport::kMpaLayerII) {
        std::int32_t layer = -1;
        std::int32_t sampling = -1;
        IsMPAES(SparseStream(layerCode), layer, sampling);
        navigator.SetExpectation(layer, sampling);
        navigator.OpenFile(SparseStream(layerCode));
        actions.ShowFromStart();
    }
};

void BM_OpenToFirstPage(benchmark::State& state) {
    for (auto _ : state) {
        Viewer viewer;
        if (viewer.navigator.FramesCount() != kVisibleRows) state.SkipWithError("first page not full");
    }
}
BENCHMARK(BM_OpenToFirstPage)->Unit(benchmark::kMillisecond);

// Keys that move backwards start at the end of the file, the others at its
// start; a move that runs out of frames goes back there.
void BM_Key(benchmark::State& state, TNavigationKey key, int row) {
    Viewer viewer;
    const bool backwards = key == TNavigationKey::Up || key == TNavigationKey::PageUp;
    const TNavigationKey restart = backwards ? TNavigationKey::End : TNavigationKey::Home;
    viewer.actions.ListView1KeyDown(restart, 0);
    for (auto _ : state) {
        const std::int64_t before = viewer.navigator.Frame(0).Offset;
        viewer.actions.ListView1KeyDown(key, row);
        if (key == TNavigationKey::Home) viewer.actions.ListView1KeyDown(TNavigationKey::End, 0);
        else if (viewer.navigator.Frame(0).Offset == before || !viewer.navigator.IsPageFull())
            viewer.actions.ListView1KeyDown(restart, 0);
    }
}
BENCHMARK_CAPTURE(BM_Key, PageUp, TNavigationKey::PageUp, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Key, Up, TNavigationKey::Up, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Key, Down, TNavigationKey::Down, kVisibleRows - 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Key, PageDown, TNavigationKey::PageDown, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Key, HomeThenEnd, TNavigationKey::Home, 0)->Unit(benchmark::kMillisecond);

// A thumb drag to each third of the file: into the middle region, into a
// hole (a full search forward that fails, then one backward), and to the end.
void BM_ThumbJump(benchmark::State& state) {
    Viewer viewer;
    const int maximum = viewer.surface.ScrollMaximum();
    const int targets[] = {maximum / 2, maximum / 4, maximum};
    int next = 0;
    for (auto _ : state) {
        viewer.surface.SetScrollPosition(targets[next++ % 3]);
        viewer.actions.MyScrollMouseDown();
    }
}
BENCHMARK(BM_ThumbJump)->Unit(benchmark::kMillisecond);

// Selecting a frame: reading it and the bytes around it and building its
// detail tree with the audio data, 1 MiB into the start, the middle and the
// end region of the file in turn (Layer III frames reach back into earlier
// frames for their main data).
void BM_SelectFrame(benchmark::State& state, int layer) {
    Viewer viewer(layer);
    std::int64_t offsets[3] = {};
    const std::int64_t regions[] = {0, kFileSize / 2, kFileSize - kRegionSize};
    for (int i = 0; i < 3; ++i)
        if (!viewer.navigator.SearchNextPackPositionFromPos(offsets[i], regions[i] + 1048576))
            state.SkipWithError("no frame found");
    int next = 0;
    for (auto _ : state) {
        const std::int64_t offset = offsets[next++ % 3];
        TMPAFrame frame{};
        TFrameBytes bytes;
        if (!viewer.navigator.ReadFrameAt(offset, frame) || !viewer.navigator.ReadFrameBytes(offset, bytes))
            state.SkipWithError("frame not read");
        benchmark::DoNotOptimize(BuildFrameAnatomy(frame, viewer.navigator.AudioStart(), &bytes));
    }
}
BENCHMARK_CAPTURE(BM_SelectFrame, LayerII, testsupport::kMpaLayerII)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SelectFrame, LayerIII, testsupport::kMpaLayerIII)->Unit(benchmark::kMillisecond);

// Go To, the whole command with its status line: a percentage into the
// middle region, an offset into a hole, a time near the end and the end.
void BM_GoTo(benchmark::State& state) {
    Viewer viewer;
    const char* const targets[] = {"50%", "0x40000000", "1000:00.000", "100%"};
    int next = 0;
    for (auto _ : state) {
        const auto target = ParseGoToText(targets[next++ % 4]);
        const auto pace = MeasureStreamPace(viewer.navigator);
        if (!target || !pace) {
            state.SkipWithError("no target or pace");
            break;
        }
        if (const auto offset = SettledGoToOffset(viewer.navigator, *target, *pace)) {
            viewer.actions.ShowFrameAt(*offset);
            benchmark::DoNotOptimize(FramePositionStatus(*offset, *pace));
        }
    }
}
BENCHMARK(BM_GoTo)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
