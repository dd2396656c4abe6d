#pragma once
// Moves by words within a line of text, as Qt's text cursor makes them within one block; used
// where a line is held as several blocks, so that Ctrl+arrows, Ctrl+Backspace and a double
// click treat it as the one line it is. Offsets are into `text`; [start, end) is the line.
#include <QtGlobal>

#include <utility>

#include "platform/richtext/splittext.h"

namespace kavrin {

struct LineSpan {
    qsizetype start = 0;
    qsizetype end = 0;
};

// Where Ctrl+Right goes from `at` (at < line.end): over a word or a run of word separators, then
// over the blanks after it.
qsizetype nextWordStop(const SplitText& text, LineSpan line, qsizetype at);
// Where Ctrl+Left goes from `at` (at > line.start): back over blanks, then over a word or a run
// of word separators.
qsizetype previousWordStop(const SplitText& text, LineSpan line, qsizetype at);
// The word a double click at `at` selects: [first, second). Empty where Qt selects nothing.
std::pair<qsizetype, qsizetype> wordAt(const SplitText& text, LineSpan line, qsizetype at);

}  // namespace kavrin
