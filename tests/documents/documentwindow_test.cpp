#include <QMdiArea>
#include <QTest>

#include "documents/docfile.h"
#include "documents/docstate.h"
#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "fixture.h"
#include "mainwindow/mdiMain.h"
#include "platform/forms/msgbox.h"

namespace kavrin::test {
namespace {

class DocumentWindowTest : public KavrinTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        KavrinTest::SetUp();
        mainWindow = new mdiMain();
        mainWindow->show();
        // The main window's start reads these from the settings; the test then chooses.
        enableBrowserAndDesigner = GetParam();
        colorOnOpen = true;
    }

    // Opens a file as the File menu does: a window of the configured build with the file's text.
    DocumentWindow* openDocument(const QString& path) {
        DocumentWindow* doc = createDocumentWindow();
        doc->load();
        EXPECT_TRUE(doc->loadDocumentFile(path));
        doc->setCaption(QFileInfo(path).fileName());
        doc->filePath = path;
        doc->show();
        setFileSaved(doc, true);
        return doc;
    }

    void type(DocumentWindow* doc, const QString& text) { QTest::keyClicks(doc->txtMain, text); }

    QStringList tabTexts() const {
        QStringList texts;
        for (int i = 0; i < mainWindow->tbsPop->count(); ++i) texts << mainWindow->tbsPop->tabText(i);
        return texts;
    }
};

TEST_P(DocumentWindowTest, NewDocumentsTakeTheLowestFreeUntitledNumber) {
    newDocument();
    newDocument();
    DocumentWindow* second = activeDocument();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->filePath, "Untitled_1");
    EXPECT_EQ(second->hasViews(), GetParam());
    EXPECT_EQ(documentFolder, "Untitled");
    EXPECT_TRUE(colorCoding);  // an untitled document counts as coded without a pass

    documentWindows().first()->unload();  // Untitled_0, unchanged: nothing asked
    newDocument();
    EXPECT_EQ(activeDocument()->filePath, "Untitled_0");
    EXPECT_EQ(tabTexts(), (QStringList{"Untitled", "Untitled"}));
    EXPECT_TRUE(mainWindow->mnuFileSaveAll->isEnabled());
    EXPECT_TRUE(mainWindow->mnuFileCloseAll->isEnabled());
}

TEST_P(DocumentWindowTest, TypingMarksUnsavedAndCloseAsksYesNoCancel) {
    const QString path = writeFile("page.htm", "<p>old</p>\r\n");
    DocumentWindow* doc = openDocument(path);
    EXPECT_TRUE(doc->fileSaved);
    EXPECT_FALSE(mainWindow->mnuFileSave->isEnabled());
    doc->txtMain->setSelStart(0);
    type(doc, "x");
    EXPECT_FALSE(doc->fileSaved);
    EXPECT_TRUE(mainWindow->mnuFileSave->isEnabled());
    EXPECT_FALSE(mainWindow->tbsPop->tabIcon(0).isNull());

    expectMsgBox("Save changes to 'page.htm'?", vbCancel);
    EXPECT_FALSE(doc->unload());
    EXPECT_TRUE(unloadCancelled);
    EXPECT_EQ(Form::documentCount(), 1);

    expectMsgBox("Save changes to 'page.htm'?", vbNo);
    EXPECT_TRUE(doc->unload());
    EXPECT_EQ(readFile(path), QByteArray("<p>old</p>\r\n"));
    EXPECT_EQ(Form::documentCount(), 0);
}

TEST_P(DocumentWindowTest, YesSavesAndAnUntitledDocumentGoesThroughSaveAs) {
    const QString path = writeFile("keep.htm", "a\nb\n");
    DocumentWindow* doc = openDocument(path);
    doc->txtMain->setSelStart(doc->txtMain->textLength());
    type(doc, "c");
    expectMsgBox("Save changes to 'keep.htm'?", vbYes);
    EXPECT_TRUE(doc->unload());
    EXPECT_EQ(readFile(path), QByteArray("a\nb\nc"));  // line ends as read

    newDocument();
    DocumentWindow* untitled = activeDocument();
    type(untitled, "<b>");
    expectMsgBox("Save changes to 'Untitled'?", vbYes);
    expectDialogCancel("save");
    EXPECT_FALSE(untitled->unload());
    EXPECT_TRUE(unloadCancelled);

    const QString target = workDir + "new.htm";
    expectMsgBox("Save changes to 'Untitled'?", vbYes);
    expectSave(target);
    EXPECT_TRUE(untitled->unload());
    EXPECT_EQ(readFile(target), QByteArray("<b>"));
}

