#include "viewer/validation/ValidationCatalogue.h"

#include <algorithm>
#include <cctype>

namespace validation {
namespace {

struct CatalogueEntry {
    std::uint32_t type;
    const char* displayName;
    const char* fileName;
};

// Only the MPEG audio row is ever loaded by this program; the others name the
// modules of other media formats that a complete installation may carry.
constexpr CatalogueEntry kCatalogue[] = {
    {0x1, "MPEG-2 Transport Stream Validator", "TransportStreamValidator.qll"},
    {0x2, "MPEG-2 Program Stream Validator", "ProgramStreamValidator.qll"},
    {0x4, "MPEG-2 Video Validator", "MPEG2VideoValidator.qll"},
    {0x8, "MPEG-4 Container Validator", "MP4ContainerValidator.qll"},
    {0x10, "QuickTime Container Validator", "QuickTimeValidator.qll"},
    {0x20, "MXF Container Validator", "MXFContainerValidator.qll"},
    {0x40, "AVI Container Validator", "AVIContainerValidator.qll"},
    {0x80, "WAVE File Validator", "WAVEFileValidator.qll"},
    {0x100, "H.264 Video Validator", "H264VideoValidator.qll"},
    {0x200, "HEVC Video Validator", "HEVCVideoValidator.qll"},
    {0x400, "VC-1 Video Validator", "VC1VideoValidator.qll"},
    {0x800, "VC-3 Video Validator", "VC3VideoValidator.qll"},
    {0x1000, "DV Video Validator", "DVVideoValidator.qll"},
    {0x2000, "MPEG-4 Visual Validator", "MPEG4VisualValidator.qll"},
    {0x4000, "AC-3 Audio Validator", "AC3AudioValidator.qll"},
    {0x8000, "E-AC-3 Audio Validator", "EAC3AudioValidator.qll"},
    {0x10000, "AAC Audio Validator", "AACAudioValidator.qll"},
    {0x20000, "DTS Audio Validator", "DTSAudioValidator.qll"},
    {0x40000, "MPEG Audio Validator", "MPEGAudioValidator.qll"},
    {0x80000, "LPCM Audio Validator", "LPCMAudioValidator.qll"},
    {0x100000, "Dolby E Audio Validator", "DolbyEAudioValidator.qll"},
    {0x200000, "Closed Caption Validator", "ClosedCaptionValidator.qll"},
    {0x400000, "Teletext Validator", "TeletextValidator.qll"},
    {0x800000, "Subtitle Validator", "SubtitleValidator.qll"},
    {0x1000000, "Timecode Validator", "TimecodeValidator.qll"},
    {0x40000000, "Loudness Validator", "LoudnessValidator.qll"},
};

constexpr const char* kFamilyName = "Quillon";
constexpr const char* kUnknown = "Unknown";

const CatalogueEntry* FindEntry(std::uint32_t moduleType) {
    for (const CatalogueEntry& entry : kCatalogue)
        if (entry.type == moduleType) return &entry;
    return nullptr;
}

std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

std::string ModuleDisplayName(std::uint32_t moduleType) {
    if (moduleType == 0) return kFamilyName;
    const CatalogueEntry* entry = FindEntry(moduleType);
    return entry ? entry->displayName : kUnknown;
}

std::string ModuleFileName(std::uint32_t moduleType) {
    if (moduleType == 0) return {};
    const CatalogueEntry* entry = FindEntry(moduleType);
    return entry ? entry->fileName : kUnknown;
}

std::uint32_t ModuleTypeByName(std::string_view displayName) {
    const std::string_view name = Trimmed(displayName);
    for (int bit = 0; bit < 32; ++bit) {
        const std::uint32_t type = 1u << bit;
        const CatalogueEntry* entry = FindEntry(type);
        if (entry && EqualsIgnoringCase(name, entry->displayName)) return type;
    }
    return 0;
}

std::string ReportTypeName(std::int32_t reportType) {
    switch (reportType) {
        case kReportNone: return "None";
        case kReportInfo: return "Info";
        case kReportWarning: return "Warning";
        case kReportError: return "Error";
        default: return kUnknown;
    }
}

std::string StreamIdText(std::int32_t streamId) { return streamId < 0 ? std::string() : std::to_string(streamId); }

}  // namespace validation
