// The main window's helper applications, help files and window arrangement.
#include <QActionGroup>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QStyle>

#include <algorithm>
#include <cmath>

#include "documents/colouring/colorops.h"
#include "documents/documentwindow.h"
#include "documents/fileops.h"
#include "documents/globals.h"
#include "mainwindow/frmHelp.h"
#include "mainwindow/frmSettings.h"
#include "mainwindow/mainsettings.h"
#include "mainwindow/mdiMain.h"
#include "mainwindow/previewcopy.h"
#include "platform/forms/msgbox.h"
#include "platform/files/settingsstore.h"
#include "platform/system/shell.h"

namespace kavrin {

namespace {

QString helperSetting(const QString& key) { return getSetting(settingsApp, QStringLiteral("HelperApps"), key, QString()); }

// Offers the options dialog at its helper page; the command itself is run again by the user.
void askToSelectHelper() {
    const int answer = msgBox(QStringLiteral("You have not selected an application for this item.\n\n"
                                             "Do you want to select one now?"),
                              vbYesNo + vbExclamation, appTitle);
    if (answer == vbNo) return;
    showOptionsDialog(5);
}

void reportNotStarted(const QString& program, const QString& reason) {
    msgBox(QStringLiteral("The program '%1' could not be started.\n\n%2").arg(program, reason), vbExclamation,
           appTitle);
}

// Places windows in a grid of `columns` by as many rows as they need, filling rows first.
void tileInGrid(const QList<QMdiSubWindow*>& windows, const QRect& area, int columns) {
    const int n = int(windows.size());
    if (n == 0 || columns < 1) return;
    const int rows = (n + columns - 1) / columns;
    for (int i = 0; i < n; ++i) {
        const int row = i / columns;
        const int col = i % columns;
        // The last row shares its width among the windows it has.
        const int inRow = row == rows - 1 ? n - row * columns : columns;
        const int x0 = area.left() + area.width() * col / inRow;
        const int x1 = area.left() + area.width() * (col + 1) / inRow;
        const int y0 = area.top() + area.height() * row / rows;
        const int y1 = area.top() + area.height() * (row + 1) / rows;
        windows[i]->setGeometry(x0, y0, x1 - x0, y1 - y0);
    }
}

}  // namespace

void mdiMain::connectHelperCommands() {
    for (int i = 0; i < mnuToolsHelperAppsBrowser.size(); ++i)
        connect(mnuToolsHelperAppsBrowser[i], &QAction::triggered, this, [this, i] { mnuToolsHelperAppsBrowser_Click(i); });
    connect(mnuToolsHelperFtp, &QAction::triggered, this, &mdiMain::mnuToolsHelperFtp_Click);
    connect(mnuToolsHelperImage, &QAction::triggered, this, &mdiMain::mnuToolsHelperImage_Click);
    connect(mnuToolsHelperIsmap, &QAction::triggered, this, &mdiMain::mnuToolsHelperIsmap_Click);
    connect(mnuToolsHelperValidator, &QAction::triggered, this, &mdiMain::mnuToolsHelperValidator_Click);
    connect(mnuHelpHtml4, &QAction::triggered, this, &mdiMain::mnuHelpHtml4_Click);
    connect(mnuHelpCSS, &QAction::triggered, this, &mdiMain::mnuHelpCSS_Click);
    connect(mnuWindowCascade, &QAction::triggered, this, &mdiMain::mnuWindowCascade_Click);
    connect(mnuWindowTileHorizontally, &QAction::triggered, this, &mdiMain::mnuWindowTileHorizontally_Click);
    connect(mnuWindowTileVertically, &QAction::triggered, this, &mdiMain::mnuWindowTileVertically_Click);
    connect(mnuWindowArrangeIcons, &QAction::triggered, this, &mdiMain::mnuWindowArrangeIcons_Click);
    if (QMenu* window = mnuWindow->menu())
        connect(window, &QMenu::aboutToShow, this, &mdiMain::showWindowList);
}

// ---- Helper applications ----------------------------------------------------------------------------

void mdiMain::mnuToolsHelperAppsBrowser_Click(int index) {
    const QString program = helperSetting("Browser" + trimNumber(index + 1));
    if (program.isEmpty() || !fileExists(program)) {
        askToSelectHelper();
        return;
    }
    // The browser is started on the active page: without one there is nothing to show.
    DocumentWindow* doc = activeDocument();
    if (!doc) return;
    // The page the user sees, edits included: an untitled or changed document goes as a copy.
    QString why;
    const QString page = previewPathFor(doc, &why);
    if (page.isEmpty()) {
        msgBox(QStringLiteral("The page could not be prepared for the browser.\n\n") + why, vbExclamation, appTitle);
        return;
    }
    QString error;
    if (!startProgram(program, {page}, &error)) reportNotStarted(program, error);
}

void mdiMain::startHelper(const QString& key) {
    const QString program = helperSetting(key);
    if (program.isEmpty()) {
        askToSelectHelper();
        return;
    }
    QString error;
    if (!startProgram(program, {}, &error)) reportNotStarted(program, error);
}

void mdiMain::mnuToolsHelperFtp_Click() { startHelper(QStringLiteral("FTP")); }
void mdiMain::mnuToolsHelperImage_Click() { startHelper(QStringLiteral("Image")); }
void mdiMain::mnuToolsHelperIsmap_Click() { startHelper(QStringLiteral("Imagemap")); }
void mdiMain::mnuToolsHelperValidator_Click() { startHelper(QStringLiteral("HtmlValidator")); }

// ---- Help ---------------------------------------------------------------------------------------------

void mdiMain::showHelpFile(const QString& name) {
    const QString path = installPath + name;
    if (!fileExists(path)) {
        msgBox("Cannot find the file '" + path + "'.", vbExclamation, QStringLiteral("File Not Found"));
        return;
    }
    frmHelp::showPage(path);
}

void mdiMain::mnuHelpHtml4_Click() { showHelpFile(QStringLiteral("Index.html")); }
void mdiMain::mnuHelpCSS_Click() { showHelpFile(QStringLiteral("Css.html")); }

// ---- Window arrangement -------------------------------------------------------------------------------

namespace {

QList<QMdiSubWindow*> arrangeable(QMdiArea* area) {
    QList<QMdiSubWindow*> out;
    for (QMdiSubWindow* w : area->subWindowList(QMdiArea::CreationOrder))
        if (w->isVisible() && !w->isMinimized()) out << w;
    for (QMdiSubWindow* w : out)
        if (w->isMaximized()) w->showNormal();
    return out;
}

// The least height or width a tiled window keeps before the windows go into a grid.
constexpr int kLeastTile = 120;

}  // namespace

void mdiMain::mnuWindowCascade_Click() {
    const QList<QMdiSubWindow*> windows = arrangeable(mdi_);
    if (windows.isEmpty()) return;
    const QRect area = mdi_->viewport()->rect();
    const int step = qMax(16, mdi_->style()->pixelMetric(QStyle::PM_TitleBarHeight) + 4);
    // Every window keeps three quarters of the area, so each stays one a person can work in.
    const int w = qMax(qMin(area.width(), 200), area.width() * 3 / 4);
    const int h = qMax(qMin(area.height(), 150), area.height() * 3 / 4);
    const int steps = qMax(1, qMin((area.width() - w) / step, (area.height() - h) / step) + 1);
    for (int i = 0; i < windows.size(); ++i) {
        const int k = i % steps;
        windows[i]->setGeometry(area.left() + k * step, area.top() + k * step, w, h);
        windows[i]->raise();
    }
    mdi_->setActiveSubWindow(windows.last());
}

void mdiMain::mnuWindowTileHorizontally_Click() {
    // Windows one above the other, each as wide as the area.
    const QList<QMdiSubWindow*> windows = arrangeable(mdi_);
    if (windows.isEmpty()) return;
    const QRect area = mdi_->viewport()->rect();
    const int n = int(windows.size());
    const int fit = qMax(1, area.height() / kLeastTile);
    tileInGrid(windows, area, n <= fit ? 1 : (n + fit - 1) / fit);
}

void mdiMain::mnuWindowTileVertically_Click() {
    // Windows side by side, each as tall as the area.
    const QList<QMdiSubWindow*> windows = arrangeable(mdi_);
    if (windows.isEmpty()) return;
    const QRect area = mdi_->viewport()->rect();
    const int n = int(windows.size());
    const int fit = qMax(1, area.width() / kLeastTile);
    tileInGrid(windows, area, qMin(n, fit));
}

void mdiMain::mnuWindowArrangeIcons_Click() {
    const QRect area = mdi_->viewport()->rect();
    int x = area.left();
    int y = area.bottom();
    for (QMdiSubWindow* w : mdi_->subWindowList(QMdiArea::CreationOrder)) {
        if (!w->isVisible() || !w->isMinimized()) continue;
        const QSize size = w->size();
        if (x > area.left() && x + size.width() > area.right()) {
            x = area.left();
            y -= size.height();
        }
        w->move(x, y - size.height() + 1);
        x += size.width();
    }
}

void mdiMain::showWindowList() {
    QMenu* menu = mnuWindow->menu();
    if (!menu) return;
    for (QAction* old : windowListItems) {
        menu->removeAction(old);
        old->deleteLater();
    }
    windowListItems.clear();
    const QVector<DocumentWindow*> docs = documentWindows();
    if (docs.isEmpty()) return;
    windowListItems << menu->addSeparator();
    DocumentWindow* active = activeDocument();
    int number = 1;
    for (DocumentWindow* doc : docs) {
        const QString caption = number <= 9 ? QStringLiteral("&%1 %2").arg(number).arg(doc->caption())
                                            : QStringLiteral("%1 %2").arg(number).arg(doc->caption());
        QAction* item = menu->addAction(caption);
        item->setCheckable(true);
        item->setChecked(doc == active);
        connect(item, &QAction::triggered, this, [this, doc = QPointer<DocumentWindow>(doc)] {
            bringDocumentForward(doc);
        });
        windowListItems << item;
        ++number;
    }
}

}  // namespace kavrin
