#include "platform/web/designfont.h"

#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPointer>
#include <QVBoxLayout>

namespace kavrin {

DesignFontDialog::DesignFontDialog(QWidget* parent) : Form(parent) {
    setObjectName(QStringLiteral("DesignFontDialog"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setCaption(QStringLiteral("Font"));

    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout();
    cboFont = new QComboBox(this);
    cboFont->setEditable(true);
    cboFont->addItems(QFontDatabase::families());
    cboFont->setMinimumWidth(220);
    cboSize = new QComboBox(this);
    for (int i = 1; i <= 7; ++i) cboSize->addItem(QString::number(i));
    form->addRow(QStringLiteral("&Font:"), cboFont);
    form->addRow(QStringLiteral("&Size:"), cboSize);
    layout->addLayout(form);
    chkBold = new QCheckBox(QStringLiteral("&Bold"), this);
    chkItalic = new QCheckBox(QStringLiteral("&Italic"), this);
    chkUnderline = new QCheckBox(QStringLiteral("&Underline"), this);
    auto* styles = new QHBoxLayout();
    for (QCheckBox* box : {chkBold, chkItalic, chkUnderline}) styles->addWidget(box);
    layout->addLayout(styles);
    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    cmdOk = new QPushButton(QStringLiteral("OK"), this);
    cmdOk->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);
    layout->addLayout(buttons);
    connect(cmdOk, &QPushButton::clicked, this, [this] { cmdOk_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

bool DesignFontDialog::ask() {
    load();
    cboFont->setCurrentText(fontName);
    cboSize->setCurrentIndex(fontSize >= 1 && fontSize <= 7 ? fontSize - 1 : -1);
    chkBold->setChecked(bold);
    chkItalic->setChecked(italic);
    chkUnderline->setChecked(underline);
    accepted_ = false;
    QPointer<DesignFontDialog> self(this);
    showModal();
    if (!self) return false;
    if (isLoaded()) unload();
    return accepted_;
}

void DesignFontDialog::cmdOk_Click() {
    fontName = cboFont->currentText().trimmed();
    fontSize = cboSize->currentIndex() + 1;
    bold = chkBold->isChecked();
    italic = chkItalic->isChecked();
    underline = chkUnderline->isChecked();
    accepted_ = true;
    unload();
}

void DesignFontDialog::cmdCancel_Click() { unload(); }

void DesignFontDialog::keyPressEvent(QKeyEvent* event) {
    answerDialogKeys(event, [this] { cmdOk_Click(); }, [this] { cmdCancel_Click(); });
}

}  // namespace kavrin
