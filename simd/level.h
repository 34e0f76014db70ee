#pragma once

// The instruction sets the fast wave and grey-level kernels can use, and the one they use now.
//
// The level is chosen at run time, so one binary runs on any x86-64 machine: the best level the
// processor supports, unless the environment variable ONDORIA_SIMD (scalar, sse2, avx2 or avx512)
// or limitSimdLevel asks for a lower one. A request above what the processor supports gets the
// supported level. Outside x86-64 only the scalar level and the literal code exist.

#include <vector>

namespace simd {

// literal: no fast kernel at all, compute and convert run their literal definitions (only
// limitSimdLevel asks for it, for the benchmark). scalar: the fast kernels without vector
// instructions. The others: the vector kernels of that instruction set.
enum class Level { literal, scalar, sse2, avx2, avx512 };

// The best level this processor and this build support.
Level supportedLevel();

// The level a value of ONDORIA_SIMD asks for: one of the fast levels by name; no value (null) or
// any other text asks for nothing, which is the highest level.
Level requestedLevel(const char *name);

// The level the kernels use: the supported level, lowered by ONDORIA_SIMD and limitSimdLevel.
Level activeLevel();

// Caps the level for the rest of the process (tests and the benchmark run every path in turn);
// Level::avx512 lifts a cap set earlier, down to what ONDORIA_SIMD allows.
void limitSimdLevel(Level cap);

// The fast levels this processor runs and ONDORIA_SIMD allows, lowest first, whatever the cap.
std::vector<Level> runnableLevels();

const char *levelName(Level level);

}  // namespace simd
