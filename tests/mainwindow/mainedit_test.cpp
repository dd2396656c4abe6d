#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMimeData>

#include "../documents/editing.h"

namespace kavrin::test {
namespace {

class EditCommandsTest : public EditingTest {
protected:
    QString clipboard() const { return QApplication::clipboard()->text(); }
    void setClipboard(const QString& text) { QApplication::clipboard()->setText(text); }
};

TEST_F(EditCommandsTest, CopyAndCutNeedASelectionAndCutIsOneUndoStep) {
    setColoured("one <b>two</b>\r\nthree");
    setClipboard("kept");
    editor->setSelStart(2);
    mainWindow->mnuEditCopy_Click();
    mainWindow->mnuEditCut_Click();
    EXPECT_EQ(clipboard(), "kept");
    EXPECT_EQ(doc->undoI, 0);

    editor->select(4, 10);
    mainWindow->tbrMainA->button("copy")->trigger();
    EXPECT_EQ(clipboard(), "<b>two</b>");
    editor->select(7, 10);  // across the line break: the clipboard gets a plain line feed
    mainWindow->mnuPopupCut->trigger();
    EXPECT_EQ(clipboard(), "two</b>\nt");
    EXPECT_EQ(editor->text(), "one <b>hree");
    EXPECT_EQ(undoSteps(), (QVector<UndoEntry>{{7, 0, "two</b>\r\nt"}}));
    QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(editor->text(), "one <b>two</b>\r\nthree");
    EXPECT_EQ(shownColors(), passColors());
}

TEST_F(EditCommandsTest, TheClipboardKeysWorkInTheEditor) {
    setColoured("<p>abc</p>");
    editor->select(3, 3);
    QTest::keyClick(editor, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(editor->text(), "<p></p>");
    EXPECT_EQ(clipboard(), "abc");
    editor->setSelStart(0);
    QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(editor->text(), "abc<p></p>");
    EXPECT_EQ(editor->selStart(), 3);
    editor->select(0, 1);
    QTest::keyClick(editor, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard(), "a");
    EXPECT_EQ(undoSteps().size(), 2);
    EXPECT_EQ(shownColors(), passColors());
}

// A longer paste is coloured as a whole-page pass colours it, without the pass over the page.
TEST_F(EditCommandsTest, PastesUpTo12000CharactersAreRecolouredAroundThemAndLongerOnesAsTheWholePassWould) {
    for (const int n : {12000, 12001}) {
        SCOPED_TRACE(n);
        setColoured("<p></p>");
        QString text;
        while (text.size() + text.count('\n') < n - 60) text += "<td>cell</td><!-- c --> text\n";
        text += QString(n - text.size() - text.count('\n'), 'z');  // each "\n" becomes CR LF
        setClipboard(text);
        editor->setSelStart(3);
        mainWindow->mnuEditPaste_Click();
        EXPECT_EQ(editor->textLength(), 7 + n);
        EXPECT_FALSE(wholePassRan());
        EXPECT_EQ(editor->selStart(), 3 + n);
        EXPECT_EQ(shownColors(), passColors());
        EXPECT_EQ(undoSteps().last(), (UndoEntry{3, n, ""}));
        QApplication::processEvents();
        const int lastLine = int(text.size() - text.lastIndexOf('\n') - 1);
        EXPECT_EQ(mainWindow->lblCursorPos->text(),
                  QString("Ln %1, Col %2").arg(text.count('\n') + 1).arg(lastLine + 1));
    }
}

// A long paste goes in already coloured: over a selection that starts inside a comment and ends
// inside a tag, with text that opens a comment of its own and does not close it, line breaks of
// either kind and letters beyond ASCII. Undo gives the page and its colours back.
TEST_F(EditCommandsTest, ALongPasteOverASelectionIsColouredAsTheWholePassAndUndoneWhole) {
    const QString page = QString::fromUtf8("<p>caf\xC3\xA9</p><!-- one\r\ntwo --><b class=\"x\">bold</b>\r\n<i>end</i>");
    setColoured(page);
    QString text;
    while (text.size() < 13000) text += QString::fromUtf8("<td>\xC3\xBC</td>\r\n<a href=\"x\">l</a>\n");
    text += "<!-- left open ";
    setClipboard(text);
    const int from = int(page.indexOf("two")), to = int(page.indexOf("class"));
    editor->select(from, to - from);
    mainWindow->mnuEditPaste_Click();
    QString want = page;
    want.replace(from, to - from, QString(text).replace("\r\n", "\n").replace("\n", "\r\n"));
    EXPECT_EQ(editor->text(), want);
    EXPECT_FALSE(wholePassRan());
    EXPECT_EQ(shownColors(), passColors());
    mainWindow->mnuEditUndo_Click();
    EXPECT_EQ(editor->text(), page);
    EXPECT_EQ(shownColors(), passColors());
    mainWindow->mnuEditRedo_Click();
    EXPECT_EQ(editor->text(), want);
    EXPECT_EQ(shownColors(), passColors());
}

TEST_F(EditCommandsTest, PastedTextBesideATagDoesNotTakeItsColourInAnUncodedDocument) {
    setColoured("<b>x</b><!-- c -->");
    colorCoding = false;
    setClipboard("y");
    editor->setSelStart(3);  // after ">"
    mainWindow->mnuEditPaste_Click();
    editor->setSelStart(5);  // before "<"
    mainWindow->mnuEditPaste_Click();
    EXPECT_EQ(editor->text(), "<b>yxy</b><!-- c -->");
    EXPECT_EQ(editor->colorAt(3), 0);
    EXPECT_EQ(editor->colorAt(5), 0);
    editor->setSelStart(editor->textLength());  // after a comment's ">": its colour stays
    mainWindow->mnuEditPaste_Click();
    EXPECT_EQ(editor->colorAt(editor->textLength() - 1), commentColor);
}

TEST_F(EditCommandsTest, AClipboardWithoutTextPastesNothingAndKeepsTheSelection) {
    setColoured("<p>keep</p>");
    auto* data = new QMimeData;
    data->setImageData(QImage(4, 4, QImage::Format_RGB32));
    QApplication::clipboard()->setMimeData(data);
    editor->select(3, 4);
    mainWindow->mnuEditPaste_Click();
    EXPECT_EQ(editor->text(), "<p>keep</p>");
    EXPECT_EQ(editor->selLength(), 4);
    EXPECT_EQ(doc->undoI, 0);
}

TEST_F(EditCommandsTest, CommandsReachOnlyTheSourceViewOfAnOpenDocument) {
    setColoured("<p>x</p>");
    setClipboard("new");
    doc->mode = 2;
    editor->select(3, 1);
    mainWindow->mnuEditCut_Click();
    mainWindow->mnuEditPaste_Click();
    mainWindow->mnuEditUndo_Click();
    EXPECT_EQ(editor->text(), "<p>x</p>");
    EXPECT_EQ(clipboard(), "new");
    doc->mode = 0;

    doc->fileSaved = true;
    doc->unload();
    ASSERT_EQ(activeDocument(), nullptr);
    mainWindow->mnuEditCopy_Click();
    mainWindow->mnuEditCut_Click();
    mainWindow->mnuEditPaste_Click();
    mainWindow->mnuEditUndo_Click();
    mainWindow->mnuEditRedo_Click();
    EXPECT_EQ(clipboard(), "new");
}

}  // namespace
}  // namespace kavrin::test
