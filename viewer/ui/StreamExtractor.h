#pragma once
// Extraction of an MPEG audio stream from a container into a file: the
// demultiplexer plugins behind the extraction dialog. The main window works
// without one (every extraction then fails); TQlDemuxStreamExtractor
// (QlDemuxStreamForm.h) is the one the program uses.

#include <cstdint>
#include <string>

#include "viewer/media/QlDemuxStream.h"

class TStreamExtractor {
public:
    virtual ~TStreamExtractor() = default;
    // Offers the streams of the category found in fileName and extracts the
    // one the user chooses. outputName (the extracted file's full name) and
    // folder are updated; cancelled tells whether the user cancelled. True
    // when the container was opened, also when the user cancelled.
    virtual bool LoadFileForDemux(const std::string& fileName, std::int32_t mediaCategory,
                                  std::string& outputName, std::string& folder, bool& cancelled) = 0;
};
