#include "tagdialogs/structure/frmTr.h"

#include <QHBoxLayout>

#include "platform/system/screen.h"

namespace kavrin {

namespace {

QWidget* colorCell(QWidget* parent, QLineEdit*& field, QLabel*& swatch, QToolButton*& button) {
    auto* cell = new QWidget(parent);
    auto* row = new QHBoxLayout(cell);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(twipsToPixels(60));
    field = new QLineEdit(cell);
    field->setFixedWidth(twipsToPixels(1095));
    swatch = colorSwatch(cell);
    button = colorButton(QStringLiteral("Select Color"), cell);
    row->addWidget(field);
    row->addWidget(swatch);
    row->addWidget(button);
    row->addStretch(1);
    return cell;
}

}  // namespace

frmTr::frmTr(QWidget* parent) : TagDialog(QStringLiteral("tr"), QStringLiteral("Table Row"), parent) {
    setObjectName(QStringLiteral("frmTr"));

    const TabbedArea area = addTabbedArea();
    QWidget* const content = area.content;
    tbsMain = area.tabs;

    fraBasic = new QFrame(content);
    fraBasic->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    auto* basic = fieldGrid(fraBasic);
    cboAlign = choiceBox({"", "left", "center", "right", "justify"}, fraBasic);
    cboValign = choiceBox({"", "top", "middle", "bottom", "baseline"}, fraBasic);
    QWidget* backCell = colorCell(fraBasic, txtBackColor, lblBack, cmdColor);
    const std::pair<const char*, QWidget*> basicRows[] = {
        {"Horizontal Alignment", cboAlign},
        {"Vertical Alignment", cboValign},
        {"Background Color", backCell},
    };
    addLabelledRows(basic, fraBasic, basicRows);

    fraIe = new QGroupBox(QStringLiteral("Internet Explorer"), content);
    auto* advanced = fieldGrid(fraIe);
    const std::pair<const char*, QWidget*> advancedRows[] = {
        {"Border Color", colorCell(fraIe, txtBorderColor, lblBorder, cmdBorderColor)},
        {"Border Light Color", colorCell(fraIe, txtBorderLight, lblBorderLight, cmdBorderLight)},
        {"Border Dark Color", colorCell(fraIe, txtBorderDark, lblBorderDark, cmdBorderDark)},
    };
    addLabelledRows(advanced, fraIe, advancedRows);

    stackPages(area.pages, {fraBasic, fraIe});
    addButtonRow();
    setTabChain({tbsMain, cboAlign, cboValign, txtBackColor, cmdColor, txtBorderColor, cmdBorderColor,
                 txtBorderLight, cmdBorderLight, txtBorderDark, cmdBorderDark, cmdOk, cmdCancel});

    bindText(QStringLiteral("align"), cboAlign);
    bindText(QStringLiteral("valign"), cboValign);
    bindColor(QStringLiteral("bgcolor"), txtBackColor, lblBack);
    bindColor(QStringLiteral("bordercolor"), txtBorderColor, lblBorder);
    bindColor(QStringLiteral("bordercolorlight"), txtBorderLight, lblBorderLight);
    bindColor(QStringLiteral("bordercolordark"), txtBorderDark, lblBorderDark);

    connect(tbsMain, &QTabBar::currentChanged, this, [this] { tbsMain_Click(); });
    connect(cmdColor, &QToolButton::clicked, this, [this] { cmdColor_Click(); });
    connect(cmdBorderColor, &QToolButton::clicked, this, [this] { cmdBorderColor_Click(); });
    connect(cmdBorderLight, &QToolButton::clicked, this, [this] { cmdBorderLight_Click(); });
    connect(cmdBorderDark, &QToolButton::clicked, this, [this] { cmdBorderDark_Click(); });
}

void frmTr::prepareLoad() {
    tbsMain->setCurrentIndex(0);
    tbsMain_Click();
}

// Typing goes into the first field, as in every dialog, not onto the tab bar.
void frmTr::afterLoad() { cboAlign->setFocus(); }

void frmTr::tbsMain_Click() {
    const bool basic = tbsMain->currentIndex() == 0;
    fraBasic->setVisible(basic);
    fraIe->setVisible(!basic);
}

void frmTr::cmdColor_Click() { pickColor(txtBackColor, lblBack); }
void frmTr::cmdBorderColor_Click() { pickColor(txtBorderColor, lblBorder); }
void frmTr::cmdBorderLight_Click() { pickColor(txtBorderLight, lblBorderLight); }
void frmTr::cmdBorderDark_Click() { pickColor(txtBorderDark, lblBorderDark); }

}  // namespace kavrin
