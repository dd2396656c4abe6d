#pragma once
// "Table Wizard": a whole table in three pages. Page 1 takes the number of rows and columns
// with a preview of the grid; page 2 shows the cells as boxes to pick, fill and merge; page 3
// holds the table's own attributes. Finish writes the table in front of the selection.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <array>

#include "platform/forms/form.h"
#include "tagdialogs/structure/wizardgrid.h"
#include "tagdialogs/tagdialog.h"

namespace kavrin {

class frmTableWizard : public Form {
    Q_OBJECT
public:
    explicit frmTableWizard(QWidget* parent = nullptr);

    // ---- All pages ----
    std::array<QWidget*, 3> picFrame{};
    QWidget* picImage = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdBack = nullptr;
    QPushButton* cmdNext = nullptr;
    // ---- Page 1 ----
    QLineEdit* txtRows = nullptr;
    UpDown* updRows = nullptr;
    QLineEdit* txtCols = nullptr;
    UpDown* updCols = nullptr;
    QWidget* picMain = nullptr;
    // ---- Page 2 ----
    QWidget* picCells = nullptr;
    // Index 0 is never shown; 1 to 150 are the cells.
    std::array<QLabel*, kWizardMaxCells + 1> lblCell{};
    QLineEdit* txtContent = nullptr;
    QComboBox* cboHorizontal = nullptr;
    QComboBox* cboVertical = nullptr;
    QLineEdit* txtCellColor = nullptr;
    QToolButton* cmdCellColor = nullptr;
    QLineEdit* txtCellWidth = nullptr;
    UpDown* updCellWidth = nullptr;
    QLineEdit* txtCellHeight = nullptr;
    UpDown* updCellHeight = nullptr;
    QCheckBox* chkHeading = nullptr;
    QPushButton* cmdColspanMinus = nullptr;
    QPushButton* cmdColspanPlus = nullptr;
    QPushButton* cmdRowspanMinus = nullptr;
    QPushButton* cmdRowspanPlus = nullptr;
    // ---- Page 3 ----
    QComboBox* cboAlign = nullptr;
    QComboBox* cboVAlign = nullptr;
    QLineEdit* txtWidth = nullptr;
    UpDown* updWidth = nullptr;
    QLineEdit* txtHeight = nullptr;
    UpDown* updHeight = nullptr;
    QLineEdit* txtBGcolor = nullptr;
    QToolButton* cmdBgcolor = nullptr;
    QLabel* lblColor = nullptr;
    QLineEdit* txtBorder = nullptr;
    UpDown* updBorder = nullptr;
    QLineEdit* txtCellPadding = nullptr;
    UpDown* updCellPadding = nullptr;
    QLineEdit* txtCellSpacing = nullptr;
    UpDown* updCellSpacing = nullptr;
    QComboBox* cboRules = nullptr;
    QComboBox* cboFrame = nullptr;
    QLineEdit* txtCaption = nullptr;
    QComboBox* cboCaptionAlign = nullptr;

    // ---- State ----
    WizardGrid cells;
    int rowCount = 2;
    int colCount = 2;
    int currentCell = 1;
    int currentPage = 1;
    // One grid cell on page 2, in twips.
    double cellWidth = 0;
    double cellHeight = 0;

    void txtRows_Change();
    void txtCols_Change();
    void cmdNext_Click();
    void cmdBack_Click();
    void cmdCancel_Click();
    void lblCell_Click(int index);
    void cmdColspanPlus_Click();
    void cmdColspanMinus_Click();
    void cmdRowspanPlus_Click();
    void cmdRowspanMinus_Click();
    void cmdCellColor_Click();
    void cmdBgcolor_Click();

protected:
    void Form_Load() override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The size rule of both counts: `rows` tells which box changed.
    void countChanged(bool rows);
    void buildCellGrid();
    void updateSpanButtons();
    // Places and sizes the labels after a change of spans.
    void layOutCells();
    void storeCell();
    void loadCell();
    void showPage(int page);
    WizardTable tableFields() const;
};

// Shows the wizard modally; Finish writes the table into the active document.
void showTableWizard();

}  // namespace kavrin
