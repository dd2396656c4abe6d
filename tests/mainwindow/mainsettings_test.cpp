#include <sys/stat.h>

#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include "mainwindow/frmTips.h"
#include "mainwindow/mainstartup.h"
#include "mainwindow_fixture.h"
#include "platform/system/screen.h"

namespace kavrin::test {
namespace {

struct Write {
    QString section, key, value;
};
std::vector<Write> writes;

bool recordAndStore(const QString& app, const QString& section, const QString& key, const QString& value) {
    writes.push_back({section, key, value});
    return saveSetting(app, section, key, value);
}

class SettingsModelTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        writes.clear();
        settingsModelWriter = &recordAndStore;
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        settingsModelWriter = &saveSetting;
    }
    static QStringList writtenKeys(size_t from = 0) {
        QStringList keys;
        for (size_t i = from; i < writes.size(); ++i) keys << writes[i].section + ":" + writes[i].key;
        return keys;
    }
    static QRect screen() { return QGuiApplication::primaryScreen()->availableGeometry(); }
};

TEST_F(SettingsModelTest, FirstStartUsesTheDefaultsAndWritesThemAtExitInOrder) {
    clearStore();
    expectMsgBox("Enable the Web browser and Web page Designer?", vbCancel);
    expectModal("frmTips", [](Form& f) { static_cast<frmTips&>(f).cmdOk_Click(); });
    mdiMain* main = start();

    // What the user finds at the first start.
    EXPECT_EQ(numFilters, 3);
    EXPECT_EQ(fileDialogFilter,
              "HTML Files (*.html;*.htm;*.shtml;*.shtm;*.asp)|*.html;*.htm;*.shtml;*.shtm;*.asp|"
              "Text Files (*.txt)|*.txt|All Files (*.*)|*.*");
    ASSERT_EQ(fileFilters.size(), 3);
    EXPECT_EQ(fileFilters[1].name, "Text Files (*.txt)");
    EXPECT_EQ(fileFilters[1].pattern, "*.txt");
    EXPECT_EQ(currentFilter, 1);
    EXPECT_EQ(indentText, "    ");
    EXPECT_EQ(fontSize, 10);
    EXPECT_TRUE(showPanel && main->mnuOptionsFileList->isChecked() && main->picFile->isVisible());
    EXPECT_FALSE(main->mnuViewDesign->isEnabled());
    EXPECT_EQ(main->mnuFileNewTemplate[0]->text(), "Template1");
    EXPECT_EQ(main->mnuFileNewTemplate[5]->text(), "Template6");
    EXPECT_EQ(main->mnuToolsHelperAppsBrowser[3]->text(), "Web Browser 4");
    EXPECT_TRUE(main->mnuFileReopenArr[0]->isVisible());
    EXPECT_FALSE(main->mnuFileReopenArr[1]->isVisible());
    EXPECT_EQ(main->picFile->width(), 200);
    EXPECT_EQ(main->windowState(), vbNormal);
    EXPECT_NEAR(main->width(), qRound(screen().width() * 0.8), 10);  // or the least the menus need
    const int shownWidth = main->width();
    EXPECT_EQ(main->stbPanel(2)->text(), "0 KB");

    EXPECT_EQ(writtenKeys(), (QStringList{"Settings:InstalPath", "Settings:VersionInfo", "Settings:ShowIeMessage",
                                          "Help:CurrentTip", "Help:TipsOnStartup"}));
    EXPECT_EQ(writes[0].value, programDir);
    EXPECT_EQ(writes[1].value, "3.0");
    const size_t atExit = writes.size();
    ASSERT_TRUE(exitProgram());
    EXPECT_EQ(mainWindow, nullptr);

    QStringList expected{"Options:EnableBrowserAndDesigner", "Options:Indent", "Options:StartupFolder",
                         "Settings:FileListWidth", "Settings:PicHSplitterTop",
                         "Options:Font Name", "Options:Font Size", "Options:TagTipDelay", "Options:ShowToolbar",
                         "Options:ShowStatusbar", "Options:ShowPanel", "Options:RememberLastFolder",
                         "Options:AutoIndent", "CustomColors:ColorOnOpen", "Options:UppercaseTags",
                         "Options:AddEndingP", "Options:WordWrap", "Options:TagCompletion",
                         "Spelling:IgnoreTags", "Spelling:IgnoreNumbers", "Spelling:IgnoreFileNames",
                         "Spelling:IgnoreUppercaseWords", "Settings:DesingerShowDetails",
                         "Settings:DesingerShowBorders", "Settings:DesignerDivOnReturn", "Options:ShowTaskBar",
                         "Settings:Left", "Settings:Top", "Settings:Width", "Settings:Height",
                         "Settings:WindowState", "Filters:Num Filters", "Filters:1", "Filters:2", "Filters:3",
                         "CustomColors:TagColor", "CustomColors:CommentColor", "CustomColors:TableColor",
                         "CustomColors:FontColor", "CustomColors:AnchorColor", "CustomColors:ImageColor",
                         "CustomColors:FormColor", "CustomColors:UnrecognizedColor"};
    for (int i = 0; i < 10; ++i) expected << "Reopen:ReopenArray" + QString::number(i);
    EXPECT_EQ(writtenKeys(atExit), expected);

    EXPECT_EQ(setting("Options", "Indent"), "    ");
    EXPECT_EQ(setting("Settings", "FileListWidth"), "3000");
    EXPECT_EQ(setting("Settings", "Width"), QString::number(pixelsToTwips(shownWidth)));
    EXPECT_EQ(setting("Settings", "WindowState"), "0");
    EXPECT_EQ(setting("Filters", "3"), "All Files (*.*)|*.*");
    EXPECT_EQ(setting("CustomColors", "AnchorColor"), "16744448");
    // Never loaded in this run, so never rewritten.
    EXPECT_TRUE(settingKeys("Kavrin Pro", "Custom Tags").isEmpty());
}

