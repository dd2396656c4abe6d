// Indent and unindent of the selected lines, each recorded as one undo step.
#include "documents/indent.h"

#include <QVector>

#include "documents/colouring/colorrange.h"
#include "documents/docstate.h"
#include "documents/documentwindow.h"
#include "documents/editorevents.h"
#include "documents/globals.h"
#include "documents/progress.h"
#include "platform/richtext/richtextbox.h"
#include "platform/system/screen.h"

namespace kavrin {

namespace {

// One edit at a line start, in offsets of the text as it was before the command.
struct LineEdit {
    int at = 0;
    int removed = 0;  // characters taken away at `at`
};

// The lines the selection touches: the start of the first one, and the end of the selected text
// with its trailing line breaks dropped (a selection that ends just after a line break must not
// touch the next line).
struct Block {
    int lineStart = 0;
    int end = 0;
};

Block blockOf(const QString& t, int start, int length) {
    Block b;
    const int cr = start >= 2 ? int(t.lastIndexOf(QStringLiteral("\r\n"), start - 2)) : -1;
    b.lineStart = cr >= 0 ? cr + 2 : 0;
    b.end = qMin(start + length, int(t.size()));
    while (b.end > b.lineStart && (t[b.end - 1] == u'\r' || t[b.end - 1] == u'\n')) --b.end;
    return b;
}

// The starts of the lines after the first that begin inside [from, to).
QVector<int> followingLineStarts(const QString& t, int from, int to) {
    QVector<int> starts;
    for (int i = from; i + 1 < to; ++i) {
        if (t[i] == u'\r' && t[i + 1] == u'\n') {
            starts.append(i + 2);
            ++i;
        }
    }
    return starts;
}

// Where an offset of the old text lands once the edits are made.
int shifted(int offset, const QVector<LineEdit>& edits, int inserted) {
    int out = offset;
    for (const LineEdit& e : edits) {
        if (e.at > offset) continue;
        if (e.removed == 0)
            out += inserted;
        else
            out -= qMin(e.removed, offset - e.at);
    }
    return out;
}

// Makes the edits (indentText inserted where nothing is removed) in one pass, as one undo step,
// and selects the changed lines up to the selection's old end.
void applyEdits(DocumentWindow* doc, int lineStart, int oldEnd, const QVector<LineEdit>& edits) {
    RichTextBox* editor = doc->txtMain;
    const int inserted = int(indentText.size());
    QVector<TextEdit> changes;
    changes.reserve(edits.size());
    for (const LineEdit& e : edits) changes.append({e.at, e.removed, e.removed == 0 ? indentText : QString()});
    EditProgress progress(editor, 2);
    editor->replaceRanges(changes);
    progress.stage(1);
    int oldExtent = oldEnd;
    for (const LineEdit& e : edits) oldExtent = qMax(oldExtent, e.at + e.removed);
    selStartBeforeChange = lineStart;
    selLengthBeforeChange = oldExtent - lineStart;
    // Inserted blanks take the colour of the character before them, often a tag's.
    if (colorCoding) colorCodeRange(editor, lineStart, shifted(oldExtent, edits, inserted) - lineStart);
    selectRange(lineStart, shifted(oldEnd, edits, inserted) - lineStart);
    // The edits, held back from the change handling, are one change.
    doc->setLastChange(editor->takeChange());
    doc->readyUndo();
}

// Runs one command on the active document with the change handling held off, so that the
// single edits are neither recorded nor recoloured.
template <typename Plan>
void shiftLines(Plan plan) {
    DocumentWindow* doc = activeDocument();
    if (!doc || !doc->txtMain) return;
    RichTextBox* editor = doc->txtMain;
    setBusy(true);
    colorBusy = true;
    setEditorRedraw(false);
    const QString before = editor->text();
    int lineStart = 0;
    int oldEnd = 0;
    const QVector<LineEdit> edits = plan(before, editor->selStart(), editor->selLength(), lineStart, oldEnd);
    if (!edits.isEmpty()) applyEdits(doc, lineStart, oldEnd, edits);
    colorBusy = false;
    // Nothing to shift leaves the document as it was, saved state included.
    if (!edits.isEmpty() && activeDocSaved) setFileSaved(false);
    setEditorRedraw(true);
    setBusy(false);
    if (!edits.isEmpty()) doc->txtmain_SelChange();
}

}  // namespace

void indentSelection() {
    if (indentText.isEmpty()) return;
    shiftLines([](const QString& t, int start, int length, int& lineStart, int& oldEnd) {
        const Block b = blockOf(t, start, length);
        lineStart = b.lineStart;
        oldEnd = b.end;
        // The caret's own line is always shifted, also with the caret at its very start.
        QVector<LineEdit> edits{{b.lineStart, 0}};
        for (int at : followingLineStarts(t, b.lineStart, b.end)) edits.append({at, 0});
        return edits;
    });
}

void unindentSelection() {
    shiftLines([](const QString& t, int start, int length, int& lineStart, int& oldEnd) {
        const Block b = blockOf(t, start, length);
        lineStart = b.lineStart;
        oldEnd = qMin(start + length, int(t.size()));
        const int step = int(indentText.size());
        // What a line start loses: a whole indentText, else one tab, else nothing.
        auto removal = [&](int at, int limit) {
            const QStringView rest = QStringView(t).mid(at, qMax(0, limit - at));
            if (step > 0 && rest.startsWith(indentText)) return step;
            if (rest.startsWith(u'\t')) return 1;
            return 0;
        };
        QVector<LineEdit> edits;
        // The first line is judged on the selected part of it only: with the caret inside its
        // leading blanks nothing of them is selected.  On the document's first line one more
        // character counts, so a caret before a leading tab still takes it.
        const int firstLimit = b.lineStart == 0 ? oldEnd + 1 : oldEnd;
        if (const int n = removal(b.lineStart, firstLimit)) edits.append({b.lineStart, n});
        for (int at : followingLineStarts(t, b.lineStart, b.end))
            if (const int n = removal(at, int(t.size()))) edits.append({at, n});
        return edits;
    });
}

}  // namespace kavrin
