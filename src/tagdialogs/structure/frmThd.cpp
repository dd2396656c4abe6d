#include "tagdialogs/structure/frmThd.h"

#include <QHBoxLayout>
#include <QStyle>

#include "platform/system/screen.h"

namespace kavrin {

namespace {

const QString kImageFilter =
    QStringLiteral("Images (*.gif;*.jpg;*.jpeg;*.png)|*.gif;*.jpg;*.jpeg;*.png|All Files (*.*)|*.*");

}  // namespace

frmThd::frmThd(QWidget* parent) : TagDialog(QStringLiteral("td"), QStringLiteral("THD"), parent) {
    setObjectName(QStringLiteral("frmThd"));

    const TabbedArea area = addTabbedArea();
    QWidget* const content = area.content;
    tbsMain = area.tabs;

    fraBasic = new QFrame(content);
    fraBasic->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    auto* basic = fieldGrid(fraBasic);

    txtWidth = sizedField(fraBasic, 855);
    updWidth = new UpDown(fraBasic);
    txtHeight = sizedField(fraBasic, 855);
    updHeight = new UpDown(fraBasic);
    cboAlign = choiceBox({"left", "center", "right", "justify"}, fraBasic);
    cboVAlign = choiceBox({"top", "middle", "bottom", "baseline"}, fraBasic);
    txtBackColor = sizedField(fraBasic, 1095);
    lblBackColor = colorSwatch(fraBasic);
    cmdBackColor = colorButton(QStringLiteral("Select Color"), fraBasic);
    txtRowspan = sizedField(fraBasic, 615);
    UpdRowSpan = new UpDown(fraBasic);
    txtColspan = sizedField(fraBasic, 615);
    UpdColSpan = new UpDown(fraBasic);
    chkNowrap = new QCheckBox(QStringLiteral("NoWrap"), fraBasic);
    setDigitsOnly(txtRowspan);
    setDigitsOnly(txtColspan);

    auto label = [this](const char* text) { return new QLabel(QString::fromLatin1(text), fraBasic); };
    auto addField = [&](int row, int column, const char* text, QWidget* cell) {
        basic->addWidget(label(text), row, column);
        basic->addWidget(cell, row, column + 1);
    };
    addField(0, 0, "Width", withBeside(fraBasic, txtWidth, updWidth));
    addField(1, 0, "Height", withBeside(fraBasic, txtHeight, updHeight));
    addField(2, 0, "Horizontal Alignment", cboAlign);
    addField(3, 0, "Vertical Alignment", cboVAlign);
    addField(4, 0, "Background Color", withBeside(fraBasic, txtBackColor, lblBackColor, cmdBackColor));
    basic->setColumnMinimumWidth(2, twipsToPixels(240));
    addField(0, 3, "Row Span", withBeside(fraBasic, txtRowspan, UpdRowSpan));
    addField(1, 3, "Column Span", withBeside(fraBasic, txtColspan, UpdColSpan));
    basic->addWidget(chkNowrap, 2, 3, 1, 2);
    // Which kind of cell is being written.
    imgTH = new QLabel(fraBasic);
    imgTH->setPixmap(style()->standardIcon(QStyle::SP_FileDialogListView).pixmap(32, 32));
    imgTD = new QLabel(fraBasic);
    imgTD->setPixmap(style()->standardIcon(QStyle::SP_FileDialogDetailedView).pixmap(32, 32));
    basic->addWidget(imgTH, 3, 4, 2, 1, Qt::AlignRight | Qt::AlignBottom);
    basic->addWidget(imgTD, 3, 4, 2, 1, Qt::AlignRight | Qt::AlignBottom);
    basic->setRowStretch(5, 1);

    fraIe = new QGroupBox(QStringLiteral("Internet Explorer"), content);
    auto* advanced = fieldGrid(fraIe);
    txtSrc = new QLineEdit(fraIe);
    txtSrc->setMinimumWidth(twipsToPixels(2895));
    cmdBrowse = new QToolButton(fraIe);
    cmdBrowse->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    cmdBrowse->setToolTip(QStringLiteral("Browse"));
    txtBorderColor = sizedField(fraIe, 1095);
    lblBorder = colorSwatch(fraIe);
    cmdBorderColor = colorButton(QStringLiteral("Select Color"), fraIe);
    txtBorderLight = sizedField(fraIe, 1095);
    lblBorderLight = colorSwatch(fraIe);
    cmdBorderLight = colorButton(QStringLiteral("Select Color"), fraIe);
    txtBorderDark = sizedField(fraIe, 1095);
    lblBorderDark = colorSwatch(fraIe);
    cmdBorderDark = colorButton(QStringLiteral("Select Color"), fraIe);
    const std::pair<const char*, QWidget*> advancedRows[] = {
        {"Background Image", withBeside(fraIe, txtSrc, cmdBrowse)},
        {"Border Color", withBeside(fraIe, txtBorderColor, lblBorder, cmdBorderColor)},
        {"Border Light Color", withBeside(fraIe, txtBorderLight, lblBorderLight, cmdBorderLight)},
        {"Border Dark Color", withBeside(fraIe, txtBorderDark, lblBorderDark, cmdBorderDark)},
    };
    addLabelledRows(advanced, fraIe, advancedRows);

    stackPages(area.pages, {fraBasic, fraIe});
    addButtonRow();
    setTabChain({tbsMain, txtWidth, txtHeight, cboAlign, cboVAlign, txtBackColor, cmdBackColor, txtRowspan,
                 txtColspan, chkNowrap, txtSrc, cmdBrowse, txtBorderColor, cmdBorderColor, txtBorderLight,
                 cmdBorderLight, txtBorderDark, cmdBorderDark, cmdOk, cmdCancel});

    // In the order the attributes are written; the flag follows every valued attribute.
    bindText(QStringLiteral("width"), txtWidth);
    bindText(QStringLiteral("height"), txtHeight);
    bindText(QStringLiteral("align"), cboAlign);
    bindText(QStringLiteral("valign"), cboVAlign);
    bindText(QStringLiteral("colspan"), txtColspan);
    bindText(QStringLiteral("rowspan"), txtRowspan);
    bindText(QStringLiteral("background"), txtSrc);
    bindColor(QStringLiteral("bgcolor"), txtBackColor, lblBackColor);
    bindColor(QStringLiteral("bordercolor"), txtBorderColor, lblBorder);
    bindColor(QStringLiteral("bordercolorlight"), txtBorderLight, lblBorderLight);
    bindColor(QStringLiteral("bordercolordark"), txtBorderDark, lblBorderDark);
    bindFlag(QStringLiteral("nowrap"), chkNowrap);

    bindSpin(updWidth, txtWidth);
    bindSpin(updHeight, txtHeight);
    bindRangedSpin(this, UpdRowSpan, txtRowspan, 0, kMaxSpan);
    bindRangedSpin(this, UpdColSpan, txtColspan, 0, kMaxSpan);

    connect(tbsMain, &QTabBar::currentChanged, this, [this] { tbsMain_Click(); });
    connect(cmdBackColor, &QToolButton::clicked, this, [this] { cmdBackColor_Click(); });
    connect(cmdBorderColor, &QToolButton::clicked, this, [this] { cmdBorderColor_Click(); });
    connect(cmdBorderLight, &QToolButton::clicked, this, [this] { cmdBorderLight_Click(); });
    connect(cmdBorderDark, &QToolButton::clicked, this, [this] { cmdBorderDark_Click(); });
    connect(cmdBrowse, &QToolButton::clicked, this, [this] { cmdBrowse_Click(); });
}

void frmThd::prepareLoad() {
    tbsMain->setCurrentIndex(0);
    tbsMain_Click();
    const bool heading = dialogKind == QLatin1String("th");
    // Any other kind makes a data cell: an empty or strange kind must not write "<>".
    element = heading ? QStringLiteral("th") : QStringLiteral("td");
    setCaption(heading ? QStringLiteral("Table Heading") : QStringLiteral("Table Data"));
    imgTH->setVisible(heading);
    imgTD->setVisible(!heading);
}

// Typing goes into the first field, as in every dialog, not onto the tab bar.
void frmThd::afterLoad() { txtWidth->setFocus(); }

void frmThd::Form_Unload(int& cancel) {
    (void)cancel;
    // The kind was meant for this showing only.
    dialogKind.clear();
}

void frmThd::tbsMain_Click() {
    const bool basic = tbsMain->currentIndex() == 0;
    fraBasic->setVisible(basic);
    fraIe->setVisible(!basic);
}

void frmThd::cmdBackColor_Click() { pickColor(txtBackColor, lblBackColor); }
void frmThd::cmdBorderColor_Click() { pickColor(txtBorderColor, lblBorder); }
void frmThd::cmdBorderLight_Click() { pickColor(txtBorderLight, lblBorderLight); }
void frmThd::cmdBorderDark_Click() { pickColor(txtBorderDark, lblBorderDark); }
void frmThd::cmdBrowse_Click() { browseFile(txtSrc, QStringLiteral("Select a Background Image"), kImageFilter); }

}  // namespace kavrin
