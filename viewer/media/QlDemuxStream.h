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

namespace platform {
class AtomicOutputFile;
}

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
// first sequence number of at least four digits whose name is free (a
// dangling link takes a name too) + the media type's extension.
[[nodiscard]] std::string MakeOutputFileName(const std::string& saveFolder, const std::string& fileNameIn,
                                             std::int32_t mediaType);

// The folder of a file name, with its trailing delimiter.
[[nodiscard]] std::string FolderOf(const std::string& fileName);

// Called after each block written with the file's size so far, and about
// every tenth of a second while nothing arrives; false stops the copy.
using TExtractionProgress = std::function<bool(std::int64_t size)>;

enum class TExtractionEnd {
    kCompleted,     // the stream ended and the plugin answered success
    kStopped,       // progress stopped the copy (the user cancelled)
    kWriteFailed,   // the output took fewer bytes than offered
    kPluginFailed,  // the plugin's extraction answered a failure
    kPluginHung,    // the plugin did not stop when asked and was left running
};

struct TExtraction {
    std::int64_t written = 0;
    TExtractionEnd end = TExtractionEnd::kCompleted;
    int error = 0;  // errno of a failed write
    // Completed or stopped by the user: what was written is worth keeping.
    [[nodiscard]] bool Kept() const { return end == TExtractionEnd::kCompleted || end == TExtractionEnd::kStopped; }
};

// Starts the extraction of stream index on the reader, writes what arrives
// to the open descriptor through buffer, and stops the reader at the end,
// after a write failure or when progress says so.
TExtraction ExtractStreamToHandle(TQlDemuxEx& demux, std::int32_t index, int handle,
                                  std::vector<std::uint8_t>& buffer, const TExtractionProgress& progress);

// How an output name came about, which decides what may be replaced when
// the finished file takes it.
enum class TOutputNameKind {
    kProposed,  // numbered by MakeOutputFileName: taken meanwhile -> the next free number
    kPicked,    // named by the user, free when picked: taken meanwhile -> failure
    kReplace,   // an existing regular file the user agreed to replace
};

// Gives the finished temporary file its final name (see TOutputNameKind);
// fileName is updated when a later number was taken. False (the temporary
// file removed) when no name could be taken.
bool CommitExtractedFile(platform::AtomicOutputFile& file, std::string& fileName, TOutputNameKind kind,
                         const std::string& saveFolder, const std::string& fileNameIn, std::int32_t mediaType);

// The whole copy into fileName, replacing an existing regular file only when
// the extraction has been kept: the bytes written, or -1 when the
// extraction failed (nothing is then left under fileName).
std::int64_t ExtractStreamToFile(TQlDemuxEx& demux, std::int32_t index, const std::string& fileName,
                                 std::vector<std::uint8_t>& buffer, const TExtractionProgress& progress);
