#include "tagdialogs/text/frmHr.h"

#include "platform/system/screen.h"

namespace kavrin {

frmHr::frmHr(QWidget* parent) : TagDialog(QStringLiteral("hr"), QStringLiteral("Horizontal Rule"), parent) {
    setObjectName(QStringLiteral("frmHr"));
    cboAlign = choiceBox({"left", "center", "right"}, this);
    txtSize = new QLineEdit(this);
    updSize = new UpDown(this);
    txtWidth = new QLineEdit(this);
    updWidth = new UpDown(this);
    chkHrNoshade = new QCheckBox(QStringLiteral("noshade"), this);
    txtColor = new QLineEdit(this);
    lblColor = colorSwatch(this);
    cmdColor = colorButton(QStringLiteral("Select color"), this);
    for (QLineEdit* field : {txtSize, txtWidth, txtColor}) field->setMinimumWidth(twipsToPixels(1095));

    addRow(QStringLiteral("Align"), cboAlign);
    addRow(QStringLiteral("Size"), txtSize, updSize);
    addRow(QStringLiteral("Width"), txtWidth, updWidth);
    addRow(chkHrNoshade);
    addRow(QStringLiteral("Color"), txtColor, lblColor, cmdColor);
    finishLayout();

    // The order the attributes are written in.
    bindText(QStringLiteral("align"), cboAlign);
    bindText(QStringLiteral("size"), txtSize);
    bindText(QStringLiteral("width"), txtWidth);
    bindFlag(QStringLiteral("noshade"), chkHrNoshade);
    bindColor(QStringLiteral("color"), txtColor, lblColor, ColorHash::HexDigits);
    bindSpin(updSize, txtSize);
    bindSpin(updWidth, txtWidth);
    pickColorOnDoubleClick(txtColor, txtColor, lblColor);
    connect(cmdColor, &QToolButton::clicked, this, [this] { cmdColor_Click(); });
}

void frmHr::cmdColor_Click() { pickColor(txtColor, lblColor); }

}  // namespace kavrin
