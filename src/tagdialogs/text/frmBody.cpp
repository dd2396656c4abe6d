#include "tagdialogs/text/frmBody.h"

#include <QEvent>
#include <QVBoxLayout>

#include "documents/colouring/colorops.h"
#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "documents/inserthtml.h"
#include "mainwindow/mdiMain.h"
#include "platform/system/screen.h"
#include "tagdialogs/frmColor.h"
#include "tagdialogs/tagparse.h"

namespace kavrin {

namespace {
QColor fromWinColor(int color) { return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF); }
}  // namespace

frmBody::frmBody(QWidget* parent) : TagDialog(QStringLiteral("body"), QStringLiteral("Body"), parent) {
    setObjectName(QStringLiteral("frmBody"));
    txtBackground = new QLineEdit(this);
    cmdBrowse = new QToolButton(this);
    cmdBrowse->setText(QStringLiteral("..."));
    cmdBrowse->setToolTip(QStringLiteral("Browse"));
    txtBGcolor = new QLineEdit(this);
    txtText = new QLineEdit(this);
    txtLink = new QLineEdit(this);
    txtAlink = new QLineEdit(this);
    txtVlink = new QLineEdit(this);

    picColor = new QFrame(this);
    picColor->setFrameShape(QFrame::Panel);
    picColor->setFrameShadow(QFrame::Sunken);
    picColor->setAutoFillBackground(true);
    auto* samples = new QVBoxLayout(picColor);
    lblText = new QLabel(QStringLiteral("Text Color"), picColor);
    lblLink = new QLabel(QStringLiteral("Link Color"), picColor);
    lblAlink = new QLabel(QStringLiteral("Alink Color"), picColor);
    lblVlink = new QLabel(QStringLiteral("Vlink Color"), picColor);
    QFont bold = lblVlink->font();
    bold.setBold(true);
    lblVlink->setFont(bold);
    for (QLabel* label : {lblText, lblLink, lblAlink, lblVlink}) samples->addWidget(label);
    cmdColor = new QPushButton(QStringLiteral("&Select Color"), this);
    cmdColor->setToolTip(QStringLiteral("Select color"));

    parts_ = {
        {QStringLiteral("bgcolor"), txtBGcolor, picColor, QStringLiteral("Select Backgound Color")},
        {QStringLiteral("text"), txtText, lblText, QStringLiteral("Select Text Color")},
        {QStringLiteral("link"), txtLink, lblLink, QStringLiteral("Select Link Color")},
        {QStringLiteral("alink"), txtAlink, lblAlink, QStringLiteral("Select Active Link Color")},
        {QStringLiteral("vlink"), txtVlink, lblVlink, QStringLiteral("Select Visited Link Color")},
    };

    fraIE = new QGroupBox(QStringLiteral("Internet Explorer"), this);
    txtLeftMargin = new QLineEdit(fraIE);
    updLeftMargin = new UpDown(fraIE);
    txtTopMargin = new QLineEdit(fraIE);
    updTopMargin = new UpDown(fraIE);
    chkFixedBackground = new QCheckBox(QStringLiteral("Fixed Background"), fraIE);
    auto* ie = new QGridLayout(fraIE);
    ie->addWidget(new QLabel(QStringLiteral("Left Margin"), fraIE), 0, 0);
    ie->addWidget(txtLeftMargin, 0, 1);
    ie->addWidget(updLeftMargin, 0, 2);
    ie->addWidget(new QLabel(QStringLiteral("Top Margin"), fraIE), 1, 0);
    ie->addWidget(txtTopMargin, 1, 1);
    ie->addWidget(updTopMargin, 1, 2);
    ie->addWidget(chkFixedBackground, 2, 0, 1, 3);

    addRow(QStringLiteral("Background Image"), txtBackground, cmdBrowse);
    addRow(QStringLiteral("Background Color"), txtBGcolor);
    addRow(QStringLiteral("Text Color"), txtText);
    addRow(QStringLiteral("Link Color"), txtLink);
    addRow(QStringLiteral("Active Link Color"), txtAlink);
    addRow(QStringLiteral("Visited Link Color"), txtVlink);
    grid()->addWidget(picColor, 1, 2, 4, 1);
    grid()->addWidget(cmdColor, 5, 2);
    addRow(fraIE);
    finishLayout();
    setTabChain({txtBackground, cmdBrowse, txtBGcolor, txtText, txtLink, txtAlink, txtVlink, cmdColor, txtLeftMargin,
                 txtTopMargin, chkFixedBackground, cmdOk, cmdCancel});

    // The order the attributes are written in; bgproperties follows them.
    bindText(QStringLiteral("background"), txtBackground);
    bindText(QStringLiteral("bgcolor"), txtBGcolor);
    bindText(QStringLiteral("text"), txtText);
    bindText(QStringLiteral("link"), txtLink);
    bindText(QStringLiteral("vlink"), txtVlink);
    bindText(QStringLiteral("alink"), txtAlink);
    bindText(QStringLiteral("leftmargin"), txtLeftMargin);
    bindText(QStringLiteral("topmargin"), txtTopMargin);
    bindSpin(updLeftMargin, txtLeftMargin);
    bindSpin(updTopMargin, txtTopMargin);

    txtBackground->installEventFilter(this);
    for (const ColorPart& p : parts_) {
        p.field->installEventFilter(this);
        p.swatch->installEventFilter(this);
    }
    connect(cmdColor, &QPushButton::clicked, this, [this] { cmdColor_Click(); });
    connect(cmdBrowse, &QToolButton::clicked, this, [this] { cmdBrowse_Click(); });
    // Only Cancel gives up the opener's request; closing the window does not.
    connect(cmdCancel, &QPushButton::clicked, [] { dialogKind.clear(); });
}

