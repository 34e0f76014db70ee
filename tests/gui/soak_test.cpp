// A thousand frames through the window's timer handler: the heap does not grow, and each frame
// is released when the next one takes its place.
#include <malloc.h>

#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <cstdio>

#include "app/Main.h"
#include "app/New.h"

#if defined(__SANITIZE_ADDRESS__)
// From AddressSanitizer's run time; GCC ships no header that declares it.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

// Bytes the program holds on the heap now.
std::size_t heapInUse() {
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#endif
}

constexpr int frames = 1000;
// Ticks before the first measurement: glyph caches and the error box settle in these.
constexpr int warmUp = 100;
// One leaked frame is 4,000,000 bytes; this allows under 300 bytes a tick, and no frame.
constexpr std::size_t allowedGrowth = 256 * 1024;

}  // namespace

int main(int argc, char *argv[]) {
    QApplication application(argc, argv);
    TForm1 mainWindow;
    Form1 = &mainWindow;
    TForm2 dialog(&mainWindow);
    Form2 = &dialog;
    mainWindow.show();

    std::size_t settled = 0;
    for (int i = 1; i <= frames; ++i) {
        // The wavelength changes now and then, and a bad one comes in between.
        mainWindow.Edit1->setText(i % 100 == 50 ? QStringLiteral("x") : QStringLiteral("50"));
        mainWindow.Timer1Timer();
        QCoreApplication::processEvents();
        if (!mainWindow.Image1->picture().isDetached()) {
            std::fprintf(stderr, "tick %d: the frame is held somewhere besides the image\n", i);
            return 1;
        }
        if (i == warmUp) {
            settled = heapInUse();
        }
    }
    const std::size_t final = heapInUse();
    std::printf("heap after %d ticks: %zu bytes, after %d: %zu bytes\n", warmUp, settled, frames,
                final);
    if (final > settled + allowedGrowth) {
        std::fprintf(stderr, "the heap grew by %zu bytes over %d ticks\n", final - settled,
                     frames - warmUp);
        return 1;
    }
    Form2 = nullptr;
    Form1 = nullptr;
    return 0;
}
