#include "tagdialogs/structure/frmScript.h"

#include <QStyle>

#include "documents/inserthtml.h"

namespace kavrin {

frmScript::frmScript(QWidget* parent) : TagDialog(QStringLiteral("script"), QStringLiteral("Script"), parent) {
    setObjectName(QStringLiteral("frmScript"));
    cboLang = choiceBox({"", "JavaScript", "JavaScript1.1", "JavaScript1.2", "JavaScript1.3", "JScript", "VBScript",
                         "LiveScript"},
                        this);
    txtSrc = new QLineEdit(this);
    cmdBrowse = new QToolButton(this);
    cmdBrowse->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    cmdBrowse->setToolTip(QStringLiteral("Browse"));
    chkDefer = new QCheckBox(QStringLiteral("Script does not generate document content"), this);
    chkComment = new QCheckBox(QStringLiteral("Add comments to hide script"), this);
    addRow(QStringLiteral("Language"), cboLang);
    addRow(QStringLiteral("Source"), txtSrc, cmdBrowse);
    addRow(chkDefer);
    addRow(chkComment);
    finishLayout();

    bindText(QStringLiteral("language"), cboLang);
    // Browsers load a script's file from src; "source" is read too but never written.
    bindText(QStringLiteral("src"), txtSrc);
    bindFlag(QStringLiteral("defer"), chkDefer);

    connect(cmdBrowse, &QToolButton::clicked, this, [this] { cmdBrowse_Click(); });
}

void frmScript::prepareLoad() {
    chkComment->setVisible(!editingTag);
    tagHasSrc_ = false;
    if (!editingTag) return;
    for (const TagAttribute& attribute : editTagAttributes)
        if (attribute.name.toLower() == QLatin1String("src")) tagHasSrc_ = true;
}

bool frmScript::loadAttribute(const TagAttribute& attribute) {
    if (attribute.name.toLower() != QLatin1String("source")) return false;
    // With src beside it the field shows src, and source stays in the tag as it stood, so
    // neither value is lost; alone it fills the field and is written back as src.
    if (tagHasSrc_) return false;
    txtSrc->setText(attribute.value);
    return true;
}

void frmScript::insertStartTag(const QString& startTag) {
    if (editingTag) {
        TagDialog::insertStartTag(startTag);
        return;
    }
    QString text = startTag;
    if (chkComment->isChecked()) {
        const bool vb = cboLang->currentText().toLower() == QLatin1String("vbscript");
        text += QStringLiteral("\r\n<!--\r\n\r\n") + (vb ? QStringLiteral("' -->") : QStringLiteral("// -->"));
    }
    insertHtml(text + QStringLiteral("\r\n"), newEndTag(), QString(), newMode());
}

void frmScript::cmdBrowse_Click() {
    browseFile(txtSrc, QStringLiteral("Select Script Source"),
               QStringLiteral("HTML Files (*.html;*.htm;*.shtml;*.shtm;*.asp)|*.html;*.htm;*.shtml;*.shtm;*.asp|"
                              "JavaScript Files (*.js)|*.js|All Files (*.*)|*.*"));
}

}  // namespace kavrin
