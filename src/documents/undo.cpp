// The document's own undo and redo history: each change is recorded after the fact from the text
// before and after it and the selection saved just before it.
#include <cstring>

#include "documents/colorcoding.h"
#include "documents/colorrange.h"
#include "documents/docstate.h"
#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "platform/screen.h"

namespace kavrin {

namespace {

constexpr qsizetype kChunk = 2048;
// Undo and redo of up to this many characters recolour only around them.
constexpr int kRangeRecolorLimit = 12000;

// First index at which two texts of one length differ; their length when they do not. Chunks
// are compared as memory, so a large page costs little more than a copy.
qsizetype firstDifference(QStringView a, QStringView b) {
    const qsizetype n = a.size();
    qsizetype i = 0;
    while (n - i >= kChunk && std::memcmp(a.utf16() + i, b.utf16() + i, kChunk * sizeof(char16_t)) == 0)
        i += kChunk;
    while (i < n && a[i] == b[i]) ++i;
    return i;
}

// Last index at which two texts of one length differ, given that they differ at `first`.
qsizetype lastDifference(QStringView a, QStringView b, qsizetype first) {
    qsizetype i = a.size();
    while (i - first > kChunk &&
           std::memcmp(a.utf16() + i - kChunk, b.utf16() + i - kChunk, kChunk * sizeof(char16_t)) == 0)
        i -= kChunk;
    while (i - 1 > first && a[i - 1] == b[i - 1]) --i;
    return i - 1;
}

void push(QVector<UndoEntry>& list, int& count, const UndoEntry& entry) {
    // Entries above the count are left over from undone steps; a new one replaces them.
    list.resize(qBound(0, count, int(list.size())));
    list.append(entry);
    count = int(list.size());
}

}  // namespace

void DocumentWindow::readyUndo() {
    const int lp = int(prevText.size());
    const int lc = int(curText.size());
    const int s0 = selStartBeforeChange;
    const int n0 = selLengthBeforeChange;
    UndoEntry e;
    if (lp == lc) {
        if (prevText.constData() == curText.constData()) return;
        const qsizetype first = firstDifference(prevText, curText);
        if (first == lp) return;
        if (n0 != 0) {
            e = {s0, n0, prevText.mid(s0, n0)};
        } else {
            // Typing over characters (overwrite mode) replaces them in place: the record must
            // bring back what was overwritten, not merely nothing.
            const int last = int(lastDifference(prevText, curText, first));
            e = {int(first), last - int(first) + 1, prevText.mid(first, last - first + 1)};
        }
    } else if (n0 != 0) {
        e = {s0, n0 + lc - lp, prevText.mid(s0, n0)};
    } else if (lc < lp) {
        // After a Backspace the caret stands where the removed characters were.
        const int at = txtMain->selStart();
        e = {at, 0, prevText.mid(at, lp - lc)};
    } else {
        e = {s0, lc - lp, QString()};
    }
    redoList_.clear();
    redoI = 0;
    push(undoList_, undoI, e);
    enableUndo(true);
    enableRedo(false);
}

void DocumentWindow::recolorAfter(int start, int length) {
    if (!colorCoding) return;
    if (length <= kRangeRecolorLimit)
        colorCodeRange(txtMain, start, length);
    else
        colorCodeDocument(this);
}

void DocumentWindow::undoChange() {
    if (undoI < 1 || undoI > undoList_.size()) return;
    const UndoEntry e = undoList_[undoI - 1];
    setBusy(true);
    ignoreChange = true;
    txtMain->setRedraw(false);

    UndoEntry r{e.start, int(e.text.size()), QString()};
    txtMain->select(e.start, e.length);
    if (colorCoding) {
        txtMain->setSelColor(0);
        txtMain->select(e.start, e.length);
    }
    r.text = txtMain->selText();
    txtMain->setSelText(e.text);
    recolorAfter(e.start, int(e.text.size()));
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
    if (colorCoding) {
        txtMain->setSelColor(0);
        txtMain->select(r.start, r.length);
    }
    const QString removed = txtMain->selText();
    txtMain->setSelText(r.text);
    recolorAfter(r.start, int(r.text.size()));
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
