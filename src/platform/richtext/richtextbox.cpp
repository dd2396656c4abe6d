#include "platform/richtext/richtextbox.h"

#include "platform/richtext/colorlayout.h"

#include <QScrollBar>

#include <QAbstractTextDocumentLayout>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QFocusEvent>
#include <QIODevice>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include <algorithm>
#include <cstring>
#include <functional>
#include <utility>
#include <vector>

namespace kavrin {

// Holds back Change and SelChange while an operation or a Qt event is under way and sends each
// at most once when it ends. An inner operation (a handler editing during a key event) sends
// its own and leaves the outer one's state as it was.
class RichTextBoxScope {
public:
    explicit RichTextBoxScope(RichTextBox* box)
        : box_(box), outerChange_(box->pendingChange_), outerSel_(box->pendingSel_) {
        box->pendingChange_ = false;
        box->pendingSel_ = false;
        ++box->scopeDepth_;
    }
    ~RichTextBoxScope() {
        if (!box_) return;
        RichTextBox* box = box_;
        --box->scopeDepth_;
        // Pieces are cut and joined once the operation is over, before anyone hears of it.
        if (box->scopeDepth_ == 0) box->reshapeNoted();
        const bool change = box->pendingChange_;
        const bool sel = box->pendingSel_;
        box->pendingChange_ = outerChange_;
        box->pendingSel_ = outerSel_;
        // Flags from before the scope whose queued delivery ran meanwhile must not be lost.
        if (box->scopeDepth_ == 0 && (outerChange_ || outerSel_)) box->scheduleFlush();
        if (change) emit box->Change();
        if (sel && box_) emit box_->SelChange();
    }
    RichTextBoxScope(const RichTextBoxScope&) = delete;
    RichTextBoxScope& operator=(const RichTextBoxScope&) = delete;

private:
    QPointer<RichTextBox> box_;
    bool outerChange_;
    bool outerSel_;
};

// Reports the work of a long loop through Working: at every hundredth of it at most, and once
// at its end when it reported anything before.
class WorkReport {
public:
    WorkReport(RichTextBox* box, qint64 total) : box_(box), total_(total), step_(qMax<qint64>(1, total / 100)), next_(step_) {}
    ~WorkReport() {
        if (sent_ && box_) emit box_->Working(total_, total_);
    }
    WorkReport(const WorkReport&) = delete;
    WorkReport& operator=(const WorkReport&) = delete;
    void at(qint64 done) {
        if (done < next_ || done >= total_ || !box_) return;
        next_ = done + step_;
        sent_ = true;
        emit box_->Working(done, total_);
    }

private:
    QPointer<RichTextBox> box_;
    qint64 total_, step_, next_;
    bool sent_ = false;
};

namespace {

using RunSink = ColorRunSink;

int buttonCode(Qt::MouseButton b) {
    switch (b) {
    case Qt::LeftButton: return vbLeftButton;
    case Qt::RightButton: return vbRightButton;
    case Qt::MiddleButton: return vbMiddleButton;
    default: return 0;
    }
}

bool isWordChar(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

// The character a key types, as a KeyPress receives it; 0 for keys that type nothing.
int keyAsciiOf(const QKeyEvent* e) {
    const Qt::KeyboardModifiers mods = e->modifiers();
    const bool ctrl = mods & Qt::ControlModifier, alt = mods & Qt::AltModifier;
    if (alt && !ctrl) return 0;  // menu mnemonics
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 9;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Delete: return 0;
    default: break;
    }
    if (ctrl && !alt) {
        if (e->key() >= Qt::Key_A && e->key() <= Qt::Key_Z) return e->key() - Qt::Key_A + 1;
        return 0;
    }
    const QString t = e->text();
    if (t.isEmpty()) return 0;
    const QList<uint> ucs = t.toUcs4();
    if (ucs.isEmpty() || ucs[0] < 32 || ucs[0] == 127) return 0;
    return int(ucs[0]);
}

}  // namespace

// ---------------------------------------------------------------------------------------------

// While an edit of the box's own is open, Qt is not asked to paint colours into its lines.
class HoldPainting {
public:
    explicit HoldPainting(ColorLayout* layout) : layout_(layout), was_(layout->held()) { layout->setHeld(true); }
    ~HoldPainting() { release(); }
    HoldPainting(const HoldPainting&) = delete;
    HoldPainting& operator=(const HoldPainting&) = delete;
    // Called before the edit block ends, so that the lines it changed are painted as Qt lays
    // them out.
    void release() {
        if (layout_) layout_->setHeld(was_);
        layout_ = nullptr;
    }

private:
    ColorLayout* layout_;
    bool was_;
};

RichTextBox::RichTextBox(QWidget* parent) : QPlainTextEdit(parent) {
    auto* doc = new QTextDocument(this);
    layout_ = new ColorLayout(doc, [this](const QTextBlock& b, QList<QTextLayout::FormatRange>& ranges) { paintBlock(b, ranges); });
    layout_->setCaret([this] { return textCursor().position(); });
    doc->setDocumentLayout(layout_);
    setDocument(doc);
    // Every edit goes through the program's own undo history.
    setUndoRedoEnabled(false);
    document()->setUndoRedoEnabled(false);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setAcceptDrops(true);
    // The colour settings are chosen for dark text on white, whatever the desktop theme.
    QPalette pal = palette();
    pal.setColor(QPalette::Base, Qt::white);
    pal.setColor(QPalette::Text, Qt::black);
    setPalette(pal);
    connect(document(), &QTextDocument::contentsChange, this, &RichTextBox::onContentsChange);
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, &RichTextBox::noteSelChange);
    // A typing colour holds while the caret stays where it was set, as Qt's own does.
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, [this] {
        if (!reshaping_ && textCursor().position() != typingPosition_) typingColor_ = -1;
        // Moved by Qt: the piece the caret came to carries its row from now on.
        if (!reshaping_ && layout_->carry(textCursor().position())) carryCaret();
        if (!movingUpDown_) goalX_ = -1;
        followCaret_ = false;
    });
    // A line held in pieces reaches further or less far: the horizontal scroll range follows at
    // once, so that the caret can be scrolled to, without Qt walking the whole document to set
    // both ranges again at every key; while painting, once it is done.
    connect(layout_, &ColorLayout::widthChanged, this, [this] {
        if (painting_) {
            QMetaObject::invokeMethod(layout_, &ColorLayout::widthChanged, Qt::QueuedConnection);
            return;
        }
        if (lineWrapMode() != QPlainTextEdit::NoWrap) return;
        horizontalScrollBar()->setRange(0, qMax(0, int(layout_->documentSize().width()) - viewport()->width()));
    });
    // The rows of wrapped pieces are first estimated, then counted between events: each count
    // moves what a row number of the scroll bar stands for.
    connect(verticalScrollBar(), &QScrollBar::rangeChanged, this, [this] {
        if (followCaret_ && lineWrapMode() != QPlainTextEdit::NoWrap) ensureCursorVisible();
    });
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, [this] { followCaret_ = false; });
    autoScroll_ = new QTimer(this);
    connect(autoScroll_, &QTimer::timeout, this, &RichTextBox::autoScroll);
    connect(this, &QPlainTextEdit::selectionChanged, this, &RichTextBox::noteSelChange);
}

