#pragma once
// What a repair does, decided from the stream checker's findings before a
// byte is written: the input ranges left out, the bytes rewritten, and the
// report lines that say so.

#include <cstdint>
#include <vector>

#include "libs/mparepair/mparepair.h"

namespace mparepair {

struct byte_range {
    std::uint64_t offset;
    std::uint64_t length;
};

struct patch {
    std::uint64_t offset;  // in the input
    std::vector<std::uint8_t> bytes;
};

struct plan {
    std::vector<byte_range> drops;  // sorted, disjoint
    std::vector<patch> patches;     // sorted by offset
    std::vector<change> changes;    // sorted by input offset
};

// Collects the findings a plan needs while the checker runs.
class plan_builder {
public:
    explicit plan_builder(const options& choice) : choice_(choice) {}
    void add(const mpacheck::finding& f);
    // input is read once more for the VBR header frame's bytes; false (errno
    // set) when that read fails.
    [[nodiscard]] bool finish(const mpacheck::summary& input_summary, int input, std::uint64_t input_size, plan& out);

private:
    void add_drop(change_kind kind, std::uint64_t offset, std::uint64_t length, std::string why);
    void add_crc(const mpacheck::finding& f);
    void drop_truncated_tags(std::uint64_t input_size);
    [[nodiscard]] bool plan_vbr_update(const mpacheck::summary& input_summary, int input, plan& out);
    void place_in_output(plan& out) const;

    options choice_;
    std::vector<change> changes_;
    std::vector<byte_range> drops_;
    std::vector<patch> patches_;
    std::vector<mpacheck::finding> tags_;
    std::vector<mpacheck::finding> truncated_tags_;
    bool have_vbr_ = false;
    mpacheck::finding vbr_{};
};

}  // namespace mparepair
