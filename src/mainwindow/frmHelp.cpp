// The help window.
#include "mainwindow/frmHelp.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPointer>
#include <QScreen>
#include <QVBoxLayout>

#include "documents/globals.h"
#include "mainwindow/mdiMain.h"

namespace kavrin {

namespace {

QPointer<frmHelp>& openHelp() {
    static QPointer<frmHelp> help;
    return help;
}

}  // namespace

frmHelp::frmHelp(QWidget* parent) : Form(parent) {
    setObjectName(QStringLiteral("frmHelp"));
    setWindowFlag(Qt::Window);
    setCaption(QStringLiteral("Kavrin Pro Help"));
    auto* layout = new QVBoxLayout(this);
    auto* buttons = new QHBoxLayout();
    cmdContents = new QPushButton(QStringLiteral("&Contents"), this);
    cmdBack = new QPushButton(QStringLiteral("&Back"), this);
    cmdForward = new QPushButton(QStringLiteral("&Forward"), this);
    cmdBack->setEnabled(false);
    cmdForward->setEnabled(false);
    buttons->addWidget(cmdContents);
    buttons->addWidget(cmdBack);
    buttons->addWidget(cmdForward);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    txtHelp = new QTextBrowser(this);
    txtHelp->setObjectName(QStringLiteral("txtHelp"));
    // Pages of the help open here; addresses on the web go to the desktop's browser.
    txtHelp->setOpenLinks(false);
    connect(txtHelp, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
        if (url.isLocalFile() || url.isRelative()) txtHelp->setSource(txtHelp->source().resolved(url));
        else QDesktopServices::openUrl(url);
    });
    connect(txtHelp, &QTextBrowser::backwardAvailable, cmdBack, &QPushButton::setEnabled);
    connect(txtHelp, &QTextBrowser::forwardAvailable, cmdForward, &QPushButton::setEnabled);
    connect(cmdBack, &QPushButton::clicked, txtHelp, &QTextBrowser::backward);
    connect(cmdForward, &QPushButton::clicked, txtHelp, &QTextBrowser::forward);
    connect(cmdContents, &QPushButton::clicked, this, [this] {
        if (!contents_.isEmpty()) txtHelp->setSource(QUrl::fromLocalFile(contents_));
    });
    layout->addWidget(txtHelp, 1);
    placeOnScreen();
}

void frmHelp::placeOnScreen() {
    QScreen* screen = mainWindow ? mainWindow->screen() : QGuiApplication::primaryScreen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    // The window manager's frame is not known before the window is shown: room is left for a
    // title bar and borders, so that the whole window, its bottom edge too, is on the screen.
    constexpr int kFrameRoom = 80;
    const QSize size(qMin(720, area.width() - kFrameRoom), qMin(560, area.height() - kFrameRoom));
    resize(size.expandedTo(minimumSizeHint()));
    move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
}

frmHelp* frmHelp::showPage(const QString& path) {
    frmHelp* help = openHelp();
    if (!help) {
        help = new frmHelp();
        openHelp() = help;
    }
    help->contents_ = QFileInfo(path).absolutePath() + QStringLiteral("/Index.html");
    help->txtHelp->setSource(QUrl::fromLocalFile(path));
    help->show();
    help->raise();
    help->activateWindow();
    return help;
}

QString frmHelp::page() const { return txtHelp->source().toLocalFile(); }

}  // namespace kavrin