// --- text cache ------------------------------------------------------------------------------

bool RichTextBox::cacheConsistent() const {
    const QTextDocument* doc = document();
    return textLength() == qsizetype(doc->characterCount() - 1) + (doc->blockCount() - 1) - 2 * soft_.count();
}

void RichTextBox::rebuildCache() {
    soft_.rebuild(document());
    store_.setFromDocument(document()->toRawText(), document()->blockCount(), soft_.positions());
}

void RichTextBox::setCache(QString text) { store_.set(std::move(text)); }

void RichTextBox::onContentsChange(int position, int removed, int added) {
    QTextDocument* doc = document();
    // The separator before the change is untouched: the block after it continues a line as
    // before, whichever of Qt's blocks now stands there.
    // (With no cut line anywhere there is no mark to set.)
    if (!soft_.isEmpty() || marksMade_) {
        const QTextBlock at = doc->findBlock(position);
        if (at.position() == position) setContinues(at, position > 0 && soft_.isSoftAt(position - 1));
    }
    // Which separators of the removed stretch joined pieces, before the list follows the change.
    std::vector<int> softGone;
    for (int at : soft_.positions()) {
        if (at >= position + removed) break;
        if (at >= position) softGone.push_back(at);
    }
    const bool hadPieces = !soft_.isEmpty();
    soft_.update(doc, position, removed, added, marksMade_ || !softGone.empty());
    marksMade_ = false;
    layout_->setHasPieces(hadPieces || !soft_.isEmpty());
    notePieces(position, position + added);
    if (bulk_) return;
    const int docLen = doc->characterCount() - 1;
    bool changed = true;
    // The counts Qt reports are not always the text's own (format changes report removed ==
    // added, a first fill may count the final separator): anything that does not add up is
    // settled by a full rebuild.
    bool ok = position >= 0 && removed >= 0 && added >= 0 && position + added <= docLen;
    if (ok) {
        // The text before `position` is untouched, so its line breaks can be counted now.
        const qsizetype start = soft_.offsetOf(doc, position);
        const SplitText cache = textParts();
        const qsizetype len = cache.size();
        qsizetype end = start;
        ok = start <= len;
        auto gone = softGone.begin();
        for (int k = 0; ok && k < removed; ++k) {
            // A soft break took no room in the text.
            if (gone != softGone.end() && *gone == position + k) {
                ++gone;
                continue;
            }
            if (end >= len) {
                ok = false;
                break;
            }
            end += (cache[end] == u'\r' && end + 1 < len && cache[end + 1] == u'\n') ? 2 : 1;
        }
        if (ok) {
            QString addedText;
            if (added > 0) {
                QTextCursor c(doc);
                c.setPosition(position);
                c.setPosition(position + added, QTextCursor::KeepAnchor);
                const QString raw = c.selectedText();
                addedText.reserve(raw.size() + 16);
                appendCrlf(&addedText, raw, &soft_.positions(), position);
            }
            // Colours alone, or pieces cut or joined, leave the text as it was.
            if (end - start == addedText.size() && cache.matches(start, addedText)) {
                changed = false;
            } else {
                noteChange(cache, start, end, addedText.size());
                spliceColors(start, end - start, addedText.size());
                store_.splice(start, end - start, addedText);
            }
            ok = cacheConsistent();
        }
    }
    if (!ok) {
        const QString before = text();
        rebuildCache();
        const QString& now = store_.text();
        changed = before != now;
        // The colours follow the text, whatever of this change was spliced into them above.
        if (colors_.length() != before.size()) colors_.splice(0, colors_.length(), before.size(), headColor_);
        if (changed) {
            // The changed span is what lies between the common start and the common end.
            const qsizetype shorter = qMin(before.size(), now.size());
            qsizetype head = 0;
            while (head < shorter && before[head] == now[head]) ++head;
            qsizetype tail = 0;
            while (tail < shorter - head && before[before.size() - 1 - tail] == now[now.size() - 1 - tail]) ++tail;
            noteChange(before, head, before.size() - tail, now.size() - tail - head);
            spliceColors(head, before.size() - tail - head, now.size() - tail - head);
        }
        layout_->invalidateAll();
    }
    if (!changed) return;
    repaintChanged(position, added);
    pendingChange_ = true;
    if (scopeDepth_ == 0) scheduleFlush();
}

// --- pieces --------------------------------------------------------------------------------------

void RichTextBox::notePieces(int from, int to) {
    const QTextDocument* doc = document();
    // Typing in an ordinary line looks at one block and moves on.
    const QTextBlock first = doc->findBlock(from);
    if (to < first.position() + first.length() && first.length() <= kPieceMax + 1 && !isPiece(first)) return;
    reshapeFrom_ = reshapeFrom_ < 0 ? from : qMin(reshapeFrom_, from);
    reshapeTo_ = qMax(reshapeTo_, to);
}

void RichTextBox::reshapeNow(int from, int to) {
    QTextCursor c(document());
    marksMade_ = true;
    reshapePieces(c, from, to);
}

void RichTextBox::reshapeNoted() {
    if (reshapeFrom_ < 0 || reshaping_) return;
    const int from = reshapeFrom_, to = reshapeTo_;
    reshapeFrom_ = reshapeTo_ = -1;
    reshaping_ = true;
    const int typing = typingPosition_;
    const int caret = textCursor().position();
    HoldPainting hold(layout_);
    QTextCursor c(document());
    c.beginEditBlock();
    marksMade_ = true;
    reshapePieces(c, from, to);
    hold.release();
    c.endEditBlock();
    marksMade_ = false;
    // The caret moved with the separators before it; a typing colour set where it stood holds.
    if (typing >= 0 && typing == caret) typingPosition_ = textCursor().position();
    reshaping_ = false;
}

void RichTextBox::noteChange(const QString& before, qsizetype start, qsizetype end, qsizetype inserted) {
    // A whole text replaced is kept without a copy.
    if (change_.isEmpty() && start == 0 && end == before.size()) {
        change_ = TextChange{0, before, int(inserted)};
        return;
    }
    noteChange(SplitText(before), start, end, inserted);
}

void RichTextBox::noteChange(const SplitText& before, qsizetype start, qsizetype end, qsizetype inserted) {
    if (change_.isEmpty()) {
        change_.start = int(start);
        change_.removed = before.mid(start, end - start);
        change_.inserted = int(inserted);
        return;
    }
    // The two spans merge into one: what the earlier edit left at [ps, ps + pi) is, before it,
    // its own removed text.
    const qsizetype ps = change_.start, pi = change_.inserted;
    const qsizetype lo = qMin(ps, start);
    const qsizetype hi = qMax(ps + pi, end);
    QString removed;
    removed.reserve((ps - lo) + change_.removed.size() + (hi - (ps + pi)));
    before.appendTo(&removed, lo, ps - lo);
    removed.append(change_.removed);
    before.appendTo(&removed, ps + pi, hi - (ps + pi));
    change_.start = int(lo);
    change_.removed = std::move(removed);
    change_.inserted = int(hi - lo - (end - start) + inserted);
}

