#pragma once
// The common part of two sequences, found by Myers' diff: its cost grows with the number of
// differences, not with the length of what the two share.
#include <QStringView>
#include <QtGlobal>
#include <vector>

namespace kavrin {

// For each item of `a`, the index of the item of `b` it is paired with, or -1. The pairs rise in
// both sequences and pair only equal items; they are a longest common subsequence while a stretch
// has fewer than about `effort` differences, and past that a good one (the stretch is split where
// most has been matched so far, so no input takes more than a bounded time per item).
std::vector<int> pairSequences(const quint64* a, int n, const quint64* b, int m, int effort = 4096);

// The longest stretch of characters that `a` and `b` both hold: where it starts in each, and
// its length (0 when they share no character). Of equally long ones, the first in `a`. Reads
// each once (a suffix automaton of `b`), so it is linear in their lengths.
struct CommonStretch {
    int a = 0;
    int b = 0;
    int length = 0;
};
CommonStretch longestCommonStretch(QStringView a, QStringView b);

}  // namespace kavrin
