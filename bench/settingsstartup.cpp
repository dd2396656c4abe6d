// Start-up of the main window with an empty settings file and with a 2 MB one (20,000 keys), beside
// a plain Qt floor that reads the same file with QSettings and shows an empty main window. Qt
// runs offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QMainWindow>
#include <QMdiArea>
#include <QSettings>

#include "benchsupport.h"
#include "documents/globals.h"
#include "mainwindow/mdiMain.h"
#include "platform/files/settingsstore.h"

using namespace kavrin;

namespace {

// The quiet-start keys, then `bytes` more of keys a long-used store gathers.
QByteArray settingsFile(qsizetype bytes) {
    QByteArray ini =
        "[Settings]\nShowIeMessage=False\n[Help]\nTipsOnStartup=False\n"
        "[DontShowAgain]\nhtmlData=True\nscriptData=True\ntipsData=True\n";
    if (bytes > 0) ini += "[URLs]\n";
    for (int i = 0; ini.size() < bytes; ++i)
        ini += "Address" + QByteArray::number(i) + "=https://www.example.com/pages/section/" + QByteArray::number(i) +
               "/index.html?from=history&kind=bookmark\n";
    return ini;
}

void writeSettings(const QByteArray& ini) {
    QFile f(settingsFilePath("Kavrin Pro"));
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(ini);
}

void startMainWindow(benchmark::State& state) {
    kavrin::bench::quietStart();
    const QByteArray ini = settingsFile(state.range(0) * 1024 * 1024);
    for (auto _ : state) {
        state.PauseTiming();
        writeSettings(ini);
        resetSettingsCache();
        resetProgramState();
        QApplication::processEvents();
        state.ResumeTiming();
        mainWindow = new mdiMain();
        mainWindow->show();
        QApplication::processEvents();
        state.PauseTiming();
        mainWindow->unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

void plainQtFloor(benchmark::State& state) {
    kavrin::bench::quietStart();
    const QByteArray ini = settingsFile(state.range(0) * 1024 * 1024);
    const QString path = settingsFilePath("Kavrin Pro");
    for (auto _ : state) {
        state.PauseTiming();
        writeSettings(ini);
        state.ResumeTiming();
        QSettings settings(path, QSettings::IniFormat);
        benchmark::DoNotOptimize(settings.value("Options/Font Size", "10"));
        auto* window = new QMainWindow();
        window->setCentralWidget(new QMdiArea());
        window->show();
        QApplication::processEvents();
        state.PauseTiming();
        delete window;
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

}  // namespace

BENCHMARK(startMainWindow)->ArgName("MB")->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(plainQtFloor)->ArgName("MB")->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
