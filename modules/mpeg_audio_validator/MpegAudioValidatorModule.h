#pragma once
// The MPEG Audio Validator module object behind GetQuillonControl: the
// control, report-set and reset interfaces of one validation module. The host
// calls it on its own thread; the run goes on a thread of its own, which
// calls the host's report sink, while GetProgress and IsValidationRunning may
// be polled.

#include <QPointer>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "modules/mpeg_audio_validator/BackgroundValidation.h"
#include "modules/mpeg_audio_validator/SettingsDialog.h"
#include "platform/shared_file.h"
#include "abi/QuillonControlInterface.h"

namespace mpeg_audio_validation {

class MpegAudioValidatorModule final : public validation::IQuillonControl,
                                       public validation::IQuillonReportSet,
                                       public validation::IQuillonReset {
public:
    // Created with one reference, which the caller owns.
    MpegAudioValidatorModule();
    MpegAudioValidatorModule(const MpegAudioValidatorModule&) = delete;
    MpegAudioValidatorModule& operator=(const MpegAudioValidatorModule&) = delete;

    validation::HResult TAMBERLY_STDCALL QueryInterface(const validation::TGuid& iid, void** object) override;
    std::uint32_t TAMBERLY_STDCALL AddRef() override;
    std::uint32_t TAMBERLY_STDCALL Release() override;

    validation::HResult TAMBERLY_STDCALL GetModuleName(const char16_t** name) override;
    validation::HResult TAMBERLY_STDCALL LoadMediaFile(const char16_t* fileName) override;
    validation::HResult TAMBERLY_STDCALL UnloadMediaFile() override;
    validation::HResult TAMBERLY_STDCALL GetModuleType(std::uint32_t* moduleType) override;
    validation::HResult TAMBERLY_STDCALL IsValidationRunning(std::int32_t* running) override;
    validation::HResult TAMBERLY_STDCALL StartFileValidation() override;
    validation::HResult TAMBERLY_STDCALL StopFileValidation() override;
    validation::HResult TAMBERLY_STDCALL GetProgress(double* percent) override;
    validation::HResult TAMBERLY_STDCALL ShowSettings(std::int32_t parent) override;

    validation::HResult TAMBERLY_STDCALL SetQuillonReport(validation::IQuillonReport* report) override;

    validation::HResult TAMBERLY_STDCALL Reset() override;

private:
    ~MpegAudioValidatorModule();  // through Release only
    void DeleteSettingsDialog();

    std::atomic<std::uint32_t> references_{1};
    const std::u16string name_;
    validation::IQuillonReport* report_ = nullptr;  // one reference held
    std::string fileName_;
    platform::SharedFile file_;
    EnabledKinds enabledKinds_;
    std::string profile_;  // "" for none, a built-in profile's name or a profile file's path
    QPointer<SettingsDialog> settingsDialog_;  // made on first use, kept for the module's lifetime
    BackgroundValidation validation_;
};

}  // namespace mpeg_audio_validation