const frmBody::ColorPart* frmBody::part(const QString& target) const {
    for (const ColorPart& p : parts_)
        if (p.attribute == target) return &p;
    return nullptr;
}

void frmBody::updateColorCaption() {
    const ColorPart* p = part(colorTarget);
    cmdColor->setText(p ? p->caption : QStringLiteral("Select Color"));
}

void frmBody::setTarget(const QString& target) {
    colorTarget = target;
    cmdColor->setEnabled(!target.isEmpty());
    updateColorCaption();
}

void frmBody::paintSwatch(const ColorPart& p, int color) {
    color &= 0xFFFFFF;
    QPalette palette = p.swatch->palette();
    palette.setColor(p.swatch == picColor ? QPalette::Window : QPalette::WindowText, fromWinColor(color));
    p.swatch->setPalette(palette);
    p.swatch->setProperty("swatchColor", color);
}

int frmBody::swatchColor(const QString& target) const {
    const ColorPart* p = part(target);
    return p ? p->swatch->property("swatchColor").toInt() : -1;
}

void frmBody::prepareLoad() {
    colorTarget.clear();
    cmdColor->setEnabled(false);
    updateColorCaption();
    // The samples start in their own colours: default text, navy, dark red and purple.
    picColor->setPalette(QPalette());
    picColor->setProperty("swatchColor", -1);
    lblText->setPalette(QPalette());
    lblText->setProperty("swatchColor", -1);
    paintSwatch(parts_[2], 0x800000);
    paintSwatch(parts_[3], 0x0000C0);
    paintSwatch(parts_[4], 0x800080);
}

bool frmBody::loadAttribute(const TagAttribute& attribute) {
    if (attribute.name.toLower() != QLatin1String("bgproperties")) return false;
    // Any letter case means the same; another value is kept as it was written.
    if (attribute.value.compare(QLatin1String("fixed"), Qt::CaseInsensitive) == 0) chkFixedBackground->setChecked(true);
    else extraAttributes += keptAttributeText(attribute);
    return true;
}

void frmBody::afterLoad() {
    for (const ColorPart& p : parts_) {
        const QString value = p.field->text().trimmed();
        if (!value.isEmpty()) paintSwatch(p, htmlColorToRgb(value));
    }
    txtBackground->setFocus();
}

QString frmBody::buildStartTag() const {
    QString tag = TagDialog::buildStartTag();
    tag.chop(extraAttributes.size() + 1);
    if (chkFixedBackground->isChecked()) tag += attributeText(QStringLiteral("bgproperties"), QStringLiteral("fixed"));
    return tag + extraAttributes + QLatin1Char('>');
}

void frmBody::insertStartTag(const QString& startTag) {
    DocumentWindow* doc = activeDocument();
    const bool hasBody = doc && doc->txtMain->text().contains(QLatin1String("<body"), Qt::CaseInsensitive);
    if (editingTag || hasBody) insertHtml(startTag, QString(), QString(), 3);
    else insertHtml(startTag, QStringLiteral("\r\n\r\n</body>"), QString(), 1);
}

void frmBody::cmdColor_Click() {
    updateColorCaption();
    const ColorPart* p = part(colorTarget);
    const QString current = p ? p->field->text().trimmed() : QString();
    frmColor::pick(current.isEmpty() ? -1 : htmlColorToRgb(current));
    if (frmColor::hexColor.isEmpty() || !p) return;
    p->field->setText(frmColor::hexColor);
    paintSwatch(*p, frmColor::winColor.toInt());
}

void frmBody::cmdBrowse_Click() {
    setTarget(QString());
    browseFile(txtBackground, QStringLiteral("Select Background Image"),
               QStringLiteral("Images (*.gif;*.jpg;*.jpeg;*.png)|*.gif;*.jpg;*.jpeg;*.png|All Files (*.*)|*.*"));
}

bool frmBody::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == txtBackground && type == QEvent::FocusIn) setTarget(QString());
    for (const ColorPart& p : parts_) {
        if (watched == p.field) {
            if (type == QEvent::FocusIn) setTarget(p.attribute);
            if (type == QEvent::MouseButtonDblClick) {
                setTarget(p.attribute);
                cmdColor_Click();
                return true;
            }
        } else if (watched == p.swatch) {
            // A click inside the preview but on a sample belongs to the sample.
            if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) {
                p.field->setFocus();
                setTarget(p.attribute);
                if (type == QEvent::MouseButtonDblClick) cmdColor_Click();
                return true;
            }
        }
    }
    return TagDialog::eventFilter(watched, event);
}

}  // namespace kavrin
