#include "tests/modules/module_test_support.h"

#include <dlfcn.h>

#include <chrono>

#include "modules/mpeg_audio_validator/EventMessages.h"
#include "platform/utf16_text.h"
#include "tests/support/temp_dir.h"

namespace moduletest {

using mpeg_audio_validation::HexOffset;

Outcome Validate(const std::string& path, mpeg_audio_validation::EnabledKinds kinds, std::size_t chunkBytes) {
    Outcome outcome;
    mpeg_audio_validation::ValidationCallbacks callbacks;
    callbacks.report = [&outcome](const ValidationItem& item) { outcome.items.push_back(item); };
    outcome.result = mpeg_audio_validation::ValidateFileInChunks(path, kinds, callbacks, chunkBytes);
    return outcome;
}

std::string FaultyFixture() { return testsupport::FixturePath("validation/faulty_l2_48k.mp2"); }

Items FaultyFixtureItems() {
    const auto at = [](int frame, std::int64_t offset) {
        return "Frame " + std::to_string(frame) + " at offset " + HexOffset(offset) + ": ";
    };
    const std::int64_t fast = 21 * 384 + 10;
    const std::int64_t padded = fast + 3 * 768;
    return {
        {2, at(5, 5 * 384 + 10) + "10 bytes of junk before the frame (from offset " + HexOffset(5 * 384) + ")"},
        {2, at(21, fast) + "bitrate changes to 256 kbit/s"},
        {2, at(21, fast) + "frame size changes to 768 bytes without padding"},
        {1, at(24, padded) + "padded frame at 48000 Hz, where padding is never needed"},
        // The validator sizes frames at 48 kHz without their padding byte,
        // which it then finds as junk before the next frame.
        {2, at(25, padded + 769) + "1 byte of junk before the frame (from offset " + HexOffset(padded + 768) + ")"},
        // The decoder drops frame 4, which no header follows; the validator
        // counts the frames it examined, less one, as parsed.
        {1,
         "Stream: MPEG-1 Layer II, 48000 Hz, 128 kbit/s, frame size 384 bytes (first frame). Frames: 41 parsed, 41 "
         "decoded, 0 with errors."},
    };
}

testsupport::Bytes RepeatFixture(const std::string& fixture, std::size_t bytes) {
    const testsupport::Bytes one = testsupport::ReadFileBytes(testsupport::FixturePath(fixture));
    testsupport::Bytes all;
    if (one.empty()) return all;
    while (all.size() < bytes) all.insert(all.end(), one.begin(), one.end());
    return all;
}

// ---- the module file ----

namespace {

// One reference held for the whole run (as a program that keeps its modules
// loaded): the libraries the module pulls in stay mapped, so their one-time
// allocations stay reachable instead of showing as leaks of unknown origin.
void HoldModuleLoaded(const std::string& path) {
    [[maybe_unused]] static void* const held = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

}  // namespace

LoadedModule::LoadedModule() {
    const std::string path = testsupport::BinPath("MPEGAudioValidator.qll");
    HoldModuleLoaded(path);
    if (library_.Load(path))
        getControl_ = reinterpret_cast<GetQuillonControlFunction>(library_.Symbol("GetQuillonControl"));
}

validation::IQuillonControl* LoadedModule::Create() const {
    validation::IQuillonControl* control = nullptr;
    if (getControl_ == nullptr || getControl_(&control) != validation::kOk) return nullptr;
    return control;
}

// ---- the report sink ----

validation::HResult RecordingReport::QueryInterface(const validation::TGuid& iid, void** object) {
    if (object == nullptr) return validation::kInvalidPointer;
    *object = nullptr;
    if (!validation::SameGuid(iid, validation::IID_IUnknown) &&
        !validation::SameGuid(iid, validation::IID_IQuillonReport))
        return validation::kNoInterface;
    *object = this;
    AddRef();
    return validation::kOk;
}

validation::HResult RecordingReport::Report(std::int32_t module, std::int32_t reportType, const char16_t* message,
                                            std::int32_t streamId) {
    std::lock_guard lock(mutex_);
    reported_.push_back({module, reportType, platform::Utf16ToUtf8(message), streamId, std::this_thread::get_id()});
    return validation::kOk;
}

std::vector<ReportedItem> RecordingReport::Reported() const {
    std::lock_guard lock(mutex_);
    return reported_;
}

Items RecordingReport::AsItems() const {
    Items items;
    for (const ReportedItem& r : Reported()) items.push_back({r.reportType, r.message});
    return items;
}

bool WaitForCompletion(validation::IQuillonControl& control, std::vector<double>* progress) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
        double percent = -1.0;
        control.GetProgress(&percent);
        if (progress != nullptr) progress->push_back(percent);
        if (percent >= 100.0) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

}  // namespace moduletest
