#include "viewer/media/FileAcceptance.h"

#include <string_view>

#include "abi/media_types.h"
#include "viewer/media/QlDemux.h"

namespace {

struct TContainerProbeText {
    std::string_view probe;
    const char* description;
    bool pluginMayRead;
};

constexpr TContainerProbeText kContainerProbeTexts[] = {
    {"IsQT", "an MP4/QuickTime file", true},
    {"IsTS", "an MPEG-2 transport stream", true},
    {"IsPS", "an MPEG program stream", true},
    {"IsAVIFile", "an AVI file", true},
    {"IsWAVEFile", "a WAVE file", true},
    {"IsDV", "a DV stream", false},
    {"IsMP2V_Ex", "an MPEG video elementary stream", false},
    {"IsVC1", "a VC-1 video elementary stream", false},
    {"IsVC3", "a VC-3 video elementary stream", false},
};

const TContainerProbeText* FindProbeText(std::string_view probe) {
    for (const auto& entry : kContainerProbeTexts)
        if (entry.probe == probe) return &entry;
    return nullptr;
}

bool IsMpegAudioType(std::int32_t mediaType) {
    return mediaType == QL_MEDIA_MPEG1_AUDIO || mediaType == QL_MEDIA_MPEG2_AUDIO;
}

// The MPEG-2 plugin's opinion: true when it lists a single stream that is
// not MPEG audio.
bool MPEG2PluginSeesContainer(const std::string& fileName, const std::string& pluginFolder,
                              std::int32_t& mediaType) {
    if (!CheckMPEG2Libraries(pluginFolder)) return false;
    if (!GetFirstESMediaType(fileName, mediaType, pluginFolder)) return false;
    return !IsMpegAudioType(mediaType);
}

}  // namespace

TFileAcceptance DecideFileAcceptance(const std::string& fileName, const std::string& pluginFolder,
                                     TProbeChainMode mode) {
    TFileAcceptance result;
    result.Probes = RunProbeChain(fileName, mode);
    const TProbeChainResult& probes = result.Probes;
    if (!probes.FileOpened) return result;
    if (!probes.ContainerProbe.empty()) {
        result.Verdict = TFileVerdict::Container;
        result.ContainerProbe = probes.ContainerProbe;
        return result;
    }
    if (!probes.MPAES || !probes.AllLayers) {
        result.Verdict = TFileVerdict::NotMpegAudio;
        return result;
    }
    std::int32_t mediaType = 0;
    if (MPEG2PluginSeesContainer(fileName, pluginFolder, mediaType)) {
        result.Verdict = TFileVerdict::Container;
        result.PluginMediaType = mediaType;
        return result;
    }
    result.Verdict = TFileVerdict::MpegAudio;
    return result;
}

std::string DescribeContainer(const TFileAcceptance& acceptance) {
    if (const auto* entry = FindProbeText(acceptance.ContainerProbe)) return entry->description;
    return "a container read by the MPEG-2 demultiplexer";
}

bool PluginMayReadContainer(const TFileAcceptance& acceptance) {
    if (const auto* entry = FindProbeText(acceptance.ContainerProbe)) return entry->pluginMayRead;
    return acceptance.Verdict == TFileVerdict::Container;
}
