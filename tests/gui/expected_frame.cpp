// Writes the frame the program must show after a number of ticks, as a binary PGM on standard
// output: expected_frame TICKS WAVELENGTH.
#include <cstdio>
#include <cstdlib>

#include "reference_frame.h"

int main(int argc, char *argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s TICKS WAVELENGTH\n", argv[0]);
        return 2;
    }
    const int ticks = std::atoi(argv[1]);
    const float lambda = std::strtof(argv[2], nullptr);
    const std::vector<std::uint8_t> grey = referenceFrame(ticks, lambda);
    std::printf("P5\n1000 1000\n255\n");
    return std::fwrite(grey.data(), 1, grey.size(), stdout) == grey.size() ? 0 : 1;
}
