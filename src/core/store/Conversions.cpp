#include "core/store/Conversions.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace quorrel {

QString toHalfWidth(const QString& text)
{
    QString out = text;
    for (QChar& c : out) {
        const char16_t u = c.unicode();
        if (u >= 0xFF01 && u <= 0xFF5E)
            c = QChar(char16_t(u - 0xFEE0));
        else if (u == 0x3000)
            c = QChar(u' ');
    }
    return out;
}

namespace {

bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f';
}

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// The leading number of the (half-width) text as ASCII, ready for from_chars; empty when none.
std::string leadingNumber(const QString& text)
{
    const QString half = toHalfWidth(text);
    qsizetype i = 0;
    const qsizetype n = half.size();
    while (i < n && isBlank(half[i].unicode()))
        ++i;
    std::string out;
    if (i < n && (half[i] == u'+' || half[i] == u'-')) {
        if (half[i] == u'-')
            out += '-';
        ++i;
    }
    bool digits = false;
    while (i < n && isDigit(half[i].unicode())) {
        out += char(half[i++].unicode());
        digits = true;
    }
    if (i < n && half[i] == u'.') {
        std::string fraction = ".";
        qsizetype j = i + 1;
        while (j < n && isDigit(half[j].unicode()))
            fraction += char(half[j++].unicode());
        if (digits || fraction.size() > 1) {
            out += fraction;
            digits = true;
            i = j;
        }
    }
    if (!digits)
        return std::string();
    if (i < n && (half[i] == u'e' || half[i] == u'E')) {
        std::string exponent = "e";
        qsizetype j = i + 1;
        if (j < n && (half[j] == u'+' || half[j] == u'-'))
            exponent += char(half[j++].unicode());
        bool expDigits = false;
        while (j < n && isDigit(half[j].unicode())) {
            exponent += char(half[j++].unicode());
            expDigits = true;
        }
        if (expDigits)
            out += exponent;
    }
    return out;
}

} // namespace

double textToNumber(const QString& text)
{
    const std::string number = leadingNumber(text);
    if (number.empty())
        return 0.0;
    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range) {
        // from_chars leaves value alone on overflow; strtod would give ±HUGE_VAL or 0.
        const bool negative = number.front() == '-';
        const bool tiny = number.find("e-") != std::string::npos;
        return tiny ? 0.0 : (negative ? -HUGE_VAL : HUGE_VAL);
    }
    (void)end;
    return value;
}

float textToSingle(const QString& text)
{
    return static_cast<float>(textToNumber(text));
}

qint64 textToWhole(const QString& text)
{
    const QString half = toHalfWidth(text);
    qsizetype i = 0;
    while (i < half.size() && isBlank(half[i].unicode()))
        ++i;
    bool negative = false;
    if (i < half.size() && (half[i] == u'+' || half[i] == u'-'))
        negative = half[i++] == u'-';
    qint64 value = 0;
    constexpr qint64 limit = std::numeric_limits<qint64>::max() / 10 - 10;
    while (i < half.size() && isDigit(half[i].unicode())) {
        if (value < limit)
            value = value * 10 + (half[i].unicode() - u'0');
        ++i;
    }
    return negative ? -value : value;
}

QString doubleToText(double value)
{
    if (value == 0.0)
        value = 0.0; // no "-0": a change or total of minus nothing is shown as 0
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 13);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

QString roundToText(double value, int places)
{
    const double scale = std::pow(10.0, places);
    const double scaled = std::fabs(value) * scale + 1e-12;
    double whole = std::floor(scaled);
    if (scaled - whole >= 0.5)
        whole += 1.0;
    double rounded = whole / scale;
    if (value < 0)
        rounded = -rounded;
    return doubleToText(rounded);
}

QString formatMoney(const QString& text)
{
    const qsizetype point = text.indexOf(u'.');
    if (point < 0)
        return text + QStringLiteral(".00");
    QString out = text.left(point + 3);
    if (text.size() - point - 1 == 1)
        out += u'0';
    return out;
}

} // namespace quorrel
