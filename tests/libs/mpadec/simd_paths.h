#pragma once
// A decoder stream's private state for tests, and the vector kernel paths
// for tests that check each of them: the paths this processor can run, and a
// decoder stream set to one of them.

#include <vector>

#include "libs/mpadec/cpu_features.h"
#include "libs/mpadec/decoder.h"
#include "tests/libs/mpadec/decoder_driver.h"

namespace mpadec_test {

inline mpa_decoder& Internals(Decoder& decoder) { return *reinterpret_cast<mpa_decoder*>(decoder.Stream()); }

inline std::vector<mpadec::simd_path> SupportedSimdPaths() {
    std::vector<mpadec::simd_path> paths;
    for (int i = 0; i < mpadec::kSimdPaths; ++i) {
        const auto path = static_cast<mpadec::simd_path>(i);
        if (mpadec::simd_path_supported(path)) paths.push_back(path);
    }
    return paths;
}

inline void UseSimdPath(Decoder& decoder, mpadec::simd_path path) { Internals(decoder).simd = path; }

}  // namespace mpadec_test
