#include "tagdialogs/structure/frmFrameset.h"

namespace kavrin {

namespace {
struct BorderEntry {
    const char* text;
    const char* value;
};
const BorderEntry kBorderEntries[] = {
    {"0     (MS IE, Netscape)", "0"},
    {"Yes (Netscape)", "yes"},
    {"No  (Netscape)", "no"},
};
}  // namespace

frmFrameset::frmFrameset(QWidget* parent)
    : TagDialog(QStringLiteral("frameset"), QStringLiteral("FrameSet"), parent) {
    setObjectName(QStringLiteral("frmFrameset"));
    txtRows = new QLineEdit(this);
    txtCols = new QLineEdit(this);
    QStringList entries{QString()};
    for (const BorderEntry& e : kBorderEntries) entries << QString::fromLatin1(e.text);
    cboFrameBorder = choiceBox(entries, this);
    txtBorder = new QLineEdit(this);
    updBorder = new UpDown(this);
    txtFrameSpacing = new QLineEdit(this);
    updFrameSpacing = new UpDown(this);
    txtColor = new QLineEdit(this);
    lblColor = colorSwatch(this);
    setSwatchColor(lblColor, 0);
    cmdColor = colorButton(QStringLiteral("Select Color"), this);
    frameBorderValue_ = new QLineEdit(this);
    frameBorderValue_->hide();

    addRow(QStringLiteral("Rows"), txtRows);
    addRow(QStringLiteral("Cols"), txtCols);
    addRow(QStringLiteral("Frame Border"), cboFrameBorder);
    addRow(QStringLiteral("Border"), txtBorder, updBorder);
    addRow(QStringLiteral("Frame Spacing"), txtFrameSpacing, updFrameSpacing);
    addRow(QStringLiteral("Border Color"), txtColor, lblColor, cmdColor);

    bindText(QStringLiteral("rows"), txtRows);
    bindText(QStringLiteral("cols"), txtCols);
    bindText(QStringLiteral("frameborder"), frameBorderValue_);
    bindText(QStringLiteral("border"), txtBorder);
    bindText(QStringLiteral("framespacing"), txtFrameSpacing);
    bindColor(QStringLiteral("bordercolor"), txtColor, lblColor);
    bindSpin(updBorder, txtBorder);
    bindSpin(updFrameSpacing, txtFrameSpacing);

    connect(cboFrameBorder, &QComboBox::editTextChanged, this, [this] { frameBorderChanged(); });
    connect(cmdColor, &QToolButton::clicked, this, [this] { pickColor(txtColor, lblColor); });
    finishLayout();
}

void frmFrameset::frameBorderChanged() {
    const QString text = cboFrameBorder->currentText();
    QString value;
    for (const BorderEntry& e : kBorderEntries)
        if (text == QLatin1String(e.text)) value = QString::fromLatin1(e.value);
    // A value the list does not know survives an edit as long as nobody changes it.
    if (value.isEmpty() && !otherFrameBorder_.isEmpty() && text == otherFrameBorder_) value = otherFrameBorder_;
    frameBorderValue_->setText(value);
}

bool frmFrameset::loadAttribute(const TagAttribute& attribute) {
    if (attribute.name.toLower() != QLatin1String("frameborder")) return false;
    otherFrameBorder_.clear();
    int index = -1;
    for (int i = 0; i < int(std::size(kBorderEntries)); ++i)
        if (attribute.value == QLatin1String(kBorderEntries[i].value)) index = i + 1;
    if (index > 0) {
        cboFrameBorder->setCurrentIndex(index);
    } else {
        otherFrameBorder_ = attribute.value;
        cboFrameBorder->setEditText(attribute.value);
    }
    frameBorderChanged();
    return true;
}

}  // namespace kavrin
