#pragma once

// The fast kernels behind sine::compute and what they share. The column and mirror kernels are
// written once (wave/sine_kernel.h) and compiled for each vector level; sine::compute picks the
// level with simd::activeLevel(), and sine::computeLiteral is their definition.

#include <cstdint>

#include "simd/level.h"
#include "wave/sine.h"

namespace sine_fast {

// For integer dx, dy with |dx|, |dy| <= exactRadiusLimit, dx*dx + dy*dy < 2^24 is exact in float,
// and its float square root (correctly rounded) equals float(hypot(dx, dy)); the tests check
// every such pair. Farther pixels take hypot, as the literal code does.
inline constexpr std::int64_t exactRadiusLimit = 2896;

// The vector cosine is trusted only for |theta| <= vectorCosLimit. glibc documents its vector
// math functions (libmvec wiki page) as tested to a 4 ulp maximum error over their domains, and
// std::cos is within 1 ulp; the tests measure the two at most 8 ulp apart here. Beyond the
// limit, or for a theta that is not finite, std::cos decides.
inline constexpr double vectorCosLimit = 0x1p20;

// A vector cosine result, times the amplitude, is accepted when it lies farther than this many
// units in the last place of a double from a float rounding boundary (a midpoint between two
// floats): the literal result, a few units away (the two cosines at most 8 apart, and each
// product rounded once), then lies on the same side of it and rounds to the same float. The
// margin is 128 times those 8 units. The product is 0 or at least 2^-115
// in magnitude (no double comes closer than 2^-62 to an odd multiple of pi / 2, and a nonzero
// amplitude float(1 - sqrt(r / reach)) is at least 2^-53), so its float is never subnormal and
// the check needs no exception near 0.
inline constexpr std::int32_t roundingMargin = 1024;

// A column kernel fills rows [first, last) of column x, where first < last and every one of
// those pixels lies within exactRadiusLimit of the source in both directions.
using ColumnKernel = void (*)(float *column, std::uint32_t x, std::uint32_t first,
                              std::uint32_t last, const Wave &wave);

// Computes: the samples of sine::computeLiteral, for the rows a column kernel is given. Valid
// for: those rows, any wave. Error: bit-identical to the literal code (r as the float square
// root of the exact integer sum of squares, which equals hypot's r within exactRadiusLimit).
void columnScalar(float *column, std::uint32_t x, std::uint32_t first, std::uint32_t last,
                  const Wave &wave);

// Whether any of rows [from, to) of column x may have a theta the vector cosine takes (|theta| <=
// vectorCosLimit); false when none has. theta follows r monotonically at every rounding step
// (upward, or downward for a negative wavelength), and r over a run of rows is least at the
// row nearest the source's and greatest at an end, so the thetas lie between those rows'. Only
// speed rests on it: rows the vector kernels send to columnScalar get the same bits there.
bool anyThetaInVectorRange(const Wave &wave, std::uint32_t x, std::uint32_t from,
                           std::uint32_t to);

// A mirror kernel copies the samples of columns [first, first + mirrorTile) below the diagonal
// of a size x size grid to their mirror images: grid[x][y] = grid[y][x] for those y and every
// x > y.
inline constexpr std::uint32_t mirrorTile = 16;
using MirrorKernel = void (*)(float *const *grid, std::uint32_t size, std::uint32_t first);

// Computes: the mirror kernel's copy for rows x in [from, to) of the strip of columns
// [first, first + mirrorTile), bit for bit. Valid for: first <= from <= to <= the grid's size.
void mirrorRows(float *const *grid, std::uint32_t first, std::uint32_t from, std::uint32_t to);

// The kernels of one level.
struct Kernels {
    ColumnKernel column;
    MirrorKernel mirror;
};
Kernels kernelsFor(simd::Level level);

// Fills columns [0, width) of grid, each of height samples, for the wave: literalSample for the
// pixels beyond exactRadiusLimit, the column kernel for the others.
//
// Computes: the samples of sine::computeLiteral. Valid for: every argument. Error:
// bit-identical to the literal code. When the grid is square, the source on its diagonal and
// every pixel within exactRadiusLimit, pixel (x, y) has the bits of (y, x) (the same r, and so
// the same theta and the same fallbacks): only the samples on and below the diagonal are
// computed, mirrorTile columns at a time, and the mirror kernel copies each such strip across
// while it is still in cache.
void computeField(const Kernels &kernels, float *const *grid, std::uint32_t width,
                  std::uint32_t height, const Wave &wave);

// The rows of a column whose |sourceY - y| stays within exactRadiusLimit: [first, last).
struct RowRange {
    std::uint32_t first, last;
};
RowRange exactRows(std::uint32_t sourceY, std::uint32_t height);

// Whether column x lies within exactRadiusLimit of the source.
bool exactColumn(std::uint32_t sourceX, std::uint32_t x);

}  // namespace sine_fast

#if defined(ONDORIA_X86_KERNELS)
// The vector levels' kernels (wave/sine_kernels.cpp, built once per level).
namespace simd_sse2 { extern const sine_fast::Kernels sineKernels; }
namespace simd_avx2 { extern const sine_fast::Kernels sineKernels; }
namespace simd_avx512 { extern const sine_fast::Kernels sineKernels; }
#endif
