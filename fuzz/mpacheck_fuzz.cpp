// libFuzzer entry point for the stream checker: the first input byte chooses
// the chunk sizes, the rest is the stream. The stream is checked twice, in
// chunks and whole, and the two runs must find the same findings and frame
// facts: any difference traps, so chunk dependence counts as a crash. The
// frame facts must also hold together (numbers in order, frames inside the
// stream, ancillary bits inside the frame).

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

struct fact {
    std::int64_t frame;
    std::uint64_t offset;
    std::uint32_t length;
    std::int32_t bitrate;
    std::int32_t ancillary_bits;
    mpacheck::scf_crc_state scf_crc;
    bool operator==(const fact&) const = default;
};

struct outcome {
    std::vector<seen> findings;
    std::vector<fact> frames;
    bool operator==(const outcome&) const = default;
};

void check_fact(const mpacheck::frame_facts& f, const std::vector<fact>& before, std::size_t size) {
    const bool in_order = before.empty() ? f.frame == 0
                                         : f.frame == before.back().frame + 1 &&
                                               f.offset >= before.back().offset + before.back().length;
    const bool inside = f.offset + f.length <= size;
    const bool ancillary_fits =
        f.ancillary_bits >= -1 && f.ancillary_bits < static_cast<std::int64_t>(f.length) * 8 && (f.layer != 3 || f.ancillary_bits == -1);
    const bool judged_only_at_dab_rates =
        f.scf_crc == mpacheck::scf_crc_state::not_applicable ||
        (f.layer == 2 && (f.sampling_rate == 48000 || f.sampling_rate == 24000));
    if (!in_order || !inside || !ancillary_fits || !judged_only_at_dab_rates) __builtin_trap();
}

outcome run(const std::uint8_t* data, std::size_t size, std::uint8_t chunk_seed) {
    outcome found;
    mpacheck::checker checker(
        [&](const mpacheck::finding& f) {
            found.findings.push_back({f.kind, f.frame, f.offset, f.expected, f.actual, f.length});
            (void)mpacheck::describe(f);
        },
        [&](const mpacheck::frame_facts& f) {
            check_fact(f, found.frames, size);
            found.frames.push_back({f.frame, f.offset, f.length, f.bitrate, f.ancillary_bits, f.scf_crc});
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
