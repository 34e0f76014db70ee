// The column and mirror kernels of one vector level: built once per level, with that level's
// flags (ondoria_add_per_level in CMakeLists.txt), and called only when the processor has it.
#include <cstdint>
#include <numbers>

#include "simd/target.h"
#include "wave/sine_fast.h"

namespace ONDORIA_SIMD_TARGET {

#include "wave/sine_kernel.h"

extern const sine_fast::Kernels sineKernels{columnKernel<Traits>, mirrorKernel<Traits>};

}  // namespace ONDORIA_SIMD_TARGET
