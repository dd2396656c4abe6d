// The line break, paragraph, rule and division dialogs as a user works them, for a new element
// and for an edited tag.
#include "tagdialogs/structure/frmDiv.h"
#include "tagdialogs/tagdialog.h"
#include "tagdialogs/text/frmBr.h"
#include "tagdialogs/text/frmHr.h"
#include "tagdialogs/text/frmP.h"
#include "tagtest.h"

namespace kavrin::test {
namespace {

class NewElementTest : public TagDialogTest {
protected:
    // Shows the dialog as an opener does, for a new element, and works it with `drive`.
    template <class Dialog>
    void insertWith(const QString& className, std::function<void(Dialog&)> drive) {
        expectDialogWindow<Dialog>(className, drive);
        showModalDialog<Dialog>();
        EXPECT_EQ(Form::forms().size(), baseForms) << "the dialog must be gone";
    }

    // Picks box `entry` of the colour picker, then presses OK there.
    void expectColorPick(int entry) {
        expectDialogWindow<frmColor>("frmColor", [entry](frmColor& picker) {
            const PaletteEntry box = webSafePalette()[entry - 1];
            QTest::mouseClick(&picker, Qt::LeftButton, {}, QPoint(picker.paletteLeft() + box.x / 15 + 5, box.y / 15 + 5));
            picker.cmdOk->click();
        });
    }
};

TEST_F(NewElementTest, LineBreakGoesBeforeTheSelection) {
    setDocument("a|sel|b");
    insertWith<frmBr>("frmBr", [](frmBr& d) {
        EXPECT_EQ(d.caption(), "Line Break");
        EXPECT_EQ(d.cboClear->currentText(), "");
        EXPECT_EQ(d.cboClear->count(), 4);
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "a<br>selb");
    EXPECT_EQ(caret(), 8);

    setDocument("x|");
    insertWith<frmBr>("frmBr", [](frmBr& d) {
        d.cboClear->setCurrentIndex(2);  // picked from the list
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "x<br clear=\"all\">");

    // Typed text is written as typed, even a value the list lacks; a double quote is escaped.
    setDocument("|");
    insertWith<frmBr>("frmBr", [](frmBr& d) {
        type(d.cboClear, "l\"r");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<br clear=\"l&quot;r\">");
}

TEST_F(NewElementTest, ParagraphFollowsTheEndingSetting) {
    addEndingP = true;
    setDocument("|");
    insertWith<frmP>("frmP", [](frmP& d) {
        EXPECT_EQ(d.caption(), "Paragraph Break");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<p></p>");
    EXPECT_EQ(caret(), 3);

    setDocument("|words|");
    insertWith<frmP>("frmP", [](frmP& d) {
        type(d.cboAlign, "justify");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<p align=\"justify\">words</p>");
    EXPECT_EQ(caret(), 24);

    addEndingP = false;
    setDocument("|words|");
    insertWith<frmP>("frmP", [](frmP& d) { d.cmdOk->click(); });
    EXPECT_EQ(text(), "<p>words");
    EXPECT_EQ(caret(), 8);
}

TEST_F(NewElementTest, RuleWritesItsFieldsInOrderWithAPickedColour) {
    setDocument("a|b|c");
    insertWith<frmHr>("frmHr", [this](frmHr& d) {
        EXPECT_EQ(d.caption(), "Horizontal Rule");
        EXPECT_EQ(d.cmdColor->toolTip(), "Select color");
        ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
        EXPECT_TRUE(d.cboAlign->hasFocus());  // the first field, and Tab ends on OK and Cancel
        d.cmdColor->setFocus();
        QTest::keyClick(d.cmdColor, Qt::Key_Tab);
        EXPECT_TRUE(d.cmdOk->hasFocus());
        d.chkHrNoshade->setChecked(true);
        type(d.txtWidth, "50%");
        d.updWidth->upButton->click();  // 51%
        d.updSize->upButton->click();   // empty goes to 1
        d.cboAlign->setCurrentIndex(1);
        expectColorPick(181);  // red 255, green 0, blue 0
        d.cmdColor->click();
        EXPECT_EQ(d.txtColor->text(), "FF0000");
        EXPECT_EQ(swatchColor(d.lblColor), 0x0000FF);
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "a<hr align=\"center\" size=\"1\" width=\"51%\" noshade color=\"#FF0000\">bc");
}

TEST_F(NewElementTest, RuleColourGetsAHashOnlyWhenItIsBareHexadecimal) {
    const std::pair<const char*, const char*> cases[] = {
        {"red", "<hr color=\"red\">"},
        {"#00ff00", "<hr color=\"#00ff00\">"},
        {"abc", "<hr color=\"#abc\">"},
        {"", "<hr>"},
    };
    for (const auto& [typed, written] : cases) {
        setDocument("|");
        insertWith<frmHr>("frmHr", [typed](frmHr& d) {
            type(d.txtColor, typed);
            d.cmdOk->click();
        });
        EXPECT_EQ(text(), written) << typed;
    }
}

TEST_F(NewElementTest, ColourPickerCancelChangesNothingAndDoubleClickOpensIt) {
    insertWith<frmHr>("frmHr", [this](frmHr& d) {
        d.updSize->downButton->click();  // empty goes down to 0, never below
        d.updSize->downButton->click();
        EXPECT_EQ(d.txtSize->text(), "0");
        type(d.txtColor, "navy");
        expectDialogWindow<frmColor>("frmColor", [](frmColor& picker) {
            EXPECT_EQ(picker.lblHex->text(), "000080");  // opens on the field's colour
            picker.cmdCancel->click();
        });
        QTest::mouseDClick(d.txtColor, Qt::LeftButton);
        EXPECT_EQ(d.txtColor->text(), "navy");
        expectColorPick(1);
        d.cmdColor->click();
        EXPECT_EQ(d.txtColor->text(), "000000");
        d.cmdCancel->click();
    });
}

TEST_F(NewElementTest, EditedRuleShowsItsValuesAndPaintsItsSwatch) {
    setDocument("<HR WIDTH=\"50%\" class=rule noshade=\"noshade\" color=00FF00|>");
    ASSERT_TRUE(editTagOffered());
    expectDialogWindow<frmHr>("frmHr", [](frmHr& d) {
        EXPECT_EQ(d.txtWidth->text(), "50%");
        EXPECT_TRUE(d.chkHrNoshade->isChecked());
        EXPECT_EQ(d.txtColor->text(), "00FF00");
        EXPECT_EQ(swatchColor(d.lblColor), 0x00FF00);
        d.cmdOk->click();
    });
    mainWindow->mnuPopupEditTag_Click();
    EXPECT_EQ(text(), "<hr width=\"50%\" noshade color=\"#00FF00\" class=\"rule\">");
}

TEST_F(NewElementTest, DivisionWrapsTheSelectionAndIgnoresEnterAndEsc) {
    setDocument("|");
    insertWith<frmDiv>("frmDiv", [](frmDiv& d) {
        EXPECT_EQ(d.caption(), "Text Division");
        EXPECT_EQ(d.cboAlign->count(), 5);
        EXPECT_EQ(d.cboAlign->itemText(0), "");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<div></div>");
    EXPECT_EQ(caret(), 5);

    setDocument("|<p>para</p>|");
    insertWith<frmDiv>("frmDiv", [](frmDiv& d) {
        type(d.cboAlign, "center");
        QTest::keyClick(d.cboAlign->lineEdit(), Qt::Key_Return);
        QTest::keyClick(d.cboAlign->lineEdit(), Qt::Key_Escape);
        EXPECT_TRUE(d.isLoaded());
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<div align=\"center\"><p>para</p></div>");
    EXPECT_EQ(caret(), 31);
}

TEST_F(NewElementTest, EnterPressesOkAndEscCancelsInTheOtherDialogs) {
    setDocument("|");
    insertWith<frmBr>("frmBr", [](frmBr& d) {
        type(d.cboClear, "left");
        QTest::keyClick(d.cboClear->lineEdit(), Qt::Key_Return);
        EXPECT_FALSE(d.isLoaded());
    });
    EXPECT_EQ(text(), "<br clear=\"left\">");

    insertWith<frmHr>("frmHr", [](frmHr& d) {
        type(d.txtSize, "2");
        QTest::keyClick(d.txtSize, Qt::Key_Escape);
        EXPECT_FALSE(d.isLoaded());
    });
    EXPECT_EQ(text(), "<br clear=\"left\">");
}

}  // namespace
}  // namespace kavrin::test
