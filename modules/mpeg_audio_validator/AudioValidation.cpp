#include "modules/mpeg_audio_validator/AudioValidation.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "libs/mpacheck/tags.h"
#include "modules/mpeg_audio_validator/EventMessages.h"
#include "modules/mpeg_audio_validator/KindLimit.h"
#include "modules/mpeg_audio_validator/StreamCheck.h"
#include "modules/mpeg_audio_validator/StreamSniffer.h"
#include "modules/mpeg_audio_validator/ValidatorSession.h"
#include "platform/shared_file.h"

namespace mpeg_audio_validation {
namespace {

// Enough of the file's start to find the first audio frames behind a tag of
// some size.
constexpr std::int64_t kSniffBytes = 1024 * 1024;
// Larger chunks gain nothing; the session splits what it cannot take anyway.
constexpr std::size_t kLargestChunk = 64 * 1024 * 1024;

class FileRun {
public:
    FileRun(platform::SharedFile& file, ValidatorSession& session, const ValidationCallbacks& callbacks,
            std::size_t chunkBytes, const EnabledKinds& enabledKinds)
        : file_(file),
          enabledKinds_(enabledKinds),
          session_(session),
          callbacks_(callbacks),
          total_(std::max<std::int64_t>(file.Size(), 0)),
          limit_(enabledKinds.keptPerKind),
          chunk_(std::clamp<std::size_t>(chunkBytes, 1, kLargestChunk)) {}

    RunResult Run() {
        // The payload of Layer III and MPEG-2 frames holds many a false Layer
        // I/II header; the walker would report those as frames. Those streams
        // go to the checker alone.
        walker_ = LayerIOrIIAtTheStart();
        check_.emplace(enabledKinds_, walker_, &callbacks_.checker);
        const RunResult fed = FeedWholeFile();
        if (fed != RunResult::Completed) return fed;
        check_->Finish();
        if (callbacks_.checker.summary) callbacks_.checker.summary(check_->Summary());
        if (!walker_) return FinishCheckOnly();
        session_.EndStream();
        return Finish();
    }

private:
    bool StopRequested() const { return callbacks_.stopRequested && callbacks_.stopRequested(); }

    void Report(const ValidationItem& item) const { callbacks_.report(item); }

    void ReportEvents(const std::vector<ValidatorEvent>& events) {
        for (const ValidatorEvent& e : events) {
            if (!limit_.Admit(e.kind)) continue;
            const ValidationItem item = DescribeEvent(e, done_);
            limit_.Label(e.kind, item.reportType, WalkerKindNoun(e.kind));
            Report(item);
        }
    }

    // The bytes of the ID3v2 tags the file starts with: an MP3's cover
    // picture easily outgrows what is sniffed.
    std::int64_t LeadingTagBytes() {
        constexpr int kMostTags = 8;
        std::int64_t at = 0;
        for (int tag = 0; tag < kMostTags; ++tag) {
            std::uint8_t header[mpacheck::kId3v2HeaderBytes];
            if (!file_.Seek(at) || file_.Read(header, sizeof header) != static_cast<std::int64_t>(sizeof header))
                break;
            const mpacheck::tag_probe probe = mpacheck::probe_id3v2(header);
            if (!probe.found) break;
            at += static_cast<std::int64_t>(probe.size);
        }
        return at;
    }

    // Files whose start holds no audio frame (junk, or tags longer than what
    // is sniffed) go to the walker as well, as they always did.
    bool LayerIOrIIAtTheStart() {
        const std::int64_t tags = LeadingTagBytes();
        std::vector<std::uint8_t> start(static_cast<std::size_t>(std::clamp<std::int64_t>(total_ - tags, 0, kSniffBytes)));
        const std::int64_t read =
            file_.Seek(tags) ? file_.Read(start.data(), static_cast<std::int64_t>(start.size())) : -1;
        if (!file_.Seek(0) || read <= 0) return true;
        return SniffStreamFamily(start.data(), static_cast<std::size_t>(read)) != StreamFamily::Other;
    }

