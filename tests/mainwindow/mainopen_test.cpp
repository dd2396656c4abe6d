#include <QMdiArea>
#include <QTest>

#include "mainwindow_fixture.h"
#include "platform/system/screen.h"

namespace kavrin::test {
namespace {

class OpenFileTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        start();
    }
    QString page(const QString& name, const QByteArray& bytes = "<p>page</p>\r\n") { return writeFile(name, bytes); }
    QStringList openPaths() const {
        QStringList paths;
        for (DocumentWindow* doc : documentWindows()) paths << doc->filePath;
        return paths;
    }
};

TEST_F(OpenFileTest, OpensTheFileAsASavedDocumentNamedByItsPath) {
    const QString a = page("a.htm", "<b>bold</b>\r\n");
    mainWindow->openFile(a);
    DocumentWindow* doc = activeDocument();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->filePath, a);
    EXPECT_EQ(doc->caption(), a);
    EXPECT_EQ(doc->txtMain->text(), "<b>bold</b>\r\n");
    EXPECT_TRUE(doc->fileSaved);
    EXPECT_TRUE(doc->undoList().isEmpty());
    EXPECT_FALSE(ignoreChange);
    EXPECT_FALSE(isBusy());
    EXPECT_EQ(mainWindow->recentFiles(), (QStringList{a}));
}

TEST_F(OpenFileTest, MissingFileIsReportedAndNothingChanges) {
    expectMsgBox("The file '" + workDir + "none.htm' does not exist.", vbOK);
    mainWindow->openFile(workDir + "none.htm");
    EXPECT_EQ(Form::documentCount(), 0);
    EXPECT_TRUE(mainWindow->recentFiles().isEmpty());
}

TEST_F(OpenFileTest, UnreadableFilesAreRefusedWithTheReason) {
    newDocument();  // the untouched first document stays when nothing is opened
    const QString binary = page("picture.htm", QByteArray("GIF89a\0\0\1", 9));
    expectMsgBox("The file '" + binary + "' could not be opened.", vbOK);
    mainWindow->openFile(binary);
    EXPECT_TRUE(shownMessages.last().contains("binary")) << shownMessages.last().toStdString();

    const QString locked = page("locked.htm");
    QFile::setPermissions(locked, QFileDevice::WriteOwner);
    if (!QFile(locked).open(QIODevice::ReadOnly)) {  // root reads everything
        expectMsgBox("The file '" + locked + "' could not be opened.", vbOK);
        mainWindow->openFile(locked);
    }

    expectMsgBox("The file '" + workDir + "' could not be opened.", vbOK);
    mainWindow->openFile(workDir);  // a folder
    EXPECT_TRUE(shownMessages.last().contains("folder")) << shownMessages.last().toStdString();

    EXPECT_EQ(openPaths(), (QStringList{"Untitled_0"}));
    EXPECT_TRUE(mainWindow->recentFiles().isEmpty());
    EXPECT_FALSE(ignoreChange);
    EXPECT_FALSE(isBusy());
}

TEST_F(OpenFileTest, AnOpenPathIsBroughtToTheFront) {
    const QString a = page("a.htm");
    const QString b = page("b.htm");
    mainWindow->openFile(a);
    mainWindow->openFile(b);
    mainWindow->openFile(a);
    EXPECT_EQ(openPaths(), (QStringList{a, b}));
    EXPECT_EQ(activeDocument()->filePath, a);
    // Focusing does not move the list.
    EXPECT_EQ(mainWindow->recentFiles(), (QStringList{b, a}));
}

TEST_F(OpenFileTest, ALoneUntouchedFirstDocumentGivesWay) {
    const QString a = page("a.htm");
    const QString b = page("b.htm");
    const QString c = page("c.htm");
    newDocument();
    mainWindow->openFile(a);
    EXPECT_EQ(openPaths(), (QStringList{a}));

    // Edited, it stays.
    mainWindow->mnuFileCloseAll_Click();
    newDocument();
    QTest::keyClicks(activeDocument()->txtMain, "text");
    mainWindow->openFile(b);
    EXPECT_EQ(openPaths(), (QStringList{"Untitled_0", b}));

    // Not alone, it stays.
    expectMsgBox("Save changes", vbNo);
    mainWindow->mnuFileCloseAll_Click();
    newDocument();
    newDocument();
    mainWindow->openFile(c);
    EXPECT_EQ(openPaths(), (QStringList{"Untitled_0", "Untitled_1", c}));
}

