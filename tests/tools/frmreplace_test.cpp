// Find/Replace driven through its window on real documents of a shown main window.
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>
#include <QWindow>

#include "documents/colouring/colorcoding.h"
#include "documents/docfile.h"
#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "documents/colouring/tagclasses.h"
#include "fixture.h"
#include "mainwindow/mdiMain.h"
#include "platform/forms/msgbox.h"
#include "tools/frmReplace.h"

namespace kavrin::test {
namespace {

struct Edit {
    int start;
    int length;
    QString text;  // the page right after the edit
    bool operator==(const Edit&) const = default;
};

class FindReplaceTest : public KavrinTest {
protected:
    void SetUp() override {
        KavrinTest::SetUp();
        mainWindow = new mdiMain();
        mainWindow->show();
    }

    DocumentWindow* page(const QString& text) {
        newDocument();
        DocumentWindow* doc = activeDocument();
        doc->txtMain->setText(text);
        doc->txtMain->select(0, 0);
        // Every program edit that is to be undone by itself announces its range first.
        QObject::connect(doc->txtMain, &RichTextBox::Change, doc->txtMain, [this, doc] {
            edits.push_back({selStartBeforeChange, selLengthBeforeChange, doc->txtMain->text()});
        });
        return doc;
    }

    frmReplace* openDialog() {
        mainWindow->mnuEditFindReplace->trigger();
        frmReplace* f = replaceForm();
        EXPECT_NE(f, nullptr);
        return f;
    }

    frmReplace* dialogFor(const QString& find, const QString& replace = QString()) {
        frmReplace* f = openDialog();
        f->txtFind->setText(find);
        f->txtReplace->setText(replace);
        return f;
    }

    static int selStart(DocumentWindow* doc) { return doc->txtMain->selStart(); }
    static int selLength(DocumentWindow* doc) { return doc->txtMain->selLength(); }

    std::vector<Edit> edits;
};

TEST_F(FindReplaceTest, OpensModelessAboveTheMainWindowWithTheSelectionAsFindText) {
    DocumentWindow* doc = page("xx abc yy");
    doc->txtMain->select(3, 3);
    frmReplace* f = openDialog();
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(f->isVisible());
    EXPECT_FALSE(f->isModal());
    EXPECT_EQ(f->caption(), "Find/Replace");
    EXPECT_FALSE(f->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(f->windowHandle()->transientParent(), mainWindow->windowHandle());
    EXPECT_EQ(f->txtFind->text(), "abc");
    EXPECT_TRUE(f->cmdFindNext->isEnabled());
    EXPECT_TRUE(f->cmdReplaceAll->isEnabled());
    EXPECT_FALSE(f->cmdReplace->isEnabled());
    EXPECT_TRUE(f->optAll->isChecked());

    // Choosing the command again brings the same window forward with its fields as they are.
    f->txtReplace->setText("keep");
    doc->txtMain->select(0, 2);
    EXPECT_EQ(openDialog(), f);
    EXPECT_EQ(f->txtFind->text(), "abc");
    EXPECT_EQ(f->txtReplace->text(), "keep");

    QTest::keyClick(f, Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(replaceForm(), nullptr);

    // Without a selection nothing can be pressed until something is typed.
    doc->txtMain->select(0, 0);
    f = openDialog();
    EXPECT_EQ(f->txtFind->text(), "");
    EXPECT_FALSE(f->cmdFindNext->isEnabled());
    EXPECT_FALSE(f->cmdReplace->isEnabled());
    EXPECT_FALSE(f->cmdReplaceAll->isEnabled());
    QTest::keyClicks(f->txtFind, "yy");
    EXPECT_TRUE(f->cmdFindNext->isEnabled());
    EXPECT_TRUE(f->cmdReplaceAll->isEnabled());
    f->cmdFindNext->click();
    EXPECT_EQ(selStart(doc), 7);
    EXPECT_EQ(selLength(doc), 2);
    f->cmdClose->click();

    // The toolbar button opens it too; a selection over a line break is found as it stands.
    doc->txtMain->setText("one\r\ntwo\r\none\r\ntwo");
    doc->txtMain->select(1, 5);
    mainWindow->tbrMainB_ButtonClick("find");
    f = replaceForm();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->txtFind->text(), "ne\r\nt");
    f->cmdFindNext->click();
    EXPECT_EQ(selStart(doc), 1);
    f->cmdFindNext->click();
    EXPECT_EQ(selStart(doc), 11);
    EXPECT_EQ(selLength(doc), 5);
}

// The main window's menus share the tool window's keys, and Alt+F typed in "Find what" opened
// the File menu instead of pressing Find Next; a letter of no button was typed into the field.
TEST_F(FindReplaceTest, AltWithAButtonsUnderlinedLetterPressesItFromTheFieldsNotTheMainMenu) {
    DocumentWindow* doc = page("xx abc yy abc");
    frmReplace* f = openDialog();
    ASSERT_NE(f, nullptr);
    f->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f));
    f->txtFind->setFocus();
    QTest::keyClicks(f->txtFind, "abc");
    QTest::keyClick(f->txtFind, Qt::Key_F, Qt::AltModifier);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << "a menu opened";
    EXPECT_EQ(f->txtFind->text(), "abc");
    EXPECT_EQ(selStart(doc), 3);
    EXPECT_EQ(selLength(doc), 3);

