// The probes as the viewer calls them: on files and on an open stream, with
// their read bounds, their debug lines and files beyond 4 GiB.

#include "viewer/media/MediaUtils.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

#include <fcntl.h>
#include <unistd.h>

#include "platform/debug_output.h"
#include "tests/support/container_images.h"
#include "tests/support/temp_dir.h"

namespace {

using testsupport::Bytes;
using platform::SharedFile;

constexpr std::int64_t kGiB = std::int64_t{1} << 30;

bool RunIsTS(const std::string& file) {
    std::int32_t packetSize = 0;
    std::int32_t syncOffset = 0;
    return IsTS(file, packetSize, syncOffset);
}

// One probe as the acceptance test sees it: a file name in, a verdict out.
struct Probe {
    std::string name;
    std::function<bool(const std::string&)> onFile;
    std::function<bool(SharedFile&)> onStream;  // empty for the probes that open the file themselves
    std::string failureLine;
    std::size_t readBound = 0;  // stream probes only
};

std::vector<Probe> FileProbes() {
    return {
        {"IsQT", IsQT, {}, "dbg: Error in IsQT call..."},
        {"IsTS", RunIsTS, {}, "dbg: Error in IsTS call..."},
        {"IsPS", IsPS, {}, "dbg: Error in IsPS call..."},
        {"IsAVIFile", IsAVIFile, {}, "dbg: Error in IsAVIFile call..."},
        {"IsWAVEFile", IsWAVEFile, {}, "dbg: Error in IsWAVEFile call..."},
    };
}

Probe StreamProbe(std::string name, bool (*probe)(SharedFile&), std::string line, std::size_t bound) {
    auto onFile = [probe](const std::string& file) {
        SharedFile stream;
        return stream.Open(file) && probe(stream);
    };
    return {std::move(name), onFile, probe, std::move(line), bound};
}

std::vector<Probe> StreamProbes() {
    return {
        StreamProbe("IsDV", IsDV, "dbg: Error in IsDV call...", kDVProbeBytes),
        StreamProbe("IsMP2V_Ex", IsMP2V_Ex, "dbg: Error in IsMP2V_Ex call...", kMP2VProbeBytes),
        StreamProbe("IsVC1", IsVC1, "dbg: Error in IsVC1 call...", kVC1ProbeBytes),
        StreamProbe("IsVC3", IsVC3, "dbg: Error in IsVC1 call...", kVC3ProbeBytes),
        StreamProbe("IsMPA_All_Layers", IsMPA_All_Layers, "dbg: Error in IsMPA_All_Layers call...",
                    kMPAAllLayersProbeBytes),
    };
}

std::vector<Probe> AllProbes() {
    auto probes = FileProbes();
    for (auto& probe : StreamProbes()) probes.push_back(std::move(probe));
    return probes;
}

// Grows a file to size without writing the hole.
void MakeSparse(const std::string& path, std::int64_t size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(size)), 0);
    ::close(fd);
}

void WriteAt(const std::string& path, std::int64_t offset, const Bytes& bytes) {
    SharedFile file;
    ASSERT_TRUE(file.Open(path, SharedFile::Access::ReadWrite));
    ASSERT_TRUE(file.Seek(offset));
    ASSERT_EQ(file.Write(bytes.data(), static_cast<std::int64_t>(bytes.size())),
              static_cast<std::int64_t>(bytes.size()));
}

// ---------------------------------------------------------------- every probe

TEST(Probes, EmptyFileIsNothingAndOnlyTheTransportProbeSaysSo) {
    testsupport::TempDir dir;
    const auto file = dir.Write("empty.bin", {});
    platform::DebugLineCapture capture;
    for (const auto& probe : AllProbes()) EXPECT_FALSE(probe.onFile(file)) << probe.name;
    EXPECT_EQ(capture.Lines(), std::vector<std::string>{"dbg: Error in IsTS call - cannot read file."});
}

TEST(Probes, TextAndNoiseAreNothingAndNoFailure) {
    testsupport::TempDir dir;
    std::string text;
    while (text.size() < 200000) text += "The quick brown fox jumps over the lazy dog, 0123456789.\n";
    std::mt19937 random(20240601);
    Bytes noise(3 * 1024 * 1024);
    for (auto& byte : noise) byte = static_cast<std::uint8_t>(random() % 255);  // no 0xFF: no audio sync
    const std::vector<std::string> files = {dir.Write("text.txt", Bytes(text.begin(), text.end())),
                                            dir.Write("noise.bin", noise)};
    platform::DebugLineCapture capture;
    for (const auto& file : files) {
        for (const auto& probe : AllProbes()) EXPECT_FALSE(probe.onFile(file)) << probe.name << " " << file;
    }
    EXPECT_TRUE(capture.Lines().empty());
}

TEST(Probes, FileThatCannotBeOpenedIsAFailure) {
    testsupport::TempDir dir;
    for (const auto& path : {dir.File("missing.ts"), dir.Path().string()}) {
        for (const auto& probe : FileProbes()) {
            platform::DebugLineCapture capture;
            EXPECT_FALSE(probe.onFile(path)) << probe.name;
            EXPECT_EQ(capture.Lines(), std::vector<std::string>{probe.failureLine}) << probe.name << " " << path;
        }
    }
}

TEST(Probes, ClosedStreamIsAFailure) {
    for (const auto& probe : StreamProbes()) {
        platform::DebugLineCapture capture;
        SharedFile closed;
        EXPECT_FALSE(probe.onStream(closed)) << probe.name;
        EXPECT_EQ(capture.Lines(), std::vector<std::string>{probe.failureLine}) << probe.name;
    }
}