TEST_F(SettingsModelTest, ChangedValuesSurviveARestart) {
    start();
    indentText = "\t  ";
    wordWrap = true;
    tagTipDelay = -1;
    commentColor = 0x123456;
    fontSize = 14;
    enableBrowserAndDesigner = true;
    IgnoreNumbers = true;
    designerShowBorders = true;
    fileFilters.push_back({"Pages", "*.php"});
    numFilters = 4;
    ASSERT_TRUE(exitProgram());

    newRun();
    mdiMain* main = start();
    EXPECT_EQ(indentText, "\t  ");
    EXPECT_TRUE(wordWrap);
    EXPECT_EQ(tagTipDelay, -1);
    EXPECT_EQ(commentColor, 0x123456);
    EXPECT_EQ(fontSize, 14);
    EXPECT_TRUE(enableBrowserAndDesigner);
    newDocument();
    EXPECT_TRUE(main->mnuViewBrowse->isEnabled());
    EXPECT_TRUE(IgnoreNumbers);
    EXPECT_TRUE(designerShowBorders);
    ASSERT_EQ(numFilters, 4);
    EXPECT_EQ(fileFilters[3].name, "Pages");
    EXPECT_TRUE(fileDialogFilter.endsWith("|All Files (*.*)|*.*|Pages|*.php"));
}

// A value the file cannot hold is left out and every other one is written: the message names
// what was not kept instead of saying the whole session is lost.
TEST_F(SettingsModelTest, AValueRefusedAtExitIsNamedAndTheOthersAreKept) {
    start();
    fontName = QString("Cour") + QChar(0xD800);
    fontSize = 14;
    wordWrap = true;
    expectMsgBox("Not kept: \"Font Name\" in [Options]. Every other setting of this session was saved.", vbOK);
    ASSERT_TRUE(exitProgram());
    ASSERT_EQ(shownMessages.size(), 1);
    EXPECT_TRUE(shownMessages[0].contains("half of a character pair")) << shownMessages[0].toStdString();
    EXPECT_FALSE(shownMessages[0].contains("will not be kept")) << shownMessages[0].toStdString();

    newRun();
    start();
    EXPECT_EQ(fontSize, 14);
    EXPECT_TRUE(wordWrap);
    EXPECT_EQ(fontName, "Courier New");
}

TEST_F(SettingsModelTest, KeysInAnyCaseAndValuesThatDoNotConvert) {
    store("options", "WORDWRAP", "True");
    store("OPTIONS", "indent", "  ");
    store("Options", "TagTipDelay", "abc");
    store("Options", "Font Size", "300");       // beyond a byte
    store("CustomColors", "TagColor", "99999999999");
    store("Options", "ShowPanel", "maybe");
    store("Options", "ShowToolbar", "0");
    store("Filters", "Num Filters", "x");
    mdiMain* main = start();
    EXPECT_TRUE(wordWrap);
    EXPECT_EQ(indentText, "  ");
    EXPECT_EQ(tagTipDelay, 1000);
    EXPECT_EQ(fontSize, 10);
    EXPECT_EQ(tagColor, 10485760);
    EXPECT_TRUE(showPanel);
    EXPECT_FALSE(showToolbar);
    EXPECT_FALSE(main->picTools->isVisible());
    EXPECT_FALSE(main->mnuOptionsToolbar->isChecked());
    EXPECT_EQ(numFilters, 3);
}

