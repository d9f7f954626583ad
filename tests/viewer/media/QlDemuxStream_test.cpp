// Media type names, extensions and categories; the proposed names of
// extracted streams; the copy of a stream from the reader into a file.

#include "viewer/media/QlDemuxStream.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "platform/atomic_output.h"
#include "platform/debug_output.h"
#include "tests/fakes/fake_plugin_folder.h"
#include "tests/support/temp_dir.h"
#include "viewer/media/QlDemuxEx.h"

namespace {

using ::testing::Contains;
using ::testing::ElementsAre;

TEST(MediaTypes, NamesAndExtensions) {
    const std::pair<int, const char*> names[] = {
        {2, "MPEG-1 video"},       {3, "MPEG-2 video"},          {4, "MPEG-4 video"},     {5, "H263 video"},
        {10, "AVC/H.264 video"},   {13, "HEVC/H.265 video"},     {15, "VC1 video"},       {20, "DV video"},
        {25, "JPEG-2000 video"},   {30, "VC3 video"},            {127, "ProRes video"},   {131, "MPEG audio"},
        {132, "MPEG audio"},       {140, "AAC audio"},           {143, "AAC audio"},      {150, "Dolby Digital audio"},
        {151, "Dolby Digital Plus audio"}, {160, "Unknown"},     {170, "SDDS audio"},     {172, "DTS audio"},
        {201, "PCM audio"},        {202, "DVD LPCM audio"},      {203, "HDMV LPCM audio"}, {210, "AES 302M audio"},
        {212, "AES 382M audio"},   {213, "AES 331M audio"},      {230, "TWOS LPCM audio"}, {231, "Qt PCM audio"},
        {280, "DVD Subpicture"},   {0, "Unknown"},               {40, "Unknown"},         {-1, "Unknown"}};
    for (const auto& [code, name] : names) EXPECT_EQ(MediaTypeToStr(code), name) << code;

    const std::pair<int, const char*> extensions[] = {
        {2, ".m1v"},  {3, ".m2v"},   {4, ".m4v"},  {5, ".263"},  {10, ".264"},  {13, ".265"},  {15, ".vc1"},
        {20, ".dv"},  {25, ".j2k"},  {30, ".vc3"}, {127, ".prores"}, {131, ".mpa"}, {132, ".mpa"}, {141, ".aac"},
        {150, ".ac3"}, {151, ".ac3"}, {160, ".amr"}, {165, ".wma"}, {170, ".sdds"}, {172, ".dts"}, {201, ".wav"},
        {202, ".lpcm"}, {203, ".lpcm"}, {210, ".wav"}, {212, ".wav"}, {213, ".wav"}, {230, ".lpcm"}, {231, ".pcm"},
        {280, ".bin"}, {999, ".bin"}};
    for (const auto& [code, extension] : extensions) EXPECT_EQ(MediaTypeToExt(code), extension) << code;
}

TEST(MediaTypes, CategoriesHoldExactlyTheirTypes) {
    const std::pair<int, std::vector<int>> categories[] = {
        {1000, {10}},      {1001, {2, 3, 5}},           {1002, {4, 40}},  {1003, {20}},
        {1004, {15}},      {1005, {30}},                {1007, {127}},    {1008, {13}},
        {1009, {25}},      {1020, {201, 203, 230, 231}}, {1021, {131, 132}}, {1022, {140, 141, 142, 143}},
        {1023, {150, 151, 172}}, {1024, {165}},         {1025, {160}},    {1006, {}}, {1010, {}}, {0, {}}};
    for (const auto& [category, members] : categories) {
        for (int type = -1; type <= 300; ++type) {
            const bool member = std::find(members.begin(), members.end(), type) != members.end();
            EXPECT_EQ(MediaTypeInCategory(category, type), member) << category << " " << type;
        }
    }
}

TEST(OutputFileName, FirstFreeFourDigitNumberAndTheTypesExtension) {
    testsupport::TempDir dir;
    const std::string folder = dir.Path().string() + "/";
    EXPECT_EQ(MakeOutputFileName(folder, "/elsewhere/movie.ts", 131), folder + "movie_0000.mpa");
    EXPECT_EQ(MakeOutputFileName(folder, "/elsewhere/movie.ts", 3), folder + "movie_0000.m2v");
    dir.Write("movie_0000.mpa", {});
    dir.Write("movie_0001.mpa", {});
    dir.Write("movie_0003.mpa", {});
    EXPECT_EQ(MakeOutputFileName(folder, "/elsewhere/movie.ts", 132), folder + "movie_0002.mpa");
    EXPECT_EQ(MakeOutputFileName(folder, "movie.final.mxf", 999), folder + "movie.final_0000.bin");
    EXPECT_EQ(FolderOf(folder + "movie_0002.mpa"), folder);
}

class StreamExtraction : public ::testing::Test {
protected:
    StreamExtraction() { plugins.InstallPlugin("demo_ql_demux_mp2", "demo_demux_mp2"); }
    fakes::FakePluginFolder plugins;
    std::vector<std::uint8_t> buffer = std::vector<std::uint8_t>(kTransferBufferSize);
};

TEST_F(StreamExtraction, CopiesTheWholeStreamAndReportsTheSize) {
    TQlDemuxEx reader(plugins.Folder());
    ASSERT_TRUE(reader.LoadFile(plugins.WriteContainer("movie.ts", {"stream 0 0 131", "chunks 1000000 25"})));
    const std::string out = plugins.File("movie_0000.mpa");
    std::vector<std::int64_t> sizes;
    const auto written = ExtractStreamToFile(reader, 0, out, buffer, [&](std::int64_t size) {
        sizes.push_back(size);
        return true;
    });
    EXPECT_EQ(written, 25000000);
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(sizes.back(), 25000000);
    EXPECT_TRUE(std::is_sorted(sizes.begin(), sizes.end()));
    EXPECT_TRUE(testsupport::ReadFileBytes(out) == fakes::ExpectedBytes(0, 25000000));
}

TEST_F(StreamExtraction, ProgressCanStopTheCopyAndTheReaderIsIdleAfter) {
    TQlDemuxEx reader(plugins.Folder());
    ASSERT_TRUE(reader.LoadFile(plugins.WriteContainer("movie.ts", {"stream 0 0 131", "chunks 65536 100000 1"})));
    const std::string out = plugins.File("part.mpa");
    const auto written = ExtractStreamToFile(reader, 0, out, buffer, [](std::int64_t size) { return size < 300000; });
    EXPECT_GE(written, 300000);
    EXPECT_LT(written, 65536LL * 100000);
    const auto bytes = testsupport::ReadFileBytes(out);
    EXPECT_EQ(static_cast<std::int64_t>(bytes.size()), written);
    EXPECT_TRUE(bytes == fakes::ExpectedBytes(0, written));
    EXPECT_TRUE(reader.StopDemultiplexing());
}

TEST_F(StreamExtraction, UnwritableOutputIsReported) {
    platform::DebugLineCapture lines;
    TQlDemuxEx reader(plugins.Folder());
    ASSERT_TRUE(reader.LoadFile(plugins.WriteContainer("movie.ts", {"stream 0 0 131", "chunks 1000 3"})));
    const auto written = ExtractStreamToFile(reader, 0, plugins.File("no/such/folder/x.mpa"), buffer,
                                             [](std::int64_t) { return true; });
    EXPECT_EQ(written, 0);
    EXPECT_THAT(lines.Lines(), Contains("vld: Error in TQlDemuxStreamForm.btnDemuxAndLoadClick call...\r\n"));
}

TEST_F(StreamExtraction, APluginFailureHalfWayIsAFailureAndLeavesNoFile) {
    TQlDemuxEx reader(plugins.Folder());
    ASSERT_TRUE(reader.LoadFile(plugins.WriteContainer("movie.ts", {"stream 0 0 131", "chunks 1000 10", "fail 6"})));
    platform::AtomicOutputFile file;
    ASSERT_TRUE(file.Create(plugins.File("handle.mpa")));
    const TExtraction failed = ExtractStreamToHandle(reader, 0, file.Handle(), buffer, [](std::int64_t) { return true; });
    EXPECT_EQ(failed.end, TExtractionEnd::kPluginFailed);
    EXPECT_EQ(failed.written, 6000);
    EXPECT_FALSE(failed.Kept());

    const std::string out = plugins.File("movie_0000.mpa");
    EXPECT_EQ(ExtractStreamToFile(reader, 0, out, buffer, [](std::int64_t) { return true; }), -1);
    EXPECT_FALSE(std::filesystem::exists(out));
    // The reader is usable again and a complete extraction counts as one.
    ASSERT_TRUE(reader.LoadFile(plugins.WriteContainer("whole.ts", {"stream 0 0 131", "chunks 1000 10"})));
    EXPECT_EQ(ExtractStreamToFile(reader, 0, out, buffer, [](std::int64_t) { return true; }), 10000);
    EXPECT_FALSE(reader.ExtractionFailed());
}

TEST(OutputNames, LinksTakeANumberAndAFinishedFileStepsOverNamesTakenMeanwhile) {
    testsupport::TempDir dir;
    const std::string folder = dir.Path().string() + "/";
    std::filesystem::create_symlink(dir.File("nowhere"), dir.File("movie_0000.mpa"));
    EXPECT_EQ(MakeOutputFileName(folder, "movie.ts", 131), folder + "movie_0001.mpa");

    struct Case {
        TOutputNameKind kind;
        bool committed;
        const char* finalName;
    };
    for (const Case& c : {Case{TOutputNameKind::kProposed, true, "movie_0002.mpa"},
                          Case{TOutputNameKind::kPicked, false, "movie_0001.mpa"},
                          Case{TOutputNameKind::kReplace, false, "movie_0001.mpa"}}) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        std::string name = MakeOutputFileName(folder, "movie.ts", 131);
        platform::AtomicOutputFile file;
        ASSERT_TRUE(file.Create(name));
        std::filesystem::create_symlink(dir.File("elsewhere"), name);  // planted meanwhile
        EXPECT_EQ(CommitExtractedFile(file, name, c.kind, folder, "movie.ts", 131), c.committed);
        EXPECT_EQ(name, folder + c.finalName);
        EXPECT_TRUE(std::filesystem::is_symlink(folder + "movie_0001.mpa"));
        EXPECT_FALSE(std::filesystem::exists(dir.File("elsewhere")));
        std::filesystem::remove(folder + "movie_0001.mpa");
        std::filesystem::remove(folder + "movie_0002.mpa");
    }
}

}  // namespace
