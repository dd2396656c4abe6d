#include "platform/richtext/textstore.h"

#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cstring>
#include <utility>

namespace kavrin {

namespace {
// Room the gap is given when it must grow: typing fills it a character at a time, so the text
// after it moves once per this many characters typed, not once per key.
constexpr qsizetype kGapRoom = 8192;
}  // namespace

SplitText TextStore::parts() const {
    const QStringView all(buffer_);
    if (gapLength_ == 0) return {all, {}};
    return {all.left(gap_), all.mid(gap_ + gapLength_)};
}

SplitText TextStore::partsAt(qsizetype offset) const {
    if (gapLength_ > 0) moveGap(qBound<qsizetype>(0, offset, length()));
    return parts();
}

void TextStore::set(QString text) {
    buffer_ = std::move(text);
    gap_ = gapLength_ = 0;
}

void TextStore::setFromDocument(QStringView raw, qsizetype blocks, const std::vector<int>& soft) {
    QString out;
    // Room for the gap beyond the text, so that the first edits need no new allocation; the
    // room costs no memory until it is written to.
    const qsizetype length = raw.size() + blocks;
    out.reserve(length + kGapRoom + length / 32);
    appendCrlf(&out, raw, &soft);
    set(std::move(out));
}

void TextStore::moveGap(qsizetype offset) const {
    if (gapLength_ == 0) {
        gap_ = offset;
        return;
    }
    char16_t* d = reinterpret_cast<char16_t*>(buffer_.data());
    if (offset < gap_)
        std::memmove(d + offset + gapLength_, d + offset, size_t(gap_ - offset) * sizeof(char16_t));
    else if (offset > gap_)
        std::memmove(d + gap_, d + gap_ + gapLength_, size_t(offset - gap_) * sizeof(char16_t));
    gap_ = offset;
}

void TextStore::closeGap() const {
    const qsizetype length = buffer_.size() - gapLength_;
    moveGap(length);
    buffer_.resize(length);  // keeps the allocation: the next edit opens the gap in it again
    gap_ = gapLength_ = 0;
}

void TextStore::splice(qsizetype start, qsizetype removed, QStringView added) {
    const qsizetype length = this->length();
    if (!buffer_.isDetached()) {
        // Someone holds a copy of the text: build the new text in one pass, rather than copying
        // it whole and then moving its tail.
        const SplitText old = parts();
        QString next;
        next.reserve(length - removed + added.size() + kGapRoom);
        old.appendTo(&next, 0, start);
        next.append(added);
        old.appendTo(&next, start + removed, length - start - removed);
        set(std::move(next));
        return;
    }
    // The gap grows where it is before it moves, so that growing moves only what lies after it
    // (nothing, after loading) and the move to the edit carries the larger gap along.
    if (gapLength_ == 0) moveGap(start);  // no gap yet: it opens at the edit
    if (added.size() > gapLength_ + removed) {
        const qsizetype grow = added.size() - removed - gapLength_ + kGapRoom;
        const qsizetype oldSize = buffer_.size();
        // Growing in place lets the allocator remap a large block rather than copy it.
        if (buffer_.capacity() < oldSize + grow) buffer_.reserve(oldSize + grow + length / 32);
        buffer_.resize(oldSize + grow);
        const qsizetype after = gap_ + gapLength_;
        char16_t* d = reinterpret_cast<char16_t*>(buffer_.data());
        std::memmove(d + after + grow, d + after, size_t(oldSize - after) * sizeof(char16_t));
        gapLength_ += grow;
    }
    // The edit happens at the gap: the removed characters join it, the added ones fill it.
    moveGap(start);
    gapLength_ += removed;
    if (!added.isEmpty()) {
        char16_t* d = reinterpret_cast<char16_t*>(buffer_.data());
        std::memcpy(d + gap_, added.utf16(), size_t(added.size()) * sizeof(char16_t));
    }
    gap_ += added.size();
    gapLength_ -= added.size();
}

QString toDocumentText(QStringView text, QString* crlf) {
    QString doc;
    doc.reserve(text.size());
    const qsizetype n = text.size();
    qsizetype run = 0;
    auto flush = [&](qsizetype to) {
        if (to > run) {
            doc.append(text.mid(run, to - run));
            if (crlf) crlf->append(text.mid(run, to - run));
        }
    };
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\r' || c == u'\n' || c == 0x2029) {
            flush(i);
            doc.append(u'\n');
            if (crlf) crlf->append(u"\r\n");
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') ++i;
            run = i + 1;
        } else if (c == 0xFDD0 || c == 0xFDD1) {
            flush(i);
            doc.append(QChar(0xFFFD));
            if (crlf) crlf->append(QChar(0xFFFD));
            run = i + 1;
        }
    }
    flush(n);
    return doc;
}

bool needsDocumentText(QStringView text) {
    const char16_t* p = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i];
        if (c > u'\r' && c < 0x2029) continue;
        if (c == u'\r') {
            if (i + 1 < n && p[i + 1] == u'\n') {
                ++i;
                continue;
            }
            return true;
        }
        if (c == u'\n' || c == 0x2029 || c == 0xFDD0 || c == 0xFDD1) return true;
    }
    return false;
}

void appendCrlf(QString* out, QStringView raw, const std::vector<int>* soft, int base) {
    auto next = soft ? std::lower_bound(soft->begin(), soft->end(), base) : std::vector<int>::const_iterator();
    qsizetype run = 0;
    for (qsizetype i = raw.indexOf(QChar(0x2029)); i >= 0; i = raw.indexOf(QChar(0x2029), i + 1)) {
        out->append(raw.mid(run, i - run));
        run = i + 1;
        const int at = base + int(i);
        if (soft) {
            while (next != soft->end() && *next < at) ++next;
            if (next != soft->end() && *next == at) continue;
        }
        out->append(u"\r\n");
    }
    out->append(raw.mid(run));
}

qsizetype snapToBreak(QStringView text, qsizetype offset) {
    if (offset > 0 && offset < text.size() && text[offset] == u'\n' && text[offset - 1] == u'\r') return offset - 1;
    return offset;
}

void insertInPieces(QTextCursor& cursor, QStringView text, const QTextCharFormat& format,
                    const std::function<void(qsizetype)>& inserted) {
    const qsizetype n = text.size();
    qsizetype at = 0;
    while (at < n) {
        qsizetype end = qMin(n, at + kInsertPiece);
        // A CR LF pair is one line break only when it goes in whole, and a surrogate pair is one
        // character.
        if (end < n && ((text[end - 1] == u'\r' && text[end] == u'\n') || text[end - 1].isHighSurrogate())) ++end;
        const QStringView part = text.mid(at, end - at);
        cursor.insertText(needsDocumentText(part) ? toDocumentText(part, nullptr) : part.toString(), format);
        at = end;
        if (inserted) inserted(at);
    }
}

}  // namespace kavrin
