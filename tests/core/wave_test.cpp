#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "oracle.h"
#include "wave/sine.h"

namespace {

// Fills every sample with a signalling NaN, which no arithmetic produces, so that a sample
// compute leaves alone cannot pass for a value the fresh memory happened to hold.
void fillWithMarker(sine &field) {
    const auto [width, height] = field.getSize();
    const float marker = std::numeric_limits<float>::signaling_NaN();
    for (std::uint32_t x = 0; x < width; ++x) {
        std::fill_n(field.getGrid()[x], height, marker);
    }
}

struct FieldCase {
    const char *name;
    std::uint32_t width, height, sourceX, sourceY;
    float lambda, reach, phase;
};

// Every sample of the field, bit for bit (so -0.0 and 0.0 differ), against the reference.
void expectFieldMatchesOracle(sine &field, const FieldCase &c) {
    const std::vector<float> expected =
        oracle::field(c.width, c.height, c.sourceX, c.sourceY, c.lambda, c.reach, c.phase);
    float **grid = field.getGrid();
    int mismatches = 0;
    for (std::uint32_t x = 0; x < c.width; ++x) {
        for (std::uint32_t y = 0; y < c.height; ++y) {
            const float want = expected[std::size_t(x) * c.height + y];
            if (oracle::bitsOf(grid[x][y]) != oracle::bitsOf(want) && ++mismatches <= 5) {
                ADD_FAILURE() << c.name << ": sample (" << x << ", " << y << ") is " << grid[x][y]
                              << ", expected " << want;
            }
        }
    }
    EXPECT_EQ(mismatches, 0) << c.name;
}

TEST(SineTest, WholeFieldsMatchTheReference) {
    const FieldCase cases[] = {
        {"1x1 at its source", 1, 1, 0, 0, 50, 0, 0.02f},
        {"3x7, source inside", 3, 7, 1, 5, 7.25f, 0, 0.5f},
        {"17x1, source right of the grid", 17, 1, 40, 0, 3, 0, 1},
        {"1023x9, fall-off 16", 1023, 9, 10, 4, 50, 16, 0.3f},
        {"64x64, fall-off 300", 64, 64, 10, 10, 20, 300, 2},
        {"40x30, source far below and right", 40, 30, 4000000000u, 3000000000u, 333, 0, 0.1f},
        // Not floats, nor are most offsets from them: a distance taken in float shows here.
        {"40x30, far source off the floats", 40, 30, 50000017u, 30000011u, 333, 0, 0.1f},
        {"50x50, negative wavelength", 50, 50, 10, 10, -50, 0, 0.02f},
        {"50x50, wavelength 1e-3", 50, 50, 10, 10, 1e-3f, 0, 0.02f},
        {"50x50, wavelength 1e6", 50, 50, 10, 10, 1e6f, 0, 0.02f},
        {"50x50, large phase", 50, 50, 10, 10, 50, 0, 1e7f},
    };
    for (const FieldCase &c : cases) {
        sine field(c.width, c.height);
        fillWithMarker(field);
        field.compute(c.sourceX, c.sourceY, c.lambda, c.reach, c.phase);
        expectFieldMatchesOracle(field, c);
    }
}

// The program's own frames; one field is reused, so each frame also shows that compute depends
// on nothing but its arguments.
TEST(SineTest, DefaultFramesMatchTheReference) {
    const FieldCase cases[] = {
        {"wavelength 50, first tick", 1000, 1000, 10, 10, 50, 0, 0.02f},
        {"wavelength 0.5, phase 0.42", 1000, 1000, 10, 10, 0.5f, 0, 0.42f},
        {"wavelength 7.25, phase 3", 1000, 1000, 10, 10, 7.25f, 0, 3},
        {"wavelength 50, first tick again", 1000, 1000, 10, 10, 50, 0, 0.02f},
    };
    sine field(1000, 1000);
    fillWithMarker(field);
    float **const grid = field.getGrid();
    for (const FieldCase &c : cases) {
        field.compute(c.sourceX, c.sourceY, c.lambda, c.reach, c.phase);
        expectFieldMatchesOracle(field, c);
        EXPECT_EQ(field.getGrid(), grid) << "the renderer borrows the grid: it must stay put";
    }
}

TEST(SineTest, TheSourcePixelHasTheBarePhaseTerm) {
    const float lambda = 50, phase = 0.02f;
    const float expected = float(std::cos(-double(phase) * double(lambda)));
    for (const float reach : {0.0f, 16.0f}) {
        sine field(21, 21);
        field.compute(10, 10, lambda, reach, phase);
        EXPECT_EQ(oracle::bitsOf(field.getGrid()[10][10]), oracle::bitsOf(expected))
            << "reach " << reach;
    }
}

TEST(SineTest, FallOffHalvesAtAQuarterOfTheReachAndEndsAtTheReach) {
    // Wavelength 4 and phase 0 put a crest (cos = 1) at distance 4, so the sample there is
    // exactly its amplitude: 1 - sqrt(4 / 16) = 0.5.
    sine field(40, 40);
    field.compute(10, 10, 4, 16, 0);
    float **grid = field.getGrid();
    EXPECT_EQ(grid[14][10], 0.5f);
    for (std::uint32_t x = 0; x < 40; ++x) {
        for (std::uint32_t y = 0; y < 40; ++y) {
            if (std::hypot(double(x) - 10, double(y) - 10) >= 16) {
                ASSERT_EQ(grid[x][y], 0.0f) << "(" << x << ", " << y << ")";
            }
        }
    }
}

TEST(SineTest, ASourceBeyondTheGridLeavesEveryPixelOutOfReach) {
    sine field(3, 3);
    field.compute(100, 1, 7, 50, 0.3f);  // every pixel is at least 98 from the source
    for (std::uint32_t x = 0; x < 3; ++x) {
        for (std::uint32_t y = 0; y < 3; ++y) {
            EXPECT_EQ(field.getGrid()[x][y], 0.0f) << "(" << x << ", " << y << ")";
        }
    }
}

TEST(SineTest, EmptyGridsAreAccepted) {
    const std::pair<std::uint32_t, std::uint32_t> sizes[] = {{0, 0}, {0, 5}, {5, 0}};
    for (const auto &[width, height] : sizes) {
        // A sample written or read where there is none shows in the sanitizer build.
        sine field(width, height);
        field.compute(10, 10, 50, 0, 0.02f);
        EXPECT_EQ(field.getSize(), std::make_pair(width, height));
    }
}

}  // namespace
