#pragma once
// A demultiplexer plugin loaded from the build's bin folder the way the
// viewer loads it: by file name, with its seven exports bound by name. Each
// plugin file is loaded once and stays loaded until the test program ends,
// as in the viewer, where a plugin's core libraries are never unloaded
// mid-run either; unloading them would hide what they keep from the leak
// checker's view.

#include <string>

#include "platform/dynamic_library.h"
#include "abi/ql_demux_api.h"

namespace ql_demux_test {

struct PluginExports {
    ql_demux_load_file_fn LoadFile = nullptr;
    ql_demux_unload_file_fn UnloadFile = nullptr;
    ql_demux_get_streams_count_fn GetStreamsCount = nullptr;
    ql_demux_get_stream_media_type_fn GetStreamMediaType = nullptr;
    ql_demux_stream_to_file_fn DemuxStreamToFile = nullptr;
    ql_demux_stream_callback_fn DemuxStreamCallBack = nullptr;
    ql_demux_abort_fn AbortDemux = nullptr;
};

class PluginLibrary {
public:
    // Loads bin/<base name><suffix> and binds every export; false (with the
    // reason in Error()) when the file does not load or an export is missing.
    bool Load(const std::string& base_name);
    [[nodiscard]] const PluginExports& Exports() const { return exports_; }
    [[nodiscard]] const std::string& Error() const { return error_; }

private:
    PluginExports exports_;
    std::string error_;
};

}  // namespace ql_demux_test