TEST_F(SettingsModelTest, FiltersAsStored) {
    store("Filters", "Num Filters", "5");
    store("Filters", "2", "no bar here");
    start();
    ASSERT_EQ(fileFilters.size(), 5);
    EXPECT_EQ(fileFilters[1].name, "");
    EXPECT_EQ(fileFilters[1].pattern, "no bar here");
    EXPECT_EQ(fileFilters[4].name, "");
    EXPECT_EQ(fileFilters[4].pattern, "");
    ASSERT_TRUE(exitProgram());
    EXPECT_EQ(setting("Filters", "2"), "|no bar here");
    EXPECT_EQ(setting("Filters", "5"), "|");

    newRun();
    store("Filters", "Num Filters", "0");
    start();
    EXPECT_EQ(numFilters, 0);
    EXPECT_TRUE(fileFilters.isEmpty());
    EXPECT_EQ(fileDialogFilter, "");
}

TEST_F(SettingsModelTest, WindowPlacementRoundTripsAndFitsTheScreen) {
    const QRect s = screen();
    store("Settings", "Left", QString::number(pixelsToTwips(s.x() + 30)));
    store("Settings", "Top", QString::number(pixelsToTwips(s.y() + 20)));
    store("Settings", "Width", QString::number(pixelsToTwips(720)));
    store("Settings", "Height", QString::number(pixelsToTwips(450)));
    store("Settings", "WindowState", "2");
    store("Settings", "FileListWidth", QString::number(pixelsToTwips(150)));
    mdiMain* main = start();
    EXPECT_EQ(main->windowState(), vbMaximized);
    main->showNormal();
    QCoreApplication::processEvents();
    EXPECT_EQ(main->geometry(), QRect(s.x() + 30, s.y() + 20, 720, 450));
    main->showMaximized();
    EXPECT_EQ(main->picFile->width(), 150);
    ASSERT_TRUE(exitProgram());
    // Closed maximised: the normal placement stays as it was stored.
    EXPECT_EQ(setting("Settings", "WindowState"), "2");
    EXPECT_EQ(setting("Settings", "Width"), QString::number(pixelsToTwips(720)));

    // Closed minimised comes back normal; a placement far off the screen and larger than the
    // screen is brought onto it.
    newRun();
    store("Settings", "WindowState", "1");
    store("Settings", "Left", "9000000");
    store("Settings", "Top", "-70000");
    store("Settings", "Width", "40000000");
    store("Settings", "Height", "40000");
    main = start();
    EXPECT_EQ(main->windowState(), vbNormal);
    // (The window system may shift the window by its frame.)
    EXPECT_TRUE(s.adjusted(-10, -10, 10, 10).contains(main->geometry())) << main->geometry().x() << "," << main->geometry().y() << " " << main->geometry().width() << "x"
                                               << main->geometry().height() << " in " << s.width() << "x" << s.height();
    EXPECT_EQ(main->geometry().size(), s.size());
    ASSERT_TRUE(exitProgram());

    // Values at the ends of the integer range: the window and its panel still land on the screen.
    newRun();
    store("Settings", "Left", "2147483647");
    store("Settings", "Top", "-2147483648");
    store("Settings", "Width", "2147483647");
    store("Settings", "Height", "-2147483648");
    store("Settings", "FileListWidth", "2147483647");
    store("Settings", "PicHSplitterTop", "1e308");
    main = start();
    EXPECT_TRUE(s.adjusted(-10, -10, 10, 10).contains(main->geometry()))
        << main->geometry().x() << "," << main->geometry().y() << " " << main->geometry().width() << "x"
        << main->geometry().height() << " in " << s.width() << "x" << s.height();
    EXPECT_LT(main->picFile->width(), main->width());
}

