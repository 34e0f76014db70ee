#include "platform/SysUtils.h"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <system_error>

Exception::Exception(QString message)
    : message(std::move(message)), utf8(this->message.toStdString()) {}

namespace {

bool isWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The parts of a plain decimal: its sign, the digits before and after '.' and the exponent.
struct Decimal {
    bool negative = false;
    std::string_view integer;
    std::string_view fraction;
    long long exponent = 0;  // saturates far beyond any exponent that double can reach
};

// from_chars also takes "inf", "nan" and, without a sign, nothing of the "+5" form; the number
// grammar is checked here first so that only plain decimals reach it.
bool parsePlainDecimal(std::string_view s, Decimal &decimal) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        decimal.negative = s[i] == '-';
        ++i;
    }
    const std::size_t integerStart = i;
    while (i < s.size() && isDigit(s[i])) {
        ++i;
    }
    decimal.integer = s.substr(integerStart, i - integerStart);
    if (i < s.size() && s[i] == '.') {
        const std::size_t fractionStart = ++i;
        while (i < s.size() && isDigit(s[i])) {
            ++i;
        }
        decimal.fraction = s.substr(fractionStart, i - fractionStart);
    }
    if (decimal.integer.empty() && decimal.fraction.empty()) {
        return false;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
            negativeExponent = s[i] == '-';
            ++i;
        }
        const std::size_t exponentStart = i;
        constexpr long long exponentCap = 1'000'000'000;
        while (i < s.size() && isDigit(s[i])) {
            decimal.exponent = std::min(decimal.exponent * 10 + (s[i] - '0'), exponentCap);
            ++i;
        }
        if (i == exponentStart) {
            return false;
        }
        if (negativeExponent) {
            decimal.exponent = -decimal.exponent;
        }
    }
    return i == s.size();
}

// Whether a decimal that is not 0 lies below 1 in magnitude: the power of ten of its first
// significant digit is negative.
bool belowOne(const Decimal &decimal) {
    const std::size_t lead = decimal.integer.find_first_not_of('0');
    if (lead != std::string_view::npos) {
        return decimal.exponent + (long long)(decimal.integer.size() - lead - 1) < 0;
    }
    const std::size_t fractionLead = decimal.fraction.find_first_not_of('0');
    return decimal.exponent - (long long)fractionLead - 1 < 0;
}

}  // namespace

double StrToFloat(const QString &text) {
    const QByteArray bytes = text.toUtf8();
    std::string_view s(bytes.constData(), std::size_t(bytes.size()));
    while (!s.empty() && isWhiteSpace(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && isWhiteSpace(s.back())) {
        s.remove_suffix(1);
    }
    Decimal decimal;
    if (!parsePlainDecimal(s, decimal)) {
        throw EConvertError(QStringLiteral("'%1' is not a valid number.").arg(QuotedText(text)));
    }
    if (s.front() == '+') {
        s.remove_prefix(1);
    }
    double value = 0;
    if (std::from_chars(s.data(), s.data() + s.size(), value).ec == std::errc()) {
        return value;
    }
    // Out of the range of double. A decimal whose value lies closer to zero than the smallest
    // double reads as zero, as it rounds; one too large for double is refused.
    if (belowOne(decimal)) {
        return decimal.negative ? -0.0 : 0.0;
    }
    throw EOverflow(QStringLiteral("'%1' is too large a number.").arg(QuotedText(text)));
}

QString FloatToStr(double value) {
    char text[32];
    const auto result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, 15);
    return QString::fromLatin1(text, result.ptr - text);
}

namespace {

// Explicit bidirectional embeddings, overrides and isolates: one in a quote would reorder the
// rest of the message around it.
bool isBidiControl(char16_t c) {
    return (c >= 0x202a && c <= 0x202e) || (c >= 0x2066 && c <= 0x2069);
}

}  // namespace

QString QuotedText(const QString &text) {
    constexpr qsizetype quoteLength = 40;
    qsizetype length = std::min(text.size(), quoteLength);
    if (length < text.size() && text.at(length - 1).isHighSurrogate()) {
        --length;  // a character is quoted whole or not at all
    }
    QString quote = text.left(length);
    for (QChar &c : quote) {
        const char16_t code = c.unicode();
        if (code < 0x80 && isWhiteSpace(char(code))) {
            c = QLatin1Char(' ');  // a tab or a line break, shown on one line
        } else if (c.category() == QChar::Other_Control || c.category() == QChar::Separator_Line ||
                   c.category() == QChar::Separator_Paragraph || isBidiControl(code)) {
            c = QChar::ReplacementCharacter;
        }
    }
    if (length < text.size()) {
        quote += QChar(0x2026);
    }
    return quote;
}
