// The file dependencies report: the tag-per-line rewrite and the scan, then the window on a page.
#include <QApplication>
#include <QClipboard>

#include "documents/docfile.h"
#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "fixture.h"
#include "qstringprint.h"
#include "mainwindow/mdiMain.h"
#include "tools/dependencies.h"
#include "tools/frmDependencies.h"

namespace kavrin::test {
namespace {

QStringList found(const QString& page, DependencyKinds kinds = {}) { return scanDependencies(tagLines(page), kinds); }

TEST(DependencyScanTest, TagsComeOnePerLineWithoutCommentsAndJoinedOverLines) {
    EXPECT_EQ(tagLines("<p>Hi <b>x</b>\r\ntext\r\n<img\r\nsrc=a.gif>"),
              (QStringList{"<p>", "<b>", "</b>", "", "", "<imgsrc=a.gif>", ""}));
    EXPECT_EQ(tagLines("<!-- <img src=a.gif> --><a href=b.htm>"), (QStringList{"<a href=b.htm>", ""}));
    // A stray ">" is a record of its own; an unterminated tag at the end is kept.
    EXPECT_EQ(tagLines("a > b\r\n<a href=x"), (QStringList{">", "", "<a href=x"}));
}

TEST(DependencyScanTest, NamesKeepTheirCaseWhileAttributesAreFoundInAnyCase) {
    // On this system Page.htm and page.htm are two files.
    EXPECT_EQ(found("<A HREF=Page.htm>x</A> <a href=\"page.htm\">y</a> <IMG SRC=\"Logo.GIF\"> <img src=logo.gif>"),
              (QStringList{"Page.htm", "page.htm", "Logo.GIF", "logo.gif"}));
    // Mail links and anchors are no files; a value ends at the first blank.
    EXPECT_EQ(found("<a href=mailto:me@x.org>m</a><a href=#top>t</a><a href=\"my page.htm\">p</a>"
                    "<img src=a.gif width=10><img src=a.gif>"),
              (QStringList{"my", "a.gif"}));
    // A tag with a link and a picture gives only the link.
    EXPECT_EQ(found("<a href=one.htm><img src=two.gif></a><a href=three.htm src=four.gif>"),
              (QStringList{"one.htm", "two.gif", "three.htm"}));
    // A tag split after its name loses its source; one inside a comment counts for nothing.
    EXPECT_EQ(found("<img\r\nsrc=a.gif><!-- <img src=b.gif> --><img src=c.jpg>"), QStringList{"c.jpg"});
}

TEST(DependencyScanTest, TheKindsChooseWhatIsListed) {
    const QString page =
        "<frameset><frame src=Left.html><frame src=\"main.htm\"></frameset>"
        "<script src=Code/App.js></script><link href=Style.css rel=stylesheet>"
        "<img src=photo.jpeg><img src=pic.JPG><applet code=Clock.class></applet>";
    EXPECT_EQ(found(page, {true, true, false}), (QStringList{"Style.css", "pic.JPG"}));
    EXPECT_EQ(found(page, {false, false, true}),
              (QStringList{"Left.html", "main.htm", "Code/App.js", "photo.jpeg", "Clock.class"}));
    EXPECT_EQ(found(page, {false, true, false}), QStringList{"pic.JPG"});
    EXPECT_TRUE(found(page, {false, false, false}).isEmpty());
}

class DependenciesTest : public KavrinTest {
protected:
    void SetUp() override {
        KavrinTest::SetUp();
        mainWindow = new mdiMain();
        mainWindow->show();
    }
};

TEST_F(DependenciesTest, StartListsThePageAsItStandsAndCopyTakesTheChosenEntries) {
    newDocument();
    activeDocument()->txtMain->setText(
        "<html><body background=\"Back.gif\">\r\n<a href=\"Index.html\">Home</a>\r\n"
        "<img src=\"images/Logo.gif\"><script src=\"menu.js\"></script>\r\n</body></html>");
    expectModal("frmDependencies", [](Form& form) {
        auto& f = static_cast<frmDependencies&>(form);
        EXPECT_TRUE(f.isVisible());
        EXPECT_EQ(f.caption(), "File Dependencies");
        EXPECT_FALSE(f.cmdCopy->isEnabled());
        EXPECT_TRUE(f.pbr1->isHidden());
        f.chkOther->click();
        f.cmdStart->click();
        ASSERT_EQ(f.lstFiles->count(), 3);
        EXPECT_EQ(f.lstFiles->item(0)->text(), "Index.html");
        EXPECT_EQ(f.lstFiles->item(1)->text(), "images/Logo.gif");
        EXPECT_EQ(f.lstFiles->item(2)->text(), "menu.js");
        EXPECT_TRUE(f.cmdCopy->isEnabled());
        EXPECT_TRUE(f.pbr1->isHidden());

        // Nothing chosen copies nothing; two entries, top down, each ending a line.
        QGuiApplication::clipboard()->setText("before");
        f.cmdCopy->click();
        EXPECT_EQ(QGuiApplication::clipboard()->text(), "before");
        f.lstFiles->item(2)->setSelected(true);
        f.lstFiles->item(0)->setSelected(true);
        f.cmdCopy->click();
        EXPECT_EQ(QGuiApplication::clipboard()->text(), "Index.html\r\nmenu.js\r\n");

        // A new Start follows the boxes; finding nothing leaves Copy off.
        f.chkHTML->click();
        f.chkImage->click();
        f.chkOther->click();
        f.cmdStart->click();
        EXPECT_EQ(f.lstFiles->count(), 0);
        EXPECT_FALSE(f.cmdCopy->isEnabled());
        f.cmdClose->click();
    });
    mainWindow->mnuToolsFileDependencies->trigger();
}

}  // namespace
}  // namespace kavrin::test
