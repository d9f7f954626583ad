#include "viewer/media/QlDemuxStream.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "abi/media_types.h"
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
    {QL_MEDIA_MPEG1_VIDEO, "MPEG-1 video", ".m1v"},
    {QL_MEDIA_MPEG2_VIDEO, "MPEG-2 video", ".m2v"},
    {QL_MEDIA_MPEG4_VIDEO, "MPEG-4 video", ".m4v"},
    {QL_MEDIA_H263_VIDEO, "H263 video", ".263"},
    {QL_MEDIA_AVC_VIDEO, "AVC/H.264 video", ".264"},
    {QL_MEDIA_HEVC_VIDEO, "HEVC/H.265 video", ".265"},
    {QL_MEDIA_VC1_VIDEO, "VC1 video", ".vc1"},
    {QL_MEDIA_DV_VIDEO, "DV video", ".dv"},
    {QL_MEDIA_JPEG2000_VIDEO, "JPEG-2000 video", ".j2k"},
    {QL_MEDIA_VC3_VIDEO, "VC3 video", ".vc3"},
    {QL_MEDIA_PRORES_VIDEO, "ProRes video", ".prores"},
    {QL_MEDIA_MPEG1_AUDIO, "MPEG audio", ".mpa"},
    {QL_MEDIA_MPEG2_AUDIO, "MPEG audio", ".mpa"},
    {QL_MEDIA_AAC_AUDIO, "AAC audio", ".aac"},
    {QL_MEDIA_AAC_LATM_AUDIO, "AAC audio", ".aac"},
    {QL_MEDIA_AAC_AUDIO_142, "AAC audio", ".aac"},
    {QL_MEDIA_AAC_AUDIO_143, "AAC audio", ".aac"},
    {QL_MEDIA_AC3_AUDIO, "Dolby Digital audio", ".ac3"},
    {QL_MEDIA_EAC3_AUDIO, "Dolby Digital Plus audio", ".ac3"},
    {QL_MEDIA_AMR_AUDIO, "Unknown", ".amr"},
    {QL_MEDIA_WMA_AUDIO, "Unknown", ".wma"},
    {QL_MEDIA_SDDS_AUDIO, "SDDS audio", ".sdds"},
    {QL_MEDIA_DTS_AUDIO, "DTS audio", ".dts"},
    {QL_MEDIA_PCM_AUDIO, "PCM audio", ".wav"},
    {QL_MEDIA_DVD_LPCM_AUDIO, "DVD LPCM audio", ".lpcm"},
    {QL_MEDIA_HDMV_LPCM_AUDIO, "HDMV LPCM audio", ".lpcm"},
    {QL_MEDIA_AES302M_AUDIO, "AES 302M audio", ".wav"},
    {QL_MEDIA_AES382M_AUDIO, "AES 382M audio", ".wav"},
    {QL_MEDIA_AES331M_AUDIO, "AES 331M audio", ".wav"},
    {QL_MEDIA_TWOS_LPCM_AUDIO, "TWOS LPCM audio", ".lpcm"},
    {QL_MEDIA_QT_PCM_AUDIO, "Qt PCM audio", ".pcm"},
    {QL_MEDIA_DVD_SUBPICTURE, "DVD Subpicture", ".bin"},
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
// The longest wait for data before progress is asked again (Cancel).
constexpr std::chrono::milliseconds kProgressPause{100};

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
        case 1000: return mediaType == QL_MEDIA_AVC_VIDEO;
        case 1001:
            return mediaType == QL_MEDIA_MPEG1_VIDEO || mediaType == QL_MEDIA_MPEG2_VIDEO ||
                   mediaType == QL_MEDIA_H263_VIDEO;
        case 1002: return mediaType == QL_MEDIA_MPEG4_VIDEO || mediaType == 40;
        case 1003: return mediaType == QL_MEDIA_DV_VIDEO;
        case 1004: return mediaType == QL_MEDIA_VC1_VIDEO;
        case 1005: return mediaType == QL_MEDIA_VC3_VIDEO;
        case 1007: return mediaType == QL_MEDIA_PRORES_VIDEO;
        case 1008: return mediaType == QL_MEDIA_HEVC_VIDEO;
        case 1009: return mediaType == QL_MEDIA_JPEG2000_VIDEO;
        case 1020:
            return mediaType == QL_MEDIA_PCM_AUDIO || mediaType == QL_MEDIA_HDMV_LPCM_AUDIO ||
                   mediaType == QL_MEDIA_TWOS_LPCM_AUDIO || mediaType == QL_MEDIA_QT_PCM_AUDIO;
        case 1021: return mediaType == QL_MEDIA_MPEG1_AUDIO || mediaType == QL_MEDIA_MPEG2_AUDIO;
        case 1022: return mediaType >= QL_MEDIA_AAC_AUDIO && mediaType <= QL_MEDIA_AAC_AUDIO_143;
        case 1023:
            return mediaType == QL_MEDIA_AC3_AUDIO || mediaType == QL_MEDIA_EAC3_AUDIO ||
                   mediaType == QL_MEDIA_DTS_AUDIO;
        case 1024: return mediaType == QL_MEDIA_WMA_AUDIO;
        case 1025: return mediaType == QL_MEDIA_AMR_AUDIO;
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
        const std::int32_t n = demux.ReadDataFor(buffer.data(), capacity, kProgressPause);
        if (n == TQlDemuxEx::kNoDataYet) {
            if (progress(extraction.written)) continue;
            extraction.end = TExtractionEnd::kStopped;
            break;
        }
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
    if (demux.PluginHung()) {
        extraction.end = TExtractionEnd::kPluginHung;
        return extraction;
    }
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
