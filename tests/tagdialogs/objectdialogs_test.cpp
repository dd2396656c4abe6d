// The dialogs of embedded objects and scripts: applets, their parameters, marquees and scripts,
// each as a new element from the Insert menu and through Edit Tag on an existing start tag.
#include "documents/globals.h"
#include "platform/forms/commondialog.h"
#include "tagdialogs/structure/frmApplet.h"
#include "tagdialogs/structure/frmMarquee.h"
#include "tagdialogs/structure/frmParameter.h"
#include "tagdialogs/structure/frmScript.h"
#include "tagtest.h"

namespace kavrin::test {
namespace {

class ObjectDialogsTest : public TagDialogTest {
protected:
};

// ---- Applet ----

TEST_F(ObjectDialogsTest, NewAppletGoesBeforeTheSelectionWithCodeAlwaysWritten) {
    setDocument("a|sel|b");
    fromMenu<frmApplet>(mainWindow->mnuInsertApplet, "frmApplet", [](frmApplet& d) {
        EXPECT_EQ(d.caption(), "Java Applet");
        EXPECT_EQ(d.cboAlign->count(), 8);
        EXPECT_EQ(d.cboAlign->itemText(7), "baseline");
        EXPECT_EQ(d.cmdBrowse->toolTip(), "Browse");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "a<applet code=\"\"></applet>selb");

    setDocument("|");
    fromMenu<frmApplet>(mainWindow->mnuInsertApplet, "frmApplet", [this](frmApplet& d) {
        type(d.txtCode, "A.class");
        type(d.txtName, "n");
        type(d.txtArchive, "a.jar");
        type(d.cboAlign, "left");
        type(d.txtWidth, "50%");
        d.updWidth->upButton->click();
        EXPECT_EQ(d.txtWidth->text(), "51%");
        d.updHeight->downButton->click();
        EXPECT_EQ(d.txtHeight->text(), "0");
        type(d.txtCodeBase, "x");
        clear(d.txtCodeBase);
        d.chkMayscript->click();
        expectDialog("open", [](CommonDialog& cdl) {
            EXPECT_EQ(cdl.dialogTitle, "Select File");
            EXPECT_EQ(cdl.filter, "JAVA Files (*.class)|*.class|All Files (*.*)|*.*");
            EXPECT_EQ(cdl.flags, 0x201004);
            return false;
        });
        d.cmdBrowse->click();
        EXPECT_EQ(d.txtCode->text(), "A.class") << "cancel keeps the field";
        d.cmdOk->click();
    });
    const QString start = "<applet code=\"A.class\" name=\"n\" archive=\"a.jar\" align=\"left\" width=\"51%\" "
                          "height=\"0\" mayscript>";
    EXPECT_EQ(text(), start + "</applet>");
    EXPECT_EQ(caret(), start.size());
}

TEST_F(ObjectDialogsTest, EditedAppletKeepsUnknownAttributesAndTakesTheLaterDuplicate) {
    editTag<frmApplet>("<APPLET CODE=A.class MAYSCRIPT=yes Hspace=4 |TITLE=one title=\"two\">x</APPLET>",
                       "frmApplet", [](frmApplet& d) {
                           EXPECT_EQ(d.txtCode->text(), "A.class");
                           EXPECT_TRUE(d.chkMayscript->isChecked());
                           EXPECT_EQ(d.txtTitle->text(), "two");
                           EXPECT_EQ(d.extraAttributes, " Hspace=\"4\"");
                           d.cmdOk->click();
                       });
    EXPECT_EQ(text(), "<applet code=\"A.class\" title=\"two\" mayscript Hspace=\"4\">x</APPLET>");

    // Browse writes the class file relative to the document, with "/" separators.
    doc->filePath = workDir + "site/page.htm";
    documentFolder = workDir + "site/";
    editTag<frmApplet>("<applet |code=B>", "frmApplet", [this](frmApplet& d) {
        expectDialog("open", [this](CommonDialog& cdl) {
            cdl.fileName = workDir + "site/classes/A.class";
            return true;
        });
        d.cmdBrowse->click();
        EXPECT_EQ(d.txtCode->text(), "classes/A.class");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<applet code=\"classes/A.class\">");

    editTag<frmApplet>("<applet |code=B>", "frmApplet", [](frmApplet& d) {
        type(d.txtName, "z");
        d.cmdCancel->click();
    });
    EXPECT_EQ(text(), "<applet code=B>");
}

// ---- Parameter ----

TEST_F(ObjectDialogsTest, NewParameterWrapsTheSelectionWithNameAndValueAlwaysWritten) {
    setDocument("a|sel|b");
    fromMenu<frmParameter>(mainWindow->mnuInsertParam, "frmParameter", [](frmParameter& d) {
        EXPECT_EQ(d.caption(), "Parameter");
        EXPECT_EQ(d.cboValue->count(), 4);
        EXPECT_EQ(d.cboValue->itemText(3), "object");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "a<param name=\"\" value=\"\">sel</param>b");

    setDocument("|");
    fromMenu<frmParameter>(mainWindow->mnuInsertParam, "frmParameter", [](frmParameter& d) {
        type(d.cboValue, "mine");
        type(d.txtMediaType, "text/plain");
        type(d.txtValue, "v");
        d.cmdOk->click();
    });
    const QString start = "<param name=\"\" value=\"v\" type=\"text/plain\" valuetype=\"mine\">";
    EXPECT_EQ(text(), start + "</param>");
    EXPECT_EQ(caret(), start.size());
}

TEST_F(ObjectDialogsTest, EditedParameterKeepsItsIdLast) {
    editTag<frmParameter>("<PARAM id=\"p1\" NAME=speed VALUE=\"3\" valuetype=ref|>", "frmParameter",
                          [](frmParameter& d) {
                              EXPECT_EQ(d.txtName->text(), "speed");
                              EXPECT_EQ(d.txtValue->text(), "3");
                              EXPECT_EQ(d.cboValue->currentText(), "ref");
                              EXPECT_EQ(d.extraAttributes, " id=\"p1\"");
                              d.cmdOk->click();
                          });
    EXPECT_EQ(text(), "<param name=\"speed\" value=\"3\" valuetype=\"ref\" id=\"p1\">");
}

// ---- Marquee ----

TEST_F(ObjectDialogsTest, NewMarqueeWritesLoopBeforeAlignAndFiltersDigits) {
    setDocument("a|sel|b");
    fromMenu<frmMarquee>(mainWindow->mnuInsertMarquee, "frmMarquee", [](frmMarquee& d) {
        EXPECT_EQ(d.caption(), "Marquee - Internet Explorer only");
        EXPECT_EQ(d.cmdColor->toolTip(), "Select color");
        EXPECT_EQ(swatchColor(d.lblColor), 0);
        EXPECT_EQ(d.cboLoop->count(), 12);
        EXPECT_EQ(d.cboBehavior->itemText(1), "alternate");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "a<marquee>sel</marquee>b");
    EXPECT_EQ(caret(), QString("a<marquee>sel").size());

    setDocument("|");
    fromMenu<frmMarquee>(mainWindow->mnuInsertMarquee, "frmMarquee", [this](frmMarquee& d) {
        type(d.cboBehavior, "slide");
        type(d.cboAlign, "top");
        d.cboLoop->setCurrentIndex(1);
        type(d.txtScrollAmount, "1a2");
        EXPECT_EQ(d.txtScrollAmount->text(), "12");
        type(d.txtScrollDelay, "x");
        EXPECT_EQ(d.txtScrollDelay->text(), "");
        d.updHspace->upButton->click();
        d.updVspace->upButton->click();
        d.updVspace->upButton->click();
        pickRed();
        d.cmdColor->click();
        EXPECT_EQ(d.txtColor->text(), "FF0000");
        EXPECT_EQ(swatchColor(d.lblColor), 0x0000FF);
        d.cmdOk->click();
    });
    const QString start =
        "<marquee behavior=\"slide\" scrollamount=\"12\" loop=\"infinite\" align=\"top\" hspace=\"1\" vspace=\"2\" "
        "bgcolor=\"FF0000\">";
    EXPECT_EQ(text(), start + "</marquee>");
    EXPECT_EQ(caret(), start.size());
}

TEST_F(ObjectDialogsTest, EditedMarqueeKeepsItsValuesAndUnknownAttributes) {
    editTag<frmMarquee>("<MARQUEE VSPACE=10 hspace=\"5\" BGCOLOR=\"#00FF00\" class=m|>x</MARQUEE>", "frmMarquee",
                        [](frmMarquee& d) {
                            EXPECT_EQ(d.txtVspace->text(), "10");
                            EXPECT_EQ(d.txtHspace->text(), "5");
                            EXPECT_EQ(d.txtColor->text(), "#00FF00");
                            EXPECT_EQ(swatchColor(d.lblColor), 0x00FF00);
                            EXPECT_EQ(d.extraAttributes, " class=\"m\"");
                            d.cmdOk->click();
                        });
    EXPECT_EQ(text(), "<marquee hspace=\"5\" vspace=\"10\" bgcolor=\"#00FF00\" class=\"m\">x</MARQUEE>");
}

// ---- Script ----

TEST_F(ObjectDialogsTest, NewScriptWithCommentLinesEndsThemByLanguage) {
    const struct {
        QString language;
        QString closing;
    } cases[] = {{"VBScript", "' -->"}, {"VBSCRIPT", "' -->"}, {"JScript", "// -->"}, {"", "// -->"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.language.toStdString());
        setDocument("|");
        fromMenu<frmScript>(mainWindow->mnuInsertScript, "frmScript", [&c](frmScript& d) {
            EXPECT_EQ(d.caption(), "Script");
            EXPECT_TRUE(d.chkComment->isVisible());
            type(d.cboLang, c.language);
            d.chkComment->click();
            d.cmdOk->click();
        });
        const QString attr = c.language.isEmpty() ? QString() : " language=\"" + c.language + "\"";
        const QString before = "<script" + attr + ">\r\n<!--\r\n\r\n" + c.closing + "\r\n";
        EXPECT_EQ(text(), before + "</script>");
        EXPECT_EQ(caret(), before.size());
    }
}

TEST_F(ObjectDialogsTest, NewScriptWritesItsSourceAsSrcBeforeTheSelection) {
    setDocument("a|sel|b");
    fromMenu<frmScript>(mainWindow->mnuInsertScript, "frmScript", [this](frmScript& d) {
        EXPECT_EQ(d.cboLang->count(), 8);
        EXPECT_EQ(d.cboLang->itemText(7), "LiveScript");
        d.cboLang->setCurrentIndex(1);
        type(d.txtSrc, "a.js");
        d.chkDefer->click();
        expectDialog("open", [](CommonDialog& cdl) {
            EXPECT_EQ(cdl.dialogTitle, "Select Script Source");
            EXPECT_EQ(cdl.filter,
                      "HTML Files (*.html;*.htm;*.shtml;*.shtm;*.asp)|*.html;*.htm;*.shtml;*.shtm;*.asp|"
                      "JavaScript Files (*.js)|*.js|All Files (*.*)|*.*");
            return false;
        });
        d.cmdBrowse->click();
        EXPECT_EQ(d.txtSrc->text(), "a.js");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "a<script language=\"JavaScript\" src=\"a.js\" defer>\r\n</script>selb");
}

TEST_F(ObjectDialogsTest, EditedScriptReadsSrcOrSourceKeepingBothAndHidesTheCommentBox) {
    editTag<frmScript>("<SCRIPT src=\"x.js\" DEFER=1 type=\"text/javascript\"|>f()</SCRIPT>", "frmScript",
                       [](frmScript& d) {
                           EXPECT_FALSE(d.chkComment->isVisible());
                           EXPECT_EQ(d.txtSrc->text(), "x.js");
                           EXPECT_TRUE(d.chkDefer->isChecked());
                           EXPECT_EQ(d.extraAttributes, " type=\"text/javascript\"");
                           d.cmdOk->click();
                       });
    EXPECT_EQ(text(), "<script src=\"x.js\" defer type=\"text/javascript\">f()</SCRIPT>");

    // The old attribute name is turned into the one browsers read.
    editTag<frmScript>("<script language=VBScript source=\"y.vbs\"|>", "frmScript", [](frmScript& d) {
        EXPECT_EQ(d.txtSrc->text(), "y.vbs");
        EXPECT_EQ(d.extraAttributes, "");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<script language=\"VBScript\" src=\"y.vbs\">");

    // Both names, in either order: src fills the field and source is kept, so no value is lost.
    editTag<frmScript>("<script source=\"old.js\" src=\"new.js\"|>", "frmScript", [](frmScript& d) {
        EXPECT_EQ(d.txtSrc->text(), "new.js");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<script src=\"new.js\" source=\"old.js\">");
    editTag<frmScript>("<script src=\"new.js\" SOURCE=\"old.js\"|>", "frmScript", [](frmScript& d) { d.cmdOk->click(); });
    EXPECT_EQ(text(), "<script src=\"new.js\" SOURCE=\"old.js\">");

    // A kept attribute of a cancelled edit does not reach the next new script.
    editTag<frmScript>("<script |onload=\"g()\">", "frmScript", [](frmScript& d) { d.cmdCancel->click(); });
    setDocument("|");
    fromMenu<frmScript>(mainWindow->mnuInsertScript, "frmScript", [](frmScript& d) {
        EXPECT_TRUE(d.chkComment->isVisible());
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<script>\r\n</script>");
}

}  // namespace
}  // namespace kavrin::test
