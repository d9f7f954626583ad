// libFuzzer entry point for the validator: the input's first bytes choose the
// switches and the chunk sizes, the rest is the stream. Initialize, feed in
// chunks, end of stream, every query, uninitialise.

#include <cstddef>
#include <cstdint>

#include "libs/mpaverify/mpaverify.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const uint16_t switches_off = static_cast<uint16_t>(data[0] | (data[1] << 8));
    const uint8_t chunk_seed = data[2];
    data += 3;
    size -= 3;
    if (InitializeValidator() != 0) return 0;
    for (uint32_t index = 0; index < 20; ++index)
        if ((switches_off >> (index % 16)) & 1) SetValidationParameterState(index, 0);
    size_t fed = 0;
    uint32_t step = chunk_seed;
    while (fed < size) {
        step = step * 1103515245u + 12345u;
        const size_t chunk = 1 + (step >> 16) % (chunk_seed % 4 == 0 ? 7 : 4096);
        const size_t n = chunk < size - fed ? chunk : size - fed;
        AddData(data + fed, static_cast<int32_t>(n), (chunk_seed & 0x80) != 0 && fed + n == size);
        fed += n;
    }
    AddData(nullptr, 0, 1);
    int32_t layer, rate, bitrate, frame_size, count = 0, value;
    GetInitialParameters(&layer, &rate, &bitrate, &frame_size);
    GetDecodedFramesCount(&value);
    GetParsedFramesCount(&value);
    GetTotalFramesWithErrorsCount(&value);
    GetCorruptedFramesCount(&count);
    for (int32_t i = 0; i <= count; ++i) {
        int32_t frame, kind;
        double unused;
        int64_t offset;
        GetCorruptedFramesReport(static_cast<uint32_t>(i), &frame, &kind, &value, &unused, &offset);
    }
    if (chunk_seed & 1) ResetValidator();
    UninitializeValidator();
    return 0;
}
