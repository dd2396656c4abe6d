// The list wizard and the special-character table as a user works them from their menus.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>

#include "tagdialogs/text/frmList.h"
#include "tagdialogs/text/frmSymbol.h"
#include "tagtest.h"

namespace kavrin::test {
namespace {

using ListWizardTest = TagDialogTest;
using SymbolTableTest = TagDialogTest;

TEST(ListItems, SelectedLinesWithoutTheBlankOnes) {
    EXPECT_EQ(listItemsFromSelection("one\r\n\r\n   \r\n  two \r\nthree\r\n"), (QStringList{"one", "  two ", "three"}));
    EXPECT_EQ(listItemsFromSelection("single"), QStringList{"single"});
    EXPECT_EQ(listItemsFromSelection(""), QStringList{});
    EXPECT_EQ(listItemsFromSelection("\r\n \t\r\n\tin"), QStringList{"\tin"}) << "tabs are white space too";
}

TEST(ListMarkup, EachKindWithItsTypeAsHtmlNamesIt) {
    const QStringList two{"one", "two"};
    ListMarkup ol = buildListMarkup(ListStyle::Ordered, "A", two);
    EXPECT_EQ(ol.start, "<ol type=\"A\">\r\n<li>one\r\n<li>two\r\n");
    EXPECT_EQ(ol.end, "</ol>");
    EXPECT_EQ(buildListMarkup(ListStyle::Ordered, "", two).start, "<ol>\r\n<li>one\r\n<li>two\r\n");
    for (const auto& [shown, written] : {std::pair{"Disk", "disc"}, {"Square", "square"}, {"Circle", "circle"}}) {
        ListMarkup ul = buildListMarkup(ListStyle::Unordered, shown, {"x"});
        EXPECT_EQ(ul.start, QString("<ul type=\"%1\">\r\n<li>x\r\n").arg(written));
        EXPECT_EQ(ul.end, "</ul>");
    }
    ListMarkup dl = buildListMarkup(ListStyle::Definition, "i", {});
    EXPECT_EQ(dl.start + dl.end, "<dl></dl>");
    EXPECT_EQ(buildListMarkup(ListStyle::Definition, "", two).start, "<dl>\r\n<dd>one\r\n<dd>two\r\n");
}

TEST_F(ListWizardTest, SelectedLinesBecomeAnUnorderedList) {
    setDocument("before\r\n|one\r\n\r\n   \r\n  two\r\nthree\r\n|after");
    fromMenu<frmList>(mainWindow->mnuInsertListList, "frmList", [](frmList& d) {
        EXPECT_EQ(d.caption(), "List Wizard");
        EXPECT_TRUE(d.picMain[0]->isVisible());
        EXPECT_FALSE(d.picMain[1]->isVisible());
        ASSERT_EQ(d.lstItems->count(), 3);
        EXPECT_EQ(d.lstItems->item(1)->text(), "  two");
        EXPECT_EQ(d.lstItems->currentRow(), 0);
        EXPECT_TRUE(d.cmdRemove->isEnabled());
        EXPECT_FALSE(d.cmdBack->isEnabled());
        EXPECT_EQ(d.bulletKey(), "number");

        d.cmdNext->click();
        EXPECT_EQ(d.cmdNext->text(), "Finish");
        EXPECT_TRUE(d.cmdBack->isEnabled());
        EXPECT_TRUE(d.picMain[1]->isVisible());
        EXPECT_FALSE(d.picMain[0]->isVisible());
        EXPECT_TRUE(d.optOrdered->isChecked());
        d.optUnordered->click();
        EXPECT_EQ(d.cboBullet->count(), 3);
        EXPECT_EQ(d.bulletKey(), "disk");
        pick(d.cboBullet, "Square");
        EXPECT_EQ(d.imgMain->property("pictureKey").toString(), "square");
        d.optDefinition->click();
        EXPECT_FALSE(d.fraBullet->isEnabled());
        EXPECT_EQ(d.imgMain->property("pictureKey").toString(), "dl");
        d.optUnordered->click();
        EXPECT_TRUE(d.fraBullet->isEnabled());
        pick(d.cboBullet, "Circle");
        d.cmdNext->click();
    });
    const QString list = "<ul type=\"circle\">\r\n<li>one\r\n<li>  two\r\n<li>three\r\n</ul>";
    EXPECT_EQ(text(), "before\r\n" + list + "after");
    EXPECT_EQ(caret(), text().indexOf("</ul>"));
}

TEST_F(ListWizardTest, EnterAddsWhileTypingAndGoesOnElsewhere) {
    setDocument("x|y");
    fromMenu<frmList>(mainWindow->mnuToolsListWizard, "frmList", [](frmList& d) {
        QApplication::setActiveWindow(&d);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
        EXPECT_EQ(d.lstItems->count(), 0);
        EXPECT_FALSE(d.cmdRemove->isEnabled());
        EXPECT_FALSE(d.cmdAdd->isEnabled());
        d.txtItem->setFocus();
        EXPECT_TRUE(d.itemHasFocus);
        QTest::keyClick(d.txtItem, Qt::Key_Return);
        EXPECT_EQ(d.lstItems->count(), 0) << "an empty box adds nothing";
        EXPECT_FALSE(d.picMain[1]->isVisible());
        QTest::keyClicks(d.txtItem, "first");
        EXPECT_TRUE(d.cmdAdd->isEnabled());
        QTest::keyClick(d.txtItem, Qt::Key_Return);
        QTest::keyClicks(d.txtItem, "second");  // the added text was selected: typing replaces it
        QTest::keyClick(d.txtItem, Qt::Key_Enter);
        ASSERT_EQ(d.lstItems->count(), 2);
        EXPECT_EQ(d.lstItems->item(1)->text(), "second");
        EXPECT_EQ(d.lstItems->currentRow(), 0);

        // Removing the last item disables Remove.
        d.cmdRemove->click();
        d.cmdRemove->click();
        EXPECT_EQ(d.lstItems->count(), 0);
        EXPECT_FALSE(d.cmdRemove->isEnabled());
        d.txtItem->setText("only");
        d.cmdAdd->click();

        // Away from the item box Enter is Next, and on the style page Finish.
        d.lstItems->setFocus();
        EXPECT_FALSE(d.itemHasFocus);
        QTest::keyClick(d.lstItems, Qt::Key_Return);
        ASSERT_TRUE(d.picMain[1]->isVisible());
        d.optUnordered->click();
        pick(d.cboBullet, "Disk");
        d.cmdBack->click();  // back and on: the style stays as chosen
        EXPECT_EQ(d.cmdNext->text(), "Next >");
        EXPECT_TRUE(d.picMain[0]->isVisible());
        d.lstItems->setFocus();
        QTest::keyClick(d.lstItems, Qt::Key_Return);
        d.optOrdered->click();  // another style forgets the type
        EXPECT_EQ(d.cboBullet->currentText(), "");
        QTest::keyClick(d.optOrdered, Qt::Key_Return);
    });
    EXPECT_EQ(text(), "x<ol>\r\n<li>only\r\n</ol>y");

    // Esc, or Enter on Cancel, closes without writing.
    setDocument("|keep|");
    fromMenu<frmList>(mainWindow->mnuInsertListList, "frmList", [](frmList& d) {
        QTest::keyClick(d.txtItem, Qt::Key_Escape);
    });
    fromMenu<frmList>(mainWindow->mnuInsertListList, "frmList", [](frmList& d) {
        d.cmdCancel->setFocus();
        QTest::keyClick(d.cmdCancel, Qt::Key_Return);
    });
    EXPECT_EQ(text(), "keep");
}

// What a browser shows for a reference: a named one it knows, or the code point of a number.
QString shownFor(const QString& reference) {
    if (reference == "&nbsp;") return QString(QChar(0xA0));
    if (reference == "&trade;") return QString(QChar(0x2122));
    if (!reference.startsWith("&#") || !reference.endsWith(';')) return {};
    bool ok = false;
    const uint code = reference.mid(2, reference.size() - 3).toUInt(&ok);
    // The C1 controls are no characters a page can show.
    if (!ok || (code >= 0x80 && code <= 0x9F)) return {};
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
}

TEST(SymbolCells, EveryCellWritesAReferenceToTheCharacterItStandsFor) {
    int checked = 0;
    for (int n = 0; n < kSymbolCells; ++n) {
        const QString cell = symbolCellText(n);
        QString meant = cell;
        if (n == 95) {
            EXPECT_EQ(cell, " ");
            meant = QChar(0xA0);
        } else if (n == 96) {
            EXPECT_EQ(cell, "TM");
            meant = QChar(0x2122);
        } else {
            ASSERT_EQ(cell.size(), 1) << n;
            const int code = cell[0].unicode();
            EXPECT_TRUE((code >= 32 && code <= 126) || (code >= 161 && code <= 255)) << n;
        }
        EXPECT_EQ(shownFor(symbolReference(n)), meant) << n << " " << symbolReference(n).toStdString();
        ++checked;
    }
    EXPECT_EQ(checked, 192);
    // The ends of both halves.
    EXPECT_EQ(symbolCellText(0), " ");
    EXPECT_EQ(symbolReference(0), "&#32;");
    EXPECT_EQ(symbolReference(33), "&#65;");
    EXPECT_EQ(symbolReference(94), "&#126;");
    EXPECT_EQ(symbolReference(97), "&#161;");
    EXPECT_EQ(symbolReference(191), "&#255;");
    EXPECT_EQ(symbolReference(96), "&#8482;");
    EXPECT_EQ(symbolReference(192), "");
}

TEST_F(SymbolTableTest, PickedCellReplacesTheSelectionAsOneUndoStep) {
    uppercaseTags = true;
    setDocument("a|old|b");
    fromMenu<frmSymbol>(mainWindow->mnuInsertSymbol, "frmSymbol", [](frmSymbol& d) {
        EXPECT_EQ(d.caption(), "Symbols");
        ASSERT_EQ(d.lblSymbol.size(), 192);
        EXPECT_EQ(d.selectedSymbol, 0);
        EXPECT_TRUE(d.lblTip->isVisible());
        EXPECT_EQ(d.lblTip->text(), "(space)");
        EXPECT_EQ(d.lblSymbol[0]->palette().color(QPalette::Window), QColor(0, 0, 255));
        // Row 1, column 1 holds the capital A.
        EXPECT_EQ(d.lblSymbol[33]->text(), "A");
        EXPECT_EQ(d.lblSymbol[33]->pos(), QPoint(14, 16));

        QTest::mousePress(d.lblSymbol[33], Qt::LeftButton);
        EXPECT_EQ(d.selectedSymbol, 33);
        EXPECT_EQ(d.lblSymbol[0]->palette().color(QPalette::Window), QColor(Qt::white));
        EXPECT_EQ(d.lblSymbol[33]->palette().color(QPalette::Window), QColor(0, 0, 255));
        EXPECT_EQ(d.lblSymbol[33]->palette().color(QPalette::WindowText), QColor(Qt::white));
        EXPECT_FALSE(d.lblTip->isVisible());
        EXPECT_EQ(d.txtSymbol->text(), " A");
        EXPECT_EQ(d.txtSymbol->font().pointSize(), 12);

        QTest::mousePress(d.lblSymbol[96], Qt::RightButton);  // any button picks
        EXPECT_EQ(d.txtSymbol->text(), "TM");
        EXPECT_EQ(d.txtSymbol->font().pointSize(), 8);
        QTest::mousePress(d.lblSymbol[95], Qt::LeftButton);
        EXPECT_EQ(d.lblTip->text(), "(non-breaking space)");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "a&nbsp;b");
    EXPECT_EQ(caret(), 7);
    mainWindow->mnuEditUndo_Click();
    EXPECT_EQ(text(), "aoldb");

    // Enter inserts the highlighted cell; Close and Esc write nothing.
    setDocument("|");
    fromMenu<frmSymbol>(mainWindow->mnuInsertSymbol, "frmSymbol", [](frmSymbol& d) {
        QTest::mousePress(d.lblSymbol[191], Qt::LeftButton);
        QTest::keyClick(d.txtSymbol, Qt::Key_Return);
    });
    fromMenu<frmSymbol>(mainWindow->mnuInsertSymbol, "frmSymbol", [](frmSymbol& d) { d.cmdCancel->click(); });
    fromMenu<frmSymbol>(mainWindow->mnuInsertSymbol, "frmSymbol", [](frmSymbol& d) {
        QTest::keyClick(&d, Qt::Key_Escape);
    });
    EXPECT_EQ(text(), "&#255;");
}

}  // namespace
}  // namespace kavrin::test
