#include "platform/richtextbox.h"

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

RichTextBox::RichTextBox(QWidget* parent) : QPlainTextEdit(parent) {
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
    connect(this, &QPlainTextEdit::selectionChanged, this, &RichTextBox::noteSelChange);
}

// --- text cache ------------------------------------------------------------------------------

bool RichTextBox::cacheConsistent() const {
    const QTextDocument* doc = document();
    return textLength() == qsizetype(doc->characterCount() - 1) + (doc->blockCount() - 1);
}

void RichTextBox::rebuildCache() { store_.setFromDocument(document()->toRawText(), document()->blockCount()); }

void RichTextBox::setCache(QString text) { store_.set(std::move(text)); }

namespace {

// Qt breaks a line at word boundaries by looking ahead over the whole word for each line it
// makes, so a run without blanks (a minified page, an inline data: picture) costs time growing
// with the square of its length to lay out: a 300 KB run takes seconds, a 5 MB one hours. From
// this length on, lines may break anywhere instead, which costs time in proportion.
constexpr int kLongRun = 4000;

bool hasLongRun(QStringView text) {
    int run = 0;
    for (const QChar c : text) {
        if (c.isSpace()) run = 0;
        else if (++run >= kLongRun) return true;
    }
    return false;
}

}  // namespace

void RichTextBox::chooseWrapFor(int position, int added) {
    QTextDocument* doc = document();
    const bool whole = position == 0 && added >= doc->characterCount() - 1;
    if (wrapAnywhere_ && !whole) return;
    bool longRun = false;
    const int last = position + added;
    for (QTextBlock b = doc->findBlock(position); b.isValid() && b.position() <= last; b = b.next()) {
        if (b.length() > kLongRun && hasLongRun(b.text())) {
            longRun = true;
            break;
        }
    }
    // A new text as a whole decides afresh; a change only ever switches to breaking anywhere.
    if (longRun == wrapAnywhere_ || (!longRun && !whole)) return;
    wrapAnywhere_ = longRun;
    // Set now, inside the change notice, so that Qt lays the changed blocks out only this way.
    setWordWrapMode(longRun ? QTextOption::WrapAnywhere : QTextOption::WrapAtWordBoundaryOrAnywhere);
}

void RichTextBox::onContentsChange(int position, int removed, int added) {
    if (!formatting_) chooseWrapFor(position, added);
    if (formatting_ || bulk_) return;
    QTextDocument* doc = document();
    const int docLen = doc->characterCount() - 1;
    bool changed = true;
    // The counts Qt reports are not always the text's own (format changes report removed ==
    // added, a first fill may count the final separator): anything that does not add up is
    // settled by a full rebuild.
    bool ok = position >= 0 && removed >= 0 && added >= 0 && position + added <= docLen;
    if (ok) {
        // The text before `position` is untouched, so its line breaks can be counted now.
        const qsizetype start = position + doc->findBlock(position).blockNumber();
        const SplitText cache = textParts();
        const qsizetype len = cache.size();
        qsizetype end = start;
        ok = start <= len;
        for (int k = 0; ok && k < removed; ++k) {
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
                appendCrlf(&addedText, raw);
            }
            if (removed == added && end - start == addedText.size() && cache.matches(start, addedText)) {
                changed = false;
            } else {
                noteChange(cache, start, end, addedText.size());
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
        if (changed) {
            // The changed span is what lies between the common start and the common end.
            const qsizetype shorter = qMin(before.size(), now.size());
            qsizetype head = 0;
            while (head < shorter && before[head] == now[head]) ++head;
            qsizetype tail = 0;
            while (tail < shorter - head && before[before.size() - 1 - tail] == now[now.size() - 1 - tail]) ++tail;
            noteChange(before, head, before.size() - tail, now.size() - tail - head);
        }
    }
    if (!changed) return;
    pendingChange_ = true;
    if (scopeDepth_ == 0) scheduleFlush();
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
    const bool change = pendingChange_, sel = pendingSel_;
    pendingChange_ = pendingSel_ = false;
    QPointer<RichTextBox> alive(this);
    if (change) emit Change();
    if (sel && alive) emit SelChange();
}

// --- offsets -------------------------------------------------------------------------------

int RichTextBox::toOffset(int position) const { return documentOffset(document(), position); }

int RichTextBox::toPosition(int offset) const { return documentPosition(document(), offset); }

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
    setTextCursor(c);
}

