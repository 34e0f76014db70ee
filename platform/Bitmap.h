#pragma once

#include <QImage>
#include <cstdint>

// Makes a new image of width x height pixels from a buffer of 32-bit pixels, rows from top to
// bottom with no gap between them. The pixels are copied, so the buffer may be rewritten at once.
// Only the one plane, 32-bit layout is supported; any other request, and a width or height of 0,
// gives a null image. An image that cannot be made (too large, or memory exhausted) raises
// Exception. The fourth byte of each pixel is set opaque in the copy: the image is Format_RGB32,
// where Qt expects it to be 0xff.
QImage CreateBitmap(std::uint32_t width, std::uint32_t height, std::uint32_t planes,
                    std::uint32_t bitsPerPixel, const void *bits);
