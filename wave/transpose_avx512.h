#pragma once

// An in-register transpose shared by the AVX-512 kernels. Include only from files built with
// -mavx512f; static, so that no copy built for AVX-512 can stand in for another file's.

#include <immintrin.h>

// Rows of 16 lanes become columns: c[k] lane j ends up in c[j] lane k.
static inline void transpose16(__m512i c[16]) {
    __m512i t[16];
    for (int k = 0; k < 16; k += 2) {
        t[k] = _mm512_unpacklo_epi32(c[k], c[k + 1]);
        t[k + 1] = _mm512_unpackhi_epi32(c[k], c[k + 1]);
    }
    // u[4g + j] holds, in 128-bit lane l, element 4l + j of c[4g] .. c[4g + 3].
    __m512i u[16];
    for (int g = 0; g < 4; ++g) {
        const __m512i *tg = t + 4 * g;
        u[4 * g] = _mm512_unpacklo_epi64(tg[0], tg[2]);
        u[4 * g + 1] = _mm512_unpackhi_epi64(tg[0], tg[2]);
        u[4 * g + 2] = _mm512_unpacklo_epi64(tg[1], tg[3]);
        u[4 * g + 3] = _mm512_unpackhi_epi64(tg[1], tg[3]);
    }
    // v[j] and v[4 + j]: the even and odd 128-bit lanes of u[j], u[4 + j]; v[8 + ...] likewise
    // for u[8 + j], u[12 + j].
    __m512i v[16];
    for (int h = 0; h < 2; ++h) {
        for (int j = 0; j < 4; ++j) {
            v[8 * h + j] = _mm512_shuffle_i32x4(u[8 * h + j], u[8 * h + 4 + j], 0x88);
            v[8 * h + 4 + j] = _mm512_shuffle_i32x4(u[8 * h + j], u[8 * h + 4 + j], 0xDD);
        }
    }
    for (int j = 0; j < 8; ++j) {
        c[j] = _mm512_shuffle_i32x4(v[j], v[8 + j], 0x88);
        c[8 + j] = _mm512_shuffle_i32x4(v[j], v[8 + j], 0xDD);
    }
}
