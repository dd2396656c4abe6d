#pragma once
// Colours of the editor's text as ranges and as pieces of one colour, and the character format
// that paints each colour. Offsets count a line break as two characters.
#include <QColor>
#include <QHash>
#include <QTextCharFormat>
#include <QVector>

#include <vector>

namespace kavrin {

// A stretch of text to colour: 0-based offset, length, colour (24-bit, red in the low byte).
struct ColorRange {
    int start = 0;
    int length = 0;
    int color = 0;
};

QColor colorToQt(int color);

// One format object per colour, shared by every stretch painted in it.
class FormatCache {
public:
    const QTextCharFormat& operator()(int color);

private:
    QHash<int, QTextCharFormat> formats_;
};

// Consecutive characters of one colour; -1: whatever colour is shown stays.
struct ColorPiece {
    qsizetype length;
    int color;
};
using ColorPieces = std::vector<ColorPiece>;
// Adds a piece, joined to the last one when it has the same colour.
void addPiece(ColorPieces& pieces, qsizetype length, int color);

// The usual pattern of ranges, a stretch reset and then its tags and comments in order over it,
// as one list of colours over [*from, *from + length of the pieces) of a text `textLength`
// long. False when the ranges after the first do not follow each other in order, so that they
// cannot be flattened.
bool flattenRanges(const QVector<ColorRange>& ranges, qsizetype textLength, qsizetype* from, ColorPieces* wanted);

}  // namespace kavrin
