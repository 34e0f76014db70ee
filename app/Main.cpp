#include "app/Main.h"

#include <cmath>

#include "platform/Bitmap.h"
#include "platform/SysUtils.h"

// Fixed settings of the animation.
constexpr double phaseStep = 0.02;
constexpr float fallOff = 0;  // 0: amplitude 1 everywhere

std::uint32_t canvasWidth = 1000;
std::uint32_t canvasHeight = 1000;
std::uint32_t sourceX = 10;
std::uint32_t sourceY = 10;
render *renderer = nullptr;
float phase = 0;
sine waveField(canvasWidth, canvasHeight);

namespace {
// Made right after the field it is bound to, and alive until the process ends.
const bool rendererMade = (renderer = new render(&waveField), true);
}  // namespace

float wavelengthFrom(const QString &text) {
    const double value = StrToFloat(text);
    // Values from here up round to infinity in single precision.
    constexpr double floatOverflow = 0x1.ffffffp+127;
    if (std::fabs(value) >= floatOverflow) {
        throw Exception(QStringLiteral("The wavelength '%1' is too large.").arg(text));
    }
    const float lambda = float(value);
    if (lambda == 0) {
        throw Exception(QStringLiteral("The wavelength '%1' is 0 or too small.").arg(text));
    }
    return lambda;
}

QImage frameUpdate(const QString &wavelengthText,
                   const std::function<void(const QString &)> &showPhase) {
    phase = float(double(phase) + phaseStep);
    showPhase(FloatToStr(phase));
    const float lambda = wavelengthFrom(wavelengthText);
    waveField.compute(sourceX, sourceY, lambda, fallOff, phase);
    const std::uint8_t *pixels = renderer->convert();
    const auto [width, height] = renderer->getSize();
    return CreateBitmap(width, height, 1, 32, pixels);
}
