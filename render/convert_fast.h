#pragma once

// The fast kernels behind render::convert, one per instruction-set level, and what they share.
// render::convert picks one with simd::activeLevel(); render::convertLiteral is their definition.

#include <cstdint>

namespace convert_fast {

// Columns of the grid the portable kernel reads together: their samples for one row fill a
// 64-byte run of the pixel buffer, so each output cache line is written whole, while each column
// is still read front to back.
inline constexpr std::uint32_t stripColumns = 16;

// Computes: greyLevel(sample), without fmod. Valid for: every float bit pattern. Error:
// bit-identical to greyLevel. |s * 127| >= 2^31 (beyond 2^31 every float is a multiple of 256),
// infinity and NaN give 128, as greyLevel's low 8 bits do.
std::uint8_t greyByte(float sample);

// Each writes the pixels of columns [x0, x1) and rows [y0, y1) of the column-major grid into
// the row-major buffer pixels (4 equal bytes a pixel, width * 4 bytes a row); render::convert
// asks for the whole grid.
//
// Computes: the bytes of render::convertLiteral. Valid for: every sample bit pattern, any
// region of the grid. Error: bit-identical to the literal code. The vector kernels transpose
// square blocks (16, 8 or 4 pixels wide) in registers and hand the columns and rows left over at
// the right and bottom to the next narrower kernel, down to convertRegionPortable.
void convertRegionPortable(const float *const *grid, std::uint8_t *pixels, std::uint32_t width,
                           std::uint32_t x0, std::uint32_t x1, std::uint32_t y0, std::uint32_t y1);
#if defined(ONDORIA_X86_KERNELS)
void convertRegionSse2(const float *const *grid, std::uint8_t *pixels, std::uint32_t width,
                       std::uint32_t x0, std::uint32_t x1, std::uint32_t y0, std::uint32_t y1);
void convertRegionAvx2(const float *const *grid, std::uint8_t *pixels, std::uint32_t width,
                       std::uint32_t x0, std::uint32_t x1, std::uint32_t y0, std::uint32_t y1);
void convertRegionAvx512(const float *const *grid, std::uint8_t *pixels, std::uint32_t width,
                         std::uint32_t x0, std::uint32_t x1, std::uint32_t y0, std::uint32_t y1);
#endif

}  // namespace convert_fast
