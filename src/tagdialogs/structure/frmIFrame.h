#pragma once
// The inline frame dialog: an iframe start tag in front of the selection, no end tag.
#include "tagdialogs/tagdialog.h"

namespace kavrin {

class frmIFrame : public TagDialog {
    Q_OBJECT
public:
    explicit frmIFrame(QWidget* parent = nullptr);
    QLineEdit* txtSrc = nullptr;
    QPushButton* cmdBrowse = nullptr;
    QLineEdit* txtName = nullptr;
    QComboBox* cboScrolling = nullptr;
    QComboBox* cboAlign = nullptr;
    QLineEdit* txtWidth = nullptr;
    UpDown* updWidth = nullptr;
    QLineEdit* txtHeight = nullptr;
    UpDown* updHeight = nullptr;
    QLineEdit* txtMarginWidth = nullptr;
    UpDown* updMarginWidth = nullptr;
    QLineEdit* txtMarginHeight = nullptr;
    UpDown* updMarginHeight = nullptr;
    QCheckBox* chkBorder = nullptr;

    QString buildStartTag() const override;

protected:
    bool loadAttribute(const TagAttribute& attribute) override;
};

}  // namespace kavrin