TextChange RichTextBox::takeChange() { return std::exchange(change_, TextChange{}); }

void RichTextBox::noteSelChange() {
    // Pieces cut or joined before the caret move it in the document, not in the text.
    if (reshaping_) return;
    pendingSel_ = true;
    if (scopeDepth_ == 0) scheduleFlush();
}

void RichTextBox::scheduleFlush() {
    if (flushQueued_) return;
    flushQueued_ = true;
    QMetaObject::invokeMethod(this, &RichTextBox::flushPending, Qt::QueuedConnection);
}

void RichTextBox::flushPending() {
    flushQueued_ = false;
    if (scopeDepth_ > 0) return;  // the running scope sends them
    reshapeNoted();
    const bool change = pendingChange_, sel = pendingSel_;
    pendingChange_ = pendingSel_ = false;
    QPointer<RichTextBox> alive(this);
    if (change) emit Change();
    if (sel && alive) emit SelChange();
}

// --- offsets -------------------------------------------------------------------------------

int RichTextBox::toOffset(int position) const { return soft_.offsetOf(document(), position); }

int RichTextBox::toPosition(int offset) const { return soft_.positionOf(document(), offset); }

// --- selection -----------------------------------------------------------------------------

int RichTextBox::selStart() const { return toOffset(textCursor().selectionStart()); }

int RichTextBox::selLength() const {
    const QTextCursor c = textCursor();
    if (!c.hasSelection()) return 0;
    return toOffset(c.selectionEnd()) - toOffset(c.selectionStart());
}

void RichTextBox::setSelStart(int offset) {
    RichTextBoxScope scope(this);
    QTextCursor c = textCursor();
    c.setPosition(toPosition(offset));
    placeCursor(c);
}

void RichTextBox::setSelLength(int length) {
    RichTextBoxScope scope(this);
    const int start = selStart();
    QTextCursor c = textCursor();
    c.setPosition(toPosition(start));
    c.setPosition(toPosition(start + qMax(0, length)), QTextCursor::KeepAnchor);
    placeCursor(c);
}

void RichTextBox::select(int start, int length) {
    RichTextBoxScope scope(this);
    QTextCursor c = textCursor();
    start = qBound(0, start, textLength());
    c.setPosition(toPosition(start));
    c.setPosition(toPosition(start + qMax(0, length)), QTextCursor::KeepAnchor);
    placeCursor(c);
}

QString RichTextBox::selText() const {
    const QTextCursor c = textCursor();
    if (!c.hasSelection()) return {};
    const int from = toOffset(c.selectionStart());
    return textMid(from, toOffset(c.selectionEnd()) - from);
}

// --- colours ------------------------------------------------------------------------------

int RichTextBox::caretColorAt(int position) const {
    const QTextDocument* doc = document();
    position = qBound(0, position, doc->characterCount() - 1);
    const QTextBlock b = doc->findBlock(position);
    const int start = b.position();
    const qsizetype offset = soft_.blockOffset(b, start) + (position - start);
    // At the start of a line that has text, the caret takes its first character's colour.
    if (position == start && b.length() > 1 && !continuesLine(b)) return colors_.at(offset);
    if (offset == 0) return headColor_;
    return colors_.at(offset - 1);  // at a line's start: the colour of the break before it
}

int RichTextBox::cursorColor(const QTextCursor& c) const {
    if (typingColor_ >= 0 && c.position() == typingPosition_) return typingColor_;
    return caretColorAt(c.position());
}

int RichTextBox::colorAt(int offset) const {
    if (offset >= 0 && offset < textLength()) return colors_.at(offset);
    return caretColorAt(toPosition(offset));
}

int RichTextBox::selColor() const {
    const QTextCursor c = textCursor();
    if (!c.hasSelection()) return cursorColor(c);
    return colorAt(toOffset(c.selectionStart()));
}

void RichTextBox::setSelColor(int color) {
    const QTextCursor c = textCursor();
    if (!c.hasSelection()) {
        // The typing colour: no change to the text, so no Change.
        typingColor_ = color;
        typingPosition_ = c.position();
        return;
    }
    const int from = toOffset(c.selectionStart());
    colorsChanged(colors_.fill(from, toOffset(c.selectionEnd()), color));
}

void RichTextBox::setRangeColor(int start, int length, int color) { setRangeColors({ColorRange{start, length, color}}); }

void RichTextBox::setRangeColors(const QVector<ColorRange>& ranges) {
    if (ranges.isEmpty()) return;
    const qsizetype len = textLength();
    qsizetype from = 0;
    ColorPieces wanted;
    if (flattenRanges(ranges, len, &from, &wanted)) {
        applyPieces(from, wanted);
        return;
    }
    // Later ranges over earlier ones, set one by one.
    qsizetype lo = len, hi = 0;
    for (const ColorRange& r : ranges) {
        const ColorStore::Span s = colors_.fill(r.start, qMin<qsizetype>(len, qsizetype(r.start) + qMax(0, r.length)), r.color);
        if (s.second <= s.first) continue;
        lo = qMin(lo, s.first);
        hi = qMax(hi, s.second);
    }
    colorsChanged({lo, hi});
}

void RichTextBox::setColorPieces(int from, const ColorPieces& pieces) { applyPieces(from, pieces); }

void RichTextBox::applyPieces(qsizetype from, const ColorPieces& wanted) {
    WorkReport report(this, qsizetype(wanted.size()));
    colorsChanged(colors_.apply(qBound<qsizetype>(0, from, qsizetype(textLength())), wanted,
                                [&report](qsizetype done) { report.at(done); }));
}

void RichTextBox::colorsChanged(ColorStore::Span span) {
    if (span.second <= span.first) return;
    // A line break is one character to Qt, with one colour: that of its LF, which a stretch
    // starting at the LF takes and one ending before it leaves.
    // Read where the text lies: closing the store's gap would move the text after the last edit.
    const SplitText text = textParts();
    qsizetype base = 0;
    for (const QStringView piece : {text.head, text.tail}) {
        const qsizetype from = qMax<qsizetype>(0, span.first - 1 - base);
        for (qsizetype i = piece.indexOf(u'\r', from); i >= 0 && base + i <= span.second; i = piece.indexOf(u'\r', i + 1)) {
            const qsizetype cr = base + i;
            if (cr + 1 < text.size() && text[cr + 1] == u'\n' && colors_.at(cr) != colors_.at(cr + 1))
                colors_.fill(cr, cr + 1, colors_.at(cr + 1));
        }
        base += piece.size();
    }
    // A stretch over most of the page marks every line at once rather than each in turn.
    if (span.second - span.first > textLength() / 2)
        layout_->invalidateAll();
    else
        layout_->invalidate(toPosition(int(span.first)), toPosition(int(span.second)));
    viewport()->update();
}

