// The vector kernels' rounding check and theta limit, tested by planting vector cosines that err
// (planted_cosine.h) into each vector level's column kernel: the fields must still equal the
// literal code's bit for bit, at every vector level this processor runs.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "oracle.h"
#include "planted_cosine.h"
#include "simd/level.h"
#include "wave/sine.h"
#include "wave/sine_fast.h"

namespace {

constexpr std::int64_t midpointBits = std::int64_t(1) << 28;  // one half of a float's last place
constexpr std::int64_t droppedBits = (std::int64_t(1) << 29) - 1;  // the bits a float drops

std::int64_t bitsOf(double d) {
    std::int64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    return bits;
}

// Units in the last place of a double between d and the float rounding boundary nearest it.
std::int64_t unitsFromBoundary(double d) { return std::llabs((bitsOf(d) & droppedBits) - midpointBits); }

}  // namespace

double plantedCosine(PlantedCosine cosine, double theta) {
    const double exact = std::cos(theta);
    std::int64_t units = 0;
    switch (cosine) {
        case PlantedCosine::documentedError:
            units = 4;
            break;
        case PlantedCosine::largeError:
            units = 512;
            break;
        case PlantedCosine::wrongBeyondLimit:
            return std::fabs(theta) <= sine_fast::vectorCosLimit ? exact : 0.75;
    }
    std::int64_t bits = bitsOf(exact);
    bits += (bits & droppedBits) < midpointBits ? units : -units;
    double moved;
    std::memcpy(&moved, &bits, sizeof moved);
    return moved;
}

#if defined(ONDORIA_PLANTED_COSINES)
namespace {

sine_fast::ColumnKernel plantedColumn(simd::Level level, PlantedCosine cosine) {
    switch (level) {
        case simd::Level::sse2:
            return simd_sse2::plantedColumn(cosine);
        case simd::Level::avx2:
            return simd_avx2::plantedColumn(cosine);
        case simd::Level::avx512:
            return simd_avx512::plantedColumn(cosine);
        default:
            return nullptr;
    }
}

struct WaveCase {
    std::string name;
    std::uint32_t width, height;
    Wave wave;
};

// Every sample of a field computed with the planted cosine in each vector level's column kernel
// (into a fresh grid filled with a marker first) against the literal field, bit for bit.
void expectLiteralFields(PlantedCosine cosine, const std::vector<WaveCase> &cases) {
    float marker;
    const std::uint32_t markerBits = 0x7fe5a5a5u;  // a quiet NaN with a payload
    std::memcpy(&marker, &markerBits, sizeof marker);
    for (simd::Level level : simd::runnableLevels()) {
        if (level < simd::Level::sse2) {
            continue;
        }
        const sine_fast::Kernels kernels{plantedColumn(level, cosine),
                                         sine_fast::kernelsFor(level).mirror};
        for (const WaveCase &c : cases) {
            const Wave &w = c.wave;
            sine literal(c.width, c.height);
            literal.computeLiteral(w.sourceX, w.sourceY, w.lambda, w.reach, w.phase);
            sine fast(c.width, c.height);
            for (std::uint32_t x = 0; x < c.width; ++x) {
                std::fill_n(fast.getGrid()[x], c.height, marker);
            }
            sine_fast::computeField(kernels, fast.getGrid(), c.width, c.height, w);
            int mismatches = 0;
            for (std::uint32_t x = 0; x < c.width; ++x) {
                for (std::uint32_t y = 0; y < c.height; ++y) {
                    const float got = fast.getGrid()[x][y], want = literal.getGrid()[x][y];
                    if (oracle::bitsOf(got) != oracle::bitsOf(want) && ++mismatches <= 3) {
                        ADD_FAILURE() << c.name << " [" << simd::levelName(level)
                                      << "]: sample (" << x << ", " << y << ") is " << got
                                      << " (bits " << std::hex << oracle::bitsOf(got)
                                      << "), literal " << want << " (bits "
                                      << oracle::bitsOf(want) << std::dec << ")";
                    }
                }
            }
            EXPECT_EQ(mismatches, 0) << c.name << " [" << simd::levelName(level) << "]";
        }
    }
}

// Columns whose sample at the source lies closer than `units` to a float rounding boundary, each
// a case the planted cosine moves across it. theta there is -phase * lambda, exact in double;
// its cosine, about 1 - theta^2 / 2, lies near the boundary 1 - (2j + 1) * 2^-25 for a theta
// near sqrt((2j + 1) * 2^-24), and the wavelengths near 1 give many thetas near each of those.
std::vector<WaveCase> columnsNearRoundingBoundaries(PlantedCosine cosine, std::int64_t units) {
    std::vector<WaveCase> cases;
    for (int j = 0; j < 256 && cases.size() < 32; ++j) {
        const double target = std::sqrt((2 * j + 1) * 0x1p-24);
        for (int k = 0; k < 256 && cases.size() < 32; ++k) {
            const float lambda = 1 + float(k) * 0x1p-10f;
            const float phase = float(target / double(lambda));
            const double exact = std::cos(-double(phase) * double(lambda));
            if (unitsFromBoundary(exact) >= units) {
                continue;
            }
            // The planted cosine must round otherwise, or the case shows nothing.
            EXPECT_NE(oracle::bitsOf(float(plantedCosine(cosine, -double(phase) * double(lambda)))),
                      oracle::bitsOf(float(exact)))
                << "wavelength " << lambda << ", phase " << phase;
            cases.push_back({"1x37, wavelength " + std::to_string(lambda) + ", phase " +
                                 std::to_string(phase),
                             1, 37, {0, 0, lambda, 0, phase}});
        }
    }
    return cases;
}

TEST(PlantedCosineTest, AnErrorOfTheDocumentedBoundTowardARoundingBoundaryChangesNoSample) {
    const std::vector<WaveCase> cases =
        columnsNearRoundingBoundaries(PlantedCosine::documentedError, 4);
    ASSERT_GE(cases.size(), 16u);
    expectLiteralFields(PlantedCosine::documentedError, cases);
}

TEST(PlantedCosineTest, AnErrorWithinTheRoundingMarginChangesNoSample) {
    static_assert(512 < sine_fast::roundingMargin);
    const std::vector<WaveCase> cases = columnsNearRoundingBoundaries(PlantedCosine::largeError, 512);
    ASSERT_GE(cases.size(), 16u);
    expectLiteralFields(PlantedCosine::largeError, cases);
}

TEST(PlantedCosineTest, AWrongCosineBeyondTheThetaLimitChangesNoSample) {
    const float inf = std::numeric_limits<float>::infinity();
    // theta = r * 2 * pi / 50 - phase * 50: from about -(2^20 + 18) to -(2^20 - 16) at phase
    // 20971.88, so vectors hold angles on both sides of the limit; all beyond it at 262144.
    expectLiteralFields(PlantedCosine::wrongBeyondLimit,
                        {{"200x200, theta across the limit", 200, 200, {10, 10, 50, 0, 20971.88f}},
                         {"61x203, theta across the limit, reach 300", 61, 203,
                          {10, 20, 50, 300, 20971.88f}},
                         {"100x100, theta beyond the limit", 100, 100, {10, 10, 50, 0, 262144}},
                         {"37x53, wavelength 0", 37, 53, {5, 9, 0, 0, 0.02f}},
                         {"37x53, phase infinite", 37, 53, {5, 9, 50, 0, inf}}});
}

}  // namespace
#endif
