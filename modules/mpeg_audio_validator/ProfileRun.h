#pragma once
// A validation run judged by a delivery profile (libs/mpaprofile): the
// engine sees the stream checker's findings, frame facts and summary as the
// run reads the file, and the report opens with the verdict: one item with
// the verdict line, one per rule, then the run's own items.

#include <string>
#include <vector>

#include "libs/mpaprofile/profile_engine.h"
#include "modules/mpeg_audio_validator/AudioValidation.h"

namespace mpeg_audio_validation {

// Hands what the checker sees to engine.
void ObserveWith(mpaprofile::profile_engine& engine, CheckerObservers& observers);

// "Profile dab: FAIL: 1 error (CRC missing in 12 frames)", then per rule
// "Rule crc (error): failed, CRC missing in 12 frames; first at frame 0
// (offset 0x0)"; a broken rule's item has its severity, the others are Info.
[[nodiscard]] std::vector<ValidationItem> VerdictItems(const mpaprofile::profile_engine& engine);

// ValidateFile judged by engine. The run's items are held until it ends;
// a completed run reports the verdict items first, then its own. A run that
// did not complete reports its own items without a verdict.
RunResult ValidateFileJudged(const std::string& fileName, EnabledKinds enabledKinds,
                             const ValidationCallbacks& callbacks, mpaprofile::profile_engine& engine);

}  // namespace mpeg_audio_validation
