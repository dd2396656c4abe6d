#pragma once
// Paints the editor's colours into each line's layout as the line is about to be laid out, the
// way a syntax highlighter does: the document itself holds no colours, so a colour change costs
// nothing for lines nobody looks at, and a page opens without a colour touching Qt's text.
#include <QList>
#include <QPlainTextDocumentLayout>
#include <QTextBlock>
#include <QTextLayout>

#include <functional>

namespace kavrin {

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

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;

private:
    bool painted(const QTextBlock& block) const { return block.userState() == generation_; }

    bool holdsCaret(const QTextBlock& block) const;

    Painter painter_;
    std::function<int()> caret_;
    int generation_ = 1;
    bool held_ = false;
    bool deferred_ = false;
    int changing_ = 0;  // inside documentChanged
    qreal lineHeight_ = 0;
    mutable bool swallow_ = false;
};

}  // namespace kavrin
