// Start-up to the shown main window with no document, beside a plain Qt window with the same
// number of menu items and an MDI area, and the toolbar area on its own (its headers, the seven
// tag toolbars with their pictures and the colour bar, built and painted). Qt runs offscreen.
// Run a benchmark alone (--benchmark_filter) to see its cost in a fresh process, pictures and
// plugins loaded for the first time.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMdiArea>
#include <QMenuBar>
#include <QStatusBar>
#include <QVBoxLayout>

#include "benchsupport.h"
#include "documents/globals.h"
#include "mainwindow/mdiMain.h"
#include "mainwindow/toolbararea.h"

using namespace kavrin;

namespace {

// Shown and painted once, as the first frame on the screen would be.
void showAndPaint(QWidget* w) {
    w->show();
    QApplication::processEvents();
    w->repaint();
    QApplication::processEvents();
}

void plainQtWindow(benchmark::State& state) {
    for (auto _ : state) {
        auto* window = new QWidget();
        auto* layout = new QVBoxLayout(window);
        auto* menus = new QMenuBar(window);
        layout->setMenuBar(menus);
        for (int m = 0; m < 8; ++m) {
            QMenu* menu = menus->addMenu(QStringLiteral("Menu %1").arg(m));
            for (int i = 0; i < 18; ++i) menu->addAction(QStringLiteral("Item %1").arg(i));
        }
        layout->addWidget(new QMdiArea(window), 1);
        layout->addWidget(new QStatusBar(window));
        window->resize(1024, 700);
        showAndPaint(window);
        delete window;
    }
}

void mainWindowStart(benchmark::State& state) {
    bench::quietStart();
    for (auto _ : state) {
        resetProgramState();
        mainWindow = new mdiMain();
        showAndPaint(mainWindow);
        state.PauseTiming();
        mdiMain* main = mainWindow;
        main->unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}

void toolbarAreaAlone(benchmark::State& state) {
    for (auto _ : state) {
        auto* area = new ToolbarArea();
        area->setMainToolbars(new QWidget(area), new QWidget(area));
        const ToolbarArea::TagRowParts parts = area->buildTagRows();
        parts.headers.first()->setSelected(true);
        parts.toolbars.first()->show();
        area->resize(1024, 60);
        showAndPaint(area);
        delete area;
    }
}

}  // namespace

// "first": one start in a process that has shown nothing yet (run it alone to see that cost).
BENCHMARK(plainQtWindow)->Name("plainQtWindow/first")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(mainWindowStart)->Name("mainWindowStart/first")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(toolbarAreaAlone)->Name("toolbarAreaAlone/first")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(plainQtWindow)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(mainWindowStart)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(toolbarAreaAlone)->Unit(benchmark::kMillisecond)->Iterations(20);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