void RichTextBox::setSelLength(int length) {
    RichTextBoxScope scope(this);
    const int start = selStart();
    QTextCursor c = textCursor();
    c.setPosition(toPosition(start));
    c.setPosition(toPosition(start + qMax(0, length)), QTextCursor::KeepAnchor);
    setTextCursor(c);
}

void RichTextBox::select(int start, int length) {
    RichTextBoxScope scope(this);
    QTextCursor c = textCursor();
    start = qBound(0, start, textLength());
    c.setPosition(toPosition(start));
    c.setPosition(toPosition(start + qMax(0, length)), QTextCursor::KeepAnchor);
    setTextCursor(c);
}

QString RichTextBox::selText() const {
    const QTextCursor c = textCursor();
    if (!c.hasSelection()) return {};
    const int from = toOffset(c.selectionStart());
    return textMid(from, toOffset(c.selectionEnd()) - from);
}

QTextCharFormat RichTextBox::formatAt(int position) const {
    const QTextDocument* doc = document();
    position = qBound(0, position, doc->characterCount() - 1);
    const QTextBlock b = doc->findBlock(position);
    if (position >= b.position() + b.length() - 1) {
        // A line break: its format is the one the next block records as its own.
        const QTextBlock next = b.next();
        if (next.isValid()) return next.charFormat();
        QTextCursor c(const_cast<QTextDocument*>(doc));
        c.setPosition(position);
        return c.charFormat();
    }
    QTextCursor c(const_cast<QTextDocument*>(doc));
    c.setPosition(position + 1);
    return c.charFormat();
}

int RichTextBox::colorAt(int offset) const { return formatColor(formatAt(toPosition(offset))); }

int RichTextBox::selColor() const {
    const QTextCursor c = textCursor();
    if (!c.hasSelection()) return formatColor(c.charFormat());
    return formatColor(formatAt(c.selectionStart()));
}

void RichTextBox::setSelColor(int color) {
    QTextCharFormat f;
    f.setForeground(colorToQt(color));
    const QTextCursor c = textCursor();
    if (!c.hasSelection()) {
        // The typing colour: no change to the text, so no Change.
        mergeCurrentCharFormat(f);
        return;
    }
    // A cursor of our own, so that neither the view nor the selection moves.
    QTextCursor w(document());
    w.setPosition(c.selectionStart());
    w.setPosition(c.selectionEnd(), QTextCursor::KeepAnchor);
    formatting_ = true;
    w.mergeCharFormat(f);
    formatting_ = false;
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
    QVector<ColorRange> clipped;
    clipped.reserve(ranges.size());
    for (const ColorRange& r : ranges) {
        const int start = int(qBound<qsizetype>(0, qsizetype(r.start), len));
        const int end = int(qBound<qsizetype>(start, qsizetype(start) + qMax(0, r.length), len));
        if (end > start) clipped.append({start, end - start, r.color});
    }
    formatting_ = true;
    setColorRanges(document(), clipped, formats_);
    formatting_ = false;
}

void RichTextBox::setColorPieces(int from, const ColorPieces& pieces) { applyPieces(from, pieces); }

void RichTextBox::applyPieces(qsizetype from, const ColorPieces& wanted) {
    qsizetype total = 0;
    for (const ColorPiece& p : wanted) total += p.length;
    from = qBound<qsizetype>(0, from, qsizetype(textLength()));
    const qsizetype to = qBound<qsizetype>(from, from + total, qsizetype(textLength()));
    const QVector<ColorRange> changes = colorChanges(shownPieces(document(), from, to, qsizetype(wanted.size())), wanted, from);
    if (changes.isEmpty()) return;
    WorkReport report(this, changes.size());
    formatting_ = true;
    setColorRanges(document(), changes, formats_, [&report](qsizetype k) { report.at(k); });
    formatting_ = false;
}

int RichTextBox::inheritedColor(int position, bool replacing) const {
    if (replacing) return formatColor(formatAt(position));
    QTextCursor c(const_cast<QTextDocument*>(document()));
    c.setPosition(qBound(0, position, document()->characterCount() - 1));
    return formatColor(c.charFormat());
}