void RichTextBox::spliceColors(qsizetype start, qsizetype removed, qsizetype added) {
    if (staged_.set && !staged_.pieces.empty()) {
        // The pieces cover the text as given; a text whose line breaks changed form on the way
        // in is longer or shorter, and its end takes the last piece's colour.
        ColorPieces pieces;
        qsizetype left = added;
        for (const ColorPiece& p : staged_.pieces) {
            const qsizetype n = qMin(left, p.length);
            addPiece(pieces, n, p.color);
            left -= n;
        }
        if (left > 0) addPiece(pieces, left, staged_.pieces.back().color);
        colors_.splice(start, removed, pieces);
        return;
    }
    int color = staged_.color;
    if (!staged_.set) color = start > 0 ? colors_.at(start - 1) : (colors_.length() > 0 ? colors_.at(0) : headColor_);
    colors_.splice(start, removed, added, color);
}

namespace {
// A change over more lines than this leaves them to be painted as they are shown.
constexpr int kPaintAtOnce = 16;
}  // namespace

void RichTextBox::repaintChanged(int position, int added) {
    QTextDocument* doc = document();
    const QTextBlock first = doc->findBlock(position);
    const QTextBlock last = doc->findBlock(position + added);
    if (last.isValid() && last.blockNumber() - first.blockNumber() > kPaintAtOnce) {
        layout_->invalidate(position, position + added);
        return;
    }
    // A change within a line already laid out leaves the painting to Qt's own new layout of the
    // line, which then lays it out once and draws that line alone again.
    if (first == last && first.layout()->lineCount() > 0) {
        layout_->invalidate(position, position);
        return;
    }
    for (QTextBlock b = first; b.isValid(); b = b.next()) {
        layout_->paintNow(b);
        if (b == last) break;
    }
}

void RichTextBox::paintBlock(const QTextBlock& block, QList<QTextLayout::FormatRange>& ranges) const {
    const qsizetype offset = soft_.blockOffset(block);
    colors_.forRuns(offset, offset + block.length() - 1, [&](qsizetype start, qsizetype length, int color) {
        // Black is the text's own colour.
        if (color == 0) return;
        QTextLayout::FormatRange r;
        r.start = int(start - offset);
        r.length = int(length);
        r.format = formats_(color);
        ranges.append(r);
    });
}

int RichTextBox::inheritedColor(int position, bool replacing) const {
    if (replacing) return colorAt(toOffset(position));
    return caretColorAt(position);
}

std::unique_ptr<QTextDocument> RichTextBox::coloredDocument(bool selectionOnly) const {
    auto doc = std::make_unique<QTextDocument>();
    qsizetype from = 0, to = textLength();
    if (selectionOnly && textCursor().hasSelection()) {
        from = selStart();
        to = from + selLength();
    }
    const SplitText text = textParts();
    QTextCursor c(doc.get());
    FormatCache formats;
    colors_.forRuns(from, to, [&](qsizetype start, qsizetype length, int color) {
        c.insertText(toDocumentText(text.mid(start, length), nullptr), formats(color));
    });
    return doc;
}

void RichTextBox::replaceRanges(const QVector<TextEdit>& edits) {
    if (edits.isEmpty()) return;
    RichTextBoxScope scope(this);
    const QString before = text();  // shares: the cache is built anew, not spliced
    const qsizetype len = before.size();
    struct Planned {
        int from, to;
        qsizetype start, end;  // CR LF offsets of the text before the edits
        QString text;
        qsizetype length;  // of the new text in CR LF form
        int color;
    };
    std::vector<Planned> plan;
    plan.reserve(edits.size());
    qsizetype growth = 0;
    for (const TextEdit& e : edits) growth += e.text.size() - qMax(0, e.length);
    QString cache;
    cache.reserve(len + qMax<qsizetype>(0, growth) + 16);
    OffsetWalker walker(document(), soft_);
    // Planning takes about a third of the work, the edits the rest.
    const qsizetype planned = edits.size(), work = 3 * planned;
    WorkReport report(this, work);
    qsizetype copied = 0;
    qsizetype first = -1;
    HoldPainting hold(layout_);
    QTextCursor c(document());
    c.beginEditBlock();
    for (const TextEdit& e : edits) {
        const qsizetype start = snapToBreak(before, qBound<qsizetype>(copied, e.start, len));
        const qsizetype end = snapToBreak(before, qBound<qsizetype>(start, qsizetype(e.start) + qMax(0, e.length), len));
        if (start < copied) continue;  // overlaps the edit before it
        if (first < 0) first = start;
        cache.append(QStringView(before).mid(copied, start - copied));
        Planned p;
        p.from = walker.position(int(start));
        p.to = walker.position(int(end));
        p.start = start;
        p.end = end;
        // Worked out before any edit: the later ones, made first, lie after it.
        p.color = inheritedColor(p.from, p.to > p.from);
        const qsizetype at = cache.size();
        if (needsDocumentText(e.text)) {
            p.text = toDocumentText(e.text, &cache);
        } else {
            p.text = e.text;
            cache.append(e.text);
        }
        p.length = cache.size() - at;
        plan.push_back(std::move(p));
        copied = end;
        report.at(qsizetype(plan.size()));
    }
    if (plan.empty()) {
        hold.release();
        c.endEditBlock();
        return;
    }
    const qsizetype lastEnd = copied;
    cache.append(QStringView(before).mid(copied));

    bulk_ = true;
    qsizetype made = 0;
    for (auto it = plan.rbegin(); it != plan.rend(); ++it) {
        const KeepMark keep = keepMark(it->from);
        c.setPosition(it->from);
        c.setPosition(it->to, QTextCursor::KeepAnchor);
        if (!it->text.isEmpty())
            c.insertText(it->text);
        else if (c.hasSelection())
            c.removeSelectedText();
        keep.restore();
        report.at(planned + 2 * ++made * planned / qsizetype(plan.size()));
    }
    // The colours follow, front to back, so that their gap only ever moves forward.
    qsizetype shift = 0;
    int grown = 0;  // in the document
    for (const Planned& p : plan) {
        colors_.splice(p.start + shift, p.end - p.start, p.length, p.color);
        shift += p.length - (p.end - p.start);
        grown += int(p.text.size() - p.text.count(u"\r\n")) - (p.to - p.from);
    }
    const int lastTo = plan.back().to + grown;
    reshapeNow(plan.front().from, lastTo);
    layout_->invalidate(plan.front().from, lastTo);
    hold.release();
    c.endEditBlock();
    bulk_ = false;

    const qsizetype newLength = cache.size();
    setCache(std::move(cache));
    if (!cacheConsistent()) rebuildCache();
    if (text() != before) noteChange(before, first, lastEnd, lastEnd - first + (newLength - len));
    viewport()->update();
    // An edit even when the texts are the same, as setSelText.
    pendingChange_ = true;
}

