#include "platform/richtext/linechunks.h"

#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace kavrin {

void setContinues(const QTextBlock& b, bool continues) {
    if (!b.isValid()) return;
    PieceData* d = pieceData(b);
    if (!d && !continues) return;
    if (!d) {
        d = new PieceData;
        QTextBlock(b).setUserData(d);
    }
    d->continues = continues && b.position() > 0;
}

KeepMark::KeepMark(const QTextDocument* doc, int position, bool pieces) : doc_(doc), position_(position) {
    if (!pieces) return;
    const QTextBlock b = doc->findBlock(position);
    starts_ = b.isValid() && b.position() == position;
    continues_ = starts_ && continuesLine(b);
}

void KeepMark::restore() const {
    if (!starts_) return;
    const QTextBlock b = doc_->findBlock(position_);
    if (b.position() == position_) setContinues(b, continues_);
}

QTextBlock lineFirstBlock(QTextBlock b) {
    while (continuesLine(b)) b = b.previous();
    return b;
}

QTextBlock lineLastBlock(QTextBlock b) {
    while (continuesLine(b.next())) b = b.next();
    return b;
}

namespace {

// How far from its aim a cut looks for a better place.
constexpr qsizetype kLook = 256;

bool joinsPrevious(QChar c) {
    if (c.isLowSurrogate()) return true;
    switch (c.category()) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing: return true;
    default: return c.unicode() == 0x200D;  // zero-width joiner
    }
}

// A cut at `at` (before text[at]) that splits no character: moved forward, or back when that
// would pass `limit`.
qsizetype safeCut(QStringView text, qsizetype at, qsizetype floor, qsizetype limit) {
    qsizetype forward = at;
    while (forward < limit && forward < text.size() && (joinsPrevious(text[forward]) || (forward > 0 && text[forward - 1] == u'\u200D')))
        ++forward;
    if (forward < limit) return forward;
    qsizetype back = at;
    while (back > floor + 1 && (joinsPrevious(text[back]) || text[back - 1] == u'\u200D')) --back;
    return back;
}

}  // namespace

std::vector<qsizetype> pieceCuts(QStringView text) {
    std::vector<qsizetype> cuts;
    const qsizetype n = text.size();
    qsizetype start = 0;
    while (n - start > kPieceMax) {
        const qsizetype aim = start + kPieceTarget;
        const qsizetype limit = start + kPieceMax;
        qsizetype cut = -1;
        // After a blank, where the line would wrap anyway; else after a tag's end.
        for (const QChar want : {QChar(u' '), QChar(u'>')}) {
            for (qsizetype d = 0; d <= kLook && cut < 0; ++d) {
                for (const qsizetype at : {aim + d, aim - d}) {
                    if (at > start && at < limit && text[at - 1] == want && !joinsPrevious(text[at])) {
                        cut = at;
                        break;
                    }
                }
            }
            if (cut >= 0) break;
        }
        if (cut < 0) cut = safeCut(text, aim, start, limit);
        cuts.push_back(cut);
        start = cut;
    }
    return cuts;
}

// --- soft breaks ------------------------------------------------------------------------------

void SoftBreaks::rebuild(const QTextDocument* doc) {
    at_.clear();
    for (QTextBlock b = doc->firstBlock().next(); b.isValid(); b = b.next())
        if (continuesLine(b)) at_.push_back(b.position() - 1);
}

void SoftBreaks::update(const QTextDocument* doc, int position, int removed, int added, bool scan) {
    const auto lo = std::lower_bound(at_.begin(), at_.end(), position);
    const auto hi = std::lower_bound(lo, at_.end(), position + removed);
    const int delta = added - removed;
    for (auto it = hi; it != at_.end(); ++it) *it += delta;
    const auto gone = at_.erase(lo, hi);
    if (!scan) return;
    // The separators now in [position, position + added) are read from the document.
    std::vector<int> found;
    const int end = position + added;
    for (QTextBlock b = doc->findBlock(position); b.isValid(); b = b.next()) {
        const int separator = b.position() + b.length() - 1;
        if (separator >= end) break;
        if (separator >= position && continuesLine(b.next())) found.push_back(separator);
    }
    at_.insert(gone, found.begin(), found.end());
}

int SoftBreaks::countIn(int from, int to) const {
    if (to <= from) return 0;
    return int(std::lower_bound(at_.begin(), at_.end(), to) - std::lower_bound(at_.begin(), at_.end(), from));
}

bool SoftBreaks::isSoftAt(int separator) const { return std::binary_search(at_.begin(), at_.end(), separator); }

int SoftBreaks::blockOffset(const QTextBlock& b) const { return blockOffset(b, b.position()); }

int SoftBreaks::blockOffset(const QTextBlock& b, int position) const { return offsetAt(position, b.blockNumber()); }

int SoftBreaks::offsetAt(int position, int number) const {
    // Qt walks its tree for a block's position and again for its number: callers ask each once.
    const int before = at_.empty() ? 0 : int(std::lower_bound(at_.begin(), at_.end(), position) - at_.begin());
    return position + number - 2 * before;
}

int SoftBreaks::offsetOf(const QTextDocument* doc, int position) const {
    position = qBound(0, position, doc->characterCount() - 1);
    const int before = int(std::lower_bound(at_.begin(), at_.end(), position) - at_.begin());
    return position + doc->findBlock(position).blockNumber() - 2 * before;
}

