#pragma once
// Shared by the module tests: running ValidateFile into a list, the streams
// with known faults, the real module file loaded by path, and a report sink
// that records what the module delivers.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "modules/mpeg_audio_validator/AudioValidation.h"
#include "platform/dynamic_library.h"
#include "tests/support/mpa_builder.h"
#include "abi/QuillonControlInterface.h"

namespace mpeg_audio_validation {
inline bool operator==(const ValidationItem& a, const ValidationItem& b) {
    return a.reportType == b.reportType && a.message == b.message;
}
inline void PrintTo(const ValidationItem& item, std::ostream* os) {
    *os << "{" << item.reportType << ", \"" << item.message << "\"}";
}
}  // namespace mpeg_audio_validation

namespace moduletest {

using mpeg_audio_validation::RunResult;
using mpeg_audio_validation::ValidationItem;
using Items = std::vector<ValidationItem>;

struct Outcome {
    RunResult result = RunResult::Completed;
    Items items;
};

Outcome Validate(const std::string& path, std::uint32_t kinds = mpeg_audio_validation::kAllKinds,
                 std::size_t chunkBytes = mpeg_audio_validation::kFeedChunkBytes);

// validation/faulty_l2_48k.mp2 (see make-validation-fixtures.sh): 21 frames
// of 384 bytes with 10 junk bytes after the 5th, then 21 frames of 768 bytes,
// the 4th of them padded.
std::string FaultyFixture();
// The items ValidateFile gives for it, all kinds on.
Items FaultyFixtureItems();

// Copies of the fixture one after another up to at least `bytes`.
testsupport::Bytes RepeatFixture(const std::string& fixture, std::size_t bytes);

// "MPEGAudioValidator.qll" from the build's bin folder.
class LoadedModule {
public:
    LoadedModule();
    [[nodiscard]] bool Loaded() const { return library_.IsLoaded() && getControl_ != nullptr; }
    // A new module object with its first reference, or null.
    [[nodiscard]] validation::IQuillonControl* Create() const;
    [[nodiscard]] const platform::DynamicLibrary& Library() const { return library_; }

private:
    platform::DynamicLibrary library_;
    GetQuillonControlFunction getControl_ = nullptr;
};

struct ReportedItem {
    std::int32_t module = 0;
    std::int32_t reportType = 0;
    std::string message;
    std::int32_t streamId = 0;
    std::thread::id thread;
};

// A report sink on the stack: counts its references, records every item.
class RecordingReport final : public validation::IQuillonReport {
public:
    validation::HResult TAMBERLY_STDCALL QueryInterface(const validation::TGuid& iid, void** object) override;
    std::uint32_t TAMBERLY_STDCALL AddRef() override { return ++references_; }
    std::uint32_t TAMBERLY_STDCALL Release() override { return --references_; }
    validation::HResult TAMBERLY_STDCALL Report(std::int32_t module, std::int32_t reportType, const char16_t* message,
                                                std::int32_t streamId) override;

    [[nodiscard]] std::uint32_t References() const { return references_.load(); }
    [[nodiscard]] std::vector<ReportedItem> Reported() const;
    // The items as ValidateFile gives them.
    [[nodiscard]] Items AsItems() const;

private:
    std::atomic<std::uint32_t> references_{1};
    mutable std::mutex mutex_;
    std::vector<ReportedItem> reported_;
};

// Polls GetProgress until it reaches 100 or 60 s pass; every value read is
// appended to progress. False on the timeout.
bool WaitForCompletion(validation::IQuillonControl& control, std::vector<double>* progress = nullptr);

}  // namespace moduletest
