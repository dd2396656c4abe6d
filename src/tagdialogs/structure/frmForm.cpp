#include "tagdialogs/structure/frmForm.h"

#include "platform/system/screen.h"

namespace kavrin {

frmForm::frmForm(QWidget* parent) : TagDialog(QStringLiteral("form"), QStringLiteral("Form"), parent) {
    setObjectName(QStringLiteral("frmForm"));
    txtName = new QLineEdit(this);
    txtAction = new QLineEdit(this);
    cboMethod = choiceBox({"post", "get"}, this);
    cboEncrypt = choiceBox({"application/x-www-form-urlencoded", "multipart/form-data"}, this);
    txtName->setMinimumWidth(twipsToPixels(3495));
    addRow(QStringLiteral("Name"), txtName);
    addRow(QStringLiteral("Action"), txtAction);
    addRow(QStringLiteral("Method"), cboMethod);
    addRow(QStringLiteral("Encryption"), cboEncrypt);
    // Written in this order, which is not the order on screen: method comes before action.
    bindText(QStringLiteral("name"), txtName);
    bindText(QStringLiteral("method"), cboMethod);
    bindText(QStringLiteral("action"), txtAction);
    bindText(QStringLiteral("enctype"), cboEncrypt);
    finishLayout();
}

}  // namespace kavrin
