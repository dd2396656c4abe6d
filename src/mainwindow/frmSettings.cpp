#include "mainwindow/frmSettings.h"

#include <QAction>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPointer>
#include <QRegularExpressionValidator>
#include <QStandardPaths>
#include <QStyle>
#include <QVBoxLayout>
#include <cmath>

#include "documents/documentwindow.h"
#include "documents/fileops.h"
#include "documents/globals.h"
#include "documents/module1.h"
#include "mainwindow/mdiMain.h"
#include "platform/forms/commondialog.h"
#include "platform/system/convert.h"
#include "platform/forms/msgbox.h"
#include "platform/richtext/richtextbox.h"
#include "platform/system/screen.h"
#include "platform/files/settingsstore.h"
#include "platform/system/shell.h"
#include "platform/web/webviews.h"
#include "tagdialogs/frmColor.h"

namespace kavrin {

namespace {

// A stored helper whose program has gone stays in its box, so an Apply made for another setting
// does not forget it, but is shown as missing: the menu item would ask for a program instead.
// Browsers are started by their path only; the other helpers may also be named by a command.
void showMissingProgram(QLineEdit* box, QAction* mark, bool browser) {
    const QString text = browser ? box->text().trimmed() : box->text();
    bool found = true;
    if (!text.trimmed().isEmpty()) {
        if (browser || text.contains(u'/')) found = QFileInfo(text).isFile() && QFileInfo(text).isExecutable();
        else found = !QStandardPaths::findExecutable(text.trimmed()).isEmpty();
    }
    mark->setVisible(!found);
    const QString why = QStringLiteral("Missing: no program is found at %1").arg(text.trimmed());
    mark->setToolTip(found ? QString() : why);
    box->setToolTip(found ? QString() : why);
    QPalette palette = box->parentWidget() ? box->parentWidget()->palette() : box->palette();
    if (!found) palette.setColor(QPalette::Text, Qt::red);
    box->setPalette(palette);
}

const QString kApp = QStringLiteral("Kavrin Pro");

QRect twipRect(int left, int top, int width, int height) {
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

// The whole number a text starts with, 0 when it starts with none.
int leadingNumber(const QString& text) {
    const QString t = text.trimmed();
    int i = 0;
    while (i < t.size() && t[i].isDigit()) ++i;
    bool ok = false;
    const int n = t.left(qMin(i, 6)).toInt(&ok);
    return ok ? n : 0;
}

QString browserSwitchRefused() {
    return QStringLiteral("You must close all documents before you can enable or disable") + '\n' +
           QStringLiteral("the Web browser and Web page Designer.");
}

QString browserEnableQuestion() {
    return QStringLiteral("The Web browser and Web page Designer run on the web engine built into Kavrin Pro;") + '\n' +
           QStringLiteral("no other browser is needed. Documents opened from now on get the Browse and Design views.") +
           "\n\n" + QStringLiteral("Enable the Web browser and Web page Designer?");
}

const QStringList kDefaultFilters = {QStringLiteral("HTML Files (*.html)|*.html;*.htm"),
                                     QStringLiteral("Text Files (*.txt)|*.txt"),
                                     QStringLiteral("All Files (*.*)|*.*")};
constexpr int kMaxFilters = 10;

}  // namespace

void showOptionsDialog(int tab) {
    QPointer<frmSettings> dialog = new frmSettings(mainWindow);
    dialog->load();
    dialog->selectTab(tab);
    dialog->showModal();
    if (dialog && dialog->isLoaded()) dialog->unload();
}

void connectOptionsCommand(mdiMain* main) {
    if (QAction* item = main->item(QStringLiteral("mnuToolsOptions")))
        QObject::connect(item, &QAction::triggered, main, [] { showOptionsDialog(0); });
}

frmSettings::frmSettings(QWidget* parent) : Form(parent) {
    setWindowFlag(Qt::Dialog);
    setWindowModality(Qt::ApplicationModal);
    setCaption(QStringLiteral("Options"));
    buildWindow();
}

void frmSettings::buildWindow() {
    tbsMain = new QTabBar(this);
    tbsMain->setObjectName(QStringLiteral("tbsMain"));
    const QStringList captions = {"General", "Filters/Startup", "Color Coding", "Tags", "Templates", "Helper Apps", "Designer"};
    const QStringList tags = {"general", "filters/startup", "colorcoding", "tags", "templates", "apps", "designer"};
    for (int i = 0; i < captions.size(); ++i) {
        tbsMain->addTab(captions[i]);
        tbsMain->setTabData(i, tags[i]);
    }
    connect(tbsMain, &QTabBar::tabBarClicked, this, [this](int i) {
        if (i >= 0) selectTab(i);
    });

    auto frame = [this](const QString& name, const QString& caption) {
        auto* f = new QGroupBox(caption, this);
        f->setObjectName(name);
        return f;
    };
    auto check = [](QWidget* parent, const QString& caption) { return new QCheckBox(caption, parent); };

    // General
    fraGeneral = frame("fraGeneral", "General");
    {
        auto* g = new QGridLayout(fraGeneral);
        chkUseIe = check(fraGeneral, "Enable Integrated Web Browser and Web Page Designer");
        chkAutoindent = check(fraGeneral, "Auto-indent (match previous line)");
        chkWordwrap = check(fraGeneral, "Word Wrap");
        chkTaskBar = check(fraGeneral, "Show task Bar (Statusbar must be visible)");
        txtIndent = new QLineEdit(fraGeneral);
        txtIndent->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), txtIndent));
        txtIndent->setMaximumWidth(40);
        updIndentUp = new QToolButton(fraGeneral);
        updIndentUp->setArrowType(Qt::UpArrow);
        updIndentDown = new QToolButton(fraGeneral);
        updIndentDown->setArrowType(Qt::DownArrow);
        auto* indent = new QHBoxLayout;
        indent->addWidget(new QLabel("Indent Size", fraGeneral));
        indent->addWidget(txtIndent);
        indent->addWidget(updIndentUp);
        indent->addWidget(updIndentDown);
        indent->addStretch();
        g->addWidget(chkUseIe, 0, 0, 1, 2);
        g->addWidget(chkAutoindent, 1, 0);
        g->addLayout(indent, 1, 1);
        g->addWidget(chkWordwrap, 2, 0);
        g->addWidget(chkTaskBar, 3, 0, 1, 2);
    }
    fraFont = frame("fraFont", "Font");
    {
        auto* g = new QGridLayout(fraFont);
        cboFontFace = new QComboBox(fraFont);
        cboFontFace->setEditable(true);
        cboFontFace->setInsertPolicy(QComboBox::NoInsert);
        cboFontSize = new QComboBox(fraFont);
        cboFontSize->setEditable(true);
        cboFontSize->setInsertPolicy(QComboBox::NoInsert);
        cboFontSize->addItems({"8", "9", "10", "11", "12", "14", "16", "18", "20", "22", "24", "26", "28", "36", "48", "72"});
        lblFontSample = new QLabel(QStringLiteral("<a href=\"foo.htm\">AaBb</a>"), fraFont);
        lblFontSample->setTextFormat(Qt::PlainText);
        g->addWidget(new QLabel("Font", fraFont), 0, 0);
        g->addWidget(cboFontFace, 0, 1);
        g->addWidget(new QLabel("Size", fraFont), 1, 0);
        g->addWidget(cboFontSize, 1, 1);
        g->addWidget(new QLabel("Sample", fraFont), 2, 0);
        g->addWidget(lblFontSample, 2, 1);
        g->setColumnStretch(1, 1);
    }

    // Filters/Startup
    fraDialog1 = frame("fraDialog1", "Startup Folder");
    {
        auto* g = new QGridLayout(fraDialog1);
        optStartupDesktop = new QRadioButton("Use My Computer as the startup folder", fraDialog1);
        optStartupLast = new QRadioButton("Remember last folder from previous session", fraDialog1);
        optStartupOther = new QRadioButton("Other:", fraDialog1);
        txtStartupOther = new QLineEdit(fraDialog1);
        cmdBrowse = new QPushButton("Browse", fraDialog1);
        txtStartupOther->setEnabled(false);
        cmdBrowse->setEnabled(false);
        g->addWidget(optStartupDesktop, 0, 0, 1, 3);
        g->addWidget(optStartupLast, 1, 0, 1, 3);
        g->addWidget(optStartupOther, 2, 0);
        g->addWidget(txtStartupOther, 2, 1);
        g->addWidget(cmdBrowse, 2, 2);
    }
    fraFilters = frame("fraFilters", "Open/Save Dialog Filters");
    {
        auto* g = new QGridLayout(fraFilters);
        lstFilters = new QListWidget(fraFilters);
        txtFilterName = new QLineEdit(fraFilters);
        txtFilter = new QLineEdit(fraFilters);
        cmdNew = new QPushButton("Add", fraFilters);
        cmdNew->setToolTip("Combine filter name and filter to make new");
        cmdDelete = new QPushButton("Delete", fraFilters);
        cmdDelete->setToolTip("Delete filter");
        cmdDefault = new QPushButton("Default", fraFilters);
        cmdDefault->setToolTip("Restore default filters");
        cmdUp = new QToolButton(fraFilters);
        cmdUp->setArrowType(Qt::UpArrow);
        cmdUp->setToolTip("Move selected filter up");
        cmdDown = new QToolButton(fraFilters);
        cmdDown->setArrowType(Qt::DownArrow);
        cmdDown->setToolTip("Move selected filter down");
        g->addWidget(lstFilters, 0, 0, 4, 1);
        g->addWidget(cmdUp, 0, 1);
        g->addWidget(cmdDown, 1, 1);
        g->addWidget(new QLabel("Filter Name:", fraFilters), 0, 2);
        g->addWidget(txtFilterName, 0, 3, 1, 3);
        g->addWidget(new QLabel("Filter:", fraFilters), 1, 2);
        g->addWidget(txtFilter, 1, 3, 1, 3);
        g->addWidget(cmdNew, 2, 3);
        g->addWidget(cmdDelete, 2, 4);
        g->addWidget(cmdDefault, 2, 5);
        g->setColumnStretch(0, 1);
    }

    // Color Coding
    fraColor = frame("fraColor", "Color Coding");
    {
        auto* g = new QGridLayout(fraColor);
        const QStringList labels = {"Form Tags", "Image Tags", "Font/Format Tags", "Anchor Tags",
                                    "Table Tags", "Comment Tags", "Unrecognized Tags", "All Other Tags"};
        colors_.fill(0, 8);
        for (int i = 0; i < 8; ++i) {
            auto* b = new QPushButton("Select Color", fraColor);
            b->setObjectName(QStringLiteral("cmdColor%1").arg(i));
            b->setAutoFillBackground(true);
            b->setFlat(true);
            connect(b, &QPushButton::clicked, this, [this, i] { cmdColor_Click(i); });
            cmdColor.push_back(b);
            g->addWidget(new QLabel(labels[i], fraColor), i, 0);
            g->addWidget(b, i, 1);
        }
        chkColorOnOpen = check(fraColor, "Color Code HTML Documents On Load");
        g->addWidget(chkColorOnOpen, 8, 0, 1, 2);
    }

    // Tags
    fraTagHelp = frame("fraTagHelp", "Tag Tips");
    {
        auto* g = new QGridLayout(fraTagHelp);
        chkTagTip = check(fraTagHelp, "Enable Tag Tips");
        sldTagTip = new QSlider(Qt::Horizontal, fraTagHelp);
        sldTagTip->setRange(0, 10);
        sldTagTip->setTickPosition(QSlider::TicksBelow);
        g->addWidget(chkTagTip, 0, 0, 1, 3);
        g->addWidget(sldTagTip, 1, 0, 1, 3);
        g->addWidget(new QLabel("0", fraTagHelp), 2, 0, Qt::AlignLeft);
        g->addWidget(new QLabel("1", fraTagHelp), 2, 1, Qt::AlignCenter);
        g->addWidget(new QLabel("2", fraTagHelp), 2, 2, Qt::AlignRight);
        g->addWidget(new QLabel("Delay (in seconds)", fraTagHelp), 3, 0, 1, 3, Qt::AlignCenter);
    }
    fraTagCompletion = frame("fraTagCompletion", "Tag Completion");
    chkTagCompletion = check(fraTagCompletion, "Enable Tag Completion");
    (new QVBoxLayout(fraTagCompletion))->addWidget(chkTagCompletion);
    fraTags = frame("fraTags", "General");
    chkUppercaseTags = check(fraTags, "Uppercase Tags");
    chkEndingP = check(fraTags, "Add Ending </p> To Paragraph Break Tag");
    {
        auto* v = new QVBoxLayout(fraTags);
        v->addWidget(chkUppercaseTags);
        v->addWidget(chkEndingP);
    }

    fraTemplates = frame("fraTemplates", "Templates");
    {
        auto* g = new QGridLayout(fraTemplates);
        for (int i = 0; i < 6; ++i) {
            auto* label = new QLabel(QStringLiteral("Template %1").arg(i + 1), fraTemplates);
            label->setObjectName(QStringLiteral("lblTemplate"));
            auto* text = new QLineEdit(fraTemplates);
            auto* edit = new QPushButton(QStringLiteral("Edit"), fraTemplates);
            connect(edit, &QPushButton::clicked, this, [this, i] { cmdTemplate_Click(i); });
            txtTemplate.push_back(text);
            cmdTemplate.push_back(edit);
            g->addWidget(label, i, 0);
            g->addWidget(text, i, 1);
            g->addWidget(edit, i, 2);
        }
        g->setRowStretch(6, 1);
    }
    fraApps = frame("fraApps", "Helper Applications");
    {
        auto* g = new QGridLayout(fraApps);
        const QStringList labels = {"FTP Client", "Image Editor", "Imagemap Editor", "HTML Validator"};
        for (int i = 0; i < 8; ++i) {
            auto* path = new QLineEdit(fraApps);
            QAction* missing = path->addAction(style()->standardIcon(QStyle::SP_MessageBoxWarning), QLineEdit::TrailingPosition);
            missing->setVisible(false);
            connect(path, &QLineEdit::textChanged, this,
                    [path, missing, browser = i >= 4] { showMissingProgram(path, missing, browser); });
            auto* browse = new QPushButton(QStringLiteral("Browse"), fraApps);
            connect(browse, &QPushButton::clicked, this, [this, i] { cmdHelperApp_Click(i); });
            txtHelperApp.push_back(path);
            cmdHelperApp.push_back(browse);
            const int row = i < 4 ? i : i + 1;
            if (i < 4) {
                g->addWidget(new QLabel(labels[i], fraApps), row, 0);
            } else {
                auto* name = new QLineEdit(fraApps);
                txtBrowser.push_back(name);
                g->addWidget(name, row, 0);
            }
            g->addWidget(path, row, 1);
            g->addWidget(browse, row, 2);
        }
        g->addWidget(new QLabel(QStringLiteral("Web Browsers:"), fraApps), 4, 0, 1, 3);
        g->setColumnStretch(1, 1);
        g->setRowStretch(9, 1);
    }

    fraDesigner = frame("fraDesigner", "Designer");
    chkShowDetails = check(fraDesigner, "Show Details");
    chkShowBorders = check(fraDesigner, "Show Borders Around Elements With Zero Borders");
    chkUseDiv = check(fraDesigner, "Insert <Div> on Carriage Return");
    {
        auto* v = new QVBoxLayout(fraDesigner);
        v->addWidget(chkShowDetails);
        v->addWidget(chkShowBorders);
        v->addWidget(chkUseDiv);
        v->addStretch();
    }

    cmdOk = new QPushButton("OK", this);
    cmdOk->setDefault(true);
    cmdCancel = new QPushButton("Cancel", this);
    cmdApply = new QPushButton("Apply", this);
    cmdOk->setGeometry(twipRect(4560, 5640, 1095, 375));
    cmdCancel->setGeometry(twipRect(5760, 5640, 1095, 375));
    cmdApply->setGeometry(twipRect(6960, 5640, 1095, 375));

    connect(cmdOk, &QPushButton::clicked, this, &frmSettings::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSettings::cmdCancel_Click);
    connect(cmdApply, &QPushButton::clicked, this, &frmSettings::cmdApply_Click);
    connect(cboFontFace, qOverload<int>(&QComboBox::activated), this, [this] { cboFontFace_Click(); });
    connect(cboFontSize, &QComboBox::editTextChanged, this, [this] { cboFontSize_Change(); });
    connect(cboFontSize, qOverload<int>(&QComboBox::activated), this, [this] { cboFontSize_Validate(); });
    connect(cboFontSize->lineEdit(), &QLineEdit::editingFinished, this, [this] { cboFontSize_Validate(); });
    connect(txtIndent, &QLineEdit::editingFinished, this, [this] { txtIndent_Change(); });
    connect(updIndentUp, &QToolButton::clicked, this, [this] {
        txtIndent->setText(QString::number(qMin(10, leadingNumber(txtIndent->text()) + 1)));
    });
    connect(updIndentDown, &QToolButton::clicked, this, [this] {
        txtIndent->setText(QString::number(qMax(1, leadingNumber(txtIndent->text()) - 1)));
    });
    connect(chkTagTip, &QCheckBox::clicked, this, [this] { chkTagTip_Click(); });
    connect(chkUseIe, &QCheckBox::toggled, this, [this] { chkUseIe_Click(); });
    connect(optStartupDesktop, &QRadioButton::toggled, this, [this](bool on) {
        if (on) txtStartupOther->setEnabled(false), cmdBrowse->setEnabled(false);
    });
    connect(optStartupLast, &QRadioButton::toggled, this, [this](bool on) {
        if (on) txtStartupOther->setEnabled(false), cmdBrowse->setEnabled(false);
    });
    connect(optStartupOther, &QRadioButton::toggled, this, [this](bool on) {
        if (on) txtStartupOther->setEnabled(true), cmdBrowse->setEnabled(true);
    });
    connect(cmdBrowse, &QPushButton::clicked, this, &frmSettings::cmdBrowse_Click);
    connect(lstFilters, &QListWidget::itemSelectionChanged, this, &frmSettings::lstFilters_Click);
    connect(txtFilterName, &QLineEdit::textChanged, this, &frmSettings::txtFilter_Change);
    connect(txtFilter, &QLineEdit::textChanged, this, &frmSettings::txtFilter_Change);
    connect(cmdNew, &QPushButton::clicked, this, &frmSettings::cmdNew_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &frmSettings::cmdDelete_Click);
    connect(cmdDefault, &QPushButton::clicked, this, &frmSettings::cmdDefault_Click);
    connect(cmdUp, &QToolButton::clicked, this, &frmSettings::cmdUp_Click);
    connect(cmdDown, &QToolButton::clicked, this, &frmSettings::cmdDown_Click);
}