void RichTextBox::replaceRange(int from, int to, const QString& text, int color) {
    QTextCursor c = textCursor();
    Staged staged;
    staged.set = true;
    staged.color = color >= 0 ? color : cursorColor(c);
    const Staged outer = std::exchange(staged_, staged);
    WorkReport report(this, text.size());
    HoldPainting hold(layout_);
    c.beginEditBlock();
    const KeepMark keep = keepMark(from);
    c.setPosition(from);
    c.setPosition(to, QTextCursor::KeepAnchor);
    c.removeSelectedText();
    insertInPieces(c, text, report);
    keep.restore();
    reshapeNow(from, c.position());
    hold.release();
    c.endEditBlock();
    staged_ = outer;
    placeCursor(c);
}

void RichTextBox::insertInPieces(QTextCursor& c, QStringView text, WorkReport& report, qsizetype doneBefore) {
    kavrin::insertInPieces(c, text, QTextCharFormat(), [&](qsizetype in) { report.at(doneBefore + in); });
}

void RichTextBox::setSelText(const QString& text) {
    RichTextBoxScope scope(this);
    const QTextCursor c = textCursor();
    if (!c.hasSelection() && text.isEmpty()) return;
    // Replacing a selection types in the colour of its first character, as selColor reads it.
    const int color = c.hasSelection() ? colorAt(toOffset(c.selectionStart())) : -1;
    replaceRange(c.selectionStart(), c.selectionEnd(), text, color);
    // An edit even when the new text equals the old one.
    pendingChange_ = true;
}

void RichTextBox::setSelText(const QString& text, const QVector<ColorRange>& colors) {
    RichTextBoxScope scope(this);
    const QTextCursor sel = textCursor();
    const qsizetype base = selStart();
    // The new text goes in whole, its colours beside it: where no range says otherwise, the
    // typing colour.
    Staged staged;
    staged.set = true;
    const int typing = cursorColor(sel);
    qsizetype at = 0;
    auto colorTo = [&](qsizetype end, int color) {
        end = qBound(at, end, text.size());
        // A CR LF pair is one line break, in one colour.
        if (end > at && end < text.size() && text[end - 1] == u'\r' && text[end] == u'\n') ++end;
        addPiece(staged.pieces, end - at, color);
        at = qMax(at, end);
    };
    for (const ColorRange& r : colors) {
        colorTo(qsizetype(r.start) - base, typing);
        colorTo(qsizetype(r.start) - base + r.length, r.color);
    }
    colorTo(text.size(), typing);
    if (staged.pieces.empty()) staged.color = typing;
    const Staged outer = std::exchange(staged_, staged);
    WorkReport report(this, text.size());
    QTextCursor c = sel;
    HoldPainting hold(layout_);
    c.beginEditBlock();
    const KeepMark keep = keepMark(c.selectionStart());
    c.removeSelectedText();
    const int from = c.position();
    insertInPieces(c, text, report);
    keep.restore();
    reshapeNow(from, c.position());
    hold.release();
    c.endEditBlock();
    staged_ = outer;
    placeCursor(c);
    pendingChange_ = true;
}

// --- edits from front to back ---------------------------------------------------------------

RichTextBox::ForwardEdits::ForwardEdits(RichTextBox* box)
    : box_(box), scope_(std::make_unique<RichTextBoxScope>(box)), cursor_(box->document()), original_(box->text()) {
    edited_.reserve(original_.size() + original_.size() / 8 + 64);
    for (const int at : box->soft_.positions()) softAt_.push_back(box->toOffset(at));
    box->layout_->setHeld(true);
    cursor_.beginEditBlock();
}

RichTextBox::ForwardEdits::~ForwardEdits() { finish(); }

void RichTextBox::ForwardEdits::replace(qsizetype start, qsizetype length, const QString& text) {
    if (finished_) return;
    start = qMax(start, end());
    // The untouched stretch up to the edit: its document length is its length less one for
    // every CR LF, which an edit never splits.
    const qsizetype skip = qMin(start - end(), original_.size() - restStart_);
    const QStringView between = QStringView(original_).mid(restStart_, skip);
    edited_.append(between);
    // A soft break takes no room in the text and one place in the document; an offset where two
    // pieces meet stands for the later one's start.
    auto softUpTo = [this](qsizetype offset) { return int(std::upper_bound(softAt_.begin(), softAt_.end(), offset) - softAt_.begin()); };
    endPosition_ += int(skip - between.count(u"\r\n")) + softUpTo(restStart_ + skip) - softUpTo(restStart_);
    restStart_ += skip;
    length = qBound<qsizetype>(0, length, original_.size() - restStart_);
    const QStringView removed = QStringView(original_).mid(restStart_, length);
    const int from = endPosition_;
    const int to = from + int(length - removed.count(u"\r\n")) + softUpTo(restStart_ + length) - softUpTo(restStart_);
    // Replacing a selection types in the colour of its first character. The colour store
    // follows each edit at once, so it holds the text as it stands; the text store (and so
    // colorAt) has the text as it was until finish().
    const qsizetype at = edited_.size();
    const int color = to > from ? box_->colors_.at(at) : caretColor(at);
    QString docText;
    if (needsDocumentText(text)) {
        docText = toDocumentText(text, &edited_);
    } else {
        docText = text;
        edited_.append(text);
    }
    const KeepMark keep = box_->keepMark(from);
    cursor_.setPosition(from);
    cursor_.setPosition(to, QTextCursor::KeepAnchor);
    if (!docText.isEmpty())
        cursor_.insertText(docText);
    else if (cursor_.hasSelection())
        cursor_.removeSelectedText();
    keep.restore();
    box_->colors_.splice(at, length, edited_.size() - at, color);
    // Where the new text ends in the document: a CR LF in it is one place there, not two.
    endPosition_ = cursor_.position();
    if (firstEdit_ < 0) {
        firstEdit_ = start;
        firstPosition_ = from;
    }
    restStart_ += length;
    ++edits_;
}

QChar RichTextBox::ForwardEdits::charAt(qsizetype i) const {
    return i < end() ? edited_[i] : original_[restStart_ + i - end()];
}

int RichTextBox::ForwardEdits::caretColor(qsizetype offset) const {
    // Read from the text as it stands, as caretColorAt reads the document: the box's map of
    // soft breaks still has them where they stood before the edits.
    offset = qBound<qsizetype>(0, offset, length());
    const ColorStore& colors = box_->colors_;
    const bool lineStart = offset == 0 || charAt(offset - 1) == u'\n';
    // At the start of a line that has text, the caret takes its first character's colour.
    if (lineStart && offset < length() && charAt(offset) != u'\r') return colors.at(offset);
    if (offset == 0) return box_->headColor_;
    return colors.at(offset - 1);
}

