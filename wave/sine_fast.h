#pragma once

// The fast kernels behind sine::compute, one per instruction-set level, and what they share.
// sine::compute picks one with simd::activeLevel(); sine::computeLiteral is their definition.

#include <cstdint>

namespace sine_fast {

// The arguments of one compute call.
struct Wave {
    std::uint32_t sourceX, sourceY;
    float lambda, reach, phase;
};

// For integer dx, dy with |dx|, |dy| <= exactRadiusLimit, dx*dx + dy*dy < 2^24 is exact in float,
// and its float square root (correctly rounded) equals float(hypot(dx, dy)); the tests check
// every such pair. Farther pixels take hypot, as the literal code does.
inline constexpr std::int64_t exactRadiusLimit = 2896;

// The vector cosine is trusted only for |theta| <= vectorCosLimit. glibc documents its vector
// math functions (libmvec wiki page) as tested to a 4 ulp maximum relative error over their
// domains; the tests measure at most 4 against std::cos here. Beyond the limit, or for a theta
// that is not finite, std::cos decides.
inline constexpr double vectorCosLimit = 0x1p20;

// A vector cosine result is accepted when its double lies farther than this many units in the
// last place from a float rounding boundary (a midpoint between two floats). The vector cosine
// (<= 4 ulp) and std::cos (<= 1 ulp) then lie on the same side of it and round to the same
// float; the margin leaves a factor of 100 over those bounds.
inline constexpr std::int64_t roundingMargin = 1024;

// Vector results this close to 0 are recomputed: float rounding there is no longer a matter of
// the low mantissa bits (subnormal floats), and a vector cosine that small is suspect.
inline constexpr double tinyCosine = 0x1p-100;
inline constexpr double tinySample = 0x1p-125;

// The sample of pixel (x, y) as sine::computeLiteral defines it: r = float(hypot(dx, dy)), then
// sampleAt. The fallback of every fast kernel.
float literalSample(const Wave &wave, std::uint32_t x, std::uint32_t y);

// The sample at distance r from the source: the amplitude, theta and cos(theta) * a, with every
// rounding of the literal code.
float sampleAt(const Wave &wave, float r);

// A column kernel fills rows [first, last) of column x, where first < last and every one of
// those pixels lies within exactRadiusLimit of the source in both directions.
//
// Computes: the samples of sine::computeLiteral. Valid for: those rows, any wave. Error:
// bit-identical to the literal code. An element whose theta is beyond vectorCosLimit or not
// finite, or whose result lies near a float rounding boundary or 0, falls back to
// literalSample.
using ColumnKernel = void (*)(float *column, std::uint32_t x, std::uint32_t first,
                              std::uint32_t last, const Wave &wave);
void columnPortable(float *column, std::uint32_t x, std::uint32_t first, std::uint32_t last,
                    const Wave &wave);
#if defined(ONDORIA_X86_KERNELS)
void columnSse2(float *column, std::uint32_t x, std::uint32_t first, std::uint32_t last,
                const Wave &wave);
void columnAvx2(float *column, std::uint32_t x, std::uint32_t first, std::uint32_t last,
                const Wave &wave);
void columnAvx512(float *column, std::uint32_t x, std::uint32_t first, std::uint32_t last,
                  const Wave &wave);
#endif

// A mirror kernel copies the samples of columns [first, first + mirrorTile) below the diagonal
// of a size x size grid to their mirror images: grid[x][y] = grid[y][x] for those y and every
// x > y.
//
// Computes: a copy, bit for bit. Valid for: first < size, a multiple of mirrorTile. The vector
// ones move square tiles through registers and leave the tile on the diagonal and the rows
// past the last whole tile to mirrorRemainder.
inline constexpr std::uint32_t mirrorTile = 16;
using MirrorKernel = void (*)(float *const *grid, std::uint32_t size, std::uint32_t first);
void mirrorPortable(float *const *grid, std::uint32_t size, std::uint32_t first);
#if defined(ONDORIA_X86_KERNELS)
void mirrorSse2(float *const *grid, std::uint32_t size, std::uint32_t first);
void mirrorAvx2(float *const *grid, std::uint32_t size, std::uint32_t first);
void mirrorAvx512(float *const *grid, std::uint32_t size, std::uint32_t first);
#endif

// The part of a mirror kernel's work that its tiles of tile x tile samples leave: rows x of
// columns [first, first + mirrorTile) except those in [first + mirrorTile, tiledEnd).
void mirrorRemainder(float *const *grid, std::uint32_t size, std::uint32_t first,
                     std::uint32_t tiledEnd);

// The kernels of one instruction-set level.
struct Kernels {
    ColumnKernel column;
    MirrorKernel mirror;
};

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
