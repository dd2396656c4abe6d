// Bold, italic and underline in the design view, given with the keys: the selected text alone
// changes, in the file as saved, byte for byte, and the toolbar tells how the text shows.
#include "designpage.h"
#include "documents/inserthtml.h"

namespace kavrin::test {
namespace {

class DesignFormatTest : public DesignPageTest {
protected:
    // Selects `count` characters from the place just before `text`, with Shift and the arrow key.
    static void selectFrom(DocumentWindow* doc, const QString& text, int count, const QString& selected) {
        clickBefore(doc, text);
        for (int i = 0; i < count; ++i) QTest::keyClick(input(doc), Qt::Key_Right, Qt::ShiftModifier);
        EXPECT_TRUE(QTest::qWaitFor([&] { return js(doc, "getSelection().toString()").toString() == selected; }, kWait))
            << js(doc, "getSelection().toString()").toString().toStdString();
    }

    // A click before the first word of an indented line, and Shift+Ctrl+Right: the engine puts
    // the caret among the spaces the line starts with, so the selection holds them too.
    static void selectIndentedWord(DocumentWindow* doc, const QString& word) {
        QTest::mouseClick(input(doc), Qt::LeftButton, {}, placeOf(doc, word, true));
        EXPECT_TRUE(QTest::qWaitFor([&] { return js(doc, "getSelection().isCollapsed && getSelection().anchorNode.nodeType === 3").toBool(); }, kWait));
        QTest::keyClick(input(doc), Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_TRUE(QTest::qWaitFor([&] { return js(doc, "getSelection().toString().trim()").toString() == word; }, kWait))
            << js(doc, "getSelection().toString()").toString().toStdString();
    }

    // A key with Ctrl, then the page's report of it.
    static void ctrl(DocumentWindow* doc, Qt::Key key, const QString& shows) {
        QTest::keyClick(input(doc), key, Qt::ControlModifier);
        EXPECT_TRUE(QTest::qWaitFor([&] { return currentHtml(*doc->dhtm).contains(shows); }, kWait))
            << currentHtml(*doc->dhtm).toStdString();
    }

    // The toolbar's Bold button comes to say `on` (pressed or not) for the selection.
    static bool boldShownAs(DocumentWindow* doc, bool on) {
        return QTest::qWaitFor([&] { return doc->dhtm->QueryStatus(DECMD_BOLD) == (on ? DECMDF_LATCHED : DECMDF_ENABLED); }, kWait);
    }

    QByteArray saved(DocumentWindow* doc) {
        view(doc, 0);
        mainWindow->mnuFileSave_Click();
        EXPECT_TRUE(doc->fileSaved);
        return readFile(path);
    }
};

// A style of the page makes the text bold: a new element turns it off, the page's attribute
// stays as the author wrote it, and bold again takes the new element away.
TEST_F(DesignFormatTest, BoldOffWhereAStyleMakesItBoldAddsAnElementAndBoldAgainTakesItAway) {
    const QByteArray page = "<html>\r\n<body>\r\n<div class=\"badge\" style=\"font-size:11px;font-weight:600;color:red\">"
                            "Modern stack</div>\r\n</body>\r\n</html>\r\n";
    DocumentWindow* doc = openInDesign(page);
    ASSERT_TRUE(doc);
    selectWord(doc, "Modern");
    EXPECT_TRUE(boldShownAs(doc, true));
    ctrl(doc, Qt::Key_B, "Modern</span>");
    EXPECT_TRUE(boldShownAs(doc, false));
    EXPECT_EQ(saved(doc), QByteArray(page).replace(">Modern stack", "><span style=\"font-weight: normal\">Modern</span> stack"));

    view(doc, 2);
    ASSERT_TRUE(waitDesignReady(*doc->dhtm, kWait));
    selectWord(doc, "Modern");
    EXPECT_TRUE(boldShownAs(doc, false));
    QTest::keyClick(input(doc), Qt::Key_B, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !currentHtml(*doc->dhtm).contains("<span"); }, kWait));
    EXPECT_TRUE(boldShownAs(doc, true));
    EXPECT_EQ(saved(doc), page);
}

// An admin dashboard's cells: the first word of an indented line goes bold without the line
// break and indent before it, and bold again gives the page back as it was; a bold number
// loses its element, and gets a new one.
TEST_F(DesignFormatTest, BoldOnTheFirstWordOfAnIndentedLineTakesTheWordAloneAndBoldAgainUndoesIt) {
    const QByteArray page = "<table class=\"table\">\r\n  <tr>\r\n    <td>\r\n      Earnings per share\r\n    </td>\r\n"
                            "    <td>\r\n      <strong>4.20</strong>\r\n    </td>\r\n  </tr>\r\n</table>\r\n";
    DocumentWindow* doc = openInDesign(page);
    ASSERT_TRUE(doc);
    selectIndentedWord(doc, "Earnings");
    ctrl(doc, Qt::Key_B, "Earnings</b>");
    EXPECT_TRUE(boldShownAs(doc, true));
    EXPECT_EQ(saved(doc), QByteArray(page).replace("      Earnings", "      <b>Earnings</b>"));

    view(doc, 2);
    ASSERT_TRUE(waitDesignReady(*doc->dhtm, kWait));
    selectIndentedWord(doc, "Earnings");
    QTest::keyClick(input(doc), Qt::Key_B, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !currentHtml(*doc->dhtm).contains("<b>"); }, kWait));
    // The bold number beside it, twice over, within one visit.
    selectIndentedWord(doc, "4.20");
    ctrl(doc, Qt::Key_B, "<td>\n      4.20");
    EXPECT_TRUE(boldShownAs(doc, false));
    QTest::keyClick(input(doc), Qt::Key_B, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return currentHtml(*doc->dhtm).contains("4.20</b>"); }, kWait));
    EXPECT_EQ(saved(doc), QByteArray(page).replace("<strong>4.20</strong>", "<b>4.20</b>"));
}

