#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "oracle.h"
#include "render/render.h"

namespace {

TEST(RoundSampleTest, GoesUpOnlyPastAPositiveHalf) {
    const struct {
        double t, expected;
    } cases[] = {
        {2.5, 2},   {2.6, 3},   {2.4, 2},       {0.5, 0},   {0.75, 1},    {-0.3, -1},
        {-0.5, -1}, {-0.9, -1}, {-126.9, -127}, {-2.5, -3}, {3, 3},       {-2, -2},
        {0, 0},     {127, 127}, {-127, -127},   {63.5, 63}, {-63.5, -64}, {1e300, 1e300},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(roundSample(c.t), c.expected) << "t = " << c.t;
    }
}

// Bytes of a whole buffer from a layer the test fills itself.
std::vector<std::uint8_t> convertSamples(std::uint32_t width, std::uint32_t height,
                                         const std::vector<float> &columnMajor) {
    layer field(width, height);
    for (std::uint32_t x = 0; x < width; ++x) {
        for (std::uint32_t y = 0; y < height; ++y) {
            field.getGrid()[x][y] = columnMajor[std::size_t(x) * height + y];
        }
    }
    render renderer(&field);
    // A marker first, so that a pixel convert leaves unwritten cannot pass for one it wrote.
    std::memset(renderer.getPixels(), 0xa5, std::size_t(width) * height * 4);
    const std::uint8_t *pixels = renderer.convert();
    EXPECT_EQ(pixels, renderer.getPixels());
    EXPECT_EQ(renderer.getSize(), std::make_pair(width, height));
    return {pixels, pixels + std::size_t(width) * height * 4};
}

TEST(RenderTest, GreyLevelsOfTheSampleRange) {
    const struct {
        float sample;
        std::uint8_t grey;
    } cases[] = {
        {1, 255}, {0.5f, 191},   {0, 128},       {-0.0f, 128}, {-0.5f, 64},
        {-1, 1},  {1e-30f, 128}, {-1e-30f, 127},  // the smallest negative fraction still goes down
    };
    std::vector<float> samples;
    for (const auto &c : cases) {
        samples.push_back(c.sample);
    }
    const auto bytes = convertSamples(std::uint32_t(samples.size()), 1, samples);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(bytes[i * 4 + k], cases[i].grey)
                << "sample " << cases[i].sample << ", channel " << k;
        }
    }
}

TEST(RenderTest, RowsComeFirstWhateverTheGridShape) {
    const std::vector<std::uint8_t> expected = {255, 255, 255, 255, 1, 1, 1, 1};
    EXPECT_EQ(convertSamples(2, 1, {1, -1}), expected) << "2 by 1";
    EXPECT_EQ(convertSamples(1, 2, {1, -1}), expected) << "1 by 2";
    // 3 by 2, column-major in: (0,0)=1 (0,1)=-1 (1,0)=0 (1,1)=0.5 (2,0)=-0.5 (2,1)=1
    const auto bytes = convertSamples(3, 2, {1, -1, 0, 0.5f, -0.5f, 1});
    const std::uint8_t rowMajor[] = {255, 128, 64, 1, 191, 255};
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(bytes[i * 4], rowMajor[i]) << "pixel " << i;
    }
}

TEST(RenderTest, AllZeroGridIsMidGrey) {
    const auto bytes = convertSamples(5, 3, std::vector<float>(15, 0.0f));
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        ASSERT_EQ(bytes[i], 128) << "byte " << i;
    }
}

// Samples at and beside each rounding boundary of the grey scale: where s * 127 is an integer
// k and where it is k + 0.5.
TEST(RenderTest, MatchesTheReferenceAtEveryRoundingBoundary) {
    std::vector<float> samples;
    for (int k = -128; k <= 127; ++k) {
        for (const double boundary : {k / 127.0, (k + 0.5) / 127.0}) {
            float s = float(boundary);
            for (int step = 0; step < 8; ++step) {
                s = std::nextafter(s, -2.0f);
            }
            for (int step = 0; step < 17; ++step) {
                samples.push_back(s);
                s = std::nextafter(s, 2.0f);
            }
        }
    }
    const auto width = std::uint32_t(samples.size());
    const auto bytes = convertSamples(width, 1, samples);
    for (std::uint32_t i = 0; i < width; ++i) {
        ASSERT_EQ(bytes[i * 4], oracle::grey(samples[i]))
            << "sample " << samples[i] << " (bits " << std::hex << oracle::bitsOf(samples[i])
            << ") at index " << std::dec << i;
    }
}

// Samples outside [-1, 1] arise only from a broken field, but must still give a defined byte:
// the low 8 bits of the integral value, and mid grey where there is none.
TEST(RenderTest, EveryFloatHasADefinedGreyLevel) {
    using limits = std::numeric_limits<float>;
    const struct {
        float sample;
        int grey;  // -1: whatever the reference says
    } cases[] = {
        {limits::quiet_NaN(), 128},
        {-limits::quiet_NaN(), 128},
        {limits::infinity(), 128},
        {-limits::infinity(), 128},
        {limits::max(), 128},  // s * 127 overflows to infinity
        {-limits::max(), 128},
        {limits::denorm_min(), 128},
        {-limits::denorm_min(), 127},
        {2, 126},   // 254 + 128 = 382, and 382 mod 256 = 126
        {-2, 130},  // -254 + 128 = -126, and -126 mod 256 = 130
        {1e9f, -1},
        {-3e12f, -1},
        {1e30f, -1},
        {-2.5e36f, -1},
        {std::ldexp(1.0f, 100), 128},  // a multiple of 256 after scaling
    };
    std::vector<float> samples;
    for (const auto &c : cases) {
        samples.push_back(c.sample);
    }
    const auto bytes = convertSamples(std::uint32_t(samples.size()), 1, samples);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const int expected = cases[i].grey >= 0 ? cases[i].grey % 256 : oracle::grey(samples[i]);
        EXPECT_EQ(bytes[i * 4], expected) << "sample " << samples[i] << " at index " << i;
        EXPECT_EQ(greyLevel(samples[i]), expected) << "sample " << samples[i];
    }
}

}  // namespace
