#include "tagdialogs/structure/frmIFrame.h"

#include "documents/inserthtml.h"
#include "tagdialogs/structure/frmFrame.h"

namespace kavrin {

namespace {
const QString kPageFilter = QStringLiteral(
    "HTML Files (*.html;*.htm;*.shtml;*.shtm;*.asp)|*.html;*.htm;*.shtml;*.shtm;*.asp|All Files (*.*)|*.*");
}  // namespace

frmIFrame::frmIFrame(QWidget* parent)
    : TagDialog(QStringLiteral("iframe"), QStringLiteral("IFrame (Floating Frame) - Internet Explorer only"), parent) {
    setObjectName(QStringLiteral("frmIFrame"));
    txtSrc = new QLineEdit(this);
    cmdBrowse = new QPushButton(QStringLiteral("Browse"), this);
    txtName = new QLineEdit(this);
    cboScrolling = choiceBox({"", "Yes", "No"}, this);
    cboAlign = choiceBox({"", "left", "right", "top", "middle", "bottom"}, this);
    txtWidth = new QLineEdit(this);
    updWidth = new UpDown(this);
    txtHeight = new QLineEdit(this);
    updHeight = new UpDown(this);
    txtMarginWidth = new QLineEdit(this);
    updMarginWidth = new UpDown(this);
    txtMarginHeight = new QLineEdit(this);
    updMarginHeight = new UpDown(this);
    chkBorder = new QCheckBox(QStringLiteral("Frame Border"), this);
    // Margins are plain pixel counts; width and height may be percentages.
    setDigitsOnly(txtMarginWidth);
    setDigitsOnly(txtMarginHeight);

    addRow(QStringLiteral("Source"), txtSrc, cmdBrowse);
    addRow(QStringLiteral("Name"), txtName);
    addRow(QStringLiteral("Scrolling"), cboScrolling);
    addRow(QStringLiteral("Align"), cboAlign);
    addRow(QStringLiteral("Width"), txtWidth, updWidth);
    addRow(QStringLiteral("Height"), txtHeight, updHeight);
    addRow(QStringLiteral("Margin Width"), txtMarginWidth, updMarginWidth);
    addRow(QStringLiteral("Margin Height"), txtMarginHeight, updMarginHeight);
    addRow(chkBorder);

    bindText(QStringLiteral("src"), txtSrc);
    bindText(QStringLiteral("name"), txtName);
    bindText(QStringLiteral("scrolling"), cboScrolling);
    bindText(QStringLiteral("align"), cboAlign);
    bindText(QStringLiteral("width"), txtWidth);
    bindText(QStringLiteral("height"), txtHeight);
    bindText(QStringLiteral("marginwidth"), txtMarginWidth);
    bindText(QStringLiteral("marginheight"), txtMarginHeight);
    bindSpin(updWidth, txtWidth);
    bindSpin(updHeight, txtHeight);
    bindSpin(updMarginWidth, txtMarginWidth);
    bindSpin(updMarginHeight, txtMarginHeight);

    connect(cmdBrowse, &QPushButton::clicked, this,
            [this] { browseFile(txtSrc, QStringLiteral("Select IFrame Source"), kPageFilter); });
    finishLayout();
}

bool frmIFrame::loadAttribute(const TagAttribute& attribute) {
    if (attribute.name.toLower() != QLatin1String("frameborder")) return false;
    chkBorder->setChecked(frameBorderChecked(attribute.value));
    return true;
}

void frmIFrame::insertStartTag(const QString& startTag) {
    if (editingTag) {
        TagDialog::insertStartTag(startTag);
        return;
    }
    // What the frame shows is the page it loads: the caret goes on after the end tag (and after
    // a selection, which follows it), so what is typed next is not hidden as fallback content.
    insertHtml(startTag + newEndTag(), QString(), QString(), newMode());
}

QString frmIFrame::buildStartTag() const {
    return withFrameBorder(TagDialog::buildStartTag(), extraAttributes, chkBorder->isChecked());
}

}  // namespace kavrin
