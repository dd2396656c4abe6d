#include "tagdialogs/structure/frmDiv.h"

namespace kavrin {

frmDiv::frmDiv(QWidget* parent) : TagDialog(QStringLiteral("div"), QStringLiteral("Text Division"), parent) {
    setObjectName(QStringLiteral("frmDiv"));
    cboAlign = choiceBox({"", "left", "right", "center", "justify"}, this);
    addRow(QStringLiteral("Alignment"), cboAlign);
    bindText(QStringLiteral("align"), cboAlign);
    finishLayout();
    // This dialog has neither a default nor a cancel button: Enter and Esc do not close it.
    enterPressesOk = false;
    escapePressesCancel = false;
}

}  // namespace kavrin
