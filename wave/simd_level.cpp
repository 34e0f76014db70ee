#include "wave/simd_level.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace simd {

namespace {

Level detect() {
#if defined(ONDORIA_X86_KERNELS)
    // libgcc's checks include the operating system's support for the wider registers.
    __builtin_cpu_init();
    // The AVX-512 kernels hand their leftover columns to the AVX2 ones.
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx2")) {
        return Level::avx512;
    }
    if (__builtin_cpu_supports("avx2")) {
        return Level::avx2;
    }
    return Level::sse2;  // part of every x86-64 processor
#else
    return Level::scalar;
#endif
}

Level fromEnvironment() {
    const char *text = std::getenv("ONDORIA_SIMD");
    if (text == nullptr) {
        return Level::avx512;
    }
    for (Level level : {Level::scalar, Level::sse2, Level::avx2, Level::avx512}) {
        if (std::strcmp(text, levelName(level)) == 0) {
            return level;
        }
    }
    return Level::avx512;  // an unknown name asks for nothing
}

Level cap = Level::avx512;

}  // namespace

Level supportedLevel() {
    static const Level supported = detect();
    return supported;
}

Level activeLevel() {
    static const Level requested = fromEnvironment();
    return std::min({supportedLevel(), requested, cap});
}

void limitSimdLevel(Level newCap) { cap = newCap; }

const char *levelName(Level level) {
    switch (level) {
        case Level::scalar:
            return "scalar";
        case Level::sse2:
            return "sse2";
        case Level::avx2:
            return "avx2";
        case Level::avx512:
            return "avx512";
    }
    return "scalar";
}

}  // namespace simd
