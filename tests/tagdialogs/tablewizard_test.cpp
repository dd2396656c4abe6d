// The table wizard: its span model on its own, and the three pages driven from Tools > Table
// Wizard into the document.
#include <QRandomGenerator>

#include "documents/globals.h"
#include "platform/forms/msgbox.h"
#include "tagdialogs/structure/frmTableWizard.h"
#include "tagdialogs/structure/wizardgrid.h"
#include "tagtest.h"

namespace kavrin::test {
namespace {

// How many blocks cover each place of the grid; every place must be covered exactly once, and a
// place is covered by another block exactly when it is no anchor.
void expectTiled(const WizardGrid& g) {
    QVector<int> cover(g.cellCount(), 0);
    for (int a = 1; a <= g.cellCount(); ++a) {
        if (g.isCovered(a)) {
            EXPECT_EQ(g.cell(a).colspan, 1) << a;
            EXPECT_EQ(g.cell(a).rowspan, 1) << a;
            continue;
        }
        const int r = g.rowOf(a) - 1, c = g.columnOf(a) - 1;
        ASSERT_LE(r + g.cell(a).rowspan, g.rowCount()) << a;
        ASSERT_LE(c + g.cell(a).colspan, g.colCount()) << a;
        for (int dr = 0; dr < g.cell(a).rowspan; ++dr)
            for (int dc = 0; dc < g.cell(a).colspan; ++dc) ++cover[(r + dr) * g.colCount() + c + dc];
    }
    for (int i = 0; i < cover.size(); ++i) EXPECT_EQ(cover[i], 1) << "place " << i + 1;
}

TEST(WizardGrid, SpansMergeWholeBlocksAndRefuseWhatWouldNotStayRectangular) {
    WizardGrid g;
    g.build(2, 2);
    EXPECT_TRUE(g.canWiden(1));
    EXPECT_FALSE(g.canNarrow(1));
    g.widen(1);
    g.deepen(1);
    EXPECT_TRUE(g.isCovered(2) && g.isCovered(3) && g.isCovered(4));
    EXPECT_EQ(wizardTableBody(g, "\t"), "<tr>\r\n\t<td colspan=\"2\" rowspan=\"2\"></td>\r\n</tr>\r\n<tr>\r\n</tr>\r\n</table>");
    EXPECT_FALSE(g.canWiden(1));
    EXPECT_FALSE(g.canDeepen(1));
    g.narrow(1);
    EXPECT_FALSE(g.isCovered(2));
    EXPECT_FALSE(g.isCovered(4));
    EXPECT_TRUE(g.isCovered(3));
    expectTiled(g);

    // A neighbour two columns wide is taken whole, and its span goes.
    g.build(1, 4);
    g.widen(2);
    g.widen(1);
    EXPECT_EQ(g.cell(1).colspan, 3);
    EXPECT_EQ(g.cell(2).colspan, 1);
    EXPECT_TRUE(g.isCovered(2) && g.isCovered(3));
    expectTiled(g);

    // A block two rows deep meets, below its top row, a neighbour two columns wide: taking it
    // would not stay a rectangle, so "+" is refused.
    g.build(2, 3);
    g.deepen(1);
    g.widen(5);
    EXPECT_FALSE(g.canWiden(1));
    // Neighbours of different widths are refused too; of equal widths they go in together.
    g.build(2, 4);
    g.deepen(1);
    g.widen(2);
    g.widen(6);
    g.widen(6);
    EXPECT_FALSE(g.canWiden(1));
    g.narrow(6);
    EXPECT_TRUE(g.canWiden(1));
    g.widen(1);
    EXPECT_EQ(g.cell(1).colspan, 3);
    expectTiled(g);

    // A 1 x 1 grid has nothing to merge; counts past the limit are bounded.
    g.build(1, 1);
    EXPECT_FALSE(g.canWiden(1) || g.canDeepen(1) || g.canNarrow(1) || g.canShorten(1));
    g.build(0, 200);
    EXPECT_EQ(g.rowCount(), 1);
    EXPECT_EQ(g.colCount(), kWizardMaxCells);
}

TEST(WizardGrid, AnySequenceOfSpanClicksKeepsEveryPlaceInOneBlock) {
    QRandomGenerator random(18);
    for (int round = 0; round < 200; ++round) {
        WizardGrid g;
        const int rows = random.bounded(1, 7), cols = random.bounded(1, 7);
        g.build(rows, cols);
        for (int step = 0; step < 40; ++step) {
            const int cell = random.bounded(1, g.cellCount() + 1);
            if (g.isCovered(cell)) continue;
            switch (random.bounded(4)) {
            case 0: g.widen(cell); break;
            case 1: g.deepen(cell); break;
            case 2: g.narrow(cell); break;
            default: g.shorten(cell); break;
            }
        }
        expectTiled(g);
        // Each row of the table holds as many columns as the grid once the spans from above
        // are counted: the written table is as rectangular as the grid.
        const QString body = wizardTableBody(g, QString());
        int cells = 0;
        for (int a = 1; a <= g.cellCount(); ++a) cells += g.isCovered(a) ? 0 : 1;
        EXPECT_EQ(body.count("<td"), cells);
        EXPECT_EQ(body.count("<tr>"), rows);
        if (HasFailure()) return;
    }
}

TEST(WizardGrid, TableStartWritesTheCaptionAndCellColoursGetHashOnlyBeforeHexDigits) {
    WizardTable t;
    EXPECT_EQ(wizardTableStart(t), "<table>\r\n");
    t.caption = "Prices";
    EXPECT_EQ(wizardTableStart(t), "<table>\r\n<caption>Prices</caption>\r\n");
    t.captionAlign = "bottom";
    t.bgcolor = "ccc";
    t.border = "1";
    t.align = "center";
    t.frame = "box";
    EXPECT_EQ(wizardTableStart(t),
              "<table align=\"center\" frame=\"box\" border=\"1\" bgcolor=\"ccc\">\r\n"
              "<caption align=\"bottom\">Prices</caption>\r\n");

    WizardGrid g;
    g.build(1, 5);
    const char* colours[] = {"abc", "#ff0000", "red", "12345", "A0B0C0"};
    for (int i = 0; i < 5; ++i) g.cell(i + 1).bgcolor = colours[i];
    EXPECT_EQ(wizardTableBody(g, ""),
              "<tr>\r\n<td bgcolor=\"#abc\"></td>\r\n<td bgcolor=\"#ff0000\"></td>\r\n<td bgcolor=\"red\"></td>\r\n"
              "<td bgcolor=\"12345\"></td>\r\n<td bgcolor=\"#A0B0C0\"></td>\r\n</tr>\r\n</table>");
}

class TableWizardTest : public TagDialogTest {
protected:
    void SetUp() override {
        TagDialogTest::SetUp();
        indentText = "  ";
    }
    void wizard(std::function<void(frmTableWizard&)> drive) {
        fromMenu<frmTableWizard>(mainWindow->mnuToolsTableWizard, "frmTableWizard", drive);
    }
    static void setCount(QLineEdit* box, const QString& text) {
        box->selectAll();
        type(box, text);
    }
    static void pick(frmTableWizard& w, int cell) { QTest::mouseClick(w.lblCell[size_t(cell)], Qt::LeftButton); }
    static void choose(QComboBox* list, const QString& item) { list->setCurrentIndex(list->findText(item)); }
};

TEST_F(TableWizardTest, ThreeByThreeWithAMergedCellACaptionAndColours) {
    setDocument("a|sel|b");
    wizard([this](frmTableWizard& w) {
        EXPECT_EQ(w.caption(), "Table Wizard");
        EXPECT_TRUE(w.picFrame[0]->isVisible());
        EXPECT_FALSE(w.cmdBack->isEnabled());
        EXPECT_EQ(w.txtRows->text(), "2");
        setCount(w.txtRows, "3");
        w.updCols->upButton->click();
        EXPECT_EQ(w.colCount, 3);
        QTest::keyClick(w.txtRows, Qt::Key_Return);

        EXPECT_TRUE(w.picFrame[1]->isVisible());
        EXPECT_FALSE(w.picFrame[0]->isVisible());
        EXPECT_TRUE(w.cmdBack->isEnabled());
        EXPECT_TRUE(w.lblCell[9]->isVisible());
        EXPECT_FALSE(w.lblCell[10]->isVisible());
        EXPECT_FALSE(w.lblCell[0]->isVisible());
        EXPECT_FALSE(w.cmdColspanMinus->isEnabled());
        EXPECT_TRUE(w.cmdColspanPlus->isEnabled());
        type(w.txtContent, "Name");
        w.chkHeading->click();
        type(w.txtCellColor, "ffcc00");
        w.cmdColspanPlus->click();
        EXPECT_FALSE(w.lblCell[2]->isVisible());
        EXPECT_TRUE(w.cmdColspanMinus->isEnabled());
        EXPECT_EQ(w.lblCell[1]->width(), w.lblCell[3]->width() * 2 - 2);

        pick(w, 3);
        EXPECT_EQ(w.txtContent->text(), "");
        EXPECT_FALSE(w.cmdColspanPlus->isEnabled());
        type(w.txtContent, "X");
        pick(w, 6);
        w.cmdRowspanPlus->click();
        EXPECT_FALSE(w.lblCell[9]->isVisible());
        type(w.txtCellColor, "red");
        choose(w.cboVertical, "top");
        pick(w, 4);
        w.updCellWidth->upButton->click();
        setCount(w.txtCellWidth, "50");
        // Back on the first cell, what it holds comes back into the editors.
        pick(w, 1);
        EXPECT_EQ(w.txtContent->text(), "Name");
        EXPECT_TRUE(w.chkHeading->isChecked());
        EXPECT_EQ(w.lblCell[1]->text(), "Name");

        w.cmdNext->click();
        EXPECT_EQ(w.cmdNext->text(), "&Finish");
        type(w.txtCellPadding, "2x");
        w.updBorder->upButton->click();
        type(w.txtBGcolor, "ccc");
        type(w.txtCaption, "Prices");
        choose(w.cboCaptionAlign, "bottom");
        // Page 2 again: the cells are as they were left.
        w.cmdBack->click();
        EXPECT_EQ(w.cmdNext->text(), "&Next >");
        EXPECT_FALSE(w.lblCell[2]->isVisible());
        EXPECT_EQ(w.txtContent->text(), "Name");
        w.cmdNext->click();
        w.cmdNext->click();
    });
    EXPECT_EQ(text(),
              "a<table cellpadding=\"2\" border=\"1\" bgcolor=\"ccc\">\r\n"
              "<caption align=\"bottom\">Prices</caption>\r\n"
              "<tr>\r\n"
              "  <th bgcolor=\"#ffcc00\" colspan=\"2\">Name</th>\r\n"
              "  <td>X</td>\r\n"
              "</tr>\r\n"
              "<tr>\r\n"
              "  <td width=\"50\"></td>\r\n"
              "  <td></td>\r\n"
              "  <td valign=\"top\" bgcolor=\"red\" rowspan=\"2\"></td>\r\n"
              "</tr>\r\n"
              "<tr>\r\n"
              "  <td></td>\r\n"
              "  <td></td>\r\n"
              "</tr>\r\n"
              "</table>selb");
}

TEST_F(TableWizardTest, ComingBackToTheCellsStartsAfreshAndMovesNothing) {
    setDocument("|");
    wizard([](frmTableWizard& w) {
        w.cmdNext->click();
        pick(w, 4);
        type(w.txtContent, "last");
        w.chkHeading->click();
        w.cmdColspanMinus->click();  // disabled: nothing happens
        w.cmdBack->click();
        EXPECT_TRUE(w.picFrame[0]->isVisible());
        EXPECT_FALSE(w.cmdBack->isEnabled());
        w.cmdNext->click();
        // The grid is new: nothing typed for the old cell 4 waits in the editors.
        EXPECT_EQ(w.currentCell, 1);
        EXPECT_EQ(w.txtContent->text(), "");
        EXPECT_FALSE(w.chkHeading->isChecked());
        EXPECT_EQ(w.lblCell[4]->text(), "");
        EXPECT_FALSE(w.cmdRowspanMinus->isEnabled());
        pick(w, 2);
        w.cmdNext->click();
        w.cmdNext->click();
    });
    EXPECT_EQ(text(), "<table>\r\n<tr>\r\n  <td></td>\r\n  <td></td>\r\n</tr>\r\n<tr>\r\n  <td></td>\r\n  <td></td>\r\n"
                      "</tr>\r\n</table>");
}

TEST_F(TableWizardTest, CountsOutsideTheLimitsAreRefusedWithAMessage) {
    setDocument("|");
    wizard([this](frmTableWizard& w) {
        setCount(w.txtCols, "20");
        EXPECT_EQ(w.colCount, 20);
        // 10 rows of 20 cells are too many: the rows come down to what fits.
        setCount(w.txtRows, "1");
        expectMsgBox("Table cannot have more than 150 cells.", vbOK);
        type(w.txtRows, "0");
        EXPECT_EQ(w.txtRows->text(), " 7");
        EXPECT_EQ(w.rowCount, 7);
        // No rows at all, or a count past 150, keeps the count there was.
        expectMsgBox("The number of rows must be from 1 to 150.", vbOK);
        setCount(w.txtRows, "0");
        EXPECT_EQ(w.txtRows->text(), "7");
        EXPECT_EQ(w.rowCount, 7);
        expectMsgBox("The number of columns must be from 1 to 150.", vbOK);
        setCount(w.txtCols, "-4");
        EXPECT_EQ(w.colCount, 20);
        // Text that is no number goes back to the count at once.
        setCount(w.txtRows, "x");
        EXPECT_EQ(w.txtRows->text(), "7");
        // The arrows stay within 1 to 150.
        setCount(w.txtCols, "1");
        w.updCols->downButton->click();
        EXPECT_EQ(w.txtCols->text(), "1");
        setCount(w.txtRows, "1");
        EXPECT_TRUE(allAnswered());
        w.cmdNext->click();
        EXPECT_FALSE(w.cmdColspanPlus->isEnabled());
        EXPECT_FALSE(w.cmdRowspanPlus->isEnabled());
        w.cmdNext->click();
        w.cmdNext->click();
    });
    EXPECT_EQ(text(), "<table>\r\n<tr>\r\n  <td></td>\r\n</tr>\r\n</table>");
    EXPECT_EQ(shownMessages.size(), 3);

    // Cancel and Esc write nothing.
    wizard([](frmTableWizard& w) { w.cmdCancel->click(); });
    wizard([](frmTableWizard& w) {
        w.cmdNext->click();
        QTest::keyClick(w.txtContent, Qt::Key_Escape);
    });
    EXPECT_EQ(text().count("<table>"), 1);
}

}  // namespace
}  // namespace kavrin::test
