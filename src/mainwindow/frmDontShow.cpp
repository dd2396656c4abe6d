#include "mainwindow/frmDontShow.h"

#include <QKeyEvent>
#include <QPointer>
#include <QStyle>

#include "documents/globals.h"
#include "mainwindow/mdiMain.h"
#include "platform/system/screen.h"

namespace kavrin {

namespace {

const QString kApp = QStringLiteral("Kavrin Pro");
const QString kSection = QStringLiteral("DontShowAgain");

QRect twipRect(int left, int top, int width, int height) {
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

QLabel* iconLabel(QWidget* parent, QStyle::StandardPixmap which) {
    auto* label = new QLabel(parent);
    label->setPixmap(parent->style()->standardIcon(which).pixmap(32, 32));
    label->setGeometry(twipRect(240, 200, 480, 480));
    return label;
}

}  // namespace

frmDontShow::frmDontShow(QWidget* parent) : Form(parent) {
    setObjectName(QStringLiteral("frmDontShow"));
    // A window of its own even when it belongs to the main window.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(twipsToPixels(4770), twipsToPixels(2040));

    lblMsg = new QLabel(QStringLiteral("Label1"), this);
    // Reaches down to the button row: this system's fonts run taller than the box was drawn for.
    lblMsg->setGeometry(twipRect(960, 200, 3555, 1380));
    lblMsg->setWordWrap(true);
    lblMsg->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblMsg->setTextFormat(Qt::PlainText);

    imgInformation = iconLabel(this, QStyle::SP_MessageBoxInformation);
    imgCritical = iconLabel(this, QStyle::SP_MessageBoxCritical);
    imgCritical->move(twipsToPixels(240), twipsToPixels(760));

    chkDontShow = new QCheckBox(QStringLiteral("Don't show this message again"), this);
    chkDontShow->setGeometry(twipRect(240, 1680, 2595, 195));
    chkDontShow->adjustSize();

    cmdOk = new QPushButton(QStringLiteral("OK"), this);
    cmdOk->setGeometry(twipRect(3390, 1620, 1150, 345));
    cmdOk->setDefault(true);
    connect(cmdOk, &QPushButton::clicked, this, [this] { cmdOk_Click(); });
}

void frmDontShow::Form_Load() {
    imgCritical->move(twipsToPixels(240), twipsToPixels(200));
    chkDontShow->setChecked(false);
}

void frmDontShow::init(const QString& message, const QString& title, const QString& icon) {
    setCaption(title);
    load();
    QString shown = message;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lblMsg->setText(shown);
    if (icon == QLatin1String("critical")) imgCritical->raise();
    else imgInformation->raise();
    cmdOk->setFocus();

    QPointer<frmDontShow> self(this);
    showModal();
    // However the window left the screen, the notice ends here and keeps the user's choice.
    if (self && self->isLoaded()) self->unload();
}

void frmDontShow::cmdOk_Click() { unload(); }

void frmDontShow::Form_Unload(int& cancel) {
    (void)cancel;
    if (!chkDontShow->isChecked()) return;
    const QString key = dontShowKeyFor(caption());
    if (!key.isEmpty() && dontShowSettingWriter)
        dontShowSettingWriter(kApp, kSection, key, QStringLiteral("True"));
}

void frmDontShow::keyPressEvent(QKeyEvent* event) {
    // "OK" is both the default and the cancel button.
    answerDialogKeys(event, [this] { cmdOk_Click(); }, [this] { cmdOk_Click(); });
}

QString dontShowKeyFor(const QString& title) {
    static const QList<QPair<QString, QString>> keys{
        {QStringLiteral("Relative Path"), QStringLiteral("RelativePath")},
        {QStringLiteral("Can't browse unsaved files"), QStringLiteral("BrowseUnsavedFiles")},
        {QStringLiteral("Project Autosave"), QStringLiteral("ProjectAutoSave")},
        {QStringLiteral("HTML Data File Not Found"), QStringLiteral("htmlData")},
        {QStringLiteral("JavaScript Data File Not Found"), QStringLiteral("scriptData")},
        {QStringLiteral("Tips Data File Not Found"), QStringLiteral("tipsData")},
    };
    for (const auto& [shown, key] : keys)
        if (shown == title) return key;
    return {};
}

bool noticeWanted(const QString& key) {
    return getSetting(kApp, kSection, key, QStringLiteral("False")) == QLatin1String("False");
}

void showNotice(const QString& message, const QString& title, const QString& icon) {
    auto* notice = new frmDontShow(mainWindow);
    notice->init(message, title, icon);
}

}  // namespace kavrin
