#pragma once
// The colours of the editor's text, kept as the document's character formats: read back as
// pieces of one colour, and set by touching only the characters whose colour differs, so that
// Qt lays out again only what changed. Offsets count a line break as two characters.
#include <QColor>
#include <QHash>
#include <QTextCharFormat>
#include <QVector>

#include <functional>
#include <vector>

class QTextDocument;

namespace kavrin {

// A stretch of text to colour: 0-based offset, length, colour (24-bit, red in the low byte).
struct ColorRange {
    int start = 0;
    int length = 0;
    int color = 0;
};

QColor colorToQt(int color);
// The colour of a format; black when it has none.
int formatColor(const QTextCharFormat& format);

// One format object per colour, so that Qt finds each in its format collection by a cached hash.
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

// The colours shown over [from, to) of the document, as pieces of one colour; `from` and `to`
// lie within its text. Room is made for `expected` pieces at first.
ColorPieces shownPieces(const QTextDocument* doc, qsizetype from, qsizetype to, qsizetype expected = 0);

// Where `wanted` differs from `shown` (both from offset `from`), the ranges to set.
QVector<ColorRange> colorChanges(const ColorPieces& shown, const ColorPieces& wanted, qsizetype from);

// Sets the ranges' colours, later ones over earlier ones, in one edit block of the document
// (an outer one, when open, takes them in too); `done` is told how many are set as they go.
void setColorRanges(QTextDocument* doc, const QVector<ColorRange>& ranges, FormatCache& formats,
                    const std::function<void(qsizetype done)>& done = {});

}  // namespace kavrin
