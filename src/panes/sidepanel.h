#pragma once
// The side panel of the main window and its two splitters, and where the panel puts its panes.
#include <QColor>
#include <QRect>
#include <QWidget>
#include <functional>

namespace kavrin {

// Where the panes of a panel W x H pixels go, with the horizontal splitter asked at top
// `hSplitterTop` (pixels) and tab `selectedTab` (1 to 4) chosen. Sizes that would come out
// negative are 0.
struct PanelGeometry {
    QRect tbsMain;
    QRect picSplitter;
    QRect picHSplitter;
    QRect lstProjects;
    QRect txtProjects;
    QRect picProjectTbr;
    bool picProjectTbrVisible = false;
    QRect treMain;
    QRect filList;
    QRect treTags;  // treScript takes the same
};
PanelGeometry layoutPanel(int width, int height, int hSplitterTop, int selectedTab, int txtProjectsHeight,
                          QSize projectToolbarSize);

// The panel: a plain area that tells its owner when its size changed.
class SidePanel : public QWidget {
    Q_OBJECT
public:
    explicit SidePanel(QWidget* parent = nullptr);
    std::function<void()> onResize;

protected:
    void resizeEvent(QResizeEvent* event) override;
};

// A splitter strip: a coloured bar that reports mouse events in its own pixels.
class SplitterBar : public QWidget {
    Q_OBJECT
public:
    SplitterBar(Qt::Orientation orientation, QWidget* parent = nullptr);

    QColor backColor() const { return back_; }
    void setBackColor(const QColor& color);

    // Button codes 1 left, 2 right, 4 middle; for a move the buttons held.
    std::function<void(int button, int shift, int x, int y)> onMouseDown;
    std::function<void(int button, int shift, int x, int y)> onMouseMove;
    std::function<void(int button, int shift, int x, int y)> onMouseUp;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QColor back_{0xC0, 0xC0, 0xC0};
};

}  // namespace kavrin
