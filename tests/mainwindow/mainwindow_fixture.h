#pragma once
// A main window as the program starts it, over the shared fixture, with helpers to restart it
// and to look at the settings store.
#include <QFile>

#include "documents/docfile.h"
#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "fixture.h"
#include "mainwindow/mainsettings.h"
#include "mainwindow/mdiMain.h"
#include "platform/forms/msgbox.h"
#include "platform/files/settingsstore.h"

namespace kavrin::test {

class MainWindowTest : public KavrinTest {
protected:
    // Creates and shows the main window (initialisation, placement, first activation).
    mdiMain* start(const QStringList& arguments = {}) {
        mainWindow = new mdiMain();
        mainWindow->commandLineArguments = arguments;
        mainWindow->show();
        return mainWindow;
    }

    // Closes the main window as File > Exit does; true when the program ended.
    bool exitProgram() {
        mdiMain* main = mainWindow;
        if (!main) return true;
        const bool ended = main->unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return ended;
    }

    // The program-wide state as a new run finds it, the settings store kept.
    void newRun() {
        resetProgramState();
        installPath = programDir;
        userDataPath = userDir;
        tempPath = tempDir;
    }

    // An empty store, as at the very first start.
    void clearStore() {
        QFile::remove(settingsFilePath("Kavrin Pro"));
        resetSettingsCache();
    }

    static QString setting(const QString& section, const QString& key, const QString& def = "<none>") {
        return getSetting("Kavrin Pro", section, key, def);
    }
    static void store(const QString& section, const QString& key, const QString& value) {
        saveSetting("Kavrin Pro", section, key, value);
    }
    static QByteArray storeBytes() { return readFile(settingsFilePath("Kavrin Pro")); }
};

}  // namespace kavrin::test
