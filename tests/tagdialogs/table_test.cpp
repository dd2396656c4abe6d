// The table dialog in both builds: a new table with its rows and cells, an edited table's start
// tag, the size ceiling, and the live preview of the build with the browser and designer.
#include <QFile>
#include <QWebEngineView>

#include "platform/forms/msgbox.h"
#include "platform/web/webviews.h"
#include "tagdialogs/structure/frmTable.h"
#include "tagdialogs/structure/tablebuilder.h"
#include "tagtest.h"

namespace kavrin::test {
namespace {

class TableTest : public TagDialogTest {
protected:
    void SetUp() override {
        TagDialogTest::SetUp();
        indentText = "    ";
    }

    // Insert > Table > Table, with `drive` working the dialog that opens.
    template <class Dialog = frmTable>
    void insertTable(std::type_identity_t<std::function<void(Dialog&)>> drive) {
        const QString name = std::is_same_v<Dialog, frmTableIe> ? "frmTableIe" : "frmTable";
        expectDialogWindow<Dialog>(name, drive);
        mainWindow->mnuInsertTableTable->trigger();
        EXPECT_EQ(Form::forms().size(), baseForms) << "the dialog must be gone";
    }

    // Right-click in the tag and choose Edit Tag.
    template <class Dialog = frmTable>
    void editTable(const QString& marked, std::type_identity_t<std::function<void(Dialog&)>> drive) {
        setDocument(marked);
        ASSERT_TRUE(editTagOffered());
        const QString name = std::is_same_v<Dialog, frmTableIe> ? "frmTableIe" : "frmTable";
        expectDialogWindow<Dialog>(name, drive);
        mainWindow->mnuPopupEditTag->trigger();
    }

