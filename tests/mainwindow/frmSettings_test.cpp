#include <QAction>
#include <QTest>

#include "mainwindow/frmSettings.h"
#include "mainwindow_fixture.h"
#include "platform/web/webviews.h"
#include "tagdialogs/frmColor.h"

namespace kavrin::test {
namespace {

class OptionsTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        start();
        // Start-up has read the store; the tests choose the settings the dialog opens with.
        fontNames = QStringList{"Alpha Sans", "Beta Mono"};
        fontCount = 2;
        fontName = "Beta Mono";
        fontSize = 10;
        indentText = "  ";
        tagTipDelay = 1000;
        wordWrap = true;
        uppercaseTags = false;
        formColor = 0x0000FF;
        fontColor = 0x008000;
        startupFolder = "my computer";
        rememberLastFolder = false;
        enableBrowserAndDesigner = true;
        fileFilters = {{"HTML Files (*.html)", "*.html;*.htm"}, {"Text Files (*.txt)", "*.txt"}, {"All Files (*.*)", "*.*"}};
        numFilters = 3;
    }

    // Tools > Options, with `drive` acting on the dialog as the user.
    void options(std::function<void(frmSettings&)> drive) {
        expectModal("frmSettings", [drive](Form& form) {
            auto& f = static_cast<frmSettings&>(form);
            EXPECT_TRUE(f.isVisible());
            drive(f);
        });
        mainWindow->item("mnuToolsOptions")->trigger();
        EXPECT_TRUE(allAnswered());
        for (Form* f : Form::forms()) EXPECT_FALSE(qobject_cast<frmSettings*>(f)) << "the dialog must be unloaded";
    }
};

TEST_F(OptionsTest, OpensFromTheGlobalsAndOkAppliesAndWritesTheFontAtOnce) {
    newDocument();
    options([](frmSettings& f) {
        EXPECT_EQ(f.windowTitle(), "Options");
        EXPECT_EQ(f.txtIndent->text(), "2");
        EXPECT_TRUE(f.chkTagTip->isChecked());
        EXPECT_EQ(f.sldTagTip->value(), 5);
        EXPECT_TRUE(f.sldTagTip->isEnabled());
        EXPECT_TRUE(f.chkWordwrap->isChecked());
        EXPECT_TRUE(f.optStartupDesktop->isChecked());
        EXPECT_FALSE(f.txtStartupOther->isEnabled());
        EXPECT_EQ(f.cboFontFace->count(), 2);
        EXPECT_EQ(f.cboFontFace->currentText(), "Beta Mono");
        EXPECT_EQ(f.cboFontSize->currentText(), "10");
        EXPECT_EQ(f.colorOf(0), 0x0000FF);
        EXPECT_TRUE(f.fraGeneral->isVisible());
        EXPECT_FALSE(f.fraColor->isVisible());
        EXPECT_EQ(f.lstFilters->count(), 3);

        f.txtIndent->setText("3");
        f.chkWordwrap->setChecked(false);
        f.chkUppercaseTags->setChecked(true);
        f.cboFontSize->setEditText("14");
        f.sldTagTip->setValue(10);
        QTest::mouseClick(f.cmdOk, Qt::LeftButton);
    });
    EXPECT_EQ(indentText, "   ");
    EXPECT_FALSE(wordWrap);
    EXPECT_TRUE(uppercaseTags);
    EXPECT_EQ(tagTipDelay, 2000);
    EXPECT_EQ(fontSize, 14);
    EXPECT_EQ(fontName, "Beta Mono");
    EXPECT_EQ(setting("Options", "Font Size"), "14");
    EXPECT_EQ(setting("Options", "Font Name"), "Beta Mono");
    EXPECT_EQ(formColor, 0x0000FF);
    ASSERT_FALSE(documentWindows().isEmpty());
    for (DocumentWindow* doc : documentWindows()) {
        EXPECT_EQ(doc->txtMain->font().pointSize(), 14);
        EXPECT_EQ(doc->txtMain->rightMargin(), 9999999) << "word wrap off: no document wraps";
    }

    // The dialog shows the applied indent's length when it opens again.
    options([](frmSettings& f) {
        EXPECT_EQ(f.txtIndent->text(), "3");
        f.chkWordwrap->setChecked(true);
        f.chkShowBorders->setChecked(true);
        f.cmdApply_Click();
        f.cmdCancel_Click();
    });
    EXPECT_TRUE(wordWrap) << "what Apply applied stays after Cancel";
    EXPECT_TRUE(designerShowBorders);
    for (DocumentWindow* doc : documentWindows()) {
        EXPECT_EQ(doc->txtMain->rightMargin(), 0);
        if (doc->dhtm) EXPECT_TRUE(doc->dhtm->ShowBorders);
    }
}

