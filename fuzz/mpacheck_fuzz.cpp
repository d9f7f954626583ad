// libFuzzer entry point for the stream checker: the first input byte chooses
// the chunk sizes, the rest is the stream. The stream is checked twice, in
// chunks and whole, and the two runs must find the same: any difference
// traps, so chunk dependence counts as a crash.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "libs/mpacheck/mpacheck.h"

namespace {

struct seen {
    mpacheck::finding_kind kind;
    std::int64_t frame;
    std::uint64_t offset;
    std::int64_t expected;
    std::int64_t actual;
    std::uint64_t length;
    bool operator==(const seen&) const = default;
};

std::vector<seen> run(const std::uint8_t* data, std::size_t size, std::uint8_t chunk_seed) {
    std::vector<seen> found;
    mpacheck::checker checker([&](const mpacheck::finding& f) {
        found.push_back({f.kind, f.frame, f.offset, f.expected, f.actual, f.length});
        (void)mpacheck::describe(f);
    });
    std::size_t fed = 0;
    std::uint32_t step = chunk_seed;
    while (fed < size) {
        step = step * 1103515245u + 12345u;
        const std::size_t chunk = chunk_seed == 0 ? size : 1 + (step >> 16) % (chunk_seed % 4 == 0 ? 7 : 4096);
        const std::size_t n = chunk < size - fed ? chunk : size - fed;
        checker.feed(data + fed, n);
        fed += n;
    }
    checker.finish();
    return found;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::uint8_t chunk_seed = data[0] == 0 ? 1 : data[0];
    if (run(data + 1, size - 1, chunk_seed) != run(data + 1, size - 1, 0)) __builtin_trap();
    return 0;
}
