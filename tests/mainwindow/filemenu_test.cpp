#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QRegularExpression>
#include <QTest>

#include "documents/docstate.h"
#include "mainwindow/mainstartup.h"
#include "mainwindow_fixture.h"
#include "platform/system/screen.h"

namespace kavrin::test {
namespace {

class FileMenuTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        start();
    }
    DocumentWindow* open(const QString& name, const QByteArray& bytes) {
        mainWindow->openFile(writeFile(name, bytes));
        return activeDocument();
    }
    static void edit(DocumentWindow* doc, const QString& text) {
        doc->txtMain->setText(text);
        setFileSaved(doc, false);
    }
    static void activate(DocumentWindow* doc) { mainWindow->mdiArea()->setActiveSubWindow(doc->subWindow()); }
    static QStringList paths() {
        QStringList list;
        for (DocumentWindow* doc : documentWindows()) list << doc->filePath;
        return list;
    }
    static void writeTemplate(int number, const QByteArray& bytes) {
        QFile file(templateFilePath(number));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    static int pdfPages(const QString& pdf) {
        const QString bytes = QString::fromLatin1(readFile(pdf));
        return int(bytes.count(QRegularExpression("/Type\\s*/Page[^s]")));
    }
};

TEST_F(FileMenuTest, NewFromTemplateReadsTheUsersTemplateAsAnUnsavedUntitledDocument) {
    // The templates made at start live with the user's data.
    EXPECT_TRUE(QFile::exists(templateFilePath(1)));
    EXPECT_TRUE(templateFilePath(1).startsWith(userDir));

    QFile::remove(templateFilePath(3));
    expectMsgBox("Unable to load template.", vbOK);
    mainWindow->mnuFileNewTemplate_Click(2);
    EXPECT_EQ(Form::documentCount(), 0);
    writeTemplate(4, QByteArray("GIF89a\0\0\1", 9));
    expectMsgBox("Unable to load template.", vbOK);
    mainWindow->mnuFileNewTemplate_Click(3);
    EXPECT_TRUE(shownMessages.last().contains("binary")) << shownMessages.last().toStdString();
    EXPECT_EQ(Form::documentCount(), 0);

    // A lone untouched first document gives way; the new one is numbered past it.
    newDocument();
    ASSERT_EQ(paths(), QStringList{"Untitled_0"});
    writeTemplate(1, "<html>\r\n<body>\r\n</html>\r\n");
    mainWindow->mnuFileNewTemplate_Click(0);
    ASSERT_EQ(paths(), QStringList{"Untitled_1"});
    DocumentWindow* doc = activeDocument();
    EXPECT_EQ(doc->txtMain->text(), "<html>\r\n<body>\r\n</html>");
    EXPECT_EQ(doc->caption(), "Untitled");
    EXPECT_FALSE(doc->fileSaved);
    EXPECT_TRUE(mainWindow->mnuFileSave->isEnabled());

    // A document with changes is never replaced; an empty template gives an empty document.
    writeTemplate(6, "");
    mainWindow->mnuFileNewTemplate_Click(5);
    EXPECT_EQ(paths(), (QStringList{"Untitled_1", "Untitled_0"}));
    EXPECT_EQ(activeDocument()->txtMain->text(), "");
    EXPECT_FALSE(activeDocument()->fileSaved);

    // With colouring on open the template's text arrives coloured.
    colorOnOpen = true;
    commentColor = 0x008000;
    writeTemplate(2, "<!-- c -->x");
    mainWindow->mnuFileNewTemplate_Click(1);
    RichTextBox* editor = activeDocument()->txtMain;
    ASSERT_EQ(editor->text(), "<!-- c -->x");
    EXPECT_EQ(editor->colorAt(0), commentColor);
    EXPECT_NE(editor->colorAt(10), commentColor);
    EXPECT_TRUE(colorCoding);
}

TEST_F(FileMenuTest, CloseAllClosesOldestFirstAndStopsAtTheFirstCancel) {
    DocumentWindow* a = open("a.htm", "a");
    DocumentWindow* b = open("b.htm", "b");
    DocumentWindow* c = open("c.htm", "c");
    DocumentWindow* d = open("d.htm", "d");
    edit(b, "b changed");
    edit(c, "c changed");
    edit(d, "d changed");
    (void)a;

    expectMsgBox("Save changes to 'b.htm'?", vbNo);
    expectMsgBox("Save changes to 'c.htm'?", vbCancel);
    mainWindow->mnuFileCloseAll_Click();
    EXPECT_TRUE(allAnswered());
    EXPECT_EQ(paths(), (QStringList{workDir + "c.htm", workDir + "d.htm"}));
    EXPECT_EQ(readFile(workDir + "b.htm"), "b");
    EXPECT_FALSE(unloadCancelled);
    EXPECT_FALSE(closingAll);
    EXPECT_TRUE(mainWindow->mnuFileCloseAll->isEnabled());

    expectMsgBox("Save changes to 'c.htm'?", vbYes);
    expectMsgBox("Save changes to 'd.htm'?", vbNo);
    mainWindow->mnuFileCloseAll_Click();
    EXPECT_EQ(Form::documentCount(), 0);
    EXPECT_EQ(readFile(workDir + "c.htm"), "c changed");
    EXPECT_EQ(mainWindow->stbPanel(2)->text(), "0 KB");
    EXPECT_FALSE(mainWindow->mnuFileCloseAll->isEnabled());
    EXPECT_FALSE(mainWindow->tbrMainA->button("saveall")->isEnabled());
    EXPECT_FALSE(mainWindow->tbrMainA->button("cut")->isEnabled());
}

TEST_F(FileMenuTest, SaveAllSavesEachDocumentAndKeepsFailuresUnsaved) {
    DocumentWindow* a = open("a.htm", "a");
    newDocument();
    DocumentWindow* first = activeDocument();
    DocumentWindow* broken = open("broken.htm", "x");
    newDocument();
    DocumentWindow* second = activeDocument();
    edit(a, "a new");
    edit(first, "first");
    edit(broken, "broken new");
    edit(second, "second");
    // A folder where the file was makes the write fail, even for root.
    QFile::remove(workDir + "broken.htm");
    ASSERT_TRUE(QDir().mkdir(workDir + "broken.htm"));
    const QString existing = writeFile("existing.htm", "keep me");
    activate(a);

    expectDialog("save", [&](CommonDialog& dialog) {
        EXPECT_EQ(dialog.dialogTitle, "Save File");
        EXPECT_EQ(activeDocument(), first);
        dialog.fileName = workDir + "first.htm";
        return true;
    });
    expectMsgBox("The file '" + workDir + "broken.htm' could not be saved.", vbOK);
    expectDialog("save", [&](CommonDialog& dialog) {
        EXPECT_EQ(activeDocument(), second);
        dialog.fileName = existing;
        return true;
    });
    expectMsgBox("already exists", vbNo);
    mainWindow->mnuFileSaveAll_Click();
    EXPECT_TRUE(allAnswered());

    EXPECT_EQ(readFile(workDir + "a.htm"), "a new");
    EXPECT_TRUE(a->fileSaved);
    EXPECT_EQ(readFile(workDir + "first.htm"), "first");
    EXPECT_EQ(first->filePath, workDir + "first.htm");
    EXPECT_EQ(first->caption(), "first.htm");
    EXPECT_TRUE(first->fileSaved);
    EXPECT_FALSE(broken->fileSaved);
    EXPECT_EQ(readFile(existing), "keep me");
    EXPECT_TRUE(second->filePath.startsWith("Untitled_"));
    EXPECT_FALSE(second->fileSaved);
    EXPECT_EQ(activeDocument(), a);
    EXPECT_FALSE(mainWindow->mnuFileSave->isEnabled());

    // A cancelled dialog skips only that document.
    edit(a, "a again");
    expectMsgBox("could not be saved", vbOK);  // broken stays broken
    expectDialogCancel("save");
    mainWindow->tbrMainA_ButtonClick("saveall");
    EXPECT_TRUE(allAnswered());
    EXPECT_EQ(readFile(workDir + "a.htm"), "a again");
    EXPECT_FALSE(second->fileSaved);
}

// A second editor, a checkout or a sync tool writes a page while it is open here, by putting a
// new file at its name or by writing it in place: Save, Save All and the save of a closing
// window ask before they write over it, and No keeps what the other program wrote.
TEST_F(FileMenuTest, AFileAnotherProgramWroteIsSavedOverOnlyWhenTheUserSaysSo) {
    mainWindow->activateWindow();
    QApplication::setActiveWindow(mainWindow);
    DocumentWindow* doc = open("page.htm", "<p>old</p>");
    const QString path = workDir + "page.htm";
    QTest::keyClicks(doc->txtMain, "ours");
    const QString question = "'page.htm' has been changed by another program since it was opened. Save over it?";

    // Renamed over it.
    const QString theirs = writeFile("page.htm.sync", "<p>theirs</p>");
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::rename(theirs, path));
    expectMsgBox(question, vbNo);
    QTest::keyClick(doc->txtMain, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(allAnswered());
    EXPECT_EQ(readFile(path), "<p>theirs</p>");
    EXPECT_FALSE(doc->fileSaved);
    expectMsgBox(question, vbYes);
    QTest::keyClick(doc->txtMain, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(allAnswered());
    EXPECT_EQ(readFile(path), "ours<p>old</p>");
    EXPECT_TRUE(doc->fileSaved);
    // A file as this program wrote it is saved over without a word.
    QTest::keyClicks(doc->txtMain, "1");
    QTest::keyClick(doc->txtMain, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(readFile(path), "ours1<p>old</p>");

    // Written in place, the same length, the file's time set back: only the time tells.
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_EQ(file.write("OURS1"), 5);
        ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
    }
    const QByteArray inPlace = readFile(path);
    ASSERT_EQ(inPlace, "OURS1<p>old</p>");
    QTest::keyClicks(doc->txtMain, "2");
    // Closing asks to save; No to writing over the file keeps the window, as a cancelled save.
    expectMsgBox("Save changes to 'page.htm'?", vbYes);
    expectMsgBox(question, vbNo);
    unloadCancelled = false;
    mainWindow->mnuFileClose_Click();
    EXPECT_TRUE(allAnswered());
    EXPECT_TRUE(unloadCancelled);
    EXPECT_TRUE(doc->isLoaded());
    EXPECT_EQ(readFile(path), inPlace);

    // Save All asks for each such document and saves the others.
    DocumentWindow* other = open("other.htm", "other");
    QTest::keyClicks(other->txtMain, "more ");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Append));
        file.write(" appended");
    }
    const QByteArray appended = readFile(path);
    expectMsgBox(question, vbNo);
    mainWindow->mnuFileSaveAll_Click();
    EXPECT_TRUE(allAnswered());
    EXPECT_EQ(readFile(path), appended);
    EXPECT_EQ(readFile(workDir + "other.htm"), "more other");
    EXPECT_FALSE(doc->fileSaved);
    EXPECT_TRUE(other->fileSaved);
}

