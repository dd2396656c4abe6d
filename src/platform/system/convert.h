#pragma once
// Conversions with the meaning Basic gave them; each says when the text does not convert.
#include <QString>
#include <optional>

namespace kavrin {

// "True"/"False" in any case, or a number (0 is false).
std::optional<bool> cbool(const QString& text);
// Numbers rounded half to even; nullopt when not numeric or out of range.
std::optional<int> cint(const QString& text);    // 16-bit range
std::optional<int> clng(const QString& text);    // 32-bit range
std::optional<int> cbyte(const QString& text);   // 0..255
std::optional<double> cdbl(const QString& text);
// The number at the start of the text (blanks skipped, stops at the first character that cannot
// continue it, &H hexadecimal accepted); 0 when there is none.
double val(const QString& text);
// Round half to even, as the Basic conversions do.
long long roundHalfEven(double value);
// "True" / "False".
QString boolText(bool value);

}  // namespace kavrin
