#include "platform/system/screen.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>

#include <memory>

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

namespace {

int turnRuns = 0;

struct TurnRun {
    QPointer<QObject> owner;
    std::ptrdiff_t count = 0;
    std::ptrdiff_t next = 0;
    std::function<bool(std::ptrdiff_t)> step;
    std::function<void()> done;
};

void finishRun(const std::shared_ptr<TurnRun>& run, bool withDone) {
    --turnRuns;
    if (withDone && run->done) run->done();
}

void takeTurn(const std::shared_ptr<TurnRun>& run);

void nextTurn(const std::shared_ptr<TurnRun>& run, int delayMs) {
    // Timed on the application: a run whose owner has gone still has to be counted out.
    QTimer::singleShot(delayMs, QCoreApplication::instance(), [run] { takeTurn(run); });
}

void takeTurn(const std::shared_ptr<TurnRun>& run) {
    if (!run->owner) return finishRun(run, false);
    if (run->next >= run->count) return finishRun(run, true);
    // A modal window the user opened in between holds the rest until it closes, as it held a
    // loop that let the user's input run between files.
    if (run->next > 0 && QApplication::activeModalWidget()) return nextTurn(run, 50);
    const std::ptrdiff_t i = run->next++;
    if (!run->step(i)) return finishRun(run, bool(run->owner));
    if (!run->owner) return finishRun(run, false);
    if (run->next >= run->count) return finishRun(run, true);
    nextTurn(run, 0);
}

}  // namespace

void runInTurns(QObject* owner, std::ptrdiff_t count, std::function<bool(std::ptrdiff_t)> step,
                std::function<void()> done) {
    auto run = std::make_shared<TurnRun>();
    run->owner = owner;
    run->count = count;
    run->step = std::move(step);
    run->done = std::move(done);
    ++turnRuns;
    takeTurn(run);
}

int runsInTurns() { return turnRuns; }

}  // namespace kavrin