TEST_F(OpenFileTest, TheHundredthDocumentIsRefused) {
    for (int i = 0; i < 99; ++i) newDocument();
    const QString a = page("a.htm");
    expectMsgBox("You already have 99 documents open.", vbOK);
    mainWindow->openFile(a);
    EXPECT_EQ(Form::documentCount(), 99);
    EXPECT_TRUE(mainWindow->recentFiles().isEmpty());
}

TEST_F(OpenFileTest, RecentFilesMostRecentFirstAtMostTen) {
    QStringList paths;
    for (int i = 0; i < 11; ++i) paths << page(QString("p%1.htm").arg(i));
    for (const QString& p : paths) mainWindow->openFile(p);
    QStringList expected;
    for (int i = 10; i >= 1; --i) expected << paths[i];
    EXPECT_EQ(mainWindow->recentFiles(), expected);  // the oldest dropped
    for (QAction* item : mainWindow->mnuFileReopenArr) EXPECT_TRUE(item->isVisible());

    // An entry further down moves to the top; the ones below it keep their places.
    mainWindow->mnuFileCloseAll_Click();
    mainWindow->mnuFileReopenArr_Click(5);  // p5
    EXPECT_EQ(mainWindow->recentFiles(),
              (QStringList{paths[5], paths[10], paths[9], paths[8], paths[7], paths[6], paths[4], paths[3],
                           paths[2], paths[1]}));
    EXPECT_EQ(activeDocument()->filePath, paths[5]);
    // The first entry opened again leaves the list as it is.
    mainWindow->mnuFileCloseAll_Click();
    mainWindow->mnuFileReopenArr_Click(0);
    EXPECT_EQ(mainWindow->recentFiles().first(), paths[5]);
    EXPECT_EQ(mainWindow->recentFiles().size(), 10);
}

TEST_F(OpenFileTest, ADeletedRecentFileLeavesTheList) {
    const QString a = page("a&b.htm");
    const QString b = page("b.htm");
    mainWindow->openFile(a);
    mainWindow->openFile(b);
    EXPECT_EQ(mainWindow->mnuFileReopenArr[1]->text(), workDir + "a&&b.htm");  // no accelerator
    QFile::remove(b);
    expectMsgBox("The file '" + b + "' no longer exists.", vbOK);
    mainWindow->mnuFileReopenArr_Click(0);
    EXPECT_EQ(mainWindow->recentFiles(), (QStringList{a}));
    EXPECT_FALSE(mainWindow->mnuFileReopenArr[1]->isVisible());

    QFile::remove(a);
    expectMsgBox("no longer exists.", vbOK);
    mainWindow->mnuFileReopenArr[0]->trigger();
    EXPECT_TRUE(mainWindow->recentFiles().isEmpty());
    EXPECT_TRUE(mainWindow->mnuFileReopenArr[0]->isVisible());  // the submenu keeps one entry
    mainWindow->mnuFileReopenArr_Click(0);  // empty: nothing happens
}

TEST_F(OpenFileTest, FileOpenUsesTheFiltersAndCancelDoesNothing) {
    const QString a = page("a.htm");
    expectDialog("open", [&](CommonDialog& d) {
        EXPECT_EQ(d.dialogTitle, "Open File");
        EXPECT_EQ(d.filter, fileDialogFilter);
        EXPECT_EQ(d.flags, 2101252);
        d.fileName = a;
        return true;
    });
    mainWindow->mnuFileOpen->trigger();
    EXPECT_EQ(openPaths(), (QStringList{a}));

    expectDialogCancel("open");
    mainWindow->tbrMainA_ButtonClick("open");
    EXPECT_EQ(openPaths(), (QStringList{a}));
}

}  // namespace
}  // namespace kavrin::test
