// The choice of kernel level: what ONDORIA_SIMD asks for, the cap, and the levels a test or
// benchmark runs.
#include <gtest/gtest.h>

#include <vector>

#include "simd/level.h"

namespace {

using simd::Level;

TEST(SimdLevelTest, EachFastLevelsNameAsksForItAndAnyOtherTextForNothing) {
    const struct {
        const char *text;
        Level level;
    } cases[] = {
        {"literal", Level::avx512},  {"scalar", Level::scalar},  {"sse2", Level::sse2},
        {"avx2", Level::avx2},       {"avx512", Level::avx512},  {nullptr, Level::avx512},
        {"", Level::avx512},         {"AVX2", Level::avx512},    {"avx2 ", Level::avx512},
        {" sse2", Level::avx512},    {"avx", Level::avx512},     {"avx5120", Level::avx512},
        {"portable", Level::avx512}, {"sse2\n", Level::avx512},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(simd::requestedLevel(c.text), c.level)
            << "ONDORIA_SIMD=\"" << (c.text ? c.text : "(unset)") << "\"";
    }
    for (Level level : {Level::scalar, Level::sse2, Level::avx2, Level::avx512}) {
        EXPECT_EQ(simd::requestedLevel(simd::levelName(level)), level) << simd::levelName(level);
    }
}

TEST(SimdLevelTest, TheCapLowersTheActiveLevelDownToTheLiteralCodeAndLiftsAgain) {
    const std::vector<Level> runnable = simd::runnableLevels();
    ASSERT_FALSE(runnable.empty());
    EXPECT_EQ(runnable.front(), Level::scalar) << "the literal code is not a fast level";
    EXPECT_LE(runnable.back(), simd::supportedLevel());
    for (Level cap : {Level::literal, Level::scalar, Level::sse2, Level::avx2, Level::avx512}) {
        simd::limitSimdLevel(cap);
        const Level expected = cap < runnable.back() ? cap : runnable.back();
        EXPECT_EQ(simd::activeLevel(), expected) << "cap " << simd::levelName(cap);
        EXPECT_EQ(simd::runnableLevels(), runnable) << "cap " << simd::levelName(cap);
    }
    simd::limitSimdLevel(Level::literal);
    simd::limitSimdLevel(Level::avx512);
    EXPECT_EQ(simd::activeLevel(), runnable.back()) << "a cap set earlier stays lifted";
}

}  // namespace