TEST_F(OptionsTest, CancelAndAnUnchangedFontChangeNothing) {
    const QByteArray before = storeBytes();
    options([](frmSettings& f) {
        f.txtIndent->setText("7");
        f.chkUppercaseTags->setChecked(true);
        f.cboFontSize->setEditText("20");
        f.chkTagTip->click();
        QTest::keyClick(&f, Qt::Key_Escape);
    });
    EXPECT_EQ(indentText, "  ");
    EXPECT_FALSE(uppercaseTags);
    EXPECT_EQ(fontSize, 10);
    EXPECT_EQ(tagTipDelay, 1000);
    EXPECT_EQ(storeBytes(), before);

    // OK with the face and size as they were writes no font keys and leaves the caret alone.
    store("Options", "Font Size", "11");
    newDocument();
    DocumentWindow* doc = documentWindows().value(0);
    ASSERT_NE(doc, nullptr);
    if (doc) {
        doc->txtMain->setSelText("hello world");
        doc->txtMain->select(3, 2);
    }
    options([](frmSettings& f) { f.cmdOk_Click(); });
    if (doc) {
        EXPECT_EQ(doc->txtMain->selStart(), 3);
        EXPECT_EQ(doc->txtMain->selLength(), 2);
    }
    EXPECT_EQ(setting("Options", "Font Size"), "11");
    EXPECT_EQ(setting("Options", "Font Name"), "<none>");
}

TEST_F(OptionsTest, TagTipsSliderFollowsTheDelay) {
    tagTipDelay = -1;
    options([](frmSettings& f) {
        EXPECT_FALSE(f.chkTagTip->isChecked());
        EXPECT_EQ(f.sldTagTip->value(), 0);
        EXPECT_FALSE(f.sldTagTip->isEnabled());
        f.chkTagTip->click();
        EXPECT_TRUE(f.sldTagTip->isEnabled());
        f.sldTagTip->setValue(3);
        f.cmdApply_Click();
        EXPECT_EQ(tagTipDelay, 600);
        f.chkTagTip->click();
        f.cmdOk_Click();
    });
    EXPECT_EQ(tagTipDelay, -1);
    tagTipDelay = 0;
    options([](frmSettings& f) {
        EXPECT_TRUE(f.chkTagTip->isChecked());
        EXPECT_TRUE(f.sldTagTip->isEnabled());
        f.cmdCancel_Click();
    });
}

