#pragma once
// The colour of every character of the editor's text, beside the text store and in its offsets
// (a CR LF line break is two characters, both in the break's colour): one byte per character,
// an index into a palette, with a gap at the place of the last edit as the text store has.
// Colours kept here cost Qt nothing until a line is shown; writing them into the document as
// character formats would split its fragments and lay out every line they touch.
#include <QHash>
#include <QtGlobal>

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "platform/richtext/textcolors.h"

namespace kavrin {

class ColorStore {
public:
    // A stretch of offsets [from, to); empty when from >= to.
    using Span = std::pair<qsizetype, qsizetype>;

    qsizetype length() const { return qsizetype(buffer_.size()) - gapLength_; }
    // The colour at `offset`; 0 outside the text.
    int at(qsizetype offset) const;
    // The colours over [from, to) as pieces of one colour, clipped to the text.
    ColorPieces pieces(qsizetype from, qsizetype to) const;
    // Calls `run(start, length, color)` for each run of one colour over [from, to).
    template <typename F>
    void forRuns(qsizetype from, qsizetype to, F&& run) const;

    // Empties the store; the room it had is kept for what is appended next.
    void clear();
    // Adds `count` characters of `color` at the end.
    void append(qsizetype count, int color);
    // Replaces the `removed` characters at `start` by `added` of `color`.
    void splice(qsizetype start, qsizetype removed, qsizetype added, int color);
    // The same with the added characters in the colours of `added` in order.
    void splice(qsizetype start, qsizetype removed, const ColorPieces& added);
    // Gives the characters from `from` on the colours of `pieces` (-1: the colour stays), clipped
    // to the text. Returns the stretch whose colours changed. `done` hears now and then how many
    // pieces are set.
    Span apply(qsizetype from, const ColorPieces& pieces, const std::function<void(qsizetype done)>& done = {});
    Span fill(qsizetype from, qsizetype to, int color);

private:
    std::uint8_t indexOf(int color);
    std::uint8_t byteAt(qsizetype offset) const {
        return buffer_[size_t(offset < gap_ ? offset : offset + gapLength_)];
    }
    void moveGap(qsizetype offset);
    // At least `count` free bytes in the gap.
    void reserveGap(qsizetype count);
    // Drops palette entries no character uses; false when every one is in use.
    bool compactPalette();

    // [0, gap_) and [gap_ + gapLength_, size) are the colours.
    std::vector<std::uint8_t> buffer_;
    qsizetype gap_ = 0;
    qsizetype gapLength_ = 0;
    std::vector<int> palette_;
    QHash<int, std::uint8_t> index_;
};

template <typename F>
void ColorStore::forRuns(qsizetype from, qsizetype to, F&& run) const {
    from = qMax<qsizetype>(0, from);
    to = qMin(to, length());
    qsizetype start = from;
    while (start < to) {
        const std::uint8_t b = byteAt(start);
        qsizetype end = start + 1;
        // The stretch before the gap and the one after it are each scanned as plain memory.
        while (end < to) {
            const qsizetype limit = end < gap_ ? qMin(to, gap_) : to;
            const std::uint8_t* p = buffer_.data() + (end < gap_ ? end : end + gapLength_);
            qsizetype n = 0;
            while (end + n < limit && p[n] == b) ++n;
            end += n;
            if (end < limit || end == to) break;
        }
        run(start, end - start, palette_[b]);
        start = end;
    }
}

}  // namespace kavrin
