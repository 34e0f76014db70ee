#include "wave/sine.h"

#include <cmath>
#include <numbers>

#include "simd/level.h"
#include "wave/sine_fast.h"

sine::sine(std::uint32_t width, std::uint32_t height) : layer(width, height) {}

void sine::compute(std::uint32_t sourceX, std::uint32_t sourceY, float lambda, float reach,
                   float phase) {
    const simd::Level level = simd::activeLevel();
    if (level == simd::Level::literal) {
        computeLiteral(sourceX, sourceY, lambda, reach, phase);
        return;
    }
    sine_fast::computeField(sine_fast::kernelsFor(level), grid, width, height,
                            {sourceX, sourceY, lambda, reach, phase});
}

void sine::computeLiteral(std::uint32_t sourceX, std::uint32_t sourceY, float lambda, float reach,
                          float phase) {
    const Wave wave{sourceX, sourceY, lambda, reach, phase};
    for (std::uint32_t x = 0; x < width; ++x) {
        for (std::uint32_t y = 0; y < height; ++y) {
            grid[x][y] = literalSample(wave, x, y);
        }
    }
}

float literalSample(const Wave &wave, std::uint32_t x, std::uint32_t y) {
    // Widen before subtracting: pixels right of or below the source give negative differences
    // rather than unsigned wrap-around.
    const double dx = double(wave.sourceX) - double(x);
    const double dy = double(wave.sourceY) - double(y);
    return sampleAt(wave, float(std::hypot(dx, dy)));
}

// Built without any vector flags: the fast kernels fall back to it.
float sampleAt(const Wave &wave, float r) {
    float a = 1;
    if (wave.reach != 0) {
        a = float(1.0 - std::sqrt(double(r) / double(wave.reach)));
        if (!(a >= 0)) {
            a = 0;  // beyond the reach, or not a number
        }
    }
    const double theta = (double(r) * 2 * std::numbers::pi) / double(wave.lambda) -
                         double(wave.phase) * double(wave.lambda);
    return float(std::cos(theta) * double(a));
}
