// Switching a document between its views on the real web engine: a key typed into Design on a
// 1 MB page until the engine shows it; a 200 KB page from Edit to Design; Edit to Design, a typed
// word and back at 100 KB, 1 MB and 10 MB, on a page of varied blocks and on a generated manual
// of one block repeated; the write-back of a one-word edit on its own at 1 MB and 10 MB; Browse
// of a page of 1, 10 and 20 MB until it is shown, a catalogue whose every section's picture is
// missing and a generated manual without pictures (and at 1 MB a plain web view given the
// catalogue by the program's server); Browse and Design of a page of 2,000 pictures until they
// show. Beside each, a plain web view (or plain string work) doing the least the same step
// needs. Qt runs offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <ctime>
#include <functional>
#include <unistd.h>

#include "benchsupport.h"
#include "documents/design/designmerge.h"
#include "documents/docfile.h"
#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "mainwindow/mdiMain.h"
#include "platform/web/dhtmledit.h"
#include "platform/system/openfilelimit.h"
#include "platform/web/webviews.h"

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

// A generated manual: one block over and over, paragraphs left open, raw "<" and ">" in the
// text; the block in the middle holds the anchor the word is typed at.
QString repeatedPage(qsizetype bytes) {
    const QString block = QStringLiteral(
        "<h2>%1Using the stream%2</h2>\r\n<p>Call deflate() while avail_in > 0\r\n<p>Check the return code\r\n"
        "<pre>\r\n    if (ret < 0) return ret;\r\n</pre>\r\n");
    const qsizetype count = bytes / (block.size() - 4);
    QString page = QStringLiteral("<html><head><title>zlib usage</title></head><body>\r\n");
    page.reserve(bytes + 1024);
    for (qsizetype i = 0; i < count; ++i)
        page += i == count / 2 ? block.arg(QStringLiteral("<a name=s0>"), QStringLiteral("</a>")) : block.arg(QString(), QString());
    page += QStringLiteral("</body></html>\r\n");
    return page;
}

// The page a round trip works on (0 varied blocks, 1 one block repeated), the anchor's name in
// the middle of it and the words the anchor starts with.
struct TripPage {
    QString page;
    int section;
    QString anchorText;
};

