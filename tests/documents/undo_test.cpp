#include <QApplication>
#include <QClipboard>
#include <QTest>

#include <functional>

#include "documents/docstate.h"
#include "editing.h"

namespace kavrin::test {
namespace {

class UndoTest : public EditingTest {
protected:
    bool undoEnabled() const {
        return mainWindow->mnuEditUndo->isEnabled() && mainWindow->mnuPopupUndo->isEnabled() &&
               mainWindow->tbrMainB->button("undo")->isEnabled();
    }
    bool redoEnabled() const {
        return mainWindow->mnuEditRedo->isEnabled() && mainWindow->mnuPopupRedo->isEnabled() &&
               mainWindow->tbrMainB->button("redo")->isEnabled();
    }
    void ctrl(Qt::Key k) { key(k, Qt::ControlModifier); }
};

TEST_F(UndoTest, TypedCharactersAreOneStepEachAndUndoTakesThemBackLastFirst) {
    setColoured("<p>text</p>");
    setFileSaved(doc, true);
    editor->setSelStart(3);
    type("abc");
    EXPECT_EQ(editor->text(), "<p>abctext</p>");
    EXPECT_EQ(undoSteps(), (QVector<UndoEntry>{{3, 1, ""}, {4, 1, ""}, {5, 1, ""}}));
    EXPECT_TRUE(undoEnabled());
    EXPECT_FALSE(redoEnabled());

    setFileSaved(doc, true);
    ctrl(Qt::Key_Z);
    EXPECT_EQ(editor->text(), "<p>abtext</p>");
    EXPECT_EQ(editor->selStart(), 5);
    EXPECT_FALSE(doc->fileSaved);  // an undo is a change like any other
    ctrl(Qt::Key_Z);
    ctrl(Qt::Key_Z);
    EXPECT_EQ(editor->text(), "<p>text</p>");
    EXPECT_EQ(editor->selStart(), 3);
    EXPECT_EQ(doc->undoI, 0);
    EXPECT_EQ(redoSteps(), (QVector<UndoEntry>{{5, 0, "c"}, {4, 0, "b"}, {3, 0, "a"}}));
    EXPECT_FALSE(undoEnabled());
    EXPECT_TRUE(redoEnabled());
    EXPECT_EQ(shownColors(), passColors());

    ctrl(Qt::Key_Z);  // nothing left: nothing happens
    EXPECT_EQ(editor->text(), "<p>text</p>");

    ctrl(Qt::Key_Y);
    ctrl(Qt::Key_Y);
    EXPECT_EQ(editor->text(), "<p>abtext</p>");
    EXPECT_EQ(editor->selStart(), 5);
    EXPECT_EQ(doc->undoI, 2);
    EXPECT_EQ(doc->redoI, 1);
    EXPECT_TRUE(undoEnabled());
    EXPECT_TRUE(redoEnabled());
}

TEST_F(UndoTest, AReplacedWordComesBackAndUndoRedoUndoGivesTheSameText) {
    setColoured("0123456789hello <b>world</b>");
    editor->select(10, 5);
    type("X");
    EXPECT_EQ(undoSteps(), (QVector<UndoEntry>{{10, 1, "hello"}}));

    mainWindow->mnuEditUndo->trigger();
    EXPECT_EQ(editor->text(), "0123456789hello <b>world</b>");
    EXPECT_EQ(redoSteps(), (QVector<UndoEntry>{{10, 5, "X"}}));
    EXPECT_EQ(editor->selStart(), 15);

    mainWindow->mnuPopupRedo->trigger();
    EXPECT_EQ(editor->text(), "0123456789X <b>world</b>");
    mainWindow->tbrMainB->button("undo")->trigger();
    EXPECT_EQ(editor->text(), "0123456789hello <b>world</b>");
    EXPECT_EQ(shownColors(), passColors());
    mainWindow->tbrMainB->button("redo")->trigger();
    mainWindow->mnuPopupUndo->trigger();
    EXPECT_EQ(editor->text(), "0123456789hello <b>world</b>");
    EXPECT_EQ(doc->undoI, 0);
    EXPECT_EQ(doc->redoI, 1);
}

TEST_F(UndoTest, BackspaceAndDeleteRecordTheRemovedCharacterWhereItStood) {
    setColoured("abcdefgh");
    editor->setSelStart(5);
    key(Qt::Key_Backspace);
    editor->setSelStart(5);
    key(Qt::Key_Delete);
    EXPECT_EQ(editor->text(), "abcdfh");
    EXPECT_EQ(undoSteps(), (QVector<UndoEntry>{{4, 0, "e"}, {5, 0, "g"}}));
    ctrl(Qt::Key_Z);
    ctrl(Qt::Key_Z);
    EXPECT_EQ(editor->text(), "abcdefgh");
    EXPECT_EQ(editor->selStart(), 5);
}

TEST_F(UndoTest, AChangeToTheSameTextKeepsTheHistoriesAndANewEditEmptiesRedo) {
    setColoured("abc");
    editor->setSelStart(3);
    type("x");
    ctrl(Qt::Key_Z);
    ASSERT_EQ(doc->redoI, 1);

    editor->select(1, 1);
    type("b");  // the same character over itself
    EXPECT_EQ(editor->text(), "abc");
    EXPECT_EQ(doc->undoI, 0);
    EXPECT_EQ(doc->redoI, 1);
    EXPECT_TRUE(redoEnabled());

    type("y");
    EXPECT_EQ(doc->redoI, 0);
    EXPECT_FALSE(redoEnabled());
    ctrl(Qt::Key_Y);
    EXPECT_EQ(editor->text(), "abyc");
}

TEST_F(UndoTest, OverwrittenCharactersComeBack) {
    setColoured("<b>abcd</b>");
    editor->setOverwriteMode(true);
    editor->setSelStart(4);
    type("XY");
    EXPECT_EQ(editor->text(), "<b>aXYd</b>");
    EXPECT_EQ(undoSteps(), (QVector<UndoEntry>{{4, 1, "b"}, {5, 1, "c"}}));
    ctrl(Qt::Key_Z);
    ctrl(Qt::Key_Z);
    EXPECT_EQ(editor->text(), "<b>abcd</b>");
    ctrl(Qt::Key_Y);
    ctrl(Qt::Key_Y);
    EXPECT_EQ(editor->text(), "<b>aXYd</b>");
    EXPECT_EQ(shownColors(), passColors());
}

TEST_F(UndoTest, StepsOfAnyLengthAreRecolouredAroundTheChangeOnly) {
    // Tags all through, so that a wrong recolour would show; whole tags only, then plain text.
    const QString tail = "<a href=x>end</a>";
    for (const int n : {12000, 12001}) {
        SCOPED_TRACE(n);
        QString block;
        while (block.size() < n - 30) block += "<td>cell</td><!-- c -->text ";
        block += QString(n - block.size(), 'x');
        setColoured("<p>" + block + "</p>" + tail);
        editor->select(3, n);
        key(Qt::Key_Delete);
        EXPECT_EQ(undoSteps().last().text.size(), n);
        EXPECT_FALSE(wholePassRan());  // deleting alone recolours around the caret

        ctrl(Qt::Key_Z);
        EXPECT_FALSE(wholePassRan());
        EXPECT_EQ(editor->text(), "<p>" + block + "</p>" + tail);
        EXPECT_EQ(editor->selStart(), 3 + n);
        EXPECT_EQ(shownColors(), passColors());

        ctrl(Qt::Key_Y);
        EXPECT_FALSE(wholePassRan());
        EXPECT_EQ(editor->text(), "<p></p>" + tail);
        EXPECT_EQ(shownColors(), passColors());
    }
}

// Long steps that begin or end inside comments and tags, or open and close comments, are taken
// back and made again in the whole-page pass's colours, the run-on of a comment included.
TEST_F(UndoTest, LongStepsAtTheEdgesOfCommentsAndTagsComeBackInThePassColours) {
    QString block;
    while (block.size() < 13000) block += "<td>cell</td><!-- c -->text\r\n";
    const QString page = "<p>one <!-- open\r\n" + block + "close --> <b class=x>two</b>\r\n" + block + "<i>end</i>";
    const int inComment = int(page.indexOf("open")), inTag = int(page.indexOf("class=x"));
    const int secondBlock = int(page.indexOf("<td>", inTag));
    const struct {
        const char* name;
        std::function<void()> make;
    } steps[] = {
        {"cut from inside a comment to inside a tag",
         [&] {
             editor->select(inComment, inTag - inComment);
             mainWindow->mnuEditCut_Click();
         }},
        {"delete from inside a tag through comments to a comment's middle",
         [&] {
             const int inLaterComment = int(page.indexOf("<!-- c", secondBlock + 12500)) + 6;
             editor->select(inTag, inLaterComment - inTag);
             key(Qt::Key_Delete);
         }},
        {"indent of every line", [&] {
             mainWindow->mnuEditSelectAll_Click();
             mainWindow->mnuEditIndent_Click();
         }},
        {"upper case up to inside a comment", [&] {
             editor->select(0, secondBlock + 20);
             mainWindow->mnuToolsFormatUppercase_Click();
         }},
        {"a long paste that closes the open comment", [&] {
             QApplication::clipboard()->setText(block + "-->");
             editor->setSelStart(inComment);
             mainWindow->mnuEditPaste_Click();
         }},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        setColoured(page);
        step.make();
        const QString after = editor->text();
        ASSERT_NE(after, page);
        ASSERT_GT(qMax(undoSteps().last().length, int(undoSteps().last().text.size())), 12000);
        wholePassRan();
        ctrl(Qt::Key_Z);
        EXPECT_FALSE(wholePassRan());
        ASSERT_EQ(editor->text(), page);
        EXPECT_EQ(shownColors(), passColors());
        ctrl(Qt::Key_Y);
        EXPECT_FALSE(wholePassRan());
        ASSERT_EQ(editor->text(), after);
        EXPECT_EQ(shownColors(), passColors());
    }
}

TEST_F(UndoTest, ClearDocumentEmptiesTheTextAndBothHistories) {
    setColoured("<p>x</p>");
    editor->setSelStart(3);
    type("ab");
    ctrl(Qt::Key_Z);
    doc->clearDocument();
    EXPECT_EQ(editor->text(), "");
    EXPECT_EQ(doc->undoI, 0);
    EXPECT_EQ(doc->redoI, 0);
    EXPECT_FALSE(undoEnabled());
    EXPECT_FALSE(redoEnabled());
    EXPECT_TRUE(doc->fileSaved);
    EXPECT_TRUE(mainWindow->tbsPop->tabIcon(0).isNull());
    ctrl(Qt::Key_Z);
    ctrl(Qt::Key_Y);
    EXPECT_EQ(editor->text(), "");
}

// The step is made of the change and the selection saved before it, which need not cover the
// same characters: the text before the change is pieced together from the text after it.
TEST(UndoEntryFor, RebuildsTheTextBeforeTheChangeWhereverTheSavedSelectionLies) {
    // "abcdefgh": "de" at 3 became "XYZ".
    const QString now = "abcXYZfgh";
    const TextChange change{3, "de", 3};
    EXPECT_EQ(undoEntryFor(now, change, 3, 2, 6), (UndoEntry{3, 3, "de"}));
    EXPECT_EQ(undoEntryFor(now, change, 1, 6, 6), (UndoEntry{1, 7, "bcdefg"}));
    EXPECT_EQ(undoEntryFor(now, change, 6, 9, 6), (UndoEntry{6, 10, "gh"}));  // clipped at the old end
    EXPECT_EQ(undoEntryFor(now, change, 3, 0, 6), (UndoEntry{3, 1, ""}));     // grew by one
    // Shrinking without a selection: what stood at the caret comes back.
    EXPECT_EQ(undoEntryFor(u"abfgh", TextChange{2, "cde", 0}, 2, 0, 2), (UndoEntry{2, 0, "cde"}));
    // Equal length: only the characters that differ, or nothing at all.
    EXPECT_EQ(undoEntryFor(u"abXdYf", TextChange{1, "bcde", 4}, 0, 0, 0), (UndoEntry{2, 3, "cde"}));
    EXPECT_EQ(undoEntryFor(u"abcdef", TextChange{1, "bcd", 3}, 1, 3, 4), std::nullopt);
    EXPECT_EQ(undoEntryFor(u"abcdef", TextChange{}, 1, 3, 4), std::nullopt);
    // The editor hands over its text split where it was last edited: any split reads the same.
    for (qsizetype at = 0; at <= now.size(); ++at) {
        const SplitText split(QStringView(now).left(at), QStringView(now).mid(at));
        EXPECT_EQ(undoEntryFor(split, change, 1, 6, 6), (UndoEntry{1, 7, "bcdefg"})) << at;
        EXPECT_EQ(undoEntryFor(split, change, 3, 2, 6), (UndoEntry{3, 3, "de"})) << at;
    }
}

TEST_F(UndoTest, LoadingAFileRecordsNoStep) {
    const QString path = writeFile("page.htm", "<p>loaded</p>\r\n");
    ASSERT_TRUE(doc->loadDocumentFile(path));
    EXPECT_EQ(doc->undoI, 0);
    EXPECT_TRUE(editor->pendingTextChange().isEmpty());  // the handling took the load, recording nothing
    editor->setSelStart(3);
    type("z");
    ctrl(Qt::Key_Z);
    EXPECT_EQ(editor->text(), "<p>loaded</p>\r\n");
}

}  // namespace
}  // namespace kavrin::test
