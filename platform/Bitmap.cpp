#include "platform/Bitmap.h"

#include <cstring>

QImage CreateBitmap(std::uint32_t width, std::uint32_t height, std::uint32_t planes,
                    std::uint32_t bitsPerPixel, const void *bits) {
    if (planes != 1 || bitsPerPixel != 32 || bits == nullptr || width > INT32_MAX ||
        height > INT32_MAX) {
        return {};
    }
    QImage image(int(width), int(height), QImage::Format_RGB32);
    if (image.isNull()) {
        return image;  // too large to allocate
    }
    const auto *source = static_cast<const std::uint8_t *>(bits);
    const std::size_t rowBytes = std::size_t(width) * 4;
    for (int y = 0; y < image.height(); ++y) {
        std::memcpy(image.scanLine(y), source + std::size_t(y) * rowBytes, rowBytes);
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (std::uint32_t x = 0; x < width; ++x) {
            row[x] |= 0xff000000u;
        }
    }
    return image;
}
