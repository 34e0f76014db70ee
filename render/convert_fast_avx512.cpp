// Built with -mavx512f; called only when the processor has AVX-512F.

// GCC 12 takes the deliberately undefined registers inside some intrinsics for uninitialised
// variables (GCC bug 105593).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop

#include <cstddef>

#include "render/convert_fast.h"
#include "wave/transpose_avx512.h"

namespace convert_fast {

namespace {

constexpr std::uint32_t bandRows = 16;
constexpr std::uint32_t block = 16;

// greyByte of 16 samples, each byte repeated 4 times in its 32-bit lane.
__m512i greyPixels(__m512 sample) {
    const __m512 t = _mm512_mul_ps(sample, _mm512_set1_ps(127.0f));
    const __mmask16 inRange =
        _mm512_cmp_ps_mask(_mm512_abs_ps(t), _mm512_set1_ps(0x1p31f), _CMP_LT_OQ);
    // floor(t): truncate, then step down where that went up (negative non-integral t).
    __m512i n = _mm512_cvttps_epi32(t);
    const __mmask16 wentUp = _mm512_cmp_ps_mask(_mm512_cvtepi32_ps(n), t, _CMP_GT_OQ);
    n = _mm512_mask_sub_epi32(n, wentUp, n, _mm512_set1_epi32(1));
    const __m512 fraction = _mm512_sub_ps(t, _mm512_cvtepi32_ps(n));
    const __mmask16 up = _mm512_cmp_ps_mask(t, _mm512_setzero_ps(), _CMP_GT_OQ) &
                         _mm512_cmp_ps_mask(fraction, _mm512_set1_ps(0.5f), _CMP_GT_OQ);
    n = _mm512_mask_add_epi32(n, up, n, _mm512_set1_epi32(1));
    const __m512i grey =
        _mm512_and_si512(_mm512_add_epi32(n, _mm512_set1_epi32(128)), _mm512_set1_epi32(0xff));
    return _mm512_mask_mullo_epi32(_mm512_set1_epi32(int(0x80808080u)), inRange, grey,
                                   _mm512_set1_epi32(0x01010101));
}

}  // namespace

void convertRegionAvx512(const float *const *grid, std::uint8_t *pixels, std::uint32_t width,
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
                __m512i c[block];
                for (std::uint32_t k = 0; k < block; ++k) {
                    c[k] = greyPixels(_mm512_loadu_ps(grid[x + k] + y));
                }
                transpose16(c);
                std::uint8_t *out = pixels + (std::size_t(y) * width + x) * 4;
                for (std::uint32_t k = 0; k < block; ++k) {
                    _mm512_storeu_si512(out + k * rowBytes, c[k]);
                }
            }
        }
    }
    convertRegionAvx2(grid, pixels, width, fullX, x1, y0, y1);
    convertRegionAvx2(grid, pixels, width, x0, fullX, fullY, y1);
}

}  // namespace convert_fast
