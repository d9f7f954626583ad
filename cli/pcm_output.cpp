#include "cli/pcm_output.h"

#include <filesystem>

#include "abi/media_types.h"
#include "platform/atomic_output.h"
#include "viewer/media/QlDemuxEx.h"

namespace cli {

TPcmOutput PcmOutputOf(std::int32_t mediaType) {
    switch (mediaType) {
        case QL_MEDIA_DVD_LPCM_AUDIO:
        case QL_MEDIA_HDMV_LPCM_AUDIO:
        case QL_MEDIA_AES302M_AUDIO: return TPcmOutput::kWave;
        case QL_MEDIA_PCM_AUDIO:
        case QL_MEDIA_AES382M_AUDIO:
        case QL_MEDIA_AES331M_AUDIO:
        case QL_MEDIA_TWOS_LPCM_AUDIO:
        case QL_MEDIA_QT_PCM_AUDIO: return TPcmOutput::kRaw;
        default: return TPcmOutput::kNone;
    }
}

std::int32_t NamingMediaType(std::int32_t mediaType) {
    switch (PcmOutputOf(mediaType)) {
        case TPcmOutput::kWave: return QL_MEDIA_PCM_AUDIO;      // ".wav"
        case TPcmOutput::kRaw: return QL_MEDIA_QT_PCM_AUDIO;    // ".pcm"
        case TPcmOutput::kNone: break;
    }
    return mediaType;
}

TExtraction ExtractThroughPlugin(TQlDemuxEx& demux, std::int32_t index, const platform::AtomicOutputFile& output,
                                 const TExtractionProgress& progress) {
    TExtraction extraction;
    std::error_code error;
    const bool extracted = demux.DemuxStreamToFile(index, output.TemporaryName(), progress);
    const auto size = std::filesystem::file_size(output.TemporaryName(), error);
    if (!extracted || error) {
        extraction.end = demux.PluginHung() ? TExtractionEnd::kPluginHung : TExtractionEnd::kPluginFailed;
        return extraction;
    }
    extraction.written = static_cast<std::int64_t>(size);
    return extraction;
}

std::string PcmOutputNote(TPcmOutput output) {
    switch (output) {
        case TPcmOutput::kWave: return " as a WAVE file";
        case TPcmOutput::kRaw: return " as raw samples, their format unknown (the container's)";
        case TPcmOutput::kNone: break;
    }
    return {};
}

}  // namespace cli
