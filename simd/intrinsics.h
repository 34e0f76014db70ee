#pragma once

// <immintrin.h> for the files built for one vector level. GCC 12 takes the deliberately undefined
// registers inside some intrinsics for uninitialised variables (GCC bug 105593); clang neither
// gives those warnings nor knows -Wmaybe-uninitialized.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop
#else
#include <immintrin.h>
#endif
