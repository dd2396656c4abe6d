#include "tagdialogs/structure/frmMarquee.h"

namespace kavrin {

frmMarquee::frmMarquee(QWidget* parent)
    : TagDialog(QStringLiteral("marquee"), QStringLiteral("Marquee - Internet Explorer only"), parent) {
    setObjectName(QStringLiteral("frmMarquee"));
    cboBehavior = choiceBox({"", "alternate", "scroll", "slide"}, this);
    cboDirection = choiceBox({"", "left", "right"}, this);
    txtScrollAmount = new QLineEdit(this);
    txtScrollDelay = new QLineEdit(this);
    cboAlign = choiceBox({"", "left", "right", "top", "middle", "bottom"}, this);
    cboLoop = choiceBox({"", "infinite", "1", "2", "3", "4", "5", "10", "20", "30", "40", "50"}, this);
    txtHeight = new QLineEdit(this);
    updHeight = new UpDown(this);
    txtWidth = new QLineEdit(this);
    updWidth = new UpDown(this);
    txtHspace = new QLineEdit(this);
    updHspace = new UpDown(this);
    txtVspace = new QLineEdit(this);
    updVspace = new UpDown(this);
    txtColor = new QLineEdit(this);
    lblColor = colorSwatch(this);
    setSwatchColor(lblColor, 0);
    cmdColor = colorButton(QStringLiteral("Select color"), this);
    setDigitsOnly(txtScrollAmount);
    setDigitsOnly(txtScrollDelay);

    addRow(QStringLiteral("Behavior"), cboBehavior);
    addRow(QStringLiteral("Direction"), cboDirection);
    addRow(QStringLiteral("Scroll Amount"), txtScrollAmount);
    addRow(QStringLiteral("Scroll Delay"), txtScrollDelay);
    addRow(QStringLiteral("Align"), cboAlign);
    addRow(QStringLiteral("Loop"), cboLoop);
    addRow(QStringLiteral("Height"), txtHeight, updHeight);
    addRow(QStringLiteral("Width"), txtWidth, updWidth);
    addRow(QStringLiteral("HSpace"), txtHspace, updHspace);
    addRow(QStringLiteral("VSpace"), txtVspace, updVspace);
    addRow(QStringLiteral("Background Color"), txtColor, lblColor, cmdColor);
    finishLayout();

    // Written order: loop comes before align, unlike the fields on screen.
    bindText(QStringLiteral("behavior"), cboBehavior);
    bindText(QStringLiteral("direction"), cboDirection);
    bindText(QStringLiteral("scrollamount"), txtScrollAmount);
    bindText(QStringLiteral("scrolldelay"), txtScrollDelay);
    bindText(QStringLiteral("loop"), cboLoop);
    bindText(QStringLiteral("align"), cboAlign);
    bindText(QStringLiteral("height"), txtHeight);
    bindText(QStringLiteral("width"), txtWidth);
    bindText(QStringLiteral("hspace"), txtHspace);
    bindText(QStringLiteral("vspace"), txtVspace);
    bindColor(QStringLiteral("bgcolor"), txtColor, lblColor);
    bindSpin(updHeight, txtHeight);
    bindSpin(updWidth, txtWidth);
    bindSpin(updHspace, txtHspace);
    bindSpin(updVspace, txtVspace);

    connect(cmdColor, &QToolButton::clicked, this, [this] { cmdColor_Click(); });
}

void frmMarquee::cmdColor_Click() { pickColor(txtColor, lblColor); }

}  // namespace kavrin
