// Time per navigation action in the soak test's random walk: keys, wheel
// turns, scroll-bar steps and jumps and resizes over a 6 GB sparse stream
// with runs of frames, junk and truncated frames (made once per run, warm).

#include <benchmark/benchmark.h>

#include <memory>

#include "tests/support/mpa_builder.h"
#include "tests/support/temp_dir.h"
#include "tests/viewer/model/navigation_walk.h"

namespace {

struct Walker {
    testsupport::TempDir dir;
    navtest::SparseJunkStream stream{dir.File("sparse.mp2"), 20261210};
    TFrameNavigator navigator;
    navtest::FakeSurface surface;
    TNavigatorActions actions{navigator, surface};
    navtest::RandomNavigationWalk walk{navigator, actions, surface, 7};

    Walker() {
        navigator.OpenFile(dir.File("sparse.mp2"));
        navigator.SetExpectation(testsupport::kMpaLayerII, 1);
        surface.visibleRows = 40;
        actions.ShowFromStart();
    }
};

void BM_RandomNavigationAction(benchmark::State& state) {
    static const auto walker = std::make_unique<Walker>();
    std::int64_t framesListed = 0;
    for (auto _ : state) {
        walker->walk.Step();
        framesListed += walker->navigator.FramesCount();
    }
    state.counters["frames/page"] =
        benchmark::Counter(static_cast<double>(framesListed), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_RandomNavigationAction)->Unit(benchmark::kMicrosecond)->Iterations(20000);

}  // namespace

BENCHMARK_MAIN();