TEST_F(FileMenuTest, PrintSourcePrintsTheSelectionOrTheWholeTextAndNothingOnCancel) {
    QString text;
    for (int i = 0; i < 300; ++i) text += "<p>line " + QString::number(i) + "</p>\r\n";
    DocumentWindow* doc = open("long.htm", text.toUtf8());
    const QString pdf = workDir + "out.pdf";
    mainWindow->printOutputFile = pdf;

    expectDialogCancel("print");
    mainWindow->tbrMainA_ButtonClick("print");
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_FALSE(isBusy());

    expectDialog("print", [](CommonDialog& dialog) {
        EXPECT_EQ(dialog.flags & (cdlPDReturnDC | cdlPDNoPageNums), cdlPDReturnDC | cdlPDNoPageNums);
        EXPECT_FALSE(dialog.printSelection);
        return true;
    });
    mainWindow->mnuFilePrintSource_Click();
    const int wholePages = pdfPages(pdf);
    EXPECT_GT(wholePages, 2);

    QFile::remove(pdf);
    doc->txtMain->select(0, 16);
    expectDialog("print", [](CommonDialog& dialog) {
        EXPECT_TRUE(dialog.printSelection);  // the dialog opens with "Selection" chosen
        return true;
    });
    mainWindow->mnuFilePrintSource_Click();
    EXPECT_EQ(pdfPages(pdf), 1);
    EXPECT_EQ(doc->txtMain->text(), text);
    EXPECT_TRUE(doc->fileSaved);
    EXPECT_FALSE(isBusy());
}

