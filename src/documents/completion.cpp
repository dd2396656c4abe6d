// Tag completion: ">" or a blank typed in a start tag writes its end, and a typed comment end
// colours the comment.
#include <array>

#include "documents/colouring/colorrange.h"
#include "documents/docstate.h"
#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "documents/inserthtml.h"
#include "documents/colouring/tagclasses.h"
#include "documents/tiphooks.h"
#include "documents/tips.h"
#include "platform/richtext/richtextbox.h"

namespace kavrin {

namespace {

// How far after the caret an end tag counts as closing the element already.
constexpr int kLookAhead = 50;

void replaceSelection(RichTextBox* editor, const QString& text) {
    selStartBeforeChange = editor->selStart();
    selLengthBeforeChange = editor->selLength();
    editor->setSelText(text);
}

// Writes the upper-cased form of `length` characters at `start` as one more undo step.
void upperCaseSpan(DocumentWindow* doc, int start, int length) {
    RichTextBox* editor = doc->txtMain;
    editor->select(start, length);
    replaceSelection(editor, upperCaseTag(editor->selText()));
    doc->readyUndo();
}

// Text written with the change handling held back: the document is changed all the same.
void markChanged(DocumentWindow* doc) {
    if (activeDocSaved || doc->fileSaved) setFileSaved(doc, false);
}

}  // namespace

bool hasNoEndTag(const QString& lowerTagText) {
    static const std::array<const char16_t*, 21> names = {
        u"<!doctype", u"<img", u"<iframe", u"<input", u"<ilayer", u"<br", u"<dd",
        u"<dt", u"<area", u"<frame", u"<isindex", u"<hr", u"<style", u"<spacer",
        u"<option", u"<base", u"<basefont", u"<bgsound", u"<li", u"<meta", u"<link"};
    for (const char16_t* name : names)
        if (lowerTagText == QStringView(name)) return true;
    return false;
}

bool completeTag(DocumentWindow* doc, const QString& tagText, const QString& text, int p) {
    const QString tag = tagText.toLower();
    if (tag.indexOf(u'/', 1) >= 0 || hasNoEndTag(tag)) return false;
    const QString name = tag.mid(1);
    QString end;
    if (tag == u"<p") {
        if (!addEndingP) return false;
        end = QStringLiteral("</p>");
    } else {
        if (name.isEmpty() || tagColorFor(name + u' ') == unrecognizedColor) return false;
        end = QStringLiteral("</") + name + u'>';
    }
    const qsizetype found = text.indexOf(end, qMax(0, p - 1), Qt::CaseInsensitive);
    if (found >= 0 && found < p - 1 + kLookAhead) return false;

    RichTextBox* editor = doc->txtMain;
    const int start = int(lastIndexBefore(text, u'<', p));
    ignoreChange = true;
    editor->setRedraw(false);
    replaceSelection(editor, QStringLiteral(">"));
    doc->readyUndo();
    replaceSelection(editor, end);
    doc->readyUndo();
    const int length = p + 1 + int(end.size()) - start;
    if (uppercaseTags) upperCaseSpan(doc, start, length);
    if (colorCoding) editor->setRangeColor(start, length, tagColorFor(name + u' '));
    editor->setSelStart(p + 1);
    editor->setRedraw(true);
    ignoreChange = false;
    markChanged(doc);
    return true;
}

void closeAngleTyped(DocumentWindow* doc, int& keyCode) {
    if (!doc) return;
    RichTextBox* editor = doc->txtMain;
    const QString text = editor->text() + u' ';
    const int p = editor->selStart();

    const qsizetype comment = openCommentBefore(text, p);
    if (comment >= 0) {
        if (colorCoding && p >= 2 && QStringView(text).mid(p - 2, 2) == u"--") {
            ignoreChange = true;
            editor->setRedraw(false);
            editor->setRangeColor(int(comment), p - int(comment), commentColor);
            editor->setSelStart(p);
            editor->setRedraw(true);
            ignoreChange = false;
        }
        return;
    }
    if (!tagCompletion && !uppercaseTags) return;
    const qsizetype lt = lastIndexBefore(text, u'<', p);
    const qsizetype gt = lastIndexBefore(text, u'>', p);
    if (lt < 0 || lt < gt) return;

    // The ">" that closes this start tag is already there (a blank after the name wrote it):
    // the caret steps over it rather than typing a second one. Not inside a quoted value,
    // where a ">" is part of the value.
    if (tagCompletion && editor->selLength() == 0 && p + 1 < text.size() && text[p] == u'>' &&
        QStringView(text).mid(lt, p - lt).count(u'"') % 2 == 0) {
        editor->setSelStart(p + 1);
        keyCode = 0;
        return;
    }

    if (tagCompletion) {
        qsizetype blank = text.indexOf(u' ', lt);
        if (blank < 0 || blank > p) blank = p;
        if (completeTag(doc, text.mid(lt, blank - lt), text, p)) keyCode = 0;
        return;
    }
    // Upper case only: the ">" follows as typed, and the upper-casing is no step of its own.
    ignoreChange = true;
    editor->setRedraw(false);
    editor->select(int(lt), p - int(lt));
    editor->setSelText(upperCaseTag(editor->selText()));
    editor->setSelStart(p);
    editor->setRedraw(true);
    ignoreChange = false;
}

void completeTagOnKey(DocumentWindow* doc, const QString& tagText, int& keyCode) {
    if (!doc) return;
    QString tag = tagText.trimmed().toLower();
    if (tag.size() < 2 || tag[1] == u'/') return;
    const int classColor = tagColorFor(QStringView(tag).mid(1));
    const qsizetype blank = tag.indexOf(u' ');
    if (blank >= 0) tag.truncate(blank);
    const QString name = tag.mid(1);

    QString end;
    int color = classColor;
    if (hasNoEndTag(tag)) {
        end = QStringLiteral(">");
    } else if (tag == u"<p") {
        end = addEndingP ? QStringLiteral("></p>") : QStringLiteral(">");
    } else if (tag.startsWith(u"<!--")) {
        end = QStringLiteral("-->");
        color = commentColor;
    } else {
        if (classColor == unrecognizedColor) return;
        end = QStringLiteral("></") + name + u'>';
    }

    RichTextBox* editor = doc->txtMain;
    const QString& text = editor->text();
    const int p = editor->selStart();
    const qsizetype from = qMax(0, p - 1);
    const qsizetype nextGt = text.indexOf(u'>', from);
    const qsizetype nextLt = text.indexOf(u'<', from);
    if (nextGt >= 0 && (nextLt < 0 || nextGt < nextLt)) return;
    const int start = int(lastIndexBefore(text, u'<', p));
    if (start < 0) return;

    editor->setRedraw(false);
    keyCode = 0;
    // The blank and the ending each go through the change handling: two undo steps, and the
    // document is marked changed.
    replaceSelection(editor, QStringLiteral(" "));
    replaceSelection(editor, end);
    ignoreChange = true;
    const int length = p + 1 + int(end.size()) - start;
    if (uppercaseTags) upperCaseSpan(doc, start, length);
    if (colorCoding) editor->setRangeColor(start, length, color);
    ignoreChange = false;
    editor->setSelStart(p + 1);
    editor->setRedraw(true);
}

}  // namespace kavrin