TEST_P(DocumentWindowTest, ClosingPicksTheNeighbourTabAndTheLastOneResetsTheBars) {
    newDocument();
    newDocument();
    newDocument();
    QVector<DocumentWindow*> docs = documentWindows();
    ASSERT_EQ(docs.size(), 3);
    docs[1]->unload();
    EXPECT_EQ(mainWindow->tbsPop->currentIndex(), 0);
    docs[0]->unload();
    EXPECT_EQ(mainWindow->tbsPop->count(), 1);

    // A tool window left open must not make the last document look like one of several.
    auto* tool = new Form();
    tool->load();
    mainWindow->lblCursorPos->setText("Ln 1, Col 1");
    docs[2]->unload();
    EXPECT_EQ(mainWindow->stbPanel(2)->text(), "0 KB");
    EXPECT_TRUE(mainWindow->lblCursorPos->text().isEmpty());
    EXPECT_FALSE(mainWindow->mnuFileSaveAs->isEnabled());
    EXPECT_FALSE(mainWindow->mnuFileSaveAll->isEnabled());
    EXPECT_FALSE(mainWindow->picPop->isVisible());
    tool->unload();
}

TEST_P(DocumentWindowTest, TwoWindowsWithOneNameKeepTheirOwnTabs) {
    newDocument();
    newDocument();
    QVector<DocumentWindow*> docs = documentWindows();
    docs[1]->filePath = docs[0]->filePath;  // as after a rename clash
    docs[1]->txtMain->setText("second");
    docs[1]->fileSaved = true;
    docs[1]->unload();
    ASSERT_EQ(mainWindow->tbsPop->count(), 1);
    EXPECT_EQ(mainWindow->documentTabIndex(docs[0]), 0);
}

TEST_P(DocumentWindowTest, ActivationRestoresTheSelectionAndAppliesWrapOnce) {
    wordWrap = true;
    const QString path = writeFile("notes.txt", "hello world\r\nsecond line\r\n");
    DocumentWindow* first = openDocument(path);
    EXPECT_EQ(first->txtMain->tag, "F");  // not a page: no colouring on open
    EXPECT_FALSE(colorCoding);
    EXPECT_TRUE(mainWindow->mnuToolsColorCodeNo->isChecked());
    EXPECT_EQ(first->txtMain->rightMargin(), 0);
    first->txtMain->select(6, 5);

    wordWrap = false;
    newDocument();
    EXPECT_EQ(first->txtMain->selLength(), 0);
    mainWindow->mdiArea()->setActiveSubWindow(first->subWindow());
    EXPECT_EQ(first->txtMain->selStart(), 6);
    EXPECT_EQ(first->txtMain->selText(), "world");
    EXPECT_EQ(first->txtMain->rightMargin(), 0);  // later activations leave it
    EXPECT_EQ(documentFolder, workDir);
    EXPECT_EQ(mainWindow->stbPanel(2)->text(), "26 bytes");
}

TEST_P(DocumentWindowTest, PagesAreColourCodedOnOpenWhateverTheExtensionCase) {
    const QString path = writeFile("Site/INDEX.HTML", "<p>x</p>");
    DocumentWindow* doc = openDocument(path);
    EXPECT_EQ(doc->txtMain->tag, "T");
    EXPECT_TRUE(mainWindow->mnuToolsColorCodeYes->isChecked());
    EXPECT_TRUE(mainWindow->mnuToolsColorCodeRefresh->isEnabled());
    EXPECT_EQ(documentFolder, workDir + "Site/");  // case kept
}

TEST_P(DocumentWindowTest, ExitStopsAtTheFirstCancel) {
    newDocument();
    type(activeDocument(), "a");
    newDocument();
    type(activeDocument(), "b");
    expectMsgBox("Save changes to 'Untitled'?", vbNo);
    expectMsgBox("Save changes to 'Untitled'?", vbCancel);
    EXPECT_FALSE(mainWindow->unload());
    EXPECT_EQ(Form::documentCount(), 1);
    EXPECT_TRUE(mainWindow->isLoaded());
}

INSTANTIATE_TEST_SUITE_P(BothBuilds, DocumentWindowTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "WithViews" : "SourceOnly"; });

class DocumentLimitTest : public KavrinTest {};

TEST_F(DocumentLimitTest, TheHundredthDocumentIsRefused) {
    mainWindow = new mdiMain();
    mainWindow->show();
    for (int i = 0; i < 99; ++i) newDocument();
    EXPECT_EQ(Form::documentCount(), 99);
    expectMsgBox("You already have 99 documents open.", vbOK);
    newDocument();
    EXPECT_EQ(Form::documentCount(), 99);
}

TEST(DocumentSizeText, FollowsTheThresholds) {
    const std::pair<qint64, const char*> cases[] = {{0, "0 bytes"},       {999, "999 bytes"},
                                                     {1000, "0.98 KB"},    {1500, "1.46 KB"},
                                                     {2048, "2 KB"},       {999999, "976.56 KB"},
                                                     {1000000, "0.98 MB"}, {2048000, "2 MB"}};
    for (const auto& [n, text] : cases) EXPECT_EQ(documentSizeText(n), QString(text)) << n;
}

}  // namespace
}  // namespace kavrin::test
