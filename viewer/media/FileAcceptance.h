#pragma once
// Whether a file opens as an MPEG audio stream, decided without a window, the
// same way for the viewer and the command line: the content probes (any
// container or video probe rules the file out), the MPEG audio vote and the
// quick MPEG audio sign, then the MPEG-2 demultiplexer's own opinion where
// that plugin is available (a single stream of another type than MPEG audio
// makes the file a container; its absence or a failed query lets the file
// through).

#include <cstdint>
#include <string>

#include "viewer/media/ProbeChain.h"

enum class TFileVerdict {
    Unreadable,      // the probes could not open the file
    MpegAudio,       // opens as an MPEG audio stream
    Container,       // a container or video probe, or the MPEG-2 plugin, recognised it
    NotMpegAudio     // none of the above
};

struct TFileAcceptance {
    TProbeChainResult Probes;
    TFileVerdict Verdict = TFileVerdict::Unreadable;
    // With Verdict Container: the probe that recognised the file ("IsTS", ...),
    // or empty when the MPEG-2 plugin decided, with the media type of its
    // single stream in PluginMediaType.
    std::string ContainerProbe;
    std::int32_t PluginMediaType = 0;

    // The container probes passed, so the vote's layer and sampling index
    // are the expectation a frame search should use.
    [[nodiscard]] bool HasExpectation() const { return Probes.FileOpened && Probes.ContainerProbe.empty(); }
};

// Runs the decision; pluginFolder is where the demultiplexer plugins are
// (empty: the plugin check finds none and lets the file through). RunAll
// runs every probe for reports; the verdict is the same.
[[nodiscard]] TFileAcceptance DecideFileAcceptance(const std::string& fileName, const std::string& pluginFolder,
                                                   TProbeChainMode mode = TProbeChainMode::StopAtFirstRejection);

// A plain description of what a container probe recognises ("an MPEG-2
// transport stream"), and whether a demultiplexer plugin may read such a
// file (so that "tamberly-cli streams" is worth suggesting).
[[nodiscard]] std::string DescribeContainer(const TFileAcceptance& acceptance);
[[nodiscard]] bool PluginMayReadContainer(const TFileAcceptance& acceptance);
