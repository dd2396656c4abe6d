#include "documents/inserthtml.h"

#include "documents/colouring/colorcoding.h"
#include "documents/colouring/colorrange.h"
#include "documents/colouring/colorrtf.h"
#include "documents/documentwindow.h"
#include "documents/editorevents.h"
#include "documents/globals.h"
#include "platform/richtext/richtextbox.h"
#include "platform/system/screen.h"

namespace kavrin {

namespace {

// Insertions up to this many characters recolour only around themselves.
constexpr int kRangeRecolorLimit = 25000;

}  // namespace

QString upperCaseTag(const QString& html) {
    QString out;
    out.reserve(html.size());
    bool inTag = false;
    // The quote character that opened the value being copied, or none. A value may be quoted
    // with either kind and ends only at its own kind, so an apostrophe inside a double-quoted
    // value (or the reverse) does not end it.
    QChar quote;
    for (const QChar c : html) {
        if (c == u'<') {
            inTag = true;
            quote = QChar();
        } else if (c == u'>') {
            inTag = false;
        } else if (inTag && (c == u'"' || c == u'\'')) {
            if (quote.isNull())
                quote = c;
            else if (quote == c)
                quote = QChar();
        } else if (inTag && quote.isNull()) {
            out += c.toUpper();
            continue;
        }
        out += c;
    }
    return out;
}

void insertHtml(const QString& startTag, const QString& endTag, const QString& extraText, int mode) {
    // Any other mode would put nothing in the selection's place, deleting it.
    if (mode < 1 || mode > 4) return;
    DocumentWindow* doc = activeDocument();
    if (!doc) return;
    setBusy(true);
    if (doc->mode == 2) {
        // The design view takes the HTML into its own selection, as written: the source is
        // not touched, and tags keep their case.
        if (doc->dhtm) doc->dhtm->insertHtml(startTag, endTag, extraText, mode);
        setBusy(false);
        return;
    }

    RichTextBox* editor = doc->txtMain;
    // The editor keeps CR LF line breaks; counting in the same characters keeps the caret and
    // the recoloured range where the text went.
    QString open = withCrLfBreaks(startTag);
    QString close = withCrLfBreaks(endTag);
    const QString extra = withCrLfBreaks(extraText);
    if (uppercaseTags) {
        open = upperCaseTag(open);
        close = upperCaseTag(close);
    }
    const int p = editor->selStart();
    const QString s = editor->selText();
    QString t;
    switch (mode) {
    case 1: t = open + s + close + extra; break;
    case 2: t = open + extra + close + s; break;
    case 3: t = open + extra + close; break;
    default: t = open + close + extra; break;
    }

    ignoreChange = true;
    editor->setSelColor(0);
    ignoreChange = false;
    selStartBeforeChange = editor->selStart();
    selLengthBeforeChange = editor->selLength();
    editor->setSelText(t);
    if (colorCoding) {
        if (t.size() <= kRangeRecolorLimit) {
            editor->setRedraw(false);
            colorCodeRange(editor, p, int(t.size()));
            editor->setRedraw(true);
        } else {
            colorCodeDocument(doc);
        }
    }
    editor->setSelStart(p + int(t.size()) - int(close.size()));
    setBusy(false);
}

}  // namespace kavrin
