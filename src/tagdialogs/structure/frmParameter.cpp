#include "tagdialogs/structure/frmParameter.h"

namespace kavrin {

frmParameter::frmParameter(QWidget* parent)
    : TagDialog(QStringLiteral("param"), QStringLiteral("Parameter"), parent) {
    setObjectName(QStringLiteral("frmParameter"));
    txtName = new QLineEdit(this);
    txtValue = new QLineEdit(this);
    txtMediaType = new QLineEdit(this);
    cboValue = choiceBox({"", "data", "ref", "object"}, this);
    addRow(QStringLiteral("Name"), txtName);
    addRow(QStringLiteral("Value"), txtValue);
    addRow(QStringLiteral("Media Type"), txtMediaType);
    addRow(QStringLiteral("Value Type"), cboValue);
    finishLayout();

    // name and value are written by buildStartTag itself, first and even when empty.
    bindText(QStringLiteral("type"), txtMediaType);
    bindText(QStringLiteral("valuetype"), cboValue);
}

bool frmParameter::loadAttribute(const TagAttribute& attribute) {
    const QString name = attribute.name.toLower();
    if (name == QLatin1String("name")) txtName->setText(attribute.value);
    else if (name == QLatin1String("value")) txtValue->setText(attribute.value);
    else return false;
    return true;
}

QString frmParameter::buildStartTag() const {
    const QString rest = TagDialog::buildStartTag().mid(QStringLiteral("<param").size());
    return QStringLiteral("<param name=\"") + txtName->text() + QStringLiteral("\" value=\"") + txtValue->text() +
           QLatin1Char('"') + rest;
}

}  // namespace kavrin