    RunResult FeedWholeFile() {
        for (;;) {
            if (StopRequested()) return RunResult::Stopped;
            const std::int64_t read = file_.Read(chunk_.data(), static_cast<std::int64_t>(chunk_.size()));
            if (read < 0) {
                Report(ReadFailedItem(done_));
                return RunResult::CannotOpen;
            }
            if (read == 0) return RunResult::Completed;
            if (walker_ && !session_.Feed(chunk_.data(), static_cast<std::size_t>(read))) {
                Report(InputRefusedItem(done_));
                return RunResult::CannotOpen;
            }
            check_->Feed(chunk_.data(), static_cast<std::size_t>(read));
            done_ += read;
            // Beside the walker the checker's items wait for the end: how the
            // two sources interleave would otherwise depend on the chunk size.
            if (walker_)
                ReportEvents(session_.TakeNewEvents());
            else
                ReportItems(check_->TakeItems());
            if (callbacks_.progress)
                callbacks_.progress(static_cast<std::uint64_t>(done_), static_cast<std::uint64_t>(total_));
        }
    }

    RunResult Finish() {
        const std::vector<ValidatorEvent> last = session_.TakeNewEvents();
        const std::optional<StreamSummary> summary = session_.Summary();
        // Without a single frame the only event is the whole file as junk at
        // the end, which the error item says better.
        if (!summary) return NotMpegAudio();
        ReportEvents(last);
        if (summary->decodedFrames == 0) return NotMpegAudio();
        if (summary->framesWithErrors > 0 && (enabledKinds_.walker & (1u << kCorruptedFrameKind)) != 0)
            Report(UndecodableFramesItem(summary->framesWithErrors));
        ReportItems(check_->TakeItems());
        ReportItems(limit_.CutItems());
        ReportItems(check_->CutItems());
        ValidationItem closing = DescribeSummary(*summary);
        closing.message += check_->SummaryAddition();
        Report(closing);
        return RunResult::Completed;
    }

    RunResult FinishCheckOnly() {
        std::vector<ValidationItem> last = check_->TakeItems();
        if (check_->Summary().frames == 0) return NotMpegAudio();
        ReportItems(last);
        ReportItems(check_->CutItems());
        Report(check_->SummaryItem());
        return RunResult::Completed;
    }

    void ReportItems(const std::vector<ValidationItem>& items) const {
        for (const ValidationItem& item : items) Report(item);
    }

    RunResult NotMpegAudio() {
        Report(NotMpegAudioItem());
        return RunResult::NotMpegAudio;
    }

    static constexpr int kCorruptedFrameKind = 0;

    platform::SharedFile& file_;
    const EnabledKinds enabledKinds_;
    ValidatorSession& session_;
    const ValidationCallbacks& callbacks_;
    const std::int64_t total_;
    KindLimit limit_;
    std::vector<std::uint8_t> chunk_;
    std::int64_t done_ = 0;
    bool walker_ = true;  // an MPEG-1 Layer I/II stream, read by the walker too
    std::optional<StreamCheck> check_;
};

}  // namespace

std::int32_t KindCodeByName(std::string_view name) {
    for (const SwitchableKind& kind : kSwitchableKinds)
        if (name == kind.name) return kind.code;
    return -1;
}

RunResult ValidateFile(const std::string& fileName, EnabledKinds enabledKinds, const ValidationCallbacks& callbacks) {
    return ValidateFileInChunks(fileName, enabledKinds, callbacks, kFeedChunkBytes);
}

RunResult ValidateFileInChunks(const std::string& fileName, EnabledKinds enabledKinds,
                               const ValidationCallbacks& callbacks, std::size_t chunkBytes) {
    platform::SharedFile file;
    if (!file.Open(fileName)) {
        callbacks.report(CannotOpenItem(fileName));
        return RunResult::CannotOpen;
    }
    ValidatorSession session(callbacks.stopRequested);
    if (!session.HasLock()) return RunResult::Stopped;
    if (!session.Start(enabledKinds.walker)) {
        callbacks.report(ValidatorUnavailableItem());
        return RunResult::CannotOpen;
    }
    return FileRun(file, session, callbacks, chunkBytes, enabledKinds).Run();
}

}  // namespace mpeg_audio_validation
