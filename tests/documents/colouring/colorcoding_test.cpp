#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTextBlock>
#include <QTextLayout>

#include "documents/colouring/colorcoding.h"
#include "documents/colouring/colorrtf.h"
#include "documents/docfile.h"
#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "documents/progress.h"
#include "editing.h"
#include "fixture.h"
#include "mainwindow/mdiMain.h"
#include "platform/forms/msgbox.h"

namespace kavrin::test {
namespace {

class ColorCodingTest : public KavrinTest {
protected:
    void SetUp() override {
        KavrinTest::SetUp();
        setTestFontAndColours();
        mainWindow = new mdiMain();
        mainWindow->show();
        newDocument();
        doc = activeDocument();
    }

    // The colours the editor shows, as maximal runs of one colour.
    QVector<ColorSpan> shownSpans() const {
        QVector<ColorSpan> spans;
        const QString& text = doc->txtMain->text();
        for (int i = 0; i < text.size(); ++i) {
            const int color = doc->txtMain->colorAt(i);
            if (spans.isEmpty() || spans.last().color != color) spans.push_back({QString(), color});
            spans.last().text += text[i];
        }
        return spans;
    }

    DocumentWindow* doc = nullptr;
};

TEST_F(ColorCodingTest, ColoursLandOnTheRightCharactersAndTheTextStaysExact) {
    const QString text = "a<b>c\r\n<!-- x > y -->\r\n<td>\\{}</td><img src=x>\r\n<zz\r\nq>\r\n";
    doc->txtMain->setText(text);
    doc->txtMain->setSelStart(5);
    colorCodeDocument(doc);
    EXPECT_EQ(doc->txtMain->text(), text);  // final line end included
    EXPECT_EQ(shownSpans(), expectedColorSpans(text, currentTagColors()));
    EXPECT_EQ(doc->txtMain->selStart(), 5);
    EXPECT_EQ(doc->txtMain->tag, "T");
    EXPECT_TRUE(colorCoding);
    EXPECT_TRUE(mainWindow->mnuToolsColorCodeYes->isChecked());
    EXPECT_TRUE(mainWindow->mnuToolsColorCodeRefresh->isEnabled());
    // The work files are the pass's interface: the plain text and the RTF that was loaded.
    EXPECT_EQ(readFile(tempDir + "temp.rtf"), documentToColorRtf(text, currentTagColors(), fontName, fontSize));
    EXPECT_EQ(readFile(tempDir + "temp.htm"), text.toUtf8());
    EXPECT_FALSE(mainWindow->picPbr->frameShown());
}

// The work files go out a piece at a time: a page far longer than a piece, with a character of
// two UTF-16 units on a piece's edge, gives the same files and colours as a short one.
TEST_F(ColorCodingTest, APageLongerThanTheWritePiecesIsWrittenAndColouredWhole) {
    QString text;
    for (int i = 0; text.size() < 700000; ++i)
        text += QStringLiteral("<td class=\"c%1\">\u00e9t\u00e9 {%1} \\</td><!-- n%1 -->\r\n<a href=x>y</a> ").arg(i);
    const QString wide = QString::fromUtf8("\xF0\x9F\x98\x80");  // one character, two units
    for (const qsizetype at : {(qsizetype(1) << 18) - 1, (qsizetype(1) << 19) - 1}) text.replace(at, 2, wide);
    doc->txtMain->setText(text);
    colorCodeDocument(doc);
    ASSERT_EQ(doc->txtMain->tag, "T");
    EXPECT_EQ(readFile(tempDir + "temp.htm"), text.toUtf8());
    EXPECT_TRUE(shownSpans() == expectedColorSpans(text, currentTagColors()));
}

TEST_F(ColorCodingTest, AnEmptyDocumentIsLeftAlone) {
    doc->txtMain->tag = "F";
    colorCoding = false;
    colorCodeDocument(doc);
    EXPECT_EQ(doc->txtMain->tag, "F");
    EXPECT_FALSE(colorCoding);
    EXPECT_FALSE(QFile::exists(tempDir + "temp.rtf"));
}

TEST_F(ColorCodingTest, AFailedPassKeepsTheEditedTextAndSwitchesColouringOff) {
    QFile::remove(tempDir + "temp.rtf");
    doc->txtMain->setText("<p>unsaved edit</p>");
    // A work folder that cannot be written to; an old RTF left there must not be loaded.
    tempPath = workDir + "missing/folder/";
    expectMsgBox("An error occurred while Kavrin was color coding this document.", vbOK);
    colorCodeDocument(doc);
    EXPECT_EQ(doc->txtMain->text(), "<p>unsaved edit</p>");
    EXPECT_EQ(doc->txtMain->tag, "F");
    EXPECT_FALSE(colorCoding);
    EXPECT_TRUE(mainWindow->mnuToolsColorCodeNo->isChecked());
    EXPECT_FALSE(mainWindow->mnuToolsColorCodeRefresh->isEnabled());
    EXPECT_EQ(doc->txtMain->colorAt(0), 0);
}

// A page that is one long line opens laid out and in its colours, and stays so once the window
// takes its size.
TEST_F(ColorCodingTest, APageOfOneLongLineOpensShownInItsColours) {
    QByteArray page = "<html>\r\n<body>\r\n<p><img src=\"data:image/png;base64,";
    while (page.size() < 300 * 1024) page += "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNk";
    page += "\"></p>\r\n</body>\r\n</html>\r\n";
    colorOnOpen = true;
    wordWrap = false;
    mainWindow->openFile(writeFile("long.html", page));
    DocumentWindow* opened = activeDocument();
    ASSERT_NE(opened, doc);
    QApplication::processEvents();
    RichTextBox* editor = opened->txtMain;
    ASSERT_EQ(editor->tag, "T");
    // The line's first block, which is all that shows of it.
    const QTextBlock line = editor->document()->findBlockByNumber(2);
    ASSERT_TRUE(line.text().startsWith("<p><img"));
    EXPECT_GT(line.layout()->lineCount(), 0);
    const int tagColour = editor->colorAt(editor->lineIndex(2) + 3);  // inside "<img"
    ASSERT_NE(tagColour, 0);
    bool shown = false;
    for (const QTextLayout::FormatRange& r : line.layout()->formats())
        shown = shown || (r.start <= 3 && r.start + r.length > 3 && r.format.foreground().color() == colorToQt(tagColour));
    EXPECT_TRUE(shown);
}

TEST(ProgressPercent, GrowsByWholePercentsAndStopsAt97) {
    EXPECT_EQ(progressPercent(0, 1000), 2);
    EXPECT_EQ(progressPercent(1000, 1000), 102);
    EXPECT_EQ(progressPercent(9995, 1000000), 3);  // 0.9995 % counts as 1 %
    EXPECT_EQ(progressPercent(5, 0), 0);
}

}  // namespace
}  // namespace kavrin::test
