#pragma once
// A 6 GB sparse stream with runs of frames, junk and truncated frames, and a
// seeded walk of keys, wheel turns, scroll-bar moves and resizes over it, as
// the window would forward them. Shared by the soak test and the benchmark.

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <random>
#include <set>
#include <stdexcept>
#include <string>

#include "tests/support/mpa_builder.h"
#include "tests/viewer/model/fake_navigator_surface.h"
#include "viewer/model/FrameNavigator.h"
#include "viewer/model/NavigatorActions.h"

namespace navtest {

// The sparse stream, written where the seed says, with the offset of every
// frame header written. Junk never holds 0xFF, so no header hides in it.
class SparseJunkStream {
public:
    static constexpr std::int64_t kSize = 6LL * 1024 * 1024 * 1024;
    static constexpr int kPlaces = 400;

    SparseJunkStream(const std::string& path, std::uint32_t seed)
        : fd_(::open(path.c_str(), O_CREAT | O_RDWR | O_TRUNC, 0600)) {
        if (fd_ < 0 || ::ftruncate(fd_, kSize) != 0) throw std::runtime_error("cannot make the sparse stream");
        std::mt19937_64 random(seed);
        for (int place = 0; place < kPlaces; ++place) {
            std::int64_t at = static_cast<std::int64_t>(random() % static_cast<std::uint64_t>(kSize - (1 << 20)));
            if (place == 0) at = 0;
            WritePlace(at, random);
        }
    }
    ~SparseJunkStream() { ::close(fd_); }
    SparseJunkStream(const SparseJunkStream&) = delete;
    SparseJunkStream& operator=(const SparseJunkStream&) = delete;

    [[nodiscard]] const std::set<std::int64_t>& Headers() const { return headers_; }

private:
    using Random = std::mt19937_64;

    void WritePlace(std::int64_t at, Random& random) {
        switch (random() % 3) {
            case 0: at = WriteFrames(at, 1 + static_cast<int>(random() % 300), random); break;
            case 1: at = WriteJunk(at, 1 + static_cast<int>(random() % 5000), random); break;
            default: break;
        }
        at = WriteFrames(at, 1 + static_cast<int>(random() % 40), random);
        WriteTruncatedFrame(at, random);
    }

    std::int64_t WriteFrames(std::int64_t at, int count, Random& random) {
        for (int i = 0; i < count; ++i) {
            testsupport::MpaFrameSpec shape;
            shape.bitrateIndex = 1 + static_cast<int>(random() % 14);
            shape.padding = static_cast<int>(random() % 2);
            at = Write(at, testsupport::MakeFrame(shape), true);
        }
        return at;
    }

    std::int64_t WriteJunk(std::int64_t at, int size, Random& random) {
        testsupport::Bytes junk(static_cast<std::size_t>(size));
        for (auto& byte : junk) byte = static_cast<std::uint8_t>(random() % 0xFF);
        return Write(at, junk, false);
    }

    void WriteTruncatedFrame(std::int64_t at, Random& random) {
        testsupport::Bytes frame = testsupport::MakeFrame(testsupport::MpaFrameSpec{});
        frame.resize(4 + random() % (frame.size() - 4));
        WriteJunk(Write(at, frame, true), 64, random);
    }

    std::int64_t Write(std::int64_t at, const testsupport::Bytes& bytes, bool isFrame) {
        if (::pwrite(fd_, bytes.data(), bytes.size(), at) != static_cast<ssize_t>(bytes.size()))
            throw std::runtime_error("cannot write the sparse stream");
        if (isFrame) headers_.insert(at);
        return at + static_cast<std::int64_t>(bytes.size());
    }

    int fd_;
    std::set<std::int64_t> headers_;
};

// One random action after another, each as the window would forward it, on
// a row picked at random (or none).
class RandomNavigationWalk {
public:
    RandomNavigationWalk(TFrameNavigator& navigator, TNavigatorActions& actions, FakeSurface& surface,
                         std::uint32_t seed)
        : navigator_(navigator), actions_(actions), surface_(surface), random_(seed) {}

    void Step() {
        const int row = static_cast<int>(random_() % static_cast<unsigned>(navigator_.FramesCount() + 1)) - 1;
        switch (random_() % 6) {
            case 0: actions_.ListView1KeyDown(static_cast<TNavigationKey>(random_() % 6), row); break;
            case 1:
                actions_.ListView1KeyDown(
                    WheelToNavigationKey(static_cast<int>(random_() % 241) - 120, random_() % 4 == 0), row);
                break;
            case 2: ScrollBy(static_cast<int>(random_() % 3) - 1); break;
            case 3: ScrollBy((random_() % 2 == 0 ? -1 : 1) * TNavigatorActions::kScrollLargeChange); break;
            case 4:
                surface_.SetScrollPosition(static_cast<int>(random_() % static_cast<unsigned>(surface_.maximum + 1)));
                actions_.MyScrollMouseDown();
                break;
            default:
                surface_.visibleRows = 1 + static_cast<int>(random_() % 300);
                actions_.FormResize();
                break;
        }
    }

private:
    void ScrollBy(int steps) {
        surface_.SetScrollPosition(surface_.position + steps);
        actions_.MyScrollMouseDown();
    }

    TFrameNavigator& navigator_;
    TNavigatorActions& actions_;
    FakeSurface& surface_;
    std::mt19937 random_;
};

}  // namespace navtest
