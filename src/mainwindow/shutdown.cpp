#include "mainwindow/shutdown.h"

#include <QApplication>
#include <QEventLoop>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include "documents/globals.h"
#include "mainwindow/mdiMain.h"

namespace kavrin {

namespace {

int signalPipe[2] = {-1, -1};

// Only what is safe inside a signal handler: one byte into the pipe, which the event loop reads.
void onTerminate(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
    errno = saved;
}

// True while the close runs: a second request meanwhile leaves its questions standing.
bool closing = false;

// A window that waits for an answer (a tip, a dialog, a message) is first closed from its frame,
// as the user would, so that the documents are not pulled away from under it mid-question; then
// the program closes as Exit does. A window that will not close keeps the request waiting.
void closeWhenFree() {
    // A close already under way is asking its questions: the request is answered by it.
    if (closing || (mainWindow && mainWindow->isUnloading())) return;
    if (QWidget* modal = QApplication::activeModalWidget()) {
        modal->close();
        QTimer::singleShot(100, qApp, closeWhenFree);
        return;
    }
    closeOnRequest();
}

}  // namespace

bool closeOnRequest() {
    if (!mainWindow) {
        QCoreApplication::quit();
        return true;
    }
    if (closing || mainWindow->isUnloading()) return true;
    if (mainWindow->closePending()) return false;
    closing = true;
    const bool closed = mainWindow->unload(vbAppWindows);
    closing = false;
    return closed;
}

bool closeForSession() {
    if (closeOnRequest()) return true;
    // A document in Design may first have to tell what was typed into it; the close then goes
    // on by itself, but the session must hear now whether the program ends, so it waits here
    // for the close to settle. Only the session's request comes this way, never a key or click.
    if (!mainWindow || !mainWindow->closePending()) return !mainWindow;
    QEventLoop settled;
    QObject::connect(mainWindow, &mdiMain::pendingCloseSettled, &settled, &QEventLoop::quit, Qt::QueuedConnection);
    QObject::connect(mainWindow, &QObject::destroyed, &settled, &QEventLoop::quit);
    settled.exec();
    return !mainWindow || !mainWindow->isLoaded();
}

void watchShutdownRequests() {
    static bool done = false;
    if (done) return;
    done = true;

    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, qApp);
        QObject::connect(notifier, &QSocketNotifier::activated, qApp, [] {
            char bytes[16];
            while (::read(signalPipe[0], bytes, sizeof bytes) > 0) {
            }
            // From the event loop, never from inside the notifier's own delivery.
            QTimer::singleShot(0, qApp, closeWhenFree);
        });
        struct sigaction action {};
        action.sa_handler = onTerminate;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(SIGTERM, &action, nullptr);
        for (const int sig : {SIGHUP, SIGINT}) {
            struct sigaction inherited {};
            if (::sigaction(sig, nullptr, &inherited) == 0 && inherited.sa_handler != SIG_IGN)
                ::sigaction(sig, &action, nullptr);
        }
        // Once the terminal is gone, a write to a pipe it read from (a pager, tee) must fail
        // rather than end the program while its question is shown. A handler, unlike ignoring
        // the signal, is not handed on to the programs this one starts.
        struct sigaction pipe {};
        if (::sigaction(SIGPIPE, nullptr, &pipe) == 0 && pipe.sa_handler == SIG_DFL) {
            struct sigaction quiet {};
            quiet.sa_handler = [](int) {};
            sigemptyset(&quiet.sa_mask);
            quiet.sa_flags = SA_RESTART;
            ::sigaction(SIGPIPE, &quiet, nullptr);
        }
    }

    QObject::connect(qApp, &QGuiApplication::commitDataRequest, qApp, [](QSessionManager& manager) {
        if (!mainWindow) return;
        if (!manager.allowsInteraction()) {
            // No questions may be asked: the documents stay as they are for the session to end.
            return;
        }
        const bool closed = closeForSession();
        manager.release();
        if (!closed) manager.cancel();
    });
}

}  // namespace kavrin