// A selection that starts in plain text and ends inside a bold element: the plain part gets an
// element of its own, the bold one stays as it is; bold again over both takes the bold away
// from the selected part alone, the rest of the element kept.
TEST_F(DesignFormatTest, BoldAcrossTheEdgeOfABoldElementChangesTheSelectedPartAlone) {
    const QByteArray page = "<p>plain <b class=\"x\">bold</b> more</p>\r\n";
    DocumentWindow* doc = openInDesign(page);
    ASSERT_TRUE(doc);
    selectFrom(doc, "ain", 6, "ain bo");
    EXPECT_TRUE(boldShownAs(doc, false));
    ctrl(doc, Qt::Key_B, "ain </b>");
    EXPECT_TRUE(boldShownAs(doc, true));
    EXPECT_EQ(saved(doc), "<p>pl<b>ain </b><b class=\"x\">bold</b> more</p>\r\n");

    view(doc, 2);
    ASSERT_TRUE(waitDesignReady(*doc->dhtm, kWait));
    selectFrom(doc, "ain", 6, "ain bo");
    ctrl(doc, Qt::Key_B, "plain bo<b");
    EXPECT_TRUE(boldShownAs(doc, false));
    EXPECT_EQ(saved(doc), "<p>plain bo<b class=\"x\">ld</b> more</p>\r\n");
}

// A word that fills a piece of code or a link, as generated manuals write them: the new element
// goes inside the author's element, which stays where it stood, and bold again takes it away. A
// selection that reaches past such an element takes the element in whole.
TEST_F(DesignFormatTest, BoldOnAWordThatFillsAnInlineElementGoesInsideIt) {
    const QByteArray page = "<p>Call <code>Entry</code> or see <a href=\"x.html\">Links</a> in <span class=\"pre\">docs</span>"
                            " here</p>\r\n";
    DocumentWindow* doc = openInDesign(page);
    ASSERT_TRUE(doc);
    selectWord(doc, "Entry");
    ctrl(doc, Qt::Key_B, "Entry</b>");
    selectWord(doc, "Links");
    ctrl(doc, Qt::Key_B, "Links</b>");
    EXPECT_TRUE(boldShownAs(doc, true));
    EXPECT_EQ(saved(doc), QByteArray(page)
                              .replace("<code>Entry</code>", "<code><b>Entry</b></code>")
                              .replace(">Links</a>", "><b>Links</b></a>"));

    view(doc, 2);
    ASSERT_TRUE(waitDesignReady(*doc->dhtm, kWait));
    selectWord(doc, "Entry");
    QTest::keyClick(input(doc), Qt::Key_B, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !currentHtml(*doc->dhtm).contains("<b>Entry"); }, kWait));
    selectFrom(doc, "in ", 7, "in docs");
    ctrl(doc, Qt::Key_B, "docs</span></b>");
    EXPECT_EQ(saved(doc), QByteArray(page)
                              .replace(">Links</a>", "><b>Links</b></a>")
                              .replace("in <span class=\"pre\">docs</span>", "<b>in <span class=\"pre\">docs</span></b>"));
}

