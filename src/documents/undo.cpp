// The document's own undo and redo history: each change is recorded after the fact from what the
// editor says it changed and the selection saved just before it.

#include "documents/colouring/colorrange.h"
#include "documents/docstate.h"
#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "documents/linediff.h"
#include "documents/progress.h"
#include "platform/system/screen.h"

namespace kavrin {

namespace {

// Undo and redo of up to this many characters recolour only around them.
constexpr int kRangeRecolorLimit = 12000;

void push(QVector<UndoEntry>& list, int& count, const UndoEntry& entry) {
    // Entries above the count are left over from undone steps; a new one replaces them.
    list.resize(qBound(0, count, int(list.size())));
    list.append(entry);
    count = int(list.size());
}

// The `length` characters at `at` of the text as it was before `change`, pieced together from
// the text now and the change's removed text, clipped to that text like QString::mid.
QString textBefore(const SplitText& now, const TextChange& change, qsizetype at, qsizetype length) {
    const qsizetype start = change.start, removed = change.removed.size(), inserted = change.inserted;
    const qsizetype before = now.size() - inserted + removed;
    at = qBound<qsizetype>(0, at, before);
    const qsizetype end = qBound<qsizetype>(at, at + qMax<qsizetype>(0, length), before);
    QString out;
    out.reserve(end - at);
    if (at < start) now.appendTo(&out, at, qMin(end, start) - at);
    if (end > start && at < start + removed) {
        const qsizetype from = qMax(at, start) - start;
        out.append(QStringView(change.removed).mid(from, qMin(end, start + removed) - start - from));
    }
    if (end > start + removed) {
        const qsizetype from = qMax(at, start + removed);
        now.appendTo(&out, from - removed + inserted, end - from);
    }
    return out;
}

}  // namespace

std::optional<UndoEntry> undoEntryFor(const SplitText& now, const TextChange& change, int s0, int n0, int caret) {
    if (change.isEmpty()) return std::nullopt;
    const QString inserted = now.mid(change.start, change.inserted);
    const int delta = change.inserted - int(change.removed.size());  // Lc - Lp
    if (delta == 0) {
        qsizetype first = 0;
        while (first < inserted.size() && inserted[first] == change.removed[first]) ++first;
        if (first == inserted.size()) return std::nullopt;
        if (n0 != 0) return UndoEntry{s0, n0, textBefore(now, change, s0, n0)};
        // Typing over characters (overwrite mode) replaces them in place: the record must bring
        // back what was overwritten, not merely nothing.
        qsizetype last = inserted.size() - 1;
        while (last > first && inserted[last] == change.removed[last]) --last;
        return UndoEntry{int(change.start + first), int(last - first + 1), change.removed.mid(first, last - first + 1)};
    }
    if (n0 != 0) return UndoEntry{s0, n0 + delta, textBefore(now, change, s0, n0)};
    // After a Backspace the caret stands where the removed characters were.
    if (delta < 0) return UndoEntry{caret, 0, textBefore(now, change, caret, -delta)};
    return UndoEntry{s0, delta, QString()};
}

void DocumentWindow::readyUndo() {
    const std::optional<UndoEntry> e =
        undoEntryFor(txtMain->textParts(), lastChange_, selStartBeforeChange, selLengthBeforeChange, txtMain->selStart());
    if (e) addUndoStep(*e);
}

void DocumentWindow::addUndoStep(const UndoEntry& e) { addUndoSteps({e}); }

void DocumentWindow::addUndoSteps(const QVector<UndoEntry>& entries) {
    if (entries.isEmpty()) return;
    redoList_.clear();
    redoI = 0;
    // Entries above the count are left over from undone steps; new ones replace them.
    undoList_.resize(qBound(0, undoI, int(undoList_.size())));
    undoList_.append(entries);
    undoI = int(undoList_.size());
    enableUndo(true);
    enableRedo(false);
}

void DocumentWindow::putBack(int start, const QString& removed, const QString& text) {
    if (!colorCoding) {
        EditProgress progress(txtMain, 1);
        txtMain->setSelText(text);
        return;
    }
    if (text.size() <= kRangeRecolorLimit) {
        {
            EditProgress progress(txtMain, 1);
            txtMain->setSelText(text);
        }
        colorCodeRange(txtMain, start, int(text.size()));
        // A comment that the step opens or closes, or that the text it took away opened or
        // closed, changes the colours past the range too.
        colorCodeRunOn(txtMain, start, removed, int(text.size()));
        return;
    }
    // A long step never costs a pass over the whole page: what it puts back takes the colours
    // the pass gives it, and the text after it as far as a comment it opens or closes reaches.
    EditProgress progress(txtMain, 2);
    // A step that changed the page only here and there within its lines (indent, unindent) is
    // taken back by those changes alone, so the rest of the text keeps its colours.
    const QVector<TextEdit> edits = lineEdits(removed, text, start);
    if (!edits.isEmpty()) {
        txtMain->replaceRanges(edits);
        progress.stage(1);
        colorCodeChanged(txtMain, start, removed, int(text.size()));
        return;
    }
    // A step that puts back most of the page goes in whole and has its colours set on it
    // afterwards: one insertion per colour run costs more than setting the colours of the runs.
    if (2 * text.size() > txtMain->textLength() - removed.size() + text.size()) {
        txtMain->setSelText(text);
        progress.stage(1);
        colorCodeChanged(txtMain, start, removed, int(text.size()));
        return;
    }
    pasteColored(txtMain, text);
}

void DocumentWindow::undoChange() {
    if (undoI < 1 || undoI > undoList_.size()) return;
    const UndoEntry e = undoList_[undoI - 1];
    setBusy(true);
    ignoreChange = true;
    txtMain->setRedraw(false);

    UndoEntry r{e.start, int(e.text.size()), QString()};
    txtMain->select(e.start, e.length);
    r.text = txtMain->selText();
    putBack(e.start, r.text, e.text);
    txtMain->setSelStart(e.start + int(e.text.size()));
    txtMain->setFocus();

    txtMain->setRedraw(true);
    ignoreChange = false;
    if (activeDocSaved || fileSaved) setFileSaved(this, false);
    // The entry stays in its slot: a redo brings the count back over it.
    --undoI;
    push(redoList_, redoI, r);
    enableRedo(true);
    enableUndo(undoI >= 1);
    hideTipList();
    setBusy(false);
}

void DocumentWindow::redoChange() {
    if (redoI < 1 || redoI > redoList_.size()) return;
    const UndoEntry r = redoList_[redoI - 1];
    setBusy(true);
    ignoreChange = true;
    txtMain->setRedraw(false);

    txtMain->select(r.start, r.length);
    const QString removed = txtMain->selText();
    putBack(r.start, removed, r.text);
    txtMain->setSelStart(r.start + int(r.text.size()));
    txtMain->setFocus();

    txtMain->setRedraw(true);
    ignoreChange = false;
    if (activeDocSaved || fileSaved) setFileSaved(this, false);
    --redoI;
    // The slot above the undo count still holds the step this redo repeats; it is written again
    // from what the redo removed, which is the same entry.
    const UndoEntry again{r.start, int(r.text.size()), removed};
    if (undoI < undoList_.size())
        undoList_[undoI] = again;
    else
        undoList_.append(again);
    ++undoI;
    enableUndo(true);
    enableRedo(redoI >= 1);
    hideTipList();
    setBusy(false);
}

void DocumentWindow::clearDocument() {
    txtMain->setText(QString());
    txtMain->setSelColor(0);
    redoList_.clear();
    redoI = 0;
    undoList_.clear();
    undoI = 0;
    setFileSaved(this, true);
    enableUndo(false);
    // The redo history is gone too; its button must not offer it.
    enableRedo(false);
}

}  // namespace kavrin