void frmSettings::Form_Load() {
    loading_ = true;
    // The tab captions must all show at once; a wider system font widens the dialog to fit them.
    tbsMain->setUsesScrollButtons(false);
    const int extra = qMax(0, tbsMain->sizeHint().width() - twipsToPixels(8000));
    setFixedSize(twipsToPixels(8190) + extra, twipsToPixels(6450));
    tbsMain->setGeometry(twipsToPixels(60), twipsToPixels(90), twipsToPixels(8000) + extra, tbsMain->sizeHint().height());
    const struct {
        QGroupBox* frame;
        int top, height;
    } frames[] = {{fraGeneral, 600, 1995}, {fraFont, 2730, 2475},   {fraDialog1, 600, 1920},
                  {fraFilters, 2730, 2480}, {fraColor, 600, 4600},  {fraTagHelp, 600, 2475},
                  {fraTagCompletion, 3200, 825}, {fraTags, 4150, 1050}, {fraTemplates, 600, 4600},
                  {fraApps, 600, 4600},     {fraDesigner, 600, 4600}};
    for (const auto& f : frames) {
        f.frame->setGeometry(twipsToPixels(240), twipsToPixels(f.top), twipsToPixels(7620) + extra, twipsToPixels(f.height));
        // The frames' twip heights were made for tighter controls than today's.
        if (QLayout* layout = f.frame->layout()) {
            layout->setContentsMargins(8, 4, 8, 4);
            layout->setSpacing(3);
        }
    }
    for (QPushButton* b : {cmdOk, cmdCancel, cmdApply}) b->move(b->x() + extra, b->y());
    hideAllFrames();
    fraFont->show();
    fraGeneral->show();

    chkUppercaseTags->setChecked(uppercaseTags);
    chkEndingP->setChecked(addEndingP);
    loadTemplatesAndApps(true);
    chkUseIe->setChecked(enableBrowserAndDesigner);
    chkAutoindent->setChecked(autoIndent);
    txtIndent->setText(QString::number(indentText.size()));
    chkWordwrap->setChecked(wordWrap);
    chkShowDetails->setChecked(designerShowDetails);
    chkShowBorders->setChecked(designerShowBorders);
    chkUseDiv->setChecked(designerDivOnReturn);
    if (rememberLastFolder) {
        optStartupLast->setChecked(true);
    } else if (startupFolder == QLatin1String("my computer")) {
        optStartupDesktop->setChecked(true);
    } else {
        optStartupOther->setChecked(true);
        txtStartupOther->setText(startupFolder);
    }
    lstFilters->clear();
    for (int i = 0; i < numFilters && i < fileFilters.size(); ++i)
        lstFilters->addItem(fileFilters[i].name + u'|' + fileFilters[i].pattern);
    cmdNew->setEnabled(false);
    cmdDelete->setEnabled(false);
    cmdUp->hide();
    cmdDown->hide();
    const int settings[8] = {formColor, imageColor, fontColor, anchorColor,
                             tableColor, commentColor, unrecognizedColor, tagColor};
    for (int i = 0; i < 8; ++i) setColorButton(i, settings[i]);
    chkColorOnOpen->setChecked(colorOnOpen);
    chkTaskBar->setChecked(showTaskBar);
    if (tagTipDelay > -1) {
        sldTagTip->setValue(int(roundHalfEven(tagTipDelay / 200.0)));
        sldTagTip->setEnabled(true);
        chkTagTip->setChecked(true);
    } else {
        sldTagTip->setValue(0);
        sldTagTip->setEnabled(false);
        chkTagTip->setChecked(false);
    }
    loadTemplatesAndApps(false);
    chkTagCompletion->setChecked(tagCompletion);
    // The font list is filled once per opening: refilling it whenever the dialog became active
    // again (after the colour picker, say) would throw away a face or size chosen but not applied.
    fillFonts();
    loading_ = false;
}

