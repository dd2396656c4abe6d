#pragma once
// "Quick Table": a small pop-up grid of 15 by 15 cells. Moving the pointer over it marks a block
// from the top left corner and shows its size in the caption; releasing a button on a cell puts
// an empty table of that size in front of the selection and closes the grid. Any other place
// that takes the focus closes it without inserting.
#include <QCheckBox>
#include <QLabel>
#include <QString>
#include <QVector>

#include "platform/forms/form.h"

namespace kavrin {

// The text of a table of rows by cols empty cells, each cell on a line of its own after the
// indent; labelled cells hold "Cell " and their row and column ("Cell 2,3").
QString quickTableHtml(int rows, int cols, bool labelCells, const QString& indent);

// The 225 cells, drawn in one widget; cell k is row k / 15 + 1, column k % 15 + 1.
class QuickTableGrid : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCells = 15;
    explicit QuickTableGrid(QWidget* parent = nullptr);

    // Cell under a point of the grid, or -1.
    int cellAt(const QPoint& point) const;
    // Centre of cell k, in the grid's pixels.
    QPoint cellCenter(int k) const;
    // -1 is the window background the cells start with.
    int cellColor(int k) const { return colors_.value(k, -1); }
    void setCellColor(int k, int color);
    void resetColors();

signals:
    void lblCell_MouseMove(int k);
    void lblCell_MouseUp(int k);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QVector<int> colors_;
};

class frmQuickTable : public Form {
    Q_OBJECT
public:
    explicit frmQuickTable(QWidget* parent = nullptr);

    QuickTableGrid* lblCell = nullptr;
    QCheckBox* chkLabelCells = nullptr;
    // The pop-up has no title bar: this strip shows its caption (the size of the block).
    QLabel* lblCaption = nullptr;

    // Rows and columns of the marked block, 1 to 15.
    int quickRows = 1;
    int quickCols = 1;
    int lastCellIndex = -1;

    void lblCell_MouseMove(int k);
    void lblCell_MouseUp(int k);

    // The two colours the block is drawn with (red in the low byte).
    static constexpr int kMarked = 0x800000;  // dark blue
    static constexpr int kUnmarked = 0xFFFFFF;

protected:
    void Form_Load() override;
    void Form_Unload(int& cancel) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Something outside the grid took the focus.
    void focusLeft(QWidget* now);
    bool inserting_ = false;
};

}  // namespace kavrin
