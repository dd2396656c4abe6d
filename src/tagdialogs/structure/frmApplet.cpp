#include "tagdialogs/structure/frmApplet.h"

#include <QStyle>

namespace kavrin {

frmApplet::frmApplet(QWidget* parent) : TagDialog(QStringLiteral("applet"), QStringLiteral("Java Applet"), parent) {
    setObjectName(QStringLiteral("frmApplet"));
    txtCode = new QLineEdit(this);
    cmdBrowse = new QToolButton(this);
    cmdBrowse->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    cmdBrowse->setToolTip(QStringLiteral("Browse"));
    txtCodeBase = new QLineEdit(this);
    txtName = new QLineEdit(this);
    txtTitle = new QLineEdit(this);
    txtAlt = new QLineEdit(this);
    txtArchive = new QLineEdit(this);
    txtWidth = new QLineEdit(this);
    updWidth = new UpDown(this);
    txtHeight = new QLineEdit(this);
    updHeight = new UpDown(this);
    cboAlign = choiceBox({"", "top", "middle", "bottom", "right", "left", "texttop", "baseline"}, this);
    chkMayscript = new QCheckBox(QStringLiteral("MAYSCRIPT"), this);

    addRow(QStringLiteral("Code"), txtCode, cmdBrowse);
    addRow(QStringLiteral("Codebase"), txtCodeBase);
    addRow(QStringLiteral("Name"), txtName);
    addRow(QStringLiteral("Title"), txtTitle);
    addRow(QStringLiteral("Alternative text"), txtAlt);
    addRow(QStringLiteral("Archive"), txtArchive);
    addRow(QStringLiteral("Width"), txtWidth, updWidth);
    addRow(QStringLiteral("Height"), txtHeight, updHeight);
    addRow(QStringLiteral("Align"), cboAlign);
    addRow(chkMayscript);
    finishLayout();

    // code is written by buildStartTag itself, first and even when empty.
    bindText(QStringLiteral("codebase"), txtCodeBase);
    bindText(QStringLiteral("name"), txtName);
    bindText(QStringLiteral("title"), txtTitle);
    bindText(QStringLiteral("alt"), txtAlt);
    bindText(QStringLiteral("archive"), txtArchive);
    bindText(QStringLiteral("align"), cboAlign);
    bindText(QStringLiteral("width"), txtWidth);
    bindText(QStringLiteral("height"), txtHeight);
    bindFlag(QStringLiteral("mayscript"), chkMayscript);
    bindSpin(updWidth, txtWidth);
    bindSpin(updHeight, txtHeight);

    connect(cmdBrowse, &QToolButton::clicked, this, [this] { cmdBrowse_Click(); });
}

bool frmApplet::loadAttribute(const TagAttribute& attribute) {
    if (attribute.name.toLower() != QLatin1String("code")) return false;
    txtCode->setText(attribute.value);
    return true;
}

QString frmApplet::buildStartTag() const {
    const QString rest = TagDialog::buildStartTag().mid(QStringLiteral("<applet").size());
    return QStringLiteral("<applet code=\"") + txtCode->text() + QLatin1Char('"') + rest;
}

void frmApplet::cmdBrowse_Click() {
    browseFile(txtCode, QStringLiteral("Select File"), QStringLiteral("JAVA Files (*.class)|*.class|All Files (*.*)|*.*"));
}

}  // namespace kavrin
