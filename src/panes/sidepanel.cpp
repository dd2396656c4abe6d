#include "panes/sidepanel.h"

#include <QMouseEvent>
#include <QPainter>

#include "panes/panetree.h"
#include "platform/system/screen.h"

namespace kavrin {

namespace {
QRect box(int left, int top, int width, int height) {
    return QRect(left, top, std::max(0, width), std::max(0, height));
}
}  // namespace

PanelGeometry layoutPanel(int w, int h, int hSplitterTop, int selectedTab, int txtProjectsHeight,
                          QSize projectToolbarSize) {
    PanelGeometry g;
    g.tbsMain = box(2, 3, w - 8, h - 3);
    g.picSplitter = box(w - 6, 2, 6, h - 4);
    // Raised to its lowest place first, then lowered to its highest: a short panel ends at the
    // highest place even where that is above the lowest.
    const int limit = twipsToPixels(900);
    int top = hSplitterTop;
    if (top < limit) top = limit;
    if (top > h - limit) top = h - limit;
    g.picHSplitter = box(6, top, w - 17, 6);
    g.lstProjects = box(5, 56, w - 15, h - 60);
    if (pixelsToTwips(h) > 1700) {
        const int textWidth = w - projectToolbarSize.width() - 19;
        g.txtProjects = box(6, 29, textWidth, txtProjectsHeight);
        g.picProjectTbr = QRect(QPoint(std::max(0, textWidth) + 10, 27), projectToolbarSize);
        g.picProjectTbrVisible = selectedTab == 4;
    } else {
        g.txtProjects = box(6, 29, w - 17, txtProjectsHeight);
        g.picProjectTbr = QRect(QPoint(0, 27), projectToolbarSize);
        g.picProjectTbrVisible = false;
    }
    const int treeHeight = top - 29;
    g.treMain = box(6, 29, w - 17, treeHeight);
    g.filList = box(5, top + 5, w - 15, h - std::max(0, treeHeight) - 38);
    g.treTags = box(6, 29, w - 17, h - 34);
    return g;
}

SidePanel::SidePanel(QWidget* parent) : QWidget(parent) {}

void SidePanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (onResize) onResize();
}

SplitterBar::SplitterBar(Qt::Orientation orientation, QWidget* parent) : QWidget(parent) {
    setCursor(orientation == Qt::Horizontal ? Qt::SplitVCursor : Qt::SplitHCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void SplitterBar::setBackColor(const QColor& color) {
    back_ = color;
    update();
}

void SplitterBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), back_);
}

void SplitterBar::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (onMouseDown) onMouseDown(vbButton(event->button()), vbShift(event->modifiers()), at.x(), at.y());
}

void SplitterBar::mouseMoveEvent(QMouseEvent* event) {
    int buttons = 0;
    if (event->buttons() & Qt::LeftButton) buttons |= 1;
    if (event->buttons() & Qt::RightButton) buttons |= 2;
    if (event->buttons() & Qt::MiddleButton) buttons |= 4;
    const QPoint at = event->position().toPoint();
    if (onMouseMove) onMouseMove(buttons, vbShift(event->modifiers()), at.x(), at.y());
}

void SplitterBar::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (onMouseUp) onMouseUp(vbButton(event->button()), vbShift(event->modifiers()), at.x(), at.y());
}

}  // namespace kavrin
