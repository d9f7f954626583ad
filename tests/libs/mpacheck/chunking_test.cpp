// The findings and the per-frame facts do not depend on how the stream is
// cut into chunks: sizes 1, 7, 4096 and whole, over damaged and odd streams.

#include <filesystem>

#include "tests/libs/mpacheck/check_driver.h"
#include "tests/support/mpa_builder_dab.h"

namespace {

using namespace checktest;

std::vector<std::string> Lines(const CheckRun& run) {
    std::vector<std::string> lines;
    for (const auto& f : run.findings) {
        lines.push_back(CheckRun::Line(f) + " " + std::to_string(f.expected) + " " + std::to_string(f.actual) + " " +
                        std::to_string(f.length) + " " + f.label + " " + std::to_string(f.time));
    }
    return lines;
}

std::vector<std::string> FrameLines(const CheckRun& run) {
    std::vector<std::string> lines;
    for (const auto& f : run.frames) {
        lines.push_back(std::to_string(f.frame) + " " + std::to_string(f.offset) + " " + std::to_string(f.time) + " " +
                        std::to_string(f.version_code) + " " + std::to_string(f.layer) + " " +
                        std::to_string(f.sampling_rate) + " " + std::to_string(f.bitrate) + " " +
                        std::to_string(f.mode) + " " + std::to_string(f.emphasis) + " " +
                        std::to_string(f.crc_present) + " " + std::to_string(f.padded) + " " +
                        std::to_string(f.length) + " " + std::to_string(f.ancillary_bits) + " " +
                        std::to_string(static_cast<int>(f.scf_crc)));
    }
    return lines;
}

// A lame stream with tags at both ends, junk, a cut frame and a second
// stream; DAB frames with spoilt check words and bytes inside a frame; the conformance streams with free format, a cut start and
// sampling-rate changes.
std::vector<std::pair<std::string, Bytes>> Streams(const testsupport::TempDir& dir) {
    std::vector<std::pair<std::string, Bytes>> streams;
    if (testsupport::HaveProgram("lame")) {
        const Bytes a = testsupport::ReadFileBytes(Encode(dir, "lame", "-V 3 --tt Title --add-id3v2", 44100, "a.mp3"));
        Bytes damaged(a.begin(), a.begin() + static_cast<long>(a.size() / 2));
        const Bytes junk = {0xFF, 0xFB, 0x00, 'T', 'A', 'G', 'I', 'D', '3', 1, 2, 3};
        damaged.insert(damaged.end(), junk.begin(), junk.end());
        damaged.insert(damaged.end(), a.begin() + static_cast<long>(a.size() / 3), a.end());
        streams.emplace_back("lame_damaged", damaged);
    }
    testsupport::DabStreamShape dab;
    dab.frames = 20;
    dab.wrongCheckWords = {3, 4, 17};
    Bytes dab_bytes = testsupport::MakeDabStream(dab).data;
    dab_bytes.insert(dab_bytes.begin() + 384 * 10 + 100, {0xFF, 0xFD, 0x00});  // a cut frame
    streams.emplace_back("dab", dab_bytes);
    const std::filesystem::path root = TAMBERLY_CONFORMANCE_DIR;
    for (const char* name : {"layer3/l3-he_free.bit", "layer3/l3-sin1k0db.bit", "layer3/l3-compl.bit",
                             "nonstandard/l3-nonstandard-he_44_48khz.bit", "layer1/l1-fl1.bit", "layer2/l2-fl16.bit"}) {
        if (std::filesystem::exists(root / name)) streams.emplace_back(name, testsupport::ReadFileBytes(root / name));
    }
    return streams;
}

TEST(ChunkingTest, ChunkSizesGiveIdenticalFindings) {
    const testsupport::TempDir dir;
    const auto streams = Streams(dir);
    ASSERT_FALSE(streams.empty());
    for (const auto& [name, bytes] : streams) {
        const CheckRun whole_run = Check(bytes, bytes.size());
        const auto whole = Lines(whole_run);
        const auto whole_frames = FrameLines(whole_run);
        if (name == "lame_damaged") {
            EXPECT_GE(whole.size(), 5u);
        }
        EXPECT_EQ(whole_run.frames.size(), static_cast<std::size_t>(whole_run.summary.frames)) << name;
        for (const std::size_t chunk : {1, 7, 4096}) {
            const CheckRun run = Check(bytes, chunk);
            EXPECT_EQ(Lines(run), whole) << name << " " << chunk;
            EXPECT_EQ(FrameLines(run), whole_frames) << name << " " << chunk;
        }
    }
}

}  // namespace
