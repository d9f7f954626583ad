#include "viewer/media/PluginCall.h"

#include <vector>

#include "viewer/media/QlDemux.h"

namespace {

// Never destroyed, not even at exit: a thread may still run inside one of
// these plugins while the program's statics go.
struct TKeptPlugins {
    std::mutex mutex;
    std::vector<std::shared_ptr<TQlDemux>> plugins;
};

TKeptPlugins& KeptPlugins() {
    static auto* const kept = new TKeptPlugins;
    return *kept;
}

}  // namespace

void KeepPluginLoadedForGood(std::shared_ptr<TQlDemux> demux) {
    if (!demux) return;
    TKeptPlugins& kept = KeptPlugins();
    std::lock_guard lock(kept.mutex);
    kept.plugins.push_back(std::move(demux));
}

bool AnyPluginKeptForGood() {
    TKeptPlugins& kept = KeptPlugins();
    std::lock_guard lock(kept.mutex);
    return !kept.plugins.empty();
}

bool ReleasePluginWithin(std::chrono::milliseconds bound, std::shared_ptr<TQlDemux> demux) {
    if (!demux) return true;
    if (!demux->IsLibraryLoaded()) return true;  // nothing of the plugin runs: dropped here
    return CallPluginWithin<bool>(bound, [demux = std::move(demux)]() mutable {
               demux.reset();
               return true;
           }).returned;
}
