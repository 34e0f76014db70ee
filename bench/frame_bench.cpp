// Cost of one default frame: the 1000 x 1000 field around (10, 10) at wavelength 50, its
// conversion to grey pixels and the whole frame update with the image hand-off, for the literal
// code and for the fast kernels at every instruction-set level this processor runs; and the
// field at phase 262144, where every angle lies beyond the vector cosine's range. After the
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
#include "simd/level.h"
#include "wave/sine.h"

#if defined(ONDORIA_BENCH_FRAME_UPDATE)
#include <QImage>
#include <QString>

#include "app/Main.h"
#endif

namespace {

constexpr std::uint32_t size = 1000;
constexpr std::uint32_t source = 10;
constexpr float wavelength = 50;
constexpr float phase0 = 0.02f;

constexpr float farPhase = 262144;

// Runs the kernels of one level (the literal code at Level::literal) for the length of a
// benchmark.
class LevelCap {
public:
    explicit LevelCap(simd::Level level) { simd::limitSimdLevel(level); }
    ~LevelCap() { simd::limitSimdLevel(simd::Level::avx512); }
};

void compute(benchmark::State &state, simd::Level level, float phase) {
    const LevelCap cap(level);
    sine field(size, size);
    for (auto _ : state) {
        field.compute(source, source, wavelength, 0, phase);
        benchmark::DoNotOptimize(field.getGrid()[0][0]);
    }
}

void convert(benchmark::State &state, simd::Level level) {
    const LevelCap cap(level);
    sine field(size, size);
    field.computeLiteral(source, source, wavelength, 0, phase0);
    render renderer(&field);
    for (auto _ : state) {
        benchmark::DoNotOptimize(renderer.convert());
    }
}

#if defined(ONDORIA_BENCH_FRAME_UPDATE)
// The program's own frame update, with the kernels of the level.
void frameUpdateAt(benchmark::State &state, simd::Level level) {
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

std::string named(const char *kernel, const char *level) {
    return std::string(kernel) + "/" + level;
}

}  // namespace

int main(int argc, char **argv) {
    const std::vector<simd::Level> levels = simd::runnableLevels();
    std::vector<simd::Level> all{simd::Level::literal};
    all.insert(all.end(), levels.begin(), levels.end());
    const auto add = [](const char *kernel, simd::Level level, auto function, auto... arguments) {
        benchmark::RegisterBenchmark(named(kernel, simd::levelName(level)).c_str(), function, level,
                                     arguments...)
            ->Unit(benchmark::kMillisecond);
    };
    for (simd::Level level : all) {
        add("Compute", level, compute, phase0);
    }
    for (simd::Level level : all) {
        add("Convert", level, convert);
    }
#if defined(ONDORIA_BENCH_FRAME_UPDATE)
    for (simd::Level level : all) {
        add("FrameUpdate", level, frameUpdateAt);
    }
#endif
    for (simd::Level level : all) {
        add("ComputeAtPhase262144", level, compute, farPhase);
    }

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const char *const literal = simd::levelName(simd::Level::literal);
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
