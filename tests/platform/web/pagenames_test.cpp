// The files a page's markup and style sheets name for loading, found in the raw text.
#include "fixture.h"
#include "platform/web/pagenames.h"

inline void PrintTo(const QStringList& names, std::ostream* os) { *os << names.join(u'|').toStdString(); }

namespace kavrin::test {
namespace {

class PageNamesTest : public KavrinTest {};

QStringList scanned(const QByteArray& page, qsizetype piece) {
    HtmlNameScanner scanner;
    for (qsizetype at = 0; at < page.size(); at += piece) scanner.feed(QByteArrayView(page).sliced(at, qMin(piece, page.size() - at)));
    scanner.finish();
    return scanner.names;
}

// What a browser loads to show the page is named, in whatever pieces the page comes; what only a
// link, a script or a comment names is not.
TEST_F(PageNamesTest, LoadingAttributesAndStyleSheetsNameFilesLinksScriptsAndCommentsDoNot) {
    const QByteArray page =
        "<!DOCTYPE html><html><head><base href='../'>"
        "<LINK REL=StyleSheet HREF=\"../css/s.css\"><link rel='shortcut icon' href=fav.ico>"
        "<link rel=next href=\"next.html\"><script src=../js/x.js></script>"
        "<script>var s = '<img src=\"../private/notes.txt\">'; var u = 'url(../private/a.png)';</script>"
        "<style>@import \"../css/more.css\"; body { background: URL( '../img/bg.png' ) } /* url(no.png) */</style>"
        "</head><body background=\"../img/body.png\"><!-- <img src=\"../private/c.png\"> -->"
        "<img src=\"../img/dot.png?a=1&amp;b=2\" srcset=\"../img/2x.png 2x, ../img/3x.png 3x\" alt='a > b'>"
        "<a href=\"../private/notes.txt\">notes</a><iframe src=\"../frames/f.htm\"></iframe>"
        "<video poster=../img/p.png><source src=../media/v.webm><track src=../media/t.vtt></video>"
        "<object data=\"../obj/o.svg\"></object><svg><image xlink:href=\"../img/s.png\"/></svg>"
        "<p style=\"background-image:url(../img/inline.png)\">text</p><textarea><img src=\"../private/t.png\"></textarea>"
        "</body></html>";
    const QStringList expected{"../css/s.css", "fav.ico", "../js/x.js", "../css/more.css", "../img/bg.png",
                               "../img/body.png", "../img/dot.png?a=1&b=2", "../img/2x.png", "../img/3x.png",
                               "../frames/f.htm", "../img/p.png", "../media/v.webm", "../media/t.vtt",
                               "../obj/o.svg", "../img/s.png", "../img/inline.png"};
    for (const qsizetype piece : {page.size(), qsizetype(1), qsizetype(7), qsizetype(64)}) {
        HtmlNameScanner scanner;
        for (qsizetype at = 0; at < page.size(); at += piece)
            scanner.feed(QByteArrayView(page).sliced(at, qMin(piece, page.size() - at)));
        scanner.finish();
        QStringList names = scanner.names;
        names.removeDuplicates();
        EXPECT_EQ(names, expected) << "in pieces of " << piece << ": " << names.join(' ').toStdString();
        EXPECT_EQ(scanner.base, "../");
    }
    EXPECT_EQ(cssNames("@import url(a.css) screen; @import 'b.css'; .x { background: url(\"c.png\") }"),
              QStringList({"a.css", "b.css", "c.png"}));
    // A page of zeros, or of one tag that never ends, names nothing and keeps no more than a piece.
    EXPECT_TRUE(scanned(QByteArray(4 * 1024 * 1024, '\0'), 1024 * 1024).isEmpty());
    EXPECT_EQ(scanned("<img src=a.png " + QByteArray(3 * 1024 * 1024, 'x') + "<img src=b.png>", 1024 * 1024),
              QStringList({"b.png"}));
}

}  // namespace
}  // namespace kavrin::test
