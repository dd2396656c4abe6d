#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QMdiArea>
#include <QTest>

#include "documents/docfile.h"
#include "documents/docstate.h"
#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "fixture.h"
#include "mainwindow/mdiMain.h"
#include "platform/forms/msgbox.h"
#include "platform/files/textfile.h"

namespace kavrin::test {
namespace {

class SaveTest : public KavrinTest {
protected:
    void SetUp() override {
        KavrinTest::SetUp();
        fileDialogFilter = "HTML Files|*.htm;*.html|All Files|*.*";
        mainWindow = new mdiMain();
        mainWindow->show();
    }

    DocumentWindow* newWithText(const QString& text) {
        newDocument();
        DocumentWindow* doc = activeDocument();
        QTest::keyClicks(doc->txtMain, text);
        return doc;
    }

    // Types characters that have no key of their own on the test's keyboard, as a keyboard
    // layout or input method delivers them: key events that carry the text.
    static void typeText(QWidget* editor, const QString& text) {
        for (QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(editor, &press);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(editor, &release);
        }
    }

    QString tabText(DocumentWindow* doc) const {
        return mainWindow->tbsPop->tabText(mainWindow->documentTabIndex(doc));
    }
};

TEST_F(SaveTest, SaveAsRenamesWindowTabAndFolderAndLaterSavesGoThere) {
    DocumentWindow* doc = newWithText("<p>");
    const QString path = workDir + "Pages/index.htm";
    QDir().mkpath(workDir + "Pages");
    expectSave(path);
    saveDocument(doc);  // an untitled document goes through Save As
    EXPECT_EQ(readFile(path), QByteArray("<p>"));
    EXPECT_EQ(doc->filePath, path);
    EXPECT_EQ(doc->caption(), "index.htm");
    EXPECT_EQ(tabText(doc), "index.htm");
    EXPECT_EQ(mainWindow->documentTabKey(mainWindow->documentTabIndex(doc)), path);
    EXPECT_EQ(documentFolder, workDir + "Pages/");
    EXPECT_TRUE(doc->fileSaved);
    EXPECT_FALSE(mainWindow->mnuFileSave->isEnabled());
    EXPECT_TRUE(mainWindow->tbsPop->tabIcon(0).isNull());

    QTest::keyClicks(doc->txtMain, "x");
    saveDocument(doc);
    EXPECT_EQ(readFile(path), QByteArray("<p>x"));
}

TEST_F(SaveTest, AnExistingTargetAsksBeforeItIsReplaced) {
    const QString path = writeFile("there.htm", "old");
    DocumentWindow* doc = newWithText("new");
    expectSave(path);
    expectMsgBox("The file '" + path + "' already exists.", vbNo);
    saveDocumentAs(doc);
    EXPECT_EQ(readFile(path), QByteArray("old"));
    EXPECT_FALSE(doc->fileSaved);
    EXPECT_EQ(doc->filePath, "Untitled_0");

    expectSave(path);
    expectMsgBox("Do you want to replace it?", vbYes);
    saveDocumentAs(doc);
    EXPECT_EQ(readFile(path), QByteArray("new"));

    expectDialogCancel("save");
    saveDocumentAs(doc);
    EXPECT_EQ(doc->filePath, path);
}

TEST_F(SaveTest, AFailedWriteIsReportedAndChangesNothing) {
    DocumentWindow* doc = newWithText("text");
    QDir().mkpath(workDir + "taken.htm");  // a folder where the file should go
    expectSave(workDir + "taken.htm");
    expectMsgBox("could not be saved", vbOK);
    saveDocumentAs(doc);
    EXPECT_FALSE(doc->fileSaved);
    EXPECT_EQ(doc->filePath, "Untitled_0");
    EXPECT_EQ(tabText(doc), "Untitled");
    EXPECT_TRUE(QFileInfo(workDir + "taken.htm").isDir());

    expectSave(workDir + "no/such/folder/a.htm");
    expectMsgBox("a.htm", vbOK);
    saveDocumentAs(doc);
    EXPECT_FALSE(doc->fileSaved);
}

TEST_F(SaveTest, SaveOntoAFullDiskKeepsTheOldFileAndTheDocumentUnsaved) {
    const QString dir = workDir + "tiny";
    QDir().mkpath(dir);
    const QString path = dir + "/page.htm";
    const auto [code, message] = onFullDisk(dir, [&](qsizetype size) -> std::string {
        QFile old(path);
        if (!old.open(QIODevice::WriteOnly) || old.write("<html>old</html>") < 0) return "no old file";
        old.close();
        mainWindow->openFile(path);
        DocumentWindow* doc = activeDocument();
        if (!doc) return "not opened";
        doc->txtMain->setSelStart(doc->txtMain->textLength());
        doc->txtMain->setSelText(QString(size, u'x'));
        if (!fillDisk(dir)) return "the disk would not fill";

        expectMsgBox("could not be saved", vbOK);
        mainWindow->mnuFileSave->trigger();
        if (!allAnswered()) return "no message";
        if (doc->fileSaved || !mainWindow->mnuFileSave->isEnabled()) return "marked saved";
        if (readFile(path) != "<html>old</html>") return "old file damaged";
        if (filesBesideBallast(dir) != QStringList{"page.htm"}) return "work files left behind";

        // Closing still asks, so the edits are not thrown away without a word.
        expectMsgBox("Save changes to 'page.htm'?", vbCancel);
        mainWindow->mnuFileClose->trigger();
        if (!allAnswered()) return "closing did not ask";
        return {};
    });
    if (code == 77) GTEST_SKIP() << message;
    EXPECT_EQ(code, 0) << message;
}

TEST_F(SaveTest, SaveAsOfANewDocumentOntoAFullDiskLeavesItUntitled) {
    const QString dir = workDir + "tiny";
    QDir().mkpath(dir);
    const auto [code, message] = onFullDisk(dir, [&](qsizetype size) -> std::string {
        DocumentWindow* doc = newWithText("<p>");
        doc->txtMain->setSelText(QString(size, u'y'));
        if (!fillDisk(dir)) return "the disk would not fill";

        expectSave(dir + "/new.htm");
        expectMsgBox("could not be saved", vbOK);
        mainWindow->mnuFileSaveAs->trigger();
        if (!allAnswered()) return "no message";
        if (doc->fileSaved) return "marked saved";
        if (doc->filePath != "Untitled_0" || tabText(doc) != "Untitled") return "renamed after a failed write";
        if (!filesBesideBallast(dir).isEmpty()) return "a file was left behind";
        return {};
    });
    if (code == 77) GTEST_SKIP() << message;
    EXPECT_EQ(code, 0) << message;
}

TEST_F(SaveTest, AWindows1252PageKeepsItsEncodingAndGetsCharacterReferences) {
    const QByteArray page = "<html><head><meta charset=ISO-8859-1></head>\r\n<body>Caf\xE9 \x80 </body></html>\r\n";
    const QString path = writeFile("page.htm", page);
    mainWindow->openFile(path);
    DocumentWindow* doc = activeDocument();
    ASSERT_NE(doc, nullptr);
    doc->txtMain->setSelStart(int(doc->txtMain->text().indexOf("</body>")));
    typeText(doc->txtMain, QStringLiteral("日本"));
    mainWindow->mnuFileSave->trigger();  // no question: the page shows the same either way
    EXPECT_TRUE(doc->fileSaved);
    EXPECT_EQ(readFile(path),
              QByteArray("<html><head><meta charset=ISO-8859-1></head>\r\n<body>Caf\xE9 \x80 &#26085;&#26412;</body></html>\r\n"));
    EXPECT_EQ(doc->txtMain->textFormat().encoding, TextFormat::Encoding::Windows1252);
}

TEST_F(SaveTest, AnyOtherWindows1252FileAsksBeforeItBecomesUtf8) {
    const QString path = writeFile("notes.txt", "caf\xE9\n");
    mainWindow->openFile(path);
    DocumentWindow* doc = activeDocument();
    ASSERT_NE(doc, nullptr);
    doc->txtMain->setSelStart(doc->txtMain->textLength());
    typeText(doc->txtMain, QStringLiteral("→"));

    expectMsgBox("cannot hold some of the characters it now contains (the first is \"→\")", vbCancel);
    mainWindow->mnuFileSave->trigger();
    EXPECT_TRUE(allAnswered());
    EXPECT_FALSE(doc->fileSaved);
    EXPECT_EQ(readFile(path), QByteArray("caf\xE9\n"));

    expectMsgBox("Choose OK to save the file as UTF-8 instead", vbOK);
    mainWindow->mnuFileSave->trigger();
    EXPECT_TRUE(doc->fileSaved);
    EXPECT_EQ(readFile(path), QByteArray("caf\xC3\xA9\n\xE2\x86\x92"));
    // From now on the file is UTF-8: the next save asks nothing.
    QTest::keyClicks(doc->txtMain, "!");
    mainWindow->mnuFileSave->trigger();
    EXPECT_EQ(readFile(path), QByteArray("caf\xC3\xA9\n\xE2\x86\x92!"));
}

TEST_F(SaveTest, Utf16AndUtf32FilesOpenAndSaveAsTheyCame) {
    const QByteArray utf16("\xFF\xFE<\0b\0>\0\xE9\0\r\0\n\0", 14);
    const QString path16 = writeFile("wide16.htm", utf16);
    expectOpen(path16);
    mainWindow->mnuFileOpen->trigger();
    DocumentWindow* doc = activeDocument();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->txtMain->text(), QStringLiteral("<b>é\r\n"));
    doc->txtMain->setSelStart(doc->txtMain->textLength());
    typeText(doc->txtMain, QStringLiteral("日"));
    mainWindow->mnuFileSave->trigger();
    EXPECT_EQ(readFile(path16), utf16 + QByteArray("\xE5\x65", 2));

