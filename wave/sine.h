#pragma once

#include <cstdint>

#include "wave/layer.h"

// A layer filled with a circular wave: rings of equal value around a source point.
class sine : public layer {
public:
    sine(std::uint32_t width, std::uint32_t height);

    // Overwrites every sample with cos((r * 2 * pi) / lambda - phase * lambda) * a, where r is the
    // pixel's distance from (sourceX, sourceY) and a the amplitude: 1 when reach is 0, otherwise
    // 1 - sqrt(r / reach), and 0 from the distance reach outwards. Allocates nothing.
    void compute(std::uint32_t sourceX, std::uint32_t sourceY, float lambda, float reach,
                 float phase);

    // The definition of compute, written as plainly as the arithmetic reads; compute gives the
    // same bits.
    void computeLiteral(std::uint32_t sourceX, std::uint32_t sourceY, float lambda, float reach,
                        float phase);
};

// The arguments of one compute call.
struct Wave {
    std::uint32_t sourceX, sourceY;
    float lambda, reach, phase;
};

// The sample of pixel (x, y) as computeLiteral defines it: r = float(hypot(dx, dy)), then
// sampleAt.
float literalSample(const Wave &wave, std::uint32_t x, std::uint32_t y);

// The sample at distance r from the source: the amplitude, theta and cos(theta) * a, with every
// rounding of the literal code.
float sampleAt(const Wave &wave, float r);
