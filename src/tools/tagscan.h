#pragma once
// The character scanners of Change Tag Case and Strip HTML Tags. Both walk a page line by line
// and keep their state (inside a tag, a comment, a quoted part) from one line to the next, so
// tags and comments that span lines are handled whole. They work on text in memory.
#include <QString>
#include <QStringList>

#include <functional>

namespace kavrin {

// The lines of a text as reading it line by line gives them: CR LF, a lone CR and a lone LF end
// a line; a line end at the very end does not start another line.
QStringList splitLines(const QString& text);

// Told after each line how far the scan has come (the lines' lengths plus 2 for each line end).
using ScanProgress = std::function<void(qint64 position)>;

// Every character inside a tag and outside double quotes in upper (or lower) case; text outside
// tags, comments ("<!--" to "-->") and quoted parts keep their case. A double quotation mark
// outside comments switches the quote state, inside a tag or not. Every line of the result,
// the last one included, ends in CR LF.
QString changeTagCase(const QString& text, bool upper, const ScanProgress& progress = {});

// The text without its tags and comments; each line of the text followed by a CR LF gives one
// line of the result, ending in CR LF (a line that held only tags becomes an empty line).
QString stripTags(const QString& text, const ScanProgress& progress = {});

}  // namespace kavrin
