// The dialogs of a table's parts: cells (th and td), rows, captions and row groups, each as a
// new element around the selection and through Edit Tag on an existing start tag.
#include "documents/globals.h"
#include "platform/forms/commondialog.h"
#include "tagdialogs/structure/frmCaption.h"
#include "tagdialogs/structure/frmTableSection.h"
#include "tagdialogs/structure/frmThd.h"
#include "tagdialogs/structure/frmTr.h"
#include "tagtest.h"

namespace kavrin::test {
namespace {

class TableDialogsTest : public TagDialogTest {
protected:
    // A row group as its toolbar button shows it: the kind first.
    void newSection(const QString& kind, std::function<void(frmTableSection&)> drive) {
        dialogKind = kind;
        expectDialogWindow<frmTableSection>("frmTableSection", drive);
        showModalDialog<frmTableSection>();
        EXPECT_EQ(Form::forms().size(), baseForms) << "the dialog must be gone";
    }

};

// ---- Cells ----

TEST_F(TableDialogsTest, NewHeadingAndDataCellsWrapTheSelection) {
    setDocument("a|Name|b");
    fromMenu<frmThd>(mainWindow->mnuInsertTableHeading, "frmThd", [](frmThd& d) {
        EXPECT_EQ(d.caption(), "Table Heading");
        EXPECT_TRUE(d.imgTH->isVisible());
        EXPECT_FALSE(d.imgTD->isVisible());
        EXPECT_TRUE(d.fraBasic->isVisible());
        EXPECT_FALSE(d.fraIe->isVisible());
        EXPECT_EQ(d.fraIe->title(), "Internet Explorer");
        EXPECT_EQ(d.tbsMain->tabText(0), "Basic");
        EXPECT_EQ(d.tbsMain->tabText(1), "Advanced");
        EXPECT_EQ(d.cboAlign->count(), 4);
        EXPECT_EQ(d.cboAlign->itemText(3), "justify");
        EXPECT_EQ(d.cboVAlign->itemText(3), "baseline");
        EXPECT_EQ(d.cboAlign->currentText(), "");
        EXPECT_EQ(d.cmdBorderDark->toolTip(), "Select Color");
        EXPECT_FALSE(d.chkNowrap->isChecked());
        type(d.txtWidth, "50");
        d.chkNowrap->click();
        d.cmdOk->click();
    });
    const QString start = "a<th width=\"50\" nowrap>Name";
    EXPECT_EQ(text(), start + "</th>b");
    EXPECT_EQ(caret(), start.size());
    EXPECT_EQ(dialogKind, "");

    setDocument("|x|");
    fromMenu<frmThd>(mainWindow->mnuInsertTableData, "frmThd", [](frmThd& d) {
        EXPECT_EQ(d.caption(), "Table Data");
        EXPECT_FALSE(d.imgTH->isVisible());
        EXPECT_TRUE(d.imgTD->isVisible());
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<td>x</td>");

    // Filled from last to first, written in the fixed order: background before bgcolor.
    setDocument("|");
    fromMenu<frmThd>(mainWindow->mnuInsertTableData, "frmThd", [](frmThd& d) {
        d.tbsMain->setCurrentIndex(1);
        EXPECT_FALSE(d.fraBasic->isVisible());
        EXPECT_TRUE(d.fraIe->isVisible());
        type(d.txtBorderDark, "#000");
        type(d.txtBorderLight, "white");
        type(d.txtBorderColor, "gray");
        type(d.txtSrc, "bg.gif");
        d.tbsMain->setCurrentIndex(0);
        EXPECT_TRUE(d.fraBasic->isVisible());
        d.chkNowrap->click();
        type(d.txtColspan, "2");
        type(d.txtRowspan, "3");
        type(d.txtBackColor, "#ffcc00");
        type(d.cboVAlign, "top");
        type(d.cboAlign, "Middle");
        type(d.txtHeight, "20");
        type(d.txtWidth, "10%");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<td width=\"10%\" height=\"20\" align=\"Middle\" valign=\"top\" colspan=\"2\" rowspan=\"3\" "
                      "background=\"bg.gif\" bgcolor=\"#ffcc00\" bordercolor=\"gray\" bordercolorlight=\"white\" "
                      "bordercolordark=\"#000\" nowrap></td>");

    // Cancel and Esc leave the document alone.
    fromMenu<frmThd>(mainWindow->mnuInsertTableHeading, "frmThd", [](frmThd& d) {
        type(d.txtWidth, "5");
        d.cmdCancel->click();
    });
    fromMenu<frmThd>(mainWindow->mnuInsertTableHeading, "frmThd", [](frmThd& d) {
        type(d.txtWidth, "5");
        QTest::keyClick(d.txtWidth, Qt::Key_Escape);
    });
    EXPECT_EQ(text().count("<"), 2);
    EXPECT_EQ(dialogKind, "");
}

TEST_F(TableDialogsTest, CellSpinButtonsSpansAndColours) {
    setDocument("|");
    fromMenu<frmThd>(mainWindow->mnuInsertTableData, "frmThd", [this](frmThd& d) {
        type(d.txtWidth, "50%");
        d.updWidth->upButton->click();
        EXPECT_EQ(d.txtWidth->text(), "51%");
        d.updHeight->downButton->click();
        EXPECT_EQ(d.txtHeight->text(), "0");
        d.updHeight->upButton->click();
        EXPECT_EQ(d.txtHeight->text(), "1");

        // Spans take digits only and their arrows stay within 0 to 999.
        type(d.txtColspan, "a-1x2");
        EXPECT_EQ(d.txtColspan->text(), "12");
        d.UpdColSpan->upButton->click();
        EXPECT_EQ(d.txtColspan->text(), "13");
        d.UpdRowSpan->downButton->click();
        EXPECT_EQ(d.txtRowspan->text(), "0");
        d.UpdRowSpan->upButton->click();
        EXPECT_EQ(d.txtRowspan->text(), "1");
        clear(d.txtRowspan);
        type(d.txtRowspan, "999");
        d.UpdRowSpan->upButton->click();
        EXPECT_EQ(d.txtRowspan->text(), "999");

        pickRed();
        d.cmdBackColor->click();
        EXPECT_EQ(d.txtBackColor->text(), "FF0000");
        EXPECT_EQ(swatchColor(d.lblBackColor), 0x0000FF);
        expectDialogWindow<frmColor>("frmColor", [](frmColor& picker) { picker.cmdCancel->click(); });
        d.cmdBorderLight->click();
        EXPECT_EQ(d.txtBorderLight->text(), "");

        expectDialog("open", [](CommonDialog& cdl) {
            EXPECT_EQ(cdl.dialogTitle, "Select a Background Image");
            EXPECT_EQ(cdl.filter, "Images (*.gif;*.jpg;*.jpeg;*.png)|*.gif;*.jpg;*.jpeg;*.png|All Files (*.*)|*.*");
            return false;
        });
        d.cmdBrowse->click();
        EXPECT_EQ(d.txtSrc->text(), "");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(),
              "<td width=\"51%\" height=\"1\" colspan=\"13\" rowspan=\"999\" bgcolor=\"FF0000\"></td>");
}

TEST_F(TableDialogsTest, EditedCellKeepsItsKindAndUnknownAttributes) {
    editTag<frmThd>("<TD NOWRAP ALIGN=Right class=\"x\"|>a</TD>", "frmThd", [](frmThd& d) {
        EXPECT_EQ(d.caption(), "Table Data");
        EXPECT_TRUE(d.chkNowrap->isChecked());
        EXPECT_EQ(d.cboAlign->currentText(), "Right");
        EXPECT_EQ(d.extraAttributes, " class=\"x\"");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<td align=\"Right\" nowrap class=\"x\">a</TD>");
    EXPECT_EQ(caret(), QString("<td align=\"Right\" nowrap class=\"x\">").size());
    EXPECT_EQ(dialogKind, "");

    // A colour name paints its swatch; background comes back before bgcolor; a flag written
    // with a value comes back bare; bare and empty unknown attributes come back bare.
    editTag<frmThd>("<th bgcolor=red nowrap=nowrap background=\"a.gif\" onclick=\"f()\" hidden data-x=\"\"|>",
                    "frmThd", [](frmThd& d) {
                        EXPECT_EQ(d.caption(), "Table Heading");
                        EXPECT_TRUE(d.imgTH->isVisible());
                        EXPECT_EQ(d.txtBackColor->text(), "red");
                        EXPECT_EQ(swatchColor(d.lblBackColor), 0x0000FF);
                        EXPECT_EQ(d.txtSrc->text(), "a.gif");
                        EXPECT_EQ(d.extraAttributes, " onclick=\"f()\" hidden data-x");
                        d.cmdOk->click();
                    });
    EXPECT_EQ(text(), "<th background=\"a.gif\" bgcolor=\"red\" nowrap onclick=\"f()\" hidden data-x>");

    editTag<frmThd>("<td |width=5>", "frmThd", [](frmThd& d) {
        EXPECT_EQ(d.txtWidth->text(), "5");
        type(d.txtHeight, "9");
        d.cmdCancel->click();
    });
    EXPECT_EQ(text(), "<td width=5>");
}

// ---- Rows ----

TEST_F(TableDialogsTest, NewRowsWriteTheirAttributesInOrder) {
    setDocument("x|");
    fromMenu<frmTr>(mainWindow->mnuInsertTableRow, "frmTr", [](frmTr& d) {
        EXPECT_EQ(d.caption(), "Table Row");
        EXPECT_TRUE(d.fraBasic->isVisible());
        EXPECT_FALSE(d.fraIe->isVisible());
        EXPECT_EQ(d.cboAlign->count(), 5);
        EXPECT_EQ(d.cboAlign->itemText(0), "");
        EXPECT_EQ(d.cboValign->itemText(4), "baseline");
        EXPECT_EQ(swatchColor(d.lblBack), 0xC0C0C0);
        EXPECT_EQ(d.cmdColor->toolTip(), "Select Color");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "x<tr></tr>");
    EXPECT_EQ(caret(), 5);

    setDocument("|SEL|");
    fromMenu<frmTr>(mainWindow->mnuInsertTableRow, "frmTr", [this](frmTr& d) {
        d.cboValign->setCurrentIndex(1);
        d.cboAlign->setCurrentIndex(2);
        pickRed();
        d.cmdColor->click();
        d.tbsMain->setCurrentIndex(1);
        EXPECT_TRUE(d.fraIe->isVisible());
        type(d.txtBorderLight, "#EEE");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<tr align=\"center\" valign=\"top\" bgcolor=\"FF0000\" bordercolorlight=\"#EEE\">SEL</tr>");

    // The empty entry takes a value back out; a value not in the list is written as typed.
    setDocument("|");
    fromMenu<frmTr>(mainWindow->mnuInsertTableRow, "frmTr", [](frmTr& d) {
        d.cboAlign->setCurrentIndex(3);
        d.cboAlign->setCurrentIndex(0);
        type(d.cboValign, "Centre");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<tr valign=\"Centre\"></tr>");
}

TEST_F(TableDialogsTest, EditedRowReplacesOnlyItsStartTag) {
    editTag<frmTr>("<TR BGCOLOR=\"#FF0000\" class=\"odd\"|><td>1</td></tr>", "frmTr", [](frmTr& d) {
        EXPECT_EQ(d.txtBackColor->text(), "#FF0000");
        EXPECT_EQ(swatchColor(d.lblBack), 0x0000FF);
        EXPECT_EQ(d.extraAttributes, " class=\"odd\"");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<tr bgcolor=\"#FF0000\" class=\"odd\"><td>1</td></tr>");

    editTag<frmTr>("<tr valign=top align=center bordercolordark=navy|>", "frmTr", [](frmTr& d) {
        EXPECT_EQ(d.cboValign->currentText(), "top");
        EXPECT_EQ(d.txtBorderDark->text(), "navy");
        EXPECT_EQ(d.extraAttributes, "");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<tr align=\"center\" valign=\"top\" bordercolordark=\"navy\">");
}

// ---- Captions ----

TEST_F(TableDialogsTest, CaptionsNewAndEdited) {
    editTag<frmCaption>("<CAPTION ALIGN=middle id=c1|>Title</CAPTION>", "frmCaption", [](frmCaption& d) {
        EXPECT_EQ(d.caption(), "Table Caption");
        EXPECT_EQ(d.cboAlign->currentText(), "middle");
        EXPECT_EQ(d.extraAttributes, " id=\"c1\"");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<caption align=\"middle\" id=\"c1\">Title</CAPTION>");

    // The kept attributes of an edited caption do not reach the next one.
    setDocument("|Title|");
    dialogKind.clear();
    expectDialogWindow<frmCaption>("frmCaption", [](frmCaption& d) {
        EXPECT_EQ(d.extraAttributes, "");
        EXPECT_EQ(d.cboAlign->count(), 5);
        EXPECT_EQ(d.cboAlign->itemText(0), "");
        EXPECT_EQ(d.cboAlign->itemText(4), "bottom");
        d.cboAlign->setCurrentIndex(3);
        d.cmdOk->click();
    });
    showModalDialog<frmCaption>();
    EXPECT_EQ(text(), "<caption align=\"top\">Title</caption>");

    // Enter presses OK.
    setDocument("|");
    expectDialogWindow<frmCaption>("frmCaption", [](frmCaption& d) { QTest::keyClick(d.cboAlign, Qt::Key_Return); });
    showModalDialog<frmCaption>();
    EXPECT_EQ(text(), "<caption></caption>");
}

// ---- Row groups ----

TEST_F(TableDialogsTest, NewRowGroupsPutTheSelectionOnItsOwnLines) {
    setDocument("|<tr></tr>|");
    newSection("tbody", [](frmTableSection& d) {
        EXPECT_EQ(d.caption(), "Table Body");
        EXPECT_TRUE(d.imgIcon[1]->isVisible());
        EXPECT_FALSE(d.imgIcon[0]->isVisible());
        EXPECT_FALSE(d.imgIcon[2]->isVisible());
        EXPECT_EQ(d.cboAlign->itemText(3), "center");
        EXPECT_EQ(d.cboVAlign->itemText(4), "baseline");
        d.cboAlign->setCurrentIndex(3);
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<tbody align=\"center\">\r\n<tr></tr>\r\n</tbody>");
    EXPECT_EQ(dialogKind, "");

    setDocument("|");
    newSection("thead", [](frmTableSection& d) {
        EXPECT_EQ(d.caption(), "Table Header");
        EXPECT_TRUE(d.imgIcon[0]->isVisible());
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<thead>\r\n\r\n</thead>");

    setDocument("|");
    newSection("tfoot", [](frmTableSection& d) {
        EXPECT_EQ(d.caption(), "Table Footer");
        EXPECT_TRUE(d.imgIcon[2]->isVisible());
        type(d.cboVAlign, "bottom");
        type(d.cboAlign, "left");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<tfoot align=\"left\" valign=\"bottom\">\r\n\r\n</tfoot>");

    // Any way of closing clears the kind.
    setDocument("|");
    newSection("thead", [](frmTableSection& d) { d.close(); });
    EXPECT_EQ(text(), "");
    EXPECT_EQ(dialogKind, "");
}

TEST_F(TableDialogsTest, EditedRowGroupsKeepTheirKindWithoutNewLines) {
    editTag<frmTableSection>("<TFOOT VALIGN=Top data-x=\"1\" ALIGN=left nowrap|>\r\n<tr></tr>\r\n</TFOOT>",
                             "frmTableSection", [](frmTableSection& d) {
                                 EXPECT_EQ(d.caption(), "Table Footer");
                                 EXPECT_EQ(d.cboVAlign->currentText(), "Top");
                                 EXPECT_EQ(d.cboAlign->currentText(), "left");
                                 EXPECT_EQ(d.extraAttributes, " data-x=\"1\" nowrap");
                                 d.cmdOk->click();
                             });
    EXPECT_EQ(text(), "<tfoot align=\"left\" valign=\"Top\" data-x=\"1\" nowrap>\r\n<tr></tr>\r\n</TFOOT>");
    EXPECT_EQ(dialogKind, "");

    editTag<frmTableSection>("<thead |class=h>", "frmTableSection", [](frmTableSection& d) {
        EXPECT_EQ(d.caption(), "Table Header");
        d.cboAlign->setCurrentIndex(1);
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<thead align=\"left\" class=\"h\">");

    editTag<frmTableSection>("<tbody |align=right>", "frmTableSection", [](frmTableSection& d) {
        EXPECT_EQ(d.caption(), "Table Body");
        d.cboAlign->setCurrentIndex(0);
        d.cmdCancel->click();
    });
    EXPECT_EQ(text(), "<tbody align=right>");
    EXPECT_EQ(dialogKind, "");
}

}  // namespace
}  // namespace kavrin::test
