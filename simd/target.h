#pragma once

// The vector level the including file is being compiled for (CMake's ondoria_add_per_level sets
// ONDORIA_SIMD_<level> and that level's flags): its traits, and ONDORIA_SIMD_TARGET, the namespace
// all of that level's code goes in.
#if defined(ONDORIA_SIMD_SSE2)
#include "simd/sse2.h"
#define ONDORIA_SIMD_TARGET simd_sse2
#elif defined(ONDORIA_SIMD_AVX2)
#include "simd/avx2.h"
#define ONDORIA_SIMD_TARGET simd_avx2
#elif defined(ONDORIA_SIMD_AVX512)
#include "simd/avx512.h"
#define ONDORIA_SIMD_TARGET simd_avx512
#else
#error "built for no vector level: see ondoria_add_per_level in CMakeLists.txt"
#endif
