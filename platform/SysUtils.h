#pragma once

#include <QString>
#include <exception>
#include <string>

// The error the run-time layer raises, carrying a message for the user.
class Exception : public std::exception {
public:
    explicit Exception(QString message);

    const QString &Message() const { return message; }
    // The message in UTF-8.
    const char *what() const noexcept override { return utf8.c_str(); }

private:
    QString message;
    std::string utf8;
};

// Raised by StrToFloat for a text that is not a number.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// Raised by StrToFloat for a number too large for double.
class EOverflow : public Exception {
public:
    using Exception::Exception;
};

// Parses a plain decimal number: optional white space, an optional sign, digits with an optional
// fraction after '.', an optional exponent, optional white space. White space is any of the ASCII
// kinds (space, tab, line feed, carriage return, vertical tab, form feed), so a pasted line with
// its line break reads. The separator is '.' whatever the user's locale. A number too small for
// double reads as 0 with its sign. A number too large for double raises EOverflow; anything
// else raises EConvertError.
double StrToFloat(const QString &text);

// The value with 15 significant digits, without trailing zeros ("%.15g"), independent of locale.
QString FloatToStr(double value);

// A user's text as a message quotes it: its first 40 characters, then "…" if there are more, on
// one line and in the order typed: tabs and line breaks become spaces; other control
// characters, line and paragraph separators and bidirectional controls become U+FFFD.
QString QuotedText(const QString &text);
