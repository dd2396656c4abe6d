// Switching a document between its views on the real web engine: a 200 KB page from Edit to
// Design and back with a change, and Browse of a 1 MB page until it is shown. Beside each, a
// plain web view doing the least the same step needs. Qt runs offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <unistd.h>

#include "benchsupport.h"
#include "documents/docfile.h"
#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "mainwindow/mdiMain.h"
#include "platform/webviews.h"

using namespace kavrin;

namespace {

// A page as sites have them: doctype, head with style sheet and script, unquoted values,
// entities, comments, tables, lists and forms.
QString realPage(qsizetype bytes) {
    QString page = QStringLiteral(
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\r\n<html>\r\n<head>\r\n"
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">\r\n"
        "<title>Caf&eacute; catalogue</title>\r\n<link rel=stylesheet href=\"style.css\">\r\n"
        "<script language=JavaScript>\r\nfunction go(u) { if (u < 2) location = 'x.htm'; }\r\n</script>\r\n"
        "</head>\r\n<body bgcolor=#FFFFFF text=#000000>\r\n");
    for (int row = 0; page.size() < bytes; ++row) {
        const QString n = QString::number(row);
        page += QStringLiteral(
                    "<!-- section %1 -->\r\n"
                    "<h2><a name=s%1>Section %1</a></h2>\r\n"
                    "<p align=justify>Coffee&nbsp;&amp;&nbsp;tea &copy; 2001, with <b>bold</b>, <i>italic</i> and "
                    "<font face=Arial size=2 color=#336699>coloured</font> words.<br>\r\n"
                    "<img src=\"images/p%1.gif\" width=16 height=16 alt=\"\" border=0></p>\r\n"
                    "<table border=0 cellpadding=2 width=\"100%\">\r\n"
                    "<tr><td class=name><a href=\"item%1.htm\">Item %1</a></td><td align=right>%1.50</td></tr>\r\n"
                    "<tr><td colspan=2><ul><li>one<li>two</ul></td></tr>\r\n"
                    "</table>\r\n")
                    .arg(n);
    }
    page += QStringLiteral("<form action=\"send.asp\"><input type=text name=q></form>\r\n</body>\r\n</html>\r\n");
    return page;
}

template <class Done>
bool waitFor(Done done, int ms = 30000) {
    QEventLoop loop;
    QTimer tick;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (done()) loop.quit();
    });
    tick.start(1);
    if (!done()) loop.exec();
    return done();
}

QVariant runJs(QWebEngineView* view, const QString& script, int world = QWebEngineScript::ApplicationWorld) {
    QVariant result;
    bool done = false;
    view->page()->runJavaScript(script, world, [&](const QVariant& v) {
        result = v;
        done = true;
    });
    waitFor([&] { return done; });
    return result;
}

DocumentWindow* openPage(const QString& page, const QString& path) {
    resetProgramState();
    kavrin::bench::quietStart();
    static QTemporaryDir work;
    tempPath = work.path() + "/";
    enableBrowserAndDesigner = true;
    mainWindow = new mdiMain();
    mainWindow->resize(1000, 700);
    mainWindow->show();
    enableBrowserAndDesigner = true;
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(page.toUtf8());
    file.close();
    mainWindow->openFile(path);
    QApplication::processEvents();
    return activeDocument();
}

void closeAll() {
    kavrin::bench::closeDocuments();
    delete mainWindow;
    mainWindow = nullptr;
    QApplication::processEvents();
}

QString pagePath(const char* name) {
    static QTemporaryDir dir;
    return dir.path() + "/" + name;
}

// Times the switch to view `tab` until `shown` says it is there, then goes back to Edit untimed.
// False when it never is: the run is void and timing stops there, rather than being paused and
// resumed.
template <typename Shown>
bool timeViewSwitch(benchmark::State& state, DocumentWindow* doc, int tab, Shown shown, const char* failure) {
    doc->tbsMain->setCurrentIndex(tab);
    if (!shown()) {
        state.SkipWithError(failure);
        return false;
    }
    state.PauseTiming();
    doc->tbsMain->setCurrentIndex(0);
    state.ResumeTiming();
    return true;
}

// Edit to Design of a 200 KB page until the design view can be edited.
void editToDesign(benchmark::State& state) {
    DocumentWindow* doc = openPage(realPage(200 * 1024), pagePath("design.htm"));
    for (auto _ : state)
        if (!timeViewSwitch(state, doc, 2, [&] { return doc->dhtm->waitReady(30000); }, "the design view never loaded"))
            break;
    closeAll();
}

