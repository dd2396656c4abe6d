#pragma once
// "Horizontal Rule": an hr start tag with alignment, size, width, shading and colour.
#include "tagdialogs/tagdialog.h"

namespace kavrin {

class frmHr : public TagDialog {
    Q_OBJECT
public:
    explicit frmHr(QWidget* parent = nullptr);

    QComboBox* cboAlign = nullptr;
    QLineEdit* txtSize = nullptr;
    UpDown* updSize = nullptr;
    QLineEdit* txtWidth = nullptr;
    UpDown* updWidth = nullptr;
    QCheckBox* chkHrNoshade = nullptr;
    QLineEdit* txtColor = nullptr;
    QLabel* lblColor = nullptr;
    QToolButton* cmdColor = nullptr;

    void cmdColor_Click();
};

}  // namespace kavrin
