#include "wave/layer.h"

layer::layer(std::uint32_t width, std::uint32_t height)
    : width(width), height(height), grid(new float *[width]) {
    std::uint32_t made = 0;
    try {
        for (; made < width; ++made) {
            grid[made] = new float[height];
        }
    } catch (...) {
        // The destructor does not run for a half-built object: give back what was made.
        for (std::uint32_t x = 0; x < made; ++x) {
            delete[] grid[x];
        }
        delete[] grid;
        throw;
    }
}

layer::~layer() {
    for (std::uint32_t x = 0; x < width; ++x) {
        delete[] grid[x];
    }
    delete[] grid;
}

float **layer::getGrid() { return grid; }

std::pair<std::uint32_t, std::uint32_t> layer::getSize() const { return {width, height}; }
