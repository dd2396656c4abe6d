#include "tagdialogs/structure/frmFrame.h"

#include "documents/globals.h"
#include "tagdialogs/tagparse.h"

namespace kavrin {

namespace {
const QString kPageFilter = QStringLiteral(
    "HTML Files (*.html;*.htm;*.shtml;*.shtm;*.asp)|*.html;*.htm;*.shtml;*.shtm;*.asp|All Files (*.*)|*.*");
}  // namespace

bool frameBorderChecked(const QString& value) {
    return value == QLatin1String("yes") || value == QLatin1String("1");
}

QString withFrameBorder(const QString& base, const QString& extraAttributes, bool checked) {
    const QString head = base.left(base.size() - extraAttributes.size() - 1);
    return head + attributeText(QStringLiteral("frameborder"), checked ? QStringLiteral("1") : QStringLiteral("0")) +
           extraAttributes + QLatin1Char('>');
}

frmFrame::frmFrame(QWidget* parent) : TagDialog(QStringLiteral("frame"), QStringLiteral("Frame"), parent) {
    setObjectName(QStringLiteral("frmFrame"));
    txtSrc = new QLineEdit(this);
    cmdBrowse = new QPushButton(QStringLiteral("Browse"), this);
    txtName = new QLineEdit(this);
    cboScrolling = choiceBox({"", "Auto", "Yes", "No"}, this);
    txtSpacing = new QLineEdit(this);
    txtColor = new QLineEdit(this);
    lblColor = colorSwatch(this);
    setSwatchColor(lblColor, 0);
    cmdColor = colorButton(QString(), this);
    txtMarginWidth = new QLineEdit(this);
    updMarginWidth = new UpDown(this);
    txtMarginHeight = new QLineEdit(this);
    updMarginHeight = new UpDown(this);
    chkNoResize = new QCheckBox(QStringLiteral("No Resize"), this);
    chkBorder = new QCheckBox(QStringLiteral("Frame Border"), this);

    addRow(QStringLiteral("Frame Source"), txtSrc, cmdBrowse);
    addRow(QStringLiteral("Name"), txtName);
    addRow(QStringLiteral("Scrolling"), cboScrolling);
    addRow(QStringLiteral("Spacing"), txtSpacing);
    addRow(QStringLiteral("Border Color"), txtColor, lblColor, cmdColor);
    addRow(QStringLiteral("Margin Width"), txtMarginWidth, updMarginWidth);
    addRow(QStringLiteral("Margin Height"), txtMarginHeight, updMarginHeight);
    addRow(chkNoResize);
    addRow(chkBorder);

    bindText(QStringLiteral("src"), txtSrc);
    bindText(QStringLiteral("name"), txtName);
    bindText(QStringLiteral("scrolling"), cboScrolling);
    bindText(QStringLiteral("spacing"), txtSpacing);
    bindColor(QStringLiteral("bordercolor"), txtColor, lblColor);
    bindText(QStringLiteral("marginwidth"), txtMarginWidth);
    bindText(QStringLiteral("marginheight"), txtMarginHeight);
    bindFlag(QStringLiteral("noresize"), chkNoResize);
    bindSpin(updMarginWidth, txtMarginWidth);
    bindSpin(updMarginHeight, txtMarginHeight);

    connect(cmdBrowse, &QPushButton::clicked, this,
            [this] { browseFile(txtSrc, QStringLiteral("Select Frame Source"), kPageFilter); });
    connect(cmdColor, &QToolButton::clicked, this, [this] { pickColor(txtColor, lblColor); });
    finishLayout();
}

bool frmFrame::loadAttribute(const TagAttribute& attribute) {
    if (attribute.name.toLower() != QLatin1String("frameborder")) return false;
    chkBorder->setChecked(frameBorderChecked(attribute.value));
    return true;
}

QString frmFrame::buildStartTag() const {
    return withFrameBorder(TagDialog::buildStartTag(), extraAttributes, chkBorder->isChecked());
}

void frmFrame::Form_Unload(int& cancel) {
    (void)cancel;
    // The opener may have said which kind of frame it wanted; that ends with this showing.
    dialogKind.clear();
}

}  // namespace kavrin
