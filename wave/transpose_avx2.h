#pragma once

// An in-register transpose shared by the AVX2 kernels. Include only from files built with
// -mavx2; static, so that no copy built for AVX2 can stand in for another file's.

#include <immintrin.h>

// Rows of 8 lanes become columns: c[k] lane j ends up in c[j] lane k.
static inline void transpose8(__m256 c[8]) {
    const __m256 t0 = _mm256_unpacklo_ps(c[0], c[1]);
    const __m256 t1 = _mm256_unpackhi_ps(c[0], c[1]);
    const __m256 t2 = _mm256_unpacklo_ps(c[2], c[3]);
    const __m256 t3 = _mm256_unpackhi_ps(c[2], c[3]);
    const __m256 t4 = _mm256_unpacklo_ps(c[4], c[5]);
    const __m256 t5 = _mm256_unpackhi_ps(c[4], c[5]);
    const __m256 t6 = _mm256_unpacklo_ps(c[6], c[7]);
    const __m256 t7 = _mm256_unpackhi_ps(c[6], c[7]);
    const __m256 u0 = _mm256_shuffle_ps(t0, t2, 0x44);
    const __m256 u1 = _mm256_shuffle_ps(t0, t2, 0xEE);
    const __m256 u2 = _mm256_shuffle_ps(t1, t3, 0x44);
    const __m256 u3 = _mm256_shuffle_ps(t1, t3, 0xEE);
    const __m256 u4 = _mm256_shuffle_ps(t4, t6, 0x44);
    const __m256 u5 = _mm256_shuffle_ps(t4, t6, 0xEE);
    const __m256 u6 = _mm256_shuffle_ps(t5, t7, 0x44);
    const __m256 u7 = _mm256_shuffle_ps(t5, t7, 0xEE);
    c[0] = _mm256_permute2f128_ps(u0, u4, 0x20);
    c[1] = _mm256_permute2f128_ps(u1, u5, 0x20);
    c[2] = _mm256_permute2f128_ps(u2, u6, 0x20);
    c[3] = _mm256_permute2f128_ps(u3, u7, 0x20);
    c[4] = _mm256_permute2f128_ps(u0, u4, 0x31);
    c[5] = _mm256_permute2f128_ps(u1, u5, 0x31);
    c[6] = _mm256_permute2f128_ps(u2, u6, 0x31);
    c[7] = _mm256_permute2f128_ps(u3, u7, 0x31);
}
