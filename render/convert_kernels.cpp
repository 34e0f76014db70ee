// The convert kernel of one vector level: built once per level, with that level's flags
// (ondoria_add_per_level in CMakeLists.txt), and called only when the processor has it.
#include <cstddef>
#include <cstdint>

#include "render/convert_fast.h"
#include "simd/target.h"

namespace ONDORIA_SIMD_TARGET {

#include "render/convert_kernel.h"

extern const convert_fast::Kernel convertKernel = convertPixels<Traits>;

}  // namespace ONDORIA_SIMD_TARGET
