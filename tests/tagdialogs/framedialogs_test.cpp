// The frame, frameset and inline frame dialogs, each as a new element from the Insert menu and
// through Edit Tag on an existing start tag.
#include "documents/globals.h"
#include "platform/forms/commondialog.h"
#include "platform/forms/dialogsize.h"
#include "tagdialogs/structure/frmFrame.h"
#include "tagdialogs/structure/frmFrameset.h"
#include "tagdialogs/structure/frmIFrame.h"
#include "tagtest.h"

namespace kavrin::test {
namespace {

class FrameDialogsTest : public TagDialogTest {
protected:
    // Browse offers page files under the given title; this run cancels it.
    void expectPageBrowse(const QString& title) {
        expectDialog("open", [title](CommonDialog& cdl) {
            EXPECT_EQ(cdl.dialogTitle, title);
            EXPECT_EQ(cdl.filter,
                      "HTML Files (*.html;*.htm;*.shtml;*.shtm;*.asp)|*.html;*.htm;*.shtml;*.shtm;*.asp"
                      "|All Files (*.*)|*.*");
            return false;
        });
    }
};

// ---- Frame ----

TEST_F(FrameDialogsTest, NewFrameGoesInFrontOfTheSelectionWithItsBorderAlwaysWritten) {
    setDocument("a|sel|b");
    fromMenu<frmFrame>(mainWindow->mnuInsertFrameFrame, "frmFrame", [](frmFrame& d) {
        EXPECT_EQ(d.caption(), "Frame");
        EXPECT_EQ(d.cboScrolling->count(), 4);
        EXPECT_EQ(d.cboScrolling->itemText(1), "Auto");
        EXPECT_EQ(d.cmdBrowse->text(), "Browse");
        EXPECT_FALSE(d.chkBorder->isChecked());
        EXPECT_FALSE(d.chkNoResize->isChecked());
        d.cboScrolling->setCurrentIndex(3);
        type(d.txtName, "main");
        type(d.txtSrc, "page.html");
        d.updMarginHeight->upButton->click();  // empty gives 1
        d.updMarginWidth->downButton->click();  // empty gives 0
        d.chkNoResize->click();
        d.cmdOk->click();
    });
    EXPECT_EQ(text(),
              "a<frame src=\"page.html\" name=\"main\" scrolling=\"No\" marginwidth=\"0\" marginheight=\"1\""
              " noresize frameborder=\"0\">selb");

    setDocument("|");
    fromMenu<frmFrame>(mainWindow->mnuInsertFrameFrame, "frmFrame", [](frmFrame& d) { d.cmdOk->click(); });
    EXPECT_EQ(text(), "<frame frameborder=\"0\">");
}

TEST_F(FrameDialogsTest, CancelWritesNothingAndClosingClearsTheDialogKind) {
    setDocument("a|b");
    dialogKind = QStringLiteral("frame");
    fromMenu<frmFrame>(mainWindow->mnuInsertFrameFrame, "frmFrame", [](frmFrame& d) {
        type(d.txtName, "x");
        d.cmdCancel->click();
    });
    EXPECT_EQ(text(), "ab");
    EXPECT_EQ(dialogKind, "");
}

TEST_F(FrameDialogsTest, EditedFrameFillsItsFieldsAndKeepsWhatItHasNoFieldFor) {
    editTag<frmFrame>("<frame ALIGN=left src=\"a.htm\" marginheight=5 noresize frameborder=yes "
                      "bordercolor=\"#ff0000\" width=3|>x",
                      "frmFrame", [](frmFrame& d) {
                          EXPECT_EQ(d.txtSrc->text(), "a.htm");
                          EXPECT_EQ(d.txtMarginHeight->text(), "5");
                          EXPECT_EQ(d.txtColor->text(), "#ff0000");
                          EXPECT_EQ(swatchColor(d.lblColor), 0x0000ff);
                          EXPECT_TRUE(d.chkNoResize->isChecked());
                          EXPECT_TRUE(d.chkBorder->isChecked());
                          type(d.txtMarginWidth, "2");
                          d.cmdOk->click();
                      });
    EXPECT_EQ(text(),
              "<frame src=\"a.htm\" bordercolor=\"#ff0000\" marginwidth=\"2\" marginheight=\"5\" noresize"
              " frameborder=\"1\" ALIGN=\"left\" width=\"3\">x");
}

TEST_F(FrameDialogsTest, OnlyExactYesOrOneChecksTheFrameBorder) {
    for (const QString& value : {QStringLiteral("no"), QStringLiteral("Yes"), QStringLiteral("1")}) {
        const bool on = value == "1";
        editTag<frmFrame>("<frame frameborder=\"" + value + "\"|>", "frmFrame", [on](frmFrame& d) {
            EXPECT_EQ(d.chkBorder->isChecked(), on);
            d.cmdOk->click();
        });
        EXPECT_EQ(text(), on ? "<frame frameborder=\"1\">" : "<frame frameborder=\"0\">") << value.toStdString();
    }
    editTag<frmFrame>("<frame name=f|>", "frmFrame", [](frmFrame& d) { d.cmdOk->click(); });
    EXPECT_EQ(text(), "<frame name=\"f\" frameborder=\"0\">");
}

TEST_F(FrameDialogsTest, FrameAndFramesetColourButtonsAndBrowseFillTheirFields) {
    setDocument("|");
    fromMenu<frmFrame>(mainWindow->mnuInsertFrameFrame, "frmFrame", [this](frmFrame& d) {
        EXPECT_EQ(swatchColor(d.lblColor), 0);
        EXPECT_EQ(d.cmdColor->toolTip(), "");
        pickRed();
        d.cmdColor->click();
        EXPECT_EQ(d.txtColor->text(), "FF0000");
        EXPECT_EQ(swatchColor(d.lblColor), 0x0000FF);
        expectPageBrowse("Select Frame Source");
        d.cmdBrowse->click();
        EXPECT_EQ(d.txtSrc->text(), "");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<frame bordercolor=\"FF0000\" frameborder=\"0\">");

    setDocument("|");
    fromMenu<frmFrameset>(mainWindow->mnuInsertFrameset, "frmFrameset", [this](frmFrameset& d) {
        pickRed();
        d.cmdColor->click();
        EXPECT_EQ(swatchColor(d.lblColor), 0x0000FF);
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<frameset bordercolor=\"FF0000\"></frameset>");

    setDocument("|");
    fromMenu<frmIFrame>(mainWindow->mnuInsertFloatingFrame, "frmIFrame", [this](frmIFrame& d) {
        expectPageBrowse("Select IFrame Source");
        d.cmdBrowse->click();
        d.cmdCancel->click();
    });
    EXPECT_EQ(text(), "");
}

// ---- Frameset ----

TEST_F(FrameDialogsTest, NewFramesetIsAnEmptyElementInFrontOfTheSelection) {
    setDocument("a|sel|b");
    fromMenu<frmFrameset>(mainWindow->mnuInsertFrameset, "frmFrameset", [](frmFrameset& d) {
        EXPECT_EQ(d.caption(), "FrameSet");
        EXPECT_EQ(d.cboFrameBorder->count(), 4);
        EXPECT_EQ(d.cboFrameBorder->itemText(1), "0     (MS IE, Netscape)");
        EXPECT_EQ(d.cboFrameBorder->itemText(3), "No  (Netscape)");
        EXPECT_EQ(d.cmdColor->toolTip(), "Select Color");
        type(d.txtRows, "50%,*");
        d.cboFrameBorder->setCurrentIndex(3);
        d.updFrameSpacing->upButton->click();
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "a<frameset rows=\"50%,*\" frameborder=\"no\" framespacing=\"1\"></frameset>selb");

    setDocument("|");
    fromMenu<frmFrameset>(mainWindow->mnuInsertFrameset, "frmFrameset", [](frmFrameset& d) {
        d.cboFrameBorder->setCurrentIndex(1);
        d.cboFrameBorder->setCurrentIndex(0);  // the empty entry again
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<frameset></frameset>");

    setDocument("|");
    fromMenu<frmFrameset>(mainWindow->mnuInsertFrameset, "frmFrameset", [](frmFrameset& d) {
        type(d.cboFrameBorder, "0");  // typed, not chosen
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<frameset></frameset>");
}

TEST_F(FrameDialogsTest, EditedFramesetShowsItsFrameBorderEntryAndWritesOnlyTheStartTag) {
    editTag<frmFrameset>("<frameset frameborder=yes border=3 Onload=\"go()\" cols=\"*,*\"|><frame></frameset>",
                         "frmFrameset", [](frmFrameset& d) {
                             EXPECT_EQ(d.cboFrameBorder->currentText(), "Yes (Netscape)");
                             EXPECT_EQ(d.txtCols->text(), "*,*");
                             d.updBorder->upButton->click();
                             EXPECT_EQ(d.txtBorder->text(), "4");
                             type(d.txtColor, "blue");
                             d.cmdOk->click();
                         });
    EXPECT_EQ(text(),
              "<frameset cols=\"*,*\" frameborder=\"yes\" border=\"4\" bordercolor=\"blue\" Onload=\"go()\">"
              "<frame></frameset>");

    editTag<frmFrameset>("<frameset frameborder=\"0\"|>", "frmFrameset", [](frmFrameset& d) {
        EXPECT_EQ(d.cboFrameBorder->currentText(), "0     (MS IE, Netscape)");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<frameset frameborder=\"0\">");
}

TEST_F(FrameDialogsTest, AFramesetBorderValueTheListDoesNotOfferSurvivesUntilChanged) {
    editTag<frmFrameset>("<frameset frameborder=1|>", "frmFrameset", [](frmFrameset& d) {
        EXPECT_EQ(d.cboFrameBorder->currentText(), "1");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<frameset frameborder=\"1\">");

    editTag<frmFrameset>("<frameset frameborder=1|>", "frmFrameset", [](frmFrameset& d) {
        clear(d.cboFrameBorder);
        type(d.cboFrameBorder, "2");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<frameset>");
}

// ---- Inline frame ----

TEST_F(FrameDialogsTest, NewInlineFrameGoesInFrontOfTheSelectionClosedByItsEndTag) {
    setDocument("a|sel|b");
    fromMenu<frmIFrame>(mainWindow->mnuInsertFloatingFrame, "frmIFrame", [](frmIFrame& d) {
        EXPECT_EQ(d.caption(), "IFrame (Floating Frame) - Internet Explorer only");
        // The fields are narrower than the caption: the frame still shows it whole.
        EXPECT_GE(d.width(), titleFitWidth(d.caption()));
        EXPECT_EQ(d.cboScrolling->count(), 3);
        EXPECT_EQ(d.cboAlign->itemText(5), "bottom");
        type(d.txtSrc, "in.html");
        d.cboScrolling->setCurrentIndex(1);
        d.cboAlign->setCurrentIndex(3);
        type(d.txtWidth, "50%");
        d.updWidth->upButton->click();
        d.updHeight->downButton->click();
        // Margins take digits only; width takes anything.
        type(d.txtMarginWidth, "1a-2");
        type(d.txtHeight, "x");
        d.chkBorder->click();
        d.cmdOk->click();
    });
    EXPECT_EQ(text(),
              "a<iframe src=\"in.html\" scrolling=\"Yes\" align=\"top\" width=\"51%\" height=\"0x\""
              " marginwidth=\"12\" frameborder=\"1\"></iframe>selb");

    // What is typed next goes after the frame, not into it.
    setDocument("a|b");
    fromMenu<frmIFrame>(mainWindow->mnuInsertFloatingFrame, "frmIFrame", [](frmIFrame& d) { d.cmdOk->click(); });
    EXPECT_EQ(text(), "a<iframe frameborder=\"0\"></iframe>b");
    EXPECT_EQ(caret(), int(QString("a<iframe frameborder=\"0\"></iframe>").size()));

    setDocument("|");
    fromMenu<frmIFrame>(mainWindow->mnuInsertFloatingFrame, "frmIFrame", [](frmIFrame& d) { d.cmdCancel->click(); });
    EXPECT_EQ(text(), "");
}

TEST_F(FrameDialogsTest, EditedInlineFrameKeepsFrameOnlyAttributesAfterItsBorder) {
    editTag<frmIFrame>("<IFRAME bordercolor=red SRC=\"x.htm\" noresize marginheight=4 spacing=2 frameborder=1|>",
                       "frmIFrame", [](frmIFrame& d) {
                           EXPECT_EQ(d.txtSrc->text(), "x.htm");
                           EXPECT_EQ(d.txtMarginHeight->text(), "4");
                           EXPECT_TRUE(d.chkBorder->isChecked());
                           QTest::keyClick(d.txtMarginHeight, Qt::Key_Backspace);
                           type(d.txtMarginHeight, "7");
                           d.cmdOk->click();
                       });
    EXPECT_EQ(text(),
              "<iframe src=\"x.htm\" marginheight=\"7\" frameborder=\"1\" bordercolor=\"red\" noresize spacing=\"2\">");

    editTag<frmIFrame>("<iframe frameborder=no|>", "frmIFrame", [](frmIFrame& d) {
        EXPECT_FALSE(d.chkBorder->isChecked());
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<iframe frameborder=\"0\">");
}

}  // namespace
}  // namespace kavrin::test
