#pragma once
// Shared colour, number, text-field and window operations. Colour values are 24-bit integers
// with red in the low byte; hexadecimal colour text is six digits, red, green, blue.
#include <QString>

class QWidget;

namespace kavrin {

// Six upper-case hexadecimal digits for one of the 21 HTML colour names (any case), else the
// text unchanged.
QString colorNameToHex(const QString& text);
// A colour name or hexadecimal colour text ("#", double quotes allowed) as a colour value;
// short text is completed with "0", characters that are no hexadecimal digits count as 0.
int htmlColorToRgb(const QString& text);
// A colour value written as decimal text as six upper-case hexadecimal digits; "" for text that
// is not a number.
QString colorToHex(const QString& text);
// 0 to 15 for "0".."9", "a".."f", "A".."F"; 0 for anything else.
int hexDigitValue(QChar c);
int hexDigitValue(const QString& c);
// The decimal text of n, without blanks.
QString trimNumber(long long n);

// Steps the number at the start of a text field (QLineEdit or editable QComboBox) down
// (up == 0) or up by `step` (0 means 1), never below 0, keeping a trailing "%".
void spinTextBox(QWidget* field, int up, int step);
// Selects the whole text of a text field (line edit, editable combo box, text edit).
void selectAllText(QWidget* field);

// Placement values of keepOnTop.
constexpr int HWND_TOPMOST = -1;
constexpr int HWND_NOTOPMOST = -2;
// Keeps a tool window above the others (-1) or lets it go behind them again (-2), placing it at
// x, y with size cx, cy in twips (0 keeps the window's own), and shows it without activating it.
void keepOnTop(int insertAfter, QWidget* window, int x = 0, int y = 0, int cx = 0, int cy = 0);

// Removes the generator marks the design view writes into a page: the first tag that holds
// content="MSHTML... and the first that holds content="Microsoft DHTML Editing Control...
QString stripGeneratorMeta(const QString& html);

}  // namespace kavrin
