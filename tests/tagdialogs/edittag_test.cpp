// Edit Tag on real tags in a document: the tag is found at the caret, its dialog opens filled
// from it, and OK writes the rebuilt start tag in its place.
#include "tagdialogs/edittag.h"
#include "tagdialogs/structure/frmDiv.h"
#include "tagdialogs/tagdialog.h"
#include "tagdialogs/text/frmBr.h"
#include "tagdialogs/text/frmHr.h"
#include "tagdialogs/text/frmP.h"
#include "tagtest.h"

namespace kavrin::test {
namespace {

class EditTagTest : public TagDialogTest {
protected:
    // Puts `marked` into the document, right-clicks and chooses Edit Tag; `drive` works the dialog.
    template <class Dialog>
    void editTag(const QString& marked, const QString& className, std::function<void(Dialog&)> drive) {
        setDocument(marked);
        ASSERT_TRUE(editTagOffered()) << marked.toStdString();
        expectDialogWindow<Dialog>(className, [drive](Dialog& d) {
            EXPECT_TRUE(editingTag);
            drive(d);
        });
        mainWindow->mnuPopupEditTag->trigger();
        EXPECT_FALSE(editingTag);
        EXPECT_TRUE(editTagAttributes.isEmpty());
    }

    static void pressOk(TagDialog& d) { d.cmdOk->click(); }
};

TEST_F(EditTagTest, QuotesOfBothKindsComeBackDoubleQuotedAndEscaped) {
    editTag<frmP>("<p al|ign='center' class=\"intro\" title='say \"hi\"' style=\"font:'x'\">text</p>", "frmP",
                  [](frmP& d) {
                      EXPECT_EQ(d.cboAlign->currentText(), "center");
                      EXPECT_EQ(d.extraAttributes,
                                " class=\"intro\" title=\"say &quot;hi&quot;\" style=\"font:'x'\"");
                      pressOk(d);
                  });
    const QString tag = "<p align=\"center\" class=\"intro\" title=\"say &quot;hi&quot;\" style=\"font:'x'\">";
    EXPECT_EQ(text(), tag + "text</p>");
    EXPECT_EQ(caret(), tag.size());  // just after the new start tag
}

TEST_F(EditTagTest, CloseSignInsideAValueDoesNotEndTheTag) {
    editTag<frmHr>("<hr onclick=\"if(a>b)go()\" size=2 wi|dth=\"50%\">after", "frmHr", [](frmHr& d) {
        EXPECT_EQ(d.txtSize->text(), "2");
        EXPECT_EQ(d.txtWidth->text(), "50%");
        clear(d.txtSize);
        type(d.txtSize, "3");
        pressOk(d);
    });
    EXPECT_EQ(text(), "<hr size=\"3\" width=\"50%\" onclick=\"if(a>b)go()\">after");
}

TEST_F(EditTagTest, BlanksTabsAndLineBreaksSeparateAttributes) {
    editTag<frmHr>("x<hr size = \"3\"\twidth\t=\t'40%'\r\n   align=\r\ncenter\r\n\tnoshade |>y", "frmHr", [](frmHr& d) {
        EXPECT_EQ(d.cboAlign->currentText(), "center");
        EXPECT_EQ(d.txtSize->text(), "3");
        EXPECT_EQ(d.txtWidth->text(), "40%");
        EXPECT_TRUE(d.chkHrNoshade->isChecked());
        EXPECT_EQ(d.extraAttributes, "");
        pressOk(d);
    });
    EXPECT_EQ(text(), "x<hr align=\"center\" size=\"3\" width=\"40%\" noshade>y");
}

TEST_F(EditTagTest, FiftyAttributesAllComeBackInTheirOrder) {
    QString attributes, kept;
    for (int i = 1; i <= 50; ++i) {
        if (i == 25) attributes += " ALIGN=right";
        attributes += QString(" data-%1=\"v%1\"").arg(i);
        kept += QString(" data-%1=\"v%1\"").arg(i);
    }
    editTag<frmDiv>("<d|iv" + attributes + ">in</div>", "frmDiv", [](frmDiv& d) {
        EXPECT_EQ(d.cboAlign->currentText(), "right");
        pressOk(d);
    });
    EXPECT_EQ(text(), "<div align=\"right\"" + kept + ">in</div>");
}

TEST_F(EditTagTest, AttributesWithoutFieldsAreKeptInOrder) {
    editTag<frmBr>("<br id=x hidden data-x=\"\" CLEAR=all onClick='f(\"a\")' /|>", "frmBr", [](frmBr& d) {
        EXPECT_EQ(d.cboClear->currentText(), "all");
        pressOk(d);
    });
    // A kept attribute without a value, or with an empty one, comes back as the bare name.
    EXPECT_EQ(text(), "<br clear=\"all\" id=\"x\" hidden data-x onClick=\"f(&quot;a&quot;)\" />");
}

TEST_F(EditTagTest, KnownAttributeWithoutValueIsKeptUntilItsFieldIsFilled) {
    editTag<frmHr>("<hr no|shade=\"noshade\" size width=10 class=c>", "frmHr", [](frmHr& d) {
        EXPECT_TRUE(d.chkHrNoshade->isChecked());  // a flag written with a value
        EXPECT_EQ(d.txtSize->text(), "");
        pressOk(d);
    });
    EXPECT_EQ(text(), "<hr size width=\"10\" noshade class=\"c\">");

    editTag<frmHr>("<hr |size width=10>", "frmHr", [](frmHr& d) {
        type(d.txtSize, "4");
        pressOk(d);
    });
    EXPECT_EQ(text(), "<hr size=\"4\" width=\"10\">");

    // An empty value is no value: the field stays empty and the attribute goes.
    editTag<frmP>("<p| align=\"\">", "frmP", [](frmP& d) { pressOk(d); });
    EXPECT_EQ(text(), "<p>");
}

TEST_F(EditTagTest, CaretAnywhereInTheTagOrOnItsOpeningSign) {
    const QString before = "one\r\n";
    const QString tag = "<Br clear=\"left\">";
    const QString document = before + tag + "two";
    for (int at = int(before.size()); at <= before.size() + tag.size(); ++at) {
        QString marked = document;
        marked.insert(at, '|');
        const bool inside = at < before.size() + tag.size();
        setDocument(marked);
        EXPECT_EQ(editTagOffered(), inside) << "caret at " << at;
        EXPECT_EQ(editTagName, inside ? "BR" : "");
        if (!inside) continue;
        expectDialogWindow<frmBr>("frmBr", [&](frmBr& d) {
            EXPECT_EQ(editor()->selText(), tag);  // the whole start tag is selected meanwhile
            EXPECT_EQ(d.cboClear->currentText(), "left");
            d.cmdCancel->click();
        });
        mainWindow->mnuPopupEditTag->trigger();
        EXPECT_EQ(text(), document);
        EXPECT_EQ(editor()->selText(), tag);  // Cancel leaves the old tag selected
    }
}

TEST_F(EditTagTest, TagThatNeverClosesOpensNothingAndChangesNothing) {
    setDocument("text <p al|ign=\"x\" and no end");
    EXPECT_FALSE(editTagOffered());
    mainWindow->mnuPopupEditTag_Click();  // even when called anyway: no dialog (it would fail the test)
    EXPECT_EQ(text(), "text <p align=\"x\" and no end");
    EXPECT_EQ(caret(), 10);
    EXPECT_EQ(editor()->selLength(), 0);
}

TEST_F(EditTagTest, WhichTagsAreOffered) {
    struct Case {
        const char* marked;
        const char* name;  // editTagName
        bool offered;
    };
    const Case cases[] = {
        {"<Hr|>", "HR", true},
        {"<DIV cl|ass=x>", "DIV", true},
        {"<p\t|align=left>", "P", true},       // a tab ends the name
        {"<br|/>", "", false},                  // "br/" is no editable name
        {"<b|>x</b>", "", false},
        {"<a hr|ef=x>", "A", true},
        {"<meta na|me=x>", "META", true},
        {"<table| border=1>", "TABLE", true},
        {"<p>x|</p>", "", false},
        {"no tag |here", "", false},
    };
    for (const Case& c : cases) {
        setDocument(c.marked);
        EXPECT_EQ(editTagOffered(), c.offered) << c.marked;
        EXPECT_EQ(editTagName, c.name) << c.marked;
    }
    // Every editable tag has its dialog.
    for (const EditableTag& tag : editableTags()) {
        EXPECT_NE(tag.create, nullptr) << tag.name.toStdString();
    }
}

TEST_F(EditTagTest, CancelAndFrameCloseLeaveTheDocumentAlone) {
    editTag<frmHr>("<hr si|ze=5>", "frmHr", [](frmHr& d) {
        type(d.txtSize, "9");
        d.cmdCancel->click();
    });
    editTag<frmHr>("<hr si|ze=5>", "frmHr", [](frmHr& d) {
        type(d.txtSize, "9");
        d.close();  // the window frame's close box
    });
    EXPECT_EQ(text(), "<hr size=5>");
}

TEST_F(EditTagTest, UpperCaseOptionAndParagraphEndingOnlyTouchTheStartTag) {
    uppercaseTags = true;
    addEndingP = true;
    editTag<frmP>("<p |class=\"Intro\">Text</p>", "frmP", [](frmP& d) {
        type(d.cboAlign, "right");
        pressOk(d);
    });
    EXPECT_EQ(text(), "<P ALIGN=\"right\" CLASS=\"Intro\">Text</p>");
}

TEST_F(EditTagTest, PopupMenuStartsWithEditTagAndOpensAtTheCaretsTag) {
    ASSERT_FALSE(mainWindow->mnuPopup->actions().isEmpty());
    EXPECT_EQ(mainWindow->mnuPopup->actions().first(), mainWindow->mnuPopupEditTag);
    EXPECT_EQ(mainWindow->mnuPopupEditTag->text(), "Edit Tag...");
    EXPECT_TRUE(mainWindow->mnuPopup->actions().value(1)->isSeparator());
    EXPECT_FALSE(mainWindow->mnuPopup->actions().last()->isSeparator());

    setDocument("<hr|>");
    mainWindow->showEditorPopup(mainWindow->mapToGlobal(QPoint(50, 50)));
    EXPECT_TRUE(mainWindow->mnuPopup->isVisible());
    EXPECT_TRUE(mainWindow->mnuPopupEditTag->isEnabled());
    mainWindow->mnuPopup->hide();

    setDocument("plain|");
    mainWindow->showEditorPopup(mainWindow->mapToGlobal(QPoint(50, 50)));
    EXPECT_FALSE(mainWindow->mnuPopupEditTag->isEnabled());
    mainWindow->mnuPopup->hide();
}

}  // namespace
}  // namespace kavrin::test
