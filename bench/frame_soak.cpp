// Soak run of the frame update: makes frames one after the other as the animation does (10,000
// unless a count is given), and reports the time per frame and the peak memory of the process
// as it goes, to show that the memory stays flat however many frames are made.
//
//   frame_soak [frames]        ONDORIA_SIMD=avx2 frame_soak   (caps the vector kernels)
#include <malloc.h>
#include <sys/resource.h>

#include <QImage>
#include <QString>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/Main.h"
#include "simd/level.h"

namespace {

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;  // kilobytes on Linux
}

// A "Name: value kB" line of /proc/self/status, or -1.
long statusKilobytes(const char *name) {
    std::FILE *status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) {
        return -1;
    }
    char line[256];
    long value = -1;
    const std::size_t length = std::strlen(name);
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::strncmp(line, name, length) == 0) {
            value = std::strtol(line + length, nullptr, 10);
            break;
        }
    }
    std::fclose(status);
    return value;
}

}  // namespace

int main(int argc, char **argv) {
    const long frames = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 10000;
    if (frames < 1) {
        std::fprintf(stderr, "usage: frame_soak [frames]\n");
        return 2;
    }
    std::printf("frame_soak: %ld frames of %ux%u, wavelength 50, kernels %s\n", frames, canvasWidth,
                canvasHeight, simd::levelName(simd::activeLevel()));

    const QString wavelength = QStringLiteral("50");
    // Filled in before the first frame, so that its pages are already counted in the peak
    // memory rather than added as the frames are timed.
    std::vector<double> milliseconds(std::size_t(frames), 0.0);
    // Checkpoints at which the peak memory is printed: after the first frame, at powers of ten
    // and at the end. The first frames still grow the heap (the image, the phase text), so the
    // growth is taken from the 100th frame on.
    constexpr long settled = 100;
    long nextReport = 1;
    long peakSettled = 0;
    for (long frame = 1; frame <= frames; ++frame) {
        const auto start = std::chrono::steady_clock::now();
        const QImage image = frameUpdate(wavelength, [](const QString &) {});
        milliseconds[std::size_t(frame - 1)] =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        if (image.isNull()) {
            std::fprintf(stderr, "frame %ld: no image\n", frame);
            return 1;
        }
        if (frame == nextReport || frame == frames) {
            const long peak = peakKilobytes();
            if (frame == std::min(settled, frames)) {
                peakSettled = peak;
            }
            // The heap in use and the anonymous memory tell a leak (they grow) from code pages
            // of the libraries mapped in as new paths through them run (file-backed memory).
            const struct mallinfo2 heap = mallinfo2();
            std::printf(
                "after %6ld frames: peak memory %ld KiB (now %ld KiB anonymous, %ld KiB "
                "file-backed), heap in use %zu KiB, phase %g\n",
                frame, peak, statusKilobytes("RssAnon:"), statusKilobytes("RssFile:"),
                (heap.uordblks + heap.hblkhd) / 1024, double(phase));
            std::fflush(stdout);
            nextReport *= 10;
        }
    }

    std::vector<double> sorted = milliseconds;
    std::sort(sorted.begin(), sorted.end());
    double total = 0;
    for (double ms : milliseconds) {
        total += ms;
    }
    std::printf(
        "time per frame: mean %.3f ms, median %.3f ms, 99th percentile %.3f ms, "
        "max %.3f ms\n",
        total / double(frames), sorted[sorted.size() / 2],
        sorted[std::min(sorted.size() - 1, sorted.size() * 99 / 100)], sorted.back());
    std::printf("peak memory growth from frame %ld to frame %ld: %ld KiB\n",
                std::min(settled, frames), frames, peakKilobytes() - peakSettled);
    return 0;
}
