#include <gtest/gtest.h>

#include <cmath>

#include "platform/Bitmap.h"
#include "platform/SysUtils.h"

namespace {

TEST(StrToFloatTest, AcceptsPlainDecimals) {
    const struct {
        const char *text;
        double value;
    } cases[] =
        {
            {"50", 50},     {"50.0", 50},    {" 50 ", 50}, {"\t50\t", 50}, {"+50", 50},
            {"-50", -50},   {"7.25", 7.25},  {".5", 0.5},  {"5.", 5},      {"1e3", 1000},
            {"1E-3", 1e-3}, {"2.5e+2", 250}, {"0", 0},     {"-0", -0.0},   {"007", 7},
            {"1e-400", 0},  // underflows quietly to zero, as a decimal that small reads
        };
    for (const auto &c : cases) {
        try {
            EXPECT_EQ(StrToFloat(QString::fromUtf8(c.text)), c.value) << '"' << c.text << '"';
        } catch (const Exception &e) {
            ADD_FAILURE() << '"' << c.text << "\" raised: " << e.what();
        }
    }
}

TEST(StrToFloatTest, RefusesEverythingElseNamingTheText) {
    const char *const cases[] = {"",    " ",     "abc",    "5O",       "1,5",     "0x10", "inf",
                                 "nan", "50abc", "1e",     "e5",       ".",       "--5",  "+-5",
                                 "5 0", "1e400", "-1e400", "infinity", "\xd9\xa5"};
    for (const char *text : cases) {
        const QString qtext = QString::fromUtf8(text);
        try {
            const double value = StrToFloat(qtext);
            ADD_FAILURE() << '"' << text << "\" was taken as " << value;
        } catch (const Exception &e) {
            EXPECT_TRUE(e.Message().contains(QLatin1Char('\'') + qtext + QLatin1Char('\'')))
                << '"' << text << "\" gave the message: " << e.what();
        }
    }
}

TEST(FloatToStrTest, FifteenSignificantDigitsWithoutTrailingZeros) {
    const struct {
        double value;
        const char *text;
    } cases[] = {
        {double(0.02f), "0.0199999995529652"},  // the phase after the first tick
        {0, "0"},
        {1, "1"},
        {0.5, "0.5"},
        {-2.25, "-2.25"},
        {double(float(0.1)), "0.100000001490116"},
        {123456789012345678.0, "1.23456789012346e+17"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(FloatToStr(c.value).toStdString(), c.text);
    }
}

TEST(CreateBitmapTest, CopiesTheBufferIntoAnOpaqueImage) {
    std::uint8_t pixels[3 * 2 * 4];
    for (int i = 0; i < 6; ++i) {
        std::fill_n(pixels + i * 4, 4, std::uint8_t(40 * i + 1));
    }
    const QImage image = CreateBitmap(3, 2, 1, 32, pixels);
    std::fill_n(pixels, sizeof pixels, 0);  // the image owns its own copy
    ASSERT_EQ(image.format(), QImage::Format_RGB32);
    ASSERT_EQ(image.size(), QSize(3, 2));
    for (int i = 0; i < 6; ++i) {
        const int grey = 40 * i + 1;
        EXPECT_EQ(image.pixel(i % 3, i / 3), qRgb(grey, grey, grey)) << "pixel " << i;
        const auto stored = reinterpret_cast<const QRgb *>(image.constScanLine(i / 3))[i % 3];
        EXPECT_EQ(qAlpha(stored), 255) << "pixel " << i;
    }
    EXPECT_TRUE(CreateBitmap(3, 2, 1, 24, pixels).isNull()) << "only 32-bit pixels are supported";
}

}  // namespace
