#pragma once
// What a file holds, as the cores list it: programs of streams, each stream
// with its media type code. Read once when a file is opened; the file is
// closed again afterwards.

#include <optional>
#include <string>
#include <vector>

#include "cores/common/av_input.h"
#include "cores/common/media_types.h"

namespace cores {

struct StreamEntry {
    int index = 0;  // libavformat's stream index
    int id = 0;     // the container's stream id: the PID of a transport stream, the stream id of a program stream
    int id_rank = 0;  // streams before it with the same id (a PID may carry two streams)
    MediaType media_type = kMediaUnknown;
};

struct ProgramEntry {
    std::vector<StreamEntry> streams;
};

struct Catalogue {
    std::string path;
    ContainerFamily family = ContainerFamily::Mpeg;
    const AVInputFormat* format = nullptr;  // the demuxer that read the file
    std::vector<ProgramEntry> programs;     // a file without programs is one program of all its streams
};

// Nothing when the file cannot be opened, is of another family or its
// streams cannot be learnt.
[[nodiscard]] std::optional<Catalogue> ReadCatalogue(const std::string& path, ContainerFamily family);

}  // namespace cores