TEST_F(FileMenuTest, PrintBrowserViewNeverWritesTheDocumentsFile) {
    DocumentWindow* doc = open("page.htm", "<p>saved</p>");
    edit(doc, "<p>edited</p>");
    const QString pdf = workDir + "page.pdf";
    mainWindow->printOutputFile = pdf;

    expectDialogCancel("print");
    mainWindow->mnuFilePrintBrowser_Click();
    EXPECT_FALSE(QFile::exists(pdf));

    expectDialog("print", [](CommonDialog&) { return true; });
    mainWindow->mnuFilePrintBrowser_Click();
    // The page prints while the user goes on; the job's work copy goes when it has printed.
    EXPECT_TRUE(QTest::qWaitFor([&] { return QDir(tempDir).entryList({"print-*"}, QDir::Files).isEmpty(); }, 60000));
    EXPECT_EQ(readFile(workDir + "page.htm"), "<p>saved</p>");
    EXPECT_FALSE(doc->fileSaved);
    EXPECT_EQ(doc->txtMain->text(), "<p>edited</p>");
    EXPECT_TRUE(QDir(tempDir).entryList({"print-*"}, QDir::Files).isEmpty());
    EXPECT_GE(pdfPages(pdf), 1);
    EXPECT_FALSE(isBusy());
}

