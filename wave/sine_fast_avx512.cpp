// Built with -mavx512f; called only when the processor has AVX-512F.

// GCC 12 takes the deliberately undefined registers inside some intrinsics for uninitialised
// variables (GCC bug 105593).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop

#include "wave/sine_fast.h"
#include "wave/transpose_avx512.h"

// glibc's libmvec: cos of 8 doubles (x86-64 vector function ABI, AVX-512 variant).
extern "C" __m512d _ZGVeN8v_cos(__m512d);

namespace sine_fast {

namespace {

constexpr double pi = 3.141592653589793;
constexpr std::uint32_t lanes = 16;

// Lanes whose double p lies within roundingMargin units of a float rounding boundary: the low 29
// mantissa bits (those a float drops) within the margin of one half, 1 << 28.
__mmask8 nearRoundingBoundary(__m512d p) {
    const __m512i low = _mm512_and_epi64(_mm512_castpd_si512(p), _mm512_set1_epi64((1 << 29) - 1));
    const __m512i offset = _mm512_sub_epi64(low, _mm512_set1_epi64((1 << 28) - roundingMargin));
    return _mm512_cmple_epu64_mask(offset, _mm512_set1_epi64(2 * roundingMargin));
}

// The wave's constants, broadcast once per call.
struct Constants {
    __m512d two, pi, lambda, phaseTerm, reach, one, zero, cosLimit, tinyCos, tinyP;
};

// The sample of 8 pixels from their distances r (floats widened to double) and the vector
// cosine c of their theta, and in redo the lanes that must be recomputed with literalSample.
template <bool withReach>
__m256 samplesFrom(const Constants &k, __m512d r, __m512d theta, __m512d c, __mmask8 &redo) {
    __m512d p = c;
    redo = _mm512_cmp_pd_mask(_mm512_abs_pd(theta), k.cosLimit, _CMP_NLE_UQ) |
           _mm512_cmp_pd_mask(_mm512_abs_pd(c), k.tinyCos, _CMP_NGE_UQ);
    if constexpr (withReach) {
        const __m512d root = _mm512_sqrt_pd(_mm512_div_pd(r, k.reach));
        __m512d a = _mm512_cvtps_pd(_mm512_cvtpd_ps(_mm512_sub_pd(k.one, root)));
        a = _mm512_mask_mov_pd(a, _mm512_cmp_pd_mask(a, k.zero, _CMP_NGE_UQ), k.zero);
        p = _mm512_mul_pd(c, a);
        redo |= _mm512_cmp_pd_mask(_mm512_abs_pd(p), k.tinyP, _CMP_LT_OQ) &
                _mm512_cmp_pd_mask(p, k.zero, _CMP_NEQ_UQ);
    } else {
        (void)r;
    }
    redo |= nearRoundingBoundary(p);
    return _mm512_cvtpd_ps(p);
}

// Rows a column is done in at a time: distances and angles first, then the cosines in one
// tight run of calls (which overlap far better than calls between other work), then the
// samples.
constexpr std::uint32_t chunkRows = 256;

template <bool withReach>
void columnRows(float *column, std::uint32_t x, std::uint32_t first, std::uint32_t last,
                const Wave &wave) {
    const Constants k{_mm512_set1_pd(2),
                      _mm512_set1_pd(pi),
                      _mm512_set1_pd(double(wave.lambda)),
                      _mm512_set1_pd(double(wave.phase) * double(wave.lambda)),
                      _mm512_set1_pd(double(wave.reach)),
                      _mm512_set1_pd(1),
                      _mm512_setzero_pd(),
                      _mm512_set1_pd(vectorCosLimit),
                      _mm512_set1_pd(tinyCosine),
                      _mm512_set1_pd(tinySample)};
    const __m512 laneIndex = _mm512_set_ps(15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
    const double dx = double(wave.sourceX) - double(x);
    const __m512 dx2 = _mm512_set1_ps(float(dx * dx));
    alignas(64) float radius[chunkRows];
    alignas(64) double theta[chunkRows];
    alignas(64) double cosine[chunkRows];
    for (std::uint32_t chunk = first; chunk < last; chunk += chunkRows) {
        const std::uint32_t rows = last - chunk < chunkRows ? last - chunk : chunkRows;
        // Whole vectors; lanes past the end compute harmless values that are not stored. Each
        // step takes the cosines of the angles of the step before, so that the divisions of
        // one vector run beside the cosines of the other.
        const std::uint32_t end = (rows + lanes - 1) / lanes * lanes;
        for (std::uint32_t i = 0; i <= end; i += lanes) {
            if (i < end) {
                // Integers below 2^24: the sum of squares is exact in float, and its correctly
                // rounded square root is hypot's r.
                const __m512 dy = _mm512_sub_ps(
                    _mm512_set1_ps(float(double(wave.sourceY) - double(chunk + i))), laneIndex);
                const __m512 r = _mm512_sqrt_ps(_mm512_add_ps(dx2, _mm512_mul_ps(dy, dy)));
                _mm512_store_ps(radius + i, r);
                for (std::uint32_t half = 0; half < 2; ++half) {
                    const __m512d rd = _mm512_cvtps_pd(_mm256_load_ps(radius + i + 8 * half));
                    // The literal order: (r * 2 * pi) / lambda - phase * lambda.
                    const __m512d angle = _mm512_sub_pd(
                        _mm512_div_pd(_mm512_mul_pd(_mm512_mul_pd(rd, k.two), k.pi), k.lambda),
                        k.phaseTerm);
                    _mm512_store_pd(theta + i + 8 * half, angle);
                }
            }
            if (i > 0) {
                const std::uint32_t j = i - lanes;
                _mm512_store_pd(cosine + j, _ZGVeN8v_cos(_mm512_load_pd(theta + j)));
                _mm512_store_pd(cosine + j + 8, _ZGVeN8v_cos(_mm512_load_pd(theta + j + 8)));
            }
        }
        for (std::uint32_t i = 0; i < rows; i += lanes) {
            const std::uint32_t count = rows - i < lanes ? rows - i : lanes;
            const __mmask16 valid = __mmask16((1u << count) - 1);
            __mmask8 redoLow, redoHigh;
            const __m256 low = samplesFrom<withReach>(
                k, _mm512_cvtps_pd(_mm256_load_ps(radius + i)), _mm512_load_pd(theta + i),
                _mm512_load_pd(cosine + i), redoLow);
            const __m256 high = samplesFrom<withReach>(
                k, _mm512_cvtps_pd(_mm256_load_ps(radius + i + 8)), _mm512_load_pd(theta + i + 8),
                _mm512_load_pd(cosine + i + 8), redoHigh);
            const __m512 samples = _mm512_castpd_ps(_mm512_insertf64x4(
                _mm512_castpd256_pd512(_mm256_castps_pd(low)), _mm256_castps_pd(high), 1));
            _mm512_mask_storeu_ps(column + chunk + i, valid, samples);
            const unsigned redo = (unsigned(redoLow) | unsigned(redoHigh) << 8) & valid;
            for (unsigned lanesLeft = redo; lanesLeft != 0; lanesLeft &= lanesLeft - 1) {
                const std::uint32_t row = chunk + i + std::uint32_t(__builtin_ctz(lanesLeft));
                column[row] = literalSample(wave, x, row);
            }
        }
    }
}

}  // namespace

void columnAvx512(float *column, std::uint32_t x, std::uint32_t first, std::uint32_t last,
                  const Wave &wave) {
    if (wave.reach != 0) {
        columnRows<true>(column, x, first, last, wave);
    } else {
        columnRows<false>(column, x, first, last, wave);
    }
}

void mirrorAvx512(float *const *grid, std::uint32_t size, std::uint32_t first) {
    constexpr std::uint32_t tile = 16;
    static_assert(tile == mirrorTile);
    std::uint32_t x0 = first + tile;
    for (; first + tile <= size && x0 + tile <= size; x0 += tile) {
        // Rows x0.. of columns first.. become rows first.. of columns x0...
        __m512i c[tile];
        for (std::uint32_t k = 0; k < tile; ++k) {
            c[k] = _mm512_castps_si512(_mm512_loadu_ps(grid[first + k] + x0));
        }
        transpose16(c);
        for (std::uint32_t k = 0; k < tile; ++k) {
            _mm512_storeu_ps(grid[x0 + k] + first, _mm512_castsi512_ps(c[k]));
        }
    }
    mirrorRemainder(grid, size, first, x0);
}

}  // namespace sine_fast
