// Built with -mavx512f; called only when the processor has AVX-512F.
// GCC 12 takes the deliberately undefined registers inside some intrinsics for uninitialised
// variables (GCC bug 105593).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop

#include "wave/sine_fast.h"

// glibc's libmvec: cos of 8 doubles (x86-64 vector function ABI, AVX-512 variant).
extern "C" __m512d _ZGVeN8v_cos(__m512d);

namespace sine_fast {

namespace {

constexpr double pi = 3.141592653589793;
constexpr int lanes = 8;

// Lanes whose double p lies within roundingMargin units of a float rounding boundary: the low 29
// mantissa bits (those a float drops) within the margin of one half, 1 << 28.
__mmask8 nearRoundingBoundary(__m512d p) {
    const __m512i low = _mm512_and_epi64(_mm512_castpd_si512(p), _mm512_set1_epi64((1 << 29) - 1));
    const __m512i offset = _mm512_sub_epi64(low, _mm512_set1_epi64((1 << 28) - roundingMargin));
    return _mm512_cmple_epu64_mask(offset, _mm512_set1_epi64(2 * roundingMargin));
}

template <bool withReach>
void computeColumns(float *const *grid, std::uint32_t width, std::uint32_t height,
                    const Wave &wave) {
    const RowRange rows = exactRows(wave.sourceY, height);
    const __m512d two = _mm512_set1_pd(2);
    const __m512d piV = _mm512_set1_pd(pi);
    const __m512d lambda = _mm512_set1_pd(double(wave.lambda));
    const __m512d phaseTerm = _mm512_set1_pd(double(wave.phase) * double(wave.lambda));
    const __m512d reach = _mm512_set1_pd(double(wave.reach));
    const __m512d one = _mm512_set1_pd(1);
    const __m512d zero = _mm512_setzero_pd();
    const __m512d cosLimit = _mm512_set1_pd(vectorCosLimit);
    const __m512d tinyCos = _mm512_set1_pd(tinyCosine);
    const __m512d tinyP = _mm512_set1_pd(tinySample);
    const __m512d laneIndex = _mm512_set_pd(7, 6, 5, 4, 3, 2, 1, 0);

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
        const __m512d dx2 = _mm512_set1_pd(dx * dx);
        for (std::uint32_t y = rows.first; y < rows.last; y += lanes) {
            const std::uint32_t count = rows.last - y < lanes ? rows.last - y : lanes;
            const __mmask8 valid = __mmask8((1u << count) - 1);
            // Integers: the sum of squares is exact, and so is its square root rounded to float.
            const __m512d dy =
                _mm512_sub_pd(_mm512_set1_pd(double(wave.sourceY) - double(y)), laneIndex);
            const __m512d d2 = _mm512_add_pd(dx2, _mm512_mul_pd(dy, dy));
            const __m256 r = _mm512_cvtpd_ps(_mm512_sqrt_pd(d2));
            const __m512d rd = _mm512_cvtps_pd(r);
            // The literal order: (r * 2 * pi) / lambda - phase * lambda.
            const __m512d theta = _mm512_sub_pd(
                _mm512_div_pd(_mm512_mul_pd(_mm512_mul_pd(rd, two), piV), lambda), phaseTerm);
            const __m512d c = _ZGVeN8v_cos(theta);

            __m512d p = c;
            __mmask8 redo = _mm512_cmp_pd_mask(_mm512_abs_pd(theta), cosLimit, _CMP_NLE_UQ) |
                            _mm512_cmp_pd_mask(_mm512_abs_pd(c), tinyCos, _CMP_NGE_UQ);
            if constexpr (withReach) {
                const __m512d root = _mm512_sqrt_pd(_mm512_div_pd(rd, reach));
                __m512d a = _mm512_cvtps_pd(_mm512_cvtpd_ps(_mm512_sub_pd(one, root)));
                a = _mm512_mask_mov_pd(a, _mm512_cmp_pd_mask(a, zero, _CMP_NGE_UQ), zero);
                p = _mm512_mul_pd(c, a);
                redo |= _mm512_cmp_pd_mask(_mm512_abs_pd(p), tinyP, _CMP_LT_OQ) &
                        _mm512_cmp_pd_mask(p, zero, _CMP_NEQ_UQ);
            }
            redo = (redo | nearRoundingBoundary(p)) & valid;

            _mm512_mask_storeu_ps(column + y, valid, _mm512_castps256_ps512(_mm512_cvtpd_ps(p)));
            for (unsigned lanesLeft = redo; lanesLeft != 0; lanesLeft &= lanesLeft - 1) {
                const std::uint32_t row = y + std::uint32_t(__builtin_ctz(lanesLeft));
                column[row] = literalSample(wave, x, row);
            }
        }
        for (std::uint32_t y = rows.last; y < height; ++y) {
            column[y] = literalSample(wave, x, y);
        }
    }
}

}  // namespace

void computeAvx512(float *const *grid, std::uint32_t width, std::uint32_t height,
                   const Wave &wave) {
    if (wave.reach != 0) {
        computeColumns<true>(grid, width, height, wave);
    } else {
        computeColumns<false>(grid, width, height, wave);
    }
}

}  // namespace sine_fast
