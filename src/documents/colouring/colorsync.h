#pragma once
// The colours a whole-page colouring pass would give the text around one change, worked out from
// the change alone. The pass reads the page from its start, but what it has seen comes down to a
// small state (inside a comment or not, and the colour the next character takes): the state is
// found at a point shortly before the change, and the text is read from there until, past the
// change, the state is again what the same point had before the change. From there on the pass
// colours as it did before, so the page's colours beyond it stand.
#include <QStringView>
#include <QVector>

#include "documents/colouring/tagclasses.h"
#include "platform/richtext/splittext.h"

namespace kavrin {

// One stretch of one colour.
struct ColorPieceRun {
    qsizetype length = 0;
    int color = 0;
};

// The stretch [from, from + total length of runs) of the text as it is now whose colours may have
// changed, with the colours the pass gives it, in order.
struct PageColorStretch {
    qsizetype from = 0;
    QVector<ColorPieceRun> runs;
    qsizetype length() const;
};

// `now` is the text (CR LF breaks) after a change that put `inserted` characters at `start` in
// place of `removed`. The page is assumed coloured as the pass colours it before the change.
PageColorStretch pageColorsAfterChange(const SplitText& now, qsizetype start, QStringView removed, qsizetype inserted,
                                       const TagColors& colors);

// The same stretch worked out before the change is made, from the text `before` it and the
// `inserted` text that will take the place of `removed` characters at `start`.
PageColorStretch pageColorsForChange(const SplitText& before, qsizetype start, qsizetype removed,
                                     QStringView inserted, const TagColors& colors);

// The whole-page pass's colours of all of `text`, by the same reading (for checking).
PageColorStretch pageColors(QStringView text, const TagColors& colors);

}  // namespace kavrin
