#include "platform/Bitmap.h"

#include <cstring>

#include "platform/SysUtils.h"

QImage CreateBitmap(std::uint32_t width, std::uint32_t height, std::uint32_t planes,
                    std::uint32_t bitsPerPixel, const void *bits) {
    if (planes != 1 || bitsPerPixel != 32 || bits == nullptr || width == 0 || height == 0) {
        return {};
    }
    QImage image;
    if (width <= INT32_MAX && height <= INT32_MAX) {
        image = QImage(int(width), int(height), QImage::Format_RGB32);
    }
    // QImage reports a size it cannot hold, or memory it could not get, as a null image.
    if (image.isNull()) {
        throw Exception(QStringLiteral("Not enough memory to make the picture (%1 by %2 pixels).")
                            .arg(width)
                            .arg(height));
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
