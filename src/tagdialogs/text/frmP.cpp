#include "tagdialogs/text/frmP.h"

namespace kavrin {

frmP::frmP(QWidget* parent) : TagDialog(QStringLiteral("p"), QStringLiteral("Paragraph Break"), parent) {
    setObjectName(QStringLiteral("frmP"));
    cboAlign = choiceBox({"left", "center", "right", "justify"}, this);
    addRow(QStringLiteral("Align"), cboAlign);
    bindText(QStringLiteral("align"), cboAlign);
    finishLayout();
}

QString frmP::newEndTag() const { return addEndingP ? QStringLiteral("</p>") : QString(); }

}  // namespace kavrin
