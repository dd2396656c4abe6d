#pragma once
// "Text Division": a div start tag with its alignment, around the selection.
#include "tagdialogs/tagdialog.h"

namespace kavrin {

class frmDiv : public TagDialog {
    Q_OBJECT
public:
    explicit frmDiv(QWidget* parent = nullptr);
    QComboBox* cboAlign = nullptr;

protected:
    QString newEndTag() const override { return QStringLiteral("</div>"); }
};

}  // namespace kavrin
