// Built with -mavx2; called only when the processor has AVX2.
// GCC 12 takes the deliberately undefined registers inside some intrinsics for uninitialised
// variables (GCC bug 105593).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop

#include "wave/sine_fast.h"

// glibc's libmvec: cos of 4 doubles (x86-64 vector function ABI, AVX2 variant).
extern "C" __m256d _ZGVdN4v_cos(__m256d);

namespace sine_fast {

namespace {

constexpr double pi = 3.141592653589793;
constexpr int lanes = 4;

// Lanes whose double p lies within roundingMargin units of a float rounding boundary: the low 29
// mantissa bits (those a float drops) within the margin of one half, 1 << 28.
__m256i nearRoundingBoundary(__m256d p) {
    const __m256i low = _mm256_and_si256(_mm256_castpd_si256(p), _mm256_set1_epi64x((1 << 29) - 1));
    const __m256i offset = _mm256_sub_epi64(low, _mm256_set1_epi64x((1 << 28) - roundingMargin));
    return _mm256_and_si256(_mm256_cmpgt_epi64(offset, _mm256_set1_epi64x(-1)),
                            _mm256_cmpgt_epi64(_mm256_set1_epi64x(2 * roundingMargin + 1), offset));
}

__m256d absolute(__m256d v) { return _mm256_andnot_pd(_mm256_set1_pd(-0.0), v); }

template <bool withReach>
void computeColumns(float *const *grid, std::uint32_t width, std::uint32_t height,
                    const Wave &wave) {
    const RowRange rows = exactRows(wave.sourceY, height);
    const __m256d two = _mm256_set1_pd(2);
    const __m256d piV = _mm256_set1_pd(pi);
    const __m256d lambda = _mm256_set1_pd(double(wave.lambda));
    const __m256d phaseTerm = _mm256_set1_pd(double(wave.phase) * double(wave.lambda));
    const __m256d reach = _mm256_set1_pd(double(wave.reach));
    const __m256d one = _mm256_set1_pd(1);
    const __m256d zero = _mm256_setzero_pd();
    const __m256d cosLimit = _mm256_set1_pd(vectorCosLimit);
    const __m256d tinyCos = _mm256_set1_pd(tinyCosine);
    const __m256d tinyP = _mm256_set1_pd(tinySample);
    const __m256d laneIndex = _mm256_set_pd(3, 2, 1, 0);

    for (std::uint32_t x = 0; x < width; ++x) {
        float *column = grid[x];
        if (!exactColumn(wave.sourceX, x)) {
            for (std::uint32_t y = 0; y < height; ++y) {
                column[y] = literalSample(wave, x, y);
            }
            continue;
        }
        for (std::uint32_t y = 0; y < rows.first; ++y) {
            column[y] = literalSample(wave, x, y);
        }
        const double dx = double(wave.sourceX) - double(x);
        const __m256d dx2 = _mm256_set1_pd(dx * dx);
        std::uint32_t y = rows.first;
        for (; rows.last - y >= lanes; y += lanes) {
            // Integers: the sum of squares is exact, and so is its square root rounded to float.
            const __m256d dy =
                _mm256_sub_pd(_mm256_set1_pd(double(wave.sourceY) - double(y)), laneIndex);
            const __m256d d2 = _mm256_add_pd(dx2, _mm256_mul_pd(dy, dy));
            const __m256d rd = _mm256_cvtps_pd(_mm256_cvtpd_ps(_mm256_sqrt_pd(d2)));
            // The literal order: (r * 2 * pi) / lambda - phase * lambda.
            const __m256d theta = _mm256_sub_pd(
                _mm256_div_pd(_mm256_mul_pd(_mm256_mul_pd(rd, two), piV), lambda), phaseTerm);
            const __m256d c = _ZGVdN4v_cos(theta);

            __m256d p = c;
            __m256d redo = _mm256_or_pd(_mm256_cmp_pd(absolute(theta), cosLimit, _CMP_NLE_UQ),
                                        _mm256_cmp_pd(absolute(c), tinyCos, _CMP_NGE_UQ));
            if constexpr (withReach) {
                const __m256d root = _mm256_sqrt_pd(_mm256_div_pd(rd, reach));
                __m256d a = _mm256_cvtps_pd(_mm256_cvtpd_ps(_mm256_sub_pd(one, root)));
                a = _mm256_andnot_pd(_mm256_cmp_pd(a, zero, _CMP_NGE_UQ), a);
                p = _mm256_mul_pd(c, a);
                redo =
                    _mm256_or_pd(redo, _mm256_and_pd(_mm256_cmp_pd(absolute(p), tinyP, _CMP_LT_OQ),
                                                     _mm256_cmp_pd(p, zero, _CMP_NEQ_UQ)));
            }
            redo = _mm256_or_pd(redo, _mm256_castsi256_pd(nearRoundingBoundary(p)));

            _mm_storeu_ps(column + y, _mm256_cvtpd_ps(p));
            for (unsigned lanesLeft = unsigned(_mm256_movemask_pd(redo)); lanesLeft != 0;
                 lanesLeft &= lanesLeft - 1) {
                const std::uint32_t row = y + std::uint32_t(__builtin_ctz(lanesLeft));
                column[row] = literalSample(wave, x, row);
            }
        }
        for (; y < height; ++y) {
            column[y] = literalSample(wave, x, y);
        }
    }
}

}  // namespace

void computeAvx2(float *const *grid, std::uint32_t width, std::uint32_t height, const Wave &wave) {
    if (wave.reach != 0) {
        computeColumns<true>(grid, width, height, wave);
    } else {
        computeColumns<false>(grid, width, height, wave);
    }
}

}  // namespace sine_fast