// With the browse and design views on, a document window also holds the views' tab bar, which
// used to take the focus first: what the user typed next went nowhere.
TEST_F(FileMenuTest, PrintBrowserViewAnswersThePagesScriptBoxesUnseenAndPrintsWhatTheScriptMade) {
    // A page of a site in folders, whose script asks for boxes before it builds its text.
    writeFile("site/css/print.css", "p { color: rgb(0, 0, 255) }");
    open("site/pages/boxes.htm",
                               "<html><head><link rel=stylesheet href=\"../css/print.css\"></head><body><script>\n"
                               "alert('one'); alert('two'); alert('three');\n"
                               "if (!confirm('print?') && prompt('why?', 'x') === null)\n"
                               "  for (let i = 0; i < 400; ++i) document.write('<p>line ' + i + '</p>');\n"
                               "</script></body></html>");
    const QString pdf = workDir + "boxes.pdf";
    mainWindow->printOutputFile = pdf;
    UnansweredBoxes engines;
    expectDialog("print", [](CommonDialog&) { return true; });
    mainWindow->mnuFilePrintBrowser_Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QDir(tempDir).entryList({"print-*"}, QDir::Files).isEmpty(); }, 60000));
    // Nobody sees the page being printed, nor its boxes: alerts go on, confirm and prompt read as
    // cancelled, and the page the script wrote prints.
    EXPECT_TRUE(engines.seen.isEmpty()) << engines.seen.join(" | ").toStdString();
    EXPECT_GT(pdfPages(pdf), 3);
}