TripPage tripPage(benchmark::State& state) {
    const qsizetype bytes = state.range(0) * 1024;
    if (state.range(1) == 1) return {repeatedPage(bytes), 0, QStringLiteral("Using")};
    const QString page = realPage(bytes);
    const int section = int(page.count(QStringLiteral("<a name=s"))) / 2;
    return {page, section, QStringLiteral("Section %1").arg(section)};
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

// Writes the page as the file `name` in the benchmark's folder and gives its path.
QString writtenPage(const char* name, const QString& page) {
    const QString path = pagePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(page.toUtf8());
    return path;
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
        if (!timeViewSwitch(state, doc, 2, [&] { return waitFor([&] { return doc->dhtm->isReady(); }); },
                            "the design view never loaded"))
            break;
    closeAll();
}

// Types a word into the design view as the user does: key events to the widget with the focus.
void typeWord(DocumentWindow* doc, const QString& word) { QTest::keyClicks(doc->dhtm->view()->focusProxy(), word); }

// The anchor of the middle section of a page of `bytes`, where the word goes.
int middleSection(const QString& page) { return int(page.count(QStringLiteral("<a name=s"))) / 2; }

// Clicks into a section's heading, as the user does to give the page the keys, and puts the
// caret at the start of its text.
bool caretAtSection(QWebEngineView* view, int section) {
    const QVariantList box = runJs(view,
                                   QStringLiteral("(() => { const a = document.getElementsByName('s%1')[0]; if (!a) return [];"
                                                  "a.scrollIntoView(); const b = a.getBoundingClientRect();"
                                                  "return [b.left + b.width / 2, b.top + b.height / 2]; })()")
                                       .arg(section))
                                 .toList();
    if (box.size() != 2) return false;
    QTest::mouseClick(view->focusProxy(), Qt::LeftButton, {}, QPoint(box[0].toInt(), box[1].toInt()));
    // The click and the script reach the page by different ways: the caret is put only once the
    // click has, or the click would move it afterwards.
    const QString clicked = QStringLiteral("(() => { const a = document.getElementsByName('s%1')[0];"
                                           "const s = getSelection(); return !!a && s.rangeCount > 0 && a.contains(s.anchorNode); })()")
                                .arg(section);
    if (!waitFor([&] { return runJs(view, clicked).toBool(); }, 10000)) return false;
    return runJs(view, QStringLiteral("(() => { const a = document.getElementsByName('s%1')[0];"
                                                   "if (!a) return false; const r = document.createRange();"
                                                   "r.setStart(a.firstChild, 0); getSelection().removeAllRanges();"
                                                   "getSelection().addRange(r); return true; })()")
                                        .arg(section))
        .toBool();
}

double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Edit to Design, a word typed in the middle of the page, back to Edit: the change goes into the
// source as one undo step, the rest of the source unchanged. A run whose word did not land fails.
// "key_cpu_ms" is the main thread's own time for one keystroke, its report handled.
void designRoundTrip(benchmark::State& state) {
    const auto [page, section, anchorText] = tripPage(state);
    DocumentWindow* doc = openPage(page, pagePath("back.htm"));
    QString expected = page;
    expected.replace(QStringLiteral("<a name=s%1>%2").arg(section).arg(anchorText),
                     QStringLiteral("<a name=s%1>New %2").arg(section).arg(anchorText));
    // The engine's view is made before timing starts, as the floor's is.
    doc->dhtm->view();
    double keyCpu = 0;
    int keys = 0;
    double loadMs = 0, typeMs = 0, backMs = 0;
    QElapsedTimer phase;
    for (auto _ : state) {
        phase.start();
        doc->tbsMain->setCurrentIndex(2);
        if (!waitFor([&] { return doc->dhtm->isReady(); }, 120000) || !caretAtSection(doc->dhtm->view(), section)) {
            state.SkipWithError("the design view never loaded the page");
            break;
        }
        doc->dhtm->setFocus();
        loadMs += phase.restart();
        for (const QChar c : QStringLiteral("New ")) {
            int reports = 0;
            const auto counting = QObject::connect(doc->dhtm, &DhtmlEdit::DisplayChanged, [&] { ++reports; });
            const double before = threadCpuMs();
            typeWord(doc, QString(c));
            waitFor([&] { return reports > 0; }, 5000);
            keyCpu += threadCpuMs() - before;
            ++keys;
            QObject::disconnect(counting);
        }
        typeMs += phase.restart();
        doc->tbsMain->setCurrentIndex(0);
        const bool back = waitFor([&] { return doc->mode == 0; }, 120000);
        backMs += phase.restart();
        if (!back || doc->txtMain->text() != expected) {
            const QString got = doc->txtMain->text();
            qsizetype at = 0;
            while (at < got.size() && at < expected.size() && got[at] == expected[at]) ++at;
            qWarning().noquote() << "source differs at" << at << ":" << got.mid(qMax<qsizetype>(0, at - 60), 160)
                                 << "\nexpected:" << expected.mid(qMax<qsizetype>(0, at - 60), 160);
            state.SkipWithError("the typed word did not reach the source, or more than it did");
            break;
        }
        state.PauseTiming();
        doc->undoChange();
        state.ResumeTiming();
    }
    if (keys) state.counters["key_cpu_ms"] = keyCpu / keys;
    // Where the time goes: loading the page for editing, typing the word, and back to Edit.
    if (state.iterations()) {
        state.counters["load_ms"] = loadMs / double(state.iterations());
        state.counters["type_ms"] = typeMs / double(state.iterations());
        state.counters["back_ms"] = backMs / double(state.iterations());
    }
    closeAll();
}

// The floor: a plain web view given the same page in design mode, clicked into and the same word
// typed with keys, and the page read back into a plain text editor.
void plainDesignRoundTrip(benchmark::State& state) {
    const auto [page, section, anchorText] = tripPage(state);
    // From a file: a page given as a string may not exceed 2 MB.
    const QString path = writtenPage("floor.htm", page);
    QWebEngineView view;
    view.resize(1000, 700);
    view.show();
    view.setFocus();
    QPlainTextEdit editor;
    for (auto _ : state) {
        bool loaded = false;
        const auto c = QObject::connect(&view, &QWebEngineView::loadFinished, &view, [&] { loaded = true; });
        view.load(QUrl::fromLocalFile(path));
        waitFor([&] { return loaded; }, 120000);
        QObject::disconnect(c);
        runJs(&view, "document.designMode = 'on'");
        if (!caretAtSection(&view, section)) {
            state.SkipWithError("the page could not be clicked into");
            break;
        }
        QTest::keyClicks(view.focusProxy(), QStringLiteral("New "));
        const QString typed = QStringLiteral("document.getElementsByName('s%1')[0].textContent.startsWith('New ')").arg(section);
        waitFor([&] { return runJs(&view, typed).toBool(); }, 5000);
        const QString html = runJs(&view, "document.documentElement.outerHTML", QWebEngineScript::MainWorld).toString();
        if (!html.contains(QStringLiteral("New ") + anchorText)) {
            state.SkipWithError("the word did not land");
            break;
        }
        editor.setPlainText(html);
    }
}

// The write-back of a one-word edit on its own: the source, the engine's page as it loaded it
// (taken from the real engine once) and that page with the word typed into its middle section;
// the alignment of the two pages made once, as the document makes it when Design is entered.
struct WriteBack {
    QString source;
    QString loaded;
    QString edited;
    QString expected;
    DesignAlignment alignment;
};

// The pages of a write-back benchmark: its size in KB and its kind as for the round trip.
const WriteBack& writeBackPages(benchmark::State& state) {
    static QHash<QPair<qsizetype, qsizetype>, WriteBack> made;
    const QPair<qsizetype, qsizetype> key{state.range(0), state.range(1)};
    if (!made.contains(key)) {
        WriteBack& w = made[key];
        const auto [page, section, anchorText] = tripPage(state);
        w.source = page;
        DhtmlEdit edit;
        edit.resize(800, 600);
        edit.show();
        edit.setDocumentHTML(w.source);
        waitFor([&] { return edit.isReady(); }, 300000);
        w.loaded = edit.loadedHTML();
        w.edited = w.loaded;
        w.edited.replace(QStringLiteral("name=\"s%1\">%2").arg(section).arg(anchorText),
                         QStringLiteral("name=\"s%1\">New %2").arg(section).arg(anchorText));
        w.expected = w.source;
        w.expected.replace(QStringLiteral("<a name=s%1>%2").arg(section).arg(anchorText),
                           QStringLiteral("<a name=s%1>New %2").arg(section).arg(anchorText));
        w.alignment = DesignAlignment(w.source, w.loaded);
    }
    return made[key];
}

void designWriteBack(benchmark::State& state) {
    const WriteBack& w = writeBackPages(state);
    for (auto _ : state) {
        const QString result = designedSource(w.source, w.loaded, w.edited, PageCharset::Unicode, &w.alignment);
        if (result != w.expected) {
            state.SkipWithError("the word did not land, or more changed");
            break;
        }
    }
}

// The alignment itself, made once per page entering Design, off the user's thread.
void designAlignment(benchmark::State& state) {
    const WriteBack& w = writeBackPages(state);
    for (auto _ : state) {
        const DesignAlignment alignment(w.source, w.loaded);
        benchmark::DoNotOptimize(alignment.size());
    }
}

// The floor: the least any write-back does, reading the engine's two pages through to their
// first and last difference and putting that stretch into a copy of the source.
void plainWriteBack(benchmark::State& state) {
    const WriteBack& w = writeBackPages(state);
    for (auto _ : state) {
        const auto first = std::mismatch(w.loaded.cbegin(), w.loaded.cend(), w.edited.cbegin(), w.edited.cend());
        const auto last = std::mismatch(w.loaded.crbegin(), w.loaded.crend(), w.edited.crbegin(), w.edited.crend());
        const qsizetype from = first.first - w.loaded.cbegin();
        const qsizetype to = w.edited.size() - (last.second - w.edited.crbegin());
        QString result = w.source;
        result.insert(from, QStringView(w.edited).mid(from, to - from));
        benchmark::DoNotOptimize(result);
    }
}

// The page Browse is measured on: the first argument its size in MB; the second, when given and
// 1, a generated manual with no pictures rather than the catalogue, whose every section has a
// picture that is missing.
QString browsedPage(const benchmark::State& state) {
    const qsizetype bytes = state.range(0) * 1024 * 1024;
    return state.range(1) == 1 ? repeatedPage(bytes) : realPage(bytes);
}

// Browse of a page of 1, 10 or 20 MB until the engine has shown it: the copy of the text written
// beside the page, and the page loaded from the program's server.
void browsePage(benchmark::State& state) {
    DocumentWindow* doc = openPage(browsedPage(state), pagePath("browse.htm"));
    doc->tbsMain->setCurrentIndex(1);
    QWebEngineView* view = doc->webBrowser->view();
    doc->tbsMain->setCurrentIndex(0);
    int finished = 0;
    QObject::connect(view, &QWebEngineView::loadFinished, view, [&] { ++finished; });
    for (auto _ : state) {
        const int before = finished;
        if (!timeViewSwitch(state, doc, 1, [&] { return waitFor([&] { return finished > before; }, 600000); },
                            "the page never showed"))
            break;
    }
    closeAll();
}

// The floors: a plain web view given the same 200 KB page; and the page of the same size as
// Browse's loaded from its file.
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

// The size of Browse's view in the window openPage makes. The floors of Browse show their pages
// at it: the engine's time on a long page grows as the page narrows (a 5 MB page in a plain view
// of 437x416 took 15 s where at 1000x700 it took 11).
QSize browseViewSize() {
    static QSize size;
    if (size.isEmpty()) {
        DocumentWindow* doc = openPage(QString(), pagePath("size.htm"));
        doc->tbsMain->setCurrentIndex(1);
        QApplication::processEvents();
        size = doc->webBrowser->view()->size();
        closeAll();
    }
    return size;
}

// `through` gives the address the plain view loads the file from.
void plainViewBrowseThrough(benchmark::State& state, const std::function<QUrl(const QString&)>& through) {
    const QString path = writtenPage("plain.htm", browsedPage(state));
    const QSize size = browseViewSize();
    QWebEngineView view;
    view.resize(size);
    view.show();
    for (auto _ : state) {
        bool loaded = false;
        const auto c = QObject::connect(&view, &QWebEngineView::loadFinished, &view, [&] { loaded = true; });
        view.load(through(path));
        if (!waitFor([&] { return loaded; }, 600000)) {
            state.SkipWithError("the page never showed");
            break;
        }
        QObject::disconnect(c);
        state.PauseTiming();
        view.setHtml(QString());
        waitFor([&] { return view.url().isEmpty() || view.url().scheme() == "data"; }, 2000);
        state.ResumeTiming();
    }
}

void plainViewBrowse(benchmark::State& state) { plainViewBrowseThrough(state, &QUrl::fromLocalFile); }

// The same plain view given the file by the program's server on the loopback address, as Browse
// is, with no guard on its page: what the engine costs a page served over HTTP rather than by
// its own file loader, every missing picture asked of the server (Browse's guard stops those
// before they are asked).
void plainViewServer(benchmark::State& state) {
    localPageProfile();
    plainViewBrowseThrough(state, [](const QString& path) { return localPageUrl(path); });
}

// A page of 2,000 pictures, each a file of its own in the page's folder, as photo albums and
// generated manuals have them. Each run has an album of its own, so that no picture comes from
// the engine's memory of a run before.
constexpr int kPictures = 2000;

QString picturePage(int album) {
    const QString page = pagePath("album%1/album.htm").arg(album);
    if (QFile::exists(page)) return page;
    QDir().mkpath(QFileInfo(page).absolutePath() + "/pictures");
    const QByteArray png = QByteArray::fromBase64("iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8DwHwAFBQIAX8jx0gAAAABJRU5ErkJggg==");
    QString html = QStringLiteral("<html><head><title>Album</title></head><body>\r\n");
    for (int i = 0; i < kPictures; ++i) {
        QFile picture(QFileInfo(page).absolutePath() + QStringLiteral("/pictures/p%1.png").arg(i));
        picture.open(QIODevice::WriteOnly | QIODevice::Truncate);
        picture.write(png);
        html += QStringLiteral("<img src=\"pictures/p%1.png\" width=8 height=8>\r\n").arg(i);
    }
    html += QStringLiteral("</body></html>\r\n");
    QFile file(page);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(html.toUtf8());
    return page;
}

const QString kAllPicturesShown =
    QStringLiteral("Array.from(document.images).filter(i => i.complete && i.naturalWidth === 1).length");

// Waits for the page's load, which waits for its pictures, then sees that every one shows. A
// script run on the page while it loads would hold up its parser.
bool picturesShown(QWebEngineView* view, const std::function<void()>& show) {
    bool loaded = false;
    const auto c = QObject::connect(view, &QWebEngineView::loadFinished, view, [&] { loaded = true; });
    show();
    waitFor([&] { return loaded; }, 60000);
    QObject::disconnect(c);
    return loaded && runJs(view, kAllPicturesShown).toInt() == kPictures;
}

// Opens album `album` as a document, untimed.
DocumentWindow* openAlbum(benchmark::State& state, int album) {
    state.PauseTiming();
    const QString path = picturePage(album);
    QFile source(path);
    source.open(QIODevice::ReadOnly);
    mainWindow->openFile(path);
    QApplication::processEvents();
    state.ResumeTiming();
    return activeDocument();
}

// Browse of an album until every picture is shown.
void browsePictures(benchmark::State& state) {
    openPage(QString(), pagePath("empty.htm"));
    int album = 0;
    for (auto _ : state) {
        DocumentWindow* doc = openAlbum(state, album++);
        if (!picturesShown(doc->webBrowser->view(), [&] { doc->tbsMain->setCurrentIndex(1); })) {
            state.SkipWithError("the pictures never showed");
            break;
        }
    }
    closeAll();
}

// Design of an album until it can be edited: it waits for its pictures.
void designPictures(benchmark::State& state) {
    openPage(QString(), pagePath("empty.htm"));
    int album = 0;
    for (auto _ : state) {
        DocumentWindow* doc = openAlbum(state, album++);
        doc->tbsMain->setCurrentIndex(2);
        // Until every picture shows, as the floor waits.
        if (!waitFor([&] { return doc->dhtm->isReady() && runJs(doc->dhtm->view(), kAllPicturesShown).toInt() == kPictures; },
                     60000)) {
            state.SkipWithError("the design view never showed the pictures");
            break;
        }
    }
    closeAll();
}

// The floor: a plain web view loading an album from its file, its pictures through the engine's
// own file loader (in a profile of its own, where file pages may load files), at the size of
// Browse's view, until every picture is shown.
void plainViewPictures(benchmark::State& state) {
    const QSize size = browseViewSize();
    QWebEngineProfile profile;
    int album = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString path = picturePage(album++);
        auto* page = new QWebEnginePage(&profile);
        QWebEngineView view;
        view.setPage(page);
        view.resize(size);
        view.show();
        state.ResumeTiming();
        const bool shown = picturesShown(&view, [&] { view.load(QUrl::fromLocalFile(path)); });
        state.PauseTiming();
        delete page;
        state.ResumeTiming();
        if (!shown) {
            state.SkipWithError("the pictures never showed");
            break;
        }
    }
}


