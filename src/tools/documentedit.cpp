#include "tools/documentedit.h"

#include <cstring>

#include "documents/documentwindow.h"
#include "documents/globals.h"

namespace kavrin {

namespace {

constexpr qsizetype kChunk = 1024;

qsizetype commonPrefix(QStringView a, QStringView b) {
    const qsizetype n = qMin(a.size(), b.size());
    qsizetype i = 0;
    while (n - i >= kChunk && std::memcmp(a.utf16() + i, b.utf16() + i, kChunk * sizeof(char16_t)) == 0)
        i += kChunk;
    while (i < n && a[i] == b[i]) ++i;
    return i;
}

// Characters equal at the ends of both texts, not reaching into the first `prefix` of either.
qsizetype commonSuffix(QStringView a, QStringView b, qsizetype prefix) {
    const qsizetype n = qMin(a.size(), b.size()) - prefix;
    qsizetype k = 0;
    while (n - k >= kChunk && std::memcmp(a.utf16() + a.size() - k - kChunk, b.utf16() + b.size() - k - kChunk,
                                          kChunk * sizeof(char16_t)) == 0)
        k += kChunk;
    while (k < n && a[a.size() - 1 - k] == b[b.size() - 1 - k]) ++k;
    return k;
}

}  // namespace

void replaceDocumentRange(DocumentWindow* doc, int start, int length, const QString& text) {
    RichTextBox* editor = doc->txtMain;
    const bool wasIgnoring = ignoreChange;
    ignoreChange = false;
    editor->select(start, length);
    selStartBeforeChange = start;
    selLengthBeforeChange = length;
    editor->setSelText(text);
    ignoreChange = wasIgnoring;
}

bool replaceDocumentText(DocumentWindow* doc, const QString& newText) {
    RichTextBox* editor = doc->txtMain;
    const QString old = editor->text();
    const qsizetype prefix = commonPrefix(old, newText);
    if (prefix == old.size() && prefix == newText.size()) return false;
    const qsizetype suffix = commonSuffix(old, newText, prefix);
    const int caret = editor->selStart();
    const qsizetype oldLength = old.size() - prefix - suffix;
    const QString middle = newText.mid(prefix, newText.size() - prefix - suffix);
    replaceDocumentRange(doc, int(prefix), int(oldLength), middle);
    editor->select(qBound(0, caret, editor->textLength()), 0);
    return true;
}

}  // namespace kavrin
