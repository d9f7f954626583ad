// A long seeded walk of keys, wheel turns, scroll-bar moves and resizes over
// a 6 GB sparse stream with runs of frames, junk and truncated frames: after
// every action each listed frame starts at a header the stream really has,
// and the offsets grow down the page. A hang shows as the test's time-out.

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>

#include "tests/support/mpa_builder.h"
#include "tests/support/temp_dir.h"
#include "tests/viewer/model/fake_navigator_surface.h"
#include "tests/viewer/model/navigation_walk.h"
#include "viewer/model/FrameNavigator.h"
#include "viewer/model/NavigatorActions.h"

namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int kActions = 10000;  // the sanitizers slow every scan of the bytes read
#else
constexpr int kActions = 100000;
#endif

class NavigationSoak : public ::testing::Test {
protected:
    // Empty when the page is sound; otherwise what is wrong with it.
    std::string PageFault(const std::set<std::int64_t>& headers) const {
        std::int64_t previous = -1;
        for (int i = 0; i < navigator.FramesCount(); ++i) {
            const std::int64_t offset = navigator.Frame(i).Offset;
            if (offset <= previous) return "offsets do not grow at row " + std::to_string(i);
            if (headers.count(offset) == 0) return "row " + std::to_string(i) + " lists no header written";
            previous = offset;
        }
        return {};
    }

    testsupport::TempDir dir;
    TFrameNavigator navigator;
    navtest::FakeSurface surface;
    TNavigatorActions actions{navigator, surface};
};

TEST_F(NavigationSoak, EveryPageListsRealHeadersInOrder) {
    const std::string path = dir.File("sparse.mp2");
    const navtest::SparseJunkStream stream(path, 20261210);
    ASSERT_TRUE(navigator.OpenFile(path));
    ASSERT_EQ(navigator.FileSize(), navtest::SparseJunkStream::kSize);
    navigator.SetExpectation(testsupport::kMpaLayerII, 1);
    surface.visibleRows = 40;
    ASSERT_TRUE(actions.ShowFromStart());
    ASSERT_GT(navigator.FramesCount(), 0);
    navtest::RandomNavigationWalk walk(navigator, actions, surface, 7);
    int pagesWithFrames = 0;
    for (int action = 0; action < kActions; ++action) {
        walk.Step();
        const std::string fault = PageFault(stream.Headers());
        ASSERT_TRUE(fault.empty()) << fault << " after action " << action;
        ASSERT_EQ(surface.busyDepth, 0) << "busy cursor left on after action " << action;
        if (navigator.FramesCount() > 0) ++pagesWithFrames;
    }
    EXPECT_GT(pagesWithFrames, kActions / 10) << "the walk must see frames, not only empty pages";
}

}  // namespace
