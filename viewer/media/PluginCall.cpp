#include "viewer/media/PluginCall.h"

#include <vector>

#include "viewer/media/QlDemux.h"

void KeepPluginLoadedForGood(std::shared_ptr<TQlDemux> demux) {
    if (!demux) return;
    // Never destroyed, not even at exit: a thread may still run inside one
    // of these plugins while the program's statics go.
    static auto* const mutex = new std::mutex;
    static auto* const kept = new std::vector<std::shared_ptr<TQlDemux>>;
    std::lock_guard lock(*mutex);
    kept->push_back(std::move(demux));
}

bool ReleasePluginWithin(std::chrono::milliseconds bound, std::shared_ptr<TQlDemux> demux) {
    if (!demux) return true;
    if (!demux->IsLibraryLoaded()) return true;  // nothing of the plugin runs: dropped here
    return CallPluginWithin<bool>(bound, [demux = std::move(demux)]() mutable {
               demux.reset();
               return true;
           }).returned;
}
