// What a layer's constructor gives back when one of its allocations fails. This program replaces
// the global array new and delete, to make the chosen allocation fail and to count the arrays
// still alive; it has its own executable so no other test runs under the replacement.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <new>

#include "wave/layer.h"
#include "wave/sine.h"

namespace {

// Array allocations that succeed before one fails; negative: none fails.
long allocationsBeforeFailure = -1;
long arraysAlive = 0;

}  // namespace

// malloc and free underneath, so the sanitizer build still sees every block.
void *operator new[](std::size_t size) {
    if (allocationsBeforeFailure == 0) {
        allocationsBeforeFailure = -1;
        throw std::bad_alloc();
    }
    if (allocationsBeforeFailure > 0) {
        --allocationsBeforeFailure;
    }
    void *block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    ++arraysAlive;
    return block;
}

void operator delete[](void *block) noexcept {
    if (block != nullptr) {
        --arraysAlive;
        std::free(block);
    }
}

void operator delete[](void *block, std::size_t) noexcept { operator delete[](block); }

namespace {

constexpr std::uint32_t width = 4, height = 3;

const struct {
    const char *name;
    std::function<void()> construct;
} constructors[] = {
    {"layer", [] { layer field(width, height); }},
    {"sine", [] { sine field(width, height); }},
};

TEST(LayerAllocationTest, AWholeGridIsOneTableAndOneArrayPerColumn) {
    // The count the failure cases below rely on.
    const long before = arraysAlive;
    {
        layer field(width, height);
        EXPECT_EQ(arraysAlive - before, long(width) + 1);
    }
    EXPECT_EQ(arraysAlive, before) << "the destructor left arrays behind";
}

TEST(LayerAllocationTest, AFailedAllocationLeavesNothingBehind) {
    // Allocation 0 is the column table, allocation k the column k - 1.
    for (const auto &constructor : constructors) {
        for (long failing = 0; failing <= long(width); ++failing) {
            const long before = arraysAlive;
            allocationsBeforeFailure = failing;
            bool thrown = false;
            try {
                constructor.construct();
            } catch (const std::bad_alloc &) {
                thrown = true;
            }
            allocationsBeforeFailure = -1;
            EXPECT_TRUE(thrown) << constructor.name << ", allocation " << failing
                                << " failing: the failure did not reach the caller";
            EXPECT_EQ(arraysAlive - before, 0)
                << constructor.name << ", allocation " << failing
                << " failing: arrays left alive (of " << failing << " made)";
        }
    }
}

}  // namespace
