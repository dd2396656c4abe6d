#pragma once
// "Parameter": a param start tag for an applet, around the selection.
#include "tagdialogs/tagdialog.h"

namespace kavrin {

class frmParameter : public TagDialog {
    Q_OBJECT
public:
    explicit frmParameter(QWidget* parent = nullptr);

    QLineEdit* txtName = nullptr;
    QLineEdit* txtValue = nullptr;
    QLineEdit* txtMediaType = nullptr;
    QComboBox* cboValue = nullptr;

    QString buildStartTag() const override;

protected:
    QString newEndTag() const override { return QStringLiteral("</param>"); }
    bool loadAttribute(const TagAttribute& attribute) override;
};

}  // namespace kavrin
