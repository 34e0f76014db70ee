#include "simd/level.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace simd {

namespace {

constexpr Level allLevels[] = {Level::literal, Level::scalar, Level::sse2, Level::avx2,
                               Level::avx512};

Level detect() {
#if defined(ONDORIA_X86_KERNELS)
    // libgcc's checks include the operating system's support for the wider registers.
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f")) {
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
    static const Level requested = requestedLevel(std::getenv("ONDORIA_SIMD"));
    return requested;
}

Level cap = Level::avx512;

}  // namespace

Level supportedLevel() {
    static const Level supported = detect();
    return supported;
}

Level requestedLevel(const char *name) {
    if (name != nullptr) {
        // The literal code is no choice of the environment: it would leave the tests nothing
        // fast to run.
        for (Level level : {Level::scalar, Level::sse2, Level::avx2, Level::avx512}) {
            if (std::strcmp(name, levelName(level)) == 0) {
                return level;
            }
        }
    }
    return Level::avx512;
}

Level activeLevel() { return std::min({supportedLevel(), fromEnvironment(), cap}); }

void limitSimdLevel(Level newCap) { cap = newCap; }

std::vector<Level> runnableLevels() {
    const Level best = std::min(supportedLevel(), fromEnvironment());
    std::vector<Level> levels;
    for (Level level : allLevels) {
        if (level != Level::literal && level <= best) {
            levels.push_back(level);
        }
    }
    return levels;
}

const char *levelName(Level level) {
    switch (level) {
        case Level::literal:
            return "literal";
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
