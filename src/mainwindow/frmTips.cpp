#include "mainwindow/frmTips.h"

#include <QFrame>
#include <QKeyEvent>
#include <QStyle>
#include <cmath>

#include "documents/fileops.h"
#include "documents/globals.h"
#include "mainwindow/mainsettings.h"
#include "platform/system/convert.h"
#include "platform/forms/msgbox.h"
#include "platform/system/screen.h"
#include "platform/files/textfile.h"

namespace kavrin {

namespace {
const QString kHelp = QStringLiteral("Help");
}  // namespace

QStringList parseTips(const QString& text) {
    QStringList tips;
    for (const QStringView line : QStringView(text).split(QStringLiteral("\r\n"))) {
        const QString tip = line.trimmed().toString();
        if (!tip.isEmpty()) tips << tip;
    }
    return tips;
}

int firstTipNumber(double stored, int count) {
    if (count <= 0) return 0;
    if (!std::isfinite(stored)) return 1;
    const double n = std::floor(stored);
    if (n == count + 1) return 1;
    if (n > count) return count;
    if (n < 1) return 1;
    return int(n);
}

int nextTipNumber(int current, int count) {
    if (count <= 0) return 0;
    return current >= count || current < 1 ? 1 : current + 1;
}

frmTips::frmTips(QWidget* parent) : Form(parent) {
    setObjectName(QStringLiteral("frmTips"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setCaption(QStringLiteral("Kavrin Pro Tips"));
    setFixedSize(twipsToPixels(6420), twipsToPixels(3600));

    // The tip sits on a white sheet with a grey strip and a picture at its left.
    auto* sheet = new QFrame(this);
    sheet->setGeometry(12, 12, 300, 180);
    sheet->setFrameShape(QFrame::Panel);
    sheet->setFrameShadow(QFrame::Sunken);
    sheet->setAutoFillBackground(true);
    QPalette white = sheet->palette();
    white.setColor(QPalette::Window, Qt::white);
    sheet->setPalette(white);

    auto* strip = new QFrame(sheet);
    strip->setGeometry(2, 2, 56, 176);
    strip->setAutoFillBackground(true);
    QPalette grey = strip->palette();
    grey.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    strip->setPalette(grey);
    auto* picture = new QLabel(strip);
    picture->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    picture->setGeometry(12, 12, 32, 32);

    auto* heading = new QLabel(QStringLiteral("Kavrin Tip"), sheet);
    QFont big = heading->font();
    big.setPointSize(big.pointSize() + 4);
    big.setBold(true);
    heading->setFont(big);
    heading->setGeometry(70, 10, 220, 30);

    auto* line = new QFrame(sheet);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(66, 42, 228, 4);

    lblTip = new QLabel(sheet);
    lblTip->setObjectName(QStringLiteral("lblTip"));
    lblTip->setGeometry(70, 52, 222, 120);
    lblTip->setWordWrap(true);
    lblTip->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblTip->setTextFormat(Qt::PlainText);

    chkShowTips = new QCheckBox(QStringLiteral("Show Tips at Startup"), this);
    chkShowTips->setGeometry(12, 204, 200, 22);

    cmdOk = new QPushButton(QStringLiteral("OK"), this);
    cmdOk->setGeometry(324, 12, 90, 26);
    cmdNext = new QPushButton(QStringLiteral("&Next Tip"), this);
    cmdNext->setGeometry(324, 46, 90, 26);
    cmdNext->setDefault(true);
    connect(cmdNext, &QPushButton::clicked, this, [this] { cmdNext_Click(); });
    connect(cmdOk, &QPushButton::clicked, this, [this] { cmdOk_Click(); });
}

void frmTips::Form_Load() {
    chkShowTips->setChecked(getSetting(settingsApp, kHelp, QStringLiteral("TipsOnStartup")) == QLatin1String("True"));

    const QString file = installPath + QStringLiteral("tips.dat");
    if (!fileExists(file)) {
        fileMissing_ = true;
        msgBox("The data file '" + file + "' was not found.", vbExclamation, QStringLiteral("File Not Found"));
        unload();
        return;
    }
    // An unreadable file gives no tips rather than an error.
    const TextFileResult read = readTextFile(file);
    tips_ = read.ok ? parseTips(read.text) : QStringList();
    current_ = firstTipNumber(val(getSetting(settingsApp, kHelp, QStringLiteral("CurrentTip"), QStringLiteral("1"))),
                              tipCount());
    showTip();
}

void frmTips::showTip() {
    lblTip->setText(current_ >= 1 && current_ <= tipCount() ? tips_[current_ - 1] : QString());
}

void frmTips::cmdNext_Click() {
    current_ = nextTipNumber(current_, tipCount());
    showTip();
}

void frmTips::cmdOk_Click() { unload(); }

void frmTips::Form_Unload(int& cancel) {
    (void)cancel;
    if (fileMissing_) return;
    // The next showing starts with the tip after the one seen last.
    const int next = tipCount() > 0 ? nextTipNumber(current_, tipCount()) : 1;
    settingsModelWriter(settingsApp, kHelp, QStringLiteral("CurrentTip"), ' ' + QString::number(next));
    settingsModelWriter(settingsApp, kHelp, QStringLiteral("TipsOnStartup"),
                        boolText(chkShowTips->isChecked()));
}

void frmTips::keyPressEvent(QKeyEvent* event) {
    answerDialogKeys(event, [this] { cmdNext_Click(); }, [this] { cmdOk_Click(); });
}

}  // namespace kavrin
