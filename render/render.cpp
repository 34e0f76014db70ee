#include "render/render.h"

#include <cmath>
#include <cstddef>
#include <limits>
#include <new>

#include "render/convert_fast.h"
#include "simd/level.h"

double roundSample(double t) {
    const double f = std::fmod(t, 1.0);  // has the sign of t
    return f > 0.5 ? std::ceil(t) : std::floor(t);
}

std::uint8_t greyLevel(float sample) {
    const double n = roundSample(sample * 127.0f);
    if (!std::isfinite(n)) {
        return 128;
    }
    // Only a broken field gives samples beyond [-1, 1]. For those, fmod keeps the low 8 bits
    // exactly where converting n to an int would overflow (they are 0: from 2^31 on every float
    // is a multiple of 256).
    const int low = int(std::fabs(n) < 0x1p31 ? n : std::fmod(n, 256.0));
    return std::uint8_t((low + 128) & 0xff);
}

render::render(layer *field) {
    const auto [fieldWidth, fieldHeight] = field->getSize();
    allocate(fieldWidth, fieldHeight);
    grid = field->getGrid();
}

render::~render() { delete[] pixels; }

void render::allocate(std::uint32_t width, std::uint32_t height) {
    const std::size_t rowBytes = std::size_t(width) * 4;
    if (height != 0 && rowBytes > std::numeric_limits<std::size_t>::max() / height) {
        throw std::bad_array_new_length();
    }
    std::uint8_t *const fresh = new std::uint8_t[rowBytes * height];
    delete[] pixels;
    pixels = fresh;
    this->width = width;
    this->height = height;
}

std::uint8_t *render::convert() {
    const simd::Level level = simd::activeLevel();
    if (level == simd::Level::literal) {
        return convertLiteral();
    }
    convert_fast::kernelFor(level)(grid, pixels, width, height);
    return pixels;
}

std::uint8_t *render::convertLiteral() {
    std::size_t i = 0;
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            for (int k = 0; k < 4; ++k) {
                pixels[i++] = greyLevel(grid[x][y]);
            }
        }
    }
    return pixels;
}

std::uint8_t *render::getPixels() { return pixels; }

std::pair<std::uint32_t, std::uint32_t> render::getSize() const { return {width, height}; }
