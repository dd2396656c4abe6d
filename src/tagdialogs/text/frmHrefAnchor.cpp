#include "tagdialogs/text/frmHrefAnchor.h"

#include <QEvent>

#include "documents/colouring/colorops.h"
#include "documents/colouring/colorrtf.h"
#include "documents/documentwindow.h"
#include "documents/fileops.h"
#include "documents/globals.h"
#include "documents/inserthtml.h"
#include "mainwindow/mainsettings.h"
#include "mainwindow/mdiMain.h"
#include "platform/system/screen.h"
#include "platform/files/settingsstore.h"
#include "tagdialogs/text/frmImage.h"

namespace kavrin {

namespace {
const QString kSection = QStringLiteral("URLs");
QString urlKey(int n) { return QStringLiteral("URL_") + QString::number(n); }
}  // namespace

void UrlHistory::load() {
    entries.clear();
    for (int n = 1; n <= kMax; ++n) {
        const QString value = getSetting(settingsApp, kSection, urlKey(n)).trimmed();
        if (!value.isEmpty()) entries << value;
    }
}

void UrlHistory::save() const {
    if (entries.isEmpty()) return;
    for (int n = 1; n <= entries.size(); ++n) saveSetting(settingsApp, kSection, urlKey(n), entries[n - 1]);
    for (int n = int(entries.size()) + 1; n <= kMax; ++n) deleteSetting(settingsApp, kSection, urlKey(n));
}

void UrlHistory::use(const QString& address) {
    // An empty address would push a real one out of a full history and be dropped at the next load.
    if (address.isEmpty()) return;
    const qsizetype at = entries.indexOf(address);
    if (at >= 0) entries.removeAt(at);
    entries.prepend(address);
    while (entries.size() > kMax) entries.removeLast();
}

frmHrefAnchor::frmHrefAnchor(QWidget* parent)
    : TagDialog(QStringLiteral("a"), QStringLiteral("Hypertext Anchor"), parent) {
    setObjectName(QStringLiteral("frmHrefAnchor"));
    cboHref = new QComboBox(this);
    cboHref->setEditable(true);
    cboHref->setInsertPolicy(QComboBox::NoInsert);
    cboHref->setMinimumWidth(twipsToPixels(4000));
    cmdBrowse = new QToolButton(this);
    cmdBrowse->setText(QStringLiteral("..."));
    cmdBrowse->setToolTip(QStringLiteral("Browse"));
    txtName = new QLineEdit(this);
    cboTarget = choiceBox({"_top", "_blank", "_parent", "_self"}, this);
    txtTabindex = new QLineEdit(this);
    txtAccesskey = new QLineEdit(this);
    lblAnchor = new QLabel(QStringLiteral("Anchored text"), this);
    txtAnchor = new QPlainTextEdit(this);
    txtAnchor->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtAnchor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtAnchor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtAnchor->setTabChangesFocus(true);
    txtAnchor->setFixedHeight(twipsToPixels(1500));
    txtAnchor->installEventFilter(this);

    addRow(QStringLiteral("HREF"), cboHref, cmdBrowse);
    addRow(QStringLiteral("Name"), txtName);
    auto* targetRow = new QWidget(this);
    auto* targetLayout = new QHBoxLayout(targetRow);
    targetLayout->setContentsMargins(0, 0, 0, 0);
    for (auto [caption, field] : {std::pair<const char*, QWidget*>{"Target", cboTarget},
                                  {"Tab Index", txtTabindex},
                                  {"Access Key", txtAccesskey}}) {
        targetLayout->addWidget(new QLabel(QString::fromLatin1(caption), targetRow));
        field->setParent(targetRow);
        targetLayout->addWidget(field);
    }
    addRow(targetRow);
    addRow(lblAnchor);
    addRow(txtAnchor);
    finishLayout();
    setTabChain({cboHref, cmdBrowse, txtName, cboTarget, txtTabindex, txtAccesskey, txtAnchor, cmdOk, cmdCancel});

    // The order the attributes are written in.
    bindText(QStringLiteral("href"), cboHref);
    bindText(QStringLiteral("name"), txtName);
    bindText(QStringLiteral("target"), cboTarget);
    bindText(QStringLiteral("tabindex"), txtTabindex);
    bindText(QStringLiteral("accesskey"), txtAccesskey);
    connect(cmdBrowse, &QToolButton::clicked, this, [this] { cmdBrowse_Click(); });
}

void frmHrefAnchor::prepareLoad() {
    urlHistory.load();
    cboHref->clear();
    cboHref->addItems(urlHistory.entries);
    cboHref->setEditText(QString());
    txtAnchor->clear();
    lblAnchor->show();
    txtAnchor->show();
    if (dialogKind == QLatin1String("Insert href")) {
        const QString full = fileListSelectedPath ? fileListSelectedPath() : QString();
        if (!full.isEmpty()) cboHref->setEditText(relativePathTo(QString(full).replace(QLatin1Char('\\'), QLatin1Char('/'))));
    }
}

void frmHrefAnchor::afterLoad() {
    DocumentWindow* doc = activeDocument();
    if (editingTag || (doc && doc->mode == 2)) hideAnchoredText();
    else if (doc) txtAnchor->setPlainText(doc->txtMain->selText());
    cboHref->setFocus();
}

void frmHrefAnchor::hideAnchoredText() {
    lblAnchor->hide();
    txtAnchor->hide();
    txtAnchor->clear();
    adjustSize();
    setFixedSize(sizeHint());
}

void frmHrefAnchor::cmdOk_Click() {
    const QString address = cboHref->currentText().trimmed();
    cboHref->setEditText(address);
    urlHistory.use(address);
    TagDialog::cmdOk_Click();
}

void frmHrefAnchor::insertStartTag(const QString& startTag) {
    if (editingTag) {
        insertHtml(startTag, QString(), QString(), 3);
        return;
    }
    DocumentWindow* doc = activeDocument();
    const QString selected = doc ? doc->txtMain->selText() : QString();
    // The box gives its lines back with bare line feeds; the editor's selection has CR LF, so
    // an unchanged selection over several lines is compared in the editor's form.
    const QString anchored = withCrLfBreaks(txtAnchor->toPlainText());
    // The typed text goes in as text, not as part of the tag, so tag case settings leave it alone.
    if (selected == anchored) insertHtml(startTag, QStringLiteral("</a>"), QString(), 1);
    else insertHtml(startTag, QStringLiteral("</a>"), anchored, 2);
}

void frmHrefAnchor::cmdBrowse_Click() {
    browseFile(cboHref->lineEdit(), QStringLiteral("Select Hyper text Source"),
               QStringLiteral("HTML Files (*.html;*.htm;*.shtml;*.shtm;*.asp)|*.html;*.htm;*.shtml;*.shtm;*.asp|"
                              "All Files (*.*)|*.*"));
}

void frmHrefAnchor::Form_Unload(int& cancel) {
    (void)cancel;
    urlHistory.save();
    dialogKind.clear();
}

bool frmHrefAnchor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtAnchor && event->type() == QEvent::FocusIn) selectAllText(txtAnchor);
    return TagDialog::eventFilter(watched, event);
}

}  // namespace kavrin
