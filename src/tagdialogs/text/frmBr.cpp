#include "tagdialogs/text/frmBr.h"

namespace kavrin {

frmBr::frmBr(QWidget* parent) : TagDialog(QStringLiteral("br"), QStringLiteral("Line Break"), parent) {
    setObjectName(QStringLiteral("frmBr"));
    cboClear = choiceBox({"left", "right", "all", "none"}, this);
    addRow(QStringLiteral("Clear"), cboClear);
    bindText(QStringLiteral("clear"), cboClear);
    finishLayout();
}

}  // namespace kavrin
