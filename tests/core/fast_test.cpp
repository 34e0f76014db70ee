// The fast compute and convert kernels against the literal code, bit for bit, on every
// instruction-set level this processor runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "oracle.h"
#include "render/render.h"
#include "simd/level.h"
#include "wave/sine.h"
#include "wave/sine_fast.h"

#if defined(__x86_64__) && defined(__GLIBC__)
#include <immintrin.h>

// glibc's libmvec cosines, the ones the x86-64 kernels call.
extern "C" __m128d _ZGVbN2v_cos(__m128d);
extern "C" __attribute__((target("avx2"))) __m256d _ZGVdN4v_cos(__m256d);
extern "C" __attribute__((target("avx512f"))) __m512d _ZGVeN8v_cos(__m512d);
#define ONDORIA_TEST_LIBMVEC 1
#endif

namespace {

// Runs the body with the kernels capped at each runnable level in turn.
template <typename Body>
void forEachLevel(Body body) {
    for (simd::Level level : simd::runnableLevels()) {
        simd::limitSimdLevel(level);
        if (simd::activeLevel() != level) {
            ADD_FAILURE() << "the cap did not bring the kernels to " << simd::levelName(level);
            continue;
        }
        body(level);
    }
    simd::limitSimdLevel(simd::Level::avx512);
}

struct WaveCase {
    const char *name;
    std::uint32_t width, height, sourceX, sourceY;
    float lambda, reach, phase;
};

// Written over every sample before a fast call: a signalling NaN, which no arithmetic produces,
// so a sample the kernel leaves alone cannot pass for a value that reused memory still holds.
constexpr std::uint32_t sampleMarkerBits = 0x7fa5a5a5u;
// Written over every pixel byte before a fast convert, for the same reason.
constexpr std::uint8_t byteMarker = 0xa5;

void markSamples(layer &field) {
    const auto [width, height] = field.getSize();
    float marker;
    std::memcpy(&marker, &sampleMarkerBits, sizeof marker);
    for (std::uint32_t x = 0; x < width; ++x) {
        std::fill_n(field.getGrid()[x], height, marker);
    }
}

void markPixels(render &renderer) {
    const auto [width, height] = renderer.getSize();
    std::memset(renderer.getPixels(), byteMarker, std::size_t(width) * height * 4);
}

// Every sample of a fast frame against the literal frame, comparing bits (so -0.0 and 0.0 and
// NaN payloads count). Names the case, the level, the first few differing samples and how many
// differ in all.
void expectSameField(const std::string &what, simd::Level level, sine &fast, sine &literal) {
    const auto [width, height] = literal.getSize();
    std::int64_t mismatches = 0;
    for (std::uint32_t x = 0; x < width; ++x) {
        for (std::uint32_t y = 0; y < height; ++y) {
            const float got = fast.getGrid()[x][y];
            const float want = literal.getGrid()[x][y];
            if (oracle::bitsOf(got) != oracle::bitsOf(want) && ++mismatches <= 5) {
                ADD_FAILURE() << what << " [" << simd::levelName(level) << "]: sample (" << x
                              << ", " << y << ") is "
                              << (oracle::bitsOf(got) == sampleMarkerBits ? "left unwritten"
                                                                          : "written")
                              << ", " << got << " (bits " << std::hex << oracle::bitsOf(got)
                              << "), literal " << want << " (bits " << oracle::bitsOf(want)
                              << std::dec << ")";
            }
        }
    }
    EXPECT_EQ(mismatches, 0) << what << " [" << simd::levelName(level)
                             << "]: " << std::int64_t(width) * height << " samples compared";
}

TEST(FastComputeTest, IntegerRadiusEqualsHypotOverTheWholeExactRange) {
    // The kernels take r as the float square root of the float dx*dx + dy*dy wherever |dx| and
    // |dy| are within the limit; this is every such pair, both signs and both orders.
    const std::int64_t limit = sine_fast::exactRadiusLimit;
    ASSERT_LT(2 * limit * limit, std::int64_t(1) << 24) << "the sum of squares must be exact";
    std::int64_t mismatches = 0;
    for (std::int64_t dx = -limit; dx <= limit; ++dx) {
        for (std::int64_t dy = -limit; dy <= limit; ++dy) {
            const double a = double(dx), b = double(dy);
            const float byHypot = float(std::hypot(a, b));
            const float bySqrt = std::sqrt(float(dx * dx + dy * dy));
            if (oracle::bitsOf(byHypot) != oracle::bitsOf(bySqrt) && ++mismatches <= 5) {
                ADD_FAILURE() << "(" << dx << ", " << dy << "): hypot gives " << byHypot
                              << ", sqrt " << bySqrt;
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(FastComputeTest, FramesEqualTheLiteralCode) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const WaveCase cases[] = {
        {"1x1 at its source", 1, 1, 0, 0, 50, 0, 0.02f},
        {"3x7, wavelength 7.25", 3, 7, 1, 5, 7.25f, 0, 0.5f},
        {"17x1, wavelength 1, source right of the grid", 17, 1, 40, 0, 1, 0, 1},
        {"1023x9, wavelength 0.5, reach 16", 1023, 9, 10, 4, 0.5f, 16, 0.3f},
        {"1023x9, wavelength 333, reach 300", 1023, 9, 500, 3, 333, 300, 2},
        {"33x65, reach 300, source below", 33, 65, 10, 90, 20, 300, 0.7f},
        {"64x64, reach -16: no amplitude anywhere", 64, 64, 10, 10, 50, -16, 0.02f},
        {"64x64, reach infinite", 64, 64, 10, 10, 50, inf, 0.02f},
        {"64x64, reach 1e-30", 64, 64, 10, 10, 50, 1e-30f, 0.02f},
        {"64x64, reach NaN", 64, 64, 10, 10, 50, nan, 0.02f},
        {"40x30, source far below and right", 40, 30, 4000000000u, 3000000000u, 333, 0, 0.1f},
        {"40x30, far source, reach 1e9", 40, 30, 4000000000u, 3000000000u, 333, 1e9f, 0.1f},
        // Far sources that are not floats: r must come from the exact offsets.
        {"40x30, far source off the floats", 40, 30, 50000017u, 30000011u, 333, 0, 0.1f},
        // Columns of several full chunks of rows and a partial one.
        {"3x700, source near the top", 3, 700, 1, 10, 50, 0, 0.02f},
        {"2x1000, source at the bottom, reach 300", 2, 1000, 0, 999, 7.25f, 300, 0.7f},
        {"5x1333, source halfway down", 5, 1333, 2, 600, 50, 0, 0.02f},
        // Columns and rows on both sides of the exact-radius limit.
        {"64x20, source 2920 columns right", 64, 20, 2920, 10, 50, 0, 0.02f},
        {"9x64, source 2930 rows down", 9, 64, 4, 2930, 50, 0, 0.02f},
        {"3000x3, source far left of most columns", 3000, 3, 0, 1, 50, 0, 0.02f},
        // Square grids with the source on the diagonal are computed below it and mirrored.
        {"37x37, source on the diagonal, reach 300", 37, 37, 5, 5, 7.25f, 300, 0.7f},
        {"37x37, source on the diagonal outside", 37, 37, 60, 60, 7.25f, 0, 0.7f},
        {"37x37, source off the diagonal", 37, 37, 5, 6, 7.25f, 0, 0.7f},
        {"40x40, diagonal source across the exact limit", 40, 40, 2920, 2920, 50, 0, 0.02f},
        // The last columns lie beyond the exact limit, so this square must not be mirrored.
        {"2950x2950, source (10, 10)", 2950, 2950, 10, 10, 50, 0, 0.02f},
        {"1023x9, wavelength -50", 1023, 9, 10, 10, -50, 0, 0.02f},
        {"1023x9, wavelength 1e-3", 1023, 9, 10, 10, 1e-3f, 0, 0.02f},
        {"1023x9, wavelength 1e6", 1023, 9, 10, 10, 1e6f, 0, 0.02f},
        {"1023x9, wavelength 1e6, phase 0.5", 1023, 9, 10, 10, 1e6f, 0, 0.5f},
        // theta = r * 2 * pi / 50 - phase * 50 runs from -(2^20 + 18) to about -(2^20 - 16):
        // across the vector cosine's limit of 2^20.
        {"200x200, theta across the vector limit", 200, 200, 10, 10, 50, 0, 20971.88f},
        {"64x64, theta far beyond the vector limit", 64, 64, 10, 10, 50, 0, 1e7f},
        {"64x64, wavelength 0: not a number", 64, 64, 10, 10, 0, 0, 0.02f},
        {"64x64, wavelength NaN", 64, 64, 10, 10, nan, 0, 0.02f},
        {"64x64, phase infinite", 64, 64, 10, 10, 50, 0, inf},
        {"0x5", 0, 5, 10, 10, 50, 0, 0.02f},
        {"5x0", 5, 0, 10, 10, 50, 0, 0.02f},
    };
    for (const WaveCase &c : cases) {
        sine literal(c.width, c.height);
        literal.computeLiteral(c.sourceX, c.sourceY, c.lambda, c.reach, c.phase);
        forEachLevel([&](simd::Level level) {
            sine fast(c.width, c.height);
            markSamples(fast);
            fast.compute(c.sourceX, c.sourceY, c.lambda, c.reach, c.phase);
            expectSameField(c.name, level, fast, literal);
        });
    }
}

TEST(FastComputeTest, SmallFramesEqualTheReference) {
    // The literal code is the definition; the independent reference guards it, and every level,
    // for a few cases.
    const WaveCase cases[] = {
        {"3x7", 3, 7, 1, 5, 7.25f, 0, 0.5f},
        {"1023x9, reach 16", 1023, 9, 10, 4, 50, 16, 0.3f},
        {"17x1, source outside", 17, 1, 40, 0, 1, 0, 1},
        // Sources whose coordinates are exact floats hide a distance taken in float; these are
        // not floats, and neither are most of their offsets.
        {"40x30, far source off the floats", 40, 30, 50000017u, 30000011u, 333, 0, 0.1f},
        {"40x30, far source off the floats, reach 1e8", 40, 30, 50000017u, 30000011u, 7.25f, 1e8f,
         0.3f},
    };
    for (const WaveCase &c : cases) {
        const std::vector<float> expected =
            oracle::field(c.width, c.height, c.sourceX, c.sourceY, c.lambda, c.reach, c.phase);
        const auto expectReference = [&](const std::string &what, sine &field) {
            std::int64_t mismatches = 0;
            for (std::uint32_t x = 0; x < c.width; ++x) {
                for (std::uint32_t y = 0; y < c.height; ++y) {
                    const float got = field.getGrid()[x][y];
                    const float want = expected[std::size_t(x) * c.height + y];
                    if (oracle::bitsOf(got) != oracle::bitsOf(want) && ++mismatches <= 3) {
                        ADD_FAILURE() << c.name << " [" << what << "]: sample (" << x << ", " << y
                                      << ") is " << got << ", reference " << want;
                    }
                }
            }
            EXPECT_EQ(mismatches, 0)
                << c.name << " [" << what << "]: " << c.width * c.height << " samples compared";
        };
        sine literal(c.width, c.height);
        markSamples(literal);
        literal.computeLiteral(c.sourceX, c.sourceY, c.lambda, c.reach, c.phase);
        expectReference("literal", literal);
        forEachLevel([&](simd::Level level) {
            sine fast(c.width, c.height);
            markSamples(fast);
            fast.compute(c.sourceX, c.sourceY, c.lambda, c.reach, c.phase);
            expectReference(simd::levelName(level), fast);
        });
    }
}

TEST(FastComputeTest, PixelsWhereTheVectorCosineRoundsOtherwiseEqualTheLiteralCode) {
    // Pixels of the program's frames (wavelength 50, the phase of frame n) where libmvec's
    // cosine, rounded to float, differs from std::cos's: only the rounding check keeps them
    // right. Found by a search over the first 16,520 frames. Each is pixel (0, 0) of a 1x16
    // column whose source lies dx, dy away, so every level takes its vector path for it.
    const struct {
        int frame;
        float phase;
        std::uint32_t dx, dy;
    } pixels[] = {
        {6479, 129.570862f, 722, 362},  {10024, 200.486008f, 836, 721},
        {10654, 213.088699f, 803, 593}, {11087, 221.750549f, 573, 438},
        {12051, 241.034668f, 830, 499}, {14308, 286.161285f, 672, 535},
        {16520, 330.376984f, 560, 58},
    };
    for (const auto &p : pixels) {
        sine literal(1, 16);
        literal.computeLiteral(p.dx, p.dy, 50, 0, p.phase);
        forEachLevel([&](simd::Level level) {
            sine fast(1, 16);
            markSamples(fast);
            fast.compute(p.dx, p.dy, 50, 0, p.phase);
            const std::string what = "frame " + std::to_string(p.frame) + ", offset (" +
                                     std::to_string(p.dx) + ", " + std::to_string(p.dy) + ")";
            expectSameField(what, level, fast, literal);
        });
    }
}

TEST(FastComputeTest, DefaultFramesAtSuccessivePhasesEqualTheLiteralCode) {
    // The program's frames: 1000x1000 around (10, 10), wavelength 50, the phase stepping by 0.02
    // as the frame update steps it; from the start, after 10,000 frames and after a million.
    const std::uint32_t size = 1000;
    sine literal(size, size);
    for (const float start : {0.0f, 200.0f, 20000.0f}) {
        float phase = start;
        for (int frame = 0; frame < 4; ++frame) {
            phase = float(double(phase) + 0.02);
            literal.computeLiteral(10, 10, 50, 0, phase);
            forEachLevel([&](simd::Level level) {
                sine fast(size, size);
                markSamples(fast);
                fast.compute(10, 10, 50, 0, phase);
                expectSameField("default frame at phase " + std::to_string(phase), level, fast,
                                literal);
            });
        }
    }
}

#if defined(ONDORIA_TEST_LIBMVEC)
void cosineSse2(const double *theta, double *out, std::size_t n) {
    for (std::size_t i = 0; i + 2 <= n; i += 2) {
        _mm_storeu_pd(out + i, _ZGVbN2v_cos(_mm_loadu_pd(theta + i)));
    }
}
__attribute__((target("avx2"))) void cosineAvx2(const double *theta, double *out, std::size_t n) {
    for (std::size_t i = 0; i + 4 <= n; i += 4) {
        _mm256_storeu_pd(out + i, _ZGVdN4v_cos(_mm256_loadu_pd(theta + i)));
    }
}
__attribute__((target("avx512f"))) void cosineAvx512(const double *theta, double *out,
                                                     std::size_t n) {
    for (std::size_t i = 0; i + 8 <= n; i += 8) {
        _mm512_storeu_pd(out + i, _ZGVeN8v_cos(_mm512_loadu_pd(theta + i)));
    }
}

// Units in the last place between two doubles of the same sign.
std::int64_t ulpsApart(double a, double b) {
    std::int64_t x, y;
    std::memcpy(&x, &a, sizeof x);
    std::memcpy(&y, &b, sizeof y);
    return x > y ? x - y : y - x;
}

TEST(FastComputeTest, VectorCosineStaysWellWithinTheRoundingMargin) {
    // The kernels accept a vector cosine unless it lies within roundingMargin units of a float
    // rounding boundary; that is sound while the vector and scalar cosines are a few units
    // apart. Checked on the angles of the program's frames, on angles at and beside multiples
    // of pi / 2 (cosines near 0), and on random angles up to the trusted limit.
    std::vector<double> theta;
    for (std::int64_t d2 = 0; d2 <= 2 * 1000 * 1000; d2 += 3) {
        const float r = std::sqrt(float(d2));
        for (const double phaseTerm : {1.0, 1000.0}) {
            theta.push_back((double(r) * 2 * 3.141592653589793) / 50.0 - phaseTerm);
        }
    }
    for (int k = 1; k < 200000; k += 7) {
        double t = double(k) * (3.141592653589793 / 2);
        for (int step = 0; step < 4; ++step) {
            theta.push_back(t);
            t = std::nextafter(t, 1e300);
        }
    }
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> anywhere(-sine_fast::vectorCosLimit,
                                                    sine_fast::vectorCosLimit);
    for (int i = 0; i < 500000; ++i) {
        theta.push_back(anywhere(random));
    }
    theta.resize(theta.size() / 8 * 8);

    std::vector<double> scalar(theta.size());
    for (std::size_t i = 0; i < theta.size(); ++i) {
        scalar[i] = std::cos(theta[i]);
    }
    const struct {
        const char *name;
        simd::Level level;
        void (*cosine)(const double *, double *, std::size_t);
    } variants[] = {{"sse2", simd::Level::sse2, cosineSse2},
                    {"avx2", simd::Level::avx2, cosineAvx2},
                    {"avx512", simd::Level::avx512, cosineAvx512}};
    for (const auto &variant : variants) {
        if (variant.level > simd::supportedLevel()) {
            continue;
        }
        std::vector<double> vector(theta.size());
        variant.cosine(theta.data(), vector.data(), theta.size());
        std::int64_t worst = 0;
        std::size_t worstAt = 0;
        for (std::size_t i = 0; i < theta.size(); ++i) {
            const std::int64_t apart = std::signbit(vector[i]) == std::signbit(scalar[i])
                                           ? ulpsApart(vector[i], scalar[i])
                                           : std::numeric_limits<std::int64_t>::max();
            if (apart > worst) {
                worst = apart;
                worstAt = i;
            }
        }
        // libmvec is documented to 4 ulp (3 to 4 seen here); twice that still leaves the
        // margin of 1024 a factor of 128.
        EXPECT_LE(worst, 8) << variant.name << ": cos(" << theta[worstAt] << ") is "
                            << vector[worstAt] << ", std::cos gives " << scalar[worstAt];
    }
}
#endif

// Sample values a grey-level rule can get wrong: every bit pattern class, and the values at and
// beside every rounding boundary of s * 127 in and somewhat beyond [-1, 1], and around the powers
// of two where floats stop having fractions or stop fitting 32-bit integers.
std::vector<float> awkwardSamples() {
    std::vector<float> samples;
    const auto withNeighbours = [&](float s, int steps) {
        float below = s, above = s;
        samples.push_back(s);
        for (int i = 0; i < steps; ++i) {
            below = std::nextafter(below, -std::numeric_limits<float>::infinity());
            above = std::nextafter(above, std::numeric_limits<float>::infinity());
            samples.push_back(below);
            samples.push_back(above);
        }
    };
    const float inf = std::numeric_limits<float>::infinity();
    for (const std::uint32_t bits :
         {0x7fc00000u, 0xffc00000u, 0x7f800001u, 0xff800001u, 0x7fffffffu, 0xffffffffu}) {
        float nan;
        std::memcpy(&nan, &bits, sizeof nan);
        samples.push_back(nan);
    }
    for (const float s : {inf, -inf, 0.0f, -0.0f, std::numeric_limits<float>::denorm_min(),
                          -std::numeric_limits<float>::denorm_min(),
                          std::numeric_limits<float>::min(), -std::numeric_limits<float>::min(),
                          std::numeric_limits<float>::max(), -std::numeric_limits<float>::max()}) {
        withNeighbours(s, 2);
    }
    for (int k = -300; k <= 300; ++k) {
        withNeighbours(float(k) / 127.0f, 3);
        withNeighbours(float((k + 0.5) / 127.0), 3);
    }
    for (int e = 20; e <= 40; ++e) {
        const float t = std::ldexp(1.0f, e);
        for (const float s : {t / 127.0f, -t / 127.0f, (t + 128) / 127.0f, -(t + 128) / 127.0f}) {
            withNeighbours(s, 3);
        }
    }
    std::mt19937 random(12345);
    for (int i = 0; i < 20000; ++i) {
        const std::uint32_t bits = random();
        float s;
        std::memcpy(&s, &bits, sizeof s);
        samples.push_back(s);
    }
    return samples;
}

TEST(FastConvertTest, EverySampleClassGivesTheLiteralBytes) {
    const std::vector<float> samples = awkwardSamples();
    const struct {
        std::uint32_t width, height;
    } sizes[] = {{1, 1},   {3, 7},   {17, 1},    {1, 17},  {1023, 9},
                 {33, 47}, {16, 16}, {250, 160}, {3, 700}, {5, 1333}};
    for (const auto &size : sizes) {
        // Every sample lands in every size at least once, at shifting positions.
        const std::size_t count = std::size_t(size.width) * size.height;
        for (std::size_t offset = 0; offset < samples.size(); offset += count) {
            layer field(size.width, size.height);
            std::vector<float> columnMajor(count);
            for (std::size_t i = 0; i < count; ++i) {
                columnMajor[i] = samples[(offset + i) % samples.size()];
                field.getGrid()[i / size.height][i % size.height] = columnMajor[i];
            }
            render literalRenderer(&field);
            markPixels(literalRenderer);
            const std::uint8_t *literalBytes = literalRenderer.convertLiteral();
            const std::vector<std::uint8_t> literal(literalBytes, literalBytes + count * 4);
            const std::vector<std::uint8_t> reference =
                oracle::pixels(columnMajor, size.width, size.height);
            forEachLevel([&](simd::Level level) {
                render renderer(&field);
                markPixels(renderer);
                const std::uint8_t *fast = renderer.convert();
                ASSERT_EQ(fast, renderer.getPixels());
                for (std::size_t i = 0; i < count * 4; ++i) {
                    const std::size_t pixel = i / 4;
                    const std::uint32_t x = std::uint32_t(pixel % size.width);
                    const std::uint32_t y = std::uint32_t(pixel / size.width);
                    const float s = field.getGrid()[x][y];
                    ASSERT_EQ(int(fast[i]), int(literal[i]))
                        << size.width << "x" << size.height << " [" << simd::levelName(level)
                        << "]: byte " << i << " of pixel (" << x << ", " << y << "), sample " << s
                        << " (bits " << std::hex << oracle::bitsOf(s) << ")";
                    ASSERT_EQ(int(literal[i]), int(reference[i]))
                        << "literal and reference differ for sample " << s;
                }
            });
        }
    }
}

TEST(FastConvertTest, DefaultFrameGivesTheLiteralBytes) {
    sine field(1000, 1000);
    field.computeLiteral(10, 10, 50, 0, 0.02f);
    render literalRenderer(&field);
    markPixels(literalRenderer);
    const std::uint8_t *literal = literalRenderer.convertLiteral();
    const std::size_t bytes = 1000 * 1000 * 4;
    forEachLevel([&](simd::Level level) {
        render renderer(&field);
        markPixels(renderer);
        const std::uint8_t *fast = renderer.convert();
        std::size_t mismatches = 0, first = bytes;
        for (std::size_t i = 0; i < bytes; ++i) {
            if (fast[i] != literal[i] && mismatches++ == 0) {
                first = i;
            }
        }
        EXPECT_EQ(mismatches, 0u) << "[" << simd::levelName(level) << "] bytes differ; the first "
                                  << "is byte " << first << ": " << int(fast[first % bytes])
                                  << ", literal " << int(literal[first % bytes]);
    });
}

TEST(SimdLevelTest, LimitsLowerTheActiveLevelAndLiftAgain) {
    const std::vector<simd::Level> levels = simd::runnableLevels();
    // Highest first, so that the lift at the end starts from the lowest cap.
    for (auto level = levels.rbegin(); level != levels.rend(); ++level) {
        simd::limitSimdLevel(*level);
        EXPECT_EQ(simd::activeLevel(), *level) << simd::levelName(*level);
    }
    simd::limitSimdLevel(simd::Level::avx512);
    if (std::getenv("ONDORIA_SIMD") == nullptr) {
        // Nothing else lowers it, so every level the processor has is back.
        EXPECT_EQ(simd::activeLevel(), simd::supportedLevel())
            << simd::levelName(simd::activeLevel());
    } else {
        EXPECT_EQ(simd::activeLevel(), levels.back()) << simd::levelName(simd::activeLevel());
    }
}

}  // namespace
