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

// Computes: the samples of the literal code. Valid for: every argument. Error: bit-identical to
// the literal code; it differs only in taking r as the float square root of the exact integer
// sum of squares, which equals hypot's r within exactRadiusLimit, and uses hypot (literalSample)
// beyond it.
void computePortable(float *const *grid, std::uint32_t width, std::uint32_t height,
                     const Wave &wave) {
    const RowRange rows = exactRows(wave.sourceY, height);
    const double phaseTerm = double(wave.phase) * double(wave.lambda);
    for (std::uint32_t x = 0; x < width; ++x) {
        float *column = grid[x];
        const bool near = exactColumn(wave.sourceX, x);
        const double dx = double(wave.sourceX) - double(x);
        for (std::uint32_t y = 0; y < height; ++y) {
            if (!near || y < rows.first || y >= rows.last) {
                column[y] = literalSample(wave, x, y);
                continue;
            }
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
}

}  // namespace sine_fast