    const QByteArray utf32("\0\0\xFE\xFF\0\0\0x\0\0\0\n", 12);
    const QString path32 = writeFile("wide32.txt", utf32);
    mainWindow->openFile(path32);
    doc = activeDocument();
    doc->txtMain->setSelStart(doc->txtMain->textLength());
    QTest::keyClicks(doc->txtMain, "y");
    mainWindow->mnuFileSave->trigger();
    EXPECT_EQ(readFile(path32), utf32 + QByteArray("\0\0\0y", 4));
}

TEST_F(SaveTest, ASaveRefusedForWantOfPermissionNamesTheFileAndTheFolder) {
    const QString folder = workDir + "locked";
    const QString path = writeFile("locked/page.htm", "old");
    mainWindow->openFile(path);
    DocumentWindow* doc = activeDocument();
    QTest::keyClicks(doc->txtMain, "new ");
    ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    expectMsgBox("The file '" + path + "' could not be saved.", vbOK);
    {
        WithoutFilePrivileges asAUser;
        mainWindow->mnuFileSave->trigger();
    }
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_FALSE(shownMessages.isEmpty());
    EXPECT_TRUE(shownMessages.last().contains("no permission to write in the folder \"" + folder + "/\""))
        << shownMessages.last().toStdString();
    EXPECT_FALSE(doc->fileSaved);
    EXPECT_EQ(readFile(path), "old");
}

TEST_F(SaveTest, SaveAsOntoAnOpenDocumentClosesItOrStops) {
    const QString path = writeFile("shared.htm", "file");
    mainWindow->openFile(path);
    DocumentWindow* other = activeDocument();
    QTest::keyClicks(other->txtMain, "edit ");
    DocumentWindow* doc = newWithText("mine");

    // Keeping the other window open stops the Save As: its edits and the file must not part.
    expectSave(path);
    expectMsgBox("Do you want to replace it?", vbYes);
    expectMsgBox("Save changes to 'shared.htm'?", vbCancel);
    saveDocumentAs(doc);
    EXPECT_EQ(readFile(path), QByteArray("file"));
    EXPECT_EQ(Form::documentCount(), 2);
    EXPECT_FALSE(unloadCancelled);

    expectSave(path);
    expectMsgBox("Do you want to replace it?", vbYes);
    expectMsgBox("Save changes to 'shared.htm'?", vbNo);
    saveDocumentAs(doc);
    EXPECT_EQ(readFile(path), QByteArray("mine"));
    EXPECT_EQ(Form::documentCount(), 1);
}

TEST_F(SaveTest, EachDocumentShowsItsOwnStateWhenActivated) {
    DocumentWindow* first = newWithText("changed");
    newDocument();
    DocumentWindow* second = activeDocument();
    second->txtMain->setText(QString(1500, u'a'));
    setFileSaved(second, true);
    EXPECT_FALSE(mainWindow->mnuFileSave->isEnabled());
    EXPECT_EQ(mainWindow->stbPanel(2)->text(), "1.46 KB");  // the size follows the text

    mainWindow->mdiArea()->setActiveSubWindow(first->subWindow());
    EXPECT_TRUE(mainWindow->mnuFileSave->isEnabled());
    EXPECT_FALSE(activeDocSaved);
    EXPECT_EQ(mainWindow->stbPanel(2)->text(), "7 bytes");
    mainWindow->mdiArea()->setActiveSubWindow(second->subWindow());
    EXPECT_FALSE(mainWindow->mnuFileSave->isEnabled());
    EXPECT_EQ(mainWindow->stbPanel(2)->text(), "1.46 KB");
    EXPECT_NE(first->filePath, second->filePath);
}

}  // namespace
}  // namespace kavrin::test
