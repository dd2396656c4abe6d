#pragma once
// The table wizard's cells apart from its window: a grid of rows by columns whose cells merge
// into rectangular blocks, and the table written from it.
#include <QString>
#include <QVector>

namespace kavrin {

// The most cells the wizard builds.
constexpr int kWizardMaxCells = 150;

struct WizardCell {
    QString content;
    QString width;
    QString height;
    QString align;
    QString valign;
    QString bgcolor;
    int colspan = 1;
    int rowspan = 1;
    bool heading = false;
};

// The cells, numbered from 1 in row-major order. A merged block keeps its spans on its
// top-left cell, the anchor; the block's other cells are covered and keep spans of 1. Every
// place of the grid belongs to exactly one block, whatever is merged or split.
class WizardGrid {
public:
    // A fresh grid: every cell empty and a block of its own. Counts below 1 give one row or
    // column; a grid is never built bigger than kWizardMaxCells.
    void build(int rows, int cols);
    int rowCount() const { return rows_; }
    int colCount() const { return cols_; }
    int cellCount() const { return int(cells_.size()); }

    WizardCell& cell(int index) { return cells_[index - 1]; }
    const WizardCell& cell(int index) const { return cells_[index - 1]; }
    // True for a cell inside another cell's block (its label is hidden).
    bool isCovered(int index) const { return covered_[index - 1]; }
    // 1-based row and column of a cell.
    int rowOf(int index) const { return (index - 1) / cols_ + 1; }
    int columnOf(int index) const { return (index - 1) % cols_ + 1; }

    // Whether the block anchored at `index` can take in the next column to its right (or the
    // next row below): only when every block it would meet there lies within its rows (or
    // columns) and they are all as wide (or as tall), so the merged block stays a rectangle.
    bool canWiden(int index) const;
    bool canNarrow(int index) const { return cell(index).colspan > 1; }
    bool canDeepen(int index) const;
    bool canShorten(int index) const { return cell(index).rowspan > 1; }

    // Column Span "+" and "-", Row Span "+" and "-" on the block anchored at `index`. Taking
    // in a neighbouring block takes it whole; giving back a column or row frees its cells as
    // blocks of their own. Each does nothing when its test above says no.
    void widen(int index);
    void narrow(int index);
    void deepen(int index);
    void shorten(int index);

private:
    // The anchor of the block that holds the place at 0-based row r and column c.
    int anchorAt(int r, int c) const;
    int indexAt(int r, int c) const { return r * cols_ + c + 1; }
    // The blocks met along a line of places next to a block; with `across` the places run down
    // one column, else along one row. Their anchors, each once; empty when the test fails.
    QVector<int> blocksToTake(int index, bool across) const;
    void take(const QVector<int>& anchors);

    int rows_ = 0;
    int cols_ = 0;
    QVector<WizardCell> cells_;
    QVector<bool> covered_;
};

// The table element's own attributes, as typed on the last page.
struct WizardTable {
    QString align;
    QString valign;
    QString width;
    QString height;
    QString cellpadding;
    QString cellspacing;
    QString frame;
    QString rules;
    QString border;
    QString bgcolor;
    QString caption;
    QString captionAlign;
};

// The start tag and CR LF, followed by the caption element on a line of its own when there is
// a caption text.
QString wizardTableStart(const WizardTable& table);
// The rows and their cells, each cell line indented by `indent`, and "</table>": covered cells
// are not written; a cell's colour gets "#" before three or six hexadecimal digits.
QString wizardTableBody(const WizardGrid& grid, const QString& indent);

}  // namespace kavrin
