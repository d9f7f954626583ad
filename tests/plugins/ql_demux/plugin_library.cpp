#include "tests/plugins/ql_demux/plugin_library.h"

#include <map>
#include <memory>

#include "tests/support/temp_dir.h"

namespace ql_demux_test {
namespace {

template <class Function>
bool Bind(const platform::DynamicLibrary& library, const char* name, Function& function, std::string& error) {
    function = reinterpret_cast<Function>(library.Symbol(name));
    if (function == nullptr) error = std::string("missing export ") + name;
    return function != nullptr;
}

// The plugin files loaded so far, by path; never unloaded.
platform::DynamicLibrary* Loaded(const std::string& path, std::string& error) {
    static auto* libraries = new std::map<std::string, std::unique_ptr<platform::DynamicLibrary>>;
    auto& library = (*libraries)[path];
    if (!library) library = std::make_unique<platform::DynamicLibrary>();
    if (!library->IsLoaded() && !library->Load(path)) {
        error = library->LastError();
        return nullptr;
    }
    return library.get();
}

}  // namespace

bool PluginLibrary::Load(const std::string& base_name) {
    const std::string path = testsupport::BinPath(platform::SharedLibraryFileName(base_name));
    const platform::DynamicLibrary* library = Loaded(path, error_);
    if (library == nullptr) return false;
    return Bind(*library, "LoadFile", exports_.LoadFile, error_) &&
           Bind(*library, "UnloadFile", exports_.UnloadFile, error_) &&
           Bind(*library, "GetStreamsCount", exports_.GetStreamsCount, error_) &&
           Bind(*library, "GetStreamMediaType", exports_.GetStreamMediaType, error_) &&
           Bind(*library, "DemuxStreamToFile", exports_.DemuxStreamToFile, error_) &&
           Bind(*library, "DemuxStreamCallBack", exports_.DemuxStreamCallBack, error_) &&
           Bind(*library, "AbortDemux", exports_.AbortDemux, error_);
}

}  // namespace ql_demux_test
