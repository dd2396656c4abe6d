#pragma once
// A line much longer than a screen is held in the editor's document as several blocks, its
// pieces, so that an edit lays out only the piece it falls in: Qt lays out a whole block after
// every change of it, shaping every character, which on a line of megabytes costs seconds a key.
// The break between two pieces of one line is soft: a block separator the document has and the
// CR LF text has not. The block after a soft break carries a PieceData that says so; it travels
// with the text as Qt edits it (a block split by a hard break keeps its mark on the first half,
// a removed separator takes the mark of the block after it along).
#include <QString>
#include <QStringView>
#include <QTextBlock>
#include <QTextBlockUserData>

#include <memory>
#include <vector>

#include "platform/richtext/splittext.h"

class QTextCursor;
class QTextDocument;

namespace kavrin {

// Lines up to this long stay one block; a block that grows beyond it is cut.
constexpr int kPieceMax = 4096;
// Cuts aim at pieces of about this length.
constexpr int kPieceTarget = 2048;
// A piece shorter than this joins a neighbour when the two fit in one.
constexpr int kPieceMin = 512;

struct LineGeometry;

// What a block of a cut line knows of itself: whether it continues the block before it, and its
// place in the line's geometry (kept by the layout).
struct PieceData : QTextBlockUserData {
    bool continues = false;
    std::shared_ptr<LineGeometry> line;
    int index = 0;
    // Wrapped: how far across the piece's last row reaches (from the margin), whether its first
    // row goes on in the last row of the piece before, and whether it was laid out after the
    // piece before as that one now stands (else only roughly, for Qt's measures).
    qreal endX = 0;
    bool shares = false;
    bool exact = false;
};

inline PieceData* pieceData(const QTextBlock& b) { return b.isValid() ? static_cast<PieceData*>(b.userData()) : nullptr; }
// Qt keeps a block's data with the block, and the block that goes when a separator is removed
// is the one whose text went too: a removal that starts at a block's start leaves the block
// after it in its place, with that block's mark. The mark of the block at such a place is set
// back to what the separator before it says.
void setContinues(const QTextBlock& b, bool continues);

// Holds the mark of the block that starts at a document position across an edit made there.
class KeepMark {
public:
    // `pieces`: the document holds a cut line (without one there is no mark to keep).
    KeepMark(const QTextDocument* doc, int position, bool pieces = true);
    void restore() const;

private:
    const QTextDocument* doc_;
    int position_;
    bool starts_ = false;
    bool continues_ = false;
};

// Whether a soft break stands before the block.
inline bool continuesLine(const QTextBlock& b) {
    const PieceData* d = pieceData(b);
    return d && d->continues;
}
// Whether the block is one piece of a cut line.
inline bool isPiece(const QTextBlock& b) { return continuesLine(b) || continuesLine(b.next()); }
// The first and the last block of the line that holds `b`.
QTextBlock lineFirstBlock(QTextBlock b);
QTextBlock lineLastBlock(QTextBlock b);

// Where a line's text of `length` characters (no line breaks) is cut: offsets from its start,
// rising, each piece at most kPieceMax long. A cut goes after a blank or a ">" near the aim
// where there is one, and never inside a surrogate pair or before a combining mark.
std::vector<qsizetype> pieceCuts(QStringView text);

// The document positions of the soft breaks (each the separator's own position), kept in order
// as the document changes, and the mapping between CR LF offsets, document positions and lines
// that they make.
class SoftBreaks {
public:
    bool isEmpty() const { return at_.empty(); }
    int count() const { return int(at_.size()); }
    const std::vector<int>& positions() const { return at_; }
    void clear() { at_.clear(); }
    // Reads them all from the document.
    void rebuild(const QTextDocument* doc);
    // Follows a change of the document that Qt reports: [position, position + removed) gave way
    // to `added` characters. `scan`: the added ones may hold soft breaks, to be read from the
    // document (Qt's own edits never make any).
    void update(const QTextDocument* doc, int position, int removed, int added, bool scan);
    // Soft breaks at positions in [from, to).
    int countIn(int from, int to) const;
    bool isSoftAt(int separator) const;

    // The CR LF offset of a document position, and the document position of an offset: where
    // two pieces meet, the start of the later one; the LF of a line break, and anything past
    // the end, fall on the line's end.
    int offsetOf(const QTextDocument* doc, int position) const;
    int positionOf(const QTextDocument* doc, int offset) const;
    // The line (0-based, counting CR LF breaks only) of a position, the first block of a line
    // (invalid past the last), and the number of lines.
    int lineOf(const QTextDocument* doc, int position) const;
    QTextBlock lineStart(const QTextDocument* doc, int line) const;
    int lineCount(const QTextDocument* doc) const;
    // The CR LF offset at which a block starts.
    int blockOffset(const QTextBlock& b) const;
    // ... when its document position is known.
    int blockOffset(const QTextBlock& b, int position) const;

private:
    // The CR LF offset of the block that starts at `position` and has `number`.
    int offsetAt(int position, int number) const;

    std::vector<int> at_;
};

// Maps CR LF offsets to document positions for a run of offsets that mostly rise, walking from
// block to block instead of searching the document for each.
class OffsetWalker {
public:
    OffsetWalker(const QTextDocument* doc, const SoftBreaks& soft);
    int position(int offset);

private:
    void jump(int offset);
    const QTextDocument* doc_;
    const SoftBreaks& soft_;
    QTextBlock block_;
    int blockOffset_ = 0;
    int blockPosition_ = 0;  // the document position of block_
};

// Cuts the blocks that hold document positions [from, to] where they are longer than
// kPieceMax, and joins short pieces there to a neighbour, through `cursor` (inside the caller's
// edit block). True when it changed anything.
bool reshapePieces(QTextCursor& cursor, int from, int to);

}  // namespace kavrin
