#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>

#include "render/convert_fast.h"

namespace convert_fast {

std::uint8_t greyByte(float sample) {
    const float t = sample * 127.0f;
    if (!(std::fabs(t) < 0x1p31f)) {
        return 128;
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
    return std::uint8_t((std::uint32_t(n) + 128u) & 0xffu);
}

void convertRegionPortable(const float *const *grid, std::uint8_t *pixels, std::uint32_t width,
                           std::uint32_t x0, std::uint32_t x1, std::uint32_t y0, std::uint32_t y1) {
    for (std::uint32_t strip = x0; strip < x1; strip += stripColumns) {
        const std::uint32_t stripEnd = std::min(x1, strip + stripColumns);
        for (std::uint32_t y = y0; y < y1; ++y) {
            std::uint8_t *row = pixels + std::size_t(y) * width * 4;
            for (std::uint32_t x = strip; x < stripEnd; ++x) {
                const std::uint32_t pixel = greyByte(grid[x][y]) * 0x01010101u;
                std::memcpy(row + std::size_t(x) * 4, &pixel, 4);
            }
        }
    }
}

}  // namespace convert_fast
