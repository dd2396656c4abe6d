#pragma once
// Benchmarks that open the main window run it against a private settings store, with the
// start-up questions and tips already answered, so nothing waits for a person.
#include <QApplication>
#include <QCoreApplication>
#include <QString>
#include <QTemporaryDir>

#include "documents/documentwindow.h"

#include "documents/globals.h"
#include "mainwindow/mdiMain.h"
#include "platform/forms/dialoghooks.h"
#include "platform/forms/msgbox.h"
#include "platform/files/settingsstore.h"

namespace kavrin::bench {

inline void quietStart() {
    static QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());
    resetSettingsCache();
    saveSetting("Kavrin Pro", "Settings", "ShowIeMessage", "False");
    saveSetting("Kavrin Pro", "Help", "TipsOnStartup", "False");
    for (const char* key : {"htmlData", "scriptData", "tipsData"})
        saveSetting("Kavrin Pro", "DontShowAgain", key, "True");
}

// A catalogue page of about `bytes` characters with CR LF breaks: table rows, links, pictures,
// paragraphs and (unless asked not to) a comment per row. "Item" stands about 3,200 times in
// each megabyte.
inline QString cataloguePage(qsizetype bytes, bool comments = true) {
    QString page = QStringLiteral("<html>\r\n<head>\r\n<title>Catalogue</title>\r\n</head>\r\n<body>\r\n<table border=\"0\">\r\n");
    page.reserve(bytes + 4096);
    for (int row = 0; page.size() < bytes; ++row) {
        const QString n = QString::number(row);
        page += QStringLiteral(
                    "<tr>\r\n"
                    "  <td class=\"name\"><a href=\"page%1.html\">Item %1</a></td>\r\n"
                    "  <td align=\"right\"><font color=\"#336699\">%1.50</font></td>\r\n"
                    "  <td><img src=\"images/icon%1.gif\" width=\"16\" height=\"16\" alt=\"\"></td>\r\n"
                    "</tr>\r\n")
                    .arg(n);
        if (comments) page += QStringLiteral("<!-- row %1 -->\r\n").arg(n);
        page += QStringLiteral("<p>Some text with <b>bold</b> and <i>italic</i> words, long enough to fill a line.</p>\r\n");
    }
    page += QStringLiteral("</table>\r\n</body>\r\n</html>\r\n");
    return page;
}

// Closes every document without asking. Outside a running event loop a closed window is not
// deleted by processEvents: without the deferred deletes every page a run opens stays in
// memory, and the runs after it pay for that.
inline void closeDocuments() {
    for (DocumentWindow* doc : documentWindows()) {
        doc->fileSaved = true;
        doc->unload();
    }
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The colour settings the benchmarks colour with, each tag class its own colour.
inline void useBenchColours() {
    fontName = "Monospace";
    fontSize = 10;
    tagColor = 0x800000;
    tableColor = 0x808000;
    fontColor = 0x000080;
    anchorColor = 0xFF0000;
    commentColor = 0x008000;
    formColor = 0xFF00FF;
    imageColor = 0x800080;
    unrecognizedColor = 0x0000FF;
}

// The main window, once, as a person's would stand after the first start, colouring on opening;
// a message box answers OK at once.
inline void startMainWindow() {
    if (mainWindow) return;
    resetProgramState();
    useBenchColours();
    quietStart();
    dialogHooks().msgBox = [](const QString&, int, const QString&) { return vbOK; };
    mainWindow = new mdiMain();
    mainWindow->resize(1000, 700);
    mainWindow->show();
    useBenchColours();
    colorOnOpen = true;
    QApplication::processEvents();
}

}  // namespace kavrin::bench
