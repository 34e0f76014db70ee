#include "platform/SysUtils.h"

#include <charconv>
#include <cmath>
#include <string_view>
#include <system_error>

Exception::Exception(QString message)
    : message(std::move(message)), utf8(this->message.toStdString()) {}

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// from_chars also takes "inf", "nan" and, without a sign, nothing of the "+5" form; the number
// grammar is checked here first so that only plain decimals reach it.
bool isPlainDecimal(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        ++i;
    }
    std::size_t digits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
        ++i, ++digits;
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
            ++i, ++digits;
        }
    }
    if (digits == 0) {
        return false;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
            ++i;
        }
        std::size_t exponentDigits = 0;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
            ++i, ++exponentDigits;
        }
        if (exponentDigits == 0) {
            return false;
        }
    }
    return i == s.size();
}

Exception notANumber(const QString &text) {
    return Exception(QStringLiteral("'%1' is not a valid number.").arg(text));
}

}  // namespace

double StrToFloat(const QString &text) {
    const QByteArray bytes = text.toUtf8();
    std::string_view s(bytes.constData(), std::size_t(bytes.size()));
    while (!s.empty() && isBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && isBlank(s.back())) {
        s.remove_suffix(1);
    }
    if (!isPlainDecimal(s)) {
        throw notANumber(text);
    }
    if (s.front() == '+') {
        s.remove_prefix(1);
    }
    const char *const first = s.data();
    const char *const last = s.data() + s.size();
    double value = 0;
    if (std::from_chars(first, last, value).ec == std::errc()) {
        return value;
    }
    // Out of the range of double: a number too close to zero reads as zero, as it would in
    // wider precision; one too large for double is refused.
    long double wide = 0;
    if (std::from_chars(first, last, wide).ec == std::errc() && std::fabs(wide) < 1) {
        return double(wide);
    }
    throw notANumber(text);
}

QString FloatToStr(double value) {
    char text[32];
    const auto result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, 15);
    return QString::fromLatin1(text, result.ptr - text);
}
