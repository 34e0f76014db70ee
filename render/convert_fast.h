#pragma once

// The fast kernels behind render::convert. The vector kernel is written once (render/
// convert_kernel.h) and compiled for each vector level; render::convert picks the level with
// simd::activeLevel(), and render::convertLiteral is their definition.

#include <cstdint>

#include "simd/level.h"

namespace convert_fast {

// Computes: the pixel of one sample, greyLevel(sample) in each of its four bytes, without fmod.
// Valid for: every float bit pattern. Error: bit-identical to greyLevel. |s * 127| >= 2^31
// (where every float is a multiple of 256), infinity and NaN give mid grey, as greyLevel does.
std::uint32_t greyPixel(float sample);

// A convert kernel writes the pixels of the whole column-major grid of width x height samples
// into the row-major buffer pixels (4 equal bytes a pixel, width * 4 bytes a row).
using Kernel = void (*)(const float *const *grid, std::uint8_t *pixels, std::uint32_t width,
                        std::uint32_t height);

// Columns of the grid the scalar kernel reads together: their samples for one row fill a 64-byte
// run of the pixel buffer, so each output cache line is written whole, while each column is
// still read front to back.
inline constexpr std::uint32_t stripColumns = 16;

// Computes: the bytes of render::convertLiteral. Valid for: every sample bit pattern, any size.
// Error: bit-identical to the literal code.
void convertScalar(const float *const *grid, std::uint8_t *pixels, std::uint32_t width,
                   std::uint32_t height);

Kernel kernelFor(simd::Level level);

}  // namespace convert_fast

#if defined(ONDORIA_X86_KERNELS)
// The vector levels' kernels (render/convert_kernels.cpp, built once per level).
namespace simd_sse2 { extern const convert_fast::Kernel convertKernel; }
namespace simd_avx2 { extern const convert_fast::Kernel convertKernel; }
namespace simd_avx512 { extern const convert_fast::Kernel convertKernel; }
#endif