// Design back to Edit after a word was typed in the middle of the page: the change goes into the
// source as one undo step, the rest of the source unchanged.
void designToEdit(benchmark::State& state) {
    const QString page = realPage(200 * 1024);
    DocumentWindow* doc = openPage(page, pagePath("back.htm"));
    for (auto _ : state) {
        state.PauseTiming();
        doc->tbsMain->setCurrentIndex(2);
        doc->dhtm->waitReady(30000);
        runJs(doc->dhtm->view(),
              "(() => { const a = document.getElementsByName('s500')[0]; const r = document.createRange();"
              "r.setStart(a.firstChild, 0); getSelection().removeAllRanges(); getSelection().addRange(r);"
              "document.execCommand('insertText', false, 'New '); })()");
        waitFor([&] { return doc->dhtm->DocumentHTML().contains("New Section 500"); });
        state.ResumeTiming();
        doc->tbsMain->setCurrentIndex(0);
        state.PauseTiming();
        QString expected = page;
        expected.replace("<a name=s500>Section 500", "<a name=s500>New Section 500");
        if (doc->txtMain->text() != expected) {
            state.SkipWithError("the source holds more than the change");
            break;
        }
        doc->undoChange();
        state.ResumeTiming();
    }
    closeAll();
}

// Browse of a 1 MB page until the engine has shown it.
void browsePage(benchmark::State& state) {
    DocumentWindow* doc = openPage(realPage(1024 * 1024), pagePath("browse.htm"));
    doc->tbsMain->setCurrentIndex(1);
    QWebEngineView* view = doc->webBrowser->view();
    doc->tbsMain->setCurrentIndex(0);
    int finished = 0;
    QObject::connect(view, &QWebEngineView::loadFinished, view, [&] { ++finished; });
    for (auto _ : state) {
        const int before = finished;
        if (!timeViewSwitch(state, doc, 1, [&] { return waitFor([&] { return finished > before; }); },
                            "the page never showed"))
            break;
    }
    closeAll();
}

// The floors: a plain web view given the same 200 KB page, and the page read back into a plain
// text editor; and the same 1 MB page loaded from its file.
void plainViewLoad(benchmark::State& state) {
    const QString page = realPage(200 * 1024);
    QWebEngineView view;
    view.resize(1000, 700);
    view.show();
    for (auto _ : state) {
        bool loaded = false;
        const auto c = QObject::connect(&view, &QWebEngineView::loadFinished, &view, [&] { loaded = true; });
        view.setHtml(page, QUrl::fromLocalFile(pagePath("x.htm")));
        waitFor([&] { return loaded; });
        QObject::disconnect(c);
    }
}

void plainViewReadBack(benchmark::State& state) {
    const QString page = realPage(200 * 1024);
    QWebEngineView view;
    view.resize(1000, 700);
    view.show();
    bool loaded = false;
    QObject::connect(&view, &QWebEngineView::loadFinished, &view, [&] { loaded = true; });
    view.setHtml(page, QUrl::fromLocalFile(pagePath("x.htm")));
    waitFor([&] { return loaded; });
    QPlainTextEdit editor;
    for (auto _ : state) {
        const QString html = runJs(&view, "document.documentElement.outerHTML", QWebEngineScript::MainWorld).toString();
        editor.setPlainText(html);
    }
}

void plainViewBrowse(benchmark::State& state) {
    const QString path = pagePath("plain.htm");
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(realPage(1024 * 1024).toUtf8());
    file.close();
    QWebEngineView view;
    view.resize(1000, 700);
    view.show();
    for (auto _ : state) {
        bool loaded = false;
        const auto c = QObject::connect(&view, &QWebEngineView::loadFinished, &view, [&] { loaded = true; });
        view.load(QUrl::fromLocalFile(path));
        waitFor([&] { return loaded; });
        QObject::disconnect(c);
        state.PauseTiming();
        view.setHtml(QString());
        waitFor([&] { return view.url().isEmpty() || view.url().scheme() == "data"; }, 2000);
        state.ResumeTiming();
    }
}

}  // namespace

BENCHMARK(editToDesign)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(plainViewLoad)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(designToEdit)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(plainViewReadBack)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(browsePage)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(plainViewBrowse)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    registerLocalPageScheme();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
