// Bringing a design session back into the source: only the user's change comes back.
#include <gtest/gtest.h>

#include <random>

#include "designwait.h"
#include "documents/design/designmerge.h"
#include "documents/design/htmltokens.h"
#include "documents/design/seqdiff.h"
#include "platform/web/dhtmledit.h"

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

// The engine's page breaks its lines elsewhere than the source: a letter typed at a word's end or
// start stays with that word, whichever line breaks the source has around it.
TEST(DesignMergeTest, TextTypedBesideAWordStaysWithItWhereTheLineBreaksDiffer) {
    const QString source = "A\r\n\r\nB\r\nC";
    const QString loaded = "A\nB\n\nC";
    EXPECT_EQ(designedSource(source, loaded, "A\nBX\n\nC").toStdString(), "A\r\n\r\nBX\r\nC");
    EXPECT_EQ(designedSource(source, loaded, "A\nXB\n\nC").toStdString(), "A\r\n\r\nXB\r\nC");
    EXPECT_EQ(designedSource(source, loaded, "AX\nB\n\nC").toStdString(), "AX\r\n\r\nB\r\nC");
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

TEST(DesignMergeTest, TheLongestCommonStretchIsFoundWhereverItLies) {
    auto found = [](const QString& a, const QString& b) {
        const CommonStretch c = longestCommonStretch(a, b);
        EXPECT_EQ(a.mid(c.a, c.length), b.mid(c.b, c.length));
        return a.mid(c.a, c.length).toStdString();
    };
    EXPECT_EQ(found("example of static. When scrolling, it stays.", "an scrolling, it stays.</p>"), "n scrolling, it stays.");
    EXPECT_EQ(found("abcab", "xxcabyy"), "cab");
    EXPECT_EQ(found("abc", "xyz"), "");
    EXPECT_EQ(found("", "xyz"), "");
    // Of two as long, the first in `a`; characters past Latin-1 and repeats that split states.
    EXPECT_EQ(found("ab--cd", "cd..ab"), "ab");
    EXPECT_EQ(found("\u00e9\u20ac\u20ac\u20acx", "y\u20ac\u20acx\u20ac"), "\u20ac\u20acx");
    std::mt19937 random(5);
    for (int n = 0; n < 200; ++n) {
        QString a;
        QString b;
        for (int k = int(random() % 40); k > 0; --k) a += QChar(char16_t(u'a' + random() % 3));
        for (int k = int(random() % 40); k > 0; --k) b += QChar(char16_t(u'a' + random() % 3));
        int longest = 0;
        for (int i = 0; i < a.size(); ++i)
            for (int j = 0; j < b.size(); ++j) {
                int k = 0;
                while (i + k < a.size() && j + k < b.size() && a[i + k] == b[j + k]) ++k;
                longest = std::max(longest, k);
            }
        EXPECT_EQ(int(found(a, b).size()), longest) << a.toStdString() << " " << b.toStdString();
    }
}

TEST(DesignMergeTest, TypedTextKeepsTheSourcesEntitiesAndItsEncoding) {
    // Characters the source writes as entities are written so again; ">" stays raw where the
    // source has it raw.
    EXPECT_EQ(designedSource("<p>Caf&eacute; &copy; 2001, if a > b</p>\r\n", "<p>Café © 2001, if a &gt; b</p>",
                             "<p>Café © 2001, if a &gt; b, Café ©, c &gt; d</p>")
                  .toStdString(),
              "<p>Caf&eacute; &copy; 2001, if a > b, Caf&eacute; &copy;, c > d</p>\r\n");

    // A plain ASCII page that names no charset is read by a browser in its own default: what it
    // cannot hold as ASCII becomes a reference. A Windows-1252 page holds what that code page has.
    const QString ascii = "<p>plain</p>\r\n";
    const QString typed = "<p>plain ñ€✓</p>";
    EXPECT_EQ(designedSource(ascii, "<p>plain</p>", typed, pageCharset(ascii, TextFormat{})).toStdString(),
              "<p>plain &#241;&#8364;&#10003;</p>\r\n");
    TextFormat western;
    western.encoding = TextFormat::Encoding::Windows1252;
    EXPECT_EQ(designedSource(ascii, "<p>plain</p>", typed, pageCharset(ascii, western)),
              QString("<p>plain ñ€&#10003;</p>\r\n"));
    const QString declared = "<meta charset=utf-8><p>plain</p>";
    EXPECT_EQ(pageCharset(declared, TextFormat{}), PageCharset::Unicode);
    EXPECT_EQ(pageCharset("<meta http-equiv=Content-Type content=\"text/html; charset=iso-8859-1\">", TextFormat{}),
              PageCharset::Ascii);
    EXPECT_EQ(pageCharset("<p>déjà</p>", TextFormat{}), PageCharset::Unicode);
}

TEST(DesignMergeTest, SpacesTypedComeBackPlainWhereAPlainOneShows) {
    const QString source = "<p>one two</p>\r\n";
    const QString loaded = "<p>one two</p>";
    auto merged = [&](const QString& edited) { return designedSource(source, loaded, edited).toStdString(); };
    // Typed before a word, the engine's no-break space shows as a plain one would.
    EXPECT_EQ(merged("<p>one Qzx&nbsp;two</p>"), "<p>one Qzx two</p>\r\n");
    // The source's own space, which the engine turned into a no-break one beside the typing.
    EXPECT_EQ(merged("<p>one&nbsp;Qzx two</p>"), "<p>one Qzx two</p>\r\n");
    // At the end of a paragraph, or beside another space, only a no-break space shows.
    EXPECT_EQ(merged("<p>one two Qzx&nbsp;</p>"), "<p>one two Qzx&nbsp;</p>\r\n");
    EXPECT_EQ(merged("<p>one&nbsp;&nbsp;two</p>"), "<p>one &nbsp;two</p>\r\n");
    // Typed before a visible space of the source: both show, so the typed one stays no-break.
    EXPECT_EQ(merged("<p>oneQzx&nbsp; two</p>"), "<p>oneQzx&nbsp; two</p>\r\n");
}

// Only the spaces an edit made are written as a plain space where one shows: a no-break space
// the author wrote, which the edit carries elsewhere (the rest of a block a delete moved into
// the one before), stays one.
TEST(DesignMergeTest, ANoBreakSpaceTheAuthorWroteStaysOneWhereTheEditCarriesIt) {
    const QString loaded = "<div><p>\nThis page is an example.</p>\n</div>\n<div class=\"c\"><div class=\"b\">When "
                           "the&nbsp;top</div></div>\n";
    const QString edited = "<div><p>\nThis page is an the&nbsp;top</p></div>\n";
    EXPECT_EQ(designedSource(QString(loaded).replace("\n", "\r\n"), loaded, edited).toStdString(),
              QString(edited).replace("\n", "\r\n").toStdString());
}

// A selection across two blocks deleted moves the second block's rest into the first: its line
// breaks and indents come back as plain spaces, which show nothing there as they did before.
TEST(DesignMergeTest, TextMovedIntoAnotherBlockKeepsItsPlainSpaces) {
    const QString source = "<h3>How To Add A Diagnostic</h3>\r\n<p>Let's say the diagnostic name is \"magic\".\r\n  </p>\r\n"
                           "<p>Part of the suite</p>\r\n<div>\r\nLast updated\r\n 2024-05-31 UTC\r\n</div>\r\n";
    const QString loaded = QString(source).replace("\r\n", "\n");
    const QString edited = "<h3>How To Add A diagnostic name is \"magic\".\n  </h3>\n"
                           "<p>Part of the updated\n 2024-05-31 UTC\n</p>\n";
    EXPECT_EQ(designedSource(source, loaded, edited).toStdString(), QString(edited).replace("\n", "\r\n").toStdString());
}

// A selection across two blocks deleted: the second block's rest, moved into the first, is text
// the page kept as it was, found where it stood. Paired a character at a time with the text
// deleted before it, it took that text's line breaks and spaces, or came back doubled. Cut from
// real pages; each source is the engine's page with CR LF line ends.
TEST(DesignMergeTest, TextADeleteMovedIntoTheFirstBlockComesBackAsItWas) {
    auto merged = [](const QString& loaded, const QString& edited) {
        return designedSource(QString(loaded).replace("\n", "\r\n"), loaded, edited).toStdString();
    };
    auto expected = [](const QString& edited) { return QString(edited).replace("\n", "\r\n").toStdString(); };
    // The rest is a few words on one line, where the deleted text broke its lines.
    const QString navigation =
        "<div class=\"card-body\">\n    <p class=\"mb-0\">\n        This page is an example of using static navigation. By "
        "removing the\n        <code>.sb-nav-fixed</code>\n        class from the\n        <code>body</code>\n        , the "
        "top navigation and side navigation will become static on scroll.\n    </p>\n</div>\n<div class=\"card\"><div "
        "class=\"card-body\">When scrolling, the navigation stays at the top of the page.</div></div>\n";
    const QString joined = "<div class=\"card-body\">\n    <p class=\"mb-0\">\n        This page is an scrolling, the "
                           "navigation stays at the top of the page.</p></div>\n";
    EXPECT_EQ(merged(navigation, joined), expected(joined));
    // ... also when it is two words the deleted text has too.
    const QString words = "<div><p>\nThis page is an example of static navigation, the top one.\n</p>\n</div>\n<div class=\"c\">"
                          "<div class=\"b\">When the&nbsp;top</div></div>\n";
    const QString wordsJoined = "<div><p>\nThis page is an the&nbsp;top</p></div>\n";
    EXPECT_EQ(merged(words, wordsJoined), expected(wordsJoined));
    // The rest keeps its own line breaks and indents.
    const QString heading = "<div class=\"card-footer\">\n  Visit <a href=\"s/\">Summernote</a> documentation for more "
                            "examples.\n</div>\n<!-- /.col-->\n<div class=\"card\">\n  <div class=\"card-header\">\n    <h3 "
                            "class=\"card-title\">\n      CodeMirror\n    </h3>\n  </div>\n  <!-- /.card-header -->\n</div>\n";
    const QString headingJoined = "<div class=\"card-footer\">\n  Visit <a href=\"s/\">Summernote</a> \n      CodeMirror\n  "
                                  "  </div><div class=\"card\">\n  <!-- /.card-header -->\n</div>\n";
    EXPECT_EQ(merged(heading, headingJoined), expected(headingJoined));
    // Its no-break space, which the author wrote, stays one.
    const QString inherited =
        "<div class=\"block\">Returns the set of flags which contains an illegal combination.</div>\n</div>\n</div>\n</div>\n"
        "</div>\n<div class=\"inherited-list\">\n<h3 id=\"methods-inherited-from-class-java.lang.Throwable\">Methods declared "
        "in class&nbsp;java.lang.<a href=\"../lang/Throwable.html\" title=\"class in java.lang\">Throwable</a></h3>\n<code>x</code></div>";
    const QString inheritedJoined =
        "<div class=\"block\">Returns the set of flags which declared in class&nbsp;java.lang.<a href=\"../lang/Throwable.html\" "
        "title=\"class in java.lang\">Throwable</a></div></div></div></div></div><div class=\"inherited-list\">\n<code>x</code></div>";
    EXPECT_EQ(merged(inherited, inheritedJoined), expected(inheritedJoined));
    // A long paragraph deleted before it: the rest comes back once.
    const QString licence =
        QStringLiteral(
            "format that is used as a compiler intermediate representation, or used<br>\nfor producing a compiler intermediate "
            "representation.<br>\n<br>\nJava Virtual Machine byte code, into Target Code. Thus, for example,<br>\nuse of source "
            "code generators and preprocessors need not be considered<br>\npreprocessors.<br>\nwith other GPL-compatible "
            "software, or if it is done without using any<br>\nwork based on GCC. For example, using non-GPL-compatible Software "
            "to<br>\noptimize any GCC intermediate representations would not qualify as an<br>\nEligible Compilation "
            "Process.<br>\n1. Grant of Additional Permission.<br>\n<br>\nYou have permission to propagate a work of Target Code "
            "formed by<br>\ncombining the Runtime Library with Independent Modules, even if such<br>\npropagation would otherwise "
            "violate the terms of GPLv3, provided that<br>\nall Target Code was generated by Eligible Compilation Processes. "
            "You<br>\nconsistent with the licensing of the Independent Modules.<br>\n2. No Weakening of GCC Copyleft.<br>\n<br>\n"
            "presumption that third-party software is unaffected by the copyleft<br>\nrequirements of the license of "
            "GCC.<br>\n    ")
            .replace(" ", "&nbsp;");
    const QString lawyer = "text is self-explanatory.  If it isn't, you need to speak\n      to your lawyer, or the Free "
                           "Software Foundation.\n    </p></div>";
    const QString licenceJoined = "<div><div><p>\nformat&nbsp;that&nbsp;is&nbsp;used&nbsp;as&nbsp;a&nbsp;compiler&nbsp;" + lawyer +
                                  "</div><div class=\"section\">x</div>";
    EXPECT_EQ(merged("<div><div><p>\n" + licence + "</p></div><p>\n      Hopefully " + lawyer + "<div class=\"section\">x</div>",
                     licenceJoined),
              expected(licenceJoined));
}

// Generated pages indent their markup and start elements with a space: what shows nothing there
// before the edit stays as it was, and the typed text goes in beside it as typed.
TEST(DesignMergeTest, TypingBesideSpacesThatShowedNothingKeepsThemAndTheTypedSpacePlain) {
    // A link whose text starts with a space, at the start of a cell: the typed space meets that
    // space, and the two show as the one typed.
    const QString cell = "<table><tr><td>\r\n    <a href=\"r\"> <code>rustc</code> </a>\r\n</td></tr></table>\r\n";
    const QString cellLoaded = "<table><tbody><tr><td>\n    <a href=\"r\"> <code>rustc</code> </a>\n</td></tr></tbody></table>";
    EXPECT_EQ(designedSource(cell, cellLoaded, QString(cellLoaded).replace("    <a", "    Qzx&nbsp;<a")).toStdString(),
              QString(cell).replace("    <a", "    Qzx <a").toStdString());
    // A paragraph that starts with a space: the engine drops it as the text goes in before the
    // word, and its space becomes the one typed.
    const QString para = "<ul>\r\n  <li>\r\n    <p> partially written</p>\r\n  </li>\r\n</ul>\r\n";
    const QString paraLoaded = "<ul>\n  <li>\n    <p> partially written</p>\n  </li>\n</ul>";
    EXPECT_EQ(designedSource(para, paraLoaded, QString(paraLoaded).replace("<p> partially", "<p>Qzx partially")).toStdString(),
              QString(para).replace("<p> partially", "<p> Qzx partially").toStdString());
    // Two spaces after a full stop show as one, and the engine drops the second as text goes in
    // before the next sentence.
    const QString stop = "<p>It holds.  However, not always.</p>\r\n";
    EXPECT_EQ(designedSource(stop, "<p>It holds.  However, not always.</p>", "<p>It holds. Qzx However, not always.</p>")
                  .toStdString(),
              "<p>It holds.  Qzx However, not always.</p>\r\n");
    // In a preformatted block every space shows: text typed before one goes exactly there.
    const QString code = "<pre>\r\nif (a)\r\n b();\r\n</pre>\r\n";
    EXPECT_EQ(designedSource(code, "<pre>if (a)\n b();\n</pre>", "<pre>if (a)\nQzx b();\n</pre>").toStdString(),
              "<pre>\r\nif (a)\r\nQzx b();\r\n</pre>\r\n");
    // Typed at the start of a link that opens with an icon: the engine puts the text before the
    // link and drops the spaces on either side of the icon, which show the same in the source.
    const QString link = "<li>\r\n  <a href=\"#v\">\r\n    <span class=\"arrow\"></span>\r\n    Other versions\r\n  </a>\r\n</li>\r\n";
    const QString linkLoaded = "<ul><li>\n  <a href=\"#v\">\n    <span class=\"arrow\"></span>\n    Other versions\n  </a>\n</li></ul>";
    const QString linkEdited = "<ul><li>\n  Qzx&nbsp;<a href=\"#v\"><span class=\"arrow\"></span>Other versions\n  </a>\n</li></ul>";
    EXPECT_EQ(designedSource(link, linkLoaded, linkEdited).toStdString(),
              QString(link).replace("  <a", "  Qzx <a").toStdString());
}

// Text right after a preformatted block is read as text again: its spaces and entities pair as
// they do anywhere else when two edits are made in it.
TEST(DesignMergeTest, TextAfterAPreformattedBlockIsComparedAsText) {
    const QString source = "<pre>\r\n    if (a < b) x = 1;\r\n</pre>\r\n\r\nText&nbsp;with&nbsp;spaces and\ta tab\r\n</body>\r\n";
    const QString loaded = "<pre>    if (a &lt; b) x = 1;\n</pre>\n\nText&nbsp;with&nbsp;spaces and\ta tab\n</body>";
    const QString edited = "<pre>    if (a &lt; b) x = 1;\n</pre>\n\nXText&nbsp;with&nbsp;spaces and\ta tabY\n</body>";
    EXPECT_EQ(designedSource(source, loaded, edited).toStdString(),
              QString(source).replace("Text&", "XText&").replace("tab\r", "tabY\r").toStdString());
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

namespace kavrin {
namespace {

// Pages made at random from the pieces real pages are made of: DocBook tags broken before ">",
// paragraphs and items left open, raw "<" ">" "&", entities, tabs, blank lines, repeated lines,
// tables without bodies, comments and preformatted text.
QString randomPage(std::mt19937& random) {
    static const QStringList pieces{
        "<p>Plain words here and there</p>", "<P\r\nCLASS=\"NOTE\"\r\n>DocBook para &copy; 2001 text</P\r\n>",
        "<p>Open para with a > b & c < d", "<ul><li>first item\r\n<li>second item</ul>",
        "<pre>\r\n    if (a < b) x = 1;\r\n\treturn x;\r\n</pre>", "", "", "<h2>Repeated heading</h2>",
        "<table border=1><tr><td>cell one<td>cell two</table>", "Text&nbsp;with&nbsp;spaces and\ta tab",
        "<!-- a comment -->", "<b>bold</b> <i>italic</i> word", "<div>same</div>", "<div>same</div>", "A", "B", "C",
        "Caf&eacute; &amp; bar &lt;tag&gt;", "\t  indented text line", "<br>", "<P>", "words after a break"};
    const bool whole = random() % 3 != 0;
    QString page = whole ? "<html>\r\n<body>\r\n" : "";
    const int count = 6 + int(random() % 25);
    for (int i = 0; i < count; ++i) page += pieces[int(random() % pieces.size())] + "\r\n";
    if (whole) page += "</body>\r\n</html>\r\n";
    return page;
}

// Offsets of the engine's page where a character can be typed between two others of text: not
// between two spaces that show as one, where no caret stands.
QVector<int> textPlaces(const QString& html) {
    QVector<int> places;
    auto blank = [&](int at) { return at >= 0 && at < html.size() && QStringLiteral(" \t\r\n").contains(html[at]); };
    for (const HtmlToken& t : tokenizeHtml(html)) {
        if (t.kind != HtmlToken::Text || (t.flags & HtmlToken::Raw)) continue;
        QVector<int> offsets;
        decodeHtmlText(QStringView(html).mid(t.begin, t.end - t.begin), &offsets);
        for (const int at : offsets)
            if ((t.flags & HtmlToken::Pre) || !blank(t.begin + at - 1) || !blank(t.begin + at)) places << t.begin + at;
    }
    return places;
}

// A character typed into a line the engine left as it was lands exactly there in the source,
// also when a second edit is made after the last line; a page left alone gives back its source.
TEST(DesignMergeTest, RandomPagesTakeEachInsertionExactlyWhereItWasMade) {
    DhtmlEdit edit;
    edit.resize(500, 400);
    edit.show();
    std::mt19937 random(37);
    int checks = 0;
    for (int n = 0; n < 24; ++n) {
        const QString source = randomPage(random);
        edit.setDocumentHTML(source);
        ASSERT_TRUE(test::waitDesignReady(edit));
        const QString loaded = edit.loadedHTML();
        ASSERT_EQ(designedSource(source, loaded, loaded), source);
        const QStringList sourceLines = source.split("\r\n");
        const QStringList loadedLines = loaded.split('\n');
        QVector<int> sourceStarts{0};
        for (const QString& line : sourceLines) sourceStarts << sourceStarts.back() + int(line.size()) + 2;
        QVector<int> loadedStarts{0};
        for (const QString& line : loadedLines) loadedStarts << loadedStarts.back() + int(line.size()) + 1;
        const QVector<int> places = textPlaces(loaded);
        const int bodyEnd = loaded.contains("</body>") ? int(loaded.lastIndexOf("</body>")) : int(loaded.size());
        for (int li = 0; li < loadedLines.size(); ++li) {
            const QString& line = loadedLines[li];
            // The k-th of equal lines of the engine's page stands for the k-th in the source.
            if (line.isEmpty() || loadedLines.count(line) != sourceLines.count(line)) continue;
            const int k = int(loadedLines.mid(0, li).count(line));
            int si = -1;
            for (int seen = -1; seen < k;) seen += sourceLines[++si] == line;
            for (int at = loadedStarts[li]; at <= loadedStarts[li] + line.size(); ++at) {
                if (!places.contains(at) || random() % 3) continue;
                const QString typed = loaded.left(at) + "X" + loaded.mid(at);
                QString expected = source;
                expected.insert(sourceStarts[si] + (at - loadedStarts[li]), "X");
                EXPECT_EQ(designedSource(source, loaded, typed).toStdString(), expected.toStdString())
                    << "page " << n << " at " << at;
                if (at < bodyEnd) {
                    const QString both = typed.left(bodyEnd + 1) + "more words" + typed.mid(bodyEnd + 1);
                    const QString result = designedSource(source, loaded, both);
                    EXPECT_TRUE(result.contains("more words")) << result.toStdString();
                    EXPECT_EQ(QString(result).remove("more words").toStdString(), expected.toStdString())
                        << "page " << n << " at " << at;
                }
                ++checks;
            }
        }
    }
    EXPECT_GT(checks, 500);
}

// On a long page the write-back starts reading at the alignment's last point before the
// change: whatever the change's place (before the first point, across points, in <pre>, in the
// last stretch), it gives what reading the whole page gives; an alignment made for another
// source or engine page is not used.
TEST(DesignMergeTest, AnAlignedWriteBackGivesWhatTheWholeReadingGives) {
    DhtmlEdit edit;
    edit.resize(500, 400);
    edit.show();
    std::mt19937 random(1132);
    QString source = "<html>\r\n<body>\r\n";
    // Listings with markup in them: a point can fall inside <pre>, where every space shows.
    while (source.size() < 120000)
        source += randomPage(random) + "<pre>\r\n<b>int</b> main() {\r\n  return  a  <  b;  <i>// why</i>\r\n}\r\n</pre>\r\n";
    source += "</body>\r\n</html>\r\n";
    edit.setDocumentHTML(source);
    ASSERT_TRUE(test::waitDesignReady(edit));
    const QString loaded = edit.loadedHTML();
    const DesignAlignment alignment(source, loaded);
    ASSERT_GT(alignment.size(), 10);
    const QVector<int> places = textPlaces(loaded);
    // As after a save in Design: the engine's page the points were found on has text in front.
    const DesignAlignment other(source, loaded.left(places[0]) + QString(3000, 'W') + loaded.mid(places[0]));
    int checks = 0;
    for (int k = 0; k < 120; ++k) {
        const int at = places[int(random() % places.size())];
        QString typed = loaded.left(at) + "X" + loaded.mid(at);
        // Now and then a second edit a few points further on, or one that takes text away.
        if (k % 3 == 1) {
            const int second = places[int(random() % places.size())];
            if (second > at) typed.insert(second + 1, "Y z");
        } else if (k % 3 == 2 && at + 40 < typed.size()) {
            typed.remove(at + 1, int(random() % 30));
        }
        const QString whole = designedSource(source, loaded, typed);
        ASSERT_EQ(designedSource(source, loaded, typed, PageCharset::Unicode, &alignment).toStdString(),
                  whole.toStdString())
            << "typed at " << at;
        ASSERT_EQ(designedSource(source, loaded, typed, PageCharset::Unicode, &other).toStdString(),
                  whole.toStdString());
        ++checks;
    }
    EXPECT_EQ(checks, 120);
}

}  // namespace
}  // namespace kavrin
