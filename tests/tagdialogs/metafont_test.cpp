// The meta tag and font dialogs as a user works them: from their menus for a new element, and
// through Edit Tag for an existing tag.
#include "documents/module1.h"
#include "platform/system/screen.h"
#include "tagdialogs/text/frmFont.h"
#include "tagdialogs/text/frmMeta.h"
#include "tagtest.h"

namespace kavrin::test {
namespace {

using MetaDialogTest = TagDialogTest;
using FontDialogTest = TagDialogTest;

TEST(RefreshContent, TakenApartAndPutBackAsWritten) {
    struct Case {
        const char* content;
        const char* pause;
        const char* separator;
        const char* url;
    };
    const Case cases[] = {
        {"5; URL=page.htm", "5", "; URL=", "page.htm"},
        {"0;url=http://x/a.htm?b=1", "0", ";url=", "http://x/a.htm?b=1"},
        {"10 ; Url = next.htm", "10", " ; Url = ", "next.htm"},
        {"3; page.htm", "3", "; ", "page.htm"},
        {"7,urlish.htm", "7", ",", "urlish.htm"},  // "url" without "=" is part of the address
        {"30", "30", "", ""},
        {"2;", "2", ";", ""},
    };
    for (const Case& c : cases) {
        const std::optional<RefreshContent> r = splitRefreshContent(c.content);
        ASSERT_TRUE(r) << c.content;
        EXPECT_EQ(r->pause, c.pause) << c.content;
        EXPECT_EQ(r->separator, c.separator) << c.content;
        EXPECT_EQ(r->url, c.url) << c.content;
        EXPECT_EQ(joinRefreshContent(*r), c.content);
    }
    for (const char* notAPause : {"", "abc", "5x", "5.5; URL=a", " 5; URL=a"})
        EXPECT_FALSE(splitRefreshContent(notAPause)) << notAPause;

    // The address changed or removed: the separator still makes sense.
    EXPECT_EQ(joinRefreshContent({"5", "; URL=", ""}), "5; ");
    EXPECT_EQ(joinRefreshContent({"5", "", "b.htm"}), "5; b.htm");
}

TEST(MetaPlace, RightAfterTheHeadStartTagNearTheTop) {
    EXPECT_EQ(metaInsertOffset("<HTML>\r\n<HEAD>\r\n<TITLE>"), 14);
    EXPECT_EQ(metaInsertOffset("<html><head lang=\"en\" data-x=\">\">x"), 33);
    EXPECT_EQ(metaInsertOffset("<html><header>x</header><head\r\nid=h>"), 36);
    EXPECT_EQ(metaInsertOffset("<html><header>x</header>"), -1);
    EXPECT_EQ(metaInsertOffset("no head here"), -1);
    EXPECT_EQ(metaInsertOffset("<head"), -1);
    // "<head>" must lie wholly within the first 5000 characters.
    EXPECT_EQ(metaInsertOffset(QString(4994, ' ') + "<head>"), 5000);
    EXPECT_EQ(metaInsertOffset(QString(4995, ' ') + "<head>"), -1);
}

TEST_F(MetaDialogTest, KindsAdaptTheContentAreaAndTheTagGoesAfterTheHead) {
    indentText = "    ";
    setDocument("<HTML>\r\n<HEAD>\r\n<TITLE>t</TITLE>\r\n</HEAD>\r\n<BODY>|here|</BODY>");
    fromMenu<frmMeta>(mainWindow->mnuInsertMeta, "frmMeta", [](frmMeta& d) {
        EXPECT_EQ(d.caption(), "Meta Tags");
        EXPECT_EQ(d.cboHTTP->count(), 7);
        EXPECT_EQ(d.cboName->count(), 6);
        EXPECT_TRUE(d.txtContent->isVisible());
        EXPECT_FALSE(d.cboRobots->isVisible());
        EXPECT_FALSE(d.picRefresh->isVisible());

        pick(d.cboName, "Expires");
        EXPECT_EQ(d.lblContent->text(), "Date");
        EXPECT_EQ(d.txtContent->toPlainText(), "04 Dec 1999 00:00:00 GMT");
        pick(d.cboHTTP, "Reply-to");
        EXPECT_EQ(d.lblContent->text(), "Email");
        EXPECT_EQ(d.txtContent->toPlainText(), "");
        EXPECT_EQ(d.cboName->currentText(), "") << "one kind at a time";
        pick(d.cboHTTP, "Author");
        EXPECT_EQ(d.lblContent->text(), "Author Name");
        pick(d.cboHTTP, "Refresh");
        EXPECT_TRUE(d.picRefresh->isVisible());
        EXPECT_FALSE(d.txtContent->isVisible());
        EXPECT_EQ(d.lblContent->text(), "");
        pick(d.cboName, "Robots");
        EXPECT_EQ(d.cboHTTP->currentText(), "");
        EXPECT_FALSE(d.picRefresh->isVisible());
        EXPECT_TRUE(d.cboRobots->isVisible());
        EXPECT_FALSE(d.txtContent->isVisible());
        EXPECT_EQ(d.lblContent->text(), "Content");
        pick(d.cboRobots, "NOINDEX,FOLLOW");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<HTML>\r\n<HEAD>\r\n    <meta name=\"Robots\" content=\"NOINDEX,FOLLOW\">\r\n<TITLE>t</TITLE>"
                      "\r\n</HEAD>\r\n<BODY>here</BODY>");

    // Typed kinds run no handler; with both typed, http-equiv wins. Capital tags keep the values.
    uppercaseTags = true;
    setDocument("<body>|");
    fromMenu<frmMeta>(mainWindow->mnuInsertMeta, "frmMeta", [](frmMeta& d) {
        type(d.cboHTTP, "Content-Type");
        type(d.cboName, "Generator");
        EXPECT_EQ(d.cboHTTP->currentText(), "Content-Type");
        type(d.txtContent, "text/html; charset=utf-8");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=utf-8\"><body>");

    // Neither kind: nothing is written. Cancel writes nothing either.
    setDocument("<head>|");
    fromMenu<frmMeta>(mainWindow->mnuInsertMeta, "frmMeta", [](frmMeta& d) {
        type(d.txtContent, "lost");
        d.cmdOk->click();
    });
    fromMenu<frmMeta>(mainWindow->mnuInsertMeta, "frmMeta", [](frmMeta& d) {
        type(d.cboName, "author");
        d.cmdCancel->click();
    });
    EXPECT_EQ(text(), "<head>");
}

TEST_F(MetaDialogTest, NewRefreshTakesDigitsAndAPauseOfThreeWhenLeftEmpty) {
    setDocument("<html>|");
    fromMenu<frmMeta>(mainWindow->mnuInsertMeta, "frmMeta", [](frmMeta& d) {
        pick(d.cboHTTP, "Refresh");
        EXPECT_EQ(d.txtPause->text(), "3");
        clear(d.txtPause);
        type(d.txtPause, "1a0");
        EXPECT_EQ(d.txtPause->text(), "10");
        QTest::keyClick(d.txtPause, Qt::Key_Backspace);
        EXPECT_EQ(d.txtPause->text(), "1");
        QTest::keyClick(d.txtPause, Qt::Key_Backspace);
        EXPECT_EQ(d.txtPause->text(), "");
        type(d.txtUrl, "next.htm");
        d.cmdOk->click();
        EXPECT_EQ(d.txtPause->text(), "3");
    });
    EXPECT_EQ(text(), "<meta http-equiv=\"Refresh\" content=\"3; next.htm\"><html>");

    // An immediate refresh stays immediate.
    setDocument("|");
    fromMenu<frmMeta>(mainWindow->mnuInsertMeta, "frmMeta", [](frmMeta& d) {
        pick(d.cboHTTP, "Refresh");
        clear(d.txtPause);
        type(d.txtPause, "0");
        type(d.txtUrl, "a.htm");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<meta http-equiv=\"Refresh\" content=\"0; a.htm\">");
}

TEST_F(MetaDialogTest, EditedRefreshKeepsItsPauseAndAddress) {
    editTag<frmMeta>("<meta HTTP-EQUIV=\"refresh\" id=r con|tent=\"0;URL=http://x.org/a.htm\">", "frmMeta",
                     [](frmMeta& d) {
                         EXPECT_TRUE(d.picRefresh->isVisible());
                         EXPECT_FALSE(d.txtContent->isVisible());
                         EXPECT_EQ(d.txtPause->text(), "0");
                         EXPECT_EQ(d.txtUrl->text(), "http://x.org/a.htm");
                         d.cmdOk->click();
                     });
    EXPECT_EQ(text(), "<meta http-equiv=\"Refresh\" content=\"0;URL=http://x.org/a.htm\" id=\"r\">");

    editTag<frmMeta>("<meta http-equiv=Refresh co|ntent=\"5; url=b.htm\">x", "frmMeta", [](frmMeta& d) {
        clear(d.txtPause);
        type(d.txtPause, "12");
        clear(d.txtUrl);
        type(d.txtUrl, "c.htm");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<meta http-equiv=\"Refresh\" content=\"12; url=c.htm\">x");

    // Content that is no refresh instruction is shown and kept as it stands.
    editTag<frmMeta>("<meta http-equiv=\"refresh\" content=\"soon|\">", "frmMeta", [](frmMeta& d) {
        EXPECT_TRUE(d.txtContent->isVisible());
        EXPECT_EQ(d.txtContent->toPlainText(), "soon");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<meta http-equiv=\"refresh\" content=\"soon\">");
}

TEST_F(MetaDialogTest, EditedNamedTagKeepsItsAttributesInTheDialogsOrder) {
    editTag<frmMeta>("<HEAD>\r\n<META lang=en conTent=\"html, editor\" NA|ME=\"keywords\" data-x>", "frmMeta",
                     [](frmMeta& d) {
                         EXPECT_EQ(d.cboName->currentText(), "keywords");
                         EXPECT_EQ(d.cboHTTP->currentText(), "");
                         EXPECT_EQ(d.txtContent->toPlainText(), "html, editor");
                         EXPECT_EQ(d.extraAttributes, " lang=\"en\" data-x");
                         d.cmdOk->click();
                     });
    // In place, not after the head.
    EXPECT_EQ(text(), "<HEAD>\r\n<meta name=\"keywords\" content=\"html, editor\" lang=\"en\" data-x>");
}

TEST(FaceList, SplitIntoThreeNamesAndTheRest) {
    struct Case {
        const char* value;
        FaceList expected;
    };
    const Case cases[] = {
        {"Arial,Helvetica, sans-serif, serif", {"Arial", "Helvetica", "sans-serif", ", serif"}},
        {"Verdana", {"Verdana", "", "", ""}},
        {"Verdana,  ", {"Verdana", "", "", ""}},
        {"A ,B", {"A ", "B", "", ""}},
        {"A,B,C,D ,E", {"A", "B", "C", ", D ,E"}},
        {",Arial", {"Arial", "", "", ""}},  // an empty name would hide the ones after it
        {"A,,B", {"A", "B", "", ""}},
        {"", {"", "", "", ""}},
    };
    for (const Case& c : cases) {
        const FaceList got = splitFaceList(c.value);
        EXPECT_EQ(got.face, c.expected.face) << c.value;
        EXPECT_EQ(got.alt1, c.expected.alt1) << c.value;
        EXPECT_EQ(got.alt2, c.expected.alt2) << c.value;
        EXPECT_EQ(got.extra, c.expected.extra) << c.value;
    }
}

TEST_F(FontDialogTest, NewFontWrapsTheSelectionInsideBoldAndItalic) {
    loadFontNames({"Zapf", "arial", "Courier"});
    setDocument("a |word| b");
    fromMenu<frmFont>(mainWindow->mnuFormatFont, "frmFont", [this](frmFont& d) {
        EXPECT_EQ(d.caption(), "Font");
        EXPECT_EQ(d.cboSize->count(), 15);
        EXPECT_EQ(d.cboFace->count(), 3);
        EXPECT_EQ(d.cboFace->itemText(0), "arial");
        EXPECT_EQ(d.cboFace3->count(), 3);
        EXPECT_TRUE(d.chkBold->isVisible());
        EXPECT_FALSE(d.cboFace2->isEnabled());
        EXPECT_FALSE(d.cboFace3->isEnabled());

        pick(d.cboFace, "Courier");
        EXPECT_TRUE(d.cboFace2->isEnabled());
        EXPECT_EQ(d.lblSample->font().family(), "Courier");
        type(d.cboFace2, "serif");
        EXPECT_TRUE(d.cboFace3->isEnabled());
        type(d.cboFace3, "x");
        clear(d.cboFace2);
        EXPECT_EQ(d.cboFace3->currentText(), "") << "no second alternate without a first";
        EXPECT_FALSE(d.cboFace3->isEnabled());
        type(d.cboFace2, "serif");

        // The sample follows a chosen size and moves left for the large ones.
        pick(d.cboSize, "+4");
        EXPECT_EQ(d.lblSample->font().pointSize(), 36);
        EXPECT_EQ(d.lblSample->mapTo(d.fraMain, QPoint()).x(), twipsToPixels(270));
        pick(d.cboSize, "3");
        EXPECT_EQ(d.lblSample->font().pointSize(), 12);
        EXPECT_EQ(d.lblSample->mapTo(d.fraMain, QPoint()).x(), twipsToPixels(870));
        clear(d.cboSize);
        type(d.cboSize, "7");
        EXPECT_EQ(d.lblSample->font().pointSize(), 12) << "typing is not choosing";

        d.chkBold->click();
        d.chkItalic->click();
        EXPECT_TRUE(d.lblSample->font().bold());
        EXPECT_TRUE(d.lblSample->font().italic());
        pickRed();
        d.cmdColor->click();
        EXPECT_EQ(d.txtColor->text(), "FF0000");
        EXPECT_EQ(d.lblSample->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        EXPECT_EQ(d.caption(), "Font") << "coming back from the picker";
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "a <b><i><font face=\"Courier, serif\" size=\"7\" color=\"FF0000\">word</font></i></b> b");
    EXPECT_EQ(caret(), text().indexOf("</font>"));

    // Nothing filled in; a face emptied takes its alternates with it.
    setDocument("|w|");
    fromMenu<frmFont>(mainWindow->mnuFormatFont, "frmFont", [](frmFont& d) {
        type(d.cboFace, "A");
        type(d.cboFace2, "B");
        clear(d.cboFace);
        EXPECT_EQ(d.cboFace2->currentText(), "");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<font>w</font>");
}

TEST_F(FontDialogTest, EditedFontKeepsEveryFaceAndWhatItHasNoFieldFor) {
    loadFontNames({"Arial", "Times"});
    editTag<frmFont>("<FONT class=\"c\" si|ze=+4 face=\"Arial,Helvetica, sans-serif, serif\" color=red x>t</FONT>",
                     "frmFont", [](frmFont& d) {
                         EXPECT_FALSE(d.chkBold->isVisible());
                         EXPECT_FALSE(d.chkItalic->isVisible());
                         EXPECT_EQ(d.cboFace->count(), 2) << "the lists are filled as the dialog shows";
                         EXPECT_EQ(d.cboFace->currentText(), "Arial");
                         EXPECT_EQ(d.cboFace2->currentText(), "Helvetica");
                         EXPECT_EQ(d.cboFace3->currentText(), "sans-serif");
                         EXPECT_TRUE(d.cboFace3->isEnabled());
                         EXPECT_EQ(d.extraFaces, ", serif");
                         EXPECT_EQ(d.cboSize->currentText(), "+4");
                         EXPECT_EQ(d.lblSample->font().pointSize(), 36);
                         EXPECT_EQ(swatchColor(d.lblColor), 0x0000FF);
                         EXPECT_EQ(d.lblSample->palette().color(QPalette::WindowText), QColor(255, 0, 0));
                         d.cmdOk->click();
                     });
    EXPECT_EQ(text(),
              "<font face=\"Arial, Helvetica, sans-serif, serif\" size=\"+4\" color=\"red\" class=\"c\" x>t</FONT>");

    // Bold and italic never reach an edited tag, even when checked behind the user's back.
    editTag<frmFont>("<font fa|ce=Times>t</font>", "frmFont", [](frmFont& d) {
        d.chkBold->setChecked(true);
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<font face=\"Times\">t</font>");
}

}  // namespace
}  // namespace kavrin::test