    f->txtReplace->setFocus();
    QTest::keyClicks(f->txtReplace, "X");
    QTest::keyClick(f->txtReplace, Qt::Key_R, Qt::AltModifier);
    EXPECT_EQ(doc->txtMain->text(), "xx X yy abc");
    EXPECT_EQ(f->txtReplace->text(), "X");
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    // A letter no button of the window has does nothing: no menu of the main window opens, the
    // letter is not typed and the page stays as it is.
    for (QLineEdit* field : {f->txtFind, f->txtReplace}) {
        for (Qt::Key letter : {Qt::Key_V, Qt::Key_Q}) {
            SCOPED_TRACE(field->objectName().toStdString() + " " + QKeySequence(letter).toString().toStdString());
            const QString before = field->text();
            field->setFocus();
            QTest::keyClick(field, letter, Qt::AltModifier);
            QWidget* menu = QApplication::activePopupWidget();
            EXPECT_EQ(menu, nullptr) << "a menu opened";
            if (menu) menu->close();
            EXPECT_EQ(field->text(), before);
        }
    }
    EXPECT_EQ(doc->txtMain->text(), "xx X yy abc");
}

TEST_F(FindReplaceTest, PassesRunToTheEndWithoutWrappingThenStartAgain) {
    DocumentWindow* doc = page("a a a");
    frmReplace* f = dialogFor("a");
    for (int expected : {0, 2, 4}) {
        f->cmdFindNext->click();
        EXPECT_EQ(selStart(doc), expected);
        EXPECT_EQ(selLength(doc), 1);
    }
    expectMsgBox("The string \"a\" was not found.", vbOK);
    f->cmdFindNext->click();
    EXPECT_EQ(selStart(doc), 4);  // the caret stays at the start of the former selection
    EXPECT_EQ(selLength(doc), 0);
    f->cmdFindNext->click();
    EXPECT_EQ(selStart(doc), 0);
    EXPECT_EQ(selLength(doc), 1);

    // From the caret: the first hit at or after it.
    f->optStart->click();
    doc->txtMain->select(3, 0);
    f->cmdFindNext->click();  // the pass in progress goes on
    EXPECT_EQ(selStart(doc), 2);
    f->chkMatchCase->click();  // any option change starts a new pass
    f->chkMatchCase->click();
    doc->txtMain->select(3, 0);
    f->cmdFindNext->click();
    EXPECT_EQ(selStart(doc), 4);
}

TEST_F(FindReplaceTest, MatchCaseAndWholeWordsNarrowTheHits) {
    DocumentWindow* doc = page("A cat a\r\nCAT");
    frmReplace* f = dialogFor("a");
    f->chkMatchCase->click();
    f->cmdFindNext->click();
    EXPECT_EQ(selStart(doc), 3);  // the "a" in "cat"; "A" is not a hit
    f->chkWholeWords->click();
    f->cmdFindNext->click();
    EXPECT_EQ(selStart(doc), 6);
    expectMsgBox("was not found", vbOK);
    f->cmdFindNext->click();

    // Whole words without match case; offsets count the line break as two characters.
    f->chkMatchCase->click();
    f->txtFind->setText("cat");
    f->cmdFindNext->click();
    EXPECT_EQ(selStart(doc), 2);
    f->cmdFindNext->click();
    EXPECT_EQ(selStart(doc), 9);
    EXPECT_EQ(doc->txtMain->selText(), "CAT");
}

TEST_F(FindReplaceTest, SearchSelectedTextKeepsToTheRememberedRange) {
    DocumentWindow* doc = page("a a a");
    frmReplace* f = dialogFor("a");
    expectMsgBox("You must select some text to use this option.", vbOK);
    f->optSelected->click();
    EXPECT_TRUE(f->optAll->isChecked());
    EXPECT_FALSE(f->optSelected->isChecked());

    doc->txtMain->select(0, 3);
    f->optSelected->click();
    EXPECT_TRUE(f->optSelected->isChecked());
    EXPECT_EQ(f->txtFind->text(), "");  // the selection is the range now, not the find text
    f->txtFind->setText("a");
    f->cmdFindNext->click();
    EXPECT_EQ(selStart(doc), 0);
    f->cmdFindNext->click();
    EXPECT_EQ(selStart(doc), 2);
    expectMsgBox("The string \"a\" was not found.", vbOK);
    f->cmdFindNext->click();
    // The range has been used up: a new pass misses at once.
    expectMsgBox("The string \"a\" was not found.", vbOK);
    f->cmdFindNext->click();

    // Choosing the option anew takes the selection again.
    doc->txtMain->select(2, 3);
    f->optSelected->click();
    f->txtFind->setText("a");
    f->cmdFindNext->click();
    EXPECT_EQ(selStart(doc), 2);
}

TEST_F(FindReplaceTest, ReplaceChangesTheHitAsOneEditAndFindsTheNext) {
    DocumentWindow* doc = page("a a");
    frmReplace* f = dialogFor("a", "xyz");
    EXPECT_FALSE(f->cmdReplace->isEnabled());
    f->cmdFindNext->click();
    EXPECT_TRUE(f->cmdReplace->isEnabled());
    f->cmdReplace->click();
    EXPECT_EQ(doc->txtMain->text(), "xyz a");
    EXPECT_EQ(edits, (std::vector<Edit>{{0, 1, "xyz a"}}));
    EXPECT_EQ(selStart(doc), 4);  // found after the inserted text
    EXPECT_EQ(selLength(doc), 1);
    EXPECT_FALSE(doc->fileSaved);

    // The last hit replaced; the pass then misses and Replace stays as the miss left it.
    expectMsgBox("The string \"a\" was not found.", vbOK);
    f->cmdReplace->click();
    EXPECT_EQ(doc->txtMain->text(), "xyz xyz");
    EXPECT_EQ(edits.size(), 2u);
    EXPECT_EQ(edits[1], (Edit{4, 1, "xyz xyz"}));

    // In the selected-text scope the range grows with each longer replacement.
    doc->txtMain->setText("b b b b");
    edits.clear();
    doc->txtMain->select(0, 5);
    f->optSelected->click();
    f->txtFind->setText("b");
    f->txtReplace->setText("cc");
    f->cmdFindNext->click();
    f->cmdReplace->click();
    f->cmdReplace->click();
    EXPECT_EQ(doc->txtMain->text(), "cc cc b b");
    EXPECT_EQ(selStart(doc), 6);  // the third "b", still inside the range
    // The last "b" of the range: the search after it ends the range (the fourth lies outside).
    expectMsgBox("was not found", vbOK);
    f->cmdReplace->click();
    EXPECT_EQ(doc->txtMain->text(), "cc cc cc b");
    EXPECT_EQ(edits.size(), 3u);
}

TEST_F(FindReplaceTest, AfterReplaceTheSearchGoesOnAfterTheReplacedText) {
    // Upper-casing tags: the replacement is itself a hit when case does not count, and the
    // replacement is typed after the first Find Next, as a user does.
    DocumentWindow* doc = page("<p><table></table>\r\n<table>");
    frmReplace* f = openDialog();
    QTest::keyClicks(f->txtFind, "table");
    f->cmdFindNext->click();
    ASSERT_EQ(selStart(doc), 4);
    QTest::keyClicks(f->txtReplace, "TABLE");
    f->cmdReplace->click();
    EXPECT_EQ(doc->txtMain->text(), "<p><TABLE></table>\r\n<table>");
    EXPECT_EQ(selStart(doc), 12);  // the end tag, not the replaced text again
    f->cmdFindNext->click();
    EXPECT_EQ(selStart(doc), 21);
    // The last hit: the search after the replaced text ends the pass.
    expectMsgBox("was not found", vbOK);
    f->cmdReplace->click();
    EXPECT_EQ(doc->txtMain->text(), "<p><TABLE></table>\r\n<TABLE>");
    EXPECT_TRUE(allAnswered());
}

TEST_F(FindReplaceTest, AHitFarDownIsScrolledIntoView) {
    QString text;
    for (int i = 0; i < 400; ++i) text += "<p>line " + QString::number(i) + "</p>\r\n";
    text += "<p>needle</p>\r\n";
    for (int i = 0; i < 400; ++i) text += "<p>more</p>\r\n";
    DocumentWindow* doc = page(text);
    doc->txtMain->resize(600, 300);
    QApplication::processEvents();
    frmReplace* f = dialogFor("needle");
    f->cmdFindNext->click();
    QApplication::processEvents();
    ASSERT_EQ(doc->txtMain->selText(), "needle");
    EXPECT_TRUE(doc->txtMain->viewport()->rect().contains(doc->txtMain->cursorRect()));
}

TEST_F(FindReplaceTest, ReplaceOnlyOverwritesTheHitThatIsStillSelected) {
    DocumentWindow* first = page("one two one");
    frmReplace* f = dialogFor("one", "1");
    f->cmdFindNext->click();
    ASSERT_EQ(selStart(first), 0);

    // The user selects something else: Replace looks for the next hit instead.
    first->txtMain->select(4, 3);
    f->cmdReplace->click();
    EXPECT_EQ(first->txtMain->text(), "one two one");
    EXPECT_EQ(selStart(first), 8);
    EXPECT_TRUE(edits.empty());
    expectMsgBox("was not found", vbOK);
    f->cmdReplace->click();
    EXPECT_EQ(first->txtMain->text(), "one two 1");

    // Another document comes to the front with a selection of its own: it is not overwritten,
    // and its search starts from its own beginning.
    edits.clear();
    f->txtFind->setText("two");
    f->cmdFindNext->click();
    ASSERT_EQ(selStart(first), 4);
    DocumentWindow* second = page("keep this two");
    second->txtMain->select(0, 4);
    ASSERT_EQ(activeDocument(), second);
    f->cmdReplace->click();
    EXPECT_EQ(second->txtMain->text(), "keep this two");
    EXPECT_EQ(first->txtMain->text(), "one two 1");
    EXPECT_EQ(selStart(second), 10);
    EXPECT_TRUE(edits.empty());
}

TEST_F(FindReplaceTest, ReplaceAllCountsRestoresTheCaretAndRecordsEachEdit) {
    DocumentWindow* doc = page("a a a");
    doc->txtMain->select(1, 0);
    frmReplace* f = dialogFor("a", "aa");
    expectMsgBox("The string 'a' was replaced 3 times.", vbOK);
    f->cmdReplaceAll->click();
    EXPECT_EQ(doc->txtMain->text(), "aa aa aa");  // inserted text is not searched again
    EXPECT_EQ(selStart(doc), 1);
    EXPECT_EQ(selLength(doc), 0);
    // Each replacement is an edit of its own: one undo step each, undone last first.
    EXPECT_EQ(doc->undoList().mid(doc->undoI - 3, 3),
              (QVector<UndoEntry>{{0, 2, "a"}, {3, 2, "a"}, {6, 2, "a"}}));
    EXPECT_EQ(mainWindow->lblCursorPos->text(), "Ln 1, Col 2");
    EXPECT_TRUE(f->cmdClose->isEnabled());
    EXPECT_TRUE(doc->txtMain->redraw());
    EXPECT_FALSE(doc->fileSaved);
    mainWindow->mnuEditUndo->trigger();
    EXPECT_EQ(doc->txtMain->text(), "aa aa a");
    mainWindow->mnuEditUndo->trigger();
    EXPECT_EQ(doc->txtMain->text(), "aa a a");
    mainWindow->mnuEditRedo->trigger();
    mainWindow->mnuEditRedo->trigger();
    EXPECT_EQ(doc->txtMain->text(), "aa aa aa");

    // Deleting every hit ends too, and a second Replace All starts a new pass.
    edits.clear();
    f->txtFind->setText("aa");
    f->txtReplace->setText("");
    expectMsgBox("The string 'aa' was replaced 3 times.", vbOK);
    f->cmdReplaceAll->click();
    EXPECT_EQ(doc->txtMain->text(), "  ");
    expectMsgBox("The string 'aa' was replaced 0 times.", vbOK);
    f->cmdReplaceAll->click();
}

// A replacement that closes a comment leaves what follows it coloured as typing the "-->" does.
TEST_F(FindReplaceTest, ReplaceAllThatClosesACommentRecoloursWhatFollowsIt) {
    DocumentWindow* doc = page("<p>x</p><!-- note XX <b>bold</b> more --> after <i>y</i>");
    colorCodeDocument(doc);
    RichTextBox* editor = doc->txtMain;
    ASSERT_EQ(editor->colorAt(int(editor->text().indexOf("<b>"))), commentColor);
    frmReplace* f = dialogFor("XX", "-->");
    expectMsgBox("The string 'XX' was replaced 1 times.", vbOK);
    f->cmdReplaceAll->click();
    const QString& t = editor->text();
    ASSERT_EQ(t, "<p>x</p><!-- note --> <b>bold</b> more --> after <i>y</i>");
    EXPECT_EQ(editor->colorAt(int(t.indexOf("-->"))), commentColor);
    EXPECT_EQ(editor->colorAt(int(t.indexOf("<b>"))), tagColorFor(u"b>"));
    EXPECT_EQ(editor->colorAt(int(t.indexOf("bold"))), 0);
    EXPECT_EQ(editor->colorAt(int(t.indexOf("more"))), 0);
    EXPECT_EQ(editor->colorAt(int(t.indexOf("<i>"))), tagColorFor(u"i>"));
}

TEST_F(FindReplaceTest, ReplaceAllRightAfterAHitReplacesThatHitToo) {
    DocumentWindow* doc = page("a a a a");
    frmReplace* f = dialogFor("a", "b");
    f->cmdFindNext->click();
    f->cmdFindNext->click();
    ASSERT_EQ(selStart(doc), 2);
    expectMsgBox("The string 'a' was replaced 3 times.", vbOK);
    f->cmdReplaceAll->click();
    EXPECT_EQ(doc->txtMain->text(), "a b b b");

    // In the selected-text scope as well.
    doc->txtMain->setText("a a a a");
    doc->txtMain->select(2, 3);
    f->optSelected->click();
    f->txtFind->setText("a");
    f->cmdFindNext->click();
    ASSERT_EQ(selStart(doc), 2);
    expectMsgBox("The string 'a' was replaced 2 times.", vbOK);
    f->cmdReplaceAll->click();
    EXPECT_EQ(doc->txtMain->text(), "a b b a");
}

// A replacement holding line breaks (as another program puts them on the clipboard, CR LF, or
// as this one does, LF) lands on screen where it lands in the text; edits made after it and the
// page saved then hold exactly what the user did. On a short line and on one long enough to be
// held in pieces.
TEST_F(FindReplaceTest, ReplaceAllWithLineBreaksKeepsTheScreenAndTheSavedTextAlike) {
    QString longLine = "<p>";
    for (int i = 0; longLine.size() < 12000; ++i) longLine += QStringLiteral("cat%1 ").arg(i % 10);
    longLine += "</p>";
    for (const QString& line : {QStringLiteral("<p>cat1 cat2 cat3 cat4 cat5</p>"), longLine}) {
        for (const QString& clip : {QStringLiteral("A\r\nB"), QStringLiteral("A\nB")}) {
            SCOPED_TRACE(QStringLiteral("line of %1, clipboard %2").arg(line.size()).arg(clip.size()).toStdString());
            const QString path = writeFile("page.html", (line + "\r\n").toUtf8());
            mainWindow->openFile(path);
            DocumentWindow* doc = activeDocument();
            ASSERT_NE(doc, nullptr);
            RichTextBox* editor = doc->txtMain;
            QApplication::clipboard()->setText(clip);

            frmReplace* f = openDialog();
            f->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(f));
            f->txtFind->setFocus();
            QTest::keyClicks(f->txtFind, "cat");
            QTest::keyClick(f->txtFind, Qt::Key_Tab);
            ASSERT_EQ(f->focusWidget(), f->txtReplace);
            QTest::keyClick(f->txtReplace, Qt::Key_V, Qt::ControlModifier);
            ASSERT_EQ(f->txtReplace->text(), clip);
            const int hits = int(line.count("cat"));
            expectMsgBox(QStringLiteral("The string 'cat' was replaced %1 times.").arg(hits), vbOK);
            f->cmdReplaceAll->click();

            QString model = line + "\r\n";
            model.replace("cat", "A\r\nB");
            ASSERT_EQ(editor->text(), model);
            // What the screen holds is that text.
            EXPECT_EQ(editor->document()->toPlainText(), QString(model).replace("\r\n", "\n"));

            // Ctrl+Home, Down three times, End, "QQ", Backspace four times, Ctrl+S.
            mainWindow->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(mainWindow));
            editor->setFocus();
            QTest::keyClick(editor, Qt::Key_Home, Qt::ControlModifier);
            for (int i = 0; i < 3; ++i) QTest::keyClick(editor, Qt::Key_Down);
            QTest::keyClick(editor, Qt::Key_End);
            QTest::keyClicks(editor, "QQ");
            for (int i = 0; i < 4; ++i) QTest::keyClick(editor, Qt::Key_Backspace);
            QStringList lines = model.split("\r\n");
            lines[3].chop(2);
            model = lines.join("\r\n");
            EXPECT_EQ(editor->text(), model);
            QTest::keyClick(editor, Qt::Key_S, Qt::ControlModifier);
            EXPECT_EQ(readFile(path), model.toUtf8());

            f->cmdClose->click();
            doc->unload();
            QApplication::processEvents();
        }
    }
}

TEST_F(FindReplaceTest, CommandsWithoutADocumentDoNothing) {
    DocumentWindow* doc = page("a");
    frmReplace* f = dialogFor("a", "b");
    expectMsgBox("Save changes", vbNo);
    doc->unload();
    QApplication::processEvents();
    ASSERT_EQ(activeDocument(), nullptr);
    f->cmdFindNext->click();
    f->cmdReplace->click();
    f->cmdReplaceAll->click();
    EXPECT_TRUE(f->cmdClose->isEnabled());
    f->cmdClose->click();
    EXPECT_EQ(replaceForm(), nullptr);
    // With no document the menu command opens nothing.
    mainWindow->mnuEditFindReplace->trigger();
    EXPECT_EQ(replaceForm(), nullptr);
}

}  // namespace
}  // namespace kavrin::test