TEST_F(OptionsTest, BoxesClampFontSizeAndIndentWhenTheUserIsDone) {
    options([](frmSettings& f) {
        // Typing "12" is not cut short at its first digit.
        f.cboFontSize->lineEdit()->clear();
        QTest::keyClicks(f.cboFontSize->lineEdit(), "12");
        EXPECT_EQ(f.cboFontSize->currentText(), "12");
        EXPECT_EQ(f.lblFontSample->font().pointSize(), 12);
        f.cboFontSize->setEditText("1");
        emit f.cboFontSize->lineEdit()->editingFinished();
        EXPECT_EQ(f.cboFontSize->currentText(), "8");
        f.cboFontSize->setEditText("99");
        emit f.cboFontSize->lineEdit()->editingFinished();
        EXPECT_EQ(f.cboFontSize->currentText(), "72");
        f.txtIndent->clear();
        QTest::keyClicks(f.txtIndent, "x1");
        EXPECT_EQ(f.txtIndent->text(), "1") << "only digits reach the box";
        f.txtIndent->setText("");
        emit f.txtIndent->editingFinished();
        EXPECT_EQ(f.txtIndent->text(), "1");
        f.txtIndent->setText("25");
        emit f.txtIndent->editingFinished();
        EXPECT_EQ(f.txtIndent->text(), "10");
        f.updIndentDown->click();
        EXPECT_EQ(f.txtIndent->text(), "9");
        f.cmdOk_Click();
    });
    EXPECT_EQ(fontSize, 72);
    EXPECT_EQ(indentText, QString(9, ' '));

    // Values never finished with are still kept in range when applied.
    options([](frmSettings& f) {
        f.cboFontSize->setEditText("3");
        f.txtIndent->setText("40");
        f.cmdOk_Click();
    });
    EXPECT_EQ(fontSize, 8);
    EXPECT_EQ(indentText, QString(10, ' '));
}

TEST_F(OptionsTest, ColourButtonsTakeThePickersChoiceAndApplyOnlyOnOk) {
    options([this](frmSettings& f) {
        f.selectTab(2);
        EXPECT_TRUE(f.fraColor->isVisible());
        EXPECT_FALSE(f.fraGeneral->isVisible());
        // A colour picked through the picker's "Other" colour dialog.
        expectModal("frmColor", [this](Form& form) {
            auto& picker = static_cast<frmColor&>(form);
            expectDialog("color", [](CommonDialog& d) {
                d.color = 0x563412;
                return true;
            });
            picker.cmdOther_Click();
            picker.cmdOk_Click();
        });
        f.cmdColor[2]->click();
        EXPECT_EQ(f.colorOf(2), 0x563412);
        EXPECT_EQ(fontColor, 0x008000) << "nothing applies before OK";
        // Cancel in the picker keeps the button's colour.
        expectModal("frmColor", [](Form& form) { static_cast<frmColor&>(form).cmdCancel_Click(); });
        f.cmdColor[0]->click();
        EXPECT_EQ(f.colorOf(0), 0x0000FF);
        f.cmdOk_Click();
    });
    EXPECT_EQ(fontColor, 0x563412);
    EXPECT_EQ(formColor, 0x0000FF);

    // Colours chosen and then Cancel in the options dialog change no setting.
    options([this](frmSettings& f) {
        expectModal("frmColor", [this](Form& form) {
            expectDialog("color", [](CommonDialog& d) {
                d.color = 0x111111;
                return true;
            });
            static_cast<frmColor&>(form).cmdOther_Click();
            static_cast<frmColor&>(form).cmdOk_Click();
        });
        f.cmdColor[7]->click();
        f.cmdCancel_Click();
    });
    EXPECT_EQ(fontColor, 0x563412);
    EXPECT_NE(tagColor, 0x111111);
}

TEST_F(OptionsTest, StartFolderThatDoesNotExistIsRefusedOnceAndOkStillCloses) {
    options([this](frmSettings& f) {
        f.optStartupOther->setChecked(true);
        EXPECT_TRUE(f.txtStartupOther->isEnabled());
        f.txtStartupOther->setText(workDir + "nowhere");
        f.chkUppercaseTags->setChecked(true);
        expectMsgBox("' does not exist.", vbOK);
        f.cmdOk_Click();
    });
    EXPECT_EQ(startupFolder, "my computer");
    EXPECT_TRUE(uppercaseTags) << "the other settings still apply";

    const QString folder = workDir;
    options([folder](frmSettings& f) {
        f.optStartupOther->setChecked(true);
        f.txtStartupOther->setText("  " + folder + "  ");
        f.cmdOk_Click();
    });
    EXPECT_EQ(startupFolder, folder);
    EXPECT_FALSE(rememberLastFolder);
    options([](frmSettings& f) {
        EXPECT_TRUE(f.optStartupOther->isChecked());
        f.optStartupLast->setChecked(true);
        f.cmdOk_Click();
    });
    EXPECT_TRUE(rememberLastFolder);
    EXPECT_EQ(startupFolder, folder);
}

