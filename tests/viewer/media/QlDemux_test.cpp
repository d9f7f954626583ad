// The plugin host against fake plugins: which file it loads, how it binds
// the exports, and what its wrappers and questions answer and write.

#include "viewer/media/QlDemux.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/debug_output.h"
#include "tests/fakes/fake_plugin_folder.h"
#include "tests/support/temp_dir.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<std::uint8_t> ReadAll(const std::string& path) { return testsupport::ReadFileBytes(path); }

std::int32_t SendNothing(void*, const void*, std::int32_t) { return 0; }

class QlDemuxHost : public ::testing::Test {
protected:
    fakes::FakePluginFolder plugins;
    platform::DebugLineCapture lines;
};

// ---------------------------------------------------------------- finding the plugin

TEST_F(QlDemuxHost, SecondNamePairLoadsWhenOnlyItIsPresent) {
    plugins.InstallPlugin("demo_ql_demux_mp2", "demo_demux_mp2");
    {
        TQlDemux demux(MPEG2DemuxNames());
        ASSERT_TRUE(demux.LoadQlDemuxLibrary(plugins.Folder()));
        EXPECT_TRUE(plugins.IsLoaded("demo_ql_demux_mp2"));
        EXPECT_FALSE(demux.LoadQlDemuxLibrary(plugins.Folder()));
        EXPECT_THAT(lines.Lines(), ElementsAre("Error in TQlDemux.LoadQlDemuxLibrary - library already loaded.\r\n"));
        EXPECT_TRUE(demux.UnloadQlDemuxLibrary());
        EXPECT_FALSE(plugins.IsLoaded("demo_ql_demux_mp2"));
        EXPECT_TRUE(demux.UnloadQlDemuxLibrary());  // nothing loaded: still true
        // The folder may be given without its trailing separator.
        std::string bare = plugins.Folder();
        bare.pop_back();
        EXPECT_TRUE(demux.LoadQlDemuxLibrary(bare));
    }
    EXPECT_FALSE(plugins.IsLoaded("demo_ql_demux_mp2"));  // destroying unloads
}

TEST_F(QlDemuxHost, FirstNamePairWinsWhenBothArePresent) {
    plugins.InstallPlugin("ql_demux_mp2", "zr_demux_mp2");
    plugins.InstallPlugin("demo_ql_demux_mp2", "demo_demux_mp2");
    TQlDemux demux(MPEG2DemuxNames());
    ASSERT_TRUE(demux.LoadQlDemuxLibrary(plugins.Folder()));
    EXPECT_TRUE(plugins.IsLoaded("ql_demux_mp2"));
    EXPECT_FALSE(plugins.IsLoaded("demo_ql_demux_mp2"));
}

TEST_F(QlDemuxHost, PluginWithoutItsCoreIsNotLoaded) {
    plugins.InstallPlugin("ql_demux_mp2");
    plugins.InstallPlugin("demo_ql_demux_mp2");
    TQlDemux demux(MPEG2DemuxNames());
    EXPECT_FALSE(demux.LoadQlDemuxLibrary(plugins.Folder()));
    EXPECT_THAT(lines.Lines(), IsEmpty());
    EXPECT_FALSE(plugins.IsLoaded("ql_demux_mp2"));
    EXPECT_FALSE(CheckMPEG2Libraries(plugins.Folder()));
    EXPECT_THAT(lines.Lines(), ElementsAre("vld: Error in CheckMPEG2Libraries - cannot load QlDemux library."));

    lines.Clear();
    plugins.InstallPlugin("ql_demux_mp2", "zr_demux_mp2");
    EXPECT_TRUE(CheckMPEG2Libraries(plugins.Folder()));
    EXPECT_THAT(lines.Lines(), IsEmpty());
    EXPECT_FALSE(plugins.IsLoaded("ql_demux_mp2"));  // the check unloads again
}

TEST_F(QlDemuxHost, FileThatIsNoLibraryFailsToLoad) {
    testsupport::TempDir dir;
    dir.Write("demo_ql_demux_mp2.so", {'n', 'o', 't', ' ', 'E', 'L', 'F'});
    dir.Write("demo_demux_mp2.so", {});
    TQlDemux demux(MPEG2DemuxNames());
    EXPECT_FALSE(demux.LoadQlDemuxLibrary(dir.Path().string()));
    EXPECT_THAT(lines.Lines(), ElementsAre("Error in TQlDemux.LoadQlDemuxLibrary - error calling LoadLib().\r\n"));
}

// ---------------------------------------------------------------- exports and wrappers

TEST_F(QlDemuxHost, PluginWithoutAbortDemuxStaysHalfBound) {
    plugins.InstallPlugin("demo_ql_demux_mp2", "demo_demux_mp2", /*withAbort=*/false);
    const std::string movie = plugins.WriteContainer("movie.ts", {"stream 0 0 3", "stream 0 1 131", "chunks 1000 3"});
    TQlDemux demux(MPEG2DemuxNames());
    EXPECT_FALSE(demux.LoadQlDemuxLibrary(plugins.Folder()));
    EXPECT_THAT(lines.Lines(), ElementsAre("Error in TQlDemux.LoadQlDemuxLibrary - FAbortDemuxFunc call...\r\n"));
    EXPECT_TRUE(demux.IsLibraryLoaded());

    lines.Clear();
    ASSERT_TRUE(demux.LoadFile(movie));
    std::int32_t count = 0;
    ASSERT_TRUE(demux.GetStreamsCount(&count));
    EXPECT_EQ(count, 2);
    std::int32_t program = -1, stream = -1, type = -1;
    ASSERT_TRUE(demux.GetStreamMediaType(1, &program, &stream, &type));
    EXPECT_EQ(program, 0);
    EXPECT_EQ(stream, 1);
    EXPECT_EQ(type, 131);
    const std::string out = plugins.File("out.mpa");
    EXPECT_TRUE(demux.DemuxStreamToFile(1, out));
    EXPECT_EQ(ReadAll(out), fakes::ExpectedBytes(0, 3000));
    EXPECT_TRUE(demux.DemuxStreamCallBack(1, SendNothing, nullptr));
    EXPECT_TRUE(demux.UnloadFile());
    EXPECT_THAT(lines.Lines(), IsEmpty());
    EXPECT_FALSE(demux.AbortDemux(1000));
    EXPECT_THAT(lines.Lines(), ElementsAre("Error in TQlDemux.AbortDemux - FAbortDemuxFunc not initialized."));
}