void RichTextBox::replaceRanges(const QVector<TextEdit>& edits) {
    if (edits.isEmpty()) return;
    RichTextBoxScope scope(this);
    const QString before = text();  // shares: the cache is built anew, not spliced
    const qsizetype len = before.size();
    struct Planned {
        int from, to;
        QString text;
        int color;
    };
    std::vector<Planned> plan;
    plan.reserve(edits.size());
    qsizetype growth = 0;
    for (const TextEdit& e : edits) growth += e.text.size() - qMax(0, e.length);
    QString cache;
    cache.reserve(len + qMax<qsizetype>(0, growth) + 16);
    OffsetWalker walker(document());
    // Planning takes about a third of the work, the edits the rest.
    const qsizetype planned = edits.size(), work = 3 * planned;
    WorkReport report(this, work);
    qsizetype copied = 0;
    qsizetype first = -1;
    // Inside an edit block a cursor that moves does not lay its line out, which reading the
    // colours of a whole page would otherwise do line by line.
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
        // Worked out before any edit: the later ones, made first, lie after it.
        p.color = inheritedColor(p.from, p.to > p.from);
        if (needsDocumentText(e.text)) {
            p.text = toDocumentText(e.text, &cache);
        } else {
            p.text = e.text;
            cache.append(e.text);
        }
        plan.push_back(std::move(p));
        copied = end;
        report.at(qsizetype(plan.size()));
    }
    if (plan.empty()) {
        c.endEditBlock();
        return;
    }
    const qsizetype lastEnd = copied;
    cache.append(QStringView(before).mid(copied));

    bulk_ = true;
    qsizetype made = 0;
    for (auto it = plan.rbegin(); it != plan.rend(); ++it) {
        c.setPosition(it->from);
        c.setPosition(it->to, QTextCursor::KeepAnchor);
        if (!it->text.isEmpty())
            c.insertText(it->text, formats_(it->color));
        else if (c.hasSelection())
            c.removeSelectedText();
        report.at(planned + 2 * ++made * planned / qsizetype(plan.size()));
    }
    c.endEditBlock();
    bulk_ = false;

    const qsizetype newLength = cache.size();
    setCache(std::move(cache));
    if (!cacheConsistent()) rebuildCache();
    if (text() != before) noteChange(before, first, lastEnd, lastEnd - first + (newLength - len));
    // An edit even when the texts are the same, as setSelText.
    pendingChange_ = true;
}

void RichTextBox::replaceRange(int from, int to, const QString& text, int color) {
    QTextCursor c = textCursor();
    QTextCharFormat fmt = c.charFormat();
    if (color >= 0) fmt.setForeground(colorToQt(color));
    WorkReport report(this, text.size());
    c.beginEditBlock();
    c.setPosition(from);
    c.setPosition(to, QTextCursor::KeepAnchor);
    c.removeSelectedText();
    insertInPieces(c, text, fmt, report);
    c.endEditBlock();
    setTextCursor(c);
}

void RichTextBox::insertInPieces(QTextCursor& c, QStringView text, const QTextCharFormat& fmt, WorkReport& report,
                                 qsizetype doneBefore) {
    kavrin::insertInPieces(c, text, fmt, [&](qsizetype in) { report.at(doneBefore + in); });
}

void RichTextBox::setSelText(const QString& text) {
    RichTextBoxScope scope(this);
    const QTextCursor c = textCursor();
    if (!c.hasSelection() && text.isEmpty()) return;
    // Replacing a selection types in the colour of its first character, as selColor reads it.
    const int color = c.hasSelection() ? formatColor(formatAt(c.selectionStart())) : -1;
    replaceRange(c.selectionStart(), c.selectionEnd(), text, color);
    // An edit even when the new text equals the old one.
    pendingChange_ = true;
}

