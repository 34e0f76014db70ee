#include <algorithm>
#include <cmath>

#include "wave/sine_fast.h"

namespace sine_fast {

namespace {
constexpr double pi = 3.141592653589793;
}

float literalSample(const Wave &wave, std::uint32_t x, std::uint32_t y) {
    const double dx = double(wave.sourceX) - double(x);
    const double dy = double(wave.sourceY) - double(y);
    const float r = float(std::hypot(dx, dy));

    float a = 1;
    if (wave.reach != 0) {
        a = float(1.0 - std::sqrt(double(r) / double(wave.reach)));
        if (!(a >= 0)) {
            a = 0;
        }
    }

    const double theta =
        (double(r) * 2 * pi) / double(wave.lambda) - double(wave.phase) * double(wave.lambda);
    return float(std::cos(theta) * double(a));
}

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

// Differs from the literal code only in taking r as the float square root of the exact integer
// sum of squares, which equals hypot's r within exactRadiusLimit.
void columnPortable(float *column, std::uint32_t x, std::uint32_t first, std::uint32_t last,
                    const Wave &wave) {
    const double phaseTerm = double(wave.phase) * double(wave.lambda);
    const double dx = double(wave.sourceX) - double(x);
    for (std::uint32_t y = first; y < last; ++y) {
        const double dy = double(wave.sourceY) - double(y);
        const float r = std::sqrt(float(dx * dx + dy * dy));
        float a = 1;
        if (wave.reach != 0) {
            a = float(1.0 - std::sqrt(double(r) / double(wave.reach)));
            if (!(a >= 0)) {
                a = 0;
            }
        }
        const double theta = (double(r) * 2 * pi) / double(wave.lambda) - phaseTerm;
        column[y] = float(std::cos(theta) * double(a));
    }
}

void computeField(ColumnKernel kernel, float *const *grid, std::uint32_t width,
                  std::uint32_t height, const Wave &wave) {
    const RowRange rows = exactRows(wave.sourceY, height);
    const bool symmetric = width == height && wave.sourceX == wave.sourceY && width > 0 &&
                           exactColumn(wave.sourceX, 0) && exactColumn(wave.sourceX, width - 1);
    for (std::uint32_t x = 0; x < width; ++x) {
        float *column = grid[x];
        const bool near = exactColumn(wave.sourceX, x);
        const std::uint32_t first = !near ? height : symmetric ? x : rows.first;
        const std::uint32_t last = !near ? height : rows.last;
        for (std::uint32_t y = symmetric ? x : 0; y < first; ++y) {
            column[y] = literalSample(wave, x, y);
        }
        if (first < last) {
            kernel(column, x, first, last, wave);
        }
        for (std::uint32_t y = last; y < height; ++y) {
            column[y] = literalSample(wave, x, y);
        }
    }
    if (symmetric) {
        mirrorLowerTriangle(grid, width);
    }
}

void mirrorLowerTriangle(float *const *grid, std::uint32_t size) {
    // Square tiles small enough that the rows read across the source columns stay in cache.
    constexpr std::uint32_t tile = 32;
    for (std::uint32_t x0 = 0; x0 < size; x0 += tile) {
        const std::uint32_t x1 = std::min(size, x0 + tile);
        for (std::uint32_t y0 = 0; y0 < x1; y0 += tile) {
            for (std::uint32_t x = x0; x < x1; ++x) {
                float *target = grid[x];
                const std::uint32_t y1 = std::min(x, y0 + tile);
                for (std::uint32_t y = y0; y < y1; ++y) {
                    target[y] = grid[y][x];
                }
            }
        }
    }
}

}  // namespace sine_fast
