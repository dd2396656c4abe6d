#include "platform/colorlayout.h"

#include <QFontMetricsF>
#include <QTextBlock>
#include <QTextDocument>

namespace kavrin {

ColorLayout::ColorLayout(QTextDocument* doc, Painter painter)
    : QPlainTextDocumentLayout(doc), painter_(std::move(painter)) {}

bool ColorLayout::holdsCaret(const QTextBlock& block) const {
    if (!caret_) return false;
    const int at = caret_();
    return at >= block.position() && at < block.position() + block.length();
}

QRectF ColorLayout::blockBoundingRect(const QTextBlock& block) const {
    if (deferred_ && block.isValid() && block.layout()->lineCount() == 0 && !holdsCaret(block))
        return QRectF(0, 0, 1, lineHeight_);
    if (block.isValid() && !held_ && !painted(block)) {
        // Qt asks for a changed line's rectangle as it was before laying it out again: painted
        // now, the line keeps that rectangle and is laid out once, by Qt, and only it is drawn
        // again when its height stays.
        if (changing_ > 0 && block.layout()->lineCount() > 0) {
            const QRectF before = QPlainTextDocumentLayout::blockBoundingRect(block);
            paintNow(block);
            return before;
        }
        paintNow(block);
    }
    return QPlainTextDocumentLayout::blockBoundingRect(block);
}

void ColorLayout::setDeferred(bool deferred) {
    deferred_ = deferred;
    lineHeight_ = QFontMetricsF(document()->defaultFont()).height();
}

void ColorLayout::invalidate(int from, int to) {
    for (QTextBlock b = document()->findBlock(from); b.isValid() && b.position() <= to; b = b.next())
        b.setUserState(-1);
}

void ColorLayout::paintNow(const QTextBlock& block) const {
    QTextBlock b = block;
    // Marked first: laying the block out asks for its rectangle, which must not paint it again.
    b.setUserState(generation_);
    QList<QTextLayout::FormatRange> ranges;
    painter_(block, ranges);
    QTextLayout* layout = block.layout();
    if (ranges == layout->formats()) return;
    // New formats drop the block's lines, so Qt lays it out again when it next needs it. Setting
    // them also notes a change of the block with the document, which would be reported with the
    // next edit and stretch it over this block: it is handed in here and dropped, as the block
    // is laid out anew anyway. While the document reports a change it just joins that change.
    layout->setFormats(ranges);
    swallow_ = true;
    document()->markContentsDirty(block.position(), block.length());
    swallow_ = false;
}

void ColorLayout::documentChanged(int from, int charsRemoved, int charsAdded) {
    if (swallow_) return;
    ++changing_;
    QPlainTextDocumentLayout::documentChanged(from, charsRemoved, charsAdded);
    --changing_;
}

}  // namespace kavrin
