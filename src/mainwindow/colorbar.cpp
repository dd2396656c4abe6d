#include "mainwindow/colorbar.h"

#include <QMouseEvent>
#include <QPainter>

namespace kavrin {

namespace {

constexpr int kSquare = 12;      // pixels
constexpr int kPitch = 14;       // from one square's left edge to the next
constexpr int kCustomLeft = 230;  // the custom squares stand apart from the fixed ones
constexpr int kBarWidth = 369;

QColor toQColor(int color) { return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF); }

int buttonCode(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
    }
}

}  // namespace

ColorSwatch::ColorSwatch(int index, QWidget* parent) : QWidget(parent), index_(index) {
    setFixedSize(kSquare, kSquare);
    setCursor(Qt::PointingHandCursor);
}

void ColorSwatch::setBackColor(int color) {
    color_ = color < 0 ? -1 : (color & 0xFFFFFF);
    update();
}

void ColorSwatch::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), color_ < 0 ? palette().color(QPalette::Base) : toQColor(color_));
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void ColorSwatch::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    // Released elsewhere after pressing here is no click on the square.
    if (!rect().contains(event->position().toPoint())) return;
    emit MouseUp(index_, buttonCode(event->button()));
}

int ColorBar::fixedColor(int index) {
    // #RRGGBB of the sixteen, turned into values with red in the low byte below.
    static const int rgb[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0x808080,
                                0xC0C0C0, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    if (index < 0 || index > 15) return 0;
    const int v = rgb[index];
    return ((v >> 16) & 0xFF) | (v & 0xFF00) | ((v & 0xFF) << 16);
}

ColorBar::ColorBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("picColor"));
    setFixedSize(kBarWidth, 24);
    for (int i = 0; i < 16; ++i) {
        auto* square = new ColorSwatch(i, this);
        square->setObjectName(QStringLiteral("lblColor"));
        square->setToolTip(QStringLiteral("Windows 16 Color Palette"));
        square->setBackColor(fixedColor(i));
        connect(square, &ColorSwatch::MouseUp, this, [this](int index, int button) {
            if (button == 1) emit lblColor_Click(index);
        });
        lblColor << square;
    }
    for (int i = 0; i < 10; ++i) {
        auto* square = new ColorSwatch(i, this);
        square->setObjectName(QStringLiteral("lblCustomColor"));
        square->setToolTip(QStringLiteral("Custom Color Palette"));
        connect(square, &ColorSwatch::MouseUp, this, &ColorBar::lblCustomColor_MouseUp);
        lblCustomColor << square;
    }
}

void ColorBar::resizeEvent(QResizeEvent*) {
    const int top = (height() - kSquare) / 2;
    for (ColorSwatch* square : lblColor) square->move(2 + square->index() * kPitch, top);
    for (ColorSwatch* square : lblCustomColor) square->move(2 + kCustomLeft + square->index() * kPitch, top);
}

}  // namespace kavrin