void RichTextBox::ForwardEdits::setColor(qsizetype start, qsizetype length, int color) {
    if (finished_ || length <= 0) return;
    const qsizetype end = qMin(start + length, this->length());
    ColorStore& colors = box_->colors_;
    colors.fill(start, end, color);
    // A line break has one colour, its LF's.
    for (const qsizetype lf : {start, end})
        if (lf > 0 && lf < this->length() && charAt(lf) == u'\n' && charAt(lf - 1) == u'\r')
            colors.fill(lf - 1, lf, colors.at(lf));
}

void RichTextBox::ForwardEdits::finish() {
    if (finished_) return;
    finished_ = true;
    edited_.append(QStringView(original_).mid(restStart_));
    if (edits_ > 0) box_->reshapeNow(firstPosition_, endPosition_);
    box_->bulk_ = true;
    box_->layout_->invalidateAll();
    box_->layout_->setHeld(false);
    cursor_.endEditBlock();
    box_->bulk_ = false;
    box_->setCache(std::move(edited_));
    edited_ = QString();
    if (!box_->cacheConsistent()) box_->rebuildCache();
    if (edits_ > 0) {
        const qsizetype tail = original_.size() - restStart_;
        box_->noteChange(original_, firstEdit_, restStart_, box_->textLength() - tail - firstEdit_);
        box_->pendingChange_ = true;
    }
    box_->viewport()->update();
    scope_.reset();  // the Change goes out
}

// --- whole text ----------------------------------------------------------------------------

void RichTextBox::replaceAll(const std::function<void(const RunSink&)>& produce, int emptyColor) {
    RichTextBoxScope scope(this);
    QTextDocument* doc = document();
    const bool updates = viewport()->updatesEnabled();
    viewport()->setUpdatesEnabled(false);

    QString cache;
    bulk_ = true;
    HoldPainting hold(layout_);
    QTextCursor c(doc);
    c.beginEditBlock();
    c.select(QTextCursor::Document);
    c.removeSelectedText();
    colors_.clear();
    headColor_ = emptyColor;  // the typing colour of an empty text
    produce([&](const QString& text, int color) {
        if (text.isEmpty()) return;
        const qsizetype at = cache.size();
        if (text.size() > kInsertPiece) {
            // A whole file comes as one run: it goes in piece by piece, its progress reported.
            WorkReport report(this, text.size());
            const bool convert = needsDocumentText(text);
            // Already in CR LF form, the first run becomes the cache itself, shared rather than
            // copied: the page is not held a third time while it goes in.
            const bool share = cache.isNull() && !convert;
            if (!share) cache.reserve(cache.size() + text.size());
            insertInPieces(c, text, report);
            if (share)
                cache = text;
            else if (convert)
                toDocumentText(text, &cache);  // only its CR LF form is wanted here
            else
                cache.append(text);
        } else if (needsDocumentText(text)) {
            c.insertText(toDocumentText(text, &cache));
        } else {
            c.insertText(text);
            cache.append(text);
        }
        colors_.append(cache.size() - at, color);
    });
    // Lines too long to lay out at each key go in as pieces, from the last up, so that the
    // places of those before stay as the text says.
    {
        std::vector<std::pair<int, int>> longLines;
        qsizetype lineStart = 0;
        int breaks = 0;
        for (;;) {
            const qsizetype cr = cache.indexOf(u'\n', lineStart);
            const qsizetype lineEnd = cr < 0 ? cache.size() : cr - 1;  // every break is CR LF here
            if (lineEnd - lineStart > kPieceMax) {
                const int from = int(lineStart) - breaks;  // a CR LF is one place in the document
                longLines.emplace_back(from, from + int(lineEnd - lineStart));
            }
            if (cr < 0) break;
            lineStart = cr + 1;
            ++breaks;
        }
        for (auto it = longLines.rbegin(); it != longLines.rend(); ++it) reshapeNow(it->first, it->second);
    }
    layout_->invalidateAll();
    hold.release();
    c.endEditBlock();
    bulk_ = false;

    // The spare room the appends left stays: it is where the first edits' gap grows, and costs
    // no memory until written to.
    const QString before = text();
    setCache(std::move(cache));
    if (!cacheConsistent()) {
        rebuildCache();
        colors_.splice(0, colors_.length(), textLength(), emptyColor);
    }
    if (before != text()) noteChange(before, 0, before.size(), textLength());
    setTextCursor(QTextCursor(doc));
    pendingChange_ = true;
    viewport()->setUpdatesEnabled(updates);
}

void RichTextBox::replaceAll(const QVector<ColorRun>& runs) {
    replaceAll(
        [&](const RunSink& sink) {
            for (const ColorRun& r : runs) sink(r.text, r.color);
        },
        runs.isEmpty() ? 0 : runs.first().color);
}

void RichTextBox::setText(const QString& text) { replaceAll({ColorRun{text, cursorColor(textCursor())}}); }

void RichTextBox::setColorRuns(const QVector<ColorRun>& runs) { replaceAll(runs); }

QVector<ColorRun> RichTextBox::colorRuns() const {
    QVector<ColorRun> runs;
    const SplitText text = textParts();
    colors_.forRuns(0, colors_.length(), [&](qsizetype start, qsizetype length, int color) {
        runs.append(ColorRun{text.mid(start, length), color});
    });
    return runs;
}

// --- find ----------------------------------------------------------------------------------

int RichTextBox::find(const QString& what, int start, int end, int options) {
    if (what.isEmpty()) return -1;
    const int len = textLength();
    int from, to;
    if (start < 0) {
        from = selStart();
        to = selLength() > 0 ? from + selLength() : len;
        if (end >= 0) to = end;
    } else {
        from = start;
        to = end < 0 ? len : end;
    }
    from = qBound(0, from, len);
    to = qBound(from, to, len);
    const Qt::CaseSensitivity cs = (options & rtfMatchCase) ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const bool wholeWord = options & rtfWholeWord;
    const qsizetype n = what.size();
    qsizetype at = from;
    for (;;) {
        at = text().indexOf(what, at, cs);
        if (at < 0 || at + n > to) return -1;
        if (!wholeWord) break;
        const QStringView text(this->text());
        const bool startOk = !isWordChar(what.front()) || at == 0 || !isWordChar(text[at - 1]);
        const bool endOk = !isWordChar(what.back()) || at + n >= text.size() || !isWordChar(text[at + n]);
        if (startOk && endOk) break;
        ++at;
    }
    if (!(options & rtfNoHighlight)) select(int(at), int(n));
    return int(at);
}

// --- files ---------------------------------------------------------------------------------

