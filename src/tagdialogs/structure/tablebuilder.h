#pragma once
// The text a table dialog writes and previews, from plain values: the row and column counts as
// typed, the rows and cells of a new table, and the preview page.
#include <QString>

namespace kavrin {

// The largest grid the table dialogs build, in cells (rows times columns). A bigger one would
// be megabytes of markup that no page wants and the editor would choke on.
constexpr long long kMaxTableCells = 100000;
// The preview draws at most this many rows and columns; the table written is not bounded by it.
constexpr int kPreviewMaxRows = 50;
constexpr int kPreviewMaxCols = 50;

// A row or column count as typed: the number at the start of the text rounded to a whole
// number (a half to the even neighbour); 0 when the text has no leading number or the number
// lies outside -32768 to 32767.
int tableCount(const QString& text);

// True when a grid of this many rows and columns may be built. Counts of 0 or less build no
// cells, so only the product of two positive counts is limited.
bool tableGridFits(int rows, int cols);

// The rows and cells of a new table, written between its start tag and the selection: nothing
// when neither count is above 0; otherwise CR LF, then per row "<tr>" CR LF, its cells (indent,
// "<td>", with `labelCells` "cell r,c", "</td>" CR LF) and "</tr>" CR LF.
QString tableRows(int rows, int cols, bool labelCells, const QString& indent);

// The page the live preview shows: a table with `attributes` (each with its leading blank) and
// a sample of `rows` by `cols` labelled cells, bounded by kPreviewMaxRows and kPreviewMaxCols.
QString tablePreviewPage(const QString& attributes, int rows, int cols, const QString& indent);

}  // namespace kavrin