void frmSettings::fillFonts() {
    setCaption(QStringLiteral("Loading Fonts..."));
    setBusy(true);
    cboFontFace->clear();
    if (fontCount == 0) loadFontNames();
    for (int i = 0; i < fontCount && i < fontNames.size(); ++i) cboFontFace->addItem(fontNames[i]);
    cboFontFace->setEditText(fontName);
    cboFontSize->setEditText(QString::number(fontSize));
    QFont sample = lblFontSample->font();
    if (!fontName.isEmpty()) sample.setFamily(fontName);
    if (fontSize > 0) sample.setPointSize(fontSize);
    lblFontSample->setFont(sample);
    setCaption(QStringLiteral("Options"));
    setBusy(false);
}

void frmSettings::setColorButton(int index, int color) {
    colors_[index] = color & 0xFFFFFF;
    QPushButton* b = cmdColor[index];
    QPalette p = b->palette();
    const QColor c(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
    p.setColor(QPalette::Button, c);
    p.setColor(QPalette::Window, c);
    p.setColor(QPalette::ButtonText, c.lightness() < 128 ? Qt::white : Qt::black);
    b->setPalette(p);
}

int frmSettings::colorOf(int index) const { return colors_.value(index); }

void frmSettings::hideAllFrames() {
    for (QGroupBox* f : {fraGeneral, fraFont, fraDialog1, fraFilters, fraColor, fraTagHelp, fraTagCompletion,
                         fraTags, fraTemplates, fraApps, fraDesigner})
        f->hide();
}

void frmSettings::selectTab(int index) {
    if (!isLoaded()) load();
    {
        const QSignalBlocker block(tbsMain);
        tbsMain->setCurrentIndex(index);
    }
    tbsMain_Click();
}

void frmSettings::tbsMain_Click() {
    hideAllFrames();
    const QString tag = tbsMain->tabData(tbsMain->currentIndex()).toString();
    QVector<QGroupBox*> show;
    if (tag == u"general") show = {fraGeneral, fraFont};
    else if (tag == u"filters/startup") show = {fraDialog1, fraFilters};
    else if (tag == u"colorcoding") show = {fraColor};
    else if (tag == u"tags") show = {fraTagHelp, fraTagCompletion, fraTags};
    else if (tag == u"templates") show = {fraTemplates};
    else if (tag == u"apps") show = {fraApps};
    else if (tag == u"designer") show = {fraDesigner};
    for (QGroupBox* f : show) f->show();
}

void frmSettings::cmdApply_Click() { applySettings(); }

void frmSettings::cmdOk_Click() {
    if (applySettings()) unload();
}

void frmSettings::cmdCancel_Click() { unload(); }

void frmSettings::keyPressEvent(QKeyEvent* event) {
    answerDialogKeys(event, [this] { cmdOk_Click(); }, [this] { cmdCancel_Click(); });
}

void frmSettings::cboFontFace_Click() {
    const QString face = cboFontFace->currentText();
    // Qt substitutes a face it does not know without saying so; only an installed face is valid.
    if (!QFontDatabase::families().contains(face)) {
        msgBox(QStringLiteral("Not a valid font."), vbExclamation, appTitle);
        cboFontFace->setEditText(fontName);
        return;
    }
    QFont sample = lblFontSample->font();
    sample.setFamily(face);
    lblFontSample->setFont(sample);
}

void frmSettings::cboFontSize_Change() {
    QFont sample = lblFontSample->font();
    sample.setPointSize(qBound(8, leadingNumber(cboFontSize->currentText()), 72));
    lblFontSample->setFont(sample);
}

// The boxes clamp when the user has finished with them, not at every key: clamping while typing
// would turn the first digit of "12" into "8", and an emptied indent box into "1".
void frmSettings::cboFontSize_Validate() {
    const int n = leadingNumber(cboFontSize->currentText());
    if (n < 8) cboFontSize->setEditText(QStringLiteral("8"));
    else if (n > 72) cboFontSize->setEditText(QStringLiteral("72"));
    cboFontSize_Change();
}

void frmSettings::txtIndent_Change() {
    const int n = leadingNumber(txtIndent->text());
    if (n > 10) txtIndent->setText(QStringLiteral("10"));
    else if (n < 1) txtIndent->setText(QStringLiteral("1"));
}

void frmSettings::chkTagTip_Click() { sldTagTip->setEnabled(chkTagTip->isChecked()); }

void frmSettings::chkUseIe_Click() {
    if (loading_ || !isVisible() || Form::documentCount() == 0) return;
    if (chkUseIe->isChecked() != enableBrowserAndDesigner) {
        const QSignalBlocker block(chkUseIe);
        chkUseIe->setChecked(enableBrowserAndDesigner);
    }
    msgBox(browserSwitchRefused(), vbOKOnly, appTitle);
}

void frmSettings::cmdBrowse_Click() {
    txtStartupOther->setText(pickFolder(QStringLiteral("Select a startup folder"), txtStartupOther->text(), this));
}

void frmSettings::cmdColor_Click(int index) {
    frmColor::pick(colorOf(index));
    if (!frmColor::hexColor.isEmpty()) setColorButton(index, frmColor::winColor.toInt());
}

bool frmSettings::applySettings() {
    const bool useIe = chkUseIe->isChecked();
    // 1. Switching the views needs every document closed.
    if (useIe != enableBrowserAndDesigner && Form::documentCount() > 0) {
        msgBox(browserSwitchRefused(), vbOKOnly, appTitle);
        return false;
    }
    // 2.
    if (useIe && !enableBrowserAndDesigner) {
        enableBrowserAndDesigner =
            msgBox(browserEnableQuestion(), vbOKCancel + vbQuestion + vbDefaultButton2, appTitle) == vbOK;
    } else {
        enableBrowserAndDesigner = useIe;
    }
    // 3.
    if (mainWindow) {
        mainWindow->enableViewItems();
        if (enableBrowserAndDesigner) mainWindow->prepareForWebViews();
    }
    // 4.
    indentText = QString(qBound(1, leadingNumber(txtIndent->text()), 10), u' ');
    autoIndent = chkAutoindent->isChecked();
    addEndingP = chkEndingP->isChecked();
    uppercaseTags = chkUppercaseTags->isChecked();
    tagCompletion = chkTagCompletion->isChecked();
    wordWrap = chkWordwrap->isChecked();
    const QVector<DocumentWindow*> docs = documentWindows();
    // 5.
    for (DocumentWindow* doc : docs)
        if (doc->txtMain) doc->txtMain->setRightMargin(wordWrap ? 0 : 9999999);
    // 6.
    designerShowDetails = chkShowDetails->isChecked();
    designerShowBorders = chkShowBorders->isChecked();
    designerDivOnReturn = chkUseDiv->isChecked();
    if (enableBrowserAndDesigner)
        for (DocumentWindow* doc : docs)
            if (doc->dhtm) {
                doc->dhtm->ShowBorders = designerShowBorders;
                doc->dhtm->ShowDetails = designerShowDetails;
                doc->dhtm->UseDivOnCarriageReturn = designerDivOnReturn;
            }
    applyTemplates();
    // 8.
    if (optStartupLast->isChecked()) {
        rememberLastFolder = true;
    } else if (optStartupOther->isChecked()) {
        QString folder = txtStartupOther->text();
        if (folderExists(folder)) {
            rememberLastFolder = false;
            startupFolder = folder;
        } else {
            msgBox(QStringLiteral("The folder '") + txtStartupOther->text() + QStringLiteral("' does not exist."),
                   vbOKOnly, appTitle);
        }
    } else if (optStartupDesktop->isChecked()) {
        startupFolder = QStringLiteral("my computer");
        rememberLastFolder = false;
    }
    // 9.
    applyFilters();
    // 10.
    const int size = qBound(8, leadingNumber(cboFontSize->currentText()), 72);
    const QString face = cboFontFace->currentText();
    if (size != fontSize || face != fontName) {
        fontName = face;
        saveSetting(kApp, QStringLiteral("Options"), QStringLiteral("Font Name"), fontName);
        fontSize = size;
        saveSetting(kApp, QStringLiteral("Options"), QStringLiteral("Font Size"), QString::number(fontSize));
        ignoreChange = true;
        for (DocumentWindow* doc : docs) {
            if (!doc->txtMain) continue;
            QFont font = doc->txtMain->font();
            font.setFamily(fontName);
            font.setPointSize(fontSize);
            // The whole editor takes the font; the user's selection and caret stay where they were.
            doc->txtMain->setFont(font);
        }
        ignoreChange = false;
    }
    // 11.
    colorOnOpen = chkColorOnOpen->isChecked();
    formColor = colors_[0];
    imageColor = colors_[1];
    fontColor = colors_[2];
    anchorColor = colors_[3];
    tableColor = colors_[4];
    commentColor = colors_[5];
    unrecognizedColor = colors_[6];
    tagColor = colors_[7];
    // 12.
    tagTipDelay = chkTagTip->isChecked() ? sldTagTip->value() * 200 : -1;
    // 13.
    showTaskBar = chkTaskBar->isChecked();
    // An empty task bar stays hidden: it appears with the first document.
    if (mainWindow && mainWindow->tbsPop) mainWindow->showTaskBarStrip(mainWindow->tbsPop->count() > 0);
    applyHelperApps();
    return true;
}

// ---- Templates and helper applications --------------------------------------------------------

namespace {
const char* const kAppKeys[4] = {"Ftp", "Image", "Imagemap", "HTMLValidator"};
QString templatePath(int n) { return userDataPath + QStringLiteral("Custom%1.htm").arg(n); }
}  // namespace

void frmSettings::loadTemplatesAndApps(bool templates) {
    if (templates) {
        for (int n = 1; n <= 6; ++n)
            txtTemplate[n - 1]->setText(getSetting(kApp, QStringLiteral("TemplateTitles"), QStringLiteral("Custom%1").arg(n),
                                                   QStringLiteral("Template%1").arg(n))
                                            .trimmed());
        return;
    }
    for (int i = 0; i < 4; ++i)
        txtHelperApp[i]->setText(getSetting(kApp, QStringLiteral("HelperApps"), QLatin1String(kAppKeys[i]), QString()));
    for (int n = 1; n <= 4; ++n) {
        // A browser whose program is missing for now keeps its stored path: emptying the box
        // would make the next Apply, made for any other setting, forget the browser for good.
        txtHelperApp[n + 3]->setText(getSetting(kApp, QStringLiteral("HelperApps"), QStringLiteral("Browser%1").arg(n), QString()));
        txtBrowser[n - 1]->setText(getSetting(kApp, QStringLiteral("HelperApps"), QStringLiteral("BrowserName%1").arg(n),
                                              QStringLiteral("Web Browser %1").arg(n)));
    }
}

void frmSettings::applyTemplates() {
    for (int i = 0; i < 6; ++i) {
        const int n = i + 1;
        QString title = txtTemplate[i]->text().trimmed();
        if (title.isEmpty()) title = QStringLiteral("Template%1").arg(n);
        if (mainWindow && i < mainWindow->mnuFileNewTemplate.size() && mainWindow->mnuFileNewTemplate[i])
            mainWindow->mnuFileNewTemplate[i]->setText(title);
        saveSetting(kApp, QStringLiteral("TemplateTitles"), QStringLiteral("Custom%1").arg(n), title);
    }
}

void frmSettings::applyHelperApps() {
    for (int i = 0; i < 4; ++i)
        saveSetting(kApp, QStringLiteral("HelperApps"), QLatin1String(kAppKeys[i]), txtHelperApp[i]->text());
    for (int n = 1; n <= 4; ++n) {
        saveSetting(kApp, QStringLiteral("HelperApps"), QStringLiteral("Browser%1").arg(n), txtHelperApp[n + 3]->text().trimmed());
        QString name = txtBrowser[n - 1]->text().trimmed();
        if (name.isEmpty()) name = QStringLiteral("Web Browser %1").arg(n);
        if (mainWindow && n - 1 < mainWindow->mnuToolsHelperAppsBrowser.size() && mainWindow->mnuToolsHelperAppsBrowser[n - 1])
            mainWindow->mnuToolsHelperAppsBrowser[n - 1]->setText(name);
        saveSetting(kApp, QStringLiteral("HelperApps"), QStringLiteral("BrowserName%1").arg(n), name);
    }
}

void frmSettings::cmdTemplate_Click(int index) {
    const QString path = templatePath(index + 1);
    setBusy(true);
    // A template is source to edit, so it goes to a text editor, never to the page's browser.
    const bool exists = fileExists(path);
    QString why;
    const bool started = openTemplate ? openTemplate(path) : (exists && openInTextEditor(path, &why));
    setBusy(false);
    if (started) return;
    if (exists && !why.isEmpty())
        msgBox(QStringLiteral("Unable to open ") + path + QStringLiteral(".\n\n") + why, vbExclamation, appTitle);
    else msgBox(QStringLiteral("Unable to open ") + path + u'.', vbExclamation, QStringLiteral("File Not Found"));
}

void frmSettings::cmdHelperApp_Click(int index) {
    CommonDialog dialog;
    dialog.owner = this;
    dialog.dialogTitle = QStringLiteral("Select Application");
    dialog.filter = QStringLiteral("Executable Files (*.exe)|*.exe|All Files (*.*)|*.*");
    // Programs here carry no ".exe"; the list starts on all files.
    dialog.filterIndex = 2;
    dialog.flags = 0x201004;
    if (!dialog.showOpen()) return;
    txtHelperApp[index]->setText(dialog.fileName);
}

// ---- Filter list editor -----------------------------------------------------------------------

void frmSettings::selectFilter(int row) {
    lstFilters->setCurrentRow(row);
    lstFilters_Click();
}

void frmSettings::lstFilters_Click() {
    const int row = lstFilters->currentRow();
    const bool selected = row >= 0 && lstFilters->currentItem() && lstFilters->currentItem()->isSelected();
    const int last = lstFilters->count() - 1;
    if (selected) cmdDown->setVisible(row != last);
    cmdUp->setVisible(selected && row != 0);
    cmdDelete->setEnabled(selected);
    if (selected) {
        const QString line = lstFilters->item(row)->text();
        const int bar = line.indexOf(u'|');
        txtFilterName->setText(bar < 0 ? line : line.left(bar));
        txtFilter->setText(bar < 0 ? QString() : line.mid(bar + 1));
    }
}

void frmSettings::txtFilter_Change() {
    bool enable = !txtFilterName->text().isEmpty() && !txtFilter->text().isEmpty() &&
                  lstFilters->count() < kMaxFilters;
    if (enable) {
        const QString line = txtFilterName->text().trimmed() + u'|' + txtFilter->text().trimmed();
        for (int i = 0; i < lstFilters->count(); ++i)
            if (lstFilters->item(i)->text().trimmed() == line) enable = false;
    }
    cmdNew->setEnabled(enable);
}

void frmSettings::cmdNew_Click() {
    if (!txtFilter->text().startsWith(QLatin1String("*."))) {
        msgBox(QStringLiteral("A filter must be of the form 'Filter Name|Filter'.") + "\n\n" +
                   QStringLiteral("For example 'HTML files|*.html;*.htm'"),
               vbExclamation, appTitle);
        return;
    }
    const QString name = txtFilterName->text().trimmed();
    const QString line = name + u'|' + txtFilter->text().trimmed();
    for (int i = 0; i < lstFilters->count(); ++i) {
        const QString old = lstFilters->item(i)->text();
        if (old.section(u'|', 0, 0).compare(name, Qt::CaseInsensitive) == 0) {
            const int answer = msgBox(QStringLiteral("Do you wish to replace this filter") + '\n' + old + "\n\n" +
                                          QStringLiteral("with this one") + '\n' + line + '?',
                                      vbYesNo + vbExclamation, QStringLiteral("Confirm Filter Replace"));
            if (answer == vbYes) lstFilters->item(i)->setText(line);
            txtFilter_Change();
            return;
        }
    }
    lstFilters->addItem(line);
    if (lstFilters->count() >= kMaxFilters) cmdNew->setEnabled(false);
    else txtFilter_Change();
}

void frmSettings::cmdDelete_Click() {
    if (lstFilters->count() == 1) {
        msgBox(QStringLiteral("Can't remove all filters."), vbExclamation, appTitle);
        return;
    }
    const int row = lstFilters->currentRow();
    if (row >= 0 && lstFilters->currentItem()->isSelected()) {
        delete lstFilters->takeItem(row);
        selectFilter(0);
    }
    cmdNew->setEnabled(true);
}

void frmSettings::cmdDefault_Click() {
    if (msgBox(QStringLiteral("Are you sure that you want to reset the filters to their default setting?"),
               vbYesNo + vbExclamation, QStringLiteral("Confirm Filter Reset")) == vbNo)
        return;
    {
        const QSignalBlocker block(lstFilters);
        lstFilters->clear();
        lstFilters->addItems(kDefaultFilters);
    }
    cmdNew->setEnabled(true);
}

void frmSettings::cmdUp_Click() {
    const int row = lstFilters->currentRow();
    if (row <= 0) return;
    const QString line = lstFilters->item(row)->text();
    lstFilters->item(row)->setText(lstFilters->item(row - 1)->text());
    lstFilters->item(row - 1)->setText(line);
    selectFilter(row - 1);
}

void frmSettings::cmdDown_Click() {
    const int row = lstFilters->currentRow();
    if (row < 0 || row >= lstFilters->count() - 1) return;
    const QString line = lstFilters->item(row)->text();
    lstFilters->item(row)->setText(lstFilters->item(row + 1)->text());
    lstFilters->item(row + 1)->setText(line);
    selectFilter(row + 1);
}

void frmSettings::applyFilters() {
    const int n = lstFilters->count();
    if (n == 0) {
        msgBox(QStringLiteral("Cannot delete all filters."), vbExclamation, QStringLiteral("Error"));
        return;
    }
    numFilters = n;
    fileDialogFilter.clear();
    fileFilters.clear();
    if (currentFilter > n) currentFilter = 1;
    for (int i = 0; i < n; ++i) {
        const QString line = lstFilters->item(i)->text();
        const int bar = line.indexOf(u'|');
        fileFilters.push_back({bar < 0 ? line : line.left(bar), bar < 0 ? QString() : line.mid(bar + 1)});
        fileDialogFilter += line + u'|';
    }
    fileDialogFilter.chop(1);
    if (mainWindow) mainWindow->showFileListFilters();
}

}  // namespace kavrin
