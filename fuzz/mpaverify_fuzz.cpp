// libFuzzer entry point for the validator: the input's first bytes choose the
// switches and the chunk sizes, the rest is the stream. Initialize, feed in
// chunks, end of stream, every query, uninitialise. The same stream is then
// validated again in one piece, and the two runs must give the same initial
// parameters and the same events of the frame walker: a difference traps, so
// chunk dependence counts as a crash. The decoder's counters are left out of
// the comparison: the decoder takes a frame at the end of the bytes it was
// offered without a confirming header, so on damaged streams they follow
// the chunking by design.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "libs/mpaverify/mpaverify.h"

namespace {

struct event {
    int32_t frame;
    int32_t kind;
    int32_t value;
    int64_t offset;
    bool operator==(const event&) const = default;
};

struct outcome {
    int32_t initial[4] = {};
    std::vector<event> events;  // of the frame walker
    bool operator==(const outcome&) const = default;
};

outcome validate(const uint8_t* data, size_t size, uint16_t switches_off, uint8_t chunk_seed, bool whole) {
    outcome result;
    if (InitializeValidator() != 0) return result;
    for (uint32_t index = 0; index < 20; ++index)
        if ((switches_off >> (index % 16)) & 1) SetValidationParameterState(index, 0);
    const bool mark_end_with_data = (chunk_seed & 0x80) != 0;
    size_t fed = 0;
    uint32_t step = chunk_seed;
    while (fed < size) {
        step = step * 1103515245u + 12345u;
        const size_t chunk = whole ? size : 1 + (step >> 16) % (chunk_seed % 4 == 0 ? 7 : 4096);
        const size_t n = chunk < size - fed ? chunk : size - fed;
        AddData(data + fed, static_cast<int32_t>(n), mark_end_with_data && fed + n == size);
        fed += n;
    }
    AddData(nullptr, 0, 1);
    GetInitialParameters(&result.initial[0], &result.initial[1], &result.initial[2], &result.initial[3]);
    int32_t value, count = 0;
    GetDecodedFramesCount(&value);
    GetParsedFramesCount(&value);
    GetTotalFramesWithErrorsCount(&value);
    GetCorruptedFramesCount(&count);
    for (int32_t i = 0; i <= count; ++i) {
        event e{};
        double unused;
        if (GetCorruptedFramesReport(static_cast<uint32_t>(i), &e.frame, &e.kind, &e.value, &unused, &e.offset) == 0 &&
            e.kind != CORRUPTED_FRAME) {
            result.events.push_back(e);
        }
    }
    if (chunk_seed & 1) ResetValidator();
    UninitializeValidator();
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const uint16_t switches_off = static_cast<uint16_t>(data[0] | (data[1] << 8));
    const uint8_t chunk_seed = data[2];
    const outcome chunked = validate(data + 3, size - 3, switches_off, chunk_seed, false);
    const outcome whole = validate(data + 3, size - 3, switches_off, chunk_seed, true);
    if (!(chunked == whole)) __builtin_trap();
    return 0;
}
