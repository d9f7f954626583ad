#include "cli/container_streams.h"

#include <dlfcn.h>

#include <algorithm>
#include <ostream>

#include "cli/cli_options.h"
#include "platform/dynamic_library.h"

namespace cli {

// The reader loads and frees the plugins it tries. One reference held until
// the program ends keeps them and the libraries they pull in mapped, so that
// their one-time allocations stay reachable (no leak reports of unknown
// origin from the sanitizers) and a second container needs no reload.
void HoldDemultiplexerPluginsLoaded() {
    static const bool held = [] {
        const std::string folder = platform::ProgramFolder();
        if (folder.empty()) return false;
        for (const char* base : {"demo_ql_demux_mp2", "demo_ql_demux_mxf", "demo_ql_demux_mp4", "demo_ql_demux_prores",
                                 "demo_ql_demux_wav", "demo_ql_demux_avi", "demo_ql_demux_asf"})
            ::dlopen((folder + platform::SharedLibraryFileName(base)).c_str(), RTLD_NOW | RTLD_LOCAL);
        return true;
    }();
    (void)held;
}

namespace {

int ReportHungPlugin(const std::string& fileName, std::ostream& err) {
    err << "tamberly-cli: " << fileName << ": the demultiplexer plugin did not answer and was left running\n";
    return kExitFailure;
}

}  // namespace

int OpenContainer(const std::string& fileName, TQlDemuxEx& demux, std::vector<TStreamInfo>& streams,
                  std::ostream& err) {
    HoldDemultiplexerPluginsLoaded();
    if (!demux.LoadFile(fileName)) {
        if (demux.PluginHung()) return ReportHungPlugin(fileName, err);
        err << "tamberly-cli: " << fileName << ": no demultiplexer plugin reads this file\n";
        return kExitNotAudio;
    }
    std::int32_t count = 0;
    if (!demux.GetStreamsCount(&count)) {
        if (demux.PluginHung()) return ReportHungPlugin(fileName, err);
        err << "tamberly-cli: " << fileName << ": the demultiplexer cannot list its streams\n";
        return kExitFailure;
    }
    streams.assign(static_cast<std::size_t>(std::max(count, 0)), TStreamInfo{});
    for (std::int32_t index = 0; index < count; ++index) {
        TStreamInfo& info = streams[static_cast<std::size_t>(index)];
        if (!demux.GetStreamMediaType(index, &info.ProgramID, &info.StreamID, &info.MediaType)) {
            if (demux.PluginHung()) return ReportHungPlugin(fileName, err);
            err << "tamberly-cli: " << fileName << ": the demultiplexer cannot describe stream " << index << "\n";
            return kExitFailure;
        }
    }
    return kExitOk;
}

}  // namespace cli
