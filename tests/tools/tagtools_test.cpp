// Change Tag Case and Strip HTML Tags: the scanners on their own, then both commands from the
// Tools menu on open documents.
#include <QApplication>
#include <QTest>

#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "fixture.h"
#include "qstringprint.h"
#include "mainwindow/mdiMain.h"
#include "platform/forms/msgbox.h"
#include "tools/frmTagCase.h"
#include "tools/tagscan.h"

namespace kavrin::test {
namespace {

TEST(TagScanTest, TagCaseConvertsNamesAttributesAndBareValuesButNotQuotedPartsOrText) {
    EXPECT_EQ(changeTagCase("<a href=\"page.html\">Link</a>", true), "<A HREF=\"page.html\">Link</A>\r\n");
    EXPECT_EQ(changeTagCase("<IMG SRC=X.GIF> Text", false), "<img src=x.gif> Text\r\n");
    // A tag over two lines is converted on both; the quote state runs on across lines too.
    EXPECT_EQ(changeTagCase("<td\r\nalign=right title=\"A\r\nB\">Cell</td>", true),
              "<TD\r\nALIGN=RIGHT TITLE=\"A\r\nB\">Cell</TD>\r\n");
    // A quotation mark in plain text protects the following tag until the next one.
    EXPECT_EQ(changeTagCase("He said \"hi <b>x</b> \" <i>y</i>", true), "He said \"hi <b>x</b> \" <I>y</I>\r\n");
    // Every line ends in CR LF afterwards; an empty text stays empty.
    EXPECT_EQ(changeTagCase("<p>\r\n<br>\r\n", true), "<P>\r\n<BR>\r\n");
    EXPECT_EQ(changeTagCase("", true), "");
    // Line ends of any kind are read as line ends.
    EXPECT_EQ(changeTagCase("<p>\n<br>\r<hr>", true), "<P>\r\n<BR>\r\n<HR>\r\n");
}

TEST(TagScanTest, CommentsAndScriptsInCommentsKeepTheirCase) {
    EXPECT_EQ(changeTagCase("<!-- <b>x</b> --><b>y</b>", true), "<!-- <b>x</b> --><B>y</B>\r\n");
    // The character right after "<!--" is not lost.
    EXPECT_EQ(changeTagCase("<!--x-->", true), "<!--x-->\r\n");
    EXPECT_EQ(changeTagCase("<script><!--\r\nif (a < b && c > d) go();\r\n// --></script>", true),
              "<SCRIPT><!--\r\nif (a < b && c > d) go();\r\n// --></SCRIPT>\r\n");
    // Script outside a comment is what the dialog warns about: "<" starts a tag there.
    EXPECT_EQ(changeTagCase("<script>if (a<b) x=1;</script>", false), "<script>if (a<b) x=1;</script>\r\n");
    EXPECT_EQ(changeTagCase("<script>if (a<b) x=1;</script>", true), "<SCRIPT>if (a<B) X=1;</SCRIPT>\r\n");
    // A ">" inside a quoted value ends the tag there too.
    EXPECT_EQ(changeTagCase("<a title=\"x>y\" href=z>t</a>", true), "<A TITLE=\"x>y\" href=z>t</A>\r\n");
}

TEST(TagScanTest, StripTagsKeepsTheTextAndTheLines) {
    EXPECT_EQ(stripTags("<b>Hello</b>"), "Hello\r\n");
    EXPECT_EQ(stripTags("Hello! <!DOCTYPE html>"), "Hello! \r\n");
    // A comment over several lines goes whole; the text right after it stays.
    EXPECT_EQ(stripTags("a<!-- one\r\n<b>two</b>\r\nthree -->b<i>c</i>"), "a\r\n\r\nb" "c\r\n");
    EXPECT_EQ(stripTags("<!--x-->y"), "y\r\n");
    // A line of tags alone becomes an empty line: the number of lines stays.
    EXPECT_EQ(stripTags("<table>\r\n<tr><td>1</td></tr>\r\n</table>"), "\r\n1\r\n\r\n");
    // A ">" inside a quoted value ends the tag there, as the question warns.
    EXPECT_EQ(stripTags("<a title=\"x>y\">t</a>"), "y\"t\r\n");
    // A selection that ends with a line end gets one more line end, as each line does.
    EXPECT_EQ(stripTags("<p>a</p>\r\n"), "a\r\n\r\n");
}

class TagToolsTest : public KavrinTest {
protected:
    void SetUp() override {
        KavrinTest::SetUp();
        mainWindow = new mdiMain();
        mainWindow->show();
    }

