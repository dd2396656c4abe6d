#include "platform/screen.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>

namespace kavrin {

namespace {
// Qt's override cursor is a stack while the hourglass is a switch: exactly one entry of the
// stack is ours while busy.
bool busyShown = false;
bool cursorPushed = false;
}  // namespace

void setBusy(bool busy) {
    if (busy == busyShown) return;
    busyShown = busy;
    if (busy && qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        cursorPushed = true;
    } else if (!busy && cursorPushed) {
        cursorPushed = false;
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) QGuiApplication::restoreOverrideCursor();
    }
}

bool isBusy() { return busyShown; }

void doEvents() {
    // Paints, timers and the pages' reports go on; the user's keys and clicks wait until the
    // command that lets the screen catch up has finished, so none of them runs in its middle.
    if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace kavrin
