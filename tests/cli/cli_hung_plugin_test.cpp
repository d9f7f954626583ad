// A demultiplexer plugin that never returns from a call: the command line
// reports it, with its own line, instead of waiting for good. The reader is
// made here with short time-outs; the commands use the same calls.

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>

#include "cli/cli_options.h"
#include "cli/container_streams.h"
#include "cli/pcm_output.h"
#include "platform/atomic_output.h"
#include "tests/fakes/fake_plugin_folder.h"
#include "viewer/media/QlDemuxEx.h"

namespace {

using namespace std::chrono_literals;

constexpr TPluginTimeOuts kShortTimeOuts{1s, 1s, 1s};

class CliBlockedPlugin {
public:
    explicit CliBlockedPlugin(const std::string& blockedExport) {
        plugins.InstallPlugin("demo_ql_demux_mp2", "demo_demux_mp2");
        container = plugins.WriteContainer("blocking.ts", {"stream 0 0 131", "chunks 4096 2", "block " + blockedExport,
                                                           "log " + plugins.File("calls.log")});
    }
    // Lets the plugin out, and waits until it has left the call.
    void Release(const std::string& lineWhenOut) const {
        ASSERT_TRUE(plugins.Release("demo_ql_demux_mp2"));
        EXPECT_TRUE(plugins.WaitForLog(lineWhenOut));
    }
    fakes::FakePluginFolder plugins;
    std::string container;
};

TEST(CliStreams, APluginThatDoesNotAnswerTheLoadIsReported) {
    const CliBlockedPlugin blocked("LoadFile");
    std::vector<TStreamInfo> streams;
    std::ostringstream err;
    {
        TQlDemuxEx demux(blocked.plugins.Folder(), kShortTimeOuts);
        EXPECT_EQ(cli::OpenContainer(blocked.container, demux, streams, err), cli::kExitFailure);
    }
    EXPECT_EQ(err.str(), "tamberly-cli: " + blocked.container +
                             ": the demultiplexer plugin did not answer and was left running\n");
    blocked.Release("LoadFile released");
}

TEST(CliExtract, AFileExtractionThatNeitherWritesNorStopsIsReportedAsHung) {
    const CliBlockedPlugin blocked("DemuxStreamToFile");
    {
        TQlDemuxEx demux(blocked.plugins.Folder(), kShortTimeOuts);
        std::vector<TStreamInfo> streams;
        std::ostringstream err;
        ASSERT_EQ(cli::OpenContainer(blocked.container, demux, streams, err), cli::kExitOk) << err.str();
        platform::AtomicOutputFile output;
        ASSERT_TRUE(output.Create(blocked.plugins.File("out.wav")));
        EXPECT_EQ(cli::ExtractThroughPlugin(demux, 0, output).end, TExtractionEnd::kPluginHung);
    }
    blocked.Release("DemuxStreamToFile ends aborted");
}

}  // namespace
