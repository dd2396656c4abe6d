#include "platform/richtext/colorstore.h"

#include <algorithm>
#include <cstring>

namespace kavrin {

namespace {

int distance(int a, int b) {
    int d = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int x = ((a >> shift) & 0xFF) - ((b >> shift) & 0xFF);
        d += x * x;
    }
    return d;
}

}  // namespace

int ColorStore::at(qsizetype offset) const {
    if (offset < 0 || offset >= length()) return 0;
    return palette_[byteAt(offset)];
}

ColorPieces ColorStore::pieces(qsizetype from, qsizetype to) const {
    ColorPieces out;
    forRuns(from, to, [&out](qsizetype, qsizetype n, int color) { out.push_back({n, color}); });
    return out;
}

void ColorStore::clear() {
    gap_ = 0;
    gapLength_ = qsizetype(buffer_.size());
}

void ColorStore::append(qsizetype count, int color) { splice(length(), 0, count, color); }

void ColorStore::splice(qsizetype start, qsizetype removed, qsizetype added, int color) {
    start = qBound<qsizetype>(0, start, length());
    removed = qBound<qsizetype>(0, removed, length() - start);
    added = qMax<qsizetype>(0, added);
    const std::uint8_t b = added > 0 ? indexOf(color) : 0;
    moveGap(start);
    gapLength_ += removed;
    reserveGap(added);
    if (added > 0) std::memset(buffer_.data() + gap_, b, size_t(added));
    gap_ += added;
    gapLength_ -= added;
}

void ColorStore::splice(qsizetype start, qsizetype removed, const ColorPieces& added) {
    start = qBound<qsizetype>(0, start, length());
    removed = qBound<qsizetype>(0, removed, length() - start);
    qsizetype total = 0;
    for (const ColorPiece& p : added) total += qMax<qsizetype>(0, p.length);
    moveGap(start);
    gapLength_ += removed;
    reserveGap(total);
    for (const ColorPiece& p : added) {
        if (p.length <= 0) continue;
        const std::uint8_t b = indexOf(qMax(0, p.color));
        std::memset(buffer_.data() + gap_, b, size_t(p.length));
        gap_ += p.length;
        gapLength_ -= p.length;
    }
}

ColorStore::Span ColorStore::apply(qsizetype from, const ColorPieces& pieces, const std::function<void(qsizetype)>& done) {
    qsizetype lo = -1, hi = -1;
    qsizetype at = qMax<qsizetype>(0, from);
    const qsizetype len = length();
    for (size_t n = 0; n < pieces.size(); ++n) {
        const ColorPiece& p = pieces[n];
        if (done && n % 1024 == 0) done(qsizetype(n));
        if (at >= len) break;
        const qsizetype end = qMin(len, at + qMax<qsizetype>(0, p.length));
        if (p.color >= 0 && end > at) {
            const std::uint8_t b = indexOf(p.color);
            for (qsizetype i = at; i < end;) {
                // Each side of the gap is plain memory.
                const qsizetype limit = i < gap_ ? qMin(end, gap_) : end;
                std::uint8_t* q = buffer_.data() + (i < gap_ ? i : i + gapLength_);
                for (qsizetype k = 0; k < limit - i; ++k) {
                    if (q[k] == b) continue;
                    q[k] = b;
                    if (lo < 0) lo = i + k;
                    hi = i + k + 1;
                }
                i = limit;
            }
        }
        at = end;
    }
    return lo < 0 ? Span{0, 0} : Span{lo, hi};
}

ColorStore::Span ColorStore::fill(qsizetype from, qsizetype to, int color) {
    from = qMax<qsizetype>(0, from);
    if (to <= from) return {0, 0};
    return apply(from, ColorPieces{{to - from, color}});
}

std::uint8_t ColorStore::indexOf(int color) {
    const auto it = index_.constFind(color);
    if (it != index_.cend()) return *it;
    if (palette_.size() >= 256 && !compactPalette()) {
        // Every one of 256 colours is in use at once: the nearest stands in.
        std::uint8_t best = 0;
        for (size_t i = 1; i < palette_.size(); ++i)
            if (distance(palette_[i], color) < distance(palette_[best], color)) best = std::uint8_t(i);
        return best;
    }
    const auto b = std::uint8_t(palette_.size());
    palette_.push_back(color);
    index_.insert(color, b);
    return b;
}

bool ColorStore::compactPalette() {
    bool used[256] = {};
    const qsizetype len = length();
    for (qsizetype i = 0; i < len; ++i) used[byteAt(i)] = true;
    std::uint8_t map[256] = {};
    std::vector<int> kept;
    for (size_t i = 0; i < palette_.size(); ++i) {
        if (!used[i]) continue;
        map[i] = std::uint8_t(kept.size());
        kept.push_back(palette_[i]);
    }
    if (kept.size() == palette_.size()) return false;
    for (std::uint8_t& b : buffer_) b = map[b];  // the gap's bytes are never read
    palette_ = std::move(kept);
    index_.clear();
    for (size_t i = 0; i < palette_.size(); ++i) index_.insert(palette_[i], std::uint8_t(i));
    return true;
}

void ColorStore::moveGap(qsizetype offset) {
    if (offset == gap_) return;
    std::uint8_t* d = buffer_.data();
    if (offset < gap_)
        std::memmove(d + offset + gapLength_, d + offset, size_t(gap_ - offset));
    else
        std::memmove(d + gap_, d + gap_ + gapLength_, size_t(offset - gap_));
    gap_ = offset;
}

void ColorStore::reserveGap(qsizetype count) {
    if (count <= gapLength_) return;
    const qsizetype len = length();
    const qsizetype room = count + qMax<qsizetype>(4096, len / 8);
    std::vector<std::uint8_t> grown(size_t(len + room));
    // std::copy rather than memcpy: an empty store has no buffer yet, and memcpy may not be
    // handed a null pointer even for no bytes.
    std::copy(buffer_.begin(), buffer_.begin() + gap_, grown.begin());
    std::copy(buffer_.begin() + gap_ + gapLength_, buffer_.end(), grown.begin() + gap_ + room);
    buffer_ = std::move(grown);
    gapLength_ = room;
}

}  // namespace kavrin
