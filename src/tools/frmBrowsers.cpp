// The browser chooser pop-up.
#include "tools/frmBrowsers.h"

#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

#include "documents/colouring/colorops.h"
#include "documents/globals.h"
#include "mainwindow/mainsettings.h"
#include "mainwindow/mdiMain.h"
#include "platform/system/screen.h"
#include "platform/files/settingsstore.h"

namespace kavrin {

namespace {

constexpr int kRows = 4;
const QColor kDesignGrey(0xC0, 0xC0, 0xC0);

QPointer<frmBrowsers>& openChooser() {
    static QPointer<frmBrowsers> chooser;
    return chooser;
}

}  // namespace

frmBrowsers::frmBrowsers(QWidget* parent) : Form(parent) {
    setObjectName(QStringLiteral("frmBrowsers"));
    // A pop-up closes by itself when the user clicks anywhere outside it.
    setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_DeleteOnClose);
    setMouseTracking(true);
    const int rowHeight = qMax(twipsToPixels(270), fontMetrics().height() + 4);
    const int rowWidth = twipsToPixels(2655);
    for (int i = 0; i < kRows; ++i) {
        auto* row = new QWidget(this);
        row->setObjectName(QStringLiteral("picBrowser%1").arg(i));
        row->setAutoFillBackground(true);
        row->setMouseTracking(true);
        row->resize(rowWidth, rowHeight);
        row->installEventFilter(this);
        auto* label = new QLabel(QStringLiteral("Web Browser 1"), row);
        label->setObjectName(QStringLiteral("lblBrowser%1").arg(i));
        label->setMouseTracking(true);
        label->setGeometry(twipsToPixels(210), (rowHeight - fontMetrics().height()) / 2, twipsToPixels(2325),
                           fontMetrics().height());
        label->installEventFilter(this);
        picBrowser << row;
        lblBrowser << label;
        setRowColors(i, kDesignGrey, palette().color(QPalette::WindowText));
    }
    // The designed inner size, grown by what taller rows need.
    resize(twipsToPixels(2745), qMax(twipsToPixels(1170), 3 + kRows * rowHeight + 4));
    tmrCursorPos = new QTimer(this);
    tmrCursorPos->setObjectName(QStringLiteral("tmrCursorPos"));
    connect(tmrCursorPos, &QTimer::timeout, this, &frmBrowsers::tmrCursorPos_Timer);
}

QPoint frmBrowsers::placeUnder(const QWidget* anchor) {
    if (anchor && anchor->isVisible()) return anchor->mapToGlobal(QPoint(0, anchor->height()));
    const QWidget* main = mainWindow;
    const QPoint corner = main ? main->frameGeometry().topLeft() : QPoint();
    return corner + QPoint(77, 97);
}

frmBrowsers* frmBrowsers::showChooser(const QWidget* anchor) {
    if (frmBrowsers* old = openChooser()) old->unload();
    auto* chooser = new frmBrowsers();
    chooser->anchorPos_ = placeUnder(anchor);
    chooser->anchored_ = true;
    openChooser() = chooser;
    chooser->show();
    return chooser;
}

void frmBrowsers::Form_Load() {
    move(anchored_ ? anchorPos_ : placeUnder(nullptr));
    int top = 3;
    for (int i = 0; i < kRows; ++i) {
        picBrowser[i]->move(3, top);
        top += picBrowser[i]->height();
        const QString n = trimNumber(i + 1);
        lblBrowser[i]->setText(
            getSetting(settingsApp, QStringLiteral("HelperApps"), "BrowserName" + n, "Web Browser " + n));
    }
    hoverIndex = -1;
    tmrCursorPos->start(200);
}

void frmBrowsers::Form_Deactivate() {
    if (!choosing_ && !isUnloading()) unload();
}

void frmBrowsers::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int w = width();
    const int h = height();
    const int t = 2;
    p.fillRect(rect(), palette().color(QPalette::Window));
    p.fillRect(QRect(QPoint(0, 0), QPoint(w - 1, h - 1)), kDesignGrey);
    p.setPen(Qt::black);
    p.drawLine(w - 1, 0, w - 1, h - 1);
    p.drawLine(0, h - 1, w - 1, h - 1);
    p.fillRect(QRect(QPoint(1, 1), QPoint(w - t - 1, h - t - 1)), Qt::white);
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.drawLine(w - t, 1, w - t, h - 2);
    p.drawLine(1, h - t, w - t, h - t);
}

bool frmBrowsers::eventFilter(QObject* watched, QEvent* event) {
    // Rows are watched while they are still being built, before their labels exist.
    for (int i = 0; i < int(lblBrowser.size()); ++i) {
        if (watched != picBrowser[i] && watched != lblBrowser[i]) continue;
        if (event->type() == QEvent::MouseMove) {
            picBrowser_MouseMove(i);
        } else if (event->type() == QEvent::MouseButtonRelease &&
                   static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            picBrowser_Click(i);
            return true;
        }
        break;
    }
    return Form::eventFilter(watched, event);
}

void frmBrowsers::setRowColors(int index, const QColor& back, const QColor& text) {
    QPalette rowPalette = picBrowser[index]->palette();
    rowPalette.setColor(QPalette::Window, back);
    picBrowser[index]->setPalette(rowPalette);
    QPalette labelPalette = lblBrowser[index]->palette();
    labelPalette.setColor(QPalette::WindowText, text);
    lblBrowser[index]->setPalette(labelPalette);
}

QColor frmBrowsers::rowBack(int index) const { return picBrowser[index]->palette().color(QPalette::Window); }

QColor frmBrowsers::labelColor(int index) const {
    return lblBrowser[index]->palette().color(QPalette::WindowText);
}

void frmBrowsers::picBrowser_MouseMove(int index) {
    if (index == hoverIndex) return;
    if (hoverIndex >= 0) setRowColors(hoverIndex, palette().color(QPalette::Button), Qt::black);
    hoverIndex = index;
    setRowColors(index, highlightBack(), Qt::white);
}

void frmBrowsers::picBrowser_Click(int index) {
    choosing_ = true;
    unload();
    if (mainWindow) mainWindow->mnuToolsHelperAppsBrowser_Click(index);
}

void frmBrowsers::tmrCursorPos_Timer() {
    if (hoverIndex == -1) return;
    const QPoint at = QCursor::pos();
    const QRect box = frameGeometry();
    // The edges count as inside.
    const bool outside = at.x() < box.left() || at.x() > box.left() + box.width() || at.y() < box.top() ||
                         at.y() > box.top() + box.height();
    if (!outside) return;
    setRowColors(hoverIndex, palette().color(QPalette::Button), Qt::black);
    hoverIndex = -1;
}

}  // namespace kavrin
