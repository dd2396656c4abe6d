#pragma once
// "Form": a form start tag with its name, method, action and encoding, around the selection.
#include "tagdialogs/tagdialog.h"

namespace kavrin {

class frmForm : public TagDialog {
    Q_OBJECT
public:
    explicit frmForm(QWidget* parent = nullptr);
    QLineEdit* txtName = nullptr;
    QLineEdit* txtAction = nullptr;
    QComboBox* cboMethod = nullptr;
    QComboBox* cboEncrypt = nullptr;

protected:
    // The end tag goes on a line of its own after the wrapped selection.
    QString newEndTag() const override { return QStringLiteral("\r\n</form>"); }
};

}  // namespace kavrin
