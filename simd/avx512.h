#pragma once

// The vector traits of AVX-512F: 16 floats or 8 doubles a register, and masks in mask
// registers. The same names as simd/sse2.h, which says what each does. Include only from code
// built with -mavx512f (simd/target.h).

#include <cstdint>

#include "simd/intrinsics.h"

// glibc's libmvec: cos of 8 doubles (x86-64 vector function ABI, AVX-512 variant).
extern "C" __m512d _ZGVeN8v_cos(__m512d);

namespace simd_avx512 {

struct Traits {
    using Floats = __m512;
    using Doubles = __m512d;
    using Ints = __m512i;
    using FloatMask = __mmask16;
    static constexpr std::uint32_t lanes = 16;

    static Floats floats(float f) { return _mm512_set1_ps(f); }
    static Floats laneIndex() {
        return _mm512_set_ps(15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
    }
    static Floats loadu(const float *p) { return _mm512_loadu_ps(p); }
    static void store(float *p, Floats v) { _mm512_store_ps(p, v); }
    static void storeu(float *p, Floats v) { _mm512_storeu_ps(p, v); }
    static Floats sqrt(Floats v) { return _mm512_sqrt_ps(v); }
    static Floats abs(Floats v) { return _mm512_abs_ps(v); }
    static FloatMask less(Floats a, Floats b) { return _mm512_cmp_ps_mask(a, b, _CMP_LT_OQ); }
    static FloatMask greater(Floats a, Floats b) { return _mm512_cmp_ps_mask(a, b, _CMP_GT_OQ); }
    static FloatMask both(FloatMask a, FloatMask b) { return _mm512_kand(a, b); }

    static Doubles doubles(double d) { return _mm512_set1_pd(d); }
    static Doubles load(const double *p) { return _mm512_load_pd(p); }
    static void store(double *p, Doubles v) { _mm512_store_pd(p, v); }
    static Doubles widen(const float *p) { return _mm512_cvtps_pd(_mm256_load_ps(p)); }
    static Floats narrow(Doubles low, Doubles high) {
        return _mm512_castpd_ps(
            _mm512_insertf64x4(_mm512_castpd256_pd512(_mm256_castps_pd(_mm512_cvtpd_ps(low))),
                               _mm256_castps_pd(_mm512_cvtpd_ps(high)), 1));
    }
    static Doubles roundedToFloat(Doubles v) { return _mm512_cvtps_pd(_mm512_cvtpd_ps(v)); }
    static Doubles sqrt(Doubles v) { return _mm512_sqrt_pd(v); }
    static Doubles keepNonNegative(Doubles v) {
        return _mm512_maskz_mov_pd(_mm512_cmp_pd_mask(v, _mm512_setzero_pd(), _CMP_GE_OQ), v);
    }
    static unsigned within(Doubles v, Doubles limit) {
        return _mm512_cmp_pd_mask(_mm512_abs_pd(v), limit, _CMP_LE_OQ);
    }
    static unsigned nearFloatMidpoint(Doubles v, std::int32_t margin) {
        const __m512i low = _mm512_and_epi64(_mm512_castpd_si512(v), _mm512_set1_epi64((1 << 29) - 1));
        const __m512i offset = _mm512_sub_epi64(low, _mm512_set1_epi64((1 << 28) - margin));
        return _mm512_cmple_epu64_mask(offset, _mm512_set1_epi64(2 * margin));
    }
    static Doubles cos(Doubles v) { return _ZGVeN8v_cos(v); }

    static Ints truncate(Floats v) { return _mm512_cvttps_epi32(v); }
    static Floats toFloats(Ints n) { return _mm512_cvtepi32_ps(n); }
    static Ints decrementWhere(FloatMask m, Ints n) {
        return _mm512_mask_sub_epi32(n, m, n, _mm512_set1_epi32(1));
    }
    static Ints incrementWhere(FloatMask m, Ints n) {
        return _mm512_mask_add_epi32(n, m, n, _mm512_set1_epi32(1));
    }
    static Floats greyPixelsOf(Ints n, FloatMask inRange) {
        const __m512i grey =
            _mm512_and_si512(_mm512_add_epi32(n, _mm512_set1_epi32(128)), _mm512_set1_epi32(0xff));
        return _mm512_castsi512_ps(_mm512_mask_mullo_epi32(
            _mm512_set1_epi32(int(0x80808080u)), inRange, grey, _mm512_set1_epi32(0x01010101)));
    }

    static void transpose(Floats (&rows)[lanes]) {
        __m512i c[16], t[16], u[16], v[16];
        for (int k = 0; k < 16; ++k) {
            c[k] = _mm512_castps_si512(rows[k]);
        }
        for (int k = 0; k < 16; k += 2) {
            t[k] = _mm512_unpacklo_epi32(c[k], c[k + 1]);
            t[k + 1] = _mm512_unpackhi_epi32(c[k], c[k + 1]);
        }
        // u[4g + j] holds, in 128-bit lane l, element 4l + j of c[4g] .. c[4g + 3].
        for (int g = 0; g < 16; g += 4) {
            u[g] = _mm512_unpacklo_epi64(t[g], t[g + 2]);
            u[g + 1] = _mm512_unpackhi_epi64(t[g], t[g + 2]);
            u[g + 2] = _mm512_unpacklo_epi64(t[g + 1], t[g + 3]);
            u[g + 3] = _mm512_unpackhi_epi64(t[g + 1], t[g + 3]);
        }
        // v[j] and v[4 + j]: the even and odd 128-bit lanes of u[j], u[4 + j]; v[8 + ...]
        // likewise for u[8 + j], u[12 + j].
        for (int h = 0; h < 16; h += 8) {
            for (int j = 0; j < 4; ++j) {
                v[h + j] = _mm512_shuffle_i32x4(u[h + j], u[h + 4 + j], 0x88);
                v[h + 4 + j] = _mm512_shuffle_i32x4(u[h + j], u[h + 4 + j], 0xDD);
            }
        }
        for (int j = 0; j < 8; ++j) {
            rows[j] = _mm512_castsi512_ps(_mm512_shuffle_i32x4(v[j], v[8 + j], 0x88));
            rows[8 + j] = _mm512_castsi512_ps(_mm512_shuffle_i32x4(v[j], v[8 + j], 0xDD));
        }
    }
};

}  // namespace simd_avx512