// ---- A key typed into Design on a long page ---------------------------------------------------

// Watches a page from a script world of its own, which nothing of ours uses: when a key reaches
// the page, when its change is in the page, and when the engine has laid out and painted the
// frame that shows it (a message posted from the first animation frame after the change is taken
// once that frame's work is done).
constexpr int kProbeWorld = 7;
const QString kProbe = QStringLiteral(
    "(() => { if (window.kvProbe) return true; const p = window.kvProbe = { state: 0 };"
    "window.addEventListener('keydown', () => { if (p.state !== 1) return; p.state = 2; p.down = performance.now(); }, true);"
    "const ch = new MessageChannel(); ch.port1.onmessage = () => { p.shown = performance.now(); p.state = 4; };"
    "new MutationObserver(() => { if (p.state !== 2) return; p.state = 3; p.changed = performance.now();"
    "  requestAnimationFrame(() => ch.port2.postMessage(0)); })"
    ".observe(document, { subtree: true, childList: true, characterData: true });"
    "return true; })()");

struct KeyTimes {
    double toChange = 0;  // the key's press in the page to its change of the page
    double toShown = 0;   // ... to the frame that shows the change
    int keys = 0;
};

// Types `word` a key at a time into the widget with the focus, each once the last has shown and
// what it set going has settled, and adds up the times.
bool timeKeys(QWebEngineView* view, QWidget* taker, const QString& word, KeyTimes& times) {
    if (!runJs(view, kProbe, kProbeWorld).toBool()) return false;
    for (const QChar c : word) {
        runJs(view, "kvProbe.state = 1", kProbeWorld);
        QTest::keyClick(taker, c.toLatin1());
        QVariantList got;
        if (!waitFor([&] {
                got = runJs(view, "kvProbe.state === 4 ? [kvProbe.down, kvProbe.changed, kvProbe.shown] : []", kProbeWorld).toList();
                return got.size() == 3;
            },
                     10000))
            return false;
        times.toChange += got[1].toDouble() - got[0].toDouble();
        times.toShown += got[2].toDouble() - got[0].toDouble();
        ++times.keys;
        QTest::qWait(100);
    }
    return true;
}

