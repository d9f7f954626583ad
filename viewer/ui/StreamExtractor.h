#pragma once
// Extraction of an MPEG audio stream from a container into a file: the
// demultiplexer plugins behind the extraction dialog. The main window works
// without one (every extraction then fails); the plugin host provides it.

#include <cstdint>
#include <string>

// Media category of the MPEG audio streams.
inline constexpr std::int32_t kMediaCategoryMPEGAudio = 1021;

class TStreamExtractor {
public:
    virtual ~TStreamExtractor() = default;
    // Offers the streams of the category found in fileName and extracts the
    // one the user chooses. outputName (the extracted file's full name) and
    // folder are updated; cancelled tells whether the user cancelled. True
    // when a stream was extracted.
    virtual bool LoadFileForDemux(const std::string& fileName, std::int32_t mediaCategory,
                                  std::string& outputName, std::string& folder, bool& cancelled) = 0;
};
