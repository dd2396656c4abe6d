#pragma once
// The attribute and value tips read from the tag data file, the tip list's placement under the
// caret, and tag completion's helpers.
#include <QRect>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVector>

namespace kavrin {

class DocumentWindow;

// One entry of the tip list: the text to insert and the kind of its icon ("event", "flag",
// "attribute", "value").
struct TipEntry {
    QString text;
    QString kind;
    bool operator==(const TipEntry&) const = default;
};

// The lines of "html.dat" in the program folder, read once and kept while the file is unchanged.
// Empty when the file is missing or unreadable.
const QStringList& tagDataLines();
// The first line that begins with `prefix` (compared case-sensitively), or an empty string.
QString findTagLine(const QStringList& lines, const QString& prefix);
// The attribute list of a tag line: events as stored, attributes up to their "=" lower-cased,
// flags lower-cased.
QVector<TipEntry> attributeEntries(const QString& tagLine);
// The value list of the attribute `key` (upper case, ending in "=") on a tag line.
QVector<TipEntry> valueEntries(const QString& tagLine, const QString& key);
// True when a comment is open at `p` and closed somewhere after it: no tips there.
bool insideClosedComment(QStringView text, qsizetype p);

// Where the tip list goes, in pixels of the document window.
struct TipPlacementInput {
    int entries = 0;
    int fontSize = 0;
    QPoint caret;          // caret's top-left in the window, before the border allowance
    int innerHeight = 0;
    int outerWidth = 0;
    int innerWidth = 0;
};
QRect tipListGeometry(const TipPlacementInput& in);

// Shows the prepared tip list under the caret without taking the focus.
void showTipList(DocumentWindow* doc);
// Wires the tip list's and the two timers' events of a new document window.
void connectTipList(DocumentWindow* doc);
// Takes the tip list's key and focus handling away again; the window calls it as it is
// destroyed, before its children, which would otherwise still report to it.
void disconnectTipList(DocumentWindow* doc);
// Handlers of the tip list and its timers.
void lstTip_DblClick(DocumentWindow* doc);
void tmrCheck4Focus_Timer(DocumentWindow* doc);
void tmrTipPause_Timer(DocumentWindow* doc);

// Elements written without an end tag (lower case, with their "<").
bool hasNoEndTag(const QString& lowerTagText);
// Writes ">" and the end tag of `tagText` at the caret `p`; `text` is the editor's text with one
// blank appended. False when nothing was written.
bool completeTag(DocumentWindow* doc, const QString& tagText, const QString& text, int p);

}  // namespace kavrin
