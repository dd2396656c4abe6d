#include "documents/inserthtml.h"
#include "editing.h"

namespace kavrin::test {
namespace {

using InsertHtmlTest = EditingTest;

TEST_F(InsertHtmlTest, TheFourModesPlaceTagsSelectionAndExtraTextAsOneUndoStep) {
    struct Case {
        int mode;
        int selected;  // "word" selected, or the caret before it
        QString expected;
    };
    // Start tag, end tag, extra text "X" into "a word b".
    const Case cases[] = {
        {1, 4, "a <b>word</b>X b"}, {2, 4, "a <b>X</b>word b"}, {3, 4, "a <b>X</b> b"}, {4, 4, "a <b></b>X b"},
        {1, 0, "a <b></b>Xword b"}, {2, 0, "a <b>X</b>word b"}, {3, 0, "a <b>X</b>word b"}, {4, 0, "a <b></b>Xword b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString("mode %1, %2 selected").arg(c.mode).arg(c.selected).toStdString());
        setColoured("a word b");
        editor->select(2, c.selected);
        insertHtml("<b>", "</b>", "X", c.mode);
        EXPECT_EQ(editor->text(), c.expected);
        // After the inserted text less the end tag.
        const int inserted = int(c.expected.size()) - 8 + c.selected;
        EXPECT_EQ(editor->selStart(), 2 + inserted - 4);
        EXPECT_EQ(editor->selLength(), 0);
        EXPECT_EQ(shownColors(), passColors());
        EXPECT_EQ(undoSteps().size(), 1);
        EXPECT_EQ(doc->redoI, 0);
        EXPECT_FALSE(doc->fileSaved);
        QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(editor->text(), "a word b");
        EXPECT_EQ(shownColors(), passColors());
    }
}

TEST_F(InsertHtmlTest, WrappingPutsTheCaretBeforeTheEndTagAndMode3ReplacesATag) {
    setColoured("say hello now");
    editor->select(4, 5);
    insertHtml("<b>", "</b>", "", 1);
    EXPECT_EQ(editor->text(), "say <b>hello</b> now");
    EXPECT_EQ(editor->selStart(), 12);

    editor->setSelStart(0);
    insertHtml("<i>", "</i>", "", 1);  // no selection: the caret between the tags
    EXPECT_EQ(editor->text(), "<i></i>say <b>hello</b> now");
    EXPECT_EQ(editor->selStart(), 3);

    editor->select(11, 3);  // Edit Tag: the selected start tag replaced, caret after it
    insertHtml("<b class=\"x\">", "", "", 3);
    EXPECT_EQ(editor->text(), "<i></i>say <b class=\"x\">hello</b> now");
    EXPECT_EQ(editor->selStart(), 24);
    EXPECT_EQ(shownColors(), passColors());
    EXPECT_EQ(undoSteps().last(), (UndoEntry{11, 13, "<b>"}));
}

TEST_F(InsertHtmlTest, UpperCaseTagsLeavesQuotedValuesAndTheExtraTextAlone) {
    uppercaseTags = true;
    setColoured("x");
    editor->setSelStart(1);
    insertHtml("<td align=\"left\" title='Mixed Case'>", "</td>", "Cell <i>text</i>", 4);
    EXPECT_EQ(editor->text(), "x<TD ALIGN=\"left\" TITLE='Mixed Case'></TD>Cell <i>text</i>");

    uppercaseTags = false;
    editor->setSelStart(0);
    insertHtml("<td align=\"left\">", "</td>", "", 1);
    EXPECT_EQ(editor->text().left(22), "<td align=\"left\"></td>");
}

TEST(UpperCaseTag, OnlyNamesAndUnquotedValuesInsideTags) {
    EXPECT_EQ(upperCaseTag("<a href=\"Page.htm\" target=_blank>Text</a>"),
              "<A HREF=\"Page.htm\" TARGET=_BLANK>Text</A>");
    EXPECT_EQ(upperCaseTag("<img alt='It\"s' src=\"Don't.gif\">"), "<IMG ALT='It\"s' SRC=\"Don't.gif\">");
    EXPECT_EQ(upperCaseTag("plain \"text\" <b>"), "plain \"text\" <B>");
    // An unclosed value ends at the tag's end; the next tag starts fresh.
    EXPECT_EQ(upperCaseTag("<p title=\"open><i>x"), "<P TITLE=\"open><I>x");
    EXPECT_EQ(upperCaseTag(""), "");
}

TEST_F(InsertHtmlTest, From25001CharactersTheWholeDocumentIsRecoloured) {
    for (const int n : {25000, 25001}) {
        SCOPED_TRACE(n);
        setColoured("<p>a</p>");
        QString rows;
        while (rows.size() < n - 60) rows += "<tr><td>x</td></tr><!-- r -->\r\n";
        rows += QString(n - 15 - rows.size(), 'y');
        editor->setSelStart(3);
        insertHtml("<table>", "</table>", rows, 4);
        EXPECT_EQ(editor->text().size(), 8 + n);
        EXPECT_EQ(wholePassRan(), n == 25001);
        EXPECT_EQ(shownColors(), passColors());
        EXPECT_EQ(editor->selStart(), 3 + n - 8);
    }
}

TEST_F(InsertHtmlTest, LineBreaksCountAsTheEditorKeepsThemAndBadCallsChangeNothing) {
    setColoured("<body></body>");
    editor->setSelStart(6);
    insertHtml("<ul>\n", "</ul>\n", "<li>one\n<li>two\n", 2);
    EXPECT_EQ(editor->text(), "<body><ul>\r\n<li>one\r\n<li>two\r\n</ul>\r\n</body>");
    EXPECT_EQ(editor->selStart(), 6 + 6 + 18);
    EXPECT_EQ(shownColors(), passColors());

    editor->select(0, 6);
    insertHtml("<b>", "</b>", "", 0);
    insertHtml("<b>", "</b>", "", 5);
    EXPECT_EQ(editor->text(), "<body><ul>\r\n<li>one\r\n<li>two\r\n</ul>\r\n</body>");
    EXPECT_EQ(editor->selLength(), 6);

    // In the design view the source is not the target.
    doc->mode = 2;
    insertHtml("<b>", "</b>", "", 1);
    doc->mode = 0;
    EXPECT_EQ(editor->text(), "<body><ul>\r\n<li>one\r\n<li>two\r\n</ul>\r\n</body>");
}

}  // namespace
}  // namespace kavrin::test
