#pragma once
// Where the pieces of a line held as several blocks stand when lines are not wrapped (wrapped,
// see ColorLayout): side by side on one row, each after the one before. Qt places blocks one under another, so the row is
// carried by one piece (visible, one line high) and the others are hidden blocks of no height,
// which Qt's scrolling passes over in one step; the editor paints them in their places. The
// piece that holds the caret carries the row, so that what Qt asks about the caret's block is
// answered by the block itself.
#include <QTextBlock>

#include <memory>
#include <vector>

namespace kavrin {

struct LineGeometry {
    std::vector<int> length;     // characters of each piece, its soft break not counted
    std::vector<qreal> advance;  // how far each piece reaches: laid out, or estimated
    int carrier = 0;

    int pieces() const { return int(length.size()); }
    // Where piece i starts across the row, from the line's start; x(pieces()) is the width.
    qreal x(int i) const;
    qreal width() const { return x(pieces()); }
    // Where piece i starts in the document, from the line's start (a soft break is one place).
    int start(int i) const;
    // The piece at a distance across the row, and the piece holding a place of the document
    // (from the line's start; the place where two meet is the later one's).
    int pieceAtX(qreal x) const;
    int pieceAt(int relative) const;
    // The sums are worked out again when next asked for.
    void touch() { dirty_ = true; }

private:
    void refresh() const;
    mutable std::vector<qreal> x_;
    mutable std::vector<int> start_;
    mutable bool dirty_ = true;
};

// How far a laid-out block reaches across.
qreal laidAdvance(const QTextBlock& block);

// Gathers the line that starts at `first` (held as several blocks) into one geometry that each
// of its blocks points at; unlaid pieces are estimated at `charWidth` a character. The block
// holding document position `caret`, else the one that carried the row, carries it; with
// `hide`, the others are hidden and count no line.
std::shared_ptr<LineGeometry> gatherLine(const QTextBlock& first, int caret, qreal charWidth, bool hide);

// The block of piece i of the line that `piece` belongs to.
QTextBlock pieceBlock(const QTextBlock& piece, int i);
// The document position where the line of `piece` starts.
int lineStartOf(const QTextBlock& piece);

}  // namespace kavrin
