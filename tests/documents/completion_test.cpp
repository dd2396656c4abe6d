#include <QTest>

#include "documents/docstate.h"
#include "documents/tiphooks.h"
#include "documents/tips.h"
#include "editing.h"

namespace kavrin::test {
namespace {

class CompletionTest : public EditingTest {
protected:
    void SetUp() override {
        EditingTest::SetUp();
        tagCompletion = true;
        tagTipDelay = -1;  // the tips have tests of their own
    }
    void closeAngle() { QTest::keyClick(editor, '>', Qt::ShiftModifier); }
    // `text` as the document with the caret at its end, then ">" typed. (Typing it would let
    // its blanks complete the tag first.)
    QString closed(const QString& text) {
        setColoured(text);
        editor->setSelStart(editor->textLength());
        closeAngle();
        return editor->text();
    }
    QString blanked(const QString& text) {
        setColoured("");
        type(text);
        type(" ");
        return editor->text();
    }
};

TEST_F(CompletionTest, ClosingAStartTagWritesItsEndTagWithTheCaretBetween) {
    EXPECT_EQ(closed("<b"), "<b></b>");
    EXPECT_EQ(editor->selStart(), 3);
    type("bold");
    EXPECT_EQ(editor->text(), "<b>bold</b>");

    // The end tag comes from the lower-cased name; attributes are not part of it.
    EXPECT_EQ(closed("<TABLE border=1"), "<TABLE border=1></table>");
    EXPECT_EQ(editor->selStart(), 16);

    // Already closed close by: no second end tag.
    setColoured("<b</B>");
    editor->setSelStart(2);
    closeAngle();
    EXPECT_EQ(editor->text(), "<b></B>");
}

TEST_F(CompletionTest, TypingTheCloseSignOfACompletedTagStepsOverIt) {
    // With the default options the blank after the name closes the tag at once; the ">" typed
    // after the attributes then moves over the one already there.
    uppercaseTags = true;
    setColoured("");
    type("<table border=\"1\"");
    closeAngle();
    EXPECT_EQ(editor->text(), "<TABLE border=\"1\"></TABLE>");
    EXPECT_EQ(editor->selStart(), 18);
    type("x");
    EXPECT_EQ(editor->text(), "<TABLE border=\"1\">x</TABLE>");
    // The step over writes nothing: undo takes back the x, then the completion.
    doc->undoChange();
    EXPECT_EQ(editor->text(), "<TABLE border=\"1\"></TABLE>");

    // Inside a quoted value a ">" is part of the value and is typed.
    setColoured("<a title=\"></a>");
    editor->setSelStart(10);
    closeAngle();
    EXPECT_EQ(editor->text(), "<a title=\">></a>");
    // Without completion the ">" is typed as it comes.
    tagCompletion = uppercaseTags = false;
    setColoured("<b></b>");
    editor->setSelStart(2);
    closeAngle();
    EXPECT_EQ(editor->text(), "<b>></b>");
}

TEST_F(CompletionTest, TagsThatAreNotCompleted) {
    EXPECT_EQ(closed("<br"), "<br>");
    EXPECT_EQ(closed("<img src=x"), "<img src=x>");
    EXPECT_EQ(closed("<li"), "<li>");
    EXPECT_EQ(closed("</b"), "</b>");
    EXPECT_EQ(closed("<zork"), "<zork>");
    EXPECT_EQ(closed("<"), "<>");
    EXPECT_EQ(closed("x >"), "x >>");
    EXPECT_EQ(closed("<p"), "<p>");
    addEndingP = true;
    EXPECT_EQ(closed("<p"), "<p></p>");
    // A known tag whose class colour the user made the unrecognized colour is left alone.
    tagColor = unrecognizedColor;
    EXPECT_EQ(closed("<div"), "<div>");
}

TEST_F(CompletionTest, UpperCaseOptionWithAndWithoutCompletion) {
    uppercaseTags = true;
    EXPECT_EQ(closed("<a href='x y'"), "<A HREF='x y'></A>");
    EXPECT_EQ(editor->selStart(), 14);
    // A void tag is neither completed nor upper-cased while completion is on.
    EXPECT_EQ(closed("<br"), "<br>");

    tagCompletion = false;
    EXPECT_EQ(closed("<br class=\"x\""), "<BR CLASS=\"x\">");
    EXPECT_EQ(closed("<b title='it is'"), "<B TITLE='it is'>");
    // Outside a tag nothing is upper-cased.
    EXPECT_EQ(closed("a -"), "a ->");

    uppercaseTags = false;
    EXPECT_EQ(closed("<b"), "<b>");
}

TEST_F(CompletionTest, OneCompletionUndoesInTwoStepsOrThreeWithUpperCase) {
    closed("<b");
    doc->undoChange();
    EXPECT_EQ(editor->text(), "<b>");
    doc->undoChange();
    EXPECT_EQ(editor->text(), "<b");

    uppercaseTags = true;
    closed("<i");
    EXPECT_EQ(editor->text(), "<I></I>");
    doc->undoChange();
    EXPECT_EQ(editor->text(), "<i></i>");
    doc->undoChange();
    EXPECT_EQ(editor->text(), "<i>");
    doc->undoChange();
    EXPECT_EQ(editor->text(), "<i");
}

TEST_F(CompletionTest, ABlankAfterTheTagNameCompletesTheTagOrTheComment) {
    EXPECT_EQ(blanked("<b"), "<b ></b>");
    EXPECT_EQ(editor->selStart(), 3);
    EXPECT_EQ(blanked("<img"), "<img >");
    EXPECT_EQ(blanked("<!--"), "<!-- -->");
    EXPECT_EQ(editor->selStart(), 5);
    EXPECT_EQ(blanked("<p"), "<p >");
    addEndingP = true;
    EXPECT_EQ(blanked("<p"), "<p ></p>");
    EXPECT_EQ(blanked("</b"), "</b ");
    EXPECT_EQ(blanked("<zork"), "<zork ");

    // A tag already closed: the blank is just typed.
    setColoured("<b>");
    editor->setSelStart(2);
    type(" ");
    EXPECT_EQ(editor->text(), "<b >");

    uppercaseTags = true;
    EXPECT_EQ(blanked("<table"), "<TABLE ></TABLE>");
    doc->undoChange();
    EXPECT_EQ(editor->text(), "<table ></table>");
    doc->undoChange();
    EXPECT_EQ(editor->text(), "<table ");
    doc->undoChange();
    EXPECT_EQ(editor->text(), "<table");

    // Completion off: nothing but the blank.
    tagCompletion = false;
    EXPECT_EQ(blanked("<b"), "<b ");
}

TEST_F(CompletionTest, CompletionMarksASavedDocumentChanged) {
    setColoured("<b");
    editor->setSelStart(2);
    setFileSaved(doc, true);
    closeAngle();
    EXPECT_EQ(editor->text(), "<b></b>");
    EXPECT_FALSE(doc->fileSaved);
}

TEST_F(CompletionTest, CompletedTagsAndTypedCommentEndsAreColoured) {
    editor->tag = "T";
    colorCoding = true;
    setColoured("");
    type("<table");
    closeAngle();
    EXPECT_EQ(editor->text(), "<table></table>");
    EXPECT_EQ(shownColors(), passColors());

    setColoured("x <!-- note --");
    editor->setSelStart(editor->textLength());
    closeAngle();
    EXPECT_EQ(editor->text(), "x <!-- note -->");
    EXPECT_EQ(shownColors(), passColors());

    type(" <!--");
    type(" ");
    EXPECT_EQ(editor->text(), "x <!-- note --> <!-- -->");
    EXPECT_EQ(shownColors(), passColors());

    // Upper-casing alone keeps the tag's colour.
    tagCompletion = false;
    uppercaseTags = true;
    setColoured("");
    type("<a href='x'");
    closeAngle();
    EXPECT_EQ(editor->text(), "<A HREF='x'>");
    EXPECT_EQ(shownColors(), passColors());
}

}  // namespace
}  // namespace kavrin::test
