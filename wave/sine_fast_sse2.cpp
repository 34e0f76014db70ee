// Plain x86-64 (SSE2) code; the libmvec routine picks its own best variant for this processor.
#include <emmintrin.h>
#include <xmmintrin.h>

#include "wave/sine_fast.h"

// glibc's libmvec: cos of 2 doubles (x86-64 vector function ABI, SSE variant).
extern "C" __m128d _ZGVbN2v_cos(__m128d);

namespace sine_fast {

namespace {

constexpr double pi = 3.141592653589793;
constexpr std::uint32_t lanes = 4;

// Lanes (bits 0 and 1) whose double p lies within roundingMargin units of a float rounding
// boundary: the low 29 mantissa bits (those a float drops) within the margin of one half. Those
// bits sit in the low 32-bit half of each double, and SSE2 compares 32-bit integers.
int nearRoundingBoundary(__m128d p) {
    const __m128i low = _mm_and_si128(_mm_castpd_si128(p), _mm_set1_epi32((1 << 29) - 1));
    const __m128i offset = _mm_sub_epi32(low, _mm_set1_epi32((1 << 28) - roundingMargin));
    const __m128i near =
        _mm_and_si128(_mm_cmpgt_epi32(offset, _mm_set1_epi32(-1)),
                      _mm_cmpgt_epi32(_mm_set1_epi32(2 * roundingMargin + 1), offset));
    const int halves = _mm_movemask_ps(_mm_castsi128_ps(near));
    return (halves & 1) | ((halves >> 1) & 2);
}

__m128d absolute(__m128d v) { return _mm_andnot_pd(_mm_set1_pd(-0.0), v); }

// 2 floats from memory, widened to double.
__m128d loadWide(const float *r) {
    return _mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(r))));
}

// The wave's constants, broadcast once per call.
struct Constants {
    __m128d two, pi, lambda, phaseTerm, reach, one, zero, cosLimit, tinyCos, tinyP;
};