bool RichTextBox::loadFile(const QString& path, int fileType) {
    lastError_.clear();
    if (fileType == rtfText) {
        const TextFileResult r = readTextFile(path);
        if (!r.ok) {
            lastError_ = r.error;
            return false;
        }
        format_ = r.format;
        replaceAll({ColorRun{r.text, 0}});
        return true;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        lastError_ = QStringLiteral("Cannot open \"%1\": %2").arg(path, f.errorString());
        return false;
    }
    if (f.size() > maxTextFileSize) {
        lastError_ = QStringLiteral("Cannot open \"%1\": the file is too large.").arg(path);
        return false;
    }
    const QByteArray bytes = f.readAll();
    if (!loadRtf(bytes)) {
        lastError_ = QStringLiteral("Cannot open \"%1\": it is not an RTF file.").arg(path);
        return false;
    }
    return true;
}

bool RichTextBox::saveFile(const QString& path, int fileType) {
    lastError_.clear();
    if (fileType == rtfText) {
        TextFormat written;
        if (!writeTextFile(path, text(), format_, &lastError_, &written)) return false;
        format_ = written;
        return true;
    }
    return writeFileAtomically(path, writeRtf(colorRuns(), font().family(), qMax(1, font().pointSize())),
                               &lastError_);
}

// --- view ----------------------------------------------------------------------------------

void RichTextBox::setRightMargin(int margin) {
    rightMargin_ = margin;
    // Wrapped, a line's pieces are blocks like any other; not wrapped, they stand side by side
    // on one row, their geometry gathered once Qt has laid every line out anew.
    if (margin == 0) {
        layout_->setSideBySide(false);
        setLineWrapMode(QPlainTextEdit::WidgetWidth);
        layout_->estimateRows();
        // The scroll bar counts rows, and a row number meant another place before the wrap:
        // without this the view showed the middle of a long line, the caret far from it.
        ensureCursorVisible();
        followCaret_ = true;
        return;
    }
    setLineWrapMode(QPlainTextEdit::NoWrap);
    if (layout_->sideBySide()) return;
    layout_->setSideBySide(true);
    emit layout_->documentSizeChanged(layout_->documentSize());
    carryCaret();
    ensureCursorVisible();
    followCaret_ = false;
}

void RichTextBox::setRedraw(bool on) {
    redraw_ = on;
    viewport()->setUpdatesEnabled(on);
    // A page still waiting to be laid out is painted when the event loop next runs, at the size
    // it is shown at.
    if (on && isVisible() && !layout_->deferred()) viewport()->repaint();
}

void RichTextBox::resizeEvent(QResizeEvent* e) {
    // Unwrapped lines stay as they are whatever the width: Qt would drop every line's layout
    // and lay each out again as it is shown.
    if (lineWrapMode() == QPlainTextEdit::NoWrap && e->oldSize().width() != e->size().width()) {
        QResizeEvent sameWidth(e->size(), QSize(e->size().width(), e->oldSize().height()));
        QPlainTextEdit::resizeEvent(&sameWidth);
        return;
    }
    QPlainTextEdit::resizeEvent(e);
    // Wrapped anew at the new width, long lines' pieces count the rows they will take.
    if (e->oldSize().width() != e->size().width()) layout_->estimateRows();
}

int RichTextBox::lineFromChar(int offset) const {
    if (offset < 0) offset = selStart();
    return soft_.lineOf(document(), toPosition(offset));
}

int RichTextBox::lineIndex(int line) const {
    if (line < 0) line = lineFromChar(-1);
    const QTextBlock b = soft_.lineStart(document(), line);
    if (!b.isValid()) return -1;
    return soft_.blockOffset(b);
}

int RichTextBox::lineCount() const { return soft_.lineCount(document()); }

QRect RichTextBox::caretRect() const { return cursorRect().translated(viewport()->geometry().topLeft()); }

// --- events --------------------------------------------------------------------------------

bool RichTextBox::event(QEvent* e) {
    if (e->type() == QEvent::ShortcutOverride) {
        // Ctrl and Alt keys belong to the main window's menus; what no shortcut takes still
        // arrives here as a key press.
        const auto* k = static_cast<QKeyEvent*>(e);
        if (k->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) {
            e->ignore();
            return true;
        }
    }
    switch (e->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::InputMethod:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::FocusIn:
    case QEvent::FocusOut: {
        // What the user did is one operation: its Change and SelChange come once, after Qt
        // has finished with it.
        RichTextBoxScope scope(this);
        return QPlainTextEdit::event(e);
    }
    default: return QPlainTextEdit::event(e);
    }
}

void RichTextBox::keyPressEvent(QKeyEvent* e) {
    const Qt::KeyboardModifiers mods = e->modifiers();
    QPointer<RichTextBox> alive(this);
    int code = windowsKeyCode(e->key(), mods);
    const int original = code;
    emit KeyDown(code, shiftStateOf(mods));
    if (!alive) return;
    e->accept();
    if (original != 0 && code == 0) return;
    // Qt's own undo, redo, cut, copy and paste keys: the program has its own.
    if (e->matches(QKeySequence::Undo) || e->matches(QKeySequence::Redo) || e->matches(QKeySequence::Cut) ||
        e->matches(QKeySequence::Copy) || e->matches(QKeySequence::Paste))
        return;

    const int ascii = keyAsciiOf(e);
    if (ascii != 0) {
        int typed = ascii;
        emit KeyPress(typed);
        if (!alive || typed == 0) return;
        if (typed != ascii) {
            switch (typed) {
            case 13: {
                QKeyEvent k(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
                keyAsQt(&k);
                break;
            }
            case 8: {
                QKeyEvent k(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier, QString(QChar(8)));
                keyAsQt(&k);
                break;
            }
            default:
                if (typed >= 32 || typed == 9) {
                    const char32_t cp = char32_t(typed);
                    QKeyEvent k(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUcs4(&cp, 1));
                    keyAsQt(&k);
                }
                break;
            }
            return;
        }
    }
    if (e->matches(QKeySequence::InsertLineSeparator)) {
        // Shift+Enter is a line break like Enter, not Qt's soft line separator.
        QKeyEvent k(QEvent::KeyPress, Qt::Key_Return, mods & ~Qt::ShiftModifier, QStringLiteral("\r"));
        keyAsQt(&k);
        return;
    }
    keyAsQt(e);
}

void RichTextBox::typeAsQt(const std::function<void()>& handle) {
    Staged staged;
    staged.set = true;
    staged.color = cursorColor(textCursor());
    const Staged outer = std::exchange(staged_, staged);
    handle();
    staged_ = outer;
}

void RichTextBox::inputMethodEvent(QInputMethodEvent* e) {
    typeAsQt([&] { QPlainTextEdit::inputMethodEvent(e); });
}

void RichTextBox::keyReleaseEvent(QKeyEvent* e) {
    if (!e->isAutoRepeat()) {
        int code = windowsKeyCode(e->key(), e->modifiers());
        QPointer<RichTextBox> alive(this);
        emit KeyUp(code, shiftStateOf(e->modifiers()));
        if (!alive) return;
    }
    QPlainTextEdit::keyReleaseEvent(e);
}

void RichTextBox::mousePressEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    QPointer<RichTextBox> alive(this);
    emit MouseDown(buttonCode(e->button()), shiftStateOf(e->modifiers()), p.x(), p.y());
    if (!alive) return;
    if (e->button() != Qt::LeftButton) {
        // No caret move and no paste of the X11 selection.
        e->accept();
        return;
    }
    leftPressed_ = true;
    QTextCursor c = textCursor();
    if (c.hasSelection() && !(e->modifiers() & Qt::ShiftModifier)) {
        // A press inside a selection would start dragging the text away; make it an ordinary
        // click instead.
        c.clearSelection();
        placeCursor(c);
    }
    if (!soft_.isEmpty())
        pressAcrossPieces(e);
    else
        QPlainTextEdit::mousePressEvent(e);
}

