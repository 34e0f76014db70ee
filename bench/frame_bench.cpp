// Cost of one default frame's numeric work: the 1000 x 1000 field around (10, 10) at wavelength
// 50, and its conversion to grey pixels.
#include <benchmark/benchmark.h>

#include "render/render.h"
#include "wave/sine.h"

namespace {

constexpr std::uint32_t size = 1000;
constexpr std::uint32_t source = 10;
constexpr float wavelength = 50;
constexpr float phase = 0.02f;

void BM_ComputeLiteral(benchmark::State &state) {
    sine field(size, size);
    for (auto _ : state) {
        field.computeLiteral(source, source, wavelength, 0, phase);
        benchmark::DoNotOptimize(field.getGrid()[0][0]);
    }
}
BENCHMARK(BM_ComputeLiteral)->Unit(benchmark::kMillisecond);

void BM_ConvertLiteral(benchmark::State &state) {
    sine field(size, size);
    field.computeLiteral(source, source, wavelength, 0, phase);
    render renderer(&field);
    for (auto _ : state) {
        benchmark::DoNotOptimize(renderer.convertLiteral());
    }
}
BENCHMARK(BM_ConvertLiteral)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