int SoftBreaks::positionOf(const QTextDocument* doc, int offset) const {
    if (offset <= 0) return 0;
    // The last block that starts at or before the offset.
    int lo = 0, hi = doc->blockCount() - 1;
    if (at_.empty()) hi = qMin(hi, offset / 2);  // then block b starts at offset position(b) + b >= 2b
    while (lo < hi) {
        const int mid = lo + (hi - lo + 1) / 2;
        if (offsetAt(doc->findBlockByNumber(mid).position(), mid) <= offset)
            lo = mid;
        else
            hi = mid - 1;
    }
    const QTextBlock b = doc->findBlockByNumber(lo);
    const int start = b.position();
    return qMin(start + (offset - offsetAt(start, lo)), start + b.length() - 1);
}

int SoftBreaks::lineOf(const QTextDocument* doc, int position) const {
    const QTextBlock b = doc->findBlock(qBound(0, position, doc->characterCount() - 1));
    const int before = int(std::lower_bound(at_.begin(), at_.end(), b.position()) - at_.begin());
    return b.blockNumber() - before;
}

QTextBlock SoftBreaks::lineStart(const QTextDocument* doc, int line) const {
    if (line < 0 || line >= lineCount(doc)) return {};
    if (at_.empty()) return doc->findBlockByNumber(line);
    // Block b lies on line b - (soft breaks before it), which never falls as b rises.
    int lo = line, hi = qMin(doc->blockCount() - 1, line + count());
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (lineOf(doc, doc->findBlockByNumber(mid).position()) >= line)
            hi = mid;
        else
            lo = mid + 1;
    }
    return doc->findBlockByNumber(lo);
}

int SoftBreaks::lineCount(const QTextDocument* doc) const { return doc->blockCount() - count(); }

// --- walking offsets ----------------------------------------------------------------------------

namespace {
// Offsets this far ahead of the walker's block are walked to, block by block; further ones are
// looked up.
constexpr int kWalk = 2048;
}  // namespace

OffsetWalker::OffsetWalker(const QTextDocument* doc, const SoftBreaks& soft)
    : doc_(doc), soft_(soft), block_(doc->firstBlock()) {}

int OffsetWalker::position(int offset) {
    offset = qMax(0, offset);
    if (offset < blockOffset_ || offset - blockOffset_ > kWalk) jump(offset);
    for (;;) {
        const int textLength = block_.length() - 1;
        const QTextBlock next = block_.next();
        if (!next.isValid()) break;
        // A soft break takes no room in the text: the offset where two pieces meet is the
        // later one's start.
        const int step = continuesLine(next) ? textLength : textLength + 2;
        if (offset < blockOffset_ + step) break;
        blockOffset_ += step;
        blockPosition_ += textLength + 1;
        block_ = next;
    }
    // The LF of a line break, and anything past the end, fall on the line's end.
    // Counted along rather than asked for: each question searches the document.
    return blockPosition_ + qMin(offset - blockOffset_, block_.length() - 1);
}

void OffsetWalker::jump(int offset) {
    block_ = doc_->findBlock(soft_.positionOf(doc_, offset));
    blockPosition_ = block_.position();
    blockOffset_ = soft_.blockOffset(block_);
}

// --- cutting and joining ----------------------------------------------------------------------

namespace {

void markContinuation(const QTextBlock& b) {
    auto* d = new PieceData;
    d->continues = true;
    QTextBlock(b).setUserData(d);
}

// Removes the separator before `b`, joining it to the block before.
void joinToPrevious(QTextCursor& cursor, const QTextBlock& b) {
    const KeepMark keep(cursor.document(), b.previous().position());
    cursor.setPosition(b.position() - 1);
    cursor.setPosition(b.position(), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    keep.restore();
}

}  // namespace

bool reshapePieces(QTextCursor& cursor, int from, int to) {
    QTextDocument* doc = cursor.document();
    QTextBlock first = doc->findBlock(qMax(0, from));
    if (first.previous().isValid()) first = first.previous();
    QTextBlock last = doc->findBlock(qMax(from, to));
    if (!last.isValid()) last = doc->lastBlock();
    if (last.next().isValid()) last = last.next();
    bool changed = false;
    // From the last block back, so that what is still to be looked at keeps its place.
    for (QTextBlock b = last; b.isValid();) {
        const bool isFirst = b == first;
        QTextBlock previous = b.previous();
        const int length = b.length() - 1;
        if (length > kPieceMax) {
            const std::vector<qsizetype> cuts = pieceCuts(b.text());
            const int at = b.position();
            QTextBlock(b).setUserState(-1);
            for (auto it = cuts.rbegin(); it != cuts.rend(); ++it) {
                cursor.setPosition(at + int(*it));
                cursor.insertBlock();
                markContinuation(cursor.block());
            }
            changed = true;
        } else if (length < kPieceMin && (continuesLine(b) || continuesLine(b.next()))) {
            const QTextBlock next = b.next();
            if (continuesLine(b) && (length == 0 || previous.length() - 1 + length <= kPieceMax)) {
                previous.setUserState(-1);
                joinToPrevious(cursor, b);
                changed = true;
            } else if (continuesLine(next) && length + next.length() - 1 <= kPieceMax) {
                QTextBlock(b).setUserState(-1);
                joinToPrevious(cursor, next);
                changed = true;
            }
        }
        if (isFirst) break;
        b = previous;
    }
    return changed;
}

}  // namespace kavrin
