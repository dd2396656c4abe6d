// A page whose text runs for megabytes without a blank (a minified page, an inline picture)
// opens through the ordinary open path and stays editable, with offsets and colours right.
#include <QTest>
#include <QApplication>
#include <QImage>
#include <QTextBlock>
#include <QTextDocument>

#include "documents/colouring/colorcoding.h"
#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "editing.h"
#include "fixture.h"
#include "mainwindow/mdiMain.h"
#include "platform/richtext/linechunks.h"

namespace kavrin::test {
namespace {

class LongLineTest : public KavrinTest {
protected:
    void SetUp() override {
        KavrinTest::SetUp();
        mainWindow = new mdiMain();
        mainWindow->resize(900, 700);
        mainWindow->show();
        uppercaseTags = addEndingP = autoIndent = tagCompletion = false;
        colorOnOpen = true;
        setTestFontAndColours();
        tagTipDelay = -1;
    }
    DocumentWindow* open(const QString& name, const QByteArray& bytes) {
        mainWindow->openFile(writeFile(name, bytes));
        return activeDocument();
    }
};

TEST_F(LongLineTest, AFiveMegabyteLineOpensColouredAndTakesTypingWhereTheCaretIs) {
    wordWrap = true;
    // Tags inside the run: the colouring splits it into many pieces of one line.
    QByteArray run;
    for (int i = 0; run.size() < 5 * 1024 * 1024; ++i) run += (i % 500 == 0) ? "<b>x</b>" : "abcdefghij";
    const QByteArray head = "<html>\r\n<body>\r\n<p>";
    const QByteArray page = head + run + "</p>\r\n</body>\r\n</html>\r\n";
    DocumentWindow* doc = open("long.html", page);
    ASSERT_NE(doc, nullptr);
    RichTextBox* editor = doc->txtMain;
    ASSERT_EQ(editor->text().toLatin1(), page);

    // Offsets across the line and after it, and the colours at both ends of the run.
    const int start = int(head.size());
    EXPECT_EQ(editor->lineFromChar(start + 3000000), 2);
    EXPECT_EQ(editor->lineIndex(3), start + int(run.size()) + 6);
    EXPECT_EQ(editor->colorAt(start), fontColor);      // "<b>"
    EXPECT_EQ(editor->colorAt(start + 8), 0);          // "abc..."
    const int lastTag = int(page.lastIndexOf("<b>"));
    EXPECT_EQ(editor->colorAt(lastTag + 3), 0);
    EXPECT_EQ(editor->colorAt(lastTag + 4), fontColor);  // "</b>"
    EXPECT_EQ(editor->colorAt(int(page.size()) - 9), tagColor);

    // Typing in the middle of the run puts the letter there, as one undo step, in black.
    const int at = start + 2500003;
    ASSERT_NE(page[at - 1], '>');
    editor->setSelStart(at);
    QTest::keyClicks(editor, "Z");
    EXPECT_EQ(editor->selStart(), at + 1);
    EXPECT_EQ(editor->text().mid(at - 2, 4).toStdString(), page.mid(at - 2, 2).toStdString() + "Z" + page[at]);
    EXPECT_EQ(editor->colorAt(at), 0);
    EXPECT_EQ(editor->textLength(), page.size() + 1);
    mainWindow->mnuEditUndo->trigger();
    EXPECT_EQ(editor->text().toLatin1(), page);
    EXPECT_EQ(editor->caretRect().isValid(), true);
}

TEST_F(LongLineTest, ALongRunLeavesTheOtherLinesBreakingAtWords) {
    DocumentWindow* doc = open("short.html", "<p>Some words on a line.</p>\r\n");
    ASSERT_NE(doc, nullptr);
    RichTextBox* editor = doc->txtMain;
    editor->setSelStart(3);
    editor->setSelText(QString(20000, u'w'));
    EXPECT_EQ(editor->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
}


// How many pixels of the editor's view, within `area`, show a colour near `color`.
int pixelsNear(RichTextBox* editor, int color, const QRect& area) {
    const QImage shown = editor->viewport()->grab().toImage();
    const QColor want(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
    const QRect within = area & shown.rect();
    int n = 0;
    for (int y = within.top(); y <= within.bottom(); ++y)
        for (int x = within.left(); x <= within.right(); ++x) {
            const QColor c = shown.pixelColor(x, y);
            n += qAbs(c.red() - want.red()) < 40 && qAbs(c.green() - want.green()) < 40 && qAbs(c.blue() - want.blue()) < 40;
        }
    return n;
}

// A first line too long to be held whole shows its tags in their colours as soon as the page has
// opened, at its start and at its end, wrapped or not; and so once coloured from the menu after it
// was shown uncoloured.
TEST_F(LongLineTest, AFirstLineOfFiveThousandCharactersShowsItsColours) {
    tagColor = 0xC00000;  // a blue far from black
    const QByteArray page = "<p>" + QByteArray("word ").repeated(1000) + "</p>\r\n<b>next</b>\r\n";
    for (const bool onOpen : {true, false}) {
        for (const bool wrapped : {false, true}) {
            SCOPED_TRACE(QStringLiteral("%1, %2").arg(onOpen ? "on open" : "from the menu", wrapped ? "wrapped" : "not wrapped").toStdString());
            wordWrap = wrapped;
            colorOnOpen = onOpen;
            DocumentWindow* doc = open(wrapped ? "wrapped.html" : "one.html", page);
            ASSERT_NE(doc, nullptr);
            RichTextBox* editor = doc->txtMain;
            ASSERT_TRUE(QTest::qWaitForWindowExposed(editor));
            QApplication::processEvents();
            if (!onOpen) {
                ASSERT_EQ(editor->colorAt(0), 0);
                mainWindow->mnuToolsColorCodeYes->trigger();
                QApplication::processEvents();
            }
            ASSERT_EQ(editor->colorAt(0), tagColor);
            // "<p>" at the top left.
            editor->setSelStart(1);
            const QRect caret = editor->cursorRect();
            EXPECT_GT(pixelsNear(editor, tagColor, QRect(0, caret.top(), caret.left() + 3 * caret.height(), caret.height())), 10);
            // "</p>" where the line ends.
            editor->setSelStart(int(page.indexOf("</p>")) + 2);
            QApplication::processEvents();
            const QRect end = editor->cursorRect();
            // Wrapped, the tag can break over two lines, the second one at the window's lower edge:
            // the caret's line and the one above it.
            EXPECT_GT(pixelsNear(editor, tagColor, QRect(0, end.top() - end.height(), editor->viewport()->width(), 2 * end.height())), 10);
            doc->unload();
            QApplication::processEvents();
        }
    }
}

// Where two pieces of a long line meet, typing, a replacement over the place and its undo, the
// line and column shown, Home and End, and the page saved: all as on a line held whole, with
// lines wrapped (the pieces flowing on in one paragraph) or not.
TEST_F(LongLineTest, EditsWherePiecesMeetAreUndoneShownAndSavedAsOneLine) {
    QByteArray line;
    for (int i = 0; line.size() < 200000; ++i) line += "<td class=\"c" + QByteArray::number(i) + "\">x</td> ";
    const QByteArray page = "<html>\r\n<body>" + line + "</body>\r\n</html>\r\n";
    for (const bool wrapped : {false, true}) {
        SCOPED_TRACE(wrapped ? "wrapped" : "not wrapped");
        wordWrap = wrapped;
        const QString path = writeFile(wrapped ? "wrapped.html" : "one.html", page);
        mainWindow->openFile(path);
        DocumentWindow* doc = activeDocument();
        ASSERT_NE(doc, nullptr);
        RichTextBox* editor = doc->txtMain;
        ASSERT_EQ(editor->text().toLatin1(), page);
        int meet = -1;
        for (QTextBlock b = editor->document()->firstBlock(); b.isValid() && meet < 0; b = b.next())
            if (continuesLine(b)) meet = editor->toOffset(b.position());
        ASSERT_GT(meet, 8);
        const int lineStart = 8, lineEnd = int(page.size()) - 11;  // before "\r\n</html>\r\n"

        editor->setFocus();
        editor->setSelStart(meet);
        QTest::keyClicks(editor, "AB");
        QApplication::processEvents();
        QByteArray want = page;
        want.insert(meet, "AB");
        EXPECT_EQ(editor->text().toLatin1(), want);
        EXPECT_EQ(mainWindow->lblCursorPos->text(), QStringLiteral("Ln 2, Col %1").arg(meet + 2 - lineStart + 1));

        editor->select(meet - 4, 10);
        QTest::keyClicks(editor, "Z");
        QByteArray replaced = want;
        replaced.replace(meet - 4, 10, "Z");
        EXPECT_EQ(editor->text().toLatin1(), replaced);
        mainWindow->mnuEditUndo->trigger();
        EXPECT_EQ(editor->text().toLatin1(), want);

        // Wrapped, Home and End go to the ends of the row shown (measured against Qt elsewhere).
        if (!wrapped) {
            QTest::keyClick(editor, Qt::Key_End);
            EXPECT_EQ(editor->selStart(), lineEnd + 2);
            QTest::keyClick(editor, Qt::Key_Home);
            EXPECT_EQ(editor->selStart(), lineStart);
            QApplication::processEvents();
            EXPECT_EQ(mainWindow->lblCursorPos->text(), QStringLiteral("Ln 2, Col 1"));
        }

        mainWindow->mnuFileSave_Click();
        EXPECT_EQ(readFile(path), want);
    }
}

}  // namespace
}  // namespace kavrin::test
