#include <QApplication>
#include <optional>

#include "../documents/editing.h"

namespace kavrin::test {
namespace {

class EditMenuTest : public EditingTest {
protected:
    void setPlain(const QString& text) {
        ignoreChange = true;
        editor->setText(text);
        ignoreChange = false;
    }
    // Go to Line answered with `answer` (nullopt: Cancel) from the caret at `caret`.
    int goTo(int caret, std::optional<QString> answer, const QString& prompt) {
        editor->setSelStart(caret);
        expectInputBox(prompt, std::move(answer));
        mainWindow->mnuEditGotoLine_Click();
        return editor->selStart();
    }
};

TEST_F(EditMenuTest, SelectAllIndentAndUnindentReachTheDocumentFromMenusToolbarAndPopup) {
    setPlain("one\r\ntwo");
    mainWindow->mnuEditSelectAll->trigger();
    EXPECT_EQ(editor->selStart(), 0);
    EXPECT_EQ(editor->selLength(), 8);

    mainWindow->tbrMainB_ButtonClick("indent");
    EXPECT_EQ(editor->text(), "    one\r\n    two");
    mainWindow->mnuPopupIndent->trigger();
    EXPECT_EQ(editor->text(), "        one\r\n        two");
    mainWindow->mnuPopupUnindent->trigger();
    mainWindow->tbrMainB_ButtonClick("unindent");
    mainWindow->mnuEditIndent->trigger();
    EXPECT_EQ(editor->text(), "    one\r\n    two");
    mainWindow->mnuEditUnindent->trigger();
    EXPECT_EQ(editor->text(), "one\r\ntwo");
    EXPECT_EQ(undoSteps().size(), 6);
}

TEST_F(EditMenuTest, SelectAllAndGoToLineAnswerTheirKeysInTheEditor) {
    setPlain("one\r\ntwo");
    // Menu keys reach only the active window.
    mainWindow->activateWindow();
    QApplication::setActiveWindow(mainWindow);
    ASSERT_TRUE(QTest::qWaitForWindowActive(mainWindow));
    editor->setFocus();
    editor->setSelStart(2);
    key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(editor->selText(), "one\r\ntwo");
    expectInputBox("Enter a line number (1-2)", "2");
    key(Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(editor->selStart(), 5);
    EXPECT_EQ(editor->selLength(), 0);
    EXPECT_EQ(editor->text(), "one\r\ntwo");
}

TEST_F(EditMenuTest, GoToLineLandsAtTheStartOfTheAskedLine) {
    setPlain("one\r\ntwo\r\nthree");
    const QString prompt = "Enter a line number (1-3)";
    EXPECT_EQ(goTo(12, "1", prompt), 0);
    EXPECT_EQ(goTo(0, "2", prompt), 5);
    EXPECT_EQ(goTo(0, "3", prompt), 10);
    EXPECT_EQ(goTo(0, " 2.5 ", prompt), 10);  // 1.5 as a line index goes to the even neighbour
    EXPECT_EQ(goTo(7, "1.5", prompt), 0);     // and 0.5 to 0
    // Past the end: the last line; 0 and below: the first.
    EXPECT_EQ(goTo(0, "4", prompt), 10);
    EXPECT_EQ(goTo(0, "99999999999999999999", prompt), 10);
    EXPECT_EQ(goTo(7, "0", prompt), 0);
    EXPECT_EQ(goTo(7, "-5", prompt), 0);
    // No number: the start of the caret's own line.
    EXPECT_EQ(goTo(7, "abc", prompt), 5);
    EXPECT_EQ(goTo(12, "", prompt), 10);
    EXPECT_EQ(goTo(8, std::nullopt, prompt), 5);
    EXPECT_EQ(editor->text(), "one\r\ntwo\r\nthree");
    EXPECT_TRUE(undoSteps().isEmpty());
}

TEST_F(EditMenuTest, GoToLineReachesTheEmptyLineAfterAFinalLineBreak) {
    setPlain("one\r\ntwo\r\n");
    EXPECT_EQ(goTo(0, "3", "Enter a line number (1-3)"), 10);
    EXPECT_EQ(goTo(0, "2", "Enter a line number (1-3)"), 5);

    setPlain("abc");
    EXPECT_EQ(goTo(2, "1", "Enter a line number (1-1)"), 0);
    setPlain("");
    EXPECT_EQ(goTo(0, "7", "Enter a line number (1-1)"), 0);
}

TEST_F(EditMenuTest, CaseCommandsChangeTheSelectionAsOneUndoStepAndLeaveTheCaretAtItsStart) {
    setPlain("say hello WORLD\tnow");
    editor->select(4, 15);
    mainWindow->mnuToolsFormatPropercase->trigger();
    EXPECT_EQ(editor->text(), "say Hello World\tNow");
    EXPECT_EQ(editor->selStart(), 4);
    EXPECT_EQ(editor->selLength(), 0);
    EXPECT_EQ(undoSteps().size(), 1);

    editor->select(4, 5);
    mainWindow->mnuToolsFormatUppercase->trigger();
    EXPECT_EQ(editor->text(), "say HELLO World\tNow");
    editor->select(0, 15);
    mainWindow->mnuToolsFormatLowercase->trigger();
    EXPECT_EQ(editor->text(), "say hello world\tNow");
    EXPECT_EQ(undoSteps().size(), 3);

    mainWindow->mnuEditUndo_Click();
    EXPECT_EQ(editor->text(), "say HELLO World\tNow");
    mainWindow->mnuEditUndo_Click();
    mainWindow->mnuEditUndo_Click();
    EXPECT_EQ(editor->text(), "say hello WORLD\tnow");

    // No selection, or a text already in that case: nothing changes and nothing is recorded.
    editor->setSelStart(2);
    mainWindow->mnuToolsFormatUppercase->trigger();
    editor->select(0, 3);
    mainWindow->mnuToolsFormatLowercase->trigger();
    EXPECT_EQ(editor->text(), "say hello WORLD\tnow");
    EXPECT_EQ(undoSteps().size(), 0);
}

TEST_F(EditMenuTest, ProperCaseOfATagKeepsItsFirstCharacterAndTheColoursAreRedone) {
    setColoured("x <B>HELLO there</B>");
    editor->select(2, 18);
    mainWindow->mnuToolsFormatPropercase->trigger();
    EXPECT_EQ(editor->text(), "x <b>hello There</b>");
    EXPECT_EQ(shownColors(), passColors());
    mainWindow->mnuEditUndo_Click();
    EXPECT_EQ(editor->text(), "x <B>HELLO there</B>");
    EXPECT_EQ(shownColors(), passColors());
}

TEST_F(EditMenuTest, InTheDesignViewOnlyGoToLineAndTheCaseCommandsTouchTheSource) {
    setPlain("ab\r\ncd");
    doc->mode = 2;
    editor->setSelStart(1);
    mainWindow->mnuEditSelectAll_Click();
    mainWindow->mnuEditIndent_Click();
    mainWindow->mnuEditUnindent_Click();
    EXPECT_EQ(editor->text(), "ab\r\ncd");
    EXPECT_EQ(editor->selLength(), 0);

    EXPECT_EQ(goTo(0, "2", "Enter a line number (1-2)"), 4);
    editor->select(4, 2);
    mainWindow->mnuToolsFormatUppercase_Click();
    EXPECT_EQ(editor->text(), "ab\r\nCD");
    doc->mode = 0;
}

TEST_F(EditMenuTest, WithoutADocumentTheCommandsDoNothing) {
    doc->unload();
    ASSERT_EQ(activeDocument(), nullptr);
    mainWindow->mnuEditSelectAll_Click();
    mainWindow->mnuEditIndent_Click();
    mainWindow->mnuEditUnindent_Click();
    mainWindow->mnuEditGotoLine_Click();  // asks nothing: an unexpected input box would fail
    mainWindow->mnuToolsFormatPropercase_Click();
}

}  // namespace
}  // namespace kavrin::test
