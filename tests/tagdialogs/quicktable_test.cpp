// The quick table grid: the table text it writes, and the pop-up as a user works it from the
// Table toolbar, with its one setting kept between openings.
#include <QApplication>
#include <QMouseEvent>

#include "platform/files/settingsstore.h"
#include "tagdialogs/structure/frmQuickTable.h"
#include "tagtest.h"

namespace kavrin::test {
namespace {

TEST(QuickTableHtml, OneByOneTwoByTwoLabelledAndTheLargest) {
    EXPECT_EQ(quickTableHtml(1, 1, false, "    "), "<table>\r\n<tr>\r\n    <td></td>\r\n</tr>\r\n</table>\r\n");
    EXPECT_EQ(quickTableHtml(1, 1, true, "\t"), "<table>\r\n<tr>\r\n\t<td>Cell 1,1</td>\r\n</tr>\r\n</table>\r\n");
    // Each row's start tag follows the previous row's end tag on its line.
    EXPECT_EQ(quickTableHtml(2, 2, true, "    "),
              "<table>\r\n<tr>\r\n    <td>Cell 1,1</td>\r\n    <td>Cell 1,2</td>\r\n</tr><tr>\r\n"
              "    <td>Cell 2,1</td>\r\n    <td>Cell 2,2</td>\r\n</tr>\r\n</table>\r\n");

    const QString big = quickTableHtml(15, 15, true, "  ");
    EXPECT_EQ(big.count("<td>"), 225);
    EXPECT_EQ(big.count("</tr><tr>"), 14);
    EXPECT_TRUE(big.contains("  <td>Cell 15,15</td>\r\n</tr>\r\n</table>\r\n"));
    EXPECT_TRUE(big.contains("  <td>Cell 10,15</td>\r\n</tr><tr>\r\n  <td>Cell 11,1</td>"));
}

class QuickTableTest : public TagDialogTest {
protected:
    void SetUp() override {
        TagDialogTest::SetUp();
        indentText = "    ";
        mainWindow->picTab_MouseDown(4);
        mainWindow->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(mainWindow));
    }
    // Presses "Quick Table" and returns the grid it opens.
    frmQuickTable* open() {
        EXPECT_TRUE(mainWindow->tbrTable->isVisible());
        QAction* action = mainWindow->tbrTable->button("quick_table");
        EXPECT_TRUE(action && action->isEnabled());
        QTest::mouseClick(mainWindow->tbrTable->widgetForAction(action), Qt::LeftButton);
        return grid();
    }
    static frmQuickTable* grid() {
        for (Form* form : Form::forms())
            if (auto* g = qobject_cast<frmQuickTable*>(form)) return g;
        return nullptr;
    }
    // The pointer over cell (row, col), both from 1.
    static void moveTo(frmQuickTable* g, int row, int col) {
        const QPointF at = g->lblCell->cellCenter((row - 1) * 15 + col - 1);
        QMouseEvent move(QEvent::MouseMove, at, g->lblCell->mapToGlobal(at), Qt::NoButton, Qt::NoButton, {});
        QApplication::sendEvent(g->lblCell, &move);
    }
    static void releaseOn(frmQuickTable* g, int row, int col) {
        const QPoint at = g->lblCell->cellCenter((row - 1) * 15 + col - 1);
        QTest::mouseRelease(g->lblCell, Qt::LeftButton, {}, at);
    }
    // The user clicks back into the main window.
    static void backToMainWindow() {
        mainWindow->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(mainWindow));
        QCoreApplication::processEvents();
    }
    // Rows and columns of the cells drawn marked, as "rows x cols", or "" when they are no block.
    static QString markedBlock(frmQuickTable* g) {
        int rows = 0, cols = 0;
        for (int k = 0; k < 225; ++k)
            if (g->lblCell->cellColor(k) == frmQuickTable::kMarked) {
                rows = qMax(rows, k / 15 + 1);
                cols = qMax(cols, k % 15 + 1);
            }
        for (int k = 0; k < 225; ++k) {
            const bool inBlock = k / 15 < rows && k % 15 < cols;
            if ((g->lblCell->cellColor(k) == frmQuickTable::kMarked) != inBlock) return {};
        }
        return QString("%1 x %2").arg(rows).arg(cols);
    }
};

