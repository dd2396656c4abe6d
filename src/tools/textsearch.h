#pragma once
// Finding and replacing a text in a string by the rules of the source editor's find: without
// regard to case unless asked, and a whole word only when no letter, digit or "_" touches it.
#include <QString>
#include <QStringView>
#include <QVector>

#include <optional>

namespace kavrin {

// Flags as the editor's find takes them: 2 whole words only, 4 match case.
enum SearchFlags : int { searchWholeWord = 2, searchMatchCase = 4 };

bool isSearchWordChar(QChar c);

// The first hit of `what` in text[from, to) (to < 0: the end), or -1. `before`, when given,
// stands in for the character in front of offset `from` as the whole-word rule sees it (a null
// character: nothing stands there).
qsizetype findText(QStringView text, QStringView what, qsizetype from, qsizetype to, int flags,
                   std::optional<QChar> before = std::nullopt);

// The hits Replace All makes, as offsets into the original text: each search starts right after
// the text the previous hit was replaced with, so nothing inserted is searched again, and the
// whole-word rule sees the replacement in front of a hit that directly follows it.
QVector<qsizetype> replacementHits(QStringView text, QStringView find, QStringView replacement, int flags);

// The text with every hit (each `findLength` long) replaced.
QString applyReplacements(QStringView text, const QVector<qsizetype>& hits, qsizetype findLength,
                          QStringView replacement);

}  // namespace kavrin
