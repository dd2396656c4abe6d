#include "platform/system/convert.h"

#include <cmath>
#include <limits>

namespace kavrin {

namespace {

bool isAsciiDigit(QChar c) { return c.unicode() >= '0' && c.unicode() <= '9'; }

bool isBlank(QChar c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

struct Scan {
    double value = 0;
    qsizetype end = 0;  // index after the last character that belongs to the number
    bool found = false;
};

int digitValue(QChar c, int radix) {
    int d = -1;
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9') d = u - '0';
    else if (u >= 'a' && u <= 'f') d = u - 'a' + 10;
    else if (u >= 'A' && u <= 'F') d = u - 'A' + 10;
    return d >= 0 && d < radix ? d : -1;
}

// "&H" and "&O" numbers. A value that fits in 16 bits is read as a signed 16-bit pattern and
// one that fits in 32 bits as a signed 32-bit pattern, as Basic reads them ("&HFFFF" is -1).
Scan scanRadix(QStringView s, qsizetype pos) {
    Scan r;
    if (pos + 1 >= s.size() || s[pos] != '&') return r;
    const QChar kind = s[pos + 1].toUpper();
    const int radix = kind == 'H' ? 16 : kind == 'O' ? 8 : 0;
    if (!radix) return r;
    qsizetype i = pos + 2;
    double value = 0;
    for (; i < s.size(); ++i) {
        const int d = digitValue(s[i], radix);
        if (d < 0) break;
        value = value * radix + d;
    }
    if (i == pos + 2) return r;
    if (value <= 65535.0) {
        if (value >= 32768.0) value -= 65536.0;
    } else if (value <= 4294967295.0) {
        if (value >= 2147483648.0) value -= 4294967296.0;
    }
    r.value = value;
    r.end = i;
    r.found = true;
    return r;
}

// The longest decimal number at `pos`: sign, digits, one point, and an exponent (E or D, as
// Basic writes double exponents) only when digits follow it.
Scan scanDecimal(QStringView s, qsizetype pos) {
    Scan r;
    qsizetype i = pos;
    QString text;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) text += s[i++];
    bool digits = false;
    while (i < s.size() && isAsciiDigit(s[i])) {
        text += s[i++];
        digits = true;
    }
    if (i < s.size() && s[i] == '.') {
        qsizetype j = i + 1;
        QString fraction;
        while (j < s.size() && isAsciiDigit(s[j])) fraction += s[j++];
        if (digits || !fraction.isEmpty()) {
            text += '.' + fraction;
            i = j;
            digits = true;
        }
    }
    if (!digits) return r;
    if (i < s.size() && (s[i].toUpper() == 'E' || s[i].toUpper() == 'D')) {
        qsizetype j = i + 1;
        QString exponent = "e";
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) exponent += s[j++];
        const qsizetype first = j;
        while (j < s.size() && isAsciiDigit(s[j])) exponent += s[j++];
        if (j > first) {
            text += exponent;
            i = j;
        }
    }
    bool ok = false;
    r.value = text.toDouble(&ok);
    if (!ok) {
        // Out of range for a double: toDouble gives up; the sign still says which way.
        r.value = text.startsWith('-') ? -std::numeric_limits<double>::infinity()
                                       : std::numeric_limits<double>::infinity();
    }
    r.end = i;
    r.found = true;
    return r;
}

Scan scanNumber(QStringView s, qsizetype pos) {
    if (pos < s.size() && s[pos] == '&') return scanRadix(s, pos);
    return scanDecimal(s, pos);
}

// The whole text must be one number, with blanks around it allowed.
std::optional<double> wholeNumber(const QString& text) {
    const QStringView s = QStringView(text).trimmed();
    if (s.isEmpty()) return std::nullopt;
    const Scan r = scanNumber(s, 0);
    if (!r.found || r.end != s.size() || !std::isfinite(r.value)) return std::nullopt;
    return r.value;
}

std::optional<int> roundedInRange(const QString& text, double low, double high) {
    const auto v = wholeNumber(text);
    if (!v) return std::nullopt;
    const double rounded = std::nearbyint(*v);  // the default rounding mode is half to even
    if (rounded < low || rounded > high) return std::nullopt;
    return int(rounded);
}

}  // namespace

std::optional<bool> cbool(const QString& text) {
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) return false;
    const auto v = wholeNumber(t);
    if (!v) return std::nullopt;
    return *v != 0.0;
}

std::optional<int> cint(const QString& text) { return roundedInRange(text, -32768.0, 32767.0); }

std::optional<int> clng(const QString& text) {
    return roundedInRange(text, -2147483648.0, 2147483647.0);
}

std::optional<int> cbyte(const QString& text) { return roundedInRange(text, 0.0, 255.0); }

std::optional<double> cdbl(const QString& text) { return wholeNumber(text); }

double val(const QString& text) {
    const QStringView s(text);
    qsizetype pos = 0;
    while (pos < s.size() && isBlank(s[pos])) ++pos;
    const Scan r = scanNumber(s, pos);
    if (!r.found || !std::isfinite(r.value)) return 0;
    return r.value;
}

long long roundHalfEven(double value) {
    if (std::isnan(value)) return 0;
    const double r = std::nearbyint(value);
    // Past what a long long holds the nearest end is the honest answer.
    if (r >= 9223372036854775807.0) return std::numeric_limits<long long>::max();
    if (r <= -9223372036854775808.0) return std::numeric_limits<long long>::min();
    return static_cast<long long>(r);
}

QString boolText(bool value) { return value ? QStringLiteral("True") : QStringLiteral("False"); }

}  // namespace kavrin