TEST_F(OptionsTest, BrowserSwitchIsRefusedWhileDocumentsAreOpen) {
    if (Form::documentCount() == 0) newDocument();
    ASSERT_GT(Form::documentCount(), 0);
    options([this](frmSettings& f) {
        expectMsgBox("You must close all documents", vbOK);
        f.chkUseIe->click();
        EXPECT_TRUE(f.chkUseIe->isChecked()) << "the box stays as it was";
        f.cmdOk_Click();
    });
    EXPECT_TRUE(enableBrowserAndDesigner);
}

TEST_F(OptionsTest, EnablingTheBrowserAsksAndTheViewItemsFollowTheAnswer) {
    for (DocumentWindow* doc : documentWindows()) doc->unload();
    ASSERT_EQ(Form::documentCount(), 0);
    enableBrowserAndDesigner = false;
    options([this](frmSettings& f) {
        f.chkUseIe->click();
        expectMsgBox("Enable the Web browser and Web page Designer?", vbCancel);
        f.cmdApply_Click();
        EXPECT_FALSE(enableBrowserAndDesigner);
        EXPECT_TRUE(f.chkUseIe->isChecked()) << "the box stays checked";
        EXPECT_FALSE(mainWindow->mnuViewDesign->isEnabled());
        expectMsgBox("Enable the Web browser and Web page Designer?", vbOK);
        f.cmdOk_Click();
    });
    EXPECT_TRUE(enableBrowserAndDesigner);
    EXPECT_FALSE(mainWindow->picPop->isVisible()) << "an empty task bar stays hidden";
    // The items work on the documents opened from now on.
    newDocument();
    EXPECT_TRUE(mainWindow->picPop->isVisible());
    EXPECT_TRUE(mainWindow->mnuViewEdit->isEnabled());
    EXPECT_TRUE(mainWindow->mnuViewBrowse->isEnabled());
    EXPECT_TRUE(mainWindow->mnuViewDesign->isEnabled());
}

