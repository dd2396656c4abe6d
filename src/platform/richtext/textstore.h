#pragma once
// The editor's text as CR LF text, kept beside the document so that reading it costs nothing,
// with a gap at the place of the last edit so that typing there moves nothing; and the
// conversions between CR LF text and the document's own form of it.
#include <QString>
#include <QStringView>
#include <QTextBlock>

#include <functional>
#include <vector>

#include "platform/richtext/splittext.h"

class QTextCharFormat;
class QTextCursor;
class QTextDocument;

namespace kavrin {

class TextStore {
public:
    // The whole text. Reading it after an edit closes the gap, which moves the text after the
    // edit, once.
    const QString& text() const {
        if (gapLength_ > 0) closeGap();
        return buffer_;
    }
    // The text as it stands, without moving anything: up to the last edit, and after it.
    SplitText parts() const;
    // The same, split where an edit is about to be made: the head holds all the text before
    // `offset`, and the edit finds the gap in place.
    SplitText partsAt(qsizetype offset) const;
    qsizetype length() const { return buffer_.size() - gapLength_; }
    // The `length` characters at `start`, clipped like QString::mid.
    QString mid(qsizetype start, qsizetype length) const { return parts().mid(start, length); }

    // Becomes `text`. Spare room in its allocation is kept: the gap grows into it.
    void set(QString text);
    // Becomes the document text `raw` (U+2029 between its `blocks` blocks) in CR LF form; the
    // separators at the positions `soft` (in order) join pieces of one line and become nothing.
    void setFromDocument(QStringView raw, qsizetype blocks, const std::vector<int>& soft);
    // Replaces the `removed` characters at `start` by `added`. A copy of text() held elsewhere
    // stays as it was.
    void splice(qsizetype start, qsizetype removed, QStringView added);

private:
    void moveGap(qsizetype offset) const;
    void closeGap() const;

    // [0, gap_) and [gap_ + gapLength_, size) are the text.
    mutable QString buffer_;
    mutable qsizetype gap_ = 0;
    mutable qsizetype gapLength_ = 0;
};

// CR LF text as the document holds it: every line break (CR LF, lone CR, lone LF, U+2029) one
// '\n', which QTextCursor::insertText turns into a block. The frame markers QTextDocument
// reserves are replaced so that they cannot shift offsets. The CR LF form goes to `crlf`.
QString toDocumentText(QStringView text, QString* crlf);
// Whether `text` needs toDocumentText: QTextCursor::insertText itself takes CR LF as one line
// break, so only lone breaks and the frame markers do.
bool needsDocumentText(QStringView text);
// Appends document text (U+2029 between blocks) as CR LF text. With `soft`, the document
// positions of soft breaks in order, and `base`, the position of raw's first character, the
// separators at those positions are left out.
void appendCrlf(QString* out, QStringView raw, const std::vector<int>* soft = nullptr, int base = 0);
// A CR LF offset that points between a CR and its LF stands for the line's end, as the document
// has no position there.
qsizetype snapToBreak(QStringView text, qsizetype offset);

// Long text goes into the document in pieces of this many characters.
constexpr qsizetype kInsertPiece = 1 << 16;
// Inserts CR LF text at the cursor in `format`, a long one in pieces that never split a CR LF or
// a surrogate pair; `inserted` is told how much of the text is in after each piece.
void insertInPieces(QTextCursor& cursor, QStringView text, const QTextCharFormat& format,
                    const std::function<void(qsizetype inserted)>& inserted);

}  // namespace kavrin
