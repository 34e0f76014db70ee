#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <cstring>
#include <iterator>
#include <vector>

#include "app/Main.h"
#include "oracle.h"
#include "platform/SysUtils.h"

namespace {

// The phase after one more tick: the step is added in double and rounded back to float.
float nextPhase(float p) { return float(double(p) + 0.02); }

// Runs one tick and returns the phase text it showed.
QString tick(const QString &wavelength, QImage *frame = nullptr) {
    QString shown;
    QImage image = frameUpdate(wavelength, [&](const QString &text) { shown = text; });
    if (frame != nullptr) {
        *frame = image;
    }
    return shown;
}

// Compares a frame with the reference picture of the default canvas, pixel for pixel.
void expectFrameMatchesOracle(const QImage &frame, float lambda, float ph, const char *what) {
    ASSERT_EQ(frame.size(), QSize(1000, 1000)) << what;
    ASSERT_EQ(frame.format(), QImage::Format_RGB32) << what;
    const std::vector<std::uint8_t> expected =
        oracle::pixels(oracle::field(1000, 1000, 10, 10, lambda, 0, ph), 1000, 1000);
    int mismatches = 0;
    for (int y = 0; y < 1000; ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(frame.constScanLine(y));
        for (int x = 0; x < 1000; ++x) {
            const std::uint8_t g = expected[(std::size_t(y) * 1000 + x) * 4];
            if (row[x] != qRgb(g, g, g) && ++mismatches <= 5) {
                ADD_FAILURE() << what << ": pixel (" << x << ", " << y << ") is " << std::hex
                              << row[x] << ", expected grey " << std::dec << int(g);
            }
        }
    }
    EXPECT_EQ(mismatches, 0) << what;
}

bool sameImage(const QImage &a, const QImage &b) {
    return a.size() == b.size() && a.format() == b.format() &&
           std::memcmp(a.constBits(), b.constBits(), std::size_t(a.sizeInBytes())) == 0;
}

TEST(CanvasStateTest, StartsWithTheFixedSettings) {
    EXPECT_EQ(canvasWidth, 1000u);
    EXPECT_EQ(canvasHeight, 1000u);
    EXPECT_EQ(sourceX, 10u);
    EXPECT_EQ(sourceY, 10u);
    EXPECT_EQ(phase, 0.0f);
    EXPECT_EQ(waveField.getSize(), std::make_pair(1000u, 1000u));
    ASSERT_NE(renderer, nullptr);
    EXPECT_EQ(renderer->getSize(), std::make_pair(1000u, 1000u));
}

TEST(FrameUpdateTest, TheFirstTickShowsThePhaseAndTheFrame) {
    phase = 0;  // as at start-up, whichever tests ran before
    QImage frame;
    const QString shown = tick(QStringLiteral("50"), &frame);
    EXPECT_EQ(phase, nextPhase(0));
    EXPECT_EQ(shown, QStringLiteral("0.0199999995529652"));
    expectFrameMatchesOracle(frame, 50, phase, "wavelength 50");
}

TEST(FrameUpdateTest, ThePhaseIsASumOfRoundedSteps) {
    // Bad ticks are cheap and advance the phase all the same; mix in good ones.
    float expected = phase;
    for (int n = 1; n <= 400; ++n) {
        expected = nextPhase(expected);
        const QString text = n % 200 == 0 ? QStringLiteral("50") : QStringLiteral("x");
        try {
            tick(text);
        } catch (const Exception &) {
            // a bad wavelength: the phase has advanced all the same
        }
        ASSERT_EQ(oracle::bitsOf(phase), oracle::bitsOf(expected)) << "after tick " << n;
    }
    // Multiplying once would give another value: the test tells the two apart.
    EXPECT_NE(expected, float(400 * 0.02));
}

TEST(FrameUpdateTest, EqualNumbersWrittenDifferentlyGiveEqualFrames) {
    // Each tick starts from the same phase, so only the text differs.
    phase = 0;
    QImage reference;
    tick(QStringLiteral("50"), &reference);
    for (const char *text : {"50.0", " 50", "+50", "5e1", "50.000"}) {
        phase = 0;
        QImage frame;
        tick(QString::fromLatin1(text), &frame);
        EXPECT_TRUE(sameImage(frame, reference)) << '"' << text << '"';
    }
}

// A bad wavelength leaves the picture where it was, while the phase read-out advances.
TEST(FrameUpdateTest, ABadWavelengthKeepsThePictureAndAdvancesThePhase) {
    QImage good;
    tick(QStringLiteral("50"), &good);
    const std::size_t bytes = 1000 * 1000 * 4;
    const std::vector<std::uint8_t> pixels(renderer->getPixels(), renderer->getPixels() + bytes);
    const float sample = waveField.getGrid()[500][500];

    const char *const cases[] = {"",     "abc",   "5O",   "1,5",  "0x10",  "inf",
                                 "nan",  "50abc", "0",    "-0.0", "1e-50",  // 0 in a float
                                 "1e39", "-1e39", "1e400"};                 // beyond a float
    for (const char *text : cases) {
        const float before = phase;
        QString shown;
        bool raised = false;
        try {
            frameUpdate(QString::fromLatin1(text), [&](const QString &t) { shown = t; });
        } catch (const Exception &e) {
            raised = true;
            EXPECT_FALSE(e.Message().isEmpty()) << '"' << text << '"';
        }
        EXPECT_TRUE(raised) << '"' << text << "\" was accepted";
        EXPECT_EQ(phase, nextPhase(before)) << '"' << text << '"';
        EXPECT_EQ(shown, FloatToStr(phase)) << '"' << text << '"';
        EXPECT_EQ(std::memcmp(renderer->getPixels(), pixels.data(), bytes), 0)
            << '"' << text << '"';
        EXPECT_EQ(waveField.getGrid()[500][500], sample) << '"' << text << '"';
    }
}

TEST(WavelengthTest, TheNumbersAFloatHolds) {
    constexpr float largest = 0x1.fffffep127f;
    const struct {
        const char *text;
        float lambda;
    } cases[] = {
        {"50", 50},
        {"75\n", 75},
        {"-12.5", -12.5f},
        {"1e-45", 0x1p-149f},  // the smallest float that is not 0
        // The largest finite float, and the largest double below the midpoint between it and
        // 2^128, from where on values round to infinity: both give the largest float.
        {"340282346638528859811704183484516925440", largest},
        {"-340282346638528859811704183484516925440", -largest},
        {"340282356779733623858607532500980858880", largest},
    };
    for (const auto &c : cases) {
        try {
            const float lambda = wavelengthFrom(QString::fromLatin1(c.text));
            EXPECT_EQ(oracle::bitsOf(lambda), oracle::bitsOf(c.lambda))
                << '"' << c.text << "\" gave " << lambda << " instead of " << c.lambda;
        } catch (const Exception &e) {
            ADD_FAILURE() << '"' << c.text << "\" raised: " << e.what();
        }
    }
}

TEST(WavelengthTest, TheMessageQuotesTheTextAndSaysWhatIsAccepted) {
    const QString notANumber = QStringLiteral(
        "'%1' is not a valid number. Type the wavelength in pixels, with '.' as the decimal "
        "point (for example 50 or 12.5).");
    const QString tooLarge = QStringLiteral(
        "The wavelength '%1' is too large. Type a wavelength in pixels below 3.4e38 (for example "
        "50 or 12.5).");
    const QString zero = QStringLiteral(
        "The wavelength '%1' is 0 or too close to 0. Type a wavelength in pixels other than 0 "
        "(for example 50 or 12.5).");
    const QString longText = QString(10000, QLatin1Char('x'));
    const struct {
        QString text;
        const QString &message;
        QString quoted;
    } cases[] = {
        {QStringLiteral("1,5"), notANumber, QStringLiteral("1,5")},
        {QString(), notANumber, QString()},
        {QStringLiteral("<b>x</b>"), notANumber, QStringLiteral("<b>x</b>")},
        {longText, notANumber, QString(40, QLatin1Char('x')) + QChar(0x2026)},
        {QStringLiteral("5\n0"), notANumber, QStringLiteral("5 0")},
        // Beyond double or only beyond a float: the same fault to the user.
        {QStringLiteral("1e309"), tooLarge, QStringLiteral("1e309")},
        {QStringLiteral("1e300"), tooLarge, QStringLiteral("1e300")},
        {QStringLiteral("-1e39"), tooLarge, QStringLiteral("-1e39")},
        // The midpoint between the largest float and 2^128 itself rounds to infinity.
        {QStringLiteral("340282356779733661637539395458142568448"), tooLarge,
         QStringLiteral("340282356779733661637539395458142568448")},
        {QStringLiteral("-340282356779733661637539395458142568448"), tooLarge,
         QStringLiteral("-340282356779733661637539395458142568448")},
        {QStringLiteral("0"), zero, QStringLiteral("0")},
        {QStringLiteral("1e-46"), zero, QStringLiteral("1e-46")},
        {QStringLiteral("1e-4950"), zero, QStringLiteral("1e-4950")},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto &c = cases[i];
        try {
            const float lambda = wavelengthFrom(c.text);
            ADD_FAILURE() << "case " << i << " was taken as " << lambda;
        } catch (const Exception &e) {
            EXPECT_EQ(e.Message(), c.message.arg(c.quoted)) << "case " << i << ": " << e.what();
        }
    }
}

TEST(FrameUpdateTest, ANewWavelengthTakesEffectAtTheNextTickWithThePhaseCarriedOn) {
    const struct {
        const char *text;
        float lambda;
    } ticks[] = {{"50", 50}, {"30", 30}, {"-50", -50}, {"7.25", 7.25f}};
    for (const auto &t : ticks) {
        QImage frame;
        const float expectedPhase = nextPhase(phase);
        tick(QString::fromLatin1(t.text), &frame);
        ASSERT_EQ(phase, expectedPhase);
        expectFrameMatchesOracle(frame, t.lambda, phase, t.text);
    }
}

}  // namespace