TEST_F(OptionsTest, FilterEditorAddsReplacesDeletesAndApplies) {
    currentFilter = 5;
    options([this](frmSettings& f) {
        f.selectTab(1);
        EXPECT_TRUE(f.fraFilters->isVisible());
        EXPECT_FALSE(f.cmdNew->isEnabled());
        EXPECT_FALSE(f.cmdDelete->isEnabled());

        // Selecting lines: the move buttons show where a move is possible.
        f.lstFilters->setCurrentRow(0);
        EXPECT_FALSE(f.cmdUp->isVisibleTo(&f));
        EXPECT_TRUE(f.cmdDown->isVisibleTo(&f));
        EXPECT_EQ(f.txtFilterName->text(), "HTML Files (*.html)");
        EXPECT_EQ(f.txtFilter->text(), "*.html;*.htm");
        EXPECT_FALSE(f.cmdNew->isEnabled());
        f.lstFilters->setCurrentRow(1);
        EXPECT_TRUE(f.cmdUp->isVisibleTo(&f));
        EXPECT_TRUE(f.cmdDown->isVisibleTo(&f));
        f.lstFilters->setCurrentRow(2);
        EXPECT_TRUE(f.cmdUp->isVisibleTo(&f));
        EXPECT_FALSE(f.cmdDown->isVisibleTo(&f));

        // A pattern must start with "*.".
        f.txtFilterName->setText("Web");
        f.txtFilter->setText("htm");
        EXPECT_TRUE(f.cmdNew->isEnabled());
        expectMsgBox("A filter must be of the form", vbOK);
        f.cmdNew->click();
        EXPECT_EQ(f.lstFilters->count(), 3);
        f.txtFilterName->setText("  Web  ");
        f.txtFilter->setText("*.htm  ");
        f.cmdNew->click();
        ASSERT_EQ(f.lstFilters->count(), 4);
        EXPECT_EQ(f.lstFilters->item(3)->text(), "Web|*.htm");

        // The same name in another case asks to replace, in place.
        f.txtFilterName->setText("text files (*.txt)");
        f.txtFilter->setText("*.txt;*.text");
        expectMsgBox("Do you wish to replace this filter\nText Files (*.txt)|*.txt\n\nwith this one", vbYes);
        f.cmdNew->click();
        EXPECT_EQ(f.lstFilters->item(1)->text(), "text files (*.txt)|*.txt;*.text");

        // Delete the second: the first is selected afterwards.
        f.lstFilters->setCurrentRow(1);
        f.cmdDelete->click();
        ASSERT_EQ(f.lstFilters->count(), 3);
        EXPECT_EQ(f.lstFilters->currentRow(), 0);
        EXPECT_EQ(f.lstFilters->item(1)->text(), "All Files (*.*)|*.*");

        // Move the last up.
        f.lstFilters->setCurrentRow(2);
        f.cmdUp->click();
        EXPECT_EQ(f.lstFilters->item(1)->text(), "Web|*.htm");
        EXPECT_EQ(f.lstFilters->currentRow(), 1);
        f.cmdOk_Click();
    });
    EXPECT_EQ(numFilters, 3);
    EXPECT_EQ(fileDialogFilter, "HTML Files (*.html)|*.html;*.htm|Web|*.htm|All Files (*.*)|*.*");
    ASSERT_EQ(fileFilters.size(), 3);
    EXPECT_EQ(fileFilters[1].name, "Web");
    EXPECT_EQ(fileFilters[1].pattern, "*.htm");
    EXPECT_EQ(currentFilter, 1);

    options([this](frmSettings& f) {
        expectMsgBox("reset the filters", vbYes);
        f.cmdDefault->click();
        EXPECT_EQ(f.lstFilters->count(), 3);
        EXPECT_EQ(f.lstFilters->item(1)->text(), "Text Files (*.txt)|*.txt");
        // The last filter cannot go.
        for (int i = 0; i < 2; ++i) {
            f.lstFilters->setCurrentRow(0);
            f.cmdDelete->click();
        }
        expectMsgBox("Can't remove all filters.", vbOK);
        f.cmdDelete->click();
        EXPECT_EQ(f.lstFilters->count(), 1);
        f.cmdCancel_Click();
    });
    EXPECT_EQ(numFilters, 3);
    EXPECT_EQ(fileFilters[1].name, "Web");
}

TEST_F(OptionsTest, NoMoreThanTenFilters) {
    options([](frmSettings& f) {
        f.selectTab(1);
        for (int i = 3; i < 10; ++i) {
            f.txtFilterName->setText(QString("F%1").arg(i));
            f.txtFilter->setText(QString("*.f%1").arg(i));
            f.cmdNew->click();
        }
        EXPECT_EQ(f.lstFilters->count(), 10);
        EXPECT_FALSE(f.cmdNew->isEnabled());
        f.txtFilterName->setText("Eleven");
        f.txtFilter->setText("*.e");
        EXPECT_FALSE(f.cmdNew->isEnabled());
        f.cmdOk_Click();
    });
    EXPECT_EQ(numFilters, 10);
}