TEST_F(FileMenuTest, TypingRightAfterNewOrOpenGoesIntoTheDocument) {
    for (const bool views : {false, true}) {
        SCOPED_TRACE(views ? "with the browse and design views" : "source view only");
        enableBrowserAndDesigner = views;
        mainWindow->activateWindow();
        QApplication::setActiveWindow(mainWindow);
        mainWindow->mdiArea()->setFocus();

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_N, Qt::ControlModifier);
        DocumentWindow* created = activeDocument();
        ASSERT_NE(created, nullptr);
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        QTest::keyClicks(QApplication::focusWidget(), "Hi");
        EXPECT_EQ(created->txtMain->text(), "Hi");

        mainWindow->mnuFileNewTemplate[0]->trigger();
        DocumentWindow* fromTemplate = activeDocument();
        ASSERT_NE(fromTemplate, created);
        fromTemplate->txtMain->setSelStart(0);
        QTest::keyClicks(QApplication::focusWidget(), "T");
        EXPECT_TRUE(fromTemplate->txtMain->text().startsWith("T<")) << fromTemplate->txtMain->text().left(20).toStdString();

        DocumentWindow* opened = open(views ? "views.html" : "plain.html", "<p></p>");
        QTest::keyClicks(QApplication::focusWidget(), "x");
        EXPECT_EQ(opened->txtMain->text(), "x<p></p>");

        for (DocumentWindow* doc : {created, fromTemplate, opened}) {
            doc->fileSaved = true;
            doc->unload();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// The task bar's tabs are picked with the mouse, often right after working in the side panel;
// the keys typed next go into the document picked, also when it was the active one already.
TEST_F(FileMenuTest, TypingAfterATaskBarClickGoesIntoThePickedDocument) {
    mainWindow->activateWindow();
    QApplication::setActiveWindow(mainWindow);
    DocumentWindow* first = open("first.html", "<p></p>");
    DocumentWindow* second = open("second.html", "<b></b>");
    ASSERT_EQ(activeDocument(), second);
    QTabBar* bar = mainWindow->tbsPop;
    ASSERT_TRUE(bar->isVisible());
    const auto pick = [&](DocumentWindow* doc, const char* keys) {
        mainWindow->filList->setFocus();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(mainWindow->documentTabIndex(doc)).center());
        EXPECT_EQ(activeDocument(), doc);
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        QTest::keyClicks(QApplication::focusWidget(), keys);
    };

    pick(first, "x");
    pick(first, "y");
    EXPECT_EQ(first->txtMain->text(), "xy<p></p>");
    EXPECT_EQ(second->txtMain->text(), "<b></b>");
}

TEST_F(FileMenuTest, ToolbarKeysAndMenuItemsReachTheirCommands) {
    mainWindow->tbrMainA->button("new")->trigger();
    ASSERT_EQ(paths(), QStringList{"Untitled_0"});
    mainWindow->mnuFileNewTemplate[0]->trigger();  // replaces the untouched first document
    ASSERT_EQ(paths(), QStringList{"Untitled_1"});
    mainWindow->tbrMainA_ButtonClick("nosuchkey");
    mainWindow->tbrMainB_ButtonClick("nosuchkey");
    EXPECT_EQ(Form::documentCount(), 1);

    expectDialogCancel("print");
    mainWindow->mnuFilePrintSource->trigger();
    expectDialogCancel("print");
    mainWindow->mnuFilePrintBrowser->trigger();
    EXPECT_TRUE(allAnswered());

    // A click on the toolbar leaves the panel button showing the panel that is on.
    QAction* panel = mainWindow->tbrMainB->button("panel");
    showPanel = true;
    panel->setChecked(false);
    mainWindow->tbrMainB_MouseUp();
    EXPECT_TRUE(panel->isChecked());

    expectMsgBox("Save changes to 'Untitled'?", vbNo);  // a template's document starts unsaved
    mainWindow->mnuFileClose->trigger();
    EXPECT_EQ(Form::documentCount(), 0);
}

}  // namespace
}  // namespace kavrin::test
