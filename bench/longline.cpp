// A page that is one long line (a minified page) of 1, 5 and 20 MB, coloured, lines wrapped and
// not: opening it; a key at the start, in the middle and at the end of the line; Backspace and
// Delete in the middle; a 100 KB paste at the start, in the middle and at the end, and the undo
// of the middle one. Each beside a plain QPlainTextEdit with a syntax highlighter doing the same
// in the same run, and beside a key in an ordinary page of the same size. Every figure includes
// the repaint. Qt runs offscreen.
//
// KAVRIN_BENCH_SIZES (e.g. "1,5") picks the sizes in MB; --benchmark_filter as usual
// ("/ours" or "/plain", "wrap:0" or "wrap:1").
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <tuple>
#include <map>
#include <memory>

#include "benchsupport.h"
#include "taghighlighter.h"
#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "mainwindow/mdiMain.h"
#include "platform/forms/dialoghooks.h"
#include "platform/forms/msgbox.h"
#include "platform/richtext/richtextbox.h"

using namespace kavrin;

namespace {

// Minified markup: tags with attributes, words, entities, no line break.
QString minified(qsizetype bytes) {
    QString text = QStringLiteral("<!DOCTYPE html><html><head><title>Catalogue</title></head><body><table>");
    text.reserve(bytes + 256);
    for (int i = 0; text.size() < bytes; ++i)
        text += QStringLiteral("<tr><td class=\"name\"><a href=\"page%1.html\">Item %1</a></td><td align=\"right\">"
                               "<font color=\"#336699\">%1.50</font></td><td><img src=\"i%1.gif\" alt=\"\"></td></tr>"
                               "<p>Some text with <b>bold</b> &amp; <i>italic</i> words.</p>")
                    .arg(i);
    return text;
}

std::string& stepName() {
    static std::string name;
    return name;
}

// ---- results -------------------------------------------------------------------------------

struct Cell {
    double ours = -1, plain = -1, normal = -1;
};
std::map<std::tuple<int, int, std::string>, Cell>& table() {
    static std::map<std::tuple<int, int, std::string>, Cell> t;
    return t;
}
std::vector<std::string>& rowOrder() {
    static std::vector<std::string> order;
    return order;
}
void note(int mb, bool wrap, const std::string& what, int column, double ms) {
    stepName().clear();
    if (std::find(rowOrder().begin(), rowOrder().end(), what) == rowOrder().end()) rowOrder().push_back(what);
    Cell& c = table()[{mb, wrap ? 1 : 0, what}];
    (column == 0 ? c.ours : column == 1 ? c.plain : c.normal) = ms;
}

// ---- both editors --------------------------------------------------------------------------

void sendKey(QWidget* w, int key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
    QApplication::sendEvent(w, &release);
}

// perf's control fifo, when KAVRIN_PERF_CTL names one (perf record -D -1 --control=fifo:...):
// the timed steps alone are recorded, or with KAVRIN_PERF_STEP those whose name holds it.
void perfRecording(bool on) {
    static FILE* ctl = qEnvironmentVariableIsSet("KAVRIN_PERF_CTL") ? std::fopen(qgetenv("KAVRIN_PERF_CTL").constData(), "w") : nullptr;
    static const std::string only = qgetenv("KAVRIN_PERF_STEP").toStdString();
    if (!ctl || (!only.empty() && stepName().find(only) == std::string::npos)) return;
    std::fputs(on ? "enable\n" : "disable\n", ctl);
    std::fflush(ctl);
}

// Times `step` with the event loop run after it: the queued handlers and the repaint.
template <typename F>
double timed(F&& step) {
    QApplication::processEvents();
    perfRecording(true);
    QElapsedTimer t;
    t.start();
    step();
    QApplication::processEvents();
    const double ms = double(t.nsecsElapsed()) / 1e6;
    perfRecording(false);
    return ms;
}

QTemporaryDir& workDir() {
    static QTemporaryDir dir;
    return dir;
}


// Opens the page through the main window's open path, coloured on opening.
double openOurs(const QString& page, bool wrap, DocumentWindow** opened) {
    kavrin::bench::startMainWindow();
    kavrin::bench::closeDocuments();
    wordWrap = wrap;
    const QString path = workDir().path() + "/page.html";
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(page.toUtf8());
    f.close();
    const double ms = timed([&] { mainWindow->openFile(path); });
    *opened = activeDocument();
    (*opened)->txtMain->setFocus();
    return ms;
}

std::unique_ptr<QPlainTextEdit> plainEditor(bool wrap) {
    auto edit = std::make_unique<QPlainTextEdit>();
    edit->resize(1000, 700);
    edit->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    edit->show();
    new TagHighlighter(edit->document());
    QApplication::processEvents();
    return edit;
}

// The steps, made the same way in both editors.
struct Editor {
    std::function<void(int)> caretTo;
    std::function<int()> length;
    std::function<void()> paste;
    std::function<void()> undo;
    QWidget* keys = nullptr;
};

void runSteps(int mb, bool wrap, int column, const Editor& ed) {
    const int size = ed.length();
    auto at = [&](const char* where) { return where[0] == 's' ? 0 : where[0] == 'm' ? size / 2 : ed.length(); };
    for (const char* where : {"start", "middle", "end"}) {
        ed.caretTo(at(where));
        stepName() = std::string("Key at the ") + where;
        note(mb, wrap, std::string("Key at the ") + where, column, timed([&] { sendKey(ed.keys, Qt::Key_X, QStringLiteral("x")); }));
    }
    ed.caretTo(size / 2);
    note(mb, wrap, "Backspace in the middle", column, timed([&] { sendKey(ed.keys, Qt::Key_Backspace, QString(QChar(8))); }));
    note(mb, wrap, "Delete in the middle", column, timed([&] { sendKey(ed.keys, Qt::Key_Delete, QString()); }));
    const int before = ed.length();
    for (const char* where : {"start", "end", "middle"}) {
        ed.caretTo(at(where));
        stepName() = std::string("Paste at the ") + where;
        note(mb, wrap, std::string("Paste 100 KB at the ") + where, column, timed(ed.paste));
    }
    stepName() = "Undo of the paste";
    note(mb, wrap, "Undo of the paste in the middle", column, timed(ed.undo));
    if (ed.length() != before + 2 * 100 * 1024) std::fprintf(stderr, "unexpected length after the steps\n");
}

std::vector<int> sizes() {
    std::vector<int> mb;
    const QByteArray env = qgetenv("KAVRIN_BENCH_SIZES");
    for (const QByteArray& s : (env.isEmpty() ? QByteArray("1,5,20") : env).split(',')) mb.push_back(qMax(1, s.toInt()));
    return mb;
}

void oneLine(benchmark::State& state) {
    const int mb = int(state.range(0));
    const bool wrap = state.range(1) == 1;
    const bool ours = state.range(2) == 1;
    const QString page = minified(qsizetype(mb) * 1024 * 1024);
    QApplication::clipboard()->setText(minified(100 * 1024).left(100 * 1024));
    for (auto _ : state) {
        if (ours) {
            DocumentWindow* doc = nullptr;
            const double open = openOurs(page, wrap, &doc);
            note(mb, wrap, "Open the page", 0, open);
            RichTextBox* box = doc->txtMain;
            Editor ed;
            ed.keys = box;
            ed.caretTo = [box](int at) {
                box->setSelStart(at);
                QApplication::processEvents();
            };
            ed.length = [box] { return box->textLength(); };
            ed.paste = [] { mainWindow->mnuEditPaste_Click(); };
            ed.undo = [] { mainWindow->mnuEditUndo_Click(); };
            runSteps(mb, wrap, 0, ed);
            state.SetIterationTime(open / 1000);
            kavrin::bench::closeDocuments();
            // A key in the middle of an ordinary page of the same size.
            const QString normal = kavrin::bench::cataloguePage(qsizetype(mb) * 1024 * 1024);
            openOurs(normal, wrap, &doc);
            doc->txtMain->setSelStart(int(normal.indexOf(QStringLiteral("long enough"), normal.size() / 2)));
            QApplication::processEvents();
            note(mb, wrap, "Key at the middle", 2, timed([&] { sendKey(doc->txtMain, Qt::Key_X, QStringLiteral("x")); }));
            note(mb, wrap, "Paste 100 KB at the middle", 2, timed([] { mainWindow->mnuEditPaste_Click(); }));
            note(mb, wrap, "Undo of the paste in the middle", 2, timed([] { mainWindow->mnuEditUndo_Click(); }));
            kavrin::bench::closeDocuments();
        } else {
            auto edit = plainEditor(wrap);
            const double open = timed([&] { edit->setPlainText(page); });
            note(mb, wrap, "Open the page", 1, open);
            QPlainTextEdit* e = edit.get();
            e->setFocus();
            Editor ed;
            ed.keys = e;
            ed.caretTo = [e](int at) {
                QTextCursor c = e->textCursor();
                c.setPosition(at);
                e->setTextCursor(c);
                QApplication::processEvents();
            };
            ed.length = [e] { return e->document()->characterCount() - 1; };
            ed.paste = [e] { e->paste(); };
            ed.undo = [e] { e->undo(); };
            runSteps(mb, wrap, 1, ed);
            state.SetIterationTime(open / 1000);
        }
    }
}

void printTable() {
    for (const int wrap : {0, 1}) {
        bool any = false;
        for (const auto& [key, cell] : table()) any = any || std::get<1>(key) == wrap;
        if (!any) continue;
        std::printf("\nLines %s (ms; the last column: the same in the middle of an ordinary page of that size)\n",
                    wrap ? "wrapped" : "not wrapped");
        std::printf("%-34s %6s %11s %15s %13s\n", "step", "size", "ours", "QPlainTextEdit", "ordinary page");
        for (const std::string& what : rowOrder()) {
            for (const int mb : sizes()) {
                const auto it = table().find({mb, wrap, what});
                if (it == table().end()) continue;
                const Cell& c = it->second;
                auto fmt = [](double v) { return v < 0 ? QByteArray("-") : QByteArray::number(v, 'f', 1); };
                std::printf("%-34s %4d MB %11s %15s %13s\n", what.c_str(), mb, fmt(c.ours).constData(),
                            fmt(c.plain).constData(), fmt(c.normal).constData());
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    for (const int wrap : {0, 1})
        for (const int mb : sizes())
            for (const int ours : {1, 0})
                benchmark::RegisterBenchmark((std::string("OneLine") + (ours ? "/ours" : "/plain")).c_str(), oneLine)
                    ->Args({mb, wrap, ours})
                    ->ArgNames({"MB", "wrap", ""})
                    ->UseManualTime()
                    ->Iterations(1)
                    ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printTable();
    kavrin::bench::closeDocuments();
    return 0;
}
