#pragma once
// "Table Caption": a caption start tag with its alignment, around the selection.
#include "tagdialogs/tagdialog.h"

namespace kavrin {

class frmCaption : public TagDialog {
    Q_OBJECT
public:
    explicit frmCaption(QWidget* parent = nullptr);
    QComboBox* cboAlign = nullptr;
    QLabel* Image1 = nullptr;

protected:
    QString newEndTag() const override { return QStringLiteral("</caption>"); }
};

}  // namespace kavrin
