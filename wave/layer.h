#pragma once

#include <cstdint>
#include <utility>

// A rectangular grid of single-precision samples, one per canvas pixel.
//
// The grid is column-major: grid[x] is column x, an array of `height` samples, so the sample of
// pixel (x, y) is grid[x][y]. Every column is its own allocation, and so is the table of column
// pointers. The samples are left uninitialised until someone writes them. The grid is never
// resized, so the table returned by getGrid() stays valid for the layer's whole life.
class layer {
public:
    layer(std::uint32_t width, std::uint32_t height);
    // Not virtual: layers are owned by value and never deleted through a base pointer.
    ~layer();

    layer(const layer &) = delete;
    layer &operator=(const layer &) = delete;

    virtual float **getGrid();
    std::pair<std::uint32_t, std::uint32_t> getSize() const;

protected:
    std::uint32_t width;
    std::uint32_t height;
    float **grid;
};
