#include "modules/mpeg_audio_validator/MpegAudioValidatorModule.h"

#include <QApplication>

#include "platform/utf16_text.h"
#include "abi/QuillonControlInterface.h"

namespace mpeg_audio_validation {

using validation::HResult;
using validation::kFail;
using validation::kInvalidPointer;
using validation::kNoInterface;
using validation::kOk;

MpegAudioValidatorModule::MpegAudioValidatorModule() : name_(u"MPEG Audio Validator"), enabledKinds_() {}

MpegAudioValidatorModule::~MpegAudioValidatorModule() {
    validation_.Stop();
    if (report_ != nullptr) report_->Release();
    DeleteSettingsDialog();
}

// A dialog that outlived the application is left alone: widgets must not be
// deleted without one.
void MpegAudioValidatorModule::DeleteSettingsDialog() {
    if (settingsDialog_ != nullptr && QCoreApplication::instance() != nullptr) delete settingsDialog_.data();
}

// ---- IQuillonUnknown ----

HResult MpegAudioValidatorModule::QueryInterface(const validation::TGuid& iid, void** object) {
    if (object == nullptr) return kInvalidPointer;
    *object = nullptr;
    if (validation::SameGuid(iid, validation::IID_IUnknown) ||
        validation::SameGuid(iid, validation::IID_IQuillonControl))
        *object = static_cast<validation::IQuillonControl*>(this);
    else if (validation::SameGuid(iid, validation::IID_IQuillonReportSet))
        *object = static_cast<validation::IQuillonReportSet*>(this);
    else if (validation::SameGuid(iid, validation::IID_IQuillonReset))
        *object = static_cast<validation::IQuillonReset*>(this);
    else
        return kNoInterface;
    AddRef();
    return kOk;
}

std::uint32_t MpegAudioValidatorModule::AddRef() { return ++references_; }

std::uint32_t MpegAudioValidatorModule::Release() {
    const std::uint32_t left = --references_;
    if (left == 0) delete this;
    return left;
}

// ---- IQuillonControl ----

HResult MpegAudioValidatorModule::GetModuleName(const char16_t** name) {
    if (name == nullptr) return kInvalidPointer;
    *name = name_.c_str();
    return kOk;
}

HResult MpegAudioValidatorModule::LoadMediaFile(const char16_t* fileName) {
    if (fileName == nullptr) return kInvalidPointer;
    if (validation_.Running()) return kFail;
    const std::string name = platform::Utf16ToUtf8(fileName);
    platform::SharedFile file;
    if (name.empty() || !file.Open(name)) return kFail;
    file_ = std::move(file);
    fileName_ = name;
    return kOk;
}

HResult MpegAudioValidatorModule::UnloadMediaFile() {
    validation_.Stop();
    file_.Close();
    fileName_.clear();
    return kOk;
}

HResult MpegAudioValidatorModule::GetModuleType(std::uint32_t* moduleType) {
    if (moduleType == nullptr) return kInvalidPointer;
    *moduleType = validation::kMpegAudioValidatorType;
    return kOk;
}

HResult MpegAudioValidatorModule::IsValidationRunning(std::int32_t* running) {
    if (running == nullptr) return kInvalidPointer;
    *running = validation_.Running() ? 1 : 0;
    return kOk;
}

HResult MpegAudioValidatorModule::StartFileValidation() {
    if (!file_.IsOpen() || report_ == nullptr) return kFail;
    validation::IQuillonReport* sink = report_;  // stays set while the run goes on
    const auto report = [sink](const ValidationItem& item) {
        const std::u16string message = platform::Utf8ToUtf16(item.message);
        sink->Report(static_cast<std::int32_t>(validation::kMpegAudioValidatorType), item.reportType, message.c_str(),
                     -1);
    };
    return validation_.Start(fileName_, enabledKinds_, report, profile_) ? kOk : kFail;
}

HResult MpegAudioValidatorModule::StopFileValidation() {
    validation_.Stop();
    return kOk;
}

HResult MpegAudioValidatorModule::GetProgress(double* percent) {
    if (percent == nullptr) return kInvalidPointer;
    *percent = validation_.ProgressPercent();
    return kOk;
}

HResult MpegAudioValidatorModule::ShowSettings(std::int32_t) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return kFail;
    if (settingsDialog_ == nullptr) settingsDialog_ = new SettingsDialog();
    settingsDialog_->SetKinds(enabledKinds_);
    settingsDialog_->SetProfile(profile_);
    if (settingsDialog_->exec() == QDialog::Accepted && settingsDialog_ != nullptr) {
        enabledKinds_ = settingsDialog_->Kinds();
        profile_ = settingsDialog_->Profile();
    }
    return kOk;
}

// ---- IQuillonReportSet ----

// The sink of a running validation stays until the run ends.
HResult MpegAudioValidatorModule::SetQuillonReport(validation::IQuillonReport* report) {
    if (validation_.Running()) return kFail;
    if (report != nullptr) report->AddRef();
    if (report_ != nullptr) report_->Release();
    report_ = report;
    return kOk;
}

// ---- IQuillonReset ----

HResult MpegAudioValidatorModule::Reset() {
    validation_.Stop();
    validation_.ResetProgress();
    return kOk;
}

}  // namespace mpeg_audio_validation
