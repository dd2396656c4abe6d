// Bringing a design session back into the source: only the user's change comes back.
#include <gtest/gtest.h>

#include "documents/designmerge.h"
#include "documents/seqdiff.h"

// Differences show as text.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace kavrin {
namespace {

// A page as a person writes it (CR LF, unquoted values, entities, a comment, a script) and as
// the engine renders it after loading it (LF, quoted values, implied tbody, characters).
const QString kSource = QStringLiteral(
    "<!doctype html>\r\n"
    "<html>\r\n"
    "<head><title>Caf&eacute;</title>\r\n"
    "<!-- menu -->\r\n"
    "<script>var a = 1 < 2;</script>\r\n"
    "</head>\r\n"
    "<body bgcolor=white>\r\n"
    "<p class=intro>Hello world</p>\r\n"
    "<table border=1>\r\n"
    "<tr><td>a</td></tr>\r\n"
    "<tr><td>b</td></tr>\r\n"
    "</table>\r\n"
    "<p>The end&nbsp;here</p>\r\n"
    "</body>\r\n"
    "</html>\r\n");
const QString kLoaded = QStringLiteral(
    "<!DOCTYPE html>\n"
    "<html><head><title>Café</title>\n"
    "<!-- menu -->\n"
    "<script>var a = 1 < 2;</script>\n"
    "</head>\n"
    "<body bgcolor=\"white\">\n"
    "<p class=\"intro\">Hello world</p>\n"
    "<table border=\"1\"><tbody>\n"
    "<tr><td>a</td></tr>\n"
    "<tr><td>b</td></tr>\n"
    "</tbody></table>\n"
    "<p>The end&nbsp;here</p>\n"
    "\n"
    "</body></html>");

QString edited(const QString& from, const QString& to) {
    QString page = kLoaded;
    EXPECT_TRUE(page.contains(from));
    return page.replace(from, to);
}

TEST(DesignMergeTest, OnlyTheChangedStretchComesBack) {
    // Nothing changed in the design: the source stays, whatever the engine made of it.
    EXPECT_EQ(designedSource(kSource, kLoaded, kLoaded), kSource);

    // A word made bold on a line the engine left as it was: exactly that goes in.
    QString expected = kSource;
    expected.replace("<p>The end&nbsp;here</p>", "<p>The <b>end</b>&nbsp;here</p>");
    EXPECT_EQ(designedSource(kSource, kLoaded, edited("<p>The end&nbsp;", "<p>The <b>end</b>&nbsp;")), expected);

    // On a line the engine rewrote (quotes added), the change still lands in the source's own
    // form of the line; its neighbours, the doctype, the comment, the script and the entities do
    // not change.
    expected = kSource;
    expected.replace("<p class=intro>Hello world</p>", "<p class=intro>Hello there</p>");
    EXPECT_EQ(designedSource(kSource, kLoaded, edited("Hello world", "Hello there")), expected);

    // A change to what the engine rewrote takes the engine's form for that part alone.
    expected = kSource;
    expected.replace("<body bgcolor=white>", "<body bgcolor=\"black\">");
    EXPECT_EQ(designedSource(kSource, kLoaded, edited("bgcolor=\"white\"", "bgcolor=\"black\"")), expected);

    // Changes on two lines: each lands exactly; the line between them, which the engine rewrote
    // and the user never touched, keeps the source's form.
    expected = kSource;
    expected.replace("<tr><td>b</td></tr>\r\n</table>\r\n<p>The end",
                     "<tr><td>b<b></b></td></tr>\r\n</table>\r\n<p><b>The</b> end");
    EXPECT_EQ(designedSource(kSource, kLoaded,
                             edited("b</td></tr>\n</tbody></table>\n<p>The end", "b<b></b></td></tr>\n</tbody></table>\n<p><b>The</b> end"))
                  .toStdString(),
              expected.toStdString());
}

TEST(DesignMergeTest, LinesAddedAndRemovedLandAmongTheirNeighbours) {
    // A row added between two rows: new lines with CR LF breaks, between the right lines.
    QString expected = kSource;
    expected.replace("<tr><td>a</td></tr>\r\n", "<tr><td>a</td></tr>\r\n<tr><td>new</td></tr>\r\n");
    EXPECT_EQ(designedSource(kSource, kLoaded, edited("<tr><td>a</td></tr>\n", "<tr><td>a</td></tr>\n<tr><td>new</td></tr>\n")),
              expected);

    // A row removed.
    expected = kSource;
    expected.remove("<tr><td>b</td></tr>\r\n");
    EXPECT_EQ(designedSource(kSource, kLoaded, edited("<tr><td>b</td></tr>\n", "")).toStdString(), expected.toStdString());

    // Everything selected and deleted: the source goes with it, up to what the engine keeps;
    // the doctype, the html element and its closing tag, untouched, keep their spelling and lines.
    const QString emptied = "<!DOCTYPE html>\n<html><head></head><body></body></html>";
    EXPECT_EQ(designedSource(kSource, kLoaded, emptied).toStdString(),
              "<!doctype html>\r\n<html>\r\n<head></head><body></body>\r\n</html>\r\n");
}

TEST(DesignMergeTest, RepeatedLinesAreToldApartByTheirPlace) {
    // Many equal lines: the change in the third row must land in the third row.
    QString source;
    QString loaded;
    for (int i = 0; i < 6; ++i) {
        source += "<tr>\r\n<td>x</td>\r\n</tr>\r\n";
        loaded += "<tr>\n<td>x</td>\n</tr>\n";
    }
    source = "<table>\r\n" + source + "</table>";
    loaded = "<table><tbody>\n" + loaded + "</tbody></table>";
    QString edit = loaded;
    const int third = int(edit.indexOf("<td>x</td>", edit.indexOf("<td>x</td>", edit.indexOf("<td>x</td>") + 1) + 1));
    edit.replace(third, 10, "<td>y</td>");
    const QString result = designedSource(source, loaded, edit);
    QString expected = source;
    const int at = int(expected.indexOf("<td>x</td>", expected.indexOf("<td>x</td>", expected.indexOf("<td>x</td>") + 1) + 1));
    expected.replace(at, 10, "<td>y</td>");
    EXPECT_EQ(result, expected);
}

TEST(DesignMergeTest, FragmentsAndOddLineBreaks) {
    // A fragment without html, head or body; LF and lone CR breaks in the source are kept.
    const QString source = "<b>one</b>\n<i>two</i>\r<u>three</u>";
    const QString loaded = "<b>one</b>\n<i>two</i>\n<u>three</u>";
    EXPECT_EQ(designedSource(source, loaded, "<b>one</b>\n<i>two!</i>\n<u>three</u>"), "<b>one</b>\n<i>two!</i>\r<u>three</u>");
    // Typing at the very start and at the very end.
    EXPECT_EQ(designedSource(source, loaded, "x" + loaded), "x" + source);
    EXPECT_EQ(designedSource(source, loaded, loaded + "\n<p>new</p>"), source + "\r\n<p>new</p>");
    // An empty source that gains its first text.
    EXPECT_EQ(designedSource("", "", "<p>hi</p>"), "<p>hi</p>");
}

TEST(DesignMergeTest, PairingKeepsOrderAndFindsTheLongestCommonPart) {
    // Items that occur several times are paired in order; the pairs rise on both sides.
    const std::vector<quint64> a{1, 9, 9, 2, 5, 9, 3};
    const std::vector<quint64> b{1, 9, 4, 9, 2, 3, 9};
    const std::vector<int> pairs = pairSequences(a.data(), int(a.size()), b.data(), int(b.size()));
    int last = -1;
    int count = 0;
    for (size_t i = 0; i < pairs.size(); ++i) {
        if (pairs[i] < 0) continue;
        EXPECT_GT(pairs[i], last);
        EXPECT_EQ(a[i], b[size_t(pairs[i])]);
        last = pairs[i];
        ++count;
    }
    EXPECT_EQ(count, 5);  // 1, 9, 9, 2, 3

    // Past the effort bound on a stretch full of differences the pairs still rise and match.
    std::vector<quint64> x(3000);
    std::vector<quint64> y(3000);
    for (size_t i = 0; i < x.size(); ++i) x[i] = i * 7 % 13, y[i] = i * 5 % 11;
    const std::vector<int> rough = pairSequences(x.data(), int(x.size()), y.data(), int(y.size()), 16);
    last = -1;
    for (size_t i = 0; i < rough.size(); ++i) {
        if (rough[i] < 0) continue;
        EXPECT_GT(rough[i], last);
        EXPECT_EQ(x[i], y[size_t(rough[i])]);
        last = rough[i];
    }
}

// Typing after the last element of the body: the parser had gathered the line breaks after
// </body> and </html> into the body, and the engine writes both tags on one line; it drops the
// line break beside the typed text, which stays in the source all the same.
TEST(DesignMergeTest, TypingAtTheEndOfTheBodyKeepsTheClosingTags) {
    const QString source =
        "<html>\r\n<body>\r\n<h1>Heading</h1>\r\n<table border=1><tr><td>cell</td></tr></table>\r\n</body>\r\n</html>\r\n";
    const QString loaded =
        "<html><head></head><body>\n<h1>Heading</h1>\n<table border=\"1\"><tbody><tr><td>cell</td></tr></tbody></table>\n\n\n</body></html>";
    QString typed = loaded;
    typed.replace("</table>\n\n\n</body>", "</table>XYZ&nbsp;</body>");
    QString expected = source;
    expected.replace("</table>\r\n</body>", "</table>XYZ&nbsp;\r\n</body>");
    EXPECT_EQ(designedSource(source, loaded, typed).toStdString(), expected.toStdString());
}

}  // namespace
}  // namespace kavrin
