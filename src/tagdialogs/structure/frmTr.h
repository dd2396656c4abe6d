#pragma once
// "Table Row": a tr start tag with its alignments and colours, around the selection.
#include <QGroupBox>
#include <QTabBar>

#include "tagdialogs/tagdialog.h"

namespace kavrin {

class frmTr : public TagDialog {
    Q_OBJECT
public:
    explicit frmTr(QWidget* parent = nullptr);

    QTabBar* tbsMain = nullptr;
    QFrame* fraBasic = nullptr;
    QGroupBox* fraIe = nullptr;
    // Basic
    QComboBox* cboAlign = nullptr;
    QComboBox* cboValign = nullptr;
    QLineEdit* txtBackColor = nullptr;
    QLabel* lblBack = nullptr;
    QToolButton* cmdColor = nullptr;
    // Advanced
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
    void cmdColor_Click();
    void cmdBorderColor_Click();
    void cmdBorderLight_Click();
    void cmdBorderDark_Click();

protected:
    QString newEndTag() const override { return QStringLiteral("</tr>"); }
    void prepareLoad() override;
    void afterLoad() override;
};

}  // namespace kavrin
