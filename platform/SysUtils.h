#pragma once

#include <QString>
#include <exception>
#include <string>

// The error the run-time layer raises, carrying a message for the user.
class Exception : public std::exception {
public:
    explicit Exception(QString message);

    const QString &Message() const { return message; }
    const char *what() const noexcept override { return utf8.c_str(); }

private:
    QString message;
    std::string utf8;
};

// Parses a plain decimal number: optional blanks, an optional sign, digits with an optional
// fraction after '.', an optional exponent, optional blanks. The separator is '.' whatever the
// user's locale. A number too small for double reads as 0. Anything else, and a number too
// large for double, raises Exception.
double StrToFloat(const QString &text);

// The value with 15 significant digits, without trailing zeros ("%.15g"), independent of locale.
QString FloatToStr(double value);
