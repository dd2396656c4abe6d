// The source editor's key, mouse, focus and drop handling, and colour as you type.
#include "documents/editorevents.h"

#include <QEvent>
#include <QListWidget>

#include "documents/colouring/colorrange.h"
#include "documents/docstate.h"
#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "documents/colouring/tagclasses.h"
#include "documents/tiphooks.h"
#include "tools/spellcheck.h"
#include "mainwindow/mdiMain.h"
#include "platform/richtext/richtextbox.h"

namespace kavrin {

namespace {

// The tips look back this far from the caret, never further.
constexpr int kTipWindow = 501;
// Auto-indent reads at most this much of the caret's line.
constexpr int kIndentWindow = 500;

// Keys that leave the text alone: moving the caret, the modifiers themselves, function keys.
bool keyChangesNothing(int keyCode, int shift) {
    if (shift & (vbCtrlMask | vbAltMask)) return true;
    switch (keyCode) {
    case 16: case 17: case 18: case 19: case 20: case 27:
    case 33: case 34: case 35: case 36: case 37: case 38: case 39: case 40:
    case 44: case 45: case 91: case 93: case 144: case 145:
        return true;
    default: return keyCode >= 112 && keyCode <= 135;
    }
}

}  // namespace

void setEditorRedraw(bool on) {
    if (DocumentWindow* doc = activeDocument()) doc->txtMain->setRedraw(on);
}

void selectRange(int start, int length) {
    DocumentWindow* doc = activeDocument();
    if (!doc) return;
    doc->txtMain->setSelStart(start);
    doc->txtMain->setSelLength(length);
}

// ---- Keys ---------------------------------------------------------------------------------------

void DocumentWindow::txtMain_KeyDown(int& keyCode, int shift) {
    const int start = txtMain->selStart();
    selStartBeforeChange = start;
    selLengthBeforeChange = txtMain->selLength();
    if (colorCoding) prepareTypingColor(start, keyCode, shift);
    const bool tipsShown = !lstTip->isHidden();

    switch (keyCode) {
    case 9:
        if (tipsShown)
            acceptTip(this);
        else
            txtMain->setSelText(indentText);
        keyCode = 0;
        return;
    case 190:
        hideTipList();
        if (shift == vbShiftMask) closeAngleTyped(this, keyCode);
        return;
    case 187:
        hideTipList();
        if (shift == 0 && tagTipDelay >= 0) equalsTyped(start);
        return;
    case 32:
        spaceTyped(keyCode, start);
        return;
    case 13:
        if (tipsShown) {
            acceptTip(this);
            keyCode = 0;
        } else if (selLengthBeforeChange == 0 && autoIndent) {
            autoIndentOnEnter(keyCode, start);
        }
        return;
    default: break;
    }

    if (tipsShown) tipListKey(keyCode);
    if (shift != vbCtrlMask) return;
    mdiMain* main = mainWindow;
    switch (keyCode) {
    case 67:
        keyCode = 0;
        if (main) main->mnuEditCopy_Click();
        break;
    case 86:
        keyCode = 0;
        if (main) main->mnuEditPaste_Click();
        break;
    case 88:
        keyCode = 0;
        if (main) main->mnuEditCut_Click();
        break;
    case 89:
        keyCode = 0;
        redoChange();
        break;
    case 90:
        keyCode = 0;
        undoChange();
        break;
    default: break;
    }
}

void DocumentWindow::prepareTypingColor(int start, int keyCode, int shift) {
    // With text selected, the colour would land on the selection itself: only a key that
    // replaces it may change it, or selecting a tag and pressing an arrow or Ctrl+C would
    // leave the tag black.
    if (txtMain->selLength() > 0 && keyChangesNothing(keyCode, shift)) return;
    const SplitText t = txtMain->textParts();
    if (start < t.size() && t[start] == u'<') {
        colorBusy = true;
        if (t.matches(start, u"<!--") || txtMain->selColor() != commentColor) txtMain->setSelColor(0);
        colorBusy = false;
    } else if (start > 0 && start <= t.size() && t[start - 1] == u'>') {
        colorBusy = true;
        if (t.matches(start - 3, u"-->") || txtMain->selColor() != commentColor)
            txtMain->setSelColor(0);
        colorBusy = false;
    }
}

QString DocumentWindow::textBefore(int start) const {
    start = qBound(0, start, txtMain->textLength());
    const int from = qMax(0, start - kTipWindow);
    return txtMain->textMid(from, start - from);
}

void DocumentWindow::equalsTyped(int start) {
    const QString w = textBefore(start);
    const qsizetype lt = w.lastIndexOf(u'<');
    if (lt < 0 || lt < w.lastIndexOf(u'>')) return;
    // Without a blank after the name there is no attribute to offer values for.
    const qsizetype blank = w.indexOf(u' ', lt);
    if (blank < 0) return;
    const QString tagName = w.mid(lt + 1, blank - lt - 1);
    const QString attribute = w.mid(w.lastIndexOf(u' ') + 1);
    showValueTips(this, tagName, attribute, true);
}

void DocumentWindow::spaceTyped(int& keyCode, int start) {
    hideTipList();
    const QString w = textBefore(start) + u' ';
    const qsizetype lt = w.lastIndexOf(u'<');
    if (lt < 0 || w.indexOf(u'>', lt) >= 0) return;
    if (tagCompletion) completeTagOnKey(this, w.mid(lt), keyCode);
    if (tagTipDelay < 0) return;
    // An odd number of quotes since the last "<" or "=" means the blank is inside a value.
    int quotes = 0;
    for (qsizetype i = w.size() - 1; i >= 0; --i) {
        const QChar c = w[i];
        if (c == u'<' || c == u'=') break;
        if (c == u'"') ++quotes;
    }
    if (quotes % 2 != 0) return;
    const qsizetype blank = w.indexOf(u' ', lt);
    showAttributeTips(this, w.mid(lt, blank - lt), start);
}

void DocumentWindow::autoIndentOnEnter(int& keyCode, int start) {
    const int lineStart = qMax(0, txtMain->lineIndex(txtMain->lineFromChar(start)));
    const QString line = txtMain->textMid(lineStart, kIndentWindow);
    qsizetype blanks = 0;
    while (blanks < line.size() && line[blanks] == u' ') ++blanks;
    if (blanks == 0) return;
    const QString indent = line.left(blanks);

    // The line break and the indent are two steps, so one undo takes back only the indent.
    ignoreChange = true;
    txtMain->setSelText(QStringLiteral("\r\n"));
    readyUndo();
    selStartBeforeChange = txtMain->selStart();
    selLengthBeforeChange = txtMain->selLength();
    txtMain->setSelText(indent);
    readyUndo();
    ignoreChange = false;
    keyCode = 0;
    // The change handling skipped its own marking while the indent went in.
    if (activeDocSaved || fileSaved) setFileSaved(this, false);
}

void DocumentWindow::tipListKey(int& keyCode) {
    const int row = lstTip->currentRow();
    if (keyCode == 38) {
        keyCode = 0;
        if (row > 0) {
            lstTip->setCurrentRow(row - 1);
            lstTip->scrollToItem(lstTip->currentItem());
        }
    } else if (keyCode == 40) {
        keyCode = 0;
        if (row < lstTip->count() - 1) {
            lstTip->setCurrentRow(row + 1);
            lstTip->scrollToItem(lstTip->currentItem());
        }
    } else if (keyCode >= 65 && keyCode <= 90) {
        lstTipStr += QChar(keyCode).toLower();
        for (int i = 0; i < lstTip->count(); ++i) {
            if (lstTip->item(i)->text().toLower().startsWith(lstTipStr)) {
                lstTip->setCurrentRow(i);
                lstTip->scrollToItem(lstTip->item(i));
                txtMain->setFocus();
                break;
            }
        }
    } else {
        hideTipList();
    }
}

void DocumentWindow::hideTipList() { lstTip->hide(); }

// ---- Colour as you type ------------------------------------------------------------------------

void DocumentWindow::colorAroundCaret() {
    colorBusy = true;
    const qsizetype length = txtMain->textLength();
    const qsizetype p = qBound(0, txtMain->selStart(), int(length));
    // Typing leaves the editor's text split at the caret, which is read as it is; anywhere else
    // the text is read whole.
    const SplitText parts = txtMain->textParts();
    const CaretSurroundings around =
        parts.head.size() == p ? caretSurroundings(parts) : caretSurroundings(txtMain->text(), p);
    const CaretRecolor r = recolorAroundCaret(around, p, txtMain->selColor());
    // What was comment up to the next "-->" only because a comment ran on to it.
    const auto restoreAfter = [&](qsizetype from) {
        const qsizetype close = txtMain->text().indexOf(u"-->", from);
        const qsizetype end = close < 0 ? length : close + 3;
        colorCodeRange(txtMain, int(from), int(end - from));
        colorBusy = true;  // the range pass clears it
        txtMain->setSelStart(int(p));
    };
    const auto showsComment = [&](qsizetype at) {
        return at >= 0 && at < length && txtMain->colorAt(int(at)) == commentColor;
    };
    // Outside any comment, comment colour right after the caret is left over from a "<!--"
    // just taken away or broken there (a real comment that starts there comes out as it was).
    // The caret's own tag is coloured after it, as the range pass would not colour it alone.
    if (r.restoreFrom < 0 && around.comment < 0 && showsComment(p)) restoreAfter(p);
    // Read before the caret's own recolouring, which may paint the first characters after it.
    const bool stale = showsComment(r.restoreFrom);
    if (r.kind == CaretRecolor::Range) {
        txtMain->setRangeColor(int(r.start), int(r.length), r.color);
        txtMain->setSelStart(int(p));
    } else if (r.kind == CaretRecolor::TypingColor) {
        txtMain->setSelColor(r.color);
    }
    if (stale) restoreAfter(r.restoreFrom);
    // A "-->" just taken away or broken lets the comment run on to the next one: the caret
    // already has the comment's colour, but what follows it up to there does not yet.
    if (r.kind == CaretRecolor::Nothing && around.comment >= 0 && around.commentClose >= 0 &&
        p < around.commentClose + 3 && p < length && txtMain->colorAt(int(p)) != commentColor) {
        txtMain->setRangeColor(int(p), int(around.commentClose + 3 - p), commentColor);
        txtMain->setSelStart(int(p));
    }
    colorBusy = false;
}

// ---- Mouse, focus and drops ---------------------------------------------------------------------

void DocumentWindow::txtMain_Click() {
    if (spellCheckRunning) {
        selectRange(spellWordStart, spellWordLength);
        focusSpellDialog();
    }
    if (!lstTip->isHidden()) hideTipList();
}

void DocumentWindow::txtMain_MouseUp(int button, int, int x, int y) {
    if (button == vbLeftButton) return;
    if (mainWindow) mainWindow->showEditorPopup(txtMain->viewport()->mapToGlobal(QPoint(x, y)));
}

void DocumentWindow::txtMain_DragOver(QDragMoveEvent* event) { editorDragOver(this, event); }

void DocumentWindow::txtMain_DragDrop(QDropEvent* event) { editorDragDrop(this, event); }

void DocumentWindow::txtMain_GotFocus() { editorHasFocus_ = true; }

void DocumentWindow::txtMain_LostFocus() {
    editorHasFocus_ = false;
    tmrCheck4Focus->start(100);
}

bool DocumentWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtMain && event->type() == QEvent::InputMethod) {
        // A composed character replaces the selection like a typed one; the undo record needs
        // the selection it replaced.
        selStartBeforeChange = txtMain->selStart();
        selLengthBeforeChange = txtMain->selLength();
    }
    return Form::eventFilter(watched, event);
}

}  // namespace kavrin
