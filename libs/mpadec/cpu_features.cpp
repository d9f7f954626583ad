// Processor detection for the choice of vector kernels.

#include "libs/mpadec/cpu_features.h"

namespace mpadec {
namespace {

simd_path detect() {
#if MPADEC_X86_KERNELS
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) return simd_path::avx2;
    if (__builtin_cpu_supports("sse2")) return simd_path::sse2;
#endif
    return simd_path::portable;
}

}  // namespace

simd_path detected_simd_path() {
    static const simd_path best = detect();
    return best;
}

bool simd_path_supported(simd_path path) { return static_cast<int>(path) <= static_cast<int>(detected_simd_path()); }

const char* simd_path_name(simd_path path) {
    switch (path) {
    case simd_path::sse2:
        return "sse2";
    case simd_path::avx2:
        return "avx2";
    default:
        return "portable";
    }
}

}  // namespace mpadec
