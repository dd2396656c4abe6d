#include <QRandomGenerator>
#include <QTest>

#include "editortext.h"
#include "fixture.h"
#include "platform/richtextbox.h"

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

}  // namespace
}  // namespace kavrin::test
