// Built with -mavx2; called only when the processor has AVX2.

// GCC 12 takes the deliberately undefined registers inside some intrinsics for uninitialised
// variables (GCC bug 105593).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop

#include <cstddef>

#include "render/convert_fast.h"
#include "wave/transpose_avx2.h"

namespace convert_fast {

namespace {

constexpr std::uint32_t bandRows = 16;
constexpr std::uint32_t block = 8;

// greyByte of 8 samples, each byte repeated 4 times in its 32-bit lane.
__m256i greyPixels(__m256 sample) {
    const __m256 t = _mm256_mul_ps(sample, _mm256_set1_ps(127.0f));
    const __m256 magnitude = _mm256_andnot_ps(_mm256_set1_ps(-0.0f), t);
    const __m256i inRange =
        _mm256_castps_si256(_mm256_cmp_ps(magnitude, _mm256_set1_ps(0x1p31f), _CMP_LT_OQ));
    // floor(t): truncate, then step down where that went up (negative non-integral t).
    __m256i n = _mm256_cvttps_epi32(t);
    n = _mm256_add_epi32(n,
                         _mm256_castps_si256(_mm256_cmp_ps(_mm256_cvtepi32_ps(n), t, _CMP_GT_OQ)));
    const __m256 fraction = _mm256_sub_ps(t, _mm256_cvtepi32_ps(n));
    const __m256 up = _mm256_and_ps(_mm256_cmp_ps(t, _mm256_setzero_ps(), _CMP_GT_OQ),
                                    _mm256_cmp_ps(fraction, _mm256_set1_ps(0.5f), _CMP_GT_OQ));
    n = _mm256_sub_epi32(n, _mm256_castps_si256(up));
    const __m256i grey =
        _mm256_and_si256(_mm256_add_epi32(n, _mm256_set1_epi32(128)), _mm256_set1_epi32(0xff));
    return _mm256_blendv_epi8(_mm256_set1_epi32(int(0x80808080u)),
                              _mm256_mullo_epi32(grey, _mm256_set1_epi32(0x01010101)), inRange);
}

}  // namespace

void convertRegionAvx2(const float *const *grid, std::uint8_t *pixels, std::uint32_t width,
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
                __m256 c[block];
                for (std::uint32_t k = 0; k < block; ++k) {
                    c[k] = _mm256_castsi256_ps(greyPixels(_mm256_loadu_ps(grid[x + k] + y)));
                }
                transpose8(c);
                std::uint8_t *out = pixels + (std::size_t(y) * width + x) * 4;
                for (std::uint32_t k = 0; k < block; ++k) {
                    _mm256_storeu_ps(reinterpret_cast<float *>(out + k * rowBytes), c[k]);
                }
            }
        }
    }
    convertRegionSse2(grid, pixels, width, fullX, x1, y0, y1);
    convertRegionSse2(grid, pixels, width, x0, fullX, fullY, y1);
}

}  // namespace convert_fast
