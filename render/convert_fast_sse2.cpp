// Plain x86-64 (SSE2) code.
#include <emmintrin.h>

#include <cstddef>

#include "render/convert_fast.h"

namespace convert_fast {

namespace {

constexpr std::uint32_t bandRows = 16;
constexpr std::uint32_t block = 4;

// greyByte of 4 samples, each byte repeated 4 times in its 32-bit lane.
__m128i greyPixels(__m128 sample) {
    const __m128 t = _mm_mul_ps(sample, _mm_set1_ps(127.0f));
    const __m128 magnitude = _mm_andnot_ps(_mm_set1_ps(-0.0f), t);
    const __m128i inRange = _mm_castps_si128(_mm_cmplt_ps(magnitude, _mm_set1_ps(0x1p31f)));
    // floor(t): truncate, then step down where that went up (negative non-integral t).
    __m128i n = _mm_cvttps_epi32(t);
    n = _mm_add_epi32(n, _mm_castps_si128(_mm_cmpgt_ps(_mm_cvtepi32_ps(n), t)));
    const __m128 fraction = _mm_sub_ps(t, _mm_cvtepi32_ps(n));
    const __m128 up =
        _mm_and_ps(_mm_cmpgt_ps(t, _mm_setzero_ps()), _mm_cmpgt_ps(fraction, _mm_set1_ps(0.5f)));
    n = _mm_sub_epi32(n, _mm_castps_si128(up));
    __m128i grey = _mm_and_si128(_mm_add_epi32(n, _mm_set1_epi32(128)), _mm_set1_epi32(0xff));
    grey = _mm_or_si128(grey, _mm_slli_epi32(grey, 8));
    grey = _mm_or_si128(grey, _mm_slli_epi32(grey, 16));
    return _mm_or_si128(_mm_and_si128(inRange, grey),
                        _mm_andnot_si128(inRange, _mm_set1_epi32(int(0x80808080u))));
}

}  // namespace

void convertRegionSse2(const float *const *grid, std::uint8_t *pixels, std::uint32_t width,
                       std::uint32_t x0, std::uint32_t x1, std::uint32_t y0, std::uint32_t y1) {
    const std::uint32_t fullX = x1 - (x1 - x0) % block;
    const std::uint32_t fullY = y1 - (y1 - y0) % block;
    const std::size_t rowBytes = std::size_t(width) * 4;
    // A band of rows at a time, as many as make 64 bytes of each column: the pixel rows are
    // written front to back, and each column's cache line is used whole before the next band.
    for (std::uint32_t band = y0; band < fullY; band += bandRows) {
        const std::uint32_t bandEnd = band + bandRows < fullY ? band + bandRows : fullY;
        for (std::uint32_t x = x0; x < fullX; x += block) {
            for (std::uint32_t y = band; y < bandEnd; y += block) {
                // Four columns of four rows, turned into four rows of four pixels.
                __m128 c0 = _mm_castsi128_ps(greyPixels(_mm_loadu_ps(grid[x] + y)));
                __m128 c1 = _mm_castsi128_ps(greyPixels(_mm_loadu_ps(grid[x + 1] + y)));
                __m128 c2 = _mm_castsi128_ps(greyPixels(_mm_loadu_ps(grid[x + 2] + y)));
                __m128 c3 = _mm_castsi128_ps(greyPixels(_mm_loadu_ps(grid[x + 3] + y)));
                _MM_TRANSPOSE4_PS(c0, c1, c2, c3);
                std::uint8_t *out = pixels + (std::size_t(y) * width + x) * 4;
                _mm_storeu_ps(reinterpret_cast<float *>(out), c0);
                _mm_storeu_ps(reinterpret_cast<float *>(out + rowBytes), c1);
                _mm_storeu_ps(reinterpret_cast<float *>(out + 2 * rowBytes), c2);
                _mm_storeu_ps(reinterpret_cast<float *>(out + 3 * rowBytes), c3);
            }
        }
    }
    convertRegionPortable(grid, pixels, width, fullX, x1, y0, y1);
    convertRegionPortable(grid, pixels, width, x0, fullX, fullY, y1);
}

}  // namespace convert_fast
