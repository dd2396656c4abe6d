#pragma once
// "Table Heading" / "Table Data": the start tag of one th or td cell, chosen by dialogKind.
#include <QGroupBox>
#include <QTabBar>

#include "tagdialogs/tagdialog.h"

namespace kavrin {

class frmThd : public TagDialog {
    Q_OBJECT
public:
    explicit frmThd(QWidget* parent = nullptr);

    QTabBar* tbsMain = nullptr;
    QFrame* fraBasic = nullptr;
    QGroupBox* fraIe = nullptr;
    QLabel* imgTH = nullptr;
    QLabel* imgTD = nullptr;

    // Basic
    QLineEdit* txtWidth = nullptr;
    UpDown* updWidth = nullptr;
    QLineEdit* txtHeight = nullptr;
    UpDown* updHeight = nullptr;
    QComboBox* cboAlign = nullptr;
    QComboBox* cboVAlign = nullptr;
    QLineEdit* txtBackColor = nullptr;
    QLabel* lblBackColor = nullptr;
    QToolButton* cmdBackColor = nullptr;
    QLineEdit* txtRowspan = nullptr;
    UpDown* UpdRowSpan = nullptr;
    QLineEdit* txtColspan = nullptr;
    UpDown* UpdColSpan = nullptr;
    QCheckBox* chkNowrap = nullptr;
    // Advanced
    QLineEdit* txtSrc = nullptr;
    QToolButton* cmdBrowse = nullptr;
    QLineEdit* txtBorderColor = nullptr;
    QLabel* lblBorder = nullptr;
    QToolButton* cmdBorderColor = nullptr;
    QLineEdit* txtBorderLight = nullptr;
    QLabel* lblBorderLight = nullptr;
    QToolButton* cmdBorderLight = nullptr;
    QLineEdit* txtBorderDark = nullptr;
    QLabel* lblBorderDark = nullptr;
    QToolButton* cmdBorderDark = nullptr;

    void tbsMain_Click();
    void cmdBackColor_Click();
    void cmdBorderColor_Click();
    void cmdBorderLight_Click();
    void cmdBorderDark_Click();
    void cmdBrowse_Click();

    // Highest number the span arrows reach.
    static constexpr int kMaxSpan = 999;

protected:
    QString newEndTag() const override { return QStringLiteral("</") + element + QLatin1Char('>'); }
    void prepareLoad() override;
    void afterLoad() override;
    void Form_Unload(int& cancel) override;
};

}  // namespace kavrin