void keyCounters(benchmark::State& state, const KeyTimes& t) {
    if (!t.keys) return;
    state.counters["key_change_ms"] = t.toChange / t.keys;
    state.counters["key_shown_ms"] = t.toShown / t.keys;
}

// A key typed into Design at the middle section of the page, timed in the page from its press to
// the frame that shows it. Each run types a word, a key at a time.
void designKey(benchmark::State& state) {
    const auto [page, section, anchorText] = tripPage(state);
    DocumentWindow* doc = openPage(page, pagePath("key.htm"));
    doc->dhtm->view();
    doc->tbsMain->setCurrentIndex(2);
    if (!waitFor([&] { return doc->dhtm->isReady(); }, 120000) || !caretAtSection(doc->dhtm->view(), section)) {
        state.SkipWithError("the design view never loaded the page");
        closeAll();
        return;
    }
    doc->dhtm->setFocus();
    KeyTimes times;
    for (auto _ : state) {
        if (!timeKeys(doc->dhtm->view(), doc->dhtm->view()->focusProxy(), QStringLiteral("abcde"), times)) {
            state.SkipWithError("a key never showed");
            break;
        }
    }
    keyCounters(state, times);
    closeAll();
}

// The floor: a plain web view holding the same page in design mode, nothing of ours in it, the
// same keys at the same place.
void plainDesignKey(benchmark::State& state) {
    const auto [page, section, anchorText] = tripPage(state);
    const QString path = writtenPage("keyfloor.htm", page);
    QWebEngineView view;
    view.resize(1000, 700);
    view.show();
    bool loaded = false;
    QObject::connect(&view, &QWebEngineView::loadFinished, &view, [&] { loaded = true; });
    view.load(QUrl::fromLocalFile(path));
    waitFor([&] { return loaded; }, 120000);
    runJs(&view, "document.designMode = 'on'", QWebEngineScript::MainWorld);
    view.setFocus();
    if (!caretAtSection(&view, section)) {
        state.SkipWithError("the page could not be clicked into");
        return;
    }
    KeyTimes times;
    for (auto _ : state) {
        if (!timeKeys(&view, view.focusProxy(), QStringLiteral("abcde"), times)) {
            state.SkipWithError("a key never showed");
            break;
        }
    }
    const QString text = runJs(&view, QStringLiteral("document.getElementsByName('s%1')[0].textContent").arg(section),
                               QWebEngineScript::MainWorld)
                             .toString();
    if (!text.startsWith(QStringLiteral("abcde"))) state.SkipWithError("the keys did not land at the anchor");
    keyCounters(state, times);
}

}  // namespace

