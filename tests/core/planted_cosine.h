#pragma once

// Vector cosines the tests plant into a vector level's column kernel, to hold its rounding check
// and its theta limit to the literal code.

#include <cstdint>

#include "wave/sine_fast.h"

enum class PlantedCosine {
    // std::cos moved 4 ulp (the bound glibc documents for its vector cosine) toward the float
    // rounding boundary nearest it: the worst direction.
    documentedError,
    // Moved 512 ulp the same way: far beyond the bound, still within the rounding margin.
    largeError,
    // std::cos up to vectorCosLimit, and a wrong value beyond it or for a theta not finite.
    wrongBeyondLimit,
};

// The planted cosine of theta. Built without vector flags (planted_cosine_test.cpp); each level's
// planted kernel calls it lane by lane.
double plantedCosine(PlantedCosine cosine, double theta);

// Each vector level's column kernel with the planted cosine (planted_cosine_kernels.cpp, built
// once per level).
namespace simd_sse2 { sine_fast::ColumnKernel plantedColumn(PlantedCosine cosine); }
namespace simd_avx2 { sine_fast::ColumnKernel plantedColumn(PlantedCosine cosine); }
namespace simd_avx512 { sine_fast::ColumnKernel plantedColumn(PlantedCosine cosine); }
