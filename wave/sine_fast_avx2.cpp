// Built with -mavx2; called only when the processor has AVX2.
// GCC 12 takes the deliberately undefined registers inside some intrinsics for uninitialised
// variables (GCC bug 105593).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop

#include "wave/sine_fast.h"

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

// The wave's constants, broadcast once per call.
struct Constants {
    __m256d two, pi, lambda, phaseTerm, reach, one, zero, cosLimit, tinyCos, tinyP;
};

// Samples of 4 pixels at distances r (floats widened to double), and in redo the lanes (bits 0
// to 3) that must be recomputed with literalSample.
template <bool withReach>
__m128 samplesAt(const Constants &k, __m256d r, unsigned &redo) {
    // The literal order: (r * 2 * pi) / lambda - phase * lambda.
    const __m256d theta = _mm256_sub_pd(
        _mm256_div_pd(_mm256_mul_pd(_mm256_mul_pd(r, k.two), k.pi), k.lambda), k.phaseTerm);
    const __m256d c = _ZGVdN4v_cos(theta);
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
    }
    again = _mm256_or_pd(again, _mm256_castsi256_pd(nearRoundingBoundary(p)));
    redo = unsigned(_mm256_movemask_pd(again));
    return _mm256_cvtpd_ps(p);
}

// The samples of rows [y, y + lanes) of column x.
template <bool withReach>
void block(float *column, std::uint32_t x, std::uint32_t y, const Wave &wave, const Constants &k,
           __m256 dx2, __m256 laneIndex) {
    // Integers below 2^24: the sum of squares is exact in float, and its correctly
    // rounded square root is hypot's r.
    const __m256 dy =
        _mm256_sub_ps(_mm256_set1_ps(float(double(wave.sourceY) - double(y))), laneIndex);
    const __m256 r = _mm256_sqrt_ps(_mm256_add_ps(dx2, _mm256_mul_ps(dy, dy)));
    unsigned redoLow, redoHigh;
    const __m128 low = samplesAt<withReach>(k, _mm256_cvtps_pd(_mm256_castps256_ps128(r)), redoLow);
    const __m128 high =
        samplesAt<withReach>(k, _mm256_cvtps_pd(_mm256_extractf128_ps(r, 1)), redoHigh);
    _mm256_storeu_ps(column + y, _mm256_insertf128_ps(_mm256_castps128_ps256(low), high, 1));
    for (unsigned lanesLeft = redoLow | redoHigh << 4; lanesLeft != 0; lanesLeft &= lanesLeft - 1) {
        const std::uint32_t row = y + std::uint32_t(__builtin_ctz(lanesLeft));
        column[row] = literalSample(wave, x, row);
    }
}

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
    // A last, partial vector is done as a whole one ending at last: the rows it repeats get the
    // same bits again.
    for (std::uint32_t y = first; y < last; y += lanes) {
        block<withReach>(column, x, y + lanes <= last ? y : last - lanes, wave, k, dx2, laneIndex);
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

}  // namespace sine_fast
