#include "modules/mpeg_audio_validator/StreamCheck.h"

#include <utility>

#include "abi/QuillonControlInterface.h"
#include "modules/mpeg_audio_validator/CheckerMessages.h"
#include "modules/mpeg_audio_validator/CheckerSwitches.h"
#include "modules/mpeg_audio_validator/EventMessages.h"

namespace mpeg_audio_validation {
namespace {

using mpacheck::finding_kind;

// The same junk must not be reported twice. Beside the walker, its junk
// events (and its layer, rate and mode changes) are kept exactly as they have
// always been, so that Layer I/II reports and what users filter on do not
// change; the checker's findings of the same things are dropped there. Where
// the walker does not run (Layer III, MPEG-2, MPEG-2.5) the checker reports
// them.
bool WalkerReportsToo(finding_kind kind) {
    switch (kind) {
        case finding_kind::junk:
        case finding_kind::sync_lost:
        case finding_kind::layer_change:
        case finding_kind::rate_change:
        case finding_kind::mode_change:
        case finding_kind::no_audio: return true;  // the walker's own error item says it
        default: return false;
    }
}

std::string VersionName(int code) {
    static constexpr const char* kVersions[] = {"MPEG-2.5", "MPEG-?", "MPEG-2", "MPEG-1"};
    return code >= 0 && code < 4 ? kVersions[code] : "MPEG-?";
}

std::string LayerText(int layer) {
    static constexpr const char* kLayers[] = {"?", "I", "II", "III"};
    return std::string("Layer ") + (layer >= 1 && layer <= 3 ? kLayers[layer] : "?");
}

std::string ModeText(int mode) {
    static constexpr const char* kModes[] = {"stereo", "joint stereo", "dual channel", "single channel"};
    return mode >= 0 && mode < 4 ? kModes[mode] : "unknown mode";
}

std::string Kbps(std::int32_t bitsPerSecond) { return std::to_string((bitsPerSecond + 500) / 1000); }

std::string BitrateStatistics(const mpacheck::summary& s) {
    if (s.free_format) return "free format, average " + Kbps(s.average_bitrate) + " kbit/s";
    if (!s.variable_bitrate) return Kbps(s.average_bitrate) + " kbit/s CBR";
    return "VBR " + Kbps(s.min_bitrate) + "-" + Kbps(s.max_bitrate) + " kbit/s, average " + Kbps(s.average_bitrate) +
           " kbit/s";
}

std::string EncoderDelay(const mpacheck::summary& s) {
    if (s.encoder_delay < 0) return {};
    return " Encoder delay " + std::to_string(s.encoder_delay) + " and padding " + std::to_string(s.encoder_padding) +
           " samples.";
}

std::string Tags(const mpacheck::summary& s) {
    if (s.metadata_count == 0) return {};
    std::string text = " Tags:";
    const int kept = s.metadata_count < mpacheck::kMaxMetadataBlocks ? s.metadata_count : mpacheck::kMaxMetadataBlocks;
    for (int i = 0; i < kept; ++i) {
        const mpacheck::metadata_block& block = s.metadata[i];
        text += std::string(i == 0 ? " " : ", ") + block.label + " at " +
                HexOffset(static_cast<std::int64_t>(block.offset)) + " (" + std::to_string(block.size) + " bytes)";
    }
    if (s.metadata_count > kept) text += " and " + std::to_string(s.metadata_count - kept) + " more";
    return text + ".";
}

}  // namespace

StreamCheck::StreamCheck(const EnabledKinds& kinds, bool besideWalker, const CheckerObservers* observers)
    : kinds_(kinds),
      besideWalker_(besideWalker),
      observers_(observers),
      limit_(kinds.keptPerKind),
      checker_(MakeChecker()) {}

mpacheck::checker StreamCheck::MakeChecker() {
    mpacheck::finding_callback keep = [this](const mpacheck::finding& f) { Keep(f); };
    // Without an observer of frames the checker skips working out their facts.
    if (observers_ == nullptr || !observers_->frame) return mpacheck::checker(std::move(keep));
    return mpacheck::checker(std::move(keep), observers_->frame);
}

bool StreamCheck::Reports(finding_kind kind) const {
    if (besideWalker_ && WalkerReportsToo(kind)) return false;
    return kind == finding_kind::no_audio || CheckerKindEnabled(kind, kinds_);
}

void StreamCheck::Keep(const mpacheck::finding& finding) {
    if (observers_ != nullptr && observers_->finding) observers_->finding(finding);
    if (!Reports(finding.kind)) return;
    const std::int32_t kind = KindLimit::kCheckerKindBase + static_cast<std::int32_t>(finding.kind);
    if (!limit_.Admit(kind)) return;
    ValidationItem item = DescribeFinding(finding);
    limit_.Label(kind, item.reportType, std::string(mpacheck::kind_name(finding.kind)) + " findings");
    items_.push_back(std::move(item));
}

std::vector<ValidationItem> StreamCheck::TakeItems() { return std::exchange(items_, {}); }

std::string StreamCheck::FindingCounts() const {
    const mpacheck::summary& s = Summary();
    std::string text;
    for (int k = 0; k < mpacheck::kFindingKindCount; ++k) {
        const auto kind = static_cast<finding_kind>(k);
        if (s.counts[k] == 0 || kind == finding_kind::metadata || !Reports(kind)) continue;
        text += (text.empty() ? " Findings: " : ", ") + std::to_string(s.counts[k]) + " " +
                std::string(mpacheck::kind_name(kind));
    }
    return text.empty() ? text : text + ".";
}

std::string StreamCheck::SummaryAddition() const {
    const mpacheck::summary& s = Summary();
    // The walker reports bitrate changes as events of their own.
    return EncoderDelay(s) + Tags(s) + FindingCounts();
}

ValidationItem StreamCheck::SummaryItem() const {
    const mpacheck::summary& s = Summary();
    return {validation::kReportInfo,
            "Stream: " + VersionName(s.version_code) + " " + LayerText(s.layer) + ", " +
                std::to_string(s.sampling_rate) + " Hz, " + ModeText(s.mode) + ", " + BitrateStatistics(s) +
                ". Frames: " + std::to_string(s.frames) + ", duration " + StreamTime(s.duration) + "." +
                EncoderDelay(s) + Tags(s) + FindingCounts()};
}

}  // namespace mpeg_audio_validation
