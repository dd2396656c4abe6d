#pragma once
// Reading a start tag out of the source and writing one back. Offsets are those of the source
// editor's text (a line break counts as its two characters). Quoted values are honoured with
// either quote mark, so a ">" inside a value never ends the tag; blanks, tabs and line breaks all
// separate attributes; blanks may stand around "=".
#include <QString>
#include <QVector>
#include <optional>

#include "documents/globals.h"

namespace kavrin {

// Where a start tag lies: from its "<" through its closing ">".
struct TagSpan {
    int start = 0;
    int length = 0;
    int end() const { return start + length; }  // one past the ">"
};

// The offset of the ">" that closes the tag whose "<" is at `lt`, outside quoted values;
// -1 when the text ends first.
int tagCloseFrom(const QString& text, int lt);

// The tag the caret stands in: the one whose "<" is just after the caret, or one that opened
// before the caret and closes at or after it. A "<" that lies inside a quoted value of an
// enclosing tag is not taken for a tag of its own. nullopt when the caret is in no tag or the
// tag never closes.
std::optional<TagSpan> tagAtCaret(const QString& text, int caret);

// The tag's name as written: the characters after "<" up to white space or ">".
QString tagNameAt(const QString& text, int lt);

// The attributes of one whole tag text ("<name ...>"), in their order, none dropped. Names
// keep their case; values lose their quotes; `bare` marks a name written without "=".
QVector<TagAttribute> parseTagAttributes(const QString& tag);

// A value as it goes between double quotes: a double quote inside becomes "&quot;".
QString quoteAttributeValue(const QString& value);
// " name=\"value\"" with the value quoted as above.
QString attributeText(const QString& name, const QString& value);
// How an attribute the dialog has no field for is written back: " name" alone when its value
// is empty, else with "=" and the quoted value.
QString keptAttributeText(const TagAttribute& attribute);

// A colour as written into a tag: "#" in front of exactly three or six hexadecimal digits;
// names, values that already have "#" and anything else stay as they are.
QString colorWithHash(const QString& color);

}  // namespace kavrin
