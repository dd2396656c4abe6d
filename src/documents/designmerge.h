#pragma once
// Bringing a design session back into the source. The engine rewrites a page as it loads it
// (quotes, implied elements, entities, line breaks), so taking its HTML as the new source would
// change every line the user never touched. Instead the lines of the engine's first rendering
// are matched to the source's, and only the stretch the user changed is written back.
#include <QString>
#include <QVector>

namespace kavrin {

// `source` with the changes that turned `loaded` (the engine's HTML right after loading the
// source) into `edited` (its HTML now). Source lines outside the changed stretch keep every
// byte; lines inside it that the engine had rewritten come back in the engine's form. Line
// breaks written into the source are CR LF.
QString designedSource(const QString& source, const QString& loaded, const QString& edited);

// Pairs of equal lines (index in a, index in b), increasing in both: a patience alignment, with
// a plain longest-common-subsequence pass inside small stretches that have no unique line.
QVector<QPair<int, int>> alignLines(const QVector<int>& a, const QVector<int>& b);

}  // namespace kavrin