TEST_F(QuickTableTest, TheMarkedBlockFollowsThePointerAndTheReleaseInsertsItsTable) {
    setDocument("a|kept|b");
    frmQuickTable* g = open();
    ASSERT_NE(g, nullptr);
    EXPECT_TRUE(g->isVisible());
    EXPECT_EQ(g->caption(), "Quick Table");
    // Under the right end of the Table toolbar.
    const QRect bar(mainWindow->tbrTable->mapToGlobal(QPoint()), mainWindow->tbrTable->size());
    EXPECT_EQ(g->pos().y(), bar.bottom() + 1);
    EXPECT_LT(g->pos().x(), bar.right());
    EXPECT_GT(g->pos().x(), bar.right() - 30);
    EXPECT_FALSE(g->chkLabelCells->isChecked());
    EXPECT_EQ(g->lblCell->cellColor(0), -1) << "cells start in the window colour";

    moveTo(g, 5, 4);
    EXPECT_EQ(g->caption(), "5 x 4");
    EXPECT_EQ(markedBlock(g), "5 x 4");
    moveTo(g, 2, 6);
    EXPECT_EQ(g->caption(), "2 x 6");
    EXPECT_EQ(markedBlock(g), "2 x 6");

    releaseOn(g, 2, 3);
    EXPECT_EQ(grid(), nullptr) << "the grid closes itself";
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Form::forms().size(), baseForms);
    EXPECT_EQ(text(), "a<table>\r\n<tr>\r\n    <td></td>\r\n    <td></td>\r\n    <td></td>\r\n</tr><tr>\r\n"
                      "    <td></td>\r\n    <td></td>\r\n    <td></td>\r\n</tr>\r\n</table>\r\nkeptb");
    ASSERT_TRUE(QTest::qWaitForWindowActive(mainWindow));
    EXPECT_TRUE(doc->txtMain->hasFocus());

    // The bottom right cell gives the largest table.
    editor()->setText(QString());
    g = open();
    moveTo(g, 15, 15);
    EXPECT_EQ(g->caption(), "15 x 15");
    releaseOn(g, 15, 15);
    EXPECT_EQ(text(), quickTableHtml(15, 15, false, "    "));
}

TEST_F(QuickTableTest, LabelCellsIsKeptAndAnyOtherFocusClosesTheGridWithoutInserting) {
    setDocument("|");
    frmQuickTable* g = open();
    ASSERT_NE(g, nullptr);
    g->chkLabelCells->click();
    // A click into the main window takes the focus: the grid goes, nothing is written.
    backToMainWindow();
    EXPECT_EQ(grid(), nullptr);
    EXPECT_EQ(text(), "");
    EXPECT_EQ(getSetting("Kavrin Pro", "Settigngs", "LabelCells", "<none>"), "1");

    g = open();
    EXPECT_TRUE(g->chkLabelCells->isChecked());
    moveTo(g, 1, 1);
    releaseOn(g, 1, 1);
    EXPECT_EQ(text(), "<table>\r\n<tr>\r\n    <td>Cell 1,1</td>\r\n</tr>\r\n</table>\r\n");

    // A second press starts afresh rather than stacking grids.
    g = open();
    moveTo(g, 3, 3);
    g->chkLabelCells->click();
    frmQuickTable* again = open();
    EXPECT_NE(again, nullptr);
    int grids = 0;
    for (Form* form : Form::forms()) grids += qobject_cast<frmQuickTable*>(form) != nullptr;
    EXPECT_EQ(grids, 1);
    EXPECT_FALSE(again->chkLabelCells->isChecked());
    EXPECT_EQ(again->lastCellIndex, -1);
    QTest::keyClick(again, Qt::Key_Escape);
    EXPECT_EQ(grid(), nullptr);

    // A click that takes no focus (on a header, say) dismisses it as well.
    setDocument("|");
    g = open();
    QTest::mouseClick(mainWindow->picTab[1], Qt::LeftButton);
    EXPECT_EQ(grid(), nullptr);
    EXPECT_EQ(text(), "");
    mainWindow->picTab_MouseDown(4);

    // A stored value that is no number leaves the box unchecked.
    saveSetting("Kavrin Pro", "Settigngs", "LabelCells", "yes");
    g = open();
    EXPECT_FALSE(g->chkLabelCells->isChecked());
    g->unload();
    EXPECT_EQ(getSetting("Kavrin Pro", "Settigngs", "LabelCells", "<none>"), "0");
}

}  // namespace
}  // namespace kavrin::test
