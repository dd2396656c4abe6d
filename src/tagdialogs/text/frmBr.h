#pragma once
// "Line Break": a br start tag with its clear attribute.
#include "tagdialogs/tagdialog.h"

namespace kavrin {

class frmBr : public TagDialog {
    Q_OBJECT
public:
    explicit frmBr(QWidget* parent = nullptr);
    QComboBox* cboClear = nullptr;
};

}  // namespace kavrin
