#pragma once
// "Paragraph Break": a p start tag with its align attribute; a new paragraph wraps the selection
// in "</p>" as well when the ending-p setting is on.
#include "tagdialogs/tagdialog.h"

namespace kavrin {

class frmP : public TagDialog {
    Q_OBJECT
public:
    explicit frmP(QWidget* parent = nullptr);
    QComboBox* cboAlign = nullptr;

protected:
    QString newEndTag() const override;
};

}  // namespace kavrin