void RichTextBox::mouseReleaseEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    const bool left = e->button() == Qt::LeftButton;
    if (left && !soft_.isEmpty()) {
        autoScroll_->stop();
        e->accept();
    } else if (left) {
        QPlainTextEdit::mouseReleaseEvent(e);
    } else {
        e->accept();
    }
    QPointer<RichTextBox> alive(this);
    emit MouseUp(buttonCode(e->button()), shiftStateOf(e->modifiers()), p.x(), p.y());
    if (!alive) return;
    if (left && leftPressed_) {
        leftPressed_ = false;
        emit Click();
    }
}

void RichTextBox::mouseMoveEvent(QMouseEvent* e) {
    if (soft_.isEmpty()) {
        QPlainTextEdit::mouseMoveEvent(e);
        return;
    }
    if ((e->buttons() & Qt::LeftButton) && drag_ != DragUnit::None) dragAcrossPieces(e->position());
    e->accept();
}

void RichTextBox::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) {
        e->accept();
        return;
    }
    if (soft_.isEmpty()) {
        QPlainTextEdit::mouseDoubleClickEvent(e);
        return;
    }
    // The word under the mouse, over the places where pieces meet.
    const int position = hitPosition(e->position());
    const auto word = wordAt(textParts(), lineSpanAt(position), toOffset(position));
    QTextCursor c = textCursor();
    c.setPosition(toPosition(int(word.first)));
    c.setPosition(toPosition(int(word.second)), QTextCursor::KeepAnchor);
    placeCursor(c);
    drag_ = DragUnit::Words;
    dragFirst_ = {word.first, word.second};
    doubleClicked_.start();
    doubleClickAt_ = e->position();
    e->accept();
}

void RichTextBox::contextMenuEvent(QContextMenuEvent* e) {
    // The program shows its own menu from MouseUp.
    e->accept();
}

void RichTextBox::focusInEvent(QFocusEvent* e) {
    QPlainTextEdit::focusInEvent(e);
    if (e->reason() != Qt::PopupFocusReason) emit GotFocus();
}

void RichTextBox::focusOutEvent(QFocusEvent* e) {
    QPlainTextEdit::focusOutEvent(e);
    if (e->reason() != Qt::PopupFocusReason) emit LostFocus();
}

// Drags that start inside the program (file list items) and files dragged in from elsewhere go
// to the window's handlers, which decide; a drop never inserts text.
namespace {
bool handOverDrag(const QDropEvent* e) {
    if (e->source() || e->mimeData()->hasUrls()) return true;
    // The program's own kinds of drag, whoever delivers them.
    for (const QString& format : e->mimeData()->formats())
        if (format.startsWith(QLatin1String("application/x-kavrin-"))) return true;
    return false;
}
}  // namespace

void RichTextBox::dragEnterEvent(QDragEnterEvent* e) {
    if (handOverDrag(e))
        e->acceptProposedAction();
    else
        e->ignore();
}

void RichTextBox::dragMoveEvent(QDragMoveEvent* e) {
    if (!handOverDrag(e)) {
        e->ignore();
        return;
    }
    e->acceptProposedAction();
    emit DragOver(e);
}

void RichTextBox::dropEvent(QDropEvent* e) {
    if (!handOverDrag(e)) {
        e->ignore();
        return;
    }
    e->acceptProposedAction();
    emit DragDrop(e);
}

bool RichTextBox::canInsertFromMimeData(const QMimeData*) const { return false; }

void RichTextBox::insertFromMimeData(const QMimeData*) {}

QMimeData* RichTextBox::createMimeDataFromSelection() const {
    auto* data = new QMimeData;
    QString text = selText();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    data->setText(text);
    return data;
}

bool RichTextBox::loadRtf(const QByteArray& rtf) {
    if (rtfStart(rtf) < 0) {
        lastError_ = QStringLiteral("The text is not RTF.");
        return false;
    }
    return loadRuns([&rtf](const RunSink& sink) { return readRtf(rtf, sink); });
}

bool RichTextBox::loadRtf(QIODevice& source) {
    QString error;
    const bool ok = loadRuns([&](const RunSink& sink) {
        if (!source.seek(0)) {
            error = source.errorString();
            return false;
        }
        return readRtf(source, sink, &error);
    });
    if (!ok) lastError_ = error.isEmpty() ? QStringLiteral("The text is not RTF.") : error;
    return ok;
}

void RichTextBox::awaitColors() {
    layout_->setDeferred(true);
    QTimer::singleShot(0, this, &RichTextBox::stopAwaitingColors);
}

void RichTextBox::stopAwaitingColors() {
    if (!layout_->deferred()) return;
    layout_->setDeferred(false);
    viewport()->update();
}

bool RichTextBox::loadRuns(const RunSource& source) {
    bool readable = true;
    const bool inPlace = recolorInPlace(source, &readable);
    bool ok = inPlace;
    // Nothing to be had leaves the text as it is.
    if (!inPlace && readable) {
        ok = true;
        replaceAll([&](const RunSink& sink) { ok = source(sink); }, 0);
    }
    return ok;
}

namespace {
// Colours found are set a window of this many pieces at a time, so that what is held for them
// stays small however long the text.
constexpr size_t kPiecesAtOnce = 1 << 16;
}  // namespace

// A colouring pass hands back the text the editor already shows: only the colours that differ
// are set, on the text as it stands, which keeps the caret and the view where they are.
bool RichTextBox::recolorInPlace(const RunSource& source, bool* readable) {
    if (textLength() == 0) return false;
    const QStringView text(this->text());
    ColorPieces wanted;
    qsizetype off = 0, applied = 0;
    bool same = true;
    auto flush = [&] {
        applyPieces(applied, wanted);
        wanted.clear();
        applied = off;
    };
    const RunSink sink = [&](const QString& t, int color) {
        if (!same || t.isEmpty()) return;
        if (t.size() > text.size() - off || text.mid(off, t.size()) != QStringView(t)) {
            same = false;
            return;
        }
        addPiece(wanted, t.size(), color);
        off += t.size();
        if (wanted.size() >= kPiecesAtOnce) flush();
    };
    *readable = source(sink);
    const bool whole = *readable && same && off == text.size();
    if (whole) flush();
    return whole;
}

}  // namespace kavrin
