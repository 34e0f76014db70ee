#pragma once

// A second, independent statement of the wave and grey-level arithmetic, written from the rules
// rather than from the core's code. Whole frames from the core are held to it bit for bit.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace oracle {

// The sample of pixel (x, y).
inline float sample(std::uint32_t sourceX, std::uint32_t sourceY, std::uint32_t x, std::uint32_t y,
                    float lambda, float reach, float phase) {
    const double pi = 3.141592653589793;
    const double dx = static_cast<double>(sourceX) - static_cast<double>(x);
    const double dy = static_cast<double>(sourceY) - static_cast<double>(y);
    const float distance = static_cast<float>(std::hypot(dx, dy));
    float amplitude = 1.0f;
    if (reach != 0.0f) {
        const double root = std::sqrt(static_cast<double>(distance) / static_cast<double>(reach));
        amplitude = static_cast<float>(1.0 - root);
        if (std::isnan(amplitude) || amplitude < 0.0f) {
            amplitude = 0.0f;
        }
    }
    const double ring = static_cast<double>(distance) * 2.0;
    const double angle = (ring * pi) / static_cast<double>(lambda) -
                         static_cast<double>(phase) * static_cast<double>(lambda);
    return static_cast<float>(std::cos(angle) * static_cast<double>(amplitude));
}

// The grey byte of a sample. A negative fraction never exceeds one half, so negative values
// always go down; a positive one goes up only past one half.
inline std::uint8_t grey(float s) {
    const double t = static_cast<double>(s * 127.0f);
    if (!std::isfinite(t)) {
        return 128;
    }
    double n = std::floor(t);
    if (t > 0 && t - n > 0.5) {
        n += 1;
    }
    if (std::fabs(n) < 0x1p52) {
        return static_cast<std::uint8_t>(static_cast<std::int64_t>(n) + 128);
    }
    const double low = n - 256.0 * std::floor(n / 256.0);  // n mod 256, in [0, 256)
    return static_cast<std::uint8_t>(static_cast<int>(low) + 128);
}

// A whole frame, grid in column-major order (index x * height + y).
inline std::vector<float> field(std::uint32_t width, std::uint32_t height, std::uint32_t sourceX,
                                std::uint32_t sourceY, float lambda, float reach, float phase) {
    std::vector<float> samples(std::size_t(width) * height);
    for (std::uint32_t x = 0; x < width; ++x) {
        for (std::uint32_t y = 0; y < height; ++y) {
            samples[std::size_t(x) * height + y] =
                sample(sourceX, sourceY, x, y, lambda, reach, phase);
        }
    }
    return samples;
}

// The pixel buffer of a column-major field: rows top to bottom, 4 equal bytes a pixel.
inline std::vector<std::uint8_t> pixels(const std::vector<float> &samples, std::uint32_t width,
                                        std::uint32_t height) {
    std::vector<std::uint8_t> bytes(std::size_t(width) * height * 4);
    for (std::uint32_t x = 0; x < width; ++x) {
        for (std::uint32_t y = 0; y < height; ++y) {
            const std::uint8_t g = grey(samples[std::size_t(x) * height + y]);
            std::memset(&bytes[(std::size_t(y) * width + x) * 4], g, 4);
        }
    }
    return bytes;
}

inline std::uint32_t bitsOf(float f) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

}  // namespace oracle