TEST_F(QlDemuxHost, UnboundWrappersAnswerFalseWithTheirLines) {
    TQlDemux demux(MPEG2DemuxNames());
    std::int32_t a = 0, b = 0, c = 0;
    EXPECT_FALSE(demux.LoadFile("x"));
    EXPECT_TRUE(demux.UnloadFile());
    EXPECT_FALSE(demux.GetStreamsCount(&a));
    EXPECT_FALSE(demux.GetStreamMediaType(0, &a, &b, &c));
    EXPECT_FALSE(demux.DemuxStreamToFile(0, "x"));
    EXPECT_FALSE(demux.DemuxStreamCallBack(0, SendNothing, nullptr));
    EXPECT_FALSE(demux.AbortDemux(1000));
    EXPECT_THAT(lines.Lines(),
                ElementsAre("Error in TQlDemux.LoadFile - FLoadFileFunc not initialized.",
                            "Error in TQlDemux.GetStreamsCount - FGetStreamsCountFunc not initialized.",
                            "Error in TQlDemux.GetStreamMediaType - FGetStreamMediaTypeFunc not initialized.",
                            "Error in TQlDemux.DemuxStreamToFile - FDemuxStreamToFileFunc not initialized.",
                            "Error in TQlDemux.DemuxStreamCallBack - FDemuxStreamCallBackFunc not initialized.",
                            "Error in TQlDemux.AbortDemux - FAbortDemuxFunc not initialized."));
}

TEST_F(QlDemuxHost, FailedExportCallsAreReported) {
    plugins.InstallPlugin("demo_ql_demux_mp2", "demo_demux_mp2");
    const std::string notes = plugins.File("notes.txt");
    std::filesystem::copy_file(testsupport::FixturePath("tone_l2_44k_128k.mp2"), notes);
    const std::string movie = plugins.WriteContainer("movie.ts", {"stream 0 0 131"});
    TQlDemux demux(MPEG2DemuxNames());
    ASSERT_TRUE(demux.LoadQlDemuxLibrary(plugins.Folder()));
    EXPECT_FALSE(demux.LoadFile(notes));  // refused: no line
    EXPECT_THAT(lines.Lines(), IsEmpty());
    ASSERT_TRUE(demux.LoadFile(movie));
    std::int32_t a = 0, b = 0, c = 0;
    EXPECT_FALSE(demux.GetStreamMediaType(5, &a, &b, &c));
    EXPECT_THAT(lines.Lines(),
                ElementsAre("Error in TQlDemux.GetStreamMediaType - FGetStreamMediaTypeFunc call..."));
}

// ---------------------------------------------------------------- questions before opening

TEST_F(QlDemuxHost, FirstESMediaTypeIsTrueOnlyForASingleStream) {
    plugins.InstallPlugin("demo_ql_demux_mp2", "demo_demux_mp2");
    const std::string two = plugins.WriteContainer("two.ts", {"stream 0 0 3", "stream 0 1 131"});
    const std::string one = plugins.WriteContainer("one.mpa", {"stream 0 0 132"});
    std::int32_t type = -1;
    EXPECT_FALSE(GetFirstESMediaType(two, type, plugins.Folder()));
    EXPECT_EQ(type, 3);  // what the query stored, even so
    EXPECT_TRUE(GetFirstESMediaType(one, type, plugins.Folder()));
    EXPECT_EQ(type, 132);
    EXPECT_THAT(lines.Lines(), IsEmpty());
    EXPECT_FALSE(plugins.IsLoaded("demo_ql_demux_mp2"));
}

TEST_F(QlDemuxHost, FirstESMediaTypeWithoutThePluginLogsEveryStep) {
    const std::string one = plugins.WriteContainer("one.mpa", {"stream 0 0 132"});
    std::int32_t type = -1;
    EXPECT_FALSE(GetFirstESMediaType(one, type, plugins.Folder()));
    EXPECT_EQ(type, -1);
    EXPECT_THAT(
        lines.Lines(),
        ElementsAre("vld: Error in GetFirstESMediaType - cannot load QlDemux library.",
                    "Error in TQlDemux.LoadFile - FLoadFileFunc not initialized.",
                    "vld: Error in GetFirstESMediaType - cannot load file calling QlDemux.LoadFile.",
                    "Error in TQlDemux.GetStreamsCount - FGetStreamsCountFunc not initialized.",
                    "vld: Error in GetFirstESMediaType - no streams found with QlDemux.GetStreamsCount.",
                    "Error in TQlDemux.GetStreamMediaType - FGetStreamMediaTypeFunc not initialized.",
                    "vld: Error in GetFirstESMediaType - cannot get stream media type with QlDemux.GetStreamMediaType."));
}

}  // namespace
