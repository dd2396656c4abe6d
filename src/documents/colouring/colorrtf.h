#pragma once
// The rich text of a whole-document colouring pass: the document's text with a colour switch
// before every tag and comment, as bytes ready to be written to "temp.rtf" and read back into the
// editor. Pure functions: colours, font and text come in as arguments.
//
// What the bytes hold, for whoever reads them back:
// - line 1 the font table, line 2 the colour table (\cf0 black, then \cf1 .. \cf8 for the tag,
//   table, font, anchor, comment, form, image and unrecognized colours, never de-duplicated),
//   then "\deflang1033\pard\plain\f0\fsN " and the text, and a last line "}"; every line ends
//   in CR LF, and those CR LF bytes are not text;
// - colour switches "\cfN" (followed by a blank, or directly by "<" for the comment switch);
// - "\par " for every line break of the text: CR LF, a lone CR and a lone LF each become one;
//   a break at the very end of the text is written too, so nothing is lost;
// - "\\", "\{", "\}" for a backslash and braces;
// - "\uN?" for every UTF-16 unit outside printable ASCII (N signed 16-bit decimal, so units
//   from 0x8000 are negative; a surrogate pair is two escapes; "?" is the one-character fallback
//   to skip), tab excepted; the font name is escaped the same way;
// - every other byte is the printable ASCII character itself, or a tab.
// Read back with "\par" as CR LF, the text equals the input with each line break made CR LF.
#include <QByteArray>
#include <QString>
#include <QStringView>
#include <QVector>
#include <functional>

#include "documents/colouring/tagclasses.h"

namespace kavrin {

// The colour switch "\cf1 " .. "\cf8 " for the tag whose "<" is followed by `text` (the up to
// 12 characters after it). The class colour is compared with the unrecognized, table, font,
// anchor, form, comment and image colours in that order; the first equal one decides, and a
// colour equal to none of them is \cf1.
QString colorToRtfCode(QStringView text, const TagColors& colors);
QString colorToRtfCode(QStringView text);
// The digit N of that switch.
int rtfColorIndex(QStringView text, const TagColors& colors);

// The colour-table entry "\redR\greenG\blueB;" of a colour value.
QString colorToRtfEntry(int color);
// The colour value that entry stands for (only the low 24 bits of a colour are written).
int rtfTableColor(int color);

// The whole RTF file for `text` (the editor's text). `progress`, when given, is called after
// each line with the number of characters of `text` done so far.
QByteArray documentToColorRtf(QStringView text, const TagColors& colors, const QString& fontName,
                              int fontSize,
                              const std::function<void(qsizetype done)>& progress = {});
// Takes the bytes of the RTF a piece at a time; false refuses the piece.
using RtfSink = std::function<bool(const char* data, qsizetype size)>;
// The same bytes handed to `sink` in pieces of some hundred kilobytes as they are made, so that
// the whole (three times the text on a page of many tags) is never held. False when the sink
// refused a piece; the rest is then not written, beyond the line under way.
bool writeColorRtf(QStringView text, const TagColors& colors, const QString& fontName, int fontSize,
                   const RtfSink& sink, const std::function<void(qsizetype done)>& progress = {});

// One stretch of the coloured text.
struct ColorSpan {
    QString text;  // CR LF line breaks
    int color = 0;
    bool operator==(const ColorSpan&) const = default;
};

// What the editor should hold after loading documentToColorRtf(text, colors, ...): the text with
// CR LF breaks, cut into maximal stretches of one colour (table colours as rtfTableColor gives
// them, black 0). Worked out character by character, independently of the writer, so the two
// can check each other.
QVector<ColorSpan> expectedColorSpans(QStringView text, const TagColors& colors);

// `text` with every line break (CR LF, lone CR, lone LF) written as CR LF.
QString withCrLfBreaks(QStringView text);

}  // namespace kavrin
