#pragma once
// The stream checker (mpacheck) within a validation run: fed the same chunks
// as the walker, it keeps the report items of the findings the run reports
// until they are taken, and tells what its summary adds.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "libs/mpacheck/mpacheck.h"
#include "modules/mpeg_audio_validator/AudioValidation.h"
#include "modules/mpeg_audio_validator/KindLimit.h"

namespace mpeg_audio_validation {

class StreamCheck {
public:
    // besideWalker: the walker reads the same MPEG-1 Layer I/II stream and
    // reports its junk and its layer, sampling rate and channel mode changes.
    // observers (optional) see what the checker sees; they must outlive the check.
    StreamCheck(const EnabledKinds& kinds, bool besideWalker, const CheckerObservers* observers = nullptr);

    void Feed(const std::uint8_t* data, std::size_t size) { checker_.feed(data, size); }
    void Finish() { checker_.finish(); }

    // Items of the findings since the last call, in stream order.
    [[nodiscard]] std::vector<ValidationItem> TakeItems();
    [[nodiscard]] const mpacheck::summary& Summary() const { return checker_.result(); }
    // The items summing up the findings cut beyond the run's share per kind.
    [[nodiscard]] std::vector<ValidationItem> CutItems() const { return limit_.CutItems(); }
    // Whether the run reports this kind.
    [[nodiscard]] bool Reports(mpacheck::finding_kind kind) const;

    // The closing Info item when the walker did not run.
    [[nodiscard]] ValidationItem SummaryItem() const;
    // What the checker's summary adds to the walker's: its encoder delay and
    // padding, tags and counts of reported findings, as
    // sentences with a leading space; empty when it has nothing to add.
    [[nodiscard]] std::string SummaryAddition() const;

private:
    mpacheck::checker MakeChecker();
    void Keep(const mpacheck::finding& finding);
    [[nodiscard]] std::string FindingCounts() const;

    const EnabledKinds kinds_;
    const bool besideWalker_;
    const CheckerObservers* observers_;
    std::vector<ValidationItem> items_;
    KindLimit limit_;
    mpacheck::checker checker_;
};

}  // namespace mpeg_audio_validation