// A key at the middle of a 1 MB page, varied blocks and one block repeated, beside the floor ...
BENCHMARK(designKey)->Unit(benchmark::kMillisecond)->Args({1024, 0})->Iterations(3);
BENCHMARK(plainDesignKey)->Unit(benchmark::kMillisecond)->Args({1024, 0})->Iterations(3);
BENCHMARK(designKey)->Unit(benchmark::kMillisecond)->Args({1024, 1})->Iterations(3);
BENCHMARK(plainDesignKey)->Unit(benchmark::kMillisecond)->Args({1024, 1})->Iterations(3);
// ... and on pages of 10 and 20 MB, where loading takes most of a minute: a word each.
BENCHMARK(designKey)->Unit(benchmark::kMillisecond)->Args({10240, 0})->Args({20480, 0})->Iterations(1);
BENCHMARK(plainDesignKey)->Unit(benchmark::kMillisecond)->Args({10240, 0})->Args({20480, 0})->Iterations(1);
BENCHMARK(editToDesign)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(plainViewLoad)->Unit(benchmark::kMillisecond)->Iterations(5);
// A round trip at 100 KB takes well under a second and varies from run to run by a good part of
// itself: ten of them give a steadier mean than three.
// Arguments: the page's size in KB, and its kind (0 varied blocks, 1 one block repeated).
BENCHMARK(designRoundTrip)->Unit(benchmark::kMillisecond)->Args({100, 0})->Args({100, 1})->Iterations(10);
BENCHMARK(designRoundTrip)->Unit(benchmark::kMillisecond)->Args({1024, 0})->Args({10240, 0})->Iterations(3);
BENCHMARK(designRoundTrip)->Unit(benchmark::kMillisecond)->Args({1024, 1})->Args({10240, 1})->Iterations(3);
BENCHMARK(plainDesignRoundTrip)->Unit(benchmark::kMillisecond)->Args({100, 0})->Args({100, 1})->Iterations(10);
BENCHMARK(plainDesignRoundTrip)->Unit(benchmark::kMillisecond)->Args({1024, 0})->Args({10240, 0})->Iterations(3);
BENCHMARK(plainDesignRoundTrip)->Unit(benchmark::kMillisecond)->Args({1024, 1})->Args({10240, 1})->Iterations(3);
// At 20 MB a run takes about a minute: one of each.
BENCHMARK(designRoundTrip)->Unit(benchmark::kMillisecond)->Args({20480, 0})->Args({20480, 1})->Iterations(1);
BENCHMARK(plainDesignRoundTrip)->Unit(benchmark::kMillisecond)->Args({20480, 0})->Args({20480, 1})->Iterations(1);
BENCHMARK(designWriteBack)->Unit(benchmark::kMillisecond)->Args({1024, 0})->Args({10240, 0})->Args({1024, 1})->Args({10240, 1})->Iterations(10);
BENCHMARK(designAlignment)->Unit(benchmark::kMillisecond)->Args({1024, 0})->Args({10240, 0})->Args({1024, 1})->Args({10240, 1})->Iterations(5);
BENCHMARK(plainWriteBack)->Unit(benchmark::kMillisecond)->Args({1024, 0})->Args({10240, 0})->Args({1024, 1})->Args({10240, 1})->Iterations(10);
// Each size of Browse right beside its floor, so that both run under the same load.
// Argument: the page's size in MB.
BENCHMARK(browsePage)->Unit(benchmark::kMillisecond)->Args({1, 0})->Iterations(5);
BENCHMARK(plainViewBrowse)->Unit(benchmark::kMillisecond)->Args({1, 0})->Iterations(5);
BENCHMARK(plainViewServer)->Unit(benchmark::kMillisecond)->Args({1, 0})->Iterations(5);
BENCHMARK(browsePage)->Unit(benchmark::kMillisecond)->Args({10, 0})->Iterations(5);
BENCHMARK(plainViewBrowse)->Unit(benchmark::kMillisecond)->Args({10, 0})->Iterations(5);
BENCHMARK(browsePage)->Unit(benchmark::kMillisecond)->Args({20, 0})->Iterations(3);
BENCHMARK(plainViewBrowse)->Unit(benchmark::kMillisecond)->Args({20, 0})->Iterations(3);
BENCHMARK(browsePage)->Unit(benchmark::kMillisecond)->Args({1, 1})->Iterations(5);
BENCHMARK(plainViewBrowse)->Unit(benchmark::kMillisecond)->Args({1, 1})->Iterations(5);
BENCHMARK(browsePage)->Unit(benchmark::kMillisecond)->Args({10, 1})->Iterations(5);
BENCHMARK(plainViewBrowse)->Unit(benchmark::kMillisecond)->Args({10, 1})->Iterations(5);
BENCHMARK(browsePage)->Unit(benchmark::kMillisecond)->Args({20, 1})->Iterations(3);
BENCHMARK(plainViewBrowse)->Unit(benchmark::kMillisecond)->Args({20, 1})->Iterations(3);
BENCHMARK(browsePictures)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(designPictures)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(plainViewPictures)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    registerLocalPageScheme();
    // As the program does: a page of thousands of pictures needs more open files than a desktop
    // session gives by default.
    allowManyOpenFiles();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
