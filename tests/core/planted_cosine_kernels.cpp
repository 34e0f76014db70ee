// The column kernel of one vector level with a planted vector cosine: built once per level with
// that level's flags, like the kernel itself (ondoria_add_per_level in CMakeLists.txt).
#include <cstdint>
#include <numbers>

#include "planted_cosine.h"
#include "simd/target.h"
#include "wave/sine_fast.h"

namespace ONDORIA_SIMD_TARGET {

#include "wave/sine_kernel.h"

namespace {

// The level's traits with the planted cosine in place of the vector cosine.
template <PlantedCosine planted>
struct Planted : Traits {
    static Doubles cos(Doubles theta) {
        alignas(64) double lane[lanes / 2];
        store(lane, theta);
        for (double &t : lane) {
            t = plantedCosine(planted, t);
        }
        return load(lane);
    }
};

}  // namespace

sine_fast::ColumnKernel plantedColumn(PlantedCosine cosine) {
    switch (cosine) {
        case PlantedCosine::documentedError:
            return columnKernel<Planted<PlantedCosine::documentedError>>;
        case PlantedCosine::largeError:
            return columnKernel<Planted<PlantedCosine::largeError>>;
        case PlantedCosine::wrongBeyondLimit:
            return columnKernel<Planted<PlantedCosine::wrongBeyondLimit>>;
    }
    return nullptr;
}

}  // namespace ONDORIA_SIMD_TARGET
