#include "render/convert_fast.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>

namespace convert_fast {

std::uint32_t greyPixel(float sample) {
    const float t = sample * 127.0f;
    if (!(std::fabs(t) < 0x1p31f)) {
        return 0x80808080u;
    }
    // floor(t) as an integer; the fraction t - floor(t) is exact below 2^23, and 0 above it.
    std::int32_t n = std::int32_t(t);
    if (float(n) > t) {
        --n;
    }
    // fmod keeps the sign of t, so only a positive fraction above one half rounds up.
    if (t > 0 && t - float(n) > 0.5f) {
        ++n;
    }
    return ((std::uint32_t(n) + 128u) & 0xffu) * 0x01010101u;
}

void convertScalar(const float *const *grid, std::uint8_t *pixels, std::uint32_t width,
                   std::uint32_t height) {
    for (std::uint32_t strip = 0; strip < width; strip += stripColumns) {
        const std::uint32_t stripEnd = std::min(width, strip + stripColumns);
        for (std::uint32_t y = 0; y < height; ++y) {
            std::uint8_t *row = pixels + std::size_t(y) * width * 4;
            for (std::uint32_t x = strip; x < stripEnd; ++x) {
                const std::uint32_t pixel = greyPixel(grid[x][y]);
                std::memcpy(row + std::size_t(x) * 4, &pixel, 4);
            }
        }
    }
}

Kernel kernelFor(simd::Level level) {
    switch (level) {
#if defined(ONDORIA_X86_KERNELS)
        case simd::Level::avx512:
            return simd_avx512::convertKernel;
        case simd::Level::avx2:
            return simd_avx2::convertKernel;
        case simd::Level::sse2:
            return simd_sse2::convertKernel;
#endif
        default:
            return convertScalar;
    }
}

}  // namespace convert_fast
