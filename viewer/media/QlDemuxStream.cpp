#include "viewer/media/QlDemuxStream.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "platform/atomic_output.h"
#include "platform/debug_output.h"
#include "viewer/media/QlDemuxEx.h"

namespace {

struct TMediaTypeText {
    std::int32_t code;
    const char* name;
    const char* extension;
};

constexpr TMediaTypeText kMediaTypes[] = {
    {2, "MPEG-1 video", ".m1v"},
    {3, "MPEG-2 video", ".m2v"},
    {4, "MPEG-4 video", ".m4v"},
    {5, "H263 video", ".263"},
    {10, "AVC/H.264 video", ".264"},
    {13, "HEVC/H.265 video", ".265"},
    {15, "VC1 video", ".vc1"},
    {20, "DV video", ".dv"},
    {25, "JPEG-2000 video", ".j2k"},
    {30, "VC3 video", ".vc3"},
    {127, "ProRes video", ".prores"},
    {131, "MPEG audio", ".mpa"},
    {132, "MPEG audio", ".mpa"},
    {140, "AAC audio", ".aac"},
    {141, "AAC audio", ".aac"},
    {142, "AAC audio", ".aac"},
    {143, "AAC audio", ".aac"},
    {150, "Dolby Digital audio", ".ac3"},
    {151, "Dolby Digital Plus audio", ".ac3"},
    {160, "Unknown", ".amr"},
    {165, "Unknown", ".wma"},
    {170, "SDDS audio", ".sdds"},
    {172, "DTS audio", ".dts"},
    {201, "PCM audio", ".wav"},
    {202, "DVD LPCM audio", ".lpcm"},
    {203, "HDMV LPCM audio", ".lpcm"},
    {210, "AES 302M audio", ".wav"},
    {212, "AES 382M audio", ".wav"},
    {213, "AES 331M audio", ".wav"},
    {230, "TWOS LPCM audio", ".lpcm"},
    {231, "Qt PCM audio", ".pcm"},
    {280, "DVD Subpicture", ".bin"},
};

const TMediaTypeText* FindMediaType(std::int32_t code) {
    for (const TMediaTypeText& entry : kMediaTypes)
        if (entry.code == code) return &entry;
    return nullptr;
}

bool NameTaken(const std::string& name) { return platform::CheckOutputName(name) != platform::OutputName::kFree; }

// Writes all bytes, resuming after interruptions; false on a short write.
bool WriteAll(int handle, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(handle, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

constexpr int kCommitAttempts = 100;

}  // namespace

std::string MediaTypeToStr(std::int32_t mediaType) {
    const TMediaTypeText* entry = FindMediaType(mediaType);
    return entry != nullptr ? entry->name : "Unknown";
}

std::string MediaTypeToExt(std::int32_t mediaType) {
    const TMediaTypeText* entry = FindMediaType(mediaType);
    return entry != nullptr ? entry->extension : ".bin";
}

bool MediaTypeInCategory(std::int32_t category, std::int32_t mediaType) {
    switch (category) {
        case 1000: return mediaType == 10;
        case 1001: return mediaType == 2 || mediaType == 3 || mediaType == 5;
        case 1002: return mediaType == 4 || mediaType == 40;
        case 1003: return mediaType == 20;
        case 1004: return mediaType == 15;
        case 1005: return mediaType == 30;
        case 1007: return mediaType == 127;
        case 1008: return mediaType == 13;
        case 1009: return mediaType == 25;
        case 1020: return mediaType == 201 || mediaType == 203 || mediaType == 230 || mediaType == 231;
        case 1021: return mediaType == 131 || mediaType == 132;
        case 1022: return mediaType >= 140 && mediaType <= 143;
        case 1023: return mediaType == 150 || mediaType == 151 || mediaType == 172;
        case 1024: return mediaType == 165;
        case 1025: return mediaType == 160;
        default: return false;
    }
}

std::string MakeOutputFileName(const std::string& saveFolder, const std::string& fileNameIn, std::int32_t mediaType) {
    const std::string base = std::filesystem::path(fileNameIn).stem().string();
    const std::string extension = MediaTypeToExt(mediaType);
    for (int n = 0;; ++n) {
        char number[16];
        std::snprintf(number, sizeof number, "_%.4d", n);
        std::string candidate = saveFolder + base + number + extension;
        if (!NameTaken(candidate)) return candidate;
    }
}

std::string FolderOf(const std::string& fileName) {
    const auto slash = fileName.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : fileName.substr(0, slash + 1);
}

TExtraction ExtractStreamToHandle(TQlDemuxEx& demux, std::int32_t index, int handle,
                                  std::vector<std::uint8_t>& buffer, const TExtractionProgress& progress) {
    TExtraction extraction;
    demux.StartDemultiplexingStream(index);
    const auto capacity = static_cast<std::int32_t>(buffer.size());
    for (;;) {
        const std::int32_t n = demux.ReadData(buffer.data(), capacity);
        if (n <= 0) break;
        if (!WriteAll(handle, buffer.data(), static_cast<std::size_t>(n))) {
            extraction.error = errno != 0 ? errno : EIO;
            platform::OutputDebugLine(
                "vld: Error in TQlDemuxStreamForm.btnDemuxAndLoadClick - cannot write demultiplexed data.\r\n");
            extraction.end = TExtractionEnd::kWriteFailed;
            break;
        }
        extraction.written += n;
        if (!progress(extraction.written)) {
            extraction.end = TExtractionEnd::kStopped;
            break;
        }
    }
    demux.StopDemultiplexing();
    if (extraction.end == TExtractionEnd::kCompleted && demux.ExtractionFailed())
        extraction.end = TExtractionEnd::kPluginFailed;
    return extraction;
}

bool CommitExtractedFile(platform::AtomicOutputFile& file, std::string& fileName, TOutputNameKind kind,
                         const std::string& saveFolder, const std::string& fileNameIn, std::int32_t mediaType) {
    if (kind == TOutputNameKind::kReplace) return file.CommitAs(fileName, true) || (file.Discard(), false);
    for (int attempt = 0; attempt < kCommitAttempts; ++attempt) {
        if (file.CommitAs(fileName, false)) return true;
        if (errno != EEXIST || kind != TOutputNameKind::kProposed) break;
        fileName = MakeOutputFileName(saveFolder, fileNameIn, mediaType);
    }
    file.Discard();
    return false;
}

std::int64_t ExtractStreamToFile(TQlDemuxEx& demux, std::int32_t index, const std::string& fileName,
                                 std::vector<std::uint8_t>& buffer, const TExtractionProgress& progress) {
    platform::AtomicOutputFile file;
    if (!file.Create(fileName)) {
        platform::OutputDebugLine("vld: Error in TQlDemuxStreamForm.btnDemuxAndLoadClick call...\r\n");
        return 0;
    }
    const TExtraction extraction = ExtractStreamToHandle(demux, index, file.Handle(), buffer, progress);
    if (!extraction.Kept()) return -1;  // the file goes with its object
    std::string name = fileName;
    return CommitExtractedFile(file, name, TOutputNameKind::kReplace, {}, {}, 0) ? extraction.written : -1;
}
