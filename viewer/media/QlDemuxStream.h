#pragma once
// The media type codes the demultiplexer plugins report, with their names,
// file extensions and categories; the names proposed for extracted streams;
// and the copy of one stream from the threaded reader into a file. No
// window here: the extraction dialog shows and forwards.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TQlDemuxEx;

// The MPEG audio category, the viewer's.
inline constexpr std::int32_t kMediaCategoryMPEGAudio = 1021;
// Size of the transfer buffer between the reader and the output file.
inline constexpr std::int32_t kTransferBufferSize = 10 * 1024 * 1024;

// Program ID, stream ID and media type of one stream.
struct TStreamInfo {
    std::int32_t ProgramID = 0;
    std::int32_t StreamID = 0;
    std::int32_t MediaType = 0;
};

// "Unknown" for a code without a name.
[[nodiscard]] std::string MediaTypeToStr(std::int32_t mediaType);
// With the dot; ".bin" for a code without an extension.
[[nodiscard]] std::string MediaTypeToExt(std::int32_t mediaType);
// Any category outside the table matches nothing.
[[nodiscard]] bool MediaTypeInCategory(std::int32_t category, std::int32_t mediaType);

// saveFolder (ending with a delimiter) + the input's base name + "_" + the
// first sequence number of at least four digits whose file does not exist
// yet + the media type's extension.
[[nodiscard]] std::string MakeOutputFileName(const std::string& saveFolder, const std::string& fileNameIn,
                                             std::int32_t mediaType);

// The folder of a file name, with its trailing delimiter.
[[nodiscard]] std::string FolderOf(const std::string& fileName);

// Called after each block written with the file's size so far; false stops
// the copy.
using TExtractionProgress = std::function<bool(std::int64_t size)>;

// Starts the extraction of stream index on the reader, writes what arrives
// into fileName (created or truncated) through buffer, and stops the reader
// at the end, after a write failure or when progress says so. The bytes
// written.
std::int64_t ExtractStreamToFile(TQlDemuxEx& demux, std::int32_t index, const std::string& fileName,
                                 std::vector<std::uint8_t>& buffer, const TExtractionProgress& progress);
