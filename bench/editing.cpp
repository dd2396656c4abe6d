// Editing a coloured page in a document window: one typed character with its undo record and
// colour as you type, and undo and redo of a large paste. Qt runs offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>

#include "documents/colouring/colorcoding.h"
#include "documents/docfile.h"
#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "benchsupport.h"
#include "mainwindow/mdiMain.h"
#include "platform/richtext/richtextbox.h"

using namespace kavrin;

namespace {

QString pageText(qsizetype bytes, bool comments = true) { return kavrin::bench::cataloguePage(bytes, comments); }

void setColours() { kavrin::bench::useBenchColours(); }

// A shown main window with one document holding the page, coloured by the whole-document pass.
DocumentWindow* openColoured(const QString& page) {
    resetProgramState();
    setColours();
    kavrin::bench::quietStart();
    mainWindow = new mdiMain();
    mainWindow->resize(1000, 700);
    mainWindow->show();
    newDocument();
    DocumentWindow* doc = activeDocument();
    ignoreChange = true;
    doc->txtMain->setText(page);
    ignoreChange = false;
    colorCodeDocument(doc);
    doc->txtMain->setFocus();
    QApplication::processEvents();
    return doc;
}

void closeAll() {
    kavrin::bench::closeDocuments();
    delete mainWindow;
    mainWindow = nullptr;
    QApplication::processEvents();
}

void sendKey(QWidget* w, int key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
    QApplication::sendEvent(w, &release);
    QApplication::processEvents();  // the Change and SelChange handlers, and the repaint
}

// One keystroke in a paragraph in the middle of the page, through the document window's key
// and change handling. Arg 0: size in MB; arg 1: 0 types a character, 1 erases one with
// Backspace; arg 2: 1 for a page without any comment (the comment search runs back to the
// start). The other half of each round is not timed, so the page keeps its size.
void typeCharacter(benchmark::State& state) {
    const QString page = pageText(state.range(0) * 1024 * 1024, state.range(2) == 0);
    const bool erase = state.range(1) == 1;
    DocumentWindow* doc = openColoured(page);
    RichTextBox* box = doc->txtMain;
    const int at = int(box->text().indexOf(QStringLiteral("long enough"), page.size() / 2));
    box->setSelStart(at);
    QApplication::processEvents();
    const QString backspace(QChar(8));
    const int before = doc->undoI;
    for (auto _ : state) {
        if (erase) {
            state.PauseTiming();
            sendKey(box, Qt::Key_X, QStringLiteral("x"));
            state.ResumeTiming();
            sendKey(box, Qt::Key_Backspace, backspace);
        } else {
            sendKey(box, Qt::Key_X, QStringLiteral("x"));
            state.PauseTiming();
            sendKey(box, Qt::Key_Backspace, backspace);
            state.ResumeTiming();
        }
    }
    if (doc->undoI - before != 2 * int(state.iterations())) state.SkipWithError("not one undo step per key");
    if (box->text() != page) state.SkipWithError("the page changed");
    if (box->colorAt(at) != 0) state.SkipWithError("typed text took a colour");
    closeAll();
}

// Undo (arg 0 = 0) or redo (arg 0 = 1) of a 100 KB paste in the middle of a 1 MB page.
void undoRedoPaste(benchmark::State& state) {
    const QString page = pageText(1024 * 1024);
    const QString pasted = pageText(100 * 1024);
    const bool redo = state.range(0) == 1;
    DocumentWindow* doc = openColoured(page);
    RichTextBox* box = doc->txtMain;
    const int at = int(box->text().indexOf(QStringLiteral("<tr>"), page.size() / 2));
    QApplication::clipboard()->setText(pasted);
    for (auto _ : state) {
        state.PauseTiming();
        box->setSelStart(at);
        mainWindow->mnuEditPaste_Click();
        if (redo) doc->undoChange();
        QApplication::processEvents();
        state.ResumeTiming();
        if (redo)
            doc->redoChange();
        else
            doc->undoChange();
        QApplication::processEvents();
        state.PauseTiming();
        if (box->textLength() != page.size() + (redo ? pasted.size() : 0)) state.SkipWithError("wrong text");
        if (redo) doc->undoChange();
        state.ResumeTiming();
    }
    closeAll();
}

// The whole-document pass over a page shown in black (arg 1 = 0, as when a page is opened) or
// already coloured (arg 1 = 1, as after a large paste or undo). Arg 0: size in MB.
void wholePass(benchmark::State& state) {
    const QString page = pageText(state.range(0) * 1024 * 1024);
    DocumentWindow* doc = openColoured(page);
    const bool coloured = state.range(1) == 1;
    for (auto _ : state) {
        state.PauseTiming();
        if (!coloured) {
            doc->txtMain->setRangeColor(0, doc->txtMain->textLength(), 0);
            QApplication::processEvents();
        }
        state.ResumeTiming();
        colorCodeDocument(doc);
        QApplication::processEvents();
    }
    if (doc->txtMain->text() != page) state.SkipWithError("the page changed");
    closeAll();
}

}  // namespace

BENCHMARK(wholePass)->ArgNames({"MB", "coloured"})->Args({1, 0})->Args({1, 1})->Args({10, 0})->Args({10, 1})
    ->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(typeCharacter)
    ->ArgNames({"MB", "erase", "nocomments"})
    ->Args({1, 0, 0})
    ->Args({10, 0, 0})
    ->Args({1, 1, 0})
    ->Args({10, 1, 0})
    ->Args({10, 0, 1})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(undoRedoPaste)->ArgNames({"redo"})->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(10);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
