// Cost of one default frame: the 1000 x 1000 field around (10, 10) at wavelength 50, its
// conversion to grey pixels and the whole frame update with the image hand-off, for the literal
// code and for the fast kernels at every instruction-set level this processor runs. After the
// table it prints how many times faster each level is than the literal code.
//
//   frame_bench --benchmark_repetitions=9 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "render/render.h"
#include "wave/simd_level.h"
#include "wave/sine.h"

#if defined(ONDORIA_BENCH_FRAME_UPDATE)
#include <QImage>
#include <QString>

#include "app/Main.h"
#include "platform/Bitmap.h"
#include "platform/SysUtils.h"
#endif

namespace {

constexpr std::uint32_t size = 1000;
constexpr std::uint32_t source = 10;
constexpr float wavelength = 50;
constexpr float phase0 = 0.02f;

const char *const literal = "literal";

// Caps the fast kernels at one level for the length of a benchmark.
class LevelCap {
public:
    explicit LevelCap(simd::Level level) { simd::limitSimdLevel(level); }
    ~LevelCap() { simd::limitSimdLevel(simd::Level::avx512); }
};

void computeLiteral(benchmark::State &state) {
    sine field(size, size);
    for (auto _ : state) {
        field.computeLiteral(source, source, wavelength, 0, phase0);
        benchmark::DoNotOptimize(field.getGrid()[0][0]);
    }
}

void computeFast(benchmark::State &state, simd::Level level) {
    const LevelCap cap(level);
    sine field(size, size);
    for (auto _ : state) {
        field.compute(source, source, wavelength, 0, phase0);
        benchmark::DoNotOptimize(field.getGrid()[0][0]);
    }
}

void convertLiteral(benchmark::State &state) {
    sine field(size, size);
    field.computeLiteral(source, source, wavelength, 0, phase0);
    render renderer(&field);
    for (auto _ : state) {
        benchmark::DoNotOptimize(renderer.convertLiteral());
    }
}

void convertFast(benchmark::State &state, simd::Level level) {
    const LevelCap cap(level);
    sine field(size, size);
    field.computeLiteral(source, source, wavelength, 0, phase0);
    render renderer(&field);
    for (auto _ : state) {
        benchmark::DoNotOptimize(renderer.convert());
    }
}

#if defined(ONDORIA_BENCH_FRAME_UPDATE)
// The frame update's own steps, with the literal compute and convert in place of the fast ones.
void frameUpdateLiteral(benchmark::State &state) {
    const QString text = QStringLiteral("50");
    for (auto _ : state) {
        phase = float(double(phase) + 0.02);
        benchmark::DoNotOptimize(FloatToStr(phase));
        const float lambda = wavelengthFrom(text);
        waveField.computeLiteral(sourceX, sourceY, lambda, 0, phase);
        const std::uint8_t *pixels = renderer->convertLiteral();
        const auto [width, height] = renderer->getSize();
        const QImage image = CreateBitmap(width, height, 1, 32, pixels);
        benchmark::DoNotOptimize(image.constBits());
    }
}

void frameUpdateFast(benchmark::State &state, simd::Level level) {
    const LevelCap cap(level);
    const QString text = QStringLiteral("50");
    for (auto _ : state) {
        const QImage image =
            frameUpdate(text, [](const QString &shown) { benchmark::DoNotOptimize(shown.size()); });
        benchmark::DoNotOptimize(image.constBits());
    }
}
#endif

// Keeps the console table and remembers each benchmark's CPU time (the median when repeated).
// CPU time, because the machines this runs on are often shared: time spent waiting for the
// processor is not the code's.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(isatty(fileno(stdout)) ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run> &runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const std::string name = run.run_name.str();
            // A median replaces the single runs of the same name.
            if (median || (run.run_type == Run::RT_Iteration && !medianSeen[name])) {
                times[name] = run.GetAdjustedCPUTime();  // milliseconds per iteration
            }
            medianSeen[name] = medianSeen[name] || median;
        }
    }

    double time(const std::string &name) const {
        const auto found = times.find(name);
        return found == times.end() ? 0 : found->second;
    }

private:
    std::map<std::string, double> times;
    std::map<std::string, bool> medianSeen;
};

std::vector<simd::Level> runnableLevels() {
    std::vector<simd::Level> levels;
    for (simd::Level level :
         {simd::Level::scalar, simd::Level::sse2, simd::Level::avx2, simd::Level::avx512}) {
        if (level <= simd::activeLevel()) {
            levels.push_back(level);
        }
    }
    return levels;
}

std::string named(const char *kernel, const char *level) {
    return std::string(kernel) + "/" + level;
}

}  // namespace

int main(int argc, char **argv) {
    const std::vector<simd::Level> levels = runnableLevels();
    benchmark::RegisterBenchmark(named("Compute", literal).c_str(), computeLiteral)
        ->Unit(benchmark::kMillisecond);
    for (simd::Level level : levels) {
        benchmark::RegisterBenchmark(named("Compute", simd::levelName(level)).c_str(), computeFast,
                                     level)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark(named("Convert", literal).c_str(), convertLiteral)
        ->Unit(benchmark::kMillisecond);
    for (simd::Level level : levels) {
        benchmark::RegisterBenchmark(named("Convert", simd::levelName(level)).c_str(), convertFast,
                                     level)
            ->Unit(benchmark::kMillisecond);
    }
#if defined(ONDORIA_BENCH_FRAME_UPDATE)
    benchmark::RegisterBenchmark(named("FrameUpdate", literal).c_str(), frameUpdateLiteral)
        ->Unit(benchmark::kMillisecond);
    for (simd::Level level : levels) {
        benchmark::RegisterBenchmark(named("FrameUpdate", simd::levelName(level)).c_str(),
                                     frameUpdateFast, level)
            ->Unit(benchmark::kMillisecond);
    }
#endif

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const double literalWork =
        reporter.time(named("Compute", literal)) + reporter.time(named("Convert", literal));
    const double literalFrame = reporter.time(named("FrameUpdate", literal));
    for (simd::Level level : levels) {
        const char *name = simd::levelName(level);
        const double work =
            reporter.time(named("Compute", name)) + reporter.time(named("Convert", name));
        const double frame = reporter.time(named("FrameUpdate", name));
        if (literalWork > 0 && work > 0) {
            std::printf(
                "ratio (CPU time) %-7s compute+convert: literal %.3f ms / fast %.3f ms = %.1fx",
                name, literalWork, work, literalWork / work);
            if (literalFrame > 0 && frame > 0) {
                std::printf("; frame update: literal %.3f ms / fast %.3f ms = %.1fx", literalFrame,
                            frame, literalFrame / frame);
            }
            std::printf("\n");
        }
    }
    return 0;
}
