#include "tests/support/plugin_hold.h"

#include <dlfcn.h>

#include <filesystem>
#include <string>

#include "platform/dynamic_library.h"
#include "tests/support/temp_dir.h"

namespace testsupport {

void HoldDemultiplexerPluginsLoaded() {
    static const bool held = [] {
        for (const char* base : {"demo_ql_demux_mp2", "demo_ql_demux_mxf", "demo_ql_demux_mp4", "demo_ql_demux_prores",
                                 "demo_ql_demux_wav", "demo_ql_demux_avi", "demo_ql_demux_asf"}) {
            const std::string path = BinPath(platform::SharedLibraryFileName(base));
            if (std::filesystem::exists(path)) dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        }
        return true;
    }();
    (void)held;
}

}  // namespace testsupport
