#include "wave/sine_fast.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sine_fast {

RowRange exactRows(std::uint32_t sourceY, std::uint32_t height) {
    const std::int64_t first = std::max<std::int64_t>(0, std::int64_t(sourceY) - exactRadiusLimit);
    const std::int64_t last =
        std::min<std::int64_t>(height, std::int64_t(sourceY) + exactRadiusLimit + 1);
    if (first >= last) {
        return {0, 0};
    }
    return {std::uint32_t(first), std::uint32_t(last)};
}

bool exactColumn(std::uint32_t sourceX, std::uint32_t x) {
    const std::int64_t dx = std::int64_t(sourceX) - std::int64_t(x);
    return dx >= -exactRadiusLimit && dx <= exactRadiusLimit;
}

void columnScalar(float *column, std::uint32_t x, std::uint32_t first, std::uint32_t last,
                  const Wave &wave) {
    const double dx = double(wave.sourceX) - double(x);
    for (std::uint32_t y = first; y < last; ++y) {
        const double dy = double(wave.sourceY) - double(y);
        column[y] = sampleAt(wave, std::sqrt(float(dx * dx + dy * dy)));
    }
}

bool anyThetaInVectorRange(const Wave &wave, std::uint32_t x, std::uint32_t from,
                           std::uint32_t to) {
    const double dx = double(wave.sourceX) - double(x);
    const auto thetaAt = [&](std::uint32_t y) {
        const double dy = double(wave.sourceY) - double(y);
        const float r = std::sqrt(float(dx * dx + dy * dy));
        return (double(r) * 2 * std::numbers::pi) / double(wave.lambda) -
               double(wave.phase) * double(wave.lambda);
    };
    const std::uint32_t nearest = std::clamp(wave.sourceY, from, to - 1);
    const double ends[] = {thetaAt(from), thetaAt(nearest), thetaAt(to - 1)};
    const double low = std::min({ends[0], ends[1], ends[2]});
    const double high = std::max({ends[0], ends[1], ends[2]});
    // A theta that is not a number makes every comparison false: there are none in range then.
    return high >= -vectorCosLimit && low <= vectorCosLimit;
}

void mirrorRows(float *const *grid, std::uint32_t first, std::uint32_t from, std::uint32_t to) {
    for (std::uint32_t x = from; x < to; ++x) {
        float *target = grid[x];
        for (std::uint32_t y = first; y < std::min(x, first + mirrorTile); ++y) {
            target[y] = grid[y][x];
        }
    }
}

namespace {

void mirrorScalar(float *const *grid, std::uint32_t size, std::uint32_t first) {
    mirrorRows(grid, first, first + 1, size);
}

}  // namespace

Kernels kernelsFor(simd::Level level) {
    switch (level) {
#if defined(ONDORIA_X86_KERNELS)
        case simd::Level::avx512:
            return simd_avx512::sineKernels;
        case simd::Level::avx2:
            return simd_avx2::sineKernels;
        case simd::Level::sse2:
            return simd_sse2::sineKernels;
#endif
        default:
            return {columnScalar, mirrorScalar};
    }
}

void computeField(const Kernels &kernels, float *const *grid, std::uint32_t width,
                  std::uint32_t height, const Wave &wave) {
    const bool symmetric = width == height && wave.sourceX == wave.sourceY && width > 0 &&
                           exactColumn(wave.sourceX, 0) && exactColumn(wave.sourceX, width - 1);
    if (symmetric) {
        for (std::uint32_t first = 0; first < width; first += mirrorTile) {
            const std::uint32_t end = std::min(width, first + mirrorTile);
            for (std::uint32_t x = first; x < end; ++x) {
                kernels.column(grid[x], x, x, height, wave);
            }
            kernels.mirror(grid, width, first);
        }
        return;
    }
    const RowRange rows = exactRows(wave.sourceY, height);
    for (std::uint32_t x = 0; x < width; ++x) {
        float *column = grid[x];
        const bool near = exactColumn(wave.sourceX, x);
        const std::uint32_t first = near ? rows.first : height;
        const std::uint32_t last = near ? rows.last : height;
        for (std::uint32_t y = 0; y < first; ++y) {
            column[y] = literalSample(wave, x, y);
        }
        if (first < last) {
            kernels.column(column, x, first, last, wave);
        }
        for (std::uint32_t y = last; y < height; ++y) {
            column[y] = literalSample(wave, x, y);
        }
    }
}

}  // namespace sine_fast