    static QString cells(int row, int cols, bool labels) {
        QString out = "<tr>\r\n";
        for (int c = 1; c <= cols; ++c)
            out += "    <td>" + (labels ? QString("cell %1,%2").arg(row).arg(c) : QString()) + "</td>\r\n";
        return out + "</tr>\r\n";
    }
};

TEST(TableBuilder, CountsAreLeadingNumbersRoundedHalfToEvenWithin16Bits) {
    const std::pair<const char*, int> cases[] = {
        {"2.5", 2}, {"3.5", 4}, {" 7 rows", 7}, {"abc", 0}, {"", 0},
        {"32767", 32767}, {"32767.5", 0}, {"40000", 0}, {"-3", -3}, {"1e9", 0},
    };
    for (const auto& [text, count] : cases) EXPECT_EQ(tableCount(text), count) << text;
}

TEST(TableBuilder, GridCeilingAndBoundedPreview) {
    EXPECT_TRUE(tableGridFits(400, 250));  // exactly 100,000 cells
    EXPECT_FALSE(tableGridFits(401, 250));
    EXPECT_FALSE(tableGridFits(32767, 32767));
    EXPECT_TRUE(tableGridFits(32767, 0));  // rows without cells
    EXPECT_TRUE(tableGridFits(-5, 32767));

    EXPECT_EQ(tableRows(0, 3, true, "  "), "\r\n");
    EXPECT_EQ(tableRows(2, 0, true, "  "), "\r\n<tr>\r\n</tr>\r\n<tr>\r\n</tr>\r\n");
    EXPECT_EQ(tableRows(0, 0, true, "  "), "");
    EXPECT_EQ(tableRows(-1, -1, true, "  "), "");

    const QString page = tablePreviewPage(" border=\"1\"", 1000, 1000, "\t");
    EXPECT_TRUE(page.startsWith("<html><body><table border=\"1\">\r\n<tr>\r\n\t<td><small>cell 1,1</small></td>\r\n"));
    EXPECT_TRUE(page.endsWith("</tr>\r\n</table></body></html>\r\n"));
    EXPECT_EQ(page.count("<td>"), kPreviewMaxRows * kPreviewMaxCols);
    EXPECT_EQ(page.count("<tr>"), kPreviewMaxRows);
}

TEST_F(TableTest, NewTableWithLabelledCellsKeepsTheSelectionBeforeTheEndTag) {
    setDocument("a|SEL|b");
    insertTable([](frmTable& d) {
        EXPECT_EQ(d.caption(), "Table");
        EXPECT_EQ(d.webBrowser, nullptr);
        EXPECT_TRUE(d.fraBasic->isVisible());
        EXPECT_FALSE(d.fraIe->isVisible());
        EXPECT_EQ(d.fraIe->title(), "Internet Explorer");
        EXPECT_EQ(d.cboAlign->count(), 7);
        EXPECT_EQ(d.cboFrame->count(), 10);
        EXPECT_EQ(d.cboRules->count(), 6);
        EXPECT_EQ(d.cboRules->itemText(0), "");
        EXPECT_EQ(d.cmdBackColor->toolTip(), "Select Color");
        EXPECT_FALSE(d.chkLableCells->isChecked());
        type(d.txtNumRows, "2");
        type(d.txtNumCols, "3");
        d.chkLableCells->click();
        type(d.txtBorder, "1");
        d.cmdOk->click();
    });
    const QString start = "a<table border=\"1\">\r\n" + cells(1, 3, true) + cells(2, 3, true) + "SEL";
    EXPECT_EQ(text(), start + "</table>b");
    EXPECT_EQ(caret(), start.size());

    setDocument("|");
    insertTable([](frmTable& d) {
        type(d.txtNumRows, "2");
        type(d.txtNumCols, "3");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<table>\r\n" + cells(1, 3, false) + cells(2, 3, false) + "</table>");
}

TEST_F(TableTest, EmptyAndDegenerateGrids) {
    struct Case {
        const char* rows;
        const char* cols;
        QString written;
    };
    const Case cases[] = {
        {"", "", "<table></table>"},
        {"0", "3", "<table>\r\n</table>"},
        {"3", "0", "<table>\r\n<tr>\r\n</tr>\r\n<tr>\r\n</tr>\r\n<tr>\r\n</tr>\r\n</table>"},
        {"2.5", "1", "<table>\r\n" + cells(1, 1, false) + cells(2, 1, false) + "</table>"},
        {"3.5", "1", "<table>\r\n" + cells(1, 1, false) + cells(2, 1, false) + cells(3, 1, false) +
                         cells(4, 1, false) + "</table>"},
        {"many", "x", "<table></table>"},
        {"40000", "2", "<table>\r\n</table>"},  // out of range counts as 0
    };
    for (const Case& c : cases) {
        setDocument("|");
        insertTable([&c](frmTable& d) {
            type(d.txtNumRows, c.rows);
            type(d.txtNumCols, c.cols);
            d.cmdOk->click();
        });
        EXPECT_EQ(text(), c.written) << c.rows << " by " << c.cols;
    }
    EXPECT_EQ(caret(), text().size() - 8);  // before "</table>"
}

TEST_F(TableTest, AttributesAreWrittenInTheirOrderWhateverOrderTheyWereFilledIn) {
    setDocument("|");
    insertTable([this](frmTable& d) {
        d.tbsMain->setCurrentIndex(1);
        EXPECT_FALSE(d.fraBasic->isVisible());
        EXPECT_TRUE(d.fraIe->isVisible());
        type(d.txtBorderDark, "#333333");
        type(d.txtSrc, "back.gif");
        type(d.txtBorderLight, "silver");
        type(d.txtBorderColor, "black");
        d.tbsMain->setCurrentIndex(0);
        EXPECT_TRUE(d.fraBasic->isVisible());
        type(d.txtBackColor, "#FFFFFF");
        d.cboRules->setCurrentIndex(1);
        type(d.cboFrame, "box");
        type(d.txtBorder, "2");
        type(d.txtCellSpacing, "3");
        type(d.txtCellPadding, "4");
        d.cboAlign->setCurrentIndex(2);
        type(d.txtHeight, "50");
        type(d.txtWidth, "100%");
        d.updWidth->upButton->click();
        d.updCellPadding->downButton->click();
        d.updRows->upButton->click();   // empty goes to 1
        d.updCols->upButton->click();
        d.updCols->upButton->click();
        EXPECT_EQ(d.txtNumCols->text(), "2");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(),
              "<table width=\"101%\" height=\"50\" align=\"center\" cellpadding=\"3\" cellspacing=\"3\" border=\"2\""
              " frame=\"box\" rules=\"all\" bgcolor=\"#FFFFFF\" bordercolor=\"black\" bordercolorlight=\"silver\""
              " bordercolordark=\"#333333\" background=\"back.gif\">\r\n" +
                  cells(1, 2, false) + "</table>");
}

TEST_F(TableTest, ColourPickerBrowseAndCancel) {
    const QString page = workDir + "site/page.htm";
    QDir().mkpath(workDir + "site/images");
    expectSave(page);
    saveDocument(doc);
    const QString picture = writeFile("site/images/bg.gif", "GIF89a");
    setDocument("x|");
    insertTable([&](frmTable& d) {
        expectDialogWindow<frmColor>("frmColor", [](frmColor& picker) {
            const PaletteEntry box = webSafePalette()[180];  // red 255, green 0, blue 0
            QTest::mouseClick(&picker, Qt::LeftButton, {}, QPoint(picker.paletteLeft() + box.x / 15 + 5, box.y / 15 + 5));
            picker.cmdOk->click();
        });
        d.cmdBackColor->click();
        EXPECT_EQ(d.txtBackColor->text(), "FF0000");
        EXPECT_EQ(swatchColor(d.lblBack), 0x0000FF);
        expectDialogWindow<frmColor>("frmColor", [](frmColor& picker) { picker.cmdCancel->click(); });
        d.cmdBorderDark->click();
        EXPECT_EQ(d.txtBorderDark->text(), "");
        EXPECT_EQ(swatchColor(d.lblBorderDark), 0xC0C0C0);

        expectDialog("open", [&](CommonDialog& cdl) {
            EXPECT_EQ(cdl.dialogTitle, "Select a Background Image");
            EXPECT_EQ(cdl.filter, "Images (*.gif;*.jpg;*.jpeg;*.png)|*.gif;*.jpg;*.jpeg;*.png|All Files (*.*)|*.*");
            EXPECT_EQ(cdl.flags, 0x201004);
            cdl.fileName = picture;
            return true;
        });
        d.cmdBrowse->click();
        EXPECT_EQ(d.txtSrc->text(), "images/bg.gif");
        expectDialogCancel("open");
        d.cmdBrowse->click();
        EXPECT_EQ(d.txtSrc->text(), "images/bg.gif");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "x<table bgcolor=\"FF0000\" background=\"images/bg.gif\"></table>");

    insertTable([](frmTable& d) {
        type(d.txtNumRows, "3");
        QTest::keyClick(d.txtNumRows, Qt::Key_Escape);
    });
    EXPECT_EQ(text(), "x<table bgcolor=\"FF0000\" background=\"images/bg.gif\"></table>");
}

TEST_F(TableTest, EditedTableKeepsItsRowsAndUnknownAttributes) {
    editTable("<TABLE Border=2 id=\"main\" nowrap|>\r\n<tr><td>x</td></tr>\r\n</TABLE>", [](frmTable& d) {
        EXPECT_TRUE(editingTag);
        for (QWidget* w : std::initializer_list<QWidget*>{d.txtNumRows, d.txtNumCols, d.lblRows, d.lblCols,
                                                          d.updRows, d.updCols, d.chkLableCells})
            EXPECT_FALSE(w->isVisible()) << w->metaObject()->className();
        EXPECT_TRUE(d.txtBorder->isVisible());
        EXPECT_EQ(d.txtBorder->text(), "2");
        EXPECT_EQ(d.extraAttributes, " id=\"main\" nowrap");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<table border=\"2\" id=\"main\" nowrap>\r\n<tr><td>x</td></tr>\r\n</TABLE>");
    EXPECT_EQ(caret(), QString("<table border=\"2\" id=\"main\" nowrap>").size());

    // Names in capitals land in their fields and come back in the write order; colours paint
    // their swatches.
    editTable("<table border=1 onclick=\"go(1)\" CELLPADDING=\"5\" bgcolor=\"#00FF00\" frame=hsides |>",
              [](frmTable& d) {
                  EXPECT_EQ(d.txtCellPadding->text(), "5");
                  EXPECT_EQ(d.cboFrame->currentText(), "hsides");
                  EXPECT_EQ(swatchColor(d.lblBack), 0x00FF00);
                  d.cmdOk->click();
              });
    EXPECT_EQ(text(),
              "<table cellpadding=\"5\" border=\"1\" frame=\"hsides\" bgcolor=\"#00FF00\" onclick=\"go(1)\">");

    // A bare border keeps the table's border unless the user fills the field.
    editTable("<table |border width=50%>", [](frmTable& d) {
        EXPECT_EQ(d.txtBorder->text(), "");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<table width=\"50%\" border>");

    editTable("<table |border=4>", [](frmTable& d) {
        type(d.txtWidth, "9");
        d.cmdCancel->click();
    });
    EXPECT_EQ(text(), "<table border=4>");
}

TEST_F(TableTest, HugeGridsAreRefusedWithAMessageAndTheDialogStaysOpen) {
    setDocument("|");
    insertTable([this](frmTable& d) {
        type(d.txtNumRows, "32767");
        type(d.txtNumCols, "32767");
        expectMsgBox("at most 100,000 cells", vbOK);
        d.cmdOk->click();
        EXPECT_TRUE(d.isLoaded());
        EXPECT_EQ(text(), "");

        clear(d.txtNumCols);
        type(d.txtNumCols, "4");  // 131,068 cells
        expectMsgBox("32767 rows and 4 columns", vbOK);
        d.cmdOk->click();
        EXPECT_TRUE(d.isLoaded());

        clear(d.txtNumRows);
        clear(d.txtNumCols);
        type(d.txtNumRows, "200");
        type(d.txtNumCols, "50");
        d.cmdOk->click();
    });
    // Below the ceiling every row and cell asked for is written.
    EXPECT_EQ(text().count("<tr>"), 200);
    EXPECT_EQ(text().count("<td></td>"), 10000);
    EXPECT_TRUE(text().endsWith(cells(200, 50, false) + "</table>"));
}

// The one case with the web engine: the preview follows the fields while the table is built,
// shows a bounded sample of a big grid, and a 2 by 2 sample of an edited table.
TEST_F(TableTest, PreviewBuildFollowsTheFieldsInALivePreview) {
    enableBrowserAndDesigner = true;
    const QString page = workDir + "site/page.htm";
    QDir().mkpath(workDir + "site");
    expectSave(page);
    saveDocument(doc);
    writeFile("site/bg.gif", "GIF89a");
    const QString previewFile = tempDir + "temp.html";
    auto preview = [&] { return QString::fromUtf8(readFile(previewFile)); };
    // Waits until the view has loaded the preview file, then counts its table cells.
    auto cellsShown = [](frmTableIe& d) {
        QWebEngineView* view = d.webBrowser->view();
        int count = -1;
        bool answered = false;
        view->page()->runJavaScript("document.querySelectorAll('td').length", [&](const QVariant& v) {
            count = v.toInt();
            answered = true;
        });
        EXPECT_TRUE(QTest::qWaitFor([&] { return answered; }, 20000));
        return count;
    };

    setDocument("|");
    insertTable<frmTableIe>([&](frmTableIe& d) {
        ASSERT_NE(d.webBrowser, nullptr);
        EXPECT_TRUE(d.webBrowser->isVisible());
        QWebEngineView* view = d.webBrowser->view();
        bool loaded = false;
        QObject::connect(view, &QWebEngineView::loadFinished, &d, [&](bool ok) {
            if (ok && localPagePath(view->url()) == workDir + "site/temp.html") loaded = true;
        });

        type(d.txtNumRows, "2");
        type(d.txtNumCols, "3");
        EXPECT_TRUE(preview().contains("<td><small>cell 2,3</small></td>"));
        EXPECT_FALSE(preview().contains("cell 3,1"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return loaded; }, 30000)) << "the preview never loaded";
        EXPECT_TRUE(QTest::qWaitFor([&] { return cellsShown(d) == 6; }, 20000));

        type(d.txtBorder, "1");
        EXPECT_TRUE(preview().startsWith("<html><body><table border=\"1\">\r\n"));
        // A pick from a list redraws; typing into a list box does not, but OK writes it.
        for (int i = 0; i < 5; ++i) QTest::keyClick(d.cboFrame, Qt::Key_Down);
        EXPECT_EQ(d.cboFrame->currentText(), "box");
        EXPECT_TRUE(preview().contains("frame=\"box\""));
        clear(d.cboFrame);
        type(d.cboFrame, "void");
        EXPECT_TRUE(preview().contains("frame=\"box\""));
        // A background named relative to the document is found from the document's folder.
        type(d.txtSrc, "bg.gif");
        EXPECT_TRUE(preview().contains("background=\"" + workDir + "site/bg.gif\""));

        clear(d.txtNumRows);
        clear(d.txtNumCols);
        type(d.txtNumRows, "300");
        type(d.txtNumCols, "400");
        EXPECT_EQ(preview().count("<td>"), kPreviewMaxRows * kPreviewMaxCols);
        expectMsgBox("at most 100,000 cells", vbOK);
        d.cmdOk->click();
        clear(d.txtNumRows);
        clear(d.txtNumCols);
        type(d.txtNumRows, "1");
        type(d.txtNumCols, "1");
        d.chkLableCells->click();
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<table border=\"1\" frame=\"void\" background=\"bg.gif\">\r\n" + cells(1, 1, true) +
                          "</table>");

    editTable<frmTableIe>("<table |border=3 id=t>", [&](frmTableIe& d) {
        EXPECT_TRUE(preview().contains("<table border=\"3\">"));
        EXPECT_EQ(preview().count("<td>"), 4);
        EXPECT_TRUE(preview().contains("cell 2,2"));
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<table border=\"3\" id=\"t\">");
}

}  // namespace
}  // namespace kavrin::test
