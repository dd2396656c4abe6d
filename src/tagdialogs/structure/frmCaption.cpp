#include "tagdialogs/structure/frmCaption.h"

#include <QStyle>

namespace kavrin {

frmCaption::frmCaption(QWidget* parent)
    : TagDialog(QStringLiteral("caption"), QStringLiteral("Table Caption"), parent) {
    setObjectName(QStringLiteral("frmCaption"));
    cboAlign = choiceBox({"", "left", "right", "top", "bottom"}, this);
    Image1 = new QLabel(this);
    Image1->setPixmap(style()->standardIcon(QStyle::SP_FileDialogInfoView).pixmap(16, 16));
    addRow(QStringLiteral("Align"), cboAlign, Image1);
    bindText(QStringLiteral("align"), cboAlign);
    finishLayout();
}

}  // namespace kavrin
