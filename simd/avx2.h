#pragma once

// The vector traits of AVX2: 8 floats or 4 doubles a register. The same names as simd/sse2.h,
// which says what each does. Include only from code built with -mavx2 (simd/target.h).

#include <cstdint>

#include "simd/intrinsics.h"

// glibc's libmvec: cos of 4 doubles (x86-64 vector function ABI, AVX2 variant).
extern "C" __m256d _ZGVdN4v_cos(__m256d);

namespace simd_avx2 {

struct Traits {
    using Floats = __m256;
    using Doubles = __m256d;
    using Ints = __m256i;
    using FloatMask = __m256;
    static constexpr std::uint32_t lanes = 8;

    static Floats floats(float f) { return _mm256_set1_ps(f); }
    static Floats laneIndex() { return _mm256_set_ps(7, 6, 5, 4, 3, 2, 1, 0); }
    static Floats loadu(const float *p) { return _mm256_loadu_ps(p); }
    static void store(float *p, Floats v) { _mm256_store_ps(p, v); }
    static void storeu(float *p, Floats v) { _mm256_storeu_ps(p, v); }
    static Floats sqrt(Floats v) { return _mm256_sqrt_ps(v); }
    static Floats abs(Floats v) { return _mm256_andnot_ps(_mm256_set1_ps(-0.0f), v); }
    static FloatMask less(Floats a, Floats b) { return _mm256_cmp_ps(a, b, _CMP_LT_OQ); }
    static FloatMask greater(Floats a, Floats b) { return _mm256_cmp_ps(a, b, _CMP_GT_OQ); }
    static FloatMask both(FloatMask a, FloatMask b) { return _mm256_and_ps(a, b); }

    static Doubles doubles(double d) { return _mm256_set1_pd(d); }
    static Doubles load(const double *p) { return _mm256_load_pd(p); }
    static void store(double *p, Doubles v) { _mm256_store_pd(p, v); }
    static Doubles widen(const float *p) { return _mm256_cvtps_pd(_mm_load_ps(p)); }
    static Floats narrow(Doubles low, Doubles high) {
        return _mm256_insertf128_ps(_mm256_castps128_ps256(_mm256_cvtpd_ps(low)),
                                    _mm256_cvtpd_ps(high), 1);
    }
    static Doubles roundedToFloat(Doubles v) { return _mm256_cvtps_pd(_mm256_cvtpd_ps(v)); }
    static Doubles sqrt(Doubles v) { return _mm256_sqrt_pd(v); }
    static Doubles keepNonNegative(Doubles v) {
        return _mm256_and_pd(_mm256_cmp_pd(v, _mm256_setzero_pd(), _CMP_GE_OQ), v);
    }
    static unsigned within(Doubles v, Doubles limit) {
        const __m256d magnitude = _mm256_andnot_pd(_mm256_set1_pd(-0.0), v);
        return unsigned(_mm256_movemask_pd(_mm256_cmp_pd(magnitude, limit, _CMP_LE_OQ)));
    }
    static unsigned nearFloatMidpoint(Doubles v, std::int32_t margin) {
        const __m256i low = _mm256_and_si256(_mm256_castpd_si256(v), _mm256_set1_epi64x((1 << 29) - 1));
        const __m256i offset = _mm256_sub_epi64(low, _mm256_set1_epi64x((1 << 28) - margin));
        const __m256i near =
            _mm256_and_si256(_mm256_cmpgt_epi64(offset, _mm256_set1_epi64x(-1)),
                             _mm256_cmpgt_epi64(_mm256_set1_epi64x(2 * margin + 1), offset));
        return unsigned(_mm256_movemask_pd(_mm256_castsi256_pd(near)));
    }
    static Doubles cos(Doubles v) { return _ZGVdN4v_cos(v); }

    static Ints truncate(Floats v) { return _mm256_cvttps_epi32(v); }
    static Floats toFloats(Ints n) { return _mm256_cvtepi32_ps(n); }
    static Ints decrementWhere(FloatMask m, Ints n) { return _mm256_add_epi32(n, _mm256_castps_si256(m)); }
    static Ints incrementWhere(FloatMask m, Ints n) { return _mm256_sub_epi32(n, _mm256_castps_si256(m)); }
    static Floats greyPixelsOf(Ints n, FloatMask inRange) {
        const __m256i grey =
            _mm256_and_si256(_mm256_add_epi32(n, _mm256_set1_epi32(128)), _mm256_set1_epi32(0xff));
        return _mm256_castsi256_ps(
            _mm256_blendv_epi8(_mm256_set1_epi32(int(0x80808080u)),
                               _mm256_mullo_epi32(grey, _mm256_set1_epi32(0x01010101)),
                               _mm256_castps_si256(inRange)));
    }

    static void transpose(Floats (&c)[lanes]) {
        __m256 t[8], u[8];
        for (int k = 0; k < 8; k += 2) {
            t[k] = _mm256_unpacklo_ps(c[k], c[k + 1]);
            t[k + 1] = _mm256_unpackhi_ps(c[k], c[k + 1]);
        }
        for (int g = 0; g < 8; g += 4) {
            u[g] = _mm256_shuffle_ps(t[g], t[g + 2], 0x44);
            u[g + 1] = _mm256_shuffle_ps(t[g], t[g + 2], 0xEE);
            u[g + 2] = _mm256_shuffle_ps(t[g + 1], t[g + 3], 0x44);
            u[g + 3] = _mm256_shuffle_ps(t[g + 1], t[g + 3], 0xEE);
        }
        for (int j = 0; j < 4; ++j) {
            c[j] = _mm256_permute2f128_ps(u[j], u[j + 4], 0x20);
            c[j + 4] = _mm256_permute2f128_ps(u[j], u[j + 4], 0x31);
        }
    }
};

}  // namespace simd_avx2
