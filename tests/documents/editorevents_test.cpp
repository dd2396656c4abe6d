#include <QListWidget>
#include <QMenu>

#include "documents/docstate.h"
#include "editing.h"

namespace kavrin::test {
namespace {

class EditorEventsTest : public EditingTest {
protected:
    // A document that counts as colour coded from its first character, as a new one does.
    void startColoured() {
        editor->tag = "T";
        colorCoding = true;
    }
    int colorOf(int start, int length) const {
        const int c = editor->colorAt(start);
        for (int i = start; i < start + length; ++i)
            if (editor->colorAt(i) != c) return -1;
        return c;
    }
    QString caretCaption() const { return mainWindow->lblCursorPos->text(); }
};

TEST_F(EditorEventsTest, TypedTagsTakeTheirClassColourAndTextAroundThemStaysBlack) {
    startColoured();
    type("text <td");
    EXPECT_EQ(colorOf(5, 3), tableColor);  // coloured while still open
    type(">cell</td> <a href=\"x\">link</a><br>");
    EXPECT_EQ(editor->text(), "text <td>cell</td> <a href=\"x\">link</a><br>");
    EXPECT_EQ(shownColors(), passColors());

    // Changing a tag's name gives the whole tag the new class.
    editor->setSelStart(6);
    type("x");
    EXPECT_EQ(colorOf(5, 5), unrecognizedColor);
    key(Qt::Key_Backspace);
    EXPECT_EQ(shownColors(), passColors());
}

TEST_F(EditorEventsTest, LettersBesideTagsAndCommentsTakeTheRightColour) {
    setColoured("<b>x</b><!-- c -->");
    editor->setSelStart(0);
    type("a");  // before a tag
    EXPECT_EQ(editor->colorAt(0), 0);
    editor->setSelStart(9);
    type("q");  // before a comment
    EXPECT_EQ(editor->text(), "a<b>x</b>q<!-- c -->");
    EXPECT_EQ(editor->colorAt(9), 0);
    EXPECT_EQ(shownColors(), passColors());

    editor->setSelStart(15);
    type("zz");  // inside the comment
    EXPECT_EQ(editor->text(), "a<b>x</b>q<!-- zzc -->");
    EXPECT_EQ(colorOf(10, 12), commentColor);
    editor->setSelStart(editor->textLength());
    type("t");  // right after the comment
    EXPECT_EQ(editor->colorAt(22), 0);
    editor->setSelStart(4);
    type("y");  // right after a tag
    EXPECT_EQ(editor->colorAt(4), 0);
    EXPECT_EQ(shownColors(), passColors());
}

TEST_F(EditorEventsTest, SelectingATagAndPressingAKeyThatChangesNothingKeepsItsColour) {
    setColoured("x<b>bold</b>");
    editor->select(1, 3);
    key(Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(editor, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(colorOf(1, 3), fontColor);
    editor->select(1, 3);
    type("z");  // a key that replaces it types in black
    EXPECT_EQ(editor->text(), "xzbold</b>");
    EXPECT_EQ(editor->colorAt(1), 0);
}

TEST_F(EditorEventsTest, TabAndShiftTabInsertTheIndentText) {
    setColoured("<p>x</p>");
    editor->setSelStart(3);
    key(Qt::Key_Tab);
    EXPECT_EQ(editor->text(), "<p>    x</p>");
    key(Qt::Key_Backtab);
    EXPECT_EQ(editor->text(), "<p>        x</p>");
    editor->select(3, 9);
    key(Qt::Key_Tab);
    EXPECT_EQ(editor->text(), "<p>    </p>");
    EXPECT_EQ(doc->undoI, 3);
    QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(editor->text(), "<p>        x</p>");
}

TEST_F(EditorEventsTest, EnterKeepsALineIndentedByBlanksAsTwoUndoSteps) {
    autoIndent = true;
    ignoreChange = true;
    editor->setText("    <td>\r\n\t<tr>");
    ignoreChange = false;
    setFileSaved(doc, true);
    editor->setSelStart(8);
    key(Qt::Key_Return);
    EXPECT_EQ(editor->text(), "    <td>\r\n    \r\n\t<tr>");
    EXPECT_EQ(editor->selStart(), 14);
    EXPECT_EQ(undoSteps(), (QVector<UndoEntry>{{8, 2, ""}, {10, 4, ""}}));
    EXPECT_FALSE(doc->fileSaved);  // the indent is an edit like any other
    QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(editor->text(), "    <td>\r\n\r\n\t<tr>");

    // A tab-indented line gets no indent.
    editor->setSelStart(editor->textLength());
    key(Qt::Key_Return);
    EXPECT_EQ(editor->text(), "    <td>\r\n\r\n\t<tr>\r\n");

    // With a selection, or with the option off, Enter is only a line break.
    editor->select(2, 2);
    key(Qt::Key_Return);
    EXPECT_EQ(editor->text(), "  \r\n<td>\r\n\r\n\t<tr>\r\n");
    autoIndent = false;
    editor->setSelStart(6);
    key(Qt::Key_Return);
    EXPECT_EQ(editor->text(), "  \r\n<t\r\nd>\r\n\r\n\t<tr>\r\n");
}

TEST_F(EditorEventsTest, TheStatusBarShowsTheCaretsLineAndColumn) {
    editor->setFocus();
    type("ab");
    key(Qt::Key_Return);
    type("cde");
    QApplication::processEvents();
    EXPECT_EQ(caretCaption(), "Ln 2, Col 4");
    key(Qt::Key_Home);
    QApplication::processEvents();
    EXPECT_EQ(caretCaption(), "Ln 2, Col 1");
    editor->setSelStart(0);
    QApplication::processEvents();
    EXPECT_EQ(caretCaption(), "Ln 1, Col 1");
}

TEST_F(EditorEventsTest, TheTipListTakesArrowsAndLettersAndOtherKeysCloseIt) {
    setColoured("<img ");
    editor->setSelStart(5);
    doc->lstTip->addItems({"align", "alt", "border", "height"});
    doc->lstTip->setCurrentRow(0);
    doc->lstTip->show();

    key(Qt::Key_Down);
    key(Qt::Key_Down);
    EXPECT_EQ(doc->lstTip->currentRow(), 2);
    key(Qt::Key_Up);
    EXPECT_EQ(doc->lstTip->currentRow(), 1);
    EXPECT_EQ(editor->selStart(), 5);  // the keys went to the list only
    type("h");
    EXPECT_EQ(doc->lstTipStr, "h");
    EXPECT_EQ(doc->lstTip->currentRow(), 3);
    EXPECT_EQ(editor->text(), "<img h");

    key(Qt::Key_Tab);  // takes the tip in place of the typed letters; the editor gets no tab
    EXPECT_EQ(editor->text(), "<img height");
    EXPECT_TRUE(doc->lstTip->isHidden());
    doc->lstTip->show();

    // Ctrl+Z arriving as one key while the list is open extends the typed letters, then
    // undoes. (Pressing Ctrl on its own first closes the list.)
    QKeyEvent ctrlZ(QEvent::KeyPress, Qt::Key_Z, Qt::ControlModifier, QString(QChar(26)));
    QApplication::sendEvent(editor, &ctrlZ);
    EXPECT_EQ(doc->lstTipStr, "hz");
    EXPECT_EQ(editor->text(), "<img h");

    key(Qt::Key_Left);
    EXPECT_TRUE(doc->lstTip->isHidden());
    doc->lstTip->show();
    tagTipDelay = -1;  // with tips on, the blank would open the tag's own list
    type(" ");
    EXPECT_TRUE(doc->lstTip->isHidden());
}

TEST_F(EditorEventsTest, ARightClickShowsThePopUpMenuAndALeftClickClosesTheTipList) {
    setColoured("<p>x</p>");
    doc->lstTip->show();
    QTest::mouseClick(editor->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(doc->lstTip->isHidden());

    QTest::mouseClick(editor->viewport(), Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_TRUE(mainWindow->mnuPopup->isVisible());
    EXPECT_TRUE(mainWindow->mnuPopupEditTag->isEnabled());  // the caret is in <p>, which has its dialog
    mainWindow->mnuPopup->hide();
}

TEST_F(EditorEventsTest, TypingFarFromAnyTagOrBehindAnUnclosedCommentColoursRight) {
    // No "<" or comment anywhere before the caret: the searches must not mis-step.
    startColoured();
    ignoreChange = true;
    editor->setText(QString(200000, 'w') + "<!-- x");
    ignoreChange = false;
    editor->setSelStart(100000);
    type("ab");
    EXPECT_EQ(colorOf(99990, 20), 0);
    editor->setSelStart(editor->textLength());
    type("y");
    // An unclosed comment is no comment; its "<" opens an unrecognised tag.
    EXPECT_EQ(editor->colorAt(editor->textLength() - 1), unrecognizedColor);
}

TEST_F(EditorEventsTest, TagsTypedInFrontOfTextTakeTheirClassWhileTypedEndTagsToo) {
    setColoured("<p>one two three</p>\r\n<p>four</p>");
    editor->setSelStart(7);
    type("<b");
    EXPECT_EQ(colorOf(7, 2), fontColor);  // not the unknown "btwo"
    type(">x</b");
    EXPECT_EQ(colorOf(11, 3), fontColor);  // an end tag has its start tag's class
    type(">");
    EXPECT_EQ(editor->text(), "<p>one <b>x</b>two three</p>\r\n<p>four</p>");
    EXPECT_EQ(shownColors(), passColors());
    editor->setSelStart(4);
    type("</td");
    EXPECT_EQ(colorOf(4, 4), tableColor);
    type("> <a href=\"y\">z</a>");
    EXPECT_EQ(shownColors(), passColors());
}

// A comment opened at the top of a page runs on to the page's next "-->" and colours all of it;
// once it is closed earlier, by hand or by completion, what follows is no comment any more.
TEST_F(EditorEventsTest, ClosingACommentGivesTheTextAfterItItsOwnColoursAgain) {
    const QString page = QString::fromUtf8(readFile(KAVRIN_SOURCE_DIR "/tests/documents/pages/readline.html"));
    ASSERT_GT(page.size(), 100000);
    const auto typeCommentAtTop = [&](const QString& keys) {
        setColoured(page);
        colorCoding = true;
        editor->setSelStart(0);
        type(keys);
    };
    typeCommentAtTop("<!-- note");
    const int next = int(editor->text().indexOf("-->"));
    ASSERT_GT(next, 1000);
    EXPECT_EQ(colorOf(0, next + 3), commentColor);  // while it is open
    type(" -->");
    EXPECT_EQ(shownColors(), passColors());

    // The ">" typed just in front of a "-->" that stays: nothing after it changes.
    typeCommentAtTop("<!-- a <b -->");
    EXPECT_EQ(shownColors(), passColors());

    tagCompletion = true;
    typeCommentAtTop("<!-- ");
    EXPECT_TRUE(editor->text().startsWith("<!-- -->"));
    EXPECT_EQ(shownColors(), passColors());
    type("x");
    EXPECT_EQ(editor->colorAt(5), commentColor);
}

TEST_F(EditorEventsTest, TakingBackACommentOpenerOrCloserRecoloursWhatItCovered) {
    const QString page = "<p>one</p>\r\n<b>two</b> <!-- note -->\r\n<i>three</i>";
    setColoured(page);
    colorCoding = true;
    editor->setSelStart(0);
    type("<!--");
    EXPECT_EQ(colorOf(0, 20), commentColor);
    key(Qt::Key_Backspace);
    EXPECT_EQ(shownColors(), passColors());

    // The whole opener selected and deleted.
    setColoured(page);
    editor->setSelStart(0);
    type("<!--");
    editor->setSelStart(0);
    editor->setSelLength(4);
    key(Qt::Key_Delete);
    EXPECT_EQ(editor->text(), page);
    EXPECT_EQ(shownColors(), passColors());

    // A closer taken back lets the comment run on to the next one, and typed again ends it.
    setColoured("<!-- one -->\r\n<b>two</b>\r\n<!-- three -->\r\n<i>four</i>");
    editor->setSelStart(12);
    key(Qt::Key_Backspace);
    EXPECT_EQ(shownColors(), passColors());
    type(">");
    EXPECT_EQ(shownColors(), passColors());
}

}  // namespace
}  // namespace kavrin::test
