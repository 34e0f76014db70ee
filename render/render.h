#pragma once

#include <cstdint>
#include <utility>

#include "wave/layer.h"

// Rounds t to an integral value: down, unless the fraction fmod(t, 1) exceeds one half. So a
// positive half goes down (2.5 -> 2), and every negative non-integral value goes down (-0.3 -> -1).
double roundSample(double t);

// The grey byte of a wave sample: the low 8 bits of roundSample(s * 127), plus 128, modulo 256.
// Defined for every float: NaN and infinity give 128 (mid grey), and so do samples with
// |s * 127| >= 2^31, whose low 8 bits are 0 (every float that large is a multiple of 256).
std::uint8_t greyLevel(float sample);

// Turns a wave field's samples into a buffer of 32-bit grey pixels.
//
// The buffer holds width * height pixels, rows from top to bottom with no gap between them, each
// pixel 4 equal bytes, so the picture is grey whatever channel order its consumer assumes. The
// renderer borrows the field's grid; the field must outlive the renderer.
class render {
public:
    explicit render(layer *field);
    ~render();

    render(const render &) = delete;
    render &operator=(const render &) = delete;

    void allocate(std::uint32_t width, std::uint32_t height);

    // Rewrites the whole buffer from the grid and returns it (the same pointer as getPixels).
    std::uint8_t *convert();
    // The definition of convert, written as plainly as the rule reads; convert gives the same
    // bytes.
    std::uint8_t *convertLiteral();

    std::uint8_t *getPixels();
    std::pair<std::uint32_t, std::uint32_t> getSize() const;

private:
    std::uint8_t *pixels = nullptr;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    float **grid = nullptr;
};