    // A saved page on disk, open in a document window.
    DocumentWindow* openPage(const QString& name, const QByteArray& bytes) {
        const QString path = writeFile("" + name, bytes);
        mainWindow->openFile(path);
        DocumentWindow* doc = activeDocument();
        EXPECT_NE(doc, nullptr);
        EXPECT_TRUE(doc->fileSaved);
        return doc;
    }

    void answerTagCase(int option) {
        expectModal("frmTagCase", [option](Form& form) {
            auto& dialog = static_cast<frmTagCase&>(form);
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_EQ(dialog.caption(), "Change Tag Case");
            EXPECT_TRUE(dialog.optTagCase[0]->isChecked());
            if (option < 0) {
                dialog.close();  // by its frame
                return;
            }
            if (option == 2) {
                dialog.cmdCancel->click();
                return;
            }
            dialog.optTagCase[option]->click();
            // The warning never keeps the focus.
            dialog.activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
            dialog.Text1->setFocus();
            EXPECT_TRUE(dialog.cmdOk->hasFocus());
            QTest::keyClick(&dialog, Qt::Key_Return);
        });
    }
};

TEST_F(TagToolsTest, ChangeTagCaseIsOneUndoStepAndLeavesTheFileAlone) {
    const QByteArray bytes = "<html>\r\n<!-- keep <b> -->\r\n<a href=\"Page.html\">Go</a>\r\n</html>";
    DocumentWindow* doc = openPage("page.html", bytes);
    const QString path = doc->filePath;
    const QString before = doc->txtMain->text();
    const int undoBefore = doc->undoI;

    answerTagCase(0);
    mainWindow->mnuToolsChangeTagCase->trigger();
    EXPECT_EQ(doc->txtMain->text(), "<HTML>\r\n<!-- keep <b> -->\r\n<A HREF=\"Page.html\">Go</A>\r\n</HTML>\r\n");
    EXPECT_FALSE(doc->fileSaved);
    EXPECT_EQ(doc->undoI, undoBefore + 1);
    // Nothing was written: saving stays the user's choice.
    EXPECT_EQ(readFile(path), bytes);

    mainWindow->mnuEditUndo->trigger();
    EXPECT_EQ(doc->txtMain->text(), before);

    answerTagCase(1);
    mainWindow->mnuToolsChangeTagCase->trigger();
    EXPECT_EQ(doc->txtMain->text(), "<html>\r\n<!-- keep <b> -->\r\n<a href=\"Page.html\">Go</a>\r\n</html>\r\n");
}

TEST_F(TagToolsTest, CancelAndClosingTheQuestionChangeNothing) {
    DocumentWindow* doc = openPage("page.html", "<b>x</b>");
    const int undoBefore = doc->undoI;
    answerTagCase(2);
    mainWindow->mnuToolsChangeTagCase->trigger();
    answerTagCase(-1);
    mainWindow->mnuToolsChangeTagCase->trigger();
    EXPECT_EQ(doc->txtMain->text(), "<b>x</b>");
    EXPECT_TRUE(doc->fileSaved);
    EXPECT_EQ(doc->undoI, undoBefore);
}

TEST_F(TagToolsTest, StripTagsReplacesTheSelectionAsOneUndoStep) {
    DocumentWindow* doc = openPage("page.html", "Say <b>Hello</b>! <!-- note --> end");
    const QString before = doc->txtMain->text();

    // Nothing selected: only the explanation.
    doc->txtMain->select(2, 0);
    expectMsgBox("This function operates on the selected region of a document.", vbOK);
    mainWindow->mnuToolsRemoveTags->trigger();

    // No keeps everything as it was.
    doc->txtMain->select(4, 12);
    expectMsgBox("This procedure will remove all HTML tags from the selected region.", vbNo);
    mainWindow->mnuToolsRemoveTags->trigger();
    EXPECT_EQ(doc->txtMain->text(), before);
    EXPECT_TRUE(doc->fileSaved);

    doc->txtMain->select(4, 29);  // "<b>Hello</b>! <!-- note --> e"
    expectMsgBox("Do you wish to continue?", vbYes);
    mainWindow->mnuToolsRemoveTags->trigger();
    EXPECT_EQ(doc->txtMain->text(), "Say Hello!  e\r\nnd");
    EXPECT_EQ(doc->txtMain->selStart(), 4);
    EXPECT_EQ(doc->txtMain->selLength(), 0);
    EXPECT_EQ(doc->txtMain->colorAt(4), 0);
    EXPECT_FALSE(doc->fileSaved);

    mainWindow->mnuEditUndo->trigger();
    EXPECT_EQ(doc->txtMain->text(), before);
}

}  // namespace
}  // namespace kavrin::test
