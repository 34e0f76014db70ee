// The convert kernel (render/convert_fast.h), written once over the vector traits V of one level
// (simd/sse2.h and its like). Included inside that level's namespace, after the standard headers,
// the level's traits and render/convert_fast.h; it includes nothing itself.

// Rows done together, as many as make 64 bytes of each column: the pixel rows are written front
// to back, and each column's cache line is used whole before the next band.
inline constexpr std::uint32_t bandRows = 16;

// Computes: convert_fast::greyPixel of each lane. Valid for: every float bit pattern. Error:
// bit-identical to greyLevel; |s * 127| >= 2^31, infinity and NaN give mid grey.
template <class V>
typename V::Floats greyPixels(typename V::Floats sample) {
    const auto t = sample * V::floats(127.0f);
    const auto inRange = V::less(V::abs(t), V::floats(0x1p31f));
    // floor(t): truncate, then step down where that went up (negative non-integral t).
    auto n = V::truncate(t);
    n = V::decrementWhere(V::greater(V::toFloats(n), t), n);
    // fmod keeps the sign of t, so only a positive fraction above one half rounds up.
    const auto up =
        V::both(V::greater(t, V::floats(0)), V::greater(t - V::toFloats(n), V::floats(0.5f)));
    return V::greyPixelsOf(V::incrementWhere(up, n), inRange);
}

// Computes: the bytes of render::convertLiteral (convert_fast::Kernel). Valid for: every sample
// bit pattern, any size. Error: bit-identical to the literal code. Square blocks of lanes x
// lanes pixels are transposed in registers, the last block of a row or column of blocks shifted
// back to end at the edge (the pixels it repeats get the same bytes again); a grid narrower or
// shorter than a block goes to convertScalar.
template <class V>
void convertPixels(const float *const *grid, std::uint8_t *pixels, std::uint32_t width,
                   std::uint32_t height) {
    constexpr std::uint32_t block = V::lanes;
    if (width < block || height < block) {
        convert_fast::convertScalar(grid, pixels, width, height);
        return;
    }
    const auto start = [](std::uint32_t i, std::uint32_t end) {
        return i + block <= end ? i : end - block;
    };
    const std::size_t rowBytes = std::size_t(width) * 4;
    for (std::uint32_t band = 0; band < height; band += bandRows) {
        const std::uint32_t bandEnd = band + bandRows < height ? band + bandRows : height;
        for (std::uint32_t x = 0; x < width; x += block) {
            const std::uint32_t x0 = start(x, width);
            for (std::uint32_t y = band; y < bandEnd; y += block) {
                const std::uint32_t y0 = start(y, height);
                typename V::Floats c[block];
                for (std::uint32_t k = 0; k < block; ++k) {
                    c[k] = greyPixels<V>(V::loadu(grid[x0 + k] + y0));
                }
                V::transpose(c);
                std::uint8_t *out = pixels + (std::size_t(y0) * width + x0) * 4;
                for (std::uint32_t k = 0; k < block; ++k) {
                    V::storeu(reinterpret_cast<float *>(out + k * rowBytes), c[k]);
                }
            }
        }
    }
}
