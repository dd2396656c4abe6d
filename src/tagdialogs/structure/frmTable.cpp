#include "tagdialogs/structure/frmTable.h"

#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QStyle>
#include <QUrl>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include "documents/fileops.h"
#include "platform/forms/msgbox.h"
#include "platform/files/ownfiles.h"
#include "platform/system/screen.h"
#include "platform/web/webbrowser.h"
#include "tagdialogs/structure/tablebuilder.h"
#include "tagdialogs/tagparse.h"

namespace kavrin {

namespace {

const QString kImageFilter =
    QStringLiteral("Images (*.gif;*.jpg;*.jpeg;*.png)|*.gif;*.jpg;*.jpeg;*.png|All Files (*.*)|*.*");

QLineEdit* numberField(QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setFixedWidth(twipsToPixels(855));
    return field;
}

QLineEdit* colorField(QWidget* parent) { return sizedField(parent, 1095); }

}  // namespace

frmTable::frmTable(QWidget* parent) : frmTable(parent, false) {}

frmTable::frmTable(QWidget* parent, bool withPreview)
    : TagDialog(QStringLiteral("table"), QStringLiteral("Table"), parent) {
    setObjectName(QStringLiteral("frmTable"));

    const TabbedArea area = addTabbedArea();
    QWidget* const content = area.content;
    tbsMain = area.tabs;

    // ---- Basic: two columns of fields ----
    fraBasic = new QFrame(content);
    fraBasic->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    auto* basic = fieldGrid(fraBasic);

    lblRows = new QLabel(QStringLiteral("Rows"), fraBasic);
    txtNumRows = numberField(fraBasic);
    updRows = new UpDown(fraBasic);
    lblCols = new QLabel(QStringLiteral("Columns"), fraBasic);
    txtNumCols = numberField(fraBasic);
    updCols = new UpDown(fraBasic);
    txtWidth = numberField(fraBasic);
    updWidth = new UpDown(fraBasic);
    txtHeight = numberField(fraBasic);
    updHeight = new UpDown(fraBasic);
    cboAlign = choiceBox({"", "left", "center", "right", "bleedleft", "bleedright", "justify"}, fraBasic);
    txtBackColor = colorField(fraBasic);
    lblBack = colorSwatch(fraBasic);
    cmdBackColor = colorButton(QStringLiteral("Select Color"), fraBasic);
    cboFrame = choiceBox({"", "above", "below", "border", "box", "hsides", "lhs", "rhs", "vsides", "void"}, fraBasic);
    cboRules = choiceBox({"", "all", "cols", "groups", "none", "rows"}, fraBasic);
    txtCellPadding = numberField(fraBasic);
    updCellPadding = new UpDown(fraBasic);
    txtCellSpacing = numberField(fraBasic);
    updCellSpacing = new UpDown(fraBasic);
    txtBorder = numberField(fraBasic);
    updBorder = new UpDown(fraBasic);
    chkLableCells = new QCheckBox(QStringLiteral("Label cells"), fraBasic);

    auto addField = [&](int row, int column, QLabel* label, QWidget* cell) {
        basic->addWidget(label, row, column);
        basic->addWidget(cell, row, column + 1);
    };
    auto label = [this](const char* text) { return new QLabel(QString::fromLatin1(text), fraBasic); };
    // Left column.
    addField(0, 0, lblRows, withBeside(fraBasic, txtNumRows, updRows));
    addField(1, 0, label("Table width"), withBeside(fraBasic, txtWidth, updWidth));
    addField(2, 0, label("Table height"), withBeside(fraBasic, txtHeight, updHeight));
    addField(3, 0, label("Horizontal Alignment"), cboAlign);
    addField(4, 0, label("Background Color"), withBeside(fraBasic, txtBackColor, lblBack, cmdBackColor));
    addField(5, 0, label("Frame"), cboFrame);
    addField(6, 0, label("Rules"), cboRules);
    // Right column.
    basic->setColumnMinimumWidth(2, twipsToPixels(240));
    addField(0, 3, lblCols, withBeside(fraBasic, txtNumCols, updCols));
    addField(1, 3, label("Cell padding"), withBeside(fraBasic, txtCellPadding, updCellPadding));
    addField(2, 3, label("Cell spacing"), withBeside(fraBasic, txtCellSpacing, updCellSpacing));
    addField(3, 3, label("Border"), withBeside(fraBasic, txtBorder, updBorder));
    basic->addWidget(chkLableCells, 4, 3, 1, 2);
    basic->setRowStretch(7, 1);

    // ---- Advanced ----
    fraIe = new QGroupBox(QStringLiteral("Internet Explorer"), content);
    auto* advanced = fieldGrid(fraIe);
    txtSrc = new QLineEdit(fraIe);
    txtSrc->setMinimumWidth(twipsToPixels(2895));
    cmdBrowse = new QToolButton(fraIe);
    cmdBrowse->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    cmdBrowse->setToolTip(QStringLiteral("Browse"));
    txtBorderColor = colorField(fraIe);
    lblBorder = colorSwatch(fraIe);
    cmdBorderColor = colorButton(QStringLiteral("Select Color"), fraIe);
    txtBorderLight = colorField(fraIe);
    lblBorderLight = colorSwatch(fraIe);
    cmdBorderLight = colorButton(QStringLiteral("Select Color"), fraIe);
    txtBorderDark = colorField(fraIe);
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

    if (withPreview) {
        webBrowser = new WebBrowser(content);
        webBrowser->setObjectName(QStringLiteral("webBrowser"));
        webBrowser->setMinimumSize(twipsToPixels(4200), twipsToPixels(3600));
        // The preview only shows: every keystroke reloads it, and it must never take the
        // keyboard away from the field being typed in.
        webBrowser->setFocusPolicy(Qt::NoFocus);
        webBrowser->view()->setFocusPolicy(Qt::NoFocus);
        webBrowser->view()->settings()->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
        area.columns->addWidget(webBrowser, 1);
    }

    addButtonRow();
    setTabChain({tbsMain, txtNumRows, txtNumCols, txtWidth, txtHeight, cboAlign, txtBackColor, cmdBackColor, cboFrame,
                 cboRules, txtCellPadding, txtCellSpacing, txtBorder, chkLableCells, txtSrc, cmdBrowse,
                 txtBorderColor, cmdBorderColor, txtBorderLight, cmdBorderLight, txtBorderDark, cmdBorderDark, cmdOk,
                 cmdCancel});

    // ---- Attributes, in the order they are written ----
    attributeFields_ = {
        {QStringLiteral("width"), txtWidth, nullptr},
        {QStringLiteral("height"), txtHeight, nullptr},
        {QStringLiteral("align"), nullptr, cboAlign},
        {QStringLiteral("cellpadding"), txtCellPadding, nullptr},
        {QStringLiteral("cellspacing"), txtCellSpacing, nullptr},
        {QStringLiteral("border"), txtBorder, nullptr},
        {QStringLiteral("frame"), nullptr, cboFrame},
        {QStringLiteral("rules"), nullptr, cboRules},
        {QStringLiteral("bgcolor"), txtBackColor, nullptr},
        {QStringLiteral("bordercolor"), txtBorderColor, nullptr},
        {QStringLiteral("bordercolorlight"), txtBorderLight, nullptr},
        {QStringLiteral("bordercolordark"), txtBorderDark, nullptr},
    };
    bindText(QStringLiteral("width"), txtWidth);
    bindText(QStringLiteral("height"), txtHeight);
    bindText(QStringLiteral("align"), cboAlign);
    bindText(QStringLiteral("cellpadding"), txtCellPadding);
    bindText(QStringLiteral("cellspacing"), txtCellSpacing);
    bindText(QStringLiteral("border"), txtBorder);
    bindText(QStringLiteral("frame"), cboFrame);
    bindText(QStringLiteral("rules"), cboRules);
    bindColor(QStringLiteral("bgcolor"), txtBackColor, lblBack);
    bindColor(QStringLiteral("bordercolor"), txtBorderColor, lblBorder);
    bindColor(QStringLiteral("bordercolorlight"), txtBorderLight, lblBorderLight);
    bindColor(QStringLiteral("bordercolordark"), txtBorderDark, lblBorderDark);
    bindText(QStringLiteral("background"), txtSrc);

    bindSpin(updRows, txtNumRows);
    bindSpin(updCols, txtNumCols);
    bindSpin(updWidth, txtWidth);
    bindSpin(updHeight, txtHeight);
    bindSpin(updCellPadding, txtCellPadding);
    bindSpin(updCellSpacing, txtCellSpacing);
    bindSpin(updBorder, txtBorder);

    connect(tbsMain, &QTabBar::currentChanged, this, [this] { tbsMain_Click(); });
    connect(cmdBackColor, &QToolButton::clicked, this, [this] { cmdBackColor_Click(); });
    connect(cmdBorderColor, &QToolButton::clicked, this, [this] { cmdBorderColor_Click(); });
    connect(cmdBorderLight, &QToolButton::clicked, this, [this] { cmdBorderLight_Click(); });
    connect(cmdBorderDark, &QToolButton::clicked, this, [this] { cmdBorderDark_Click(); });
    connect(cmdBrowse, &QToolButton::clicked, this, [this] { cmdBrowse_Click(); });

    if (webBrowser) {
        for (QLineEdit* field : {txtNumRows, txtNumCols, txtWidth, txtHeight, txtCellPadding, txtCellSpacing,
                                 txtBorder, txtBackColor, txtSrc, txtBorderColor, txtBorderLight, txtBorderDark})
            connect(field, &QLineEdit::textChanged, this, [this] { updatePreview(); });
        // A pick from a list redraws; text typed into a list box waits for the next change.
        for (QComboBox* list : {cboAlign, cboFrame, cboRules})
            connect(list, &QComboBox::activated, this, [this] { updatePreview(); });
    }
}

frmTableIe::frmTableIe(QWidget* parent) : frmTable(parent, true) { setObjectName(QStringLiteral("frmTableIe")); }

void frmTable::prepareLoad() {
    if (webBrowser) webBrowser->Navigate2(QStringLiteral("about:blank"));
    tbsMain->setCurrentIndex(0);
    tbsMain_Click();
    // An edited table keeps its rows: the fields that build new ones have no meaning there.
    const bool newTable = !editingTag;
    for (QWidget* w : std::initializer_list<QWidget*>{lblRows, txtNumRows, updRows, lblCols, txtNumCols, updCols,
                                                      chkLableCells})
        w->setVisible(newTable);
}

void frmTable::afterLoad() {
    // The fields filled from the tag have redrawn the preview one by one; the list boxes do not
    // redraw when filled, so one last drawing shows the whole tag.
    if (editingTag) updatePreview();
}

void frmTable::Form_Load() {
    TagDialog::Form_Load();
    (editingTag ? txtWidth : txtNumRows)->setFocus();
}

void frmTable::tbsMain_Click() {
    const bool basic = tbsMain->currentIndex() == 0;
    fraBasic->setVisible(basic);
    fraIe->setVisible(!basic);
}

void frmTable::cmdBackColor_Click() { pickColor(txtBackColor, lblBack); }
void frmTable::cmdBorderColor_Click() { pickColor(txtBorderColor, lblBorder); }
void frmTable::cmdBorderLight_Click() { pickColor(txtBorderLight, lblBorderLight); }
void frmTable::cmdBorderDark_Click() { pickColor(txtBorderDark, lblBorderDark); }

void frmTable::cmdBrowse_Click() { browseFile(txtSrc, QStringLiteral("Select a Background Image"), kImageFilter); }

void frmTable::addTableAttributes(QString& tag) const {
    for (const AttributeField& f : attributeFields_) {
        const QString text = f.edit ? f.edit->text() : f.combo->currentText();
        if (!text.isEmpty()) tag += attributeText(f.name, text);
    }
}

QString frmTable::previewPath() { return tempPath + QStringLiteral("temp.html"); }

void frmTable::updatePreview() {
    if (!webBrowser) return;
    const int rows = editingTag ? 2 : tableCount(txtNumRows->text());
    const int cols = editingTag ? 2 : tableCount(txtNumCols->text());
    QString attributes;
    addTableAttributes(attributes);
    const QString src = txtSrc->text();
    if (!src.isEmpty()) {
        // A picture named relative to the document is found from the document's folder, not
        // from the folder the preview page lies in.
        QString picture = src;
        if (!fileExists(picture) && documentFolder.endsWith(QLatin1Char('/'))) picture = documentFolder + src;
        // The preview is shown from the document's folder (below), where an absolute path names
        // the picture in the document's site.
        if (fileExists(picture) && QFileInfo(picture).isAbsolute())
            picture = QString::fromLatin1(QUrl::toPercentEncoding(picture, "/"));
        attributes += attributeText(QStringLiteral("background"), picture);
    }
    // When the page cannot be written the preview keeps showing what it showed.
    const QByteArray page = tablePreviewPage(attributes, rows, cols, indentText).toUtf8();
    if (writeOwnFile(previewPath(), page, nullptr, 0600) != OwnWrite::Written) return;
    // Shown as if it stood in the document's folder, it sees the pictures of the document's
    // site and nothing else; a document without a folder gives it none.
    if (!documentFolder.endsWith(QLatin1Char('/'))) return webBrowser->showWorkPage(previewPath());
    webBrowser->showPageCopy(previewPath(), documentFolder + QStringLiteral("temp.html"));
}

void frmTable::cmdOk_Click() {
    const bool labelCells = chkLableCells->isChecked();
    const int rows = editingTag ? 0 : tableCount(txtNumRows->text());
    const int cols = editingTag ? 0 : tableCount(txtNumCols->text());
    if (!tableGridFits(rows, cols)) {
        msgBox(QStringLiteral("A table of %1 rows and %2 columns would have %3 cells. A table can have at most "
                              "100,000 cells; please choose fewer rows or columns.")
                   .arg(rows)
                   .arg(cols)
                   .arg(static_cast<long long>(rows) * cols),
               vbExclamation, QStringLiteral("Table"));
        tbsMain->setCurrentIndex(0);
        txtNumRows->setFocus();
        txtNumRows->selectAll();
        return;
    }
    insertStartTag(buildStartTag() + tableRows(rows, cols, labelCells, indentText));
    unload();
}

Form* newTableDialog(QWidget* owner) {
    if (enableBrowserAndDesigner) return new frmTableIe(owner);
    return new frmTable(owner);
}

void showTableDialog() { runModal(newTableDialog(dialogOwner())); }

}  // namespace kavrin