TEST_F(OptionsTest, TemplateTitlesApplyAtOnceWithTheirDefaults) {
    store("TemplateTitles", "Custom2", "  Letter  ");
    options([](frmSettings& f) {
        f.selectTab(4);
        EXPECT_TRUE(f.fraTemplates->isVisible());
        EXPECT_EQ(f.txtTemplate[0]->text(), "Template1");
        EXPECT_EQ(f.txtTemplate[1]->text(), "Letter");
        f.txtTemplate[0]->setText("   ");
        f.txtTemplate[2]->setText(" Report ");
        f.cmdApply_Click();
        EXPECT_EQ(f.txtTemplate[0]->text(), "   ") << "the box keeps what was typed";
        f.cmdOk_Click();
    });
    EXPECT_EQ(setting("TemplateTitles", "Custom1"), "Template1");
    EXPECT_EQ(setting("TemplateTitles", "Custom3"), "Report");
    EXPECT_EQ(mainWindow->mnuFileNewTemplate[0]->text(), "Template1");
    EXPECT_EQ(mainWindow->mnuFileNewTemplate[2]->text(), "Report");
}

TEST_F(OptionsTest, TemplateEditOpensTheUsersFileOrSaysItCannot) {
    static QStringList opened;
    opened.clear();
    frmSettings::openTemplate = [](const QString& path) {
        opened << path;
        return !path.endsWith("Custom2.htm");
    };
    options([this](frmSettings& f) {
        f.cmdTemplate[0]->click();
        expectMsgBox("Unable to open " + userDataPath + "Custom2.htm.", vbOK);
        f.cmdTemplate[1]->click();
        f.cmdCancel_Click();
    });
    frmSettings::openTemplate = nullptr;
    EXPECT_EQ(opened, QStringList({userDataPath + "Custom1.htm", userDataPath + "Custom2.htm"}));
}

TEST_F(OptionsTest, HelperAppsAreStoredAtOnceAndNameTheBrowserItems) {
    store("HelperApps", "Browser2", "/no/such/browser");
    options([this](frmSettings& f) {
        f.selectTab(5);
        EXPECT_TRUE(f.fraApps->isVisible());
        EXPECT_EQ(f.txtBrowser[0]->text(), "Web Browser 1");
        // A browser missing for now keeps its path instead of being forgotten on the next Apply.
        EXPECT_EQ(f.txtHelperApp[5]->text(), "/no/such/browser");
        f.txtHelperApp[0]->setText("  /usr/bin/ftp  ");
        f.txtHelperApp[4]->setText("  /usr/bin/web  ");
        f.txtBrowser[0]->setText("  ");
        f.txtBrowser[2]->setText(" Lynx ");
        // Browse fills the box; a cancelled Browse leaves it.
        expectOpen("/opt/validator");
        f.cmdHelperApp[3]->click();
        EXPECT_EQ(f.txtHelperApp[3]->text(), "/opt/validator");
        expectDialogCancel("open");
        f.cmdHelperApp[3]->click();
        EXPECT_EQ(f.txtHelperApp[3]->text(), "/opt/validator");
        f.cmdOk_Click();
    });
    EXPECT_EQ(setting("HelperApps", "FTP"), "  /usr/bin/ftp  ");
    EXPECT_EQ(setting("HelperApps", "HtmlValidator"), "/opt/validator");
    EXPECT_EQ(setting("HelperApps", "Browser1"), "/usr/bin/web");
    EXPECT_EQ(setting("HelperApps", "Browser2"), "/no/such/browser");
    EXPECT_EQ(setting("HelperApps", "Browser4"), "");
    EXPECT_EQ(setting("HelperApps", "BrowserName1"), "Web Browser 1");
    EXPECT_EQ(setting("HelperApps", "BrowserName3"), "Lynx");
    EXPECT_EQ(mainWindow->mnuToolsHelperAppsBrowser[0]->text(), "Web Browser 1");
    EXPECT_EQ(mainWindow->mnuToolsHelperAppsBrowser[2]->text(), "Lynx");
}

}  // namespace
}  // namespace kavrin::test
