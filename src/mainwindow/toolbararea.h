#pragma once
// The toolbar area along the top of the main window: the two main toolbars stacked at the left
// and, right of them, two rows that belong to the active view. In the edit view those rows are
// the tag headers over the tag toolbar they choose; another view shows its own rows instead.
#include <QVector>
#include <QWidget>

class QBoxLayout;
class QHBoxLayout;
class QStackedWidget;
class QVBoxLayout;

namespace kavrin {

class ColorBar;
class Toolbar;

// One drawn header of the tag toolbars: flat while another is chosen, raised while it is the
// chosen one or the pointer is over it.
class TagTab : public QWidget {
    Q_OBJECT
public:
    TagTab(int index, const QString& label, const QString& toolTip, int designedWidth, QWidget* parent = nullptr);

    int index() const { return index_; }
    QString label() const { return label_; }
    // The chosen header is drawn raised whatever the pointer does.
    void setSelected(bool on);
    bool isSelected() const { return selected_; }
    // Raised because the pointer is over it (the hover highlight).
    bool isHot() const { return hot_; }
    bool isRaised() const { return selected_ || hot_; }

signals:
    // Any mouse button went down on the header.
    void MouseDown(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    int index_;
    QString label_;
    bool selected_ = false;
    bool hot_ = false;
};

// What the eight headers say and stand for, by index.
struct TagTabInfo {
    const char* label;
    const char* toolTip;
    int width;  // designed width in pixels; the header grows when its label needs more
};
const QVector<TagTabInfo>& tagTabInfos();

class ToolbarArea : public QWidget {
    Q_OBJECT
public:
    explicit ToolbarArea(QWidget* parent = nullptr);

    // The main toolbars, one above the other at the left.
    void setMainToolbars(QWidget* upper, QWidget* lower);

    // Builds the edit view's rows once: the eight headers, the seven tag toolbars with their
    // buttons (a button whose dialog is still to come disabled) and the colour bar; and, right
    // of whatever rows are shown, level with their second row, the colour buttons (only "color"
    // showing; the design view shows the others). Everything but the headers starts hidden.
    struct TagRowParts {
        QVector<TagTab*> headers;
        QVector<Toolbar*> toolbars;  // headers 0 to 6
        ColorBar* colorBar = nullptr;
        Toolbar* colorButtons = nullptr;
    };
    TagRowParts buildTagRows();

    // The edit view's rows: the header row and, beneath it, the row of tag toolbars (in which
    // only the chosen toolbar is visible).
    QWidget* tagRows() const { return tagRows_; }
    QHBoxLayout* headerRow() const { return headerRow_; }
    QHBoxLayout* toolbarRow() const { return toolbarRow_; }

    // Another view's rows: a widget two rows high (its toolbars and boxes laid out by the view
    // itself: the first row 22 pixels high from 6 pixels down, the second from 30 pixels down),
    // added once. showViewRows puts it in the place of the rows shown now; nullptr brings the
    // edit view's tag rows back. The colour buttons stay beside whichever rows are shown.
    void addViewRows(QWidget* rows);
    void showViewRows(QWidget* rows);
    QWidget* shownViewRows() const;
    // Puts the colour buttons into a view's own row at `index`, or (row nullptr) back beside
    // the rows, where the colour bar has them.
    void holdColorButtons(QBoxLayout* row, int index = 0);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* mainColumn_ = nullptr;
    QVBoxLayout* mainColumnLayout_ = nullptr;
    QWidget* upper_ = nullptr;
    QStackedWidget* views_ = nullptr;
    QWidget* tagRows_ = nullptr;
    QWidget* headerStrip_ = nullptr;
    QHBoxLayout* headerRow_ = nullptr;
    QHBoxLayout* toolbarRow_ = nullptr;
    QVBoxLayout* besideRows_ = nullptr;
    Toolbar* colorButtons_ = nullptr;
    QBoxLayout* colorHolder_ = nullptr;
};

}  // namespace kavrin
