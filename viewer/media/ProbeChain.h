#pragma once
// The content side of the viewer's acceptance test, without a window: the
// container and video probes in their fixed order, then the MPEG audio vote
// and the quick MPEG audio sign. FileAcceptance adds the demultiplexer check.

#include <cstdint>
#include <string>
#include <vector>

#include "viewer/model/MPAUtils.h"

struct TProbeChainResult {
    bool FileOpened = false;         // the stream probes could open the file
    std::string ContainerProbe;      // first probe that recognised the file ("IsTS", ...); empty if none
    std::vector<std::string> RecognisedBy;  // every container probe that answered true (all of them only in RunAll)
    bool MPAES = false;              // IsMPAES decided the version, layer and sampling index
    std::int32_t Layer = -1;         // IsMPAES layer code, -1 when undecided
    std::int32_t SamplingIndex = -1; // IsMPAES sampling index, -1 when undecided
    std::int32_t Version = -1;       // IsMPAES version code (kMPEG1, ...), -1 when undecided
    bool AllLayers = false;          // IsMPA_All_Layers

    // The version a frame search expects: the vote's, or MPEG-1 when it
    // decided none.
    [[nodiscard]] std::int32_t ExpectedVersion() const { return Version < 0 ? kMPEG1 : Version; }

    // The file passes the content tests as an MPEG audio stream.
    [[nodiscard]] bool IsAudioStream() const {
        return FileOpened && ContainerProbe.empty() && MPAES && AllLayers;
    }
};

enum class TProbeChainMode {
    StopAtFirstRejection,  // as the viewer runs it: stop at the first probe that rules the file out
    RunAll                 // every probe, for reports
};

// Names of the container and video probes, in the order they run.
inline constexpr const char* kContainerProbeOrder[] = {
    "IsQT", "IsTS", "IsPS", "IsAVIFile", "IsWAVEFile", "IsDV", "IsMP2V_Ex", "IsVC1", "IsVC3"};

TProbeChainResult RunProbeChain(const std::string& fileName,
                                TProbeChainMode mode = TProbeChainMode::StopAtFirstRejection);
