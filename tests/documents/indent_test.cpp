#include "documents/docstate.h"
#include "documents/indent.h"
#include "documents/progress.h"
#include "editing.h"

namespace kavrin::test {
namespace {

class IndentTest : public EditingTest {
protected:
    void setPlain(const QString& text) {
        ignoreChange = true;
        editor->setText(text);
        ignoreChange = false;
        setFileSaved(true);
    }
    QString selected() const { return editor->selText(); }
};

TEST_F(IndentTest, IndentShiftsEverySelectedLineAsOneUndoStepAndCanBeRepeated) {
    setPlain("a\r\nb\r\nc\r\nd");
    editor->select(1, 6);  // from inside the first line to just after "c"
    mainWindow->mnuEditIndent_Click();
    EXPECT_EQ(editor->text(), "    a\r\n    b\r\n    c\r\nd");
    EXPECT_EQ(selected(), "    a\r\n    b\r\n    c");
    EXPECT_EQ(undoSteps().size(), 1);
    EXPECT_FALSE(activeDocSaved);

    mainWindow->mnuEditIndent_Click();
    EXPECT_EQ(editor->text(), "        a\r\n        b\r\n        c\r\nd");
    EXPECT_EQ(undoSteps().size(), 2);

    mainWindow->mnuEditUndo_Click();
    mainWindow->mnuEditUndo_Click();
    EXPECT_EQ(editor->text(), "a\r\nb\r\nc\r\nd");
    mainWindow->mnuEditRedo_Click();
    EXPECT_EQ(editor->text(), "    a\r\n    b\r\n    c\r\nd");
}

TEST_F(IndentTest, TheCaretAloneShiftsItsOwnLineOnly) {
    struct Case {
        int caret;
        const char* indented;
    };
    // Middle of a later line, start of a later line, start of the text, end of the text.
    for (const Case& c : {Case{5, "ab\r\n    cd\r\nef"}, Case{4, "ab\r\n    cd\r\nef"},
                          Case{0, "    ab\r\ncd\r\nef"}, Case{10, "ab\r\ncd\r\n    ef"}}) {
        SCOPED_TRACE(c.caret);
        setPlain("ab\r\ncd\r\nef");
        editor->setSelStart(c.caret);
        mainWindow->mnuEditIndent_Click();
        EXPECT_EQ(editor->text(), c.indented);
        mainWindow->mnuEditUndo_Click();
        EXPECT_EQ(editor->text(), "ab\r\ncd\r\nef");
    }
}

TEST_F(IndentTest, ASelectionEndingAtALineStartLeavesThatLineAlone) {
    setPlain("a\r\nb\r\nc");
    editor->select(3, 3);  // "b\r\n"
    mainWindow->mnuEditIndent_Click();
    EXPECT_EQ(editor->text(), "a\r\n    b\r\nc");
    EXPECT_EQ(selected(), "    b");
    mainWindow->mnuEditUnindent_Click();
    EXPECT_EQ(editor->text(), "a\r\nb\r\nc");
    EXPECT_EQ(undoSteps().size(), 2);
}

TEST_F(IndentTest, UnindentTakesOneIndentStepOrOneTabFromEachLine) {
    setPlain("\t\ta\r\n    b\r\n  c\r\n      d\r\ne");
    editor->select(0, editor->textLength());
    mainWindow->mnuEditUnindent_Click();
    // Two tabs lose one, too few blanks stay, more blanks lose exactly one step.
    EXPECT_EQ(editor->text(), "\ta\r\nb\r\n  c\r\n  d\r\ne");
    EXPECT_EQ(undoSteps().size(), 1);
    mainWindow->mnuEditUndo_Click();
    EXPECT_EQ(editor->text(), "\t\ta\r\n    b\r\n  c\r\n      d\r\ne");

    // Starting on an unindented first line, the lines below still lose theirs.
    setPlain("a\r\n    b\r\n\tc");
    editor->select(0, editor->textLength());
    mainWindow->mnuEditUnindent_Click();
    EXPECT_EQ(editor->text(), "a\r\nb\r\nc");
    EXPECT_EQ(selected(), "a\r\nb\r\nc");
}

TEST_F(IndentTest, UnindentOfACaretLine) {
    setPlain("x\r\n    abc");
    editor->setSelStart(9);
    mainWindow->mnuEditUnindent_Click();
    EXPECT_EQ(editor->text(), "x\r\nabc");
    EXPECT_EQ(editor->selStart(), 3);

    setPlain("\tabc");
    editor->setSelStart(0);  // the document's first line: a caret before the tab takes it
    mainWindow->mnuEditUnindent_Click();
    EXPECT_EQ(editor->text(), "abc");
}

TEST_F(IndentTest, NothingToUnindentLeavesTextHistoryAndSavedStateAlone) {
    for (const int caret : {5, 8}) {  // inside the leading blanks of a later line; a line without any
        SCOPED_TRACE(caret);
        setPlain("x\r\n    abc\r\nplain");
        const int steps = int(undoSteps().size());
        editor->setSelStart(caret == 8 ? 14 : caret);
        mainWindow->mnuEditUnindent_Click();
        EXPECT_EQ(editor->text(), "x\r\n    abc\r\nplain");
        EXPECT_EQ(undoSteps().size(), steps);
        EXPECT_TRUE(activeDocSaved);
    }
}

TEST_F(IndentTest, ShiftingAColouredDocumentKeepsTheTagColours) {
    setColoured("<p>\r\n<b>x</b>\r\n</p>");
    const int p = editor->colorAt(0), b = editor->colorAt(5), endP = editor->colorAt(15);
    editor->select(0, editor->textLength());
    mainWindow->mnuEditIndent_Click();
    EXPECT_EQ(editor->text(), "    <p>\r\n    <b>x</b>\r\n    </p>");
    EXPECT_EQ(editor->colorAt(4), p);
    EXPECT_EQ(editor->colorAt(13), b);
    EXPECT_EQ(editor->colorAt(27), endP);
    EXPECT_EQ(shownColors(), passColors());
    mainWindow->mnuEditUnindent_Click();
    EXPECT_EQ(editor->text(), "<p>\r\n<b>x</b>\r\n</p>");
    EXPECT_EQ(editor->colorAt(5), b);
    EXPECT_EQ(shownColors(), passColors());
    EXPECT_EQ(undoSteps().size(), 2);
}

TEST_F(IndentTest, TheStepIsTheConfiguredText) {
    indentText = "  ";
    setPlain("a\r\n    b");
    editor->select(0, editor->textLength());
    mainWindow->mnuEditIndent_Click();
    EXPECT_EQ(editor->text(), "  a\r\n      b");
    mainWindow->mnuEditUnindent_Click();
    mainWindow->mnuEditUnindent_Click();
    EXPECT_EQ(editor->text(), "a\r\n  b");
}

// On a long page the whole-page commands and their undo show the bar while they work, and the
// caret's place comes back into the status bar when they are done.
TEST_F(IndentTest, LongCommandsShowTheBarWhileTheyWork) {
    QString page;
    while (page.size() < kProgressFrom + 4096) page += "<tr><td>cell</td></tr>\r\n<!-- row -->\r\n<p>text</p>\r\n";
    setColoured(page);
    int seen = 0, highest = 0;
    QObject::connect(editor, &RichTextBox::Working, editor, [&] {
        seen += mainWindow->picPbr->frameShown() ? 1 : 0;
        highest = qMax(highest, mainWindow->picPbr->barPercent());
    });
    const std::pair<const char*, std::function<void()>> commands[] = {
        {"indent", [] { mainWindow->mnuEditSelectAll_Click(); mainWindow->mnuEditIndent_Click(); }},
        {"undo", [] { mainWindow->mnuEditUndo_Click(); }},
        {"upper case", [] { mainWindow->mnuEditSelectAll_Click(); mainWindow->mnuToolsFormatUppercase_Click(); }},
        {"indent again", [] { mainWindow->mnuEditSelectAll_Click(); mainWindow->mnuEditIndent_Click(); }},
        {"unindent", [] { mainWindow->mnuEditSelectAll_Click(); mainWindow->mnuEditUnindent_Click(); }},
    };
    for (const auto& [name, command] : commands) {
        SCOPED_TRACE(name);
        seen = highest = 0;
        command();
        QApplication::processEvents();
        EXPECT_GT(seen, 5);
        EXPECT_GT(highest, 50);
        EXPECT_FALSE(mainWindow->picPbr->frameShown());
        EXPECT_EQ(mainWindow->lblCursorPos->text(), caretPositionText(editor));
    }
    EXPECT_EQ(editor->text(), page.toUpper());
    EXPECT_EQ(shownColors(), passColors());
}

}  // namespace
}  // namespace kavrin::test
