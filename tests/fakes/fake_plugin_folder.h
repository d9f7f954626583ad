#pragma once
// A temporary folder that plays the program's folder for the plugin host:
// copies of the fake plugin under plugin file names, core files beside
// them, and scripted containers (see fake_ql_demux.cpp for the script).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/temp_dir.h"

namespace fakes {

class FakePluginFolder {
public:
    // The folder, with a trailing separator.
    [[nodiscard]] std::string Folder() const;
    [[nodiscard]] std::string File(std::string_view name) const { return dir_.File(name); }

    // Copies the fake plugin in as pluginBase + suffix; with a non-empty
    // coreBase, an (empty) core file sits beside it.
    void InstallPlugin(std::string_view pluginBase, std::string_view coreBase = {}, bool withAbort = true) const;
    // Writes a container script: "FAKEDEMUX" and the lines given.
    std::string WriteContainer(std::string_view name, const std::vector<std::string>& lines) const;
    // Whether the process has this plugin copy loaded right now.
    [[nodiscard]] bool IsLoaded(std::string_view pluginBase) const;
    // Lets the calls a loaded plugin copy holds ("block") go on; false when
    // that copy is not loaded.
    bool Release(std::string_view pluginBase) const;
    // The lines the plugins appended to a log file named in a script.
    [[nodiscard]] std::vector<std::string> LogLines(std::string_view name) const;
    // Waits, at most ten seconds, until a plugin thread the test cannot join
    // has appended a line containing text to the log "calls.log".
    [[nodiscard]] bool WaitForLog(std::string_view text) const;

private:
    testsupport::TempDir dir_;
};

// The fake stream bytes from offset on: a counter modulo 251.
[[nodiscard]] std::vector<std::uint8_t> ExpectedBytes(std::int64_t offset, std::int64_t size);

}  // namespace fakes
