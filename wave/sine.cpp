#include "wave/sine.h"

#include <cmath>

#include "wave/simd_level.h"
#include "wave/sine_fast.h"

namespace {
constexpr double pi = 3.141592653589793;
}

sine::sine(std::uint32_t width, std::uint32_t height) : layer(width, height) {}

void sine::compute(std::uint32_t sourceX, std::uint32_t sourceY, float lambda, float reach,
                   float phase) {
    sine_fast::Kernels kernels{sine_fast::columnPortable, sine_fast::mirrorPortable};
    switch (simd::activeLevel()) {
#if defined(ONDORIA_X86_KERNELS)
        case simd::Level::avx512:
            kernels = {sine_fast::columnAvx512, sine_fast::mirrorAvx512};
            break;
        case simd::Level::avx2:
            kernels = {sine_fast::columnAvx2, sine_fast::mirrorAvx2};
            break;
        case simd::Level::sse2:
            kernels = {sine_fast::columnSse2, sine_fast::mirrorSse2};
            break;
#endif
        default:
            break;
    }
    sine_fast::computeField(kernels, grid, width, height, {sourceX, sourceY, lambda, reach, phase});
}

void sine::computeLiteral(std::uint32_t sourceX, std::uint32_t sourceY, float lambda, float reach,
                          float phase) {
    const sine_fast::Wave wave{sourceX, sourceY, lambda, reach, phase};
    for (std::uint32_t x = 0; x < width; ++x) {
        for (std::uint32_t y = 0; y < height; ++y) {
            grid[x][y] = sine_fast::literalSample(wave, x, y);
        }
    }
}

namespace sine_fast {

// Built without any vector flags, as the fallback of every kernel must be.
float literalSample(const Wave &wave, std::uint32_t x, std::uint32_t y) {
    // Widen before subtracting: pixels right of or below the source give negative differences
    // rather than unsigned wrap-around.
    const double dx = double(wave.sourceX) - double(x);
    const double dy = double(wave.sourceY) - double(y);
    return sampleAt(wave, float(std::hypot(dx, dy)));
}

float sampleAt(const Wave &wave, float r) {
    float a = 1;
    if (wave.reach != 0) {
        a = float(1.0 - std::sqrt(double(r) / double(wave.reach)));
        if (!(a >= 0)) {
            a = 0;  // beyond the reach, or not a number
        }
    }
    const double theta =
        (double(r) * 2 * pi) / double(wave.lambda) - double(wave.phase) * double(wave.lambda);
    return float(std::cos(theta) * double(a));
}

}  // namespace sine_fast