TEST_F(SettingsModelTest, TemplatesAreCreatedOnceAndTitlesTrimmed) {
    store("TemplateTitles", "Custom2", "   ");
    store("TemplateTitles", "Custom3", "  Letter  ");
    {
        QFile own(templateFilePath(4));
        ASSERT_TRUE(own.open(QIODevice::WriteOnly));
        own.write("my own page");
    }
    // A link left pointing nowhere is not followed: its target must not appear.
    QTemporaryDir elsewhere;
    ASSERT_TRUE(elsewhere.isValid());
    const QString linkTarget = elsewhere.filePath("gone.htm");
    ASSERT_TRUE(QFile::link(linkTarget, templateFilePath(5)));
    mdiMain* main = start();
    EXPECT_EQ(main->mnuFileNewTemplate[1]->text(), "Custom2");
    EXPECT_EQ(main->mnuFileNewTemplate[2]->text(), "Letter");
    for (int i : {1, 2, 3, 6}) EXPECT_EQ(readFile(templateFilePath(i)), templatePage()) << i;
    EXPECT_EQ(readFile(templateFilePath(4)), "my own page");
    EXPECT_FALSE(QFileInfo::exists(linkTarget));
    EXPECT_EQ(QFileInfo(templateFilePath(5)).symLinkTarget(), linkTarget);
    EXPECT_EQ(templatePage().count("\r\n"), 13);
    EXPECT_TRUE(templatePage().startsWith("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2 Final//EN\">\r\n<HTML>\r\n"));
    EXPECT_TRUE(templatePage().contains("\r\n    <META NAME=\"GENERATOR\" CONTENT=\"Kavrin Pro 2.0\">\r\n"));
    EXPECT_TRUE(templatePage().endsWith("<BODY BGCOLOR=\"#FFFFFF\">\r\n\r\n\r\n\r\n</BODY>\r\n</HTML>\r\n"));
    ASSERT_TRUE(exitProgram());

    // A deleted template comes back at the next start.
    QFile::remove(templateFilePath(2));
    newRun();
    start();
    EXPECT_EQ(readFile(templateFilePath(2)), templatePage());
}

TEST_F(SettingsModelTest, StoredCustomTagsStayWhenTheTagTreeWasNotLoaded) {
    store("Custom Tags", "NumCustomTags", "2");
    store("Custom Tags", "Custom_1", "<blink></blink>");
    store("Custom Tags", "Custom_2", "<tt></tt>");
    start();
    ASSERT_TRUE(exitProgram());
    EXPECT_EQ(setting("Custom Tags", "NumCustomTags"), "2");
    EXPECT_EQ(setting("Custom Tags", "Custom_2"), "<tt></tt>");
}

TEST_F(SettingsModelTest, ASettingsFileTooLargeToReadIsKeptAsideAndSaidAtStart) {
    clearStore();
    const QString path = settingsFilePath(settingsApp);
    store("Options", "Font Size", "14");
    ASSERT_TRUE(QFile::resize(path, 65 * 1024 * 1024));
    resetSettingsCache();
    expectMsgBox("It has been kept as \"" + path + ".unreadable\", and Kavrin Pro starts with its default settings.",
                 vbOK);
    expectMsgBox("Enable the Web browser and Web page Designer?", vbCancel);
    expectModal("frmTips", [](Form& f) { static_cast<frmTips&>(f).cmdOk_Click(); });
    start();
    EXPECT_EQ(fontSize, 10);
    fontSize = 12;
    ASSERT_TRUE(exitProgram());
    EXPECT_TRUE(allAnswered());
    EXPECT_EQ(QFileInfo(path + ".unreadable").size(), 65 * 1024 * 1024);
    resetSettingsCache();
    EXPECT_EQ(setting("Options", "Font Size"), "12");
}

TEST_F(SettingsModelTest, AFifoInPlaceOfTheStoreStartsWithDefaultsAndSaysSoAtStartAndExit) {
    clearStore();
    const QString path = settingsFilePath(settingsApp);
    ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    expectMsgBox("\"" + path + "\" is a named pipe (FIFO), not a settings file.", vbOK);
    expectMsgBox("Enable the Web browser and Web page Designer?", vbCancel);
    expectModal("frmTips", [](Form& f) { static_cast<frmTips&>(f).cmdOk_Click(); });
    start();
    EXPECT_EQ(fontSize, 10);
    EXPECT_EQ(numFilters, 3);

    fontSize = 14;
    expectMsgBox("The settings could not be saved to '" + path + "'.", vbOK);
    ASSERT_TRUE(exitProgram());
    EXPECT_TRUE(allAnswered());
    EXPECT_TRUE(QFileInfo(path).exists() && !QFileInfo(path).isFile());
}

}  // namespace
}  // namespace kavrin::test