void RichTextBox::setSelText(const QString& text, const QVector<ColorRange>& colors) {
    RichTextBoxScope scope(this);
    const QTextCursor sel = textCursor();
    const qsizetype base = selStart();
    WorkReport report(this, text.size());
    QTextCursor c = sel;
    c.beginEditBlock();
    c.removeSelectedText();
    // Each range goes in with its format, as setCharFormat would leave it, so that Qt never
    // splits the inserted text again to colour it.
    qsizetype at = 0;
    auto insertTo = [&](qsizetype end, const QTextCharFormat& fmt) {
        end = qBound(at, end, text.size());
        // A CR LF pair is one line break only when it goes in whole.
        if (end > at && end < text.size() && text[end - 1] == u'\r' && text[end] == u'\n') ++end;
        if (end > at) insertInPieces(c, QStringView(text).mid(at, end - at), fmt, report, at);
        at = end;
    };
    const QTextCharFormat typing = sel.charFormat();
    for (const ColorRange& r : colors) {
        insertTo(qsizetype(r.start) - base, typing);
        insertTo(qsizetype(r.start) - base + r.length, formats_(r.color));
    }
    insertTo(text.size(), typing);
    c.endEditBlock();
    setTextCursor(c);
    pendingChange_ = true;
}

// --- edits from front to back ---------------------------------------------------------------

RichTextBox::ForwardEdits::ForwardEdits(RichTextBox* box)
    : box_(box), scope_(std::make_unique<RichTextBoxScope>(box)), cursor_(box->document()), original_(box->text()) {
    edited_.reserve(original_.size() + original_.size() / 8 + 64);
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
    endPosition_ += int(skip - between.count(u"\r\n"));
    restStart_ += skip;
    length = qBound<qsizetype>(0, length, original_.size() - restStart_);
    const QStringView removed = QStringView(original_).mid(restStart_, length);
    const int from = endPosition_;
    const int to = from + int(length - removed.count(u"\r\n"));
    // Replacing a selection types in the colour of its first character.
    const int color = box_->inheritedColor(from, to > from);
    QString docText;
    if (needsDocumentText(text)) {
        docText = toDocumentText(text, &edited_);
    } else {
        docText = text;
        edited_.append(text);
    }
    cursor_.setPosition(from);
    cursor_.setPosition(to, QTextCursor::KeepAnchor);
    if (!docText.isEmpty())
        cursor_.insertText(docText, box_->formats_(color));
    else if (cursor_.hasSelection())
        cursor_.removeSelectedText();
    endPosition_ = from + int(docText.size());
    if (firstEdit_ < 0) firstEdit_ = start;
    restStart_ += length;
    ++edits_;
}

int RichTextBox::ForwardEdits::caretColor(qsizetype offset) const {
    return box_->inheritedColor(box_->toPosition(int(offset)), false);
}

void RichTextBox::ForwardEdits::setColor(qsizetype start, qsizetype length, int color) {
    if (finished_ || length <= 0) return;
    const int from = box_->toPosition(int(start));
    const int to = box_->toPosition(int(qMin(start + length, this->length())));
    if (to <= from) return;
    QTextCursor w(box_->document());
    w.setPosition(from);
    w.setPosition(to, QTextCursor::KeepAnchor);
    box_->formatting_ = true;
    w.setCharFormat(box_->formats_(color));
    box_->formatting_ = false;
}

void RichTextBox::ForwardEdits::finish() {
    if (finished_) return;
    finished_ = true;
    edited_.append(QStringView(original_).mid(restStart_));
    box_->bulk_ = true;
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
    scope_.reset();  // the Change goes out
}

// --- whole text ----------------------------------------------------------------------------

