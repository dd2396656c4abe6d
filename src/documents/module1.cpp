#include "documents/module1.h"

#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QIcon>

#include "documents/globals.h"
#include "mainwindow/frmSplash.h"
#include "mainwindow/mdiMain.h"
#include "mainwindow/shutdown.h"
#include "platform/system/openfilelimit.h"
#include "platform/files/ownfiles.h"
#include "platform/system/screen.h"
#include "platform/system/terminalsession.h"
#include "platform/web/webviews.h"

namespace kavrin {

void startUp(const QStringList& arguments) {
    twipsPerPixelX = kTwipsPerPixel;
    twipsPerPixelY = kTwipsPerPixel;

    auto* splash = new frmSplash();
    splash->show();
    splash->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    mainWindow = new mdiMain();
    mainWindow->commandLineArguments = arguments;
    // Initialisation and placement run behind the splash window; it goes before the main
    // window's first activation, whose notices and questions it would otherwise cover.
    mainWindow->load();
    splash->unload();
    mainWindow->show();
}

int runProgram(int argc, char** argv) {
    // Before anything else exists: a process started now would stay in the terminal's session.
    leaveTerminalSession();
    // Before the web engine starts its helpers, which take the limit with them.
    allowManyOpenFiles();
    // The design and browse views run a web engine, which as root only runs without its sandbox.
    if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    registerLocalPageScheme();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kavrin Pro"));
    useIconTheme();
    // Every window, the documents inside the main window too, carries the program's own icon.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/program/kavrin.svg")));
    // Work folders of an earlier run that was killed would otherwise stay for ever.
    removeLeftoverPrivateFolders(QDir::tempPath());
    resetProgramState();
    watchShutdownRequests();
    startUp(QCoreApplication::arguments().mid(1));
    return app.exec();
}

void sortStringArray(QStringList& list) {
    // A stable sort on the lower-case forms by character code; the entries keep their case.
    std::stable_sort(list.begin(), list.end(), [](const QString& a, const QString& b) {
        return a.toLower() < b.toLower();
    });
}

void loadFontNames(const QStringList& installed) {
    fontNames = installed.mid(0, 400);
    fontCount = int(fontNames.size());
    sortStringArray(fontNames);
}

void loadFontNames() {
    loadFontNames(QFontDatabase::families());
}

}  // namespace kavrin
