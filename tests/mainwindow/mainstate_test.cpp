// The status bar and the Undo and Redo items and buttons show the active document's state,
// whatever changed it: typing, undo and redo, activating another document, each way of saving.
#include <QMdiArea>

#include "../documents/editing.h"
#include "documents/docstate.h"
#include "platform/forms/msgbox.h"

namespace kavrin::test {
namespace {

class DocumentStateTest : public EditingTest {
protected:
    void SetUp() override {
        EditingTest::SetUp();
        fileDialogFilter = "All Files|*.*";
    }
    void ctrl(Qt::Key k) { key(k, Qt::ControlModifier); }
    static QString caret() { return mainWindow->lblCursorPos->text(); }
    static QString size() { return mainWindow->stbPanel(2)->text(); }
    // Menu items, pop-up items and toolbar buttons agree, or the answer is a failure.
    static bool undoShown() {
        const bool on = mainWindow->mnuEditUndo->isEnabled();
        EXPECT_EQ(mainWindow->mnuPopupUndo->isEnabled(), on);
        EXPECT_EQ(mainWindow->tbrMainB->button("undo")->isEnabled(), on);
        return on;
    }
    static bool redoShown() {
        const bool on = mainWindow->mnuEditRedo->isEnabled();
        EXPECT_EQ(mainWindow->mnuPopupRedo->isEnabled(), on);
        EXPECT_EQ(mainWindow->tbrMainB->button("redo")->isEnabled(), on);
        return on;
    }
    static void activate(DocumentWindow* d) { mainWindow->mdiArea()->setActiveSubWindow(d->subWindow()); }
};

TEST_F(DocumentStateTest, CaretAndSizeFollowUndoRedoAndActivation) {
    type("one");
    key(Qt::Key_Return);
    type("two");
    EXPECT_EQ(caret(), "Ln 2, Col 4");
    EXPECT_EQ(size(), "8 bytes");
    ctrl(Qt::Key_Z);
    EXPECT_EQ(editor->text(), "one\r\ntw");
    EXPECT_EQ(caret(), "Ln 2, Col 3");
    EXPECT_EQ(size(), "7 bytes");
    mainWindow->mnuEditUndo->trigger();
    mainWindow->mnuEditUndo->trigger();
    EXPECT_EQ(caret(), "Ln 2, Col 1");
    mainWindow->tbrMainB_ButtonClick("redo");
    EXPECT_EQ(caret(), "Ln 2, Col 2");
    EXPECT_EQ(size(), "6 bytes");

    // Another document shows its own; coming back shows this one's again.
    DocumentWindow* first = doc;
    newDocument();
    EXPECT_EQ(caret(), "Ln 1, Col 1");
    EXPECT_EQ(size(), "0 bytes");
    QTest::keyClicks(activeDocument()->txtMain, QString(1500, u'x'));
    EXPECT_EQ(size(), "1.46 KB");
    activate(first);
    EXPECT_EQ(caret(), "Ln 2, Col 2");
    EXPECT_EQ(size(), "6 bytes");
}

TEST_F(DocumentStateTest, UndoAndRedoFollowTheActiveDocumentsListsAfterEverySave) {
    type("abc");
    ctrl(Qt::Key_Z);
    EXPECT_TRUE(undoShown());
    EXPECT_TRUE(redoShown());

    // A new document has nothing to undo or redo; the first one still has both.
    DocumentWindow* first = doc;
    newDocument();
    DocumentWindow* second = activeDocument();
    EXPECT_FALSE(undoShown());
    EXPECT_FALSE(redoShown());
    activate(first);
    EXPECT_TRUE(undoShown());
    EXPECT_TRUE(redoShown());

    // Save As, Save and Save All keep the lists, and so do the items.
    expectSave(workDir + "first.htm");
    mainWindow->mnuFileSaveAs->trigger();
    EXPECT_TRUE(first->fileSaved);
    EXPECT_TRUE(undoShown());
    EXPECT_TRUE(redoShown());
    type("d");
    mainWindow->tbrMainA_ButtonClick("save");
    EXPECT_TRUE(undoShown());
    EXPECT_FALSE(redoShown());  // typing cleared the redo list
    QTest::keyClicks(second->txtMain, "x");
    type("e");
    expectSave(workDir + "second.htm");
    mainWindow->mnuFileSaveAll->trigger();
    EXPECT_EQ(activeDocument(), first);
    EXPECT_TRUE(undoShown());
    ctrl(Qt::Key_Z);
    ctrl(Qt::Key_Z);
    ctrl(Qt::Key_Z);
    EXPECT_EQ(editor->text(), "a");
    EXPECT_TRUE(undoShown());
    ctrl(Qt::Key_Z);
    EXPECT_FALSE(undoShown());
    EXPECT_TRUE(redoShown());
}

// The not-saved mark on the document's tab must not resize the editor as it comes and goes: Qt
// lays a resized page out again line by line, which on a large page made the first keystroke
// after opening or saving slow.
TEST_F(DocumentStateTest, TheNotSavedMarkLeavesTheEditorsSizeAlone) {
    showTaskBar = showStatusbar = true;
    mainWindow->showTaskBarStrip(true);
    QCoreApplication::processEvents();
    ASSERT_TRUE(mainWindow->picPop->isVisible());
    const QSize strip = mainWindow->picPop->size();
    const QSize shown = editor->size();
    type("a");
    QCoreApplication::processEvents();
    EXPECT_FALSE(doc->fileSaved);
    EXPECT_EQ(mainWindow->picPop->size(), strip);
    EXPECT_EQ(editor->size(), shown);
    expectSave(workDir + "mark.htm");
    mainWindow->mnuFileSaveAs->trigger();
    QCoreApplication::processEvents();
    EXPECT_TRUE(doc->fileSaved);
    EXPECT_EQ(mainWindow->picPop->size(), strip);
    EXPECT_EQ(editor->size(), shown);
}

}  // namespace
}  // namespace kavrin::test
