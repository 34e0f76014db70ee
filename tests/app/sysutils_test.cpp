#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <iterator>
#include <string>

#include "platform/Bitmap.h"
#include "platform/SysUtils.h"

namespace {

// A decimal of 5,000 zeros after the point and then a 1: far below the smallest double.
std::string tinyDecimal(const char *sign) { return sign + ("0." + std::string(5000, '0') + "1"); }

TEST(StrToFloatTest, AcceptsPlainDecimals) {
    const struct {
        std::string text;
        double value;
    } cases[] = {
        {"50", 50},
        {"50.0", 50},
        {" 50 ", 50},
        {"\t50\t", 50},
        {"75\n", 75},  // a pasted line
        {"\r\n75\r\n", 75},
        {"\v50\f", 50},
        {" \t\n\r\v\f50 \t\n\r\v\f", 50},
        {"+50", 50},
        {"-50", -50},
        {"7.25", 7.25},
        {".5", 0.5},
        {"5.", 5},
        {"1e3", 1000},
        {"1E-3", 1e-3},
        {"2.5e+2", 250},
        {"0", 0},
        {"-0", -0.0},
        {"007", 7},
        {"0.000e99999", 0},
        {"4.9e-324", 0x1p-1074},  // the smallest double, not taken for an underflow
        {"3e-324", 0x1p-1074},
        // Closer to zero than any double: read as zero with its sign, as the decimal rounds.
        {"2e-324", 0},
        {"1e-400", 0},
        {"1e-4950", 0},
        {"-1e-4950", -0.0},
        {"1e-99999999999999999999", 0},
        {"0.0001e-99999999999999999999", 0},
        {"100e-326", 0},
        {tinyDecimal(""), 0},
        {tinyDecimal("-"), -0.0},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto &c = cases[i];
        const std::string shown = c.text.size() > 40 ? c.text.substr(0, 40) + "..." : c.text;
        try {
            const double value = StrToFloat(QString::fromStdString(c.text));
            // Compared as bits, so that -0 and 0 differ.
            EXPECT_EQ(std::bit_cast<std::uint64_t>(value), std::bit_cast<std::uint64_t>(c.value))
                << "case " << i << " \"" << shown << "\": " << value << " instead of " << c.value;
        } catch (const Exception &e) {
            ADD_FAILURE() << "case " << i << " \"" << shown << "\" raised: " << e.what();
        }
    }
}

TEST(StrToFloatTest, RefusesEverythingElseNamingTheText) {
    const struct {
        const char *text;
        bool tooLarge;  // a number beyond double rather than no number at all
    } cases[] = {
        {"", false},
        {" ", false},
        {"abc", false},
        {"5O", false},
        {"1,5", false},
        {"0x10", false},
        {"inf", false},
        {"nan", false},
        {"50abc", false},
        {"1e", false},
        {"e5", false},
        {".", false},
        {"--5", false},
        {"+-5", false},
        {"5 0", false},
        {"infinity", false},
        {"\xd9\xa5", false},  // an Arabic-Indic digit
        {"\xc2\xa0"
         "50",
         false},  // a no-break space is not ASCII white space
        {"50\x1c", false},
        {"1e400", true},
        {"-1e400", true},
        {"1e309", true},
        {"1e99999999999999999999", true},
        {"1.8e308", true},
        {"0.01e311", true},
    };
    for (const auto &c : cases) {
        const QString qtext = QString::fromUtf8(c.text);
        try {
            const double value = StrToFloat(qtext);
            ADD_FAILURE() << '"' << c.text << "\" was taken as " << value;
        } catch (const EOverflow &e) {
            EXPECT_TRUE(c.tooLarge) << '"' << c.text << "\" was taken as too large: " << e.what();
            EXPECT_TRUE(
                e.Message().contains(QLatin1Char('\'') + QuotedText(qtext) + QLatin1Char('\'')))
                << '"' << c.text << "\" gave the message: " << e.what();
        } catch (const EConvertError &e) {
            EXPECT_FALSE(c.tooLarge)
                << '"' << c.text << "\" was not taken as a number: " << e.what();
            EXPECT_TRUE(
                e.Message().contains(QLatin1Char('\'') + QuotedText(qtext) + QLatin1Char('\'')))
                << '"' << c.text << "\" gave the message: " << e.what();
        }
    }
    // A long text is quoted by its start only.
    const QString longText(10000, QLatin1Char('7'));
    try {
        StrToFloat(longText + QLatin1Char('x'));
        ADD_FAILURE() << "a 10,001-character text was taken as a number";
    } catch (const EConvertError &e) {
        EXPECT_EQ(
            e.Message(),
            QStringLiteral("'%1\u2026' is not a valid number.").arg(QString(40, QLatin1Char('7'))));
    }
}

TEST(QuotedTextTest, QuotesAShortPrefixOnOneLine) {
    const struct {
        QString text;
        QString quoted;
    } cases[] = {
        {QStringLiteral("abc"), QStringLiteral("abc")},
        {QString(40, QLatin1Char('a')), QString(40, QLatin1Char('a'))},
        {QString(41, QLatin1Char('a')), QString(40, QLatin1Char('a')) + QChar(0x2026)},
        {QString(10000, QLatin1Char('a')), QString(40, QLatin1Char('a')) + QChar(0x2026)},
        {QStringLiteral("<b>x</b>"), QStringLiteral("<b>x</b>")},
        {QStringLiteral("7\n5\t\r\v\f"), QStringLiteral("7 5    ")},
        {QStringLiteral("\x1b\x7f\u0085"), QStringLiteral("\ufffd\ufffd\ufffd")},
        {QStringLiteral("a\u2028b\u2029c"), QStringLiteral("a\ufffdb\ufffdc")},
        {QStringLiteral("\u202ex\u202a\u2067\u2069"), QStringLiteral("\ufffdx\ufffd\ufffd\ufffd")},
        {QStringLiteral("\u05e9\u05dc\u05d5\u05dd \u00e9"),
         QStringLiteral("\u05e9\u05dc\u05d5\u05dd \u00e9")},
        // A character beyond 16 bits at the cut is left out whole, not halved.
        {QString(39, QLatin1Char('a')) + QStringLiteral("\U0001F600b"),
         QString(39, QLatin1Char('a')) + QChar(0x2026)},
        {QString(38, QLatin1Char('a')) + QStringLiteral("\U0001F600b"),
         QString(38, QLatin1Char('a')) + QStringLiteral("\U0001F600\u2026")},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(QuotedText(cases[i].text), cases[i].quoted)
            << "case " << i << ": \"" << cases[i].text.left(50).toStdString() << '"';
    }
}

TEST(ExceptionTest, WhatIsTheMessageInUtf8) {
    const char *const messages[] = {"", "plain", "\xce\xbb = 1,5 \xe2\x82\xac \xf0\x9f\x98\x80"};
    for (const char *message : messages) {
        const Exception error(QString::fromUtf8(message));
        EXPECT_STREQ(error.what(), message);
        EXPECT_EQ(error.Message(), QString::fromUtf8(message));
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

TEST(CreateBitmapTest, ZeroSizesGiveANullImage) {
    std::uint8_t pixel[4] = {};
    EXPECT_TRUE(CreateBitmap(0, 2, 1, 32, pixel).isNull());
    EXPECT_TRUE(CreateBitmap(3, 0, 1, 32, pixel).isNull());
    EXPECT_TRUE(CreateBitmap(0, 0, 1, 32, pixel).isNull());
}

// Sizes that QImage refuses before it allocates anything, as it reports memory it cannot get:
// the failure must raise, not give a picture that silently never appears. The pixel buffer is
// never read, since no image is made.
TEST(CreateBitmapTest, AnImageThatCannotBeMadeRaises) {
    std::uint8_t pixel[4] = {};
    const struct {
        std::uint32_t width, height;
    } cases[] = {{100'000'000, 1}, {0x80000000u, 1}, {1, 0x80000000u}, {0xffffffffu, 0xffffffffu}};
    for (const auto &c : cases) {
        try {
            const QImage image = CreateBitmap(c.width, c.height, 1, 32, pixel);
            ADD_FAILURE() << c.width << " by " << c.height << " gave an image of " << image.width()
                          << " by " << image.height();
        } catch (const Exception &e) {
            EXPECT_TRUE(e.Message().contains(QStringLiteral("memory"))) << e.what();
            EXPECT_TRUE(e.Message().contains(QStringLiteral("%1 by %2").arg(c.width).arg(c.height)))
                << e.what();
        }
    }
}

}  // namespace
