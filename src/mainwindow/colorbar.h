#pragma once
// The colour bar: sixteen fixed colour squares and ten custom ones that the user defines.
// Colours are 24-bit values with red in the low byte.
#include <QVector>
#include <QWidget>

namespace kavrin {

// One square of the bar.
class ColorSwatch : public QWidget {
    Q_OBJECT
public:
    ColorSwatch(int index, QWidget* parent = nullptr);
    int index() const { return index_; }
    // The square's colour; negative: the window background (a custom square not yet defined).
    int backColor() const { return color_; }
    void setBackColor(int color);

signals:
    // A mouse button was released over the square (1 left, 2 right, 4 middle).
    void MouseUp(int index, int button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int index_;
    int color_ = -1;
};

class ColorBar : public QWidget {
    Q_OBJECT
public:
    explicit ColorBar(QWidget* parent = nullptr);

    QVector<ColorSwatch*> lblColor;        // 0 to 15, the fixed colours
    QVector<ColorSwatch*> lblCustomColor;  // 0 to 9, the user's own

    // The colour of fixed square i (0 to 15): black, maroon, green, olive, navy, purple, teal,
    // grey, silver, red, lime, yellow, blue, fuchsia, aqua, white.
    static int fixedColor(int index);

signals:
    void lblColor_Click(int index);
    void lblCustomColor_MouseUp(int index, int button);

protected:
    // The squares stay in the middle of the bar's height.
    void resizeEvent(QResizeEvent* event) override;
};

}  // namespace kavrin
