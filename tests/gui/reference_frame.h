#pragma once

#include <cstdint>
#include <vector>

#include "render/render.h"
#include "wave/sine.h"

// The frame the program must show after `ticks` timer ticks with one wavelength, made by the
// numeric core alone: one grey byte per pixel, rows from top to bottom.
inline std::vector<std::uint8_t> referenceFrame(int ticks, float lambda) {
    constexpr std::uint32_t size = 1000;
    constexpr std::uint32_t source = 10;
    float phase = 0;
    for (int i = 0; i < ticks; ++i) {
        phase = float(double(phase) + 0.02);
    }
    sine field(size, size);
    field.compute(source, source, lambda, 0, phase);
    render renderer(&field);
    const std::uint8_t *pixels = renderer.convert();
    std::vector<std::uint8_t> grey(std::size_t(size) * size);
    for (std::size_t i = 0; i < grey.size(); ++i) {
        grey[i] = pixels[4 * i];
    }
    return grey;
}
