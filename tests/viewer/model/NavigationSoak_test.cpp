// A long seeded walk of keys, wheel turns, scroll-bar moves and resizes over
// a 6 GB sparse stream with runs of frames, junk and truncated frames: after
// every action each listed frame starts at a header the stream really has,
// and the offsets grow down the page. A hang shows as the test's time-out.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <random>
#include <set>
#include <string>

#include "tests/support/mpa_builder.h"
#include "tests/support/temp_dir.h"
#include "tests/viewer/model/fake_navigator_surface.h"
#include "viewer/model/FrameNavigator.h"
#include "viewer/model/NavigatorActions.h"

namespace {

using testsupport::Bytes;
using testsupport::MakeFrame;
using testsupport::MpaFrameSpec;

// Most actions rebuild the page, which reads a whole search window (1 MiB)
// of the file: five thousand keep the walk to a few seconds.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int kActions = 1000;  // the sanitizers slow every read
#else
constexpr int kActions = 5000;
#endif
constexpr std::int64_t kStreamSize = 6LL * 1024 * 1024 * 1024;
constexpr int kPlaces = 400;

// The sparse stream, written where the walk's seed says, with the offset of
// every frame header written. Junk never holds 0xFF, so no header hides in it.
class SparseStream {
public:
    SparseStream(const std::string& path, std::uint32_t seed) : fd_(::open(path.c_str(), O_CREAT | O_RDWR | O_TRUNC, 0600)) {
        EXPECT_GE(fd_, 0);
        EXPECT_EQ(::ftruncate(fd_, kStreamSize), 0);
        std::mt19937_64 random(seed);
        for (int place = 0; place < kPlaces; ++place) {
            std::int64_t at = static_cast<std::int64_t>(random() % static_cast<std::uint64_t>(kStreamSize - (1 << 20)));
            if (place == 0) at = 0;
            WritePlace(at, random);
        }
    }
    ~SparseStream() { ::close(fd_); }

    [[nodiscard]] const std::set<std::int64_t>& Headers() const { return headers_; }

private:
    void WritePlace(std::int64_t at, std::mt19937_64& random) {
        switch (random() % 3) {
            case 0: at = WriteFrames(at, 1 + static_cast<int>(random() % 300), random); break;
            case 1: at = WriteJunk(at, 1 + static_cast<int>(random() % 5000), random); break;
            default: break;
        }
        at = WriteFrames(at, 1 + static_cast<int>(random() % 40), random);
        WriteTruncatedFrame(at, random);
    }

    std::int64_t WriteFrames(std::int64_t at, int count, std::mt19937_64& random) {
        for (int i = 0; i < count; ++i) {
            MpaFrameSpec shape;
            shape.bitrateIndex = 1 + static_cast<int>(random() % 14);
            shape.padding = static_cast<int>(random() % 2);
            at = Write(at, MakeFrame(shape), true);
        }
        return at;
    }

    std::int64_t WriteJunk(std::int64_t at, int size, std::mt19937_64& random) {
        Bytes junk(static_cast<std::size_t>(size));
        for (auto& byte : junk) byte = static_cast<std::uint8_t>(random() % 0xFF);
        return Write(at, junk, false);
    }

    void WriteTruncatedFrame(std::int64_t at, std::mt19937_64& random) {
        Bytes frame = MakeFrame(MpaFrameSpec{});
        frame.resize(4 + random() % (frame.size() - 4));
        WriteJunk(Write(at, frame, true), 64, random);
    }

    std::int64_t Write(std::int64_t at, const Bytes& bytes, bool isFrame) {
        EXPECT_EQ(::pwrite(fd_, bytes.data(), bytes.size(), at), static_cast<ssize_t>(bytes.size()));
        if (isFrame) headers_.insert(at);
        return at + static_cast<std::int64_t>(bytes.size());
    }

    int fd_;
    std::set<std::int64_t> headers_;
};

class NavigationSoak : public ::testing::Test {
protected:
    // The action the walk takes next, as the window would forward it.
    void Act(std::mt19937& random) {
        const int row = static_cast<int>(random() % static_cast<unsigned>(navigator.FramesCount() + 1)) - 1;
        switch (random() % 6) {
            case 0: actions.ListView1KeyDown(static_cast<TNavigationKey>(random() % 6), row); break;
            case 1:
                actions.ListView1KeyDown(WheelToNavigationKey(static_cast<int>(random() % 241) - 120, random() % 4 == 0),
                                         row);
                break;
            case 2: ScrollBy(static_cast<int>(random() % 3) - 1); break;
            case 3: ScrollBy((random() % 2 == 0 ? -1 : 1) * TNavigatorActions::kScrollLargeChange); break;
            case 4:
                surface.SetScrollPosition(static_cast<int>(random() % static_cast<unsigned>(surface.maximum + 1)));
                actions.MyScrollMouseDown();
                break;
            default:
                surface.visibleRows = 1 + static_cast<int>(random() % 300);
                actions.FormResize();
                break;
        }
    }

    void ScrollBy(int steps) {
        surface.SetScrollPosition(surface.position + steps);
        actions.MyScrollMouseDown();
    }

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
    const SparseStream stream(path, 20261210);
    ASSERT_TRUE(navigator.OpenFile(path));
    ASSERT_EQ(navigator.FileSize(), kStreamSize);
    navigator.SetExpectation(testsupport::kMpaLayerII, 1);
    surface.visibleRows = 40;
    ASSERT_TRUE(actions.ShowFromStart());
    ASSERT_GT(navigator.FramesCount(), 0);
    std::mt19937 random(7);
    int pagesWithFrames = 0;
    for (int action = 0; action < kActions; ++action) {
        Act(random);
        const std::string fault = PageFault(stream.Headers());
        ASSERT_TRUE(fault.empty()) << fault << " after action " << action;
        ASSERT_EQ(surface.busyDepth, 0) << "busy cursor left on after action " << action;
        if (navigator.FramesCount() > 0) ++pagesWithFrames;
    }
    EXPECT_GT(pagesWithFrames, kActions / 10) << "the walk must see frames, not only empty pages";
}

}  // namespace