void RichTextBox::replaceAll(const std::function<void(const RunSink&)>& produce, int emptyColor) {
    RichTextBoxScope scope(this);
    QTextDocument* doc = document();
    const bool updates = viewport()->updatesEnabled();
    viewport()->setUpdatesEnabled(false);

    FormatCache formatOf;
    QString cache;
    bulk_ = true;
    QTextCursor c(doc);
    c.beginEditBlock();
    c.select(QTextCursor::Document);
    c.removeSelectedText();
    c.setBlockCharFormat(formatOf(emptyColor));  // the typing colour of an empty text
    produce([&](const QString& text, int color) {
        if (text.isEmpty()) return;
        if (text.size() > kInsertPiece) {
            // A whole file comes as one run: it goes in piece by piece, its progress reported.
            WorkReport report(this, text.size());
            cache.reserve(cache.size() + text.size());
            insertInPieces(c, text, formatOf(color), report);
            if (needsDocumentText(text))
                toDocumentText(text, &cache);  // only its CR LF form is wanted here
            else
                cache.append(text);
            return;
        }
        if (needsDocumentText(text)) {
            c.insertText(toDocumentText(text, &cache), formatOf(color));
        } else {
            c.insertText(text, formatOf(color));
            cache.append(text);
        }
    });
    c.endEditBlock();
    bulk_ = false;

    // The spare room the appends left stays: it is where the first edits' gap grows, and costs
    // no memory until written to.
    const QString before = text();
    setCache(std::move(cache));
    if (!cacheConsistent()) rebuildCache();
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

void RichTextBox::setText(const QString& text) { replaceAll({ColorRun{text, formatColor(textCursor().charFormat())}}); }

void RichTextBox::setColorRuns(const QVector<ColorRun>& runs) { replaceAll(runs); }

QVector<ColorRun> RichTextBox::colorRuns() const {
    QVector<ColorRun> runs;
    auto add = [&runs](QStringView text, int color) {
        if (text.isEmpty()) return;
        if (!runs.isEmpty() && runs.last().color == color)
            runs.last().text.append(text);
        else
            runs.append(ColorRun{text.toString(), color});
    };
    for (QTextBlock b = document()->firstBlock(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (f.isValid()) add(f.text(), formatColor(f.charFormat()));
        }
        const QTextBlock next = b.next();
        if (next.isValid()) add(u"\r\n", formatColor(next.charFormat()));
    }
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
    setLineWrapMode(margin == 0 ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

void RichTextBox::setRedraw(bool on) {
    redraw_ = on;
    viewport()->setUpdatesEnabled(on);
    if (on && isVisible()) viewport()->repaint();
}

int RichTextBox::lineFromChar(int offset) const {
    if (offset < 0) offset = selStart();
    return document()->findBlock(toPosition(offset)).blockNumber();
}

int RichTextBox::lineIndex(int line) const {
    if (line < 0) line = lineFromChar(-1);
    const QTextBlock b = document()->findBlockByNumber(line);
    if (!b.isValid()) return -1;
    return b.position() + line;
}

int RichTextBox::lineCount() const { return document()->blockCount(); }

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
                QPlainTextEdit::keyPressEvent(&k);
                break;
            }
            case 8: {
                QKeyEvent k(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier, QString(QChar(8)));
                QPlainTextEdit::keyPressEvent(&k);
                break;
            }
            default:
                if (typed >= 32 || typed == 9) {
                    const char32_t cp = char32_t(typed);
                    QKeyEvent k(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUcs4(&cp, 1));
                    QPlainTextEdit::keyPressEvent(&k);
                }
                break;
            }
            return;
        }
    }
    if (e->matches(QKeySequence::InsertLineSeparator)) {
        // Shift+Enter is a line break like Enter, not Qt's soft line separator.
        QKeyEvent k(QEvent::KeyPress, Qt::Key_Return, mods & ~Qt::ShiftModifier, QStringLiteral("\r"));
        QPlainTextEdit::keyPressEvent(&k);
        return;
    }
    QPlainTextEdit::keyPressEvent(e);
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
        setTextCursor(c);
    }
    QPlainTextEdit::mousePressEvent(e);
}

void RichTextBox::mouseReleaseEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    const bool left = e->button() == Qt::LeftButton;
    if (left)
        QPlainTextEdit::mouseReleaseEvent(e);
    else
        e->accept();
    QPointer<RichTextBox> alive(this);
    emit MouseUp(buttonCode(e->button()), shiftStateOf(e->modifiers()), p.x(), p.y());
    if (!alive) return;
    if (left && leftPressed_) {
        leftPressed_ = false;
        emit Click();
    }
}

void RichTextBox::mouseMoveEvent(QMouseEvent* e) { QPlainTextEdit::mouseMoveEvent(e); }

void RichTextBox::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton)
        QPlainTextEdit::mouseDoubleClickEvent(e);
    else
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

bool RichTextBox::loadRuns(const RunSource& source) {
    bool readable = true;
    if (recolorInPlace(source, &readable)) return true;
    // Nothing to be had leaves the text as it is.
    if (!readable) return false;
    bool ok = true;
    replaceAll([&](const RunSink& sink) { ok = source(sink); }, 0);
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
    // All windows of pieces go into one edit block, so that each block of the text is laid out
    // once however many windows its colours come in (a page of one long line is one block).
    QTextCursor outer(document());
    outer.beginEditBlock();
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
    formatting_ = true;
    outer.endEditBlock();
    formatting_ = false;
    return whole;
}

}  // namespace kavrin
