#include "viewer/media/ProbeChain.h"

#include <functional>

#include "platform/shared_file.h"
#include "viewer/media/MediaUtils.h"
#include "viewer/model/MPAUtils.h"

namespace {

using ContainerProbe = std::function<bool(const std::string&, platform::SharedFile&)>;

const ContainerProbe kContainerProbes[] = {
    [](const std::string& name, platform::SharedFile&) { return IsQT(name); },
    [](const std::string& name, platform::SharedFile&) {
        std::int32_t packetSize = 0;
        std::int32_t syncOffset = 0;
        return IsTS(name, packetSize, syncOffset);
    },
    [](const std::string& name, platform::SharedFile&) { return IsPS(name); },
    [](const std::string& name, platform::SharedFile&) { return IsAVIFile(name); },
    [](const std::string& name, platform::SharedFile&) { return IsWAVEFile(name); },
    [](const std::string&, platform::SharedFile& stream) { return IsDV(stream); },
    [](const std::string&, platform::SharedFile& stream) { return IsMP2V_Ex(stream); },
    [](const std::string&, platform::SharedFile& stream) { return IsVC1(stream); },
    [](const std::string&, platform::SharedFile& stream) { return IsVC3(stream); },
};

static_assert(std::size(kContainerProbes) == std::size(kContainerProbeOrder));

}  // namespace

TProbeChainResult RunProbeChain(const std::string& fileName, TProbeChainMode mode) {
    TProbeChainResult result;
    platform::SharedFile stream;
    result.FileOpened = stream.Open(fileName, platform::SharedFile::Access::Read);
    if (!result.FileOpened) return result;
    const bool stopEarly = mode == TProbeChainMode::StopAtFirstRejection;

    for (std::size_t i = 0; i < std::size(kContainerProbes); ++i) {
        if (!kContainerProbes[i](fileName, stream)) continue;
        result.RecognisedBy.emplace_back(kContainerProbeOrder[i]);
        if (result.ContainerProbe.empty()) result.ContainerProbe = kContainerProbeOrder[i];
        if (stopEarly) return result;
    }
    result.MPAES = IsMPAES(fileName, result.Layer, result.SamplingIndex, result.Version);
    if (stopEarly && !result.MPAES) return result;
    result.AllLayers = IsMPA_All_Layers(stream);
    return result;
}
