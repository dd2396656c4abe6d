#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <cctype>
#include <ostream>

#include "documents/colouring/colorrtf.h"
#include "documents/globals.h"
#include "fixture.h"

namespace kavrin {
// Readable failures: the span's text with its line breaks shown.
static void PrintTo(const ColorSpan& span, std::ostream* os) {
    QString t = span.text;
    t.replace("\r", "\\r").replace("\n", "\\n");
    *os << '{' << t.toStdString() << " #" << std::hex << span.color << std::dec << '}';
}
}  // namespace kavrin

namespace kavrin::test {
namespace {

TagColors defaultColors() { return defaultTagColors(); }

const QByteArray kHeader =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deftab720{\\fonttbl{\\f0\\fmodern Courier New;}}\r\n"
    "{\\colortbl\\red0\\green0\\blue0;\\red0\\green0\\blue160;\\red128\\green0\\blue0;"
    "\\red128\\green128\\blue64;\\red0\\green128\\blue255;\\red128\\green128\\blue128;"
    "\\red64\\green128\\blue128;\\red0\\green128\\blue0;\\red255\\green0\\blue0;}\r\n"
    "\\deflang1033\\pard\\plain\\f0\\fs20 ";
const QByteArray kTrailer = "\r\n}\r\n";

QByteArray rtfOf(const QString& text, const TagColors& colors = defaultColors()) {
    return documentToColorRtf(text, colors, "Courier New", 10);
}

// The part of the file that depends on the text: after the first-line prefix, before "}".
QByteArray bodyOf(const QByteArray& rtf) {
    const QByteArray firstLine = "\\deflang1033\\pard\\plain\\f0\\fs20 ";
    const qsizetype at = rtf.indexOf(firstLine);
    if (at < 0 || !rtf.endsWith(kTrailer)) return "<bad frame>";
    const qsizetype from = at + firstLine.size();
    return rtf.mid(from, rtf.size() - from - kTrailer.size());
}

// A reader of the RTF that reads the way a rich-text control does: groups, control words with
// an optional numeric parameter ended by one consumed blank, \par as CR LF, \uN with a skipped
// one-character fallback, literal CR and LF bytes ignored. It fails the test on anything the
// writer should never produce.
struct ReadBack {
    QVector<ColorSpan> spans;
    QString fontName;
    QVector<int> table;
};

ReadBack readRtf(const QByteArray& rtf) {
    ReadBack r;
    enum Dest { Text, Fonts, Colors };
    QVector<Dest> stack{Text};
    int color = 0, red = 0, green = 0, blue = 0;
    auto out = [&](QChar ch) {
        if (stack.back() == Fonts) {
            r.fontName += ch;
            return;
        }
        if (stack.back() != Text) return;
        if (!r.spans.isEmpty() && r.spans.back().color == color)
            r.spans.back().text += ch;
        else
            r.spans.push_back({QString(ch), color});
    };
    for (qsizetype i = 0; i < rtf.size();) {
        const char c = rtf[i];
        if (c == '{') {
            stack.push_back(stack.back());
            ++i;
        } else if (c == '}') {
            EXPECT_GT(stack.size(), 1) << "unbalanced braces";
            if (stack.size() > 1) stack.pop_back();
            ++i;
            if (stack.size() == 1) {
                EXPECT_EQ(rtf.mid(i), "\r\n") << "bytes after the document's group";
                return r;
            }
        } else if (c == '\r' || c == '\n') {
            ++i;
        } else if (c == '\\') {
            ++i;
            if (i < rtf.size() && (rtf[i] == '\\' || rtf[i] == '{' || rtf[i] == '}')) {
                out(QChar(rtf[i]));
                ++i;
                continue;
            }
            QByteArray word;
            while (i < rtf.size() && std::isalpha(uchar(rtf[i]))) word += rtf[i++];
            EXPECT_FALSE(word.isEmpty()) << "a backslash without a word at " << i;
            QByteArray digits;
            if (i < rtf.size() && rtf[i] == '-') digits += rtf[i++];
            while (i < rtf.size() && std::isdigit(uchar(rtf[i]))) digits += rtf[i++];
            if (i < rtf.size() && rtf[i] == ' ') ++i;
            const int param = digits.toInt();
            if (word == "fonttbl") stack.back() = Fonts;
            else if (word == "colortbl") stack.back() = Colors;
            else if (word == "red") red = param;
            else if (word == "green") green = param;
            else if (word == "blue") blue = param;
            else if (word == "cf") {
                EXPECT_TRUE(param >= 0 && param < r.table.size()) << "\\cf" << param;
                color = r.table.value(param);
            } else if (word == "par") {
                out(u'\r');
                out(u'\n');
            } else if (word == "u") {
                out(QChar(char16_t(param < 0 ? param + 65536 : param)));
                EXPECT_EQ(rtf.mid(i, 1), "?");
                ++i;
            }
        } else {
            const uchar b = uchar(c);
            EXPECT_TRUE((b >= 0x20 && b < 0x7F) || b == '\t') << "raw byte " << int(b);
            if (stack.back() == Colors && c == ';') {
                r.table.push_back(red + 256 * green + 65536 * blue);
                red = green = blue = 0;
            } else if (!(stack.back() == Fonts && c == ';')) {
                out(QChar(char16_t(b)));
            }
            ++i;
        }
    }
    ADD_FAILURE() << "the file ends inside a group";
    return r;
}

QString joined(const QVector<ColorSpan>& spans) {
    QString s;
    for (const ColorSpan& span : spans) s += span.text;
    return s;
}

// What a user keeps after a pass: every character, each line break as CR LF, in the colours
// worked out independently of the writer.
void expectFaithful(const QString& text, const TagColors& colors = defaultColors()) {
    const ReadBack back = readRtf(documentToColorRtf(text, colors, "Courier New", 10));
    EXPECT_EQ(joined(back.spans), withCrLfBreaks(text));
    EXPECT_EQ(back.spans, expectedColorSpans(text, colors)) << qPrintable(text);
}

TEST(ColorRtf, TwoLineExampleByteForByte) {
    const QByteArray rtf = rtfOf("a<b>c\r\n<!-- x -->");
    EXPECT_EQ(rtf, kHeader + "a\\cf3 <b>\\cf0 c\r\n\\par \\cf5<!-- x -->\\cf0 " + kTrailer);

    const ReadBack back = readRtf(rtf);
    EXPECT_EQ(back.fontName, "Courier New");
    const QVector<ColorSpan> spans{{"a", 0}, {"<b>", 0x408080}, {"c\r\n", 0}, {"<!-- x -->", 0x808080}};
    EXPECT_EQ(back.spans, spans);
}

TEST(ColorRtf, CharacterRules) {
    struct Case {
        const char* what;
        QString text;
        QByteArray body;
    };
    const Case cases[] = {
        {"td end tag is a table tag", "</td>", "\\cf2 </td>\\cf0 "},
        {"'<' at a line end is unrecognized", "x<\r\ny", "x\\cf8 <\r\n\\par y"},
        {"'</' at a line end too", "</\r\n>", "\\cf8 </\r\n\\par >\\cf0 "},
        {"a tag across lines keeps its colour", "<a\r\nhref=x>t",
         "\\cf4 <a\r\n\\par href=x>\\cf0 t"},
        {"'>' inside a comment stays in the comment", "<!-- a>b -->c",
         "\\cf5<!-- a>b -->\\cf0 c"},
        {"'<!-->' opens a comment its '>' does not close", "<!-->x-->y",
         "\\cf5<!-->x-->\\cf0 y"},
        {"'-->' outside a comment", "a-->b", "a-->\\cf0 b"},
        {"an unclosed comment runs on", "<!-- x\r\n<b>\r\n", "\\cf5<!-- x\r\n\\par <b>\r\n\\par "},
        {"backslashes and braces", "\\{x}\\\\", "\\\\\\{x\\}\\\\\\\\"},
        {"escapes inside tags and comments", "<p title=\"{\\}\"><!--{\\}-->",
         "\\cf1 <p title=\"\\{\\\\\\}\">\\cf0 \\cf5<!--\\{\\\\\\}-->\\cf0 "},
        {"line feeds alone", "<b>\nx\n", "\\cf3 <b>\\cf0 \r\n\\par x\r\n\\par "},
        {"a lone CR", "a\rb", "a\r\n\\par b"},
        {"CR CR LF is two breaks", "a\r\r\nb", "a\r\n\\par \r\n\\par b"},
        {"the final line end is kept", "a\r\n", "a\r\n\\par "},
        {"an empty text", "", ""},
        {"only a line end", "\r\n", "\r\n\\par "},
        {"comment test is within the line", "<!-\r\n-x", "\\cf8 <!-\r\n\\par -x"},
        {"'--' then '>' on the next line", "<!-- --\r\n> -->", "\\cf5<!-- --\r\n\\par > -->\\cf0 "},
        {"'<' inside a tag takes a new colour", "<a <img>", "\\cf4 <a \\cf7 <img>\\cf0 "},
        {"'<' at the very end", "a<", "a\\cf8 <"},
        {"doctype", "<!DOCTYPE html>", "\\cf1 <!DOCTYPE html>\\cf0 "},
        {"form", "<INPUT type=text>", "\\cf6 <INPUT type=text>\\cf0 "},
        {"tab kept", "\t<i>", "\t\\cf3 <i>\\cf0 "},
        {"non-ASCII", QString::fromUtf8("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"),
         "\\u233?\\u8364?\\u-10179?\\u-8704?"},
        {"control characters", QString(QChar(0)) + QChar(0x1B) + QChar(0x7F),
         "\\u0?\\u27?\\u127?"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        EXPECT_EQ(rtfOf(k.text), kHeader + k.body + kTrailer);
        expectFaithful(k.text);
    }
}

TEST(ColorRtf, LineFeedTextMatchesCrLfText) {
    const QString lf = "<html>\n<!-- a\nb -->\n<td\nx>\n\\{}\n";
    QString crlf = lf;
    crlf.replace("\n", "\r\n");
    EXPECT_EQ(rtfOf(lf), rtfOf(crlf));
}

TEST(ColorRtf, EqualColoursTakeTheFirstCodeInOrder) {
    TagColors c = defaultColors();
    c.font = c.table;         // "b" is written as a table tag
    c.anchor = c.unrecognized;  // "a" as an unrecognized tag
    c.tag = c.comment;        // other known tags as the comment code
    c.image = 0x010203;       // distinct: its own code
    EXPECT_EQ(bodyOf(documentToColorRtf(u"<b><a><p><img>", c, "Courier New", 10)),
              "\\cf2 <b>\\cf0 \\cf8 <a>\\cf0 \\cf5 <p>\\cf0 \\cf7 <img>\\cf0 ");
    EXPECT_EQ(colorToRtfCode(u"b>", c), "\\cf2 ");
    EXPECT_EQ(colorToRtfCode(u"p>", c), "\\cf5 ");

    // The table keeps all nine entries, duplicates included.
    const ReadBack back = readRtf(documentToColorRtf(u"x", c, "Courier New", 10));
    EXPECT_EQ(back.table, (QVector<int>{0, c.comment, c.table, c.table, c.unrecognized, c.comment,
                                        c.form, c.image, c.unrecognized}));
    expectFaithful("<b><a><p><img><!-- --><zz>", c);

    // A class whose colour equals no setting at all cannot happen; one equal to none of the
    // compared settings but tagColor gets \cf1.
    EXPECT_EQ(colorToRtfCode(u"p>", defaultColors()), "\\cf1 ");
}

TEST(ColorRtf, ColorTableEntries) {
    EXPECT_EQ(colorToRtfEntry(0x808000), "\\red0\\green128\\blue128;");
    EXPECT_EQ(colorToRtfEntry(0), "\\red0\\green0\\blue0;");
    EXPECT_EQ(colorToRtfEntry(0xFFFFFF), "\\red255\\green255\\blue255;");
    EXPECT_EQ(colorToRtfEntry(0x0A), "\\red10\\green0\\blue0;");
    // Bits above the 24 are not a colour.
    EXPECT_EQ(colorToRtfEntry(0x7F123456), "\\red86\\green52\\blue18;");
    EXPECT_EQ(rtfTableColor(0x7F123456), 0x123456);
}

TEST(ColorRtf, FontNameAndSizeInTheHeader) {
    const QByteArray rtf =
        documentToColorRtf(u"x", defaultColors(), QString::fromUtf8("Mono {\\} \xE6\x96\x87\r\n"), 12);
    EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1252\\deff0\\deftab720{\\fonttbl{\\f0\\fmodern "
                               "Mono \\{\\\\\\} \\u25991?;}}\r\n"));
    EXPECT_TRUE(rtf.contains("\\deflang1033\\pard\\plain\\f0\\fs24 x\r\n}\r\n"));
    const ReadBack back = readRtf(rtf);
    EXPECT_EQ(back.fontName, QString::fromUtf8("Mono {\\} \xE6\x96\x87"));
    EXPECT_EQ(joined(back.spans), "x");

    // Out-of-range sizes stay within a byte's half points.
    EXPECT_TRUE(documentToColorRtf(u"x", defaultColors(), "F", 300).contains("\\fs510 x"));
    EXPECT_TRUE(documentToColorRtf(u"x", defaultColors(), "F", -4).contains("\\fs0 x"));
}

TEST(ColorRtf, ProgressCountsTheTextDone) {
    QVector<qsizetype> seen;
    const QString text = "ab\r\ncd\ne\rf";
    documentToColorRtf(text, defaultColors(), "F", 10, [&](qsizetype done) { seen.push_back(done); });
    EXPECT_EQ(seen, (QVector<qsizetype>{4, 7, 9, 10}));
}

// Random mixtures of the characters the rules care about: whatever the text, reading the file
// back gives every character, in the colours the rules give.
TEST(ColorRtf, RandomTextsSurviveTheRoundTrip) {
    const QString alphabet = QString::fromUtf8("<<>>!!--/\\{}\r\n\r\n \t abtdimgpAB\xC3\xA9\xF0\x9F\x98\x80") +
                             QChar(0) + QChar(0xD800);  // a lone surrogate too
    QRandomGenerator rng(20240611);
    for (int round = 0; round < 3000; ++round) {
        QString text;
        const int len = rng.bounded(40);
        for (int k = 0; k < len; ++k) text += alphabet[rng.bounded(int(alphabet.size()))];
        expectFaithful(text);
        if (HasFailure()) break;
    }
}

using ColorRtfGlobals = KavrinTest;

TEST_F(ColorRtfGlobals, CurrentColorsFeedTheCodes) {
    tableColor = 0x80;
    unrecognizedColor = 0x80;  // same as table: unrecognized comes first
    EXPECT_EQ(colorToRtfCode(u"td>"), "\\cf8 ");
    unrecognizedColor = 0xFF;
    EXPECT_EQ(colorToRtfCode(u"td>"), "\\cf2 ");
    const TagColors c = currentTagColors();
    EXPECT_EQ(c.table, 0x80);
    EXPECT_EQ(c.unrecognized, 0xFF);
}

}  // namespace
}  // namespace kavrin::test
