#pragma once
// The options dialog: the settings globals on seven pages, applied on Apply or OK.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabBar>
#include <QToolButton>
#include <QVector>

#include "platform/forms/form.h"

namespace kavrin {

class mdiMain;

// Shows the options dialog modally, on the tab with index `tab` (0-based).
void showOptionsDialog(int tab = 0);
// Tools > Options shows the dialog.
void connectOptionsCommand(mdiMain* main);

class frmSettings : public Form {
    Q_OBJECT
public:
    explicit frmSettings(QWidget* parent = nullptr);

    QTabBar* tbsMain = nullptr;
    // Selects a tab and arranges its page, also when it is the tab already selected.
    void selectTab(int index);

    // ---- General ----
    QGroupBox* fraGeneral = nullptr;
    QCheckBox* chkUseIe = nullptr;
    QCheckBox* chkAutoindent = nullptr;
    QLineEdit* txtIndent = nullptr;
    QToolButton* updIndentUp = nullptr;
    QToolButton* updIndentDown = nullptr;
    QCheckBox* chkWordwrap = nullptr;
    QCheckBox* chkTaskBar = nullptr;
    QGroupBox* fraFont = nullptr;
    QComboBox* cboFontFace = nullptr;
    QComboBox* cboFontSize = nullptr;
    QLabel* lblFontSample = nullptr;

    // ---- Filters/Startup ----
    QGroupBox* fraDialog1 = nullptr;
    QRadioButton* optStartupDesktop = nullptr;
    QRadioButton* optStartupLast = nullptr;
    QRadioButton* optStartupOther = nullptr;
    QLineEdit* txtStartupOther = nullptr;
    QPushButton* cmdBrowse = nullptr;
    QGroupBox* fraFilters = nullptr;
    QListWidget* lstFilters = nullptr;
    QLineEdit* txtFilterName = nullptr;
    QLineEdit* txtFilter = nullptr;
    QPushButton* cmdNew = nullptr;
    QPushButton* cmdDelete = nullptr;
    QPushButton* cmdDefault = nullptr;
    QToolButton* cmdUp = nullptr;
    QToolButton* cmdDown = nullptr;

    // ---- Color Coding ----
    QGroupBox* fraColor = nullptr;
    QVector<QPushButton*> cmdColor;  // 0 to 7
    QCheckBox* chkColorOnOpen = nullptr;

    // ---- Tags ----
    QGroupBox* fraTagHelp = nullptr;
    QCheckBox* chkTagTip = nullptr;
    QSlider* sldTagTip = nullptr;
    QGroupBox* fraTagCompletion = nullptr;
    QCheckBox* chkTagCompletion = nullptr;
    QGroupBox* fraTags = nullptr;
    QCheckBox* chkUppercaseTags = nullptr;
    QCheckBox* chkEndingP = nullptr;

    // ---- Templates, Helper Apps ----
    QGroupBox* fraTemplates = nullptr;
    QVector<QLineEdit*> txtTemplate;     // 0 to 5
    QVector<QPushButton*> cmdTemplate;   // 0 to 5
    QGroupBox* fraApps = nullptr;
    QVector<QLineEdit*> txtHelperApp;    // 0 to 7
    QVector<QPushButton*> cmdHelperApp;  // 0 to 7
    QVector<QLineEdit*> txtBrowser;      // 0 to 3

    // ---- Designer ----
    QGroupBox* fraDesigner = nullptr;
    QCheckBox* chkShowDetails = nullptr;
    QCheckBox* chkShowBorders = nullptr;
    QCheckBox* chkUseDiv = nullptr;

    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdApply = nullptr;

    // The colour a colour button shows (red in the low byte).
    int colorOf(int index) const;

    bool applySettings();
    void hideAllFrames();
    void tbsMain_Click();
    void cmdApply_Click();
    void cmdOk_Click();
    void cmdCancel_Click();
    void cboFontFace_Click();
    void cboFontSize_Change();
    void cboFontSize_Validate();
    void txtIndent_Change();
    void chkTagTip_Click();
    void chkUseIe_Click();
    void cmdBrowse_Click();
    void cmdColor_Click(int index);
    void cmdTemplate_Click(int index);
    void cmdHelperApp_Click(int index);

    // Opens a template file for editing; tests record the path instead.
    using Opener = bool (*)(const QString& path);
    static inline Opener openTemplate = nullptr;

    // Filter list editor.
    void lstFilters_Click();
    void txtFilter_Change();
    void cmdNew_Click();
    void cmdDelete_Click();
    void cmdDefault_Click();
    void cmdUp_Click();
    void cmdDown_Click();

protected:
    void Form_Load() override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildWindow();
    void fillFonts();
    void setColorButton(int index, int color);
    void applyFilters();
    void loadTemplatesAndApps(bool templates);
    void applyTemplates();
    void applyHelperApps();
    void selectFilter(int row);
    QVector<int> colors_;
    bool loading_ = false;
};

}  // namespace kavrin
