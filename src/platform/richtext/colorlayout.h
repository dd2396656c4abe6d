#pragma once
// Paints the editor's colours into each line's layout as the line is about to be laid out, the
// way a syntax highlighter does: the document itself holds no colours, so a colour change costs
// nothing for lines nobody looks at, and a page opens without a colour touching Qt's text.
// Lines that are not wrapped and are held as several pieces are laid out side by side on one
// row (see linegeometry.h); wrapped, each piece is a block like any other.
#include <QList>
#include <QPlainTextDocumentLayout>
#include <QTextBlock>
#include <QTextLayout>

#include <functional>
#include <memory>
#include <vector>

namespace kavrin {

struct LineGeometry;

class ColorLayout : public QPlainTextDocumentLayout {
    Q_OBJECT
public:
    // Fills the colour ranges of a block, relative to its start.
    using Painter = std::function<void(const QTextBlock& block, QList<QTextLayout::FormatRange>& ranges)>;

    ColorLayout(QTextDocument* doc, Painter painter);
    // Where the caret stands: its block is always laid out when asked for, as Qt reads its
    // lines straight after.
    void setCaret(std::function<int()> caret) { caret_ = std::move(caret); }

    QRectF blockBoundingRect(const QTextBlock& block) const override;
    QSizeF documentSize() const override;

    // Every block is painted again when it is next laid out or shown.
    void invalidateAll() { ++generation_; }
    // The blocks over document positions [from, to] are.
    void invalidate(int from, int to);
    // Paints the block now. Called while the document reports a change of it, before Qt lays it
    // out again, so that it is laid out once and in its colours.
    void paintNow(const QTextBlock& block) const;
    // While the owner has an edit of its own open, blocks are not painted: a painted block tells
    // the document of a change, which would let the pending edit's report go too early.
    void setHeld(bool held) { held_ = held; }
    bool held() const { return held_; }
    // While on, lines not laid out yet stay so and are taken as one line high: a page whose
    // colours are on their way is laid out once, in them, instead of once before and once after.
    void setDeferred(bool deferred);
    bool deferred() const { return deferred_; }

    // Whether the text holds lines in pieces, or did before the change being reported: a
    // change of a text without any lays nothing out side by side.
    void setHasPieces(bool has) { hasPieces_ = has; }
    // On while lines are not wrapped: the pieces of a line then stand side by side.
    void setSideBySide(bool on);
    bool sideBySide() const { return sideBySide_; }
    // The geometry of the line that holds a piece, side by side; null for a line held whole.
    // Held, it stays valid, but laying a piece out may gather the line anew (Qt asks about other
    // pieces while the view follows the new width): what comes after asks again.
    std::shared_ptr<LineGeometry> lineOf(const QTextBlock& block) const;
    // Lays the block out (in its colours) if it is not yet.
    void ensureLaidOut(const QTextBlock& block) const;
    // Where a piece's text starts across its row, the document's margin included.
    qreal pieceX(const QTextBlock& piece) const;
    // The height of the row of a line held in pieces (that of one line of the text's font), and
    // how far its text stands below the top of the block that carries it.
    qreal rowHeight() const;
    qreal rowShift(const QTextBlock& piece) const;
    // Makes the piece that holds a document position carry its row; true when another did.
    bool carry(int position);
    // Wrapped: lays out the pieces of the line of `block` up to it, each going on where the
    // one before ended, where they are not laid out so yet.
    void refreshFlow(const QTextBlock& block) const;
    // Whether a block's last row goes on with the first row of the piece after it.
    bool flowsOn(const QTextBlock& block) const;
    // Gives the pieces over [from, to] (invalid: all) not laid out yet as many rows as their
    // text would fill, in place of Qt's one.
    void estimateRows(QTextBlock from = {}, const QTextBlock& to = {});

signals:
    // A line held in pieces grew or shrank across: the widest line may have changed.
    void widthChanged();

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;

private:
    bool painted(const QTextBlock& block) const { return block.userState() == generation_; }
    bool flowing(const QTextBlock& block) const;
    QRectF flowRect(const QTextBlock& block) const;
    // Lays a wrapped piece out after the piece before, exactly when that one is exact; the pieces
    // after it that stood on its old end are laid out again, `budget` of them, the rest marked.
    void layOutFlowing(const QTextBlock& block, bool exact, int budget) const;
    bool flowExact(const QTextBlock& block) const;
    // After Qt dropped the layouts over [from, to]: the pieces after them no longer stand on
    // what they were laid out after.
    void loosenFlow(QTextBlock from, const QTextBlock& to);
    void sizeChangedLater() const;
    qreal flowWidth() const;
    // Lays out, a slice at a time between events, the wrapped pieces that are not exact, so that
    // the page's rows add up and a jump across it finds them laid out.
    void flowLater() const;
    void flowSome();
    bool holdsCaret(const QTextBlock& block) const;
    QRectF pieceRect(const QTextBlock& block) const;
    void layOutPiece(const QTextBlock& block) const;
    // Gathers again the lines held in pieces from the line of `from` to that of `to`, shows the
    // lines held whole; true when a line count changed.
    bool settleLines(QTextBlock from, QTextBlock to);
    qreal charWidth() const;

    Painter painter_;
    std::function<int()> caret_;
    int generation_ = 1;
    bool held_ = false;
    bool deferred_ = false;
    int changing_ = 0;  // inside documentChanged
    qreal lineHeight_ = 0;
    mutable bool swallow_ = false;
    bool sideBySide_ = false;
    bool hasPieces_ = false;
    int blockCount_ = 1;
    mutable qreal charWidth_ = -1;
    mutable qreal rowHeight_ = -1;
    // The lines gathered, to find the widest.
    mutable std::vector<std::weak_ptr<LineGeometry>> lines_;
    mutable bool sizeChangePending_ = false;
    mutable bool flowPending_ = false;
    int flowScan_ = 0;          // the block number the slices go on from
    bool flowFound_ = false;    // the running pass laid something out
};

}  // namespace kavrin
