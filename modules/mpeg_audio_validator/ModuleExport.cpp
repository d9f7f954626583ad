// The one export of "MPEGAudioValidator.qll".

#include <new>

#include "modules/mpeg_audio_validator/MpegAudioValidatorModule.h"
#include "abi/calling_convention.h"
#include "abi/QuillonControlInterface.h"

extern "C" TAMBERLY_EXPORT validation::HResult TAMBERLY_STDCALL
GetQuillonControl(validation::IQuillonControl** control) {
    if (control == nullptr) return validation::kInvalidPointer;
    *control = nullptr;
    try {
        *control = new mpeg_audio_validation::MpegAudioValidatorModule();
    } catch (const std::bad_alloc&) {
        return validation::kFail;  // nothing is thrown across the boundary
    }
    return validation::kOk;
}
