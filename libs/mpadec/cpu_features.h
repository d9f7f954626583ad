#pragma once
// Which instruction set the decoder's vector kernels use. Each decoder stream
// holds its choice, the best one the processor has (found once, when the
// library first needs it); x86 processors get SSE2 or
// AVX2 kernels built with per-function target attributes, so the library
// itself needs no more than the baseline of its target (i386 included).
// Every other processor runs the portable kernels: plain C++, which the
// compiler may still vectorise for the target's baseline.

namespace mpadec {

enum class simd_path { portable, sse2, avx2 };

inline constexpr int kSimdPaths = 3;

// The best path this processor supports: what a new decoder stream takes.
[[nodiscard]] simd_path detected_simd_path();

// True when this processor can run `path`. Tests set each such path on a
// stream in turn to check them all.
[[nodiscard]] bool simd_path_supported(simd_path path);

[[nodiscard]] const char* simd_path_name(simd_path path);

}  // namespace mpadec

// Kernels for x86 are compiled only where the compiler takes per-function
// target attributes.
#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define MPADEC_X86_KERNELS 1
#define MPADEC_TARGET(isa) __attribute__((target(isa)))
#else
#define MPADEC_X86_KERNELS 0
#define MPADEC_TARGET(isa)
#endif

// For the small steps of a kernel that must melt into it (and into each
// target-specific build of it).
#if defined(__GNUC__) || defined(__clang__)
#define MPADEC_INLINE __attribute__((always_inline)) inline
#else
#define MPADEC_INLINE inline
#endif
