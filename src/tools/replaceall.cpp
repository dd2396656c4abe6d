#include "tools/replaceall.h"

#include <QVector>

#include "documents/colouring/colorrange.h"
#include "documents/docstate.h"
#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "documents/progress.h"
#include "platform/richtext/richtextbox.h"

namespace kavrin {

namespace {

bool isWordChar(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

// The editor's find() on the text as it stands: the first hit in [from, to), whole words as
// find() decides them. The search runs in the part not yet edited.
qsizetype findIn(const RichTextBox::ForwardEdits& text, const QString& what, qsizetype from, qsizetype to, int flags) {
    const qsizetype len = text.length();
    from = qBound<qsizetype>(text.end(), from, len);
    to = qBound<qsizetype>(from, to, len);
    const Qt::CaseSensitivity cs = (flags & rtfMatchCase) ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const qsizetype n = what.size();
    const QString& original = text.original();
    const qsizetype shift = text.restStart() - text.end();  // offset in the original less offset now
    auto charAt = [&](qsizetype i) { return i < text.end() ? text.edited()[i] : original[i + shift]; };
    for (qsizetype at = from + shift;;) {
        at = original.indexOf(what, at, cs);
        if (at < 0) return -1;
        const qsizetype hit = at - shift;
        if (hit + n > to) return -1;
        if (!(flags & rtfWholeWord)) return hit;
        const bool startOk = !isWordChar(what.front()) || hit == 0 || !isWordChar(charAt(hit - 1));
        const bool endOk = !isWordChar(what.back()) || hit + n >= len || !isWordChar(charAt(hit + n));
        if (startOk && endOk) return hit;
        ++at;
    }
}

// One search of the pass, as the window's own search step makes it.
qsizetype searchOnce(const RichTextBox::ForwardEdits& text, FindPass& pass) {
    const qsizetype len = text.length();
    if (pass.searchEnd == -1) {
        pass.rangeLength = pass.rangeLength - (pass.searchStart - pass.rangeStart);
        pass.rangeStart = pass.searchStart;
        if (pass.rangeLength < 1) return -1;
        const qsizetype from = qBound<qsizetype>(0, qsizetype(pass.rangeStart), len);
        return findIn(text, pass.find, from, qMin<qsizetype>(from + pass.rangeLength, len), pass.flags);
    }
    return findIn(text, pass.find, pass.searchStart, pass.searchEnd, pass.flags);
}

}  // namespace

int replaceAllHits(DocumentWindow* doc, FindPass& pass, const QString& replacement) {
    if (!doc || pass.find.isEmpty()) return 0;
    RichTextBox* editor = doc->txtMain;
    const bool progress = editor->textLength() >= kProgressFrom;
    if (progress) showProgress(true, editor->textLength());
    const int n = int(pass.find.size());
    const int d = int(replacement.size()) - n;
    QVector<UndoEntry> steps;
    // Where a replacement closed a comment: the text after it may still show comment grey.
    QVector<qsizetype> closedAt;
    int count = 0;
    {
        RichTextBox::ForwardEdits text(editor);
        CaretScanner around(text.original());
        for (;;) {
            const qsizetype hit = searchOnce(text, pass);
            if (hit < 0) break;
            ++count;
            const QString found = text.rest().mid(hit - text.end(), n).toString();
            text.replace(hit, n, replacement);
            if (replacement != found) steps.append({int(hit), int(replacement.size()), found});
            selStartBeforeChange = int(hit);
            selLengthBeforeChange = n;
            if (pass.searchEnd == -1)
                pass.rangeLength += d;
            else
                pass.searchEnd += d;
            pass.searchStart = int(hit) + int(replacement.size());
            if (colorCoding) {
                // What the change handling colours after a replacement made through the selection.
                const qsizetype caret = text.end();
                const CaretRecolor r =
                    recolorAroundCaret(around.at(text.edited(), text.restStart()), caret, text.caretColor(caret));
                if (r.kind == CaretRecolor::Range) text.setColor(r.start, r.length, r.color);
                if (r.restoreFrom >= 0) closedAt.append(r.restoreFrom);
            }
            if (progress) updateProgress(int(text.restStart()));
        }
        // The replacements are recorded here, each as its own step; the one change that ends
        // the sweep is not a step of its own.
        ignoreChange = true;
        text.finish();
        ignoreChange = false;
    }
    // As typing the "-->" would: what was comment up to the next "-->" only because the comment
    // ran on to it is coloured again. Offsets before the sweep's caret never moved afterwards.
    for (const qsizetype from : closedAt) {
        if (from >= editor->textLength() || editor->colorAt(int(from)) != commentColor) continue;
        const qsizetype close = editor->text().indexOf(u"-->", from);
        const qsizetype end = close < 0 ? editor->textLength() : close + 3;
        colorCodeRange(editor, int(from), int(end - from));
    }
    if (count > 0) {
        doc->addUndoSteps(steps);
        if (activeDocSaved || doc->fileSaved) setFileSaved(doc, false);
    }
    if (progress) showProgress(false);
    return count;
}

}  // namespace kavrin
