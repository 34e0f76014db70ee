#pragma once

// The vector traits of one width, here SSE2 (plain x86-64): 4 floats or 2 doubles a register.
// Every width's traits offer the same names; the kernels written once over them (wave/
// sine_kernel.h, render/convert_kernel.h) do the arithmetic itself with the operators + - * /,
// which are single vector instructions on these types. Include only from code built for this
// level (simd/target.h).

#include <cstdint>

#include "simd/intrinsics.h"

// glibc's libmvec: cos of 2 doubles (x86-64 vector function ABI, SSE variant).
extern "C" __m128d _ZGVbN2v_cos(__m128d);

namespace simd_sse2 {

struct Traits {
    using Floats = __m128;
    using Doubles = __m128d;
    using Ints = __m128i;
    using FloatMask = __m128;  // all ones in the lanes where it holds
    static constexpr std::uint32_t lanes = 4;  // floats; a vector of doubles holds half as many

    static Floats floats(float f) { return _mm_set1_ps(f); }
    static Floats laneIndex() { return _mm_set_ps(3, 2, 1, 0); }
    static Floats loadu(const float *p) { return _mm_loadu_ps(p); }
    static void store(float *p, Floats v) { _mm_store_ps(p, v); }
    static void storeu(float *p, Floats v) { _mm_storeu_ps(p, v); }
    static Floats sqrt(Floats v) { return _mm_sqrt_ps(v); }
    static Floats abs(Floats v) { return _mm_andnot_ps(_mm_set1_ps(-0.0f), v); }
    static FloatMask less(Floats a, Floats b) { return _mm_cmplt_ps(a, b); }
    static FloatMask greater(Floats a, Floats b) { return _mm_cmpgt_ps(a, b); }
    static FloatMask both(FloatMask a, FloatMask b) { return _mm_and_ps(a, b); }

    static Doubles doubles(double d) { return _mm_set1_pd(d); }
    static Doubles load(const double *p) { return _mm_load_pd(p); }
    static void store(double *p, Doubles v) { _mm_store_pd(p, v); }
    // Half a vector of floats (lanes / 2 of them, aligned), widened.
    static Doubles widen(const float *p) {
        return _mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(p))));
    }
    static Floats narrow(Doubles low, Doubles high) {
        return _mm_movelh_ps(_mm_cvtpd_ps(low), _mm_cvtpd_ps(high));
    }
    // v rounded to float precision, as a double.
    static Doubles roundedToFloat(Doubles v) { return _mm_cvtps_pd(_mm_cvtpd_ps(v)); }
    static Doubles sqrt(Doubles v) { return _mm_sqrt_pd(v); }
    // v where v >= 0, otherwise (negative or not a number) 0.
    static Doubles keepNonNegative(Doubles v) { return _mm_and_pd(_mm_cmpge_pd(v, _mm_setzero_pd()), v); }
    // The lanes (bit k for lane k) with |v| <= limit; not a number is not within.
    static unsigned within(Doubles v, Doubles limit) {
        return unsigned(_mm_movemask_pd(_mm_cmple_pd(_mm_andnot_pd(_mm_set1_pd(-0.0), v), limit)));
    }
    // The lanes whose low 29 mantissa bits (those a float drops) lie within margin of one half,
    // 1 << 28. They sit in the low 32-bit half of each double, and SSE2 compares 32-bit integers.
    static unsigned nearFloatMidpoint(Doubles v, std::int32_t margin) {
        const __m128i low = _mm_and_si128(_mm_castpd_si128(v), _mm_set1_epi32((1 << 29) - 1));
        const __m128i offset = _mm_sub_epi32(low, _mm_set1_epi32((1 << 28) - margin));
        const __m128i near = _mm_and_si128(_mm_cmpgt_epi32(offset, _mm_set1_epi32(-1)),
                                           _mm_cmpgt_epi32(_mm_set1_epi32(2 * margin + 1), offset));
        const unsigned halves = unsigned(_mm_movemask_ps(_mm_castsi128_ps(near)));
        return (halves & 1) | ((halves >> 1) & 2);
    }
    static Doubles cos(Doubles v) { return _ZGVbN2v_cos(v); }

    static Ints truncate(Floats v) { return _mm_cvttps_epi32(v); }
    static Floats toFloats(Ints n) { return _mm_cvtepi32_ps(n); }
    static Ints decrementWhere(FloatMask m, Ints n) { return _mm_add_epi32(n, _mm_castps_si128(m)); }
    static Ints incrementWhere(FloatMask m, Ints n) { return _mm_sub_epi32(n, _mm_castps_si128(m)); }
    // The pixel of grey level n + 128 (modulo 256) in the lanes of inRange, 4 equal bytes, and
    // mid grey in the others.
    static Floats greyPixelsOf(Ints n, FloatMask inRange) {
        __m128i grey = _mm_and_si128(_mm_add_epi32(n, _mm_set1_epi32(128)), _mm_set1_epi32(0xff));
        grey = _mm_or_si128(grey, _mm_slli_epi32(grey, 8));
        grey = _mm_or_si128(grey, _mm_slli_epi32(grey, 16));
        const __m128i mask = _mm_castps_si128(inRange);
        return _mm_castsi128_ps(_mm_or_si128(
            _mm_and_si128(mask, grey), _mm_andnot_si128(mask, _mm_set1_epi32(int(0x80808080u)))));
    }

    // Rows of lanes values become columns: c[k] lane j ends up in c[j] lane k.
    static void transpose(Floats (&c)[lanes]) { _MM_TRANSPOSE4_PS(c[0], c[1], c[2], c[3]); }
};

}  // namespace simd_sse2