// The samples of 2 pixels (in the low half of the result) from their distances r (floats
// widened to double) and the vector cosine c of their theta, and in redo the lanes (bits 0 and 1)
// that must be recomputed with literalSample.
template <bool withReach>
__m128 samplesFrom(const Constants &k, __m128d r, __m128d theta, __m128d c, unsigned &redo) {
    __m128d p = c;
    // cmpnle and cmpnge are true for NaN as well.
    __m128d again = _mm_or_pd(_mm_cmpnle_pd(absolute(theta), k.cosLimit),
                              _mm_cmpnge_pd(absolute(c), k.tinyCos));
    if constexpr (withReach) {
        const __m128d root = _mm_sqrt_pd(_mm_div_pd(r, k.reach));
        __m128d a = _mm_cvtps_pd(_mm_cvtpd_ps(_mm_sub_pd(k.one, root)));
        a = _mm_andnot_pd(_mm_cmpnge_pd(a, k.zero), a);
        p = _mm_mul_pd(c, a);
        again = _mm_or_pd(again,
                          _mm_and_pd(_mm_cmplt_pd(absolute(p), k.tinyP), _mm_cmpneq_pd(p, k.zero)));
    } else {
        (void)r;
    }
    redo = unsigned(_mm_movemask_pd(again) | nearRoundingBoundary(p));
    return _mm_cvtpd_ps(p);
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
    const Constants k{_mm_set1_pd(2),
                      _mm_set1_pd(pi),
                      _mm_set1_pd(double(wave.lambda)),
                      _mm_set1_pd(double(wave.phase) * double(wave.lambda)),
                      _mm_set1_pd(double(wave.reach)),
                      _mm_set1_pd(1),
                      _mm_setzero_pd(),
                      _mm_set1_pd(vectorCosLimit),
                      _mm_set1_pd(tinyCosine),
                      _mm_set1_pd(tinySample)};
    const __m128 laneIndex = _mm_set_ps(3, 2, 1, 0);

    const double dx = double(wave.sourceX) - double(x);
    const __m128 dx2 = _mm_set1_ps(float(dx * dx));
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
        for (std::uint32_t v = 0; v < vectors; ++v) {
            // Integers below 2^24: the sum of squares is exact in float, and its correctly
            // rounded square root is hypot's r.
            const __m128 dy =
                _mm_sub_ps(_mm_set1_ps(float(double(wave.sourceY) - double(rowOf(v)))), laneIndex);
            _mm_store_ps(radius + v * lanes, _mm_sqrt_ps(_mm_add_ps(dx2, _mm_mul_ps(dy, dy))));
            for (std::uint32_t half = 0; half < lanes; half += 2) {
                const __m128d rd = loadWide(radius + v * lanes + half);
                // The literal order: (r * 2 * pi) / lambda - phase * lambda.
                const __m128d angle = _mm_sub_pd(
                    _mm_div_pd(_mm_mul_pd(_mm_mul_pd(rd, k.two), k.pi), k.lambda), k.phaseTerm);
                _mm_store_pd(theta + v * lanes + half, angle);
            }
        }
        for (std::uint32_t i = 0; i < vectors * lanes; i += 2) {
            _mm_store_pd(cosine + i, _ZGVbN2v_cos(_mm_load_pd(theta + i)));
        }
        for (std::uint32_t v = 0; v < vectors; ++v) {
            const std::uint32_t i = v * lanes;
            unsigned redoLow, redoHigh;
            const __m128 low = samplesFrom<withReach>(
                k, loadWide(radius + i), _mm_load_pd(theta + i), _mm_load_pd(cosine + i), redoLow);
            const __m128 high =
                samplesFrom<withReach>(k, loadWide(radius + i + 2), _mm_load_pd(theta + i + 2),
                                       _mm_load_pd(cosine + i + 2), redoHigh);
            const std::uint32_t y = rowOf(v);
            _mm_storeu_ps(column + y, _mm_movelh_ps(low, high));
            for (unsigned lanesLeft = redoLow | redoHigh << 2; lanesLeft != 0;
                 lanesLeft &= lanesLeft - 1) {
                const std::uint32_t row = y + std::uint32_t(__builtin_ctz(lanesLeft));
                column[row] = literalSample(wave, x, row);
            }
        }
    }
}

}  // namespace

void columnSse2(float *column, std::uint32_t x, std::uint32_t first, std::uint32_t last,
                const Wave &wave) {
    if (wave.reach != 0) {
        columnRows<true>(column, x, first, last, wave);
    } else {
        columnRows<false>(column, x, first, last, wave);
    }
}

void mirrorSse2(float *const *grid, std::uint32_t size, std::uint32_t first) {
    // Tiles of 4 by 4, four of them side by side for the 16 columns of the strip.
    constexpr std::uint32_t tile = 4;
    static_assert(4 * tile == mirrorTile);
    std::uint32_t x0 = first + mirrorTile;
    for (; first + mirrorTile <= size && x0 + tile <= size; x0 += tile) {
        for (std::uint32_t y0 = first; y0 < first + mirrorTile; y0 += tile) {
            // Rows x0.. of columns y0.. become rows y0.. of columns x0...
            __m128 c0 = _mm_loadu_ps(grid[y0] + x0);
            __m128 c1 = _mm_loadu_ps(grid[y0 + 1] + x0);
            __m128 c2 = _mm_loadu_ps(grid[y0 + 2] + x0);
            __m128 c3 = _mm_loadu_ps(grid[y0 + 3] + x0);
            _MM_TRANSPOSE4_PS(c0, c1, c2, c3);
            _mm_storeu_ps(grid[x0] + y0, c0);
            _mm_storeu_ps(grid[x0 + 1] + y0, c1);
            _mm_storeu_ps(grid[x0 + 2] + y0, c2);
            _mm_storeu_ps(grid[x0 + 3] + y0, c3);
        }
    }
    mirrorRemainder(grid, size, first, x0);
}

}  // namespace sine_fast
