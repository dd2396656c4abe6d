#include "tools/frmOpenFromWeb.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPointer>

#include "documents/colouring/colorcoding.h"
#include "documents/docfile.h"
#include "documents/docstate.h"
#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "platform/system/convert.h"
#include "platform/files/internettransfer.h"
#include "platform/forms/msgbox.h"
#include "platform/system/screen.h"
#include "platform/files/settingsstore.h"
#include "tagdialogs/tagdialog.h"
#include "tools/webpage.h"

namespace kavrin {

namespace {

const QString kApp = QStringLiteral("Kavrin Pro");
const QString kSection = QStringLiteral("OpenFromWeb");

}  // namespace

frmOpenFromWeb::frmOpenFromWeb(QWidget* parent) : Form(parent) {
    setObjectName(QStringLiteral("frmOpenFromWeb"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setCaption(QStringLiteral("Open From The Web"));

    cboUrl = new QComboBox(this);
    cboUrl->setEditable(true);
    cboUrl->setInsertPolicy(QComboBox::NoInsert);
    cboUrl->setMinimumWidth(twipsToPixels(5400));
    lblTimeout = new QLabel(QStringLiteral("Timeout after"), this);
    txtTimeout = new QLineEdit(QStringLiteral("30"), this);
    txtTimeout->setFixedWidth(twipsToPixels(600));
    updTimeout = new UpDown(this);
    lblSeconds = new QLabel(QStringLiteral("seconds"), this);
    tmrTimeout = new QTimer(this);
    tmrTimeout->setSingleShot(true);
    Inet = new InternetTransfer(this);
    cmdOk = new QPushButton(QStringLiteral("OK"), this);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdOk->setDefault(true);
    cmdCancel->setAutoDefault(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(cboUrl, 0, 0, 1, 2);
    auto* timeout = new QHBoxLayout();
    timeout->addWidget(lblTimeout);
    timeout->addWidget(txtTimeout);
    timeout->addWidget(updTimeout);
    timeout->addWidget(lblSeconds);
    timeout->addStretch(1);
    grid->addLayout(timeout, 1, 0);
    auto* buttons = new QHBoxLayout();
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdCancel);
    grid->addLayout(buttons, 1, 1);

    connect(txtTimeout, &QLineEdit::textChanged, this, [this] { txtTimeout_Change(); });
    connect(updTimeout, &UpDown::UpClick, this, [this] { updTimeout_Change(true); });
    connect(updTimeout, &UpDown::DownClick, this, [this] { updTimeout_Change(false); });
    connect(tmrTimeout, &QTimer::timeout, this, [this] { tmrTimeout_Timer(); });
    connect(cmdOk, &QPushButton::clicked, this, [this] { cmdOk_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

void frmOpenFromWeb::Form_Load() {
    const int count = qMax(0, cint(getSetting(kApp, kSection, QStringLiteral("Num"), QStringLiteral("0"))).value_or(0));
    addressHistory.clear();
    for (int i = 1; i <= count; ++i)
        addressHistory << getSetting(kApp, kSection, QStringLiteral("URL_") + QString::number(i));
    cboUrl->addItems(addressHistory);
    cboUrl->setEditText(QString());
    cboUrl->setFocus();
}

void frmOpenFromWeb::txtTimeout_Change() {
    const QString kept = clampTimeoutText(txtTimeout->text());
    if (kept != txtTimeout->text()) txtTimeout->setText(kept);
}

void frmOpenFromWeb::updTimeout_Change(bool up) {
    const int now = int(roundHalfEven(val(txtTimeout->text())));
    txtTimeout->setText(QString::number(qBound(5, now + (up ? 5 : -5), 240)));
}

void frmOpenFromWeb::cmdOk_Click() {
    if (fetching_) return;
    const QString address = cboUrl->currentText();
    if (address.isEmpty()) {
        unload();
        return;
    }
    QPointer<frmOpenFromWeb> self(this);
    pageText.clear();
    timedOut = false;
    cancelled_ = false;
    fetching_ = true;
    setBusy(true);
    tmrTimeout->start(int(roundHalfEven(val(txtTimeout->text()) * 1000)));
    const InternetTransfer::Result result = Inet->openUrl(address);
    if (!self) return;
    fetching_ = false;
    hide();
    tmrTimeout->stop();
    setBusy(false);

    if (timedOut) {
        msgBox(QStringLiteral("The remote document was not found.\r\n\r\nNo answer came from '%1' within %2 "
                              "seconds; the transfer was stopped.")
                   .arg(address)
                   .arg(tmrTimeout->interval() / 1000),
               vbExclamation);
    } else if (cancelled_ || result.cancelled) {
        // The user stopped it: nothing to tell.
    } else if (!result.ok) {
        msgBox(QStringLiteral("The page '%1' could not be opened.\r\n\r\n%2").arg(address, result.error),
               vbExclamation);
    } else {
        const WebPageText page = decodeWebPage(result.body, result.contentType);
        if (!page.ok) {
            msgBox(QStringLiteral("The page '%1' could not be opened.\r\n\r\nIt is not text.").arg(address),
                   vbExclamation);
        } else if (page.text.isEmpty()) {
            msgBox(QStringLiteral("The page '%1' holds no text.").arg(address), vbExclamation);
        } else {
            pageText = page.text;
            openAsDocument(pageText, int(page.format.encoding));
            saveUrlHistory();
        }
    }
    if (self) unload();
}

void frmOpenFromWeb::openAsDocument(const QString& text, int encoding) {
    const QVector<DocumentWindow*> before = documentWindows();
    newDocument();
    DocumentWindow* doc = activeDocument();
    // The document limit may have refused a new window: no other document takes the text.
    if (!doc || before.contains(doc)) return;
    doEvents();
    ignoreChange = true;
    RichTextBox* editor = doc->txtMain;
    editor->setRedraw(false);
    editor->select(0, editor->textLength());
    editor->setSelColor(0);
    editor->setSelLength(0);
    TextFormat format;
    format.encoding = TextFormat::Encoding(encoding);
    editor->setTextFormat(format);
    editor->setText(text);
    editor->select(0, 0);
    editor->setRedraw(true);
    if (colorOnOpen) colorCodeDocument(doc);
    doc->fileSaved = false;
    setFileSaved(doc, false);
    ignoreChange = false;
    if (Form::documentCount() == 1) {
        enableEditButtons(true);
        enableSaveAllButton(false);
    }
}

void frmOpenFromWeb::saveUrlHistory() {
    const QString address = cboUrl->currentText();
    if (address.isEmpty() || timedOut) return;
    addressHistory = addressHistoryAfter(addressHistory, address, kMaxHistory);
    QVector<QPair<QString, QString>> values;
    values.reserve(addressHistory.size() + 1);
    values.append({QStringLiteral("Num"), QString::number(addressHistory.size())});
    for (int i = 0; i < addressHistory.size(); ++i)
        values.append({QStringLiteral("URL_") + QString::number(i + 1), addressHistory[i]});
    saveSettings(kApp, kSection, values);
}

void frmOpenFromWeb::tmrTimeout_Timer() {
    tmrTimeout->stop();
    setBusy(false);
    timedOut = true;
    if (pageText.isEmpty()) Inet->cancel();
}

void frmOpenFromWeb::cmdCancel_Click() {
    setBusy(false);
    if (fetching_) {
        // The transfer stops; the fetch then closes the window.
        cancelled_ = true;
        Inet->cancel();
        return;
    }
    unload();
}

void frmOpenFromWeb::Form_QueryUnload(int& cancel, int unloadMode) {
    // Closing the window while the page comes in is Cancel.
    if (fetching_ && unloadMode == vbFormControlMenu) {
        cancel = 1;
        cmdCancel_Click();
    }
}

void frmOpenFromWeb::keyPressEvent(QKeyEvent* event) {
    answerDialogKeys(
        event,
        [this] {
            if (!pressFocusedButton()) cmdOk_Click();
        },
        [this] { cmdCancel_Click(); });
}

}  // namespace kavrin
