#include "documents/colouring/colorops.h"

#include <QComboBox>
#include <QHash>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <cmath>
#include <limits>

#include "documents/globals.h"
#include "platform/system/convert.h"
#include "platform/system/screen.h"

namespace kavrin {

namespace {

QString hexByte(int value) {
    return QStringLiteral("%1").arg(value & 255, 2, 16, QLatin1Char('0')).toUpper();
}

// Removes the tag around the first case-insensitive occurrence of `mark`.
void removeTagHolding(QString& html, const QString& mark) {
    const qsizetype at = html.indexOf(mark, 0, Qt::CaseInsensitive);
    if (at < 0) return;
    const qsizetype open = html.lastIndexOf(QLatin1Char('<'), at);
    const qsizetype close = html.indexOf(QLatin1Char('>'), at);
    // A tag that never closes is left alone: cutting to a missing ">" would splice the text
    // onto itself.
    if (open < 0 || close < 0) return;
    html.remove(open, close - open + 1);
}

int twipsPerPixel(int perPixel) { return perPixel > 0 ? perPixel : kTwipsPerPixel; }

int toPixels(int twips, int perPixel) {
    return int(std::lround(double(twips) / twipsPerPixel(perPixel)));
}

QString fieldText(QWidget* field, bool* ok) {
    *ok = true;
    if (auto* edit = qobject_cast<QLineEdit*>(field)) return edit->text();
    if (auto* combo = qobject_cast<QComboBox*>(field); combo && combo->isEditable())
        return combo->currentText();
    *ok = false;
    return {};
}

void setFieldText(QWidget* field, const QString& text) {
    if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->setText(text);
    else if (auto* combo = qobject_cast<QComboBox*>(field)) combo->setEditText(text);
}

}  // namespace

QString colorNameToHex(const QString& text) {
    static const QHash<QString, QString> names{
        {"black", "000000"},   {"blue", "0000FF"},      {"brown", "A52A2A"},    {"cyan", "00FFFF"},
        {"darkblue", "00008B"}, {"darkgray", "A9A9A9"}, {"darkgreen", "006400"}, {"darkorange", "FF8C00"},
        {"darkred", "8B0000"}, {"gray", "808080"},      {"green", "008000"},    {"navy", "000080"},
        {"olive", "808000"},   {"orange", "FFA500"},    {"pink", "FFC0CB"},     {"red", "FF0000"},
        {"teal", "008080"},    {"turquoise", "40E0D0"}, {"violet", "EE82EE"},   {"white", "FFFFFF"},
        {"yellow", "FFFF00"},
    };
    const auto it = names.constFind(text.toLower());
    return it != names.constEnd() ? *it : text;
}

int htmlColorToRgb(const QString& text) {
    QString s = colorNameToHex(text);
    if (s.startsWith(QLatin1Char('"'))) s.remove(0, 1);
    if (s.startsWith(QLatin1Char('#'))) s.remove(0, 1);
    if (s.endsWith(QLatin1Char('"'))) s.chop(1);
    if (s.size() > 6) s.truncate(6);
    while (s.size() < 6) s += QLatin1Char('0');
    const int red = 16 * hexDigitValue(s[0]) + hexDigitValue(s[1]);
    const int green = 16 * hexDigitValue(s[2]) + hexDigitValue(s[3]);
    const int blue = 16 * hexDigitValue(s[4]) + hexDigitValue(s[5]);
    return red + 256 * green + 65536 * blue;
}

QString colorToHex(const QString& text) {
    const std::optional<int> v = clng(text);
    if (!v) return {};
    // Integer division truncates toward zero, as the colour values have always been split.
    return hexByte(*v) + hexByte(*v / 256) + hexByte(*v / 65536);
}

int hexDigitValue(QChar c) {
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    return 0;
}

int hexDigitValue(const QString& c) { return c.isEmpty() ? 0 : hexDigitValue(c.front()); }

QString trimNumber(long long n) { return QString::number(n); }

void spinTextBox(QWidget* field, int up, int step) {
    bool ok = false;
    QString s = fieldText(field, &ok);
    if (!ok) return;
    while (s.endsWith(QLatin1Char(' '))) s.chop(1);

    const double start = val(s);
    constexpr double kMax = std::numeric_limits<int>::max();
    // A number too large for the field's type is left as it is.
    if (!std::isfinite(start) || std::fabs(start) > kMax) return;
    long long n = roundHalfEven(start);
    const long long by = step == 0 ? 1 : step;
    n = up != 0 ? n + by : n - by;
    if (n < 0) n = 0;
    if (n > kMax) return;
    setFieldText(field, trimNumber(n) + (s.endsWith(QLatin1Char('%')) ? QStringLiteral("%") : QString()));
}

void selectAllText(QWidget* field) {
    if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
    else if (auto* combo = qobject_cast<QComboBox*>(field); combo && combo->lineEdit())
        combo->lineEdit()->selectAll();
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(field)) plain->selectAll();
    else if (auto* rich = qobject_cast<QTextEdit*>(field)) rich->selectAll();
}

void keepOnTop(int insertAfter, QWidget* window, int x, int y, int cx, int cy) {
    if (!window) return;
    QWidget* w = window->window();
    const bool wasVisible = w->isVisible();
    // Position of the frame (as the window's left and top are meant), size of the client area.
    const QPoint framePos = w->pos();
    const QSize clientSize = w->size();

    if (insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST) {
        const bool onTop = insertAfter == HWND_TOPMOST;
        // Changing a window flag hides the window, so only change it when it differs.
        if (w->windowFlags().testFlag(Qt::WindowStaysOnTopHint) != onTop)
            w->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    }

    // Values of 0 keep what the window had before its flags changed.
    const QPoint at(x != 0 ? toPixels(x, twipsPerPixelX) : framePos.x(),
                    y != 0 ? toPixels(y, twipsPerPixelY) : framePos.y());
    const QSize size(cx != 0 ? toPixels(cx, twipsPerPixelX) : clientSize.width(),
                     cy != 0 ? toPixels(cy, twipsPerPixelY) : clientSize.height());
    if (w->pos() != at) w->move(at);
    if (w->size() != size) w->resize(size);

    // A window that is still loading is shown by its own show, which may make it modal; one that
    // was on screen comes back without taking the focus.
    if (wasVisible && !w->isVisible()) {
        const bool quiet = w->testAttribute(Qt::WA_ShowWithoutActivating);
        w->setAttribute(Qt::WA_ShowWithoutActivating, true);
        w->show();
        w->setAttribute(Qt::WA_ShowWithoutActivating, quiet);
    }
}

QString stripGeneratorMeta(const QString& html) {
    QString out = html;
    removeTagHolding(out, QStringLiteral("content=\"MSHTML"));
    removeTagHolding(out, QStringLiteral("Content=\"Microsoft DHTML Editing Control"));
    return out;
}

}  // namespace kavrin
