// The twelve exports: argument checks, return codes and messages around the
// single validator instance. Nothing is thrown across this boundary.

#include "libs/mpaverify/mpaverify.h"

#include <algorithm>
#include <new>

#include "libs/mpaverify/messages.h"
#include "libs/mpaverify/validator.h"
#include "platform/debug_output.h"

using mpaverify::Instance;
namespace messages = mpaverify::messages;

namespace {

bool Initialized() {
    if (Instance().Initialized()) return true;
    platform::OutputDebugLineA(messages::kNotInitialized);
    return false;
}

// Answers a count query: -2 when not initialised, else 0 and the count.
template <typename Count>
int32_t AnswerCount(int32_t* out, Count count) {
    if (!Initialized()) return -2;
    if (out != nullptr) *out = count();
    return 0;
}

bool LowByte(int32_t value) { return (static_cast<uint32_t>(value) & 0xFFu) != 0; }

}  // namespace

extern "C" {

TAMBERLY_EXPORT int32_t TAMBERLY_STDCALL InitializeValidator(void) {
    try {
        return Instance().Initialize();
    } catch (const std::bad_alloc&) {
        platform::OutputDebugLineA(messages::kCannotCreateDecoder);
        return -1;
    }
}

TAMBERLY_EXPORT int32_t TAMBERLY_STDCALL UninitializeValidator(void) {
    Instance().Uninitialize();
    return 0;
}

TAMBERLY_EXPORT int32_t TAMBERLY_STDCALL AddData(const uint8_t* data, int32_t length, int32_t end_of_stream) {
    try {
        return Instance().AddData(data, length, LowByte(end_of_stream));
    } catch (const std::bad_alloc&) {
        platform::OutputDebugLineA(messages::kOutOfMemory);
        return -1;
    }
}

TAMBERLY_EXPORT int32_t TAMBERLY_STDCALL GetInitialParameters(int32_t* layer, int32_t* sampling_rate,
                                                               int32_t* bitrate, int32_t* frame_size) {
    const mpaverify::MpaHeader* first = Instance().InitialParameters();
    if (first == nullptr) return -1;
    if (layer != nullptr) *layer = first->layer;
    if (sampling_rate != nullptr) *sampling_rate = mpaverify::SamplingRateHz(first->sampling_frequency);
    if (bitrate != nullptr) *bitrate = mpaverify::BitrateKbps(first->layer, first->bitrate_index);
    if (frame_size != nullptr) *frame_size = mpaverify::FrameSizeWithoutPadding(*first);
    return 0;
}

TAMBERLY_EXPORT int32_t TAMBERLY_STDCALL GetDecodedFramesCount(int32_t* count) {
    return AnswerCount(count, [] { return Instance().DecodedFrames(); });
}

TAMBERLY_EXPORT int32_t TAMBERLY_STDCALL GetCorruptedFramesCount(int32_t* count) {
    return AnswerCount(count, [] { return mpaverify::SaturatedCount(static_cast<int64_t>(Instance().Events().Count())); });
}

TAMBERLY_EXPORT int32_t TAMBERLY_STDCALL GetCorruptedFramesReport(uint32_t index, int32_t* frame_number,
                                                                   int32_t* kind, int32_t* value,
                                                                   double* unused, int64_t* stream_offset) {
    if (!Initialized()) return -2;
    const mpaverify_event* record = Instance().Events().Read(index);
    if (record == nullptr) {
        platform::OutputDebugLineA(messages::kIncorrectIndex);
        return -4;
    }
    const mpaverify_event& event = *record;
    if (frame_number != nullptr) *frame_number = event.frame_number;
    if (kind != nullptr) *kind = event.kind;
    if (value != nullptr) *value = event.value;
    if (unused != nullptr) *unused = event.unused;
    if (stream_offset != nullptr) *stream_offset = event.stream_offset;
    return 0;
}

TAMBERLY_EXPORT int32_t TAMBERLY_STDCALL ResetValidator(void) {
    Instance().Reset();
    return 0;
}

TAMBERLY_EXPORT int32_t TAMBERLY_STDCALL GetValidationParameterState(uint32_t index, uint8_t* state) {
    if (!mpaverify::HasSwitch(index)) return -1;
    if (state != nullptr) *state = Instance().Switch(index) ? 1 : 0;
    return 0;
}

TAMBERLY_EXPORT int32_t TAMBERLY_STDCALL SetValidationParameterState(uint32_t index, int32_t state) {
    if (!mpaverify::HasSwitch(index)) return -1;
    Instance().SetSwitch(index, LowByte(state));
    return 0;
}

TAMBERLY_EXPORT int32_t TAMBERLY_STDCALL GetParsedFramesCount(int32_t* count) {
    return AnswerCount(count, [] {
        const auto& v = Instance();
        return std::max(v.ParsedFrames() - 1, v.DecodedFrames());
    });
}

TAMBERLY_EXPORT int32_t TAMBERLY_STDCALL GetTotalFramesWithErrorsCount(int32_t* count) {
    return AnswerCount(count, [] {
        const auto& v = Instance();
        return std::max(v.ParsedFrames() - v.DecodedFrames() - 1, 0);
    });
}

}  // extern "C"