TEST(Probes, FailingReadIsAFailure) {
    // Reading this process's memory image at address 0 fails.
    const std::string unreadable = "/proc/self/mem";
    SharedFile check;
    char byte = 0;
    if (!check.Open(unreadable) || check.Read(&byte, 1) >= 0) GTEST_SKIP() << "no file with failing reads here";
    for (const auto& probe : AllProbes()) {
        platform::DebugLineCapture capture;
        EXPECT_FALSE(probe.onFile(unreadable)) << probe.name;
        EXPECT_EQ(capture.Lines(), std::vector<std::string>{probe.failureLine}) << probe.name;
    }
}

// ---------------------------------------------------------------- stream probes

// An image each stream probe recognises.
Bytes RecognisedImage(const std::string& probe) {
    if (probe == "IsDV") return testsupport::MakeDVStream({testsupport::DVSystem::Lines525Hz60, 2, 12});
    if (probe == "IsMP2V_Ex") return testsupport::MakeMP2VStream({});
    if (probe == "IsVC1") return testsupport::MakeVC1Stream({});
    if (probe == "IsVC3") return testsupport::MakeVC3Stream({});
    Bytes audio;
    for (int i = 0; i < 8; ++i) testsupport::Append(audio, {0xFF, 0xFD, 0x84, 0x00, 0x11, 0x22});
    return audio;
}

TEST(StreamProbes, ReadFromTheStartWhereverTheStreamStandsAndStopAtTheirBound) {
    testsupport::TempDir dir;
    for (const auto& probe : StreamProbes()) {
        const Bytes image = RecognisedImage(probe.name);
        const auto file = dir.Write(probe.name + ".bin", image);
        SharedFile stream;
        ASSERT_TRUE(stream.Open(file));
        ASSERT_TRUE(stream.Seek(static_cast<std::int64_t>(image.size() / 2)));
        EXPECT_TRUE(probe.onStream(stream)) << probe.name;
        EXPECT_EQ(stream.Position(), static_cast<std::int64_t>(std::min(image.size(), probe.readBound))) << probe.name;
    }
}

TEST(StreamProbes, PatternBeyondTheBoundIsNotSeen) {
    testsupport::TempDir dir;
    for (const auto& probe : StreamProbes()) {
        Bytes image(probe.readBound, 0x00);
        testsupport::Append(image, RecognisedImage(probe.name));
        const auto file = dir.Write(probe.name + ".bin", image);
        EXPECT_FALSE(probe.onFile(file)) << probe.name;
    }
}

// ---------------------------------------------------------------- beyond 4 GiB

TEST(LargeFiles, SparseFileBeyondFourGiBIsNothingAndStreamProbesReadOnlyTheirBound) {
    testsupport::TempDir dir;
    const auto file = dir.File("huge.bin");
    MakeSparse(file, 5 * kGiB + 17);
    platform::DebugLineCapture capture;
    for (const auto& probe : FileProbes()) EXPECT_FALSE(probe.onFile(file)) << probe.name;
    for (const auto& probe : StreamProbes()) {
        SharedFile stream;
        ASSERT_TRUE(stream.Open(file));
        ASSERT_TRUE(stream.Seek(4 * kGiB + 3));
        EXPECT_FALSE(probe.onStream(stream)) << probe.name;
        EXPECT_EQ(stream.Position(), static_cast<std::int64_t>(probe.readBound)) << probe.name;
    }
    EXPECT_TRUE(capture.Lines().empty());
}

TEST(LargeFiles, StreamProbesRecogniseTheStartOfAHugeFile) {
    testsupport::TempDir dir;
    for (const auto& probe : StreamProbes()) {
        const auto file = dir.File(probe.name + ".huge");
        MakeSparse(file, 6 * kGiB);
        WriteAt(file, 0, RecognisedImage(probe.name));
        EXPECT_TRUE(probe.onFile(file)) << probe.name;
    }
}

TEST(LargeFiles, BoxWalkCrossesFourGiBWithLargeSizes) {
    testsupport::TempDir dir;
    const auto file = dir.File("large.mp4");
    const std::int64_t moovAt = 5 * kGiB + 8;
    MakeSparse(file, moovAt + 1024);
    WriteAt(file, 0, testsupport::MakeBoxChain({{"ftyp", 0, false, std::nullopt},
                                                {"free", 0, true, static_cast<std::uint64_t>(moovAt - 8)}}));
    EXPECT_FALSE(IsQT(file));  // moov not yet written: zeros from there on
    WriteAt(file, moovAt, testsupport::MakeBoxChain({{"moov", 16, false, std::nullopt}}));
    EXPECT_TRUE(IsQT(file));
}

TEST(LargeFiles, BoxWalkAddsThirtyTwoBitSizesWithoutWrapping) {
    testsupport::TempDir dir;
    const auto file = dir.File("chain.mov");
    const std::uint64_t boxSize = 0xFFFFFFF0u;
    const auto moovAt = static_cast<std::int64_t>(2 * boxSize);
    MakeSparse(file, moovAt + 64);
    WriteAt(file, 0, testsupport::MakeBoxChain({{"free", 0, false, boxSize}}));
    WriteAt(file, static_cast<std::int64_t>(boxSize), testsupport::MakeBoxChain({{"skip", 0, false, boxSize}}));
    WriteAt(file, moovAt, testsupport::MakeBoxChain({{"mdat", 8, false, std::nullopt}}));
    EXPECT_TRUE(IsQT(file));
}

}  // namespace