// Italic and underline the same way: the element that makes it so is split around the
// selection, a new one wraps the selected word alone, and an italic a style gives is turned off
// by a new element, the card's own style attribute kept.
TEST_F(DesignFormatTest, ItalicAndUnderlineChangeTheSelectedWordAlone) {
    const QByteArray page = "<div class=\"card-footer\">\r\n  <span style=\"font-style:italic;color:#555\">Updated 3 mins ago</span>\r\n"
                            "</div>\r\n<p>An <em>emphasised phrase</em> and\r\n  plain words.</p>\r\n";
    DocumentWindow* doc = openInDesign(page);
    ASSERT_TRUE(doc);
    selectIndentedWord(doc, "Updated");
    ctrl(doc, Qt::Key_I, "Updated</span>");
    selectWord(doc, "phrase");
    ctrl(doc, Qt::Key_I, "</em>phrase");
    selectIndentedWord(doc, "plain");
    ctrl(doc, Qt::Key_U, "plain</u>");
    EXPECT_EQ(saved(doc), QByteArray(page)
                              .replace(">Updated", "><span style=\"font-style: normal\">Updated</span>")
                              .replace("emphasised phrase</em>", "emphasised </em>phrase")
                              .replace("  plain", "  <u>plain</u>"));
}

// The engine's Undo and Redo keys take the bold back and bring it again, as they do typing.
TEST_F(DesignFormatTest, BoldIsUndoneAndRedoneWithTheKeys) {
    const QByteArray page = "<p>\r\n  Quarterly revenue grew\r\n</p>\r\n";
    DocumentWindow* doc = openInDesign(page);
    ASSERT_TRUE(doc);
    selectWord(doc, "revenue");
    ctrl(doc, Qt::Key_B, "<b>revenue</b>");
    QTest::keyClick(input(doc), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !currentHtml(*doc->dhtm).contains("<b>"); }, kWait));
    EXPECT_EQ(js(doc, "getSelection().toString()").toString(), "revenue");
    QTest::keyClick(input(doc), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return currentHtml(*doc->dhtm).contains("<b>revenue</b>"); }, kWait));
    EXPECT_EQ(saved(doc), QByteArray(page).replace("revenue", "<b>revenue</b>"));
}

// Bold over text on both sides of a table the user has just put in changes the block that holds
// the table too: the table still comes back as it was put in, without the body the parser gave it.
TEST_F(DesignFormatTest, BoldAroundATableJustPutInLeavesTheTableAsWritten) {
    const QByteArray page = "<div>\r\n<p>First words</p>\r\n<p>Last words</p>\r\n</div>\r\n";
    DocumentWindow* doc = openInDesign(page);
    ASSERT_TRUE(doc);
    clickBefore(doc, "Last");
    insertHtml("<table><tr><td>cell</td></tr></table>", "", "", 3);
    EXPECT_TRUE(QTest::qWaitFor([&] { return currentHtml(*doc->dhtm).contains("<td>cell</td>"); }, kWait));
    selectWord(doc, "First");
    QTest::keyClick(input(doc), Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier);
    ctrl(doc, Qt::Key_B, "<b>cell</b>");
    EXPECT_EQ(saved(doc), "<div>\r\n<p><b>First words</b></p>\r\n<table><tr><td><b>cell</b></td></tr></table>"
                          "<p><b>Last words</b></p>\r\n</div>\r\n");
}

}  // namespace
}  // namespace kavrin::test
