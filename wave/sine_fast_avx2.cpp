// Built with -mavx2; called only when the processor has AVX2.

// GCC 12 takes the deliberately undefined registers inside some intrinsics for uninitialised
// variables (GCC bug 105593).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop

#include "wave/sine_fast.h"
#include "wave/transpose_avx2.h"

// glibc's libmvec: cos of 4 doubles (x86-64 vector function ABI, AVX2 variant).
extern "C" __m256d _ZGVdN4v_cos(__m256d);

namespace sine_fast {

namespace {

constexpr double pi = 3.141592653589793;
constexpr std::uint32_t lanes = 8;

// Lanes whose double p lies within roundingMargin units of a float rounding boundary: the low 29
// mantissa bits (those a float drops) within the margin of one half, 1 << 28.
__m256i nearRoundingBoundary(__m256d p) {
    const __m256i low = _mm256_and_si256(_mm256_castpd_si256(p), _mm256_set1_epi64x((1 << 29) - 1));
    const __m256i offset = _mm256_sub_epi64(low, _mm256_set1_epi64x((1 << 28) - roundingMargin));
    return _mm256_and_si256(_mm256_cmpgt_epi64(offset, _mm256_set1_epi64x(-1)),
                            _mm256_cmpgt_epi64(_mm256_set1_epi64x(2 * roundingMargin + 1), offset));
}

__m256d absolute(__m256d v) { return _mm256_andnot_pd(_mm256_set1_pd(-0.0), v); }

// 4 floats from memory, widened to double.
__m256d loadWide(const float *r) { return _mm256_cvtps_pd(_mm_load_ps(r)); }

// The wave's constants, broadcast once per call.
struct Constants {
    __m256d two, pi, lambda, phaseTerm, reach, one, zero, cosLimit, tinyCos, tinyP;
};

// The samples of 4 pixels from their distances r (floats widened to double) and the
// vector cosine c of their theta, and in redo the lanes (bits 0 to 3) that must be
// recomputed with literalSample.
template <bool withReach>
__m128 samplesFrom(const Constants &k, __m256d r, __m256d theta, __m256d c, unsigned &redo) {
    __m256d p = c;
    __m256d again = _mm256_or_pd(_mm256_cmp_pd(absolute(theta), k.cosLimit, _CMP_NLE_UQ),
                                 _mm256_cmp_pd(absolute(c), k.tinyCos, _CMP_NGE_UQ));
    if constexpr (withReach) {
        const __m256d root = _mm256_sqrt_pd(_mm256_div_pd(r, k.reach));
        __m256d a = _mm256_cvtps_pd(_mm256_cvtpd_ps(_mm256_sub_pd(k.one, root)));
        a = _mm256_andnot_pd(_mm256_cmp_pd(a, k.zero, _CMP_NGE_UQ), a);
        p = _mm256_mul_pd(c, a);
        again = _mm256_or_pd(again, _mm256_and_pd(_mm256_cmp_pd(absolute(p), k.tinyP, _CMP_LT_OQ),
                                                  _mm256_cmp_pd(p, k.zero, _CMP_NEQ_UQ)));
    } else {
        (void)r;
    }
    again = _mm256_or_pd(again, _mm256_castsi256_pd(nearRoundingBoundary(p)));
    redo = unsigned(_mm256_movemask_pd(again));
    return _mm256_cvtpd_ps(p);
}

// Rows a column is done in at a time: distances and angles first, then the cosines in one
// tight run of calls (which overlap far better than calls between other work), then the
// samples.
constexpr std::uint32_t chunkRows = 256;

template <bool withReach>
void columnRows(float *column, std::uint32_t x, std::uint32_t first, std::uint32_t last,
                const Wave &wave) {
    if (last - first < lanes) {
        for (std::uint32_t y = first; y < last; ++y) {
            column[y] = literalSample(wave, x, y);
        }
        return;
    }
    const Constants k{_mm256_set1_pd(2),
                      _mm256_set1_pd(pi),
                      _mm256_set1_pd(double(wave.lambda)),
                      _mm256_set1_pd(double(wave.phase) * double(wave.lambda)),
                      _mm256_set1_pd(double(wave.reach)),
                      _mm256_set1_pd(1),
                      _mm256_setzero_pd(),
                      _mm256_set1_pd(vectorCosLimit),
                      _mm256_set1_pd(tinyCosine),
                      _mm256_set1_pd(tinySample)};
    const __m256 laneIndex = _mm256_set_ps(7, 6, 5, 4, 3, 2, 1, 0);

    const double dx = double(wave.sourceX) - double(x);
    const __m256 dx2 = _mm256_set1_ps(float(dx * dx));
    alignas(64) float radius[chunkRows];
    alignas(64) double theta[chunkRows];
    alignas(64) double cosine[chunkRows];
    for (std::uint32_t chunk = first; chunk < last; chunk += chunkRows) {
        const std::uint32_t rows = last - chunk < chunkRows ? last - chunk : chunkRows;
        const std::uint32_t vectors = (rows + lanes - 1) / lanes;
        // A last, partial vector is done as a whole one ending at last: the rows it repeats get
        // the same bits again.
        const auto rowOf = [&](std::uint32_t v) {
            const std::uint32_t y = chunk + v * lanes;
            return y + lanes <= last ? y : last - lanes;
        };
        // Each step takes the cosines of the angles of the step before, so that the divisions of
        // one vector run beside the cosines of the other.
        for (std::uint32_t v = 0; v <= vectors; ++v) {
            if (v < vectors) {
                // Integers below 2^24: the sum of squares is exact in float, and its correctly
                // rounded square root is hypot's r.
                const __m256 dy = _mm256_sub_ps(
                    _mm256_set1_ps(float(double(wave.sourceY) - double(rowOf(v)))), laneIndex);
                _mm256_store_ps(radius + v * lanes,
                                _mm256_sqrt_ps(_mm256_add_ps(dx2, _mm256_mul_ps(dy, dy))));
                for (std::uint32_t half = 0; half < lanes; half += 4) {
                    const __m256d rd = loadWide(radius + v * lanes + half);
                    // The literal order: (r * 2 * pi) / lambda - phase * lambda.
                    const __m256d angle = _mm256_sub_pd(
                        _mm256_div_pd(_mm256_mul_pd(_mm256_mul_pd(rd, k.two), k.pi), k.lambda),
                        k.phaseTerm);
                    _mm256_store_pd(theta + v * lanes + half, angle);
                }
            }
            if (v > 0) {
                for (std::uint32_t i = (v - 1) * lanes; i < v * lanes; i += 4) {
                    _mm256_store_pd(cosine + i, _ZGVdN4v_cos(_mm256_load_pd(theta + i)));
                }
            }
        }
        for (std::uint32_t v = 0; v < vectors; ++v) {
            const std::uint32_t i = v * lanes;
            unsigned redoLow, redoHigh;
            const __m128 low =
                samplesFrom<withReach>(k, loadWide(radius + i), _mm256_load_pd(theta + i),
                                       _mm256_load_pd(cosine + i), redoLow);
            const __m128 high =
                samplesFrom<withReach>(k, loadWide(radius + i + 4), _mm256_load_pd(theta + i + 4),
                                       _mm256_load_pd(cosine + i + 4), redoHigh);
            const std::uint32_t y = rowOf(v);
            _mm256_storeu_ps(column + y,
                             _mm256_insertf128_ps(_mm256_castps128_ps256(low), high, 1));
            for (unsigned lanesLeft = redoLow | redoHigh << 4; lanesLeft != 0;
                 lanesLeft &= lanesLeft - 1) {
                const std::uint32_t row = y + std::uint32_t(__builtin_ctz(lanesLeft));
                column[row] = literalSample(wave, x, row);
            }
        }
    }
}

}  // namespace

void columnAvx2(float *column, std::uint32_t x, std::uint32_t first, std::uint32_t last,
                const Wave &wave) {
    if (wave.reach != 0) {
        columnRows<true>(column, x, first, last, wave);
    } else {
        columnRows<false>(column, x, first, last, wave);
    }
}

void mirrorAvx2(float *const *grid, std::uint32_t size, std::uint32_t first) {
    // Tiles of 8 by 8, two of them side by side for the 16 columns of the strip.
    constexpr std::uint32_t tile = 8;
    static_assert(2 * tile == mirrorTile);
    std::uint32_t x0 = first + mirrorTile;
    for (; first + mirrorTile <= size && x0 + tile <= size; x0 += tile) {
        for (std::uint32_t y0 = first; y0 < first + mirrorTile; y0 += tile) {
            // Rows x0.. of columns y0.. become rows y0.. of columns x0...
            __m256 c[tile];
            for (std::uint32_t k = 0; k < tile; ++k) {
                c[k] = _mm256_loadu_ps(grid[y0 + k] + x0);
            }
            transpose8(c);
            for (std::uint32_t k = 0; k < tile; ++k) {
                _mm256_storeu_ps(grid[x0 + k] + y0, c[k]);
            }
        }
    }
    mirrorRemainder(grid, size, first, x0);
}

}  // namespace sine_fast
