#pragma once

// The fast kernels behind render::convert, one per instruction-set level, and what they share.
// render::convert picks one with simd::activeLevel(); render::convertLiteral is their definition.

#include <cstdint>

namespace convert_fast {

// Columns of the grid a kernel reads together: their samples for one row fill a 64-byte run of
// the pixel buffer, so each output cache line is written whole, while each column is still read
// front to back.
inline constexpr std::uint32_t stripColumns = 16;

// Computes: greyLevel(sample), without fmod. Valid for: every float bit pattern. Error:
// bit-identical to greyLevel. |s * 127| >= 2^31 (beyond 2^31 every float is a multiple of 256),
// infinity and NaN give 128, as greyLevel's low 8 bits do.
std::uint8_t greyByte(float sample);

// Each writes the pixels of rows [0, height) and columns [0, width) of the column-major grid
// into the row-major buffer pixels (4 equal bytes a pixel, width * 4 bytes a row).
//
// Computes: the buffer of render::convertLiteral. Valid for: every sample bit pattern, any size.
// Error: bit-identical to the literal code. The vector kernels transpose square blocks in
// registers; the columns and rows left over at the right and bottom go through
// convertRegionPortable.
void convertPortable(const float *const *grid, std::uint8_t *pixels, std::uint32_t width,
                     std::uint32_t height);
#if defined(ONDORIA_X86_KERNELS)
void convertSse2(const float *const *grid, std::uint8_t *pixels, std::uint32_t width,
                 std::uint32_t height);
void convertAvx2(const float *const *grid, std::uint8_t *pixels, std::uint32_t width,
                 std::uint32_t height);
void convertAvx512(const float *const *grid, std::uint8_t *pixels, std::uint32_t width,
                   std::uint32_t height);
#endif

// The pixels of columns [x0, x1) and rows [y0, y1), one at a time with greyByte.
void convertRegionPortable(const float *const *grid, std::uint8_t *pixels, std::uint32_t width,
                           std::uint32_t x0, std::uint32_t x1, std::uint32_t y0, std::uint32_t y1);

// What a vector kernel of square blocks of `block` pixels leaves to convertRegionPortable: the
// columns from the last multiple of block and, left of them, the rows from the last multiple.
// Out of line, like everything the kernels share: an inline copy built with -mavx512f could be
// the one the linker keeps for the others.
void convertEdges(const float *const *grid, std::uint8_t *pixels, std::uint32_t width,
                  std::uint32_t height, std::uint32_t block);

}  // namespace convert_fast
