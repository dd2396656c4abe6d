#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QRandomGenerator>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include "editortext.h"
#include "fixture.h"
#include "platform/richtext/richtextbox.h"

namespace kavrin::test {
namespace {

using TextColorsTest = KavrinTest;

TEST_F(TextColorsTest, SelColorReadsBackWhatWasSet) {
    RichTextBox box;
    box.setText("<b>bold</b> text");
    box.select(0, 3);
    box.setSelColor(kBlue);
    EXPECT_EQ(box.selColor(), kBlue);
    box.select(3, 4);
    EXPECT_EQ(box.selColor(), 0);
    box.select(2, 4);  // mixed: the first character's colour
    EXPECT_EQ(box.selColor(), kBlue);
    EXPECT_EQ(box.colorAt(0), kBlue);
    EXPECT_EQ(box.colorAt(3), 0);

    // With no selection it is the typing colour, taken by the next character typed.
    box.setSelStart(7);
    EXPECT_EQ(box.selColor(), 0);
    box.setSelColor(kGreen);
    EXPECT_EQ(box.selColor(), kGreen);
    QTest::keyClick(&box, Qt::Key_X);
    EXPECT_EQ(box.text(), "<b>boldx</b> text");
    EXPECT_EQ(box.colorAt(7), kGreen);
    EXPECT_EQ(box.colorAt(8), 0);

    // Replacing a selection types in the colour of its first character.
    box.select(0, 3);
    box.setSelText("<i>");
    EXPECT_EQ(box.colorAt(0), kBlue);
    EXPECT_EQ(box.colorAt(2), kBlue);
    box.setSelStart(0);
    box.setSelColor(kRed);
    box.setSelText("[");
    EXPECT_EQ(box.colorAt(0), kRed);

    // A line break has a colour of its own.
    box.setColorRuns({{"a\r\n", kBlue}, {"b\r\n", 0}});
    box.select(1, 2);
    EXPECT_EQ(box.selColor(), kBlue);
    box.select(4, 2);
    EXPECT_EQ(box.selColor(), 0);

    // An empty document keeps the typing colour of setText.
    box.setSelColor(kGreen);
    box.setText("");
    EXPECT_EQ(box.selColor(), kGreen);
}

// Colours of many ranges, later ones over earlier ones, whether they come in order or not.
TEST_F(TextColorsTest, RangeColoursAtOnceMatchThemSetOneByOne) {
    auto* rng = QRandomGenerator::global();
    QString text;
    for (int i = 0; i < 40; ++i) text += QStringLiteral("<td>%1</td>\r\n").arg(i);
    const int colours[] = {0, kRed, kBlue, kGreen};
    for (int round = 0; round < 40; ++round) {
        RichTextBox a, b;
        a.setText(text);
        b.setText(text);
        a.setRangeColor(int(rng->bounded(0, 50)), int(rng->bounded(0, 300)), kGreen);
        b.setColorRuns(a.colorRuns());
        QVector<ColorRange> ranges;
        const bool ordered = round % 2 == 0;
        int at = int(rng->bounded(0, 100));
        ranges.append({at, int(rng->bounded(0, 400)), colours[rng->bounded(0, 4)]});
        for (int k = 0; k < 12; ++k) {
            const int start = ordered ? at + int(rng->bounded(0, 30)) : int(rng->bounded(0, int(text.size())));
            const int length = int(rng->bounded(-2, 25));
            ranges.append({start, length, colours[rng->bounded(0, 4)]});
            if (ordered) at = start + qMax(0, length);
        }
        a.setRangeColors(ranges);
        for (const ColorRange& r : ranges) b.setRangeColors({r});
        const QVector<ColorRun> ra = a.colorRuns(), rb = b.colorRuns();
        ASSERT_EQ(ra.size(), rb.size()) << "round " << round;
        for (int i = 0; i < ra.size(); ++i) {
            EXPECT_EQ(ra[i].text, rb[i].text) << "round " << round;
            EXPECT_EQ(ra[i].color, rb[i].color) << "round " << round;
        }
    }
}

// What the screen shows of each line laid out, character by character, against the colours the
// editor reads back: they must never part, whatever edits and colourings come in between.
void expectShownAsStored(const RichTextBox& box, const char* step) {
    QApplication::processEvents();
    int laidOut = 0;
    for (QTextBlock b = box.document()->firstBlock(); b.isValid(); b = b.next()) {
        const QTextLayout* layout = b.layout();
        if (layout->lineCount() == 0) continue;
        ++laidOut;
        std::vector<int> shown(size_t(b.length() - 1), 0);
        for (const QTextLayout::FormatRange& r : layout->formats()) {
            const QColor c = r.format.foreground().color();
            for (int i = r.start; i < r.start + r.length && i < int(shown.size()); ++i)
                shown[size_t(i)] = c.red() | (c.green() << 8) | (c.blue() << 16);
        }
        const int offset = b.position() + b.blockNumber();
        for (int i = 0; i < int(shown.size()); ++i)
            ASSERT_EQ(shown[size_t(i)], box.colorAt(offset + i)) << step << ": line " << b.blockNumber() << " column " << i;
    }
    EXPECT_GT(laidOut, 0) << step;
}

TEST_F(TextColorsTest, TheScreenShowsTheColoursTheTextHas) {
    RichTextBox box;
    box.resize(500, 300);
    box.show();
    QVector<ColorRun> runs;
    for (int i = 0; i < 60; ++i) {
        runs.append({QStringLiteral("<td>"), kBlue});
        runs.append({QStringLiteral("cell %1").arg(i), 0});
        runs.append({QStringLiteral("</td>\r\n"), kRed});
    }
    box.setColorRuns(runs);
    expectShownAsStored(box, "loaded");

    box.setRangeColor(2, 30, kGreen);
    expectShownAsStored(box, "a range coloured");

    // In the middle of a line, the tag after the caret moving right.
    const int line10 = box.lineIndex(10);
    box.setSelStart(line10 + 6);
    box.setSelColor(kGreen);
    QTest::keyClicks(&box, "xy");
    QTest::keyClick(&box, Qt::Key_Return);
    expectShownAsStored(box, "typed");

    box.select(box.lineIndex(14) + 3, 40);
    box.setSelText("<b>\r\n</b>\r\n", {{10, 3, kBlue}, {15, 4, kRed}});
    expectShownAsStored(box, "replaced over lines");

    QVector<TextEdit> edits;
    for (int at = 0; at < 400; at += 37) edits.append({at, 2, "<<"});
    box.replaceRanges(edits);
    box.setColorPieces(0, {{5, kRed}, {40, -1}, {7, kBlue}});
    expectShownAsStored(box, "many edits and pieces");

    // Lines far down, laid out only once they are shown.
    box.setRangeColor(box.textLength() - 200, 150, kBlue);
    box.setSelStart(box.textLength());
    expectShownAsStored(box, "scrolled to the end");
}

// The printed copy carries the colours, which the editor's own document no longer holds.
TEST_F(TextColorsTest, ThePrintedCopyIsInTheTextsColours) {
    RichTextBox box;
    box.setColorRuns({{"<b>", kBlue}, {"bold\r\n", 0}, {"<!-- c -->", kGreen}});
    for (const bool selection : {false, true}) {
        if (selection) box.select(3, 7);
        const std::unique_ptr<QTextDocument> copy = box.coloredDocument(selection);
        const QString expected = selection ? "bold\n<" : "<b>bold\n<!-- c -->";
        ASSERT_EQ(copy->toPlainText(), expected);
        for (int i = 0; i < expected.size(); ++i) {
            if (expected[i] == u'\n') continue;
            QTextCursor c(copy.get());
            c.setPosition(i + 1);
            const int offset = (selection ? 3 : 0) + i + (i > expected.indexOf(u'\n') ? 1 : 0);
            EXPECT_EQ(c.charFormat().foreground().color(), colorToQt(box.colorAt(offset))) << selection << " " << i;
        }
    }
}

}  // namespace
}  // namespace kavrin::test
