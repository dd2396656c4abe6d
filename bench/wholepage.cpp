// Whole-page commands on large pages, each beside a plain QPlainTextEdit with a syntax highlighter
// making the same edits in the same run: Select All + Indent, Replace All, the undo of each,
// upper-casing the page, pasting 100 KB and cutting 100 KB with the undo and redo of each, whole-page colouring, opening a page, one keystroke,
// peak memory, start-up of a fresh process to the coloured page, and a page of one 5 MB line.
// Sizes 100 KB, 1, 10 and 20 MB; the table at the end gives each figure with the plain editor's
// beside it and their ratio. Qt runs offscreen.
//
// --benchmark_filter picks benchmarks as usual; KAVRIN_BENCH_SIZES (e.g. "0.1,1") the sizes;
// KAVRIN_BENCH_REPEAT how many times each runs (the table gives the least);
// KAVRIN_PERF_CTL a perf control fifo, so that perf records the timed steps alone.
#include <benchmark/benchmark.h>

#include <functional>

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QProcess>
#include <QSyntaxHighlighter>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>
#include <map>
#include <memory>

#include "benchsupport.h"
#include "taghighlighter.h"
#include "documents/colouring/colorcoding.h"
#include "documents/docfile.h"
#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "mainwindow/mdiMain.h"
#include "platform/forms/dialoghooks.h"
#include "platform/forms/msgbox.h"
#include "platform/richtext/richtextbox.h"
#include "tools/frmReplace.h"

using namespace kavrin;

namespace {

// ---- pages -------------------------------------------------------------------------------------

QString pageText(qsizetype bytes) { return kavrin::bench::cataloguePage(bytes); }

// A page whose body is one line of `bytes` characters without a blank, as an inline picture.
QString longLinePage(qsizetype bytes) {
    QString page = QStringLiteral("<html>\r\n<body>\r\n<p><img src=\"data:image/png;base64,");
    static const QString chunk = QStringLiteral("iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNk+M9QDwADhgGAWjR9awAAAABJRU5ErkJggg");
    while (page.size() < bytes) page += chunk;
    page += QStringLiteral("\"></p>\r\n</body>\r\n</html>\r\n");
    return page;
}

const QString& cachedPage(int kb) {
    static std::map<int, QString> pages;
    auto it = pages.find(kb);
    if (it == pages.end()) it = pages.emplace(kb, pageText(qsizetype(kb) * 1024)).first;
    return it->second;
}

QString withLf(QString text) { return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }

QString pastedText() {
    QString t;
    for (int i = 0; t.size() < 100 * 1024; ++i)
        t += QStringLiteral("<tr><td>cell %1</td><td><a href=\"x%1\">link</a></td></tr>\r\n<!-- note -->\r\n").arg(i);
    return t;
}

// ---- results table -----------------------------------------------------------------------------

struct Cell {
    double ours = -1, plain = -1;
};
std::map<std::pair<std::string, int>, Cell>& table() {
    static std::map<std::pair<std::string, int>, Cell> t;
    return t;
}
// The table keeps the least of the repeats: on a shared machine the others carry its noise.
void note(benchmark::State& state, const std::string& what, int kb, bool ours, double ms) {
    Cell& c = table()[{what, kb}];
    double& cell = ours ? c.ours : c.plain;
    cell = cell < 0 ? ms : qMin(cell, ms);
    state.counters["ms"] = ms;
}

// ---- our editor --------------------------------------------------------------------------------

void setColours() { kavrin::bench::useBenchColours(); }

QTemporaryDir& workDir() {
    static QTemporaryDir dir;
    return dir;
}

void startMain() {
    if (mainWindow) return;
    kavrin::bench::startMainWindow();
    wordWrap = false;
}

void closeAll() { kavrin::bench::closeDocuments(); }

// Opens the page through the main window's open path, coloured on opening.
DocumentWindow* openPage(const QString& page, const QString& name = QStringLiteral("page.html")) {
    startMain();
    closeAll();
    const QString path = workDir().path() + "/" + name;
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(page.toUtf8());
    f.close();
    mainWindow->openFile(path);
    QApplication::processEvents();
    DocumentWindow* doc = activeDocument();
    doc->txtMain->setFocus();
    return doc;
}

// ---- the plain editor --------------------------------------------------------------------------

struct Plain {
    std::unique_ptr<QPlainTextEdit> edit;
    TagHighlighter* highlighter = nullptr;
};

Plain plainEditor(const QString& page) {
    Plain p;
    p.edit = std::make_unique<QPlainTextEdit>();
    p.edit->resize(1000, 700);
    p.edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    p.edit->show();
    p.highlighter = new TagHighlighter(p.edit->document());
    p.edit->setPlainText(withLf(page));
    QApplication::processEvents();
    return p;
}

void sendKey(QWidget* w, int key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
    QApplication::sendEvent(w, &release);
    QApplication::processEvents();
}

// perf's control fifo, when KAVRIN_PERF_CTL names one (perf record -D -1 --control=fifo:...):
// the timed steps alone are recorded.
FILE* perfControl() {
    static FILE* ctl = qEnvironmentVariableIsSet("KAVRIN_PERF_CTL") ? std::fopen(qgetenv("KAVRIN_PERF_CTL").constData(), "w") : nullptr;
    return ctl;
}
void perfRecording(bool on) {
    if (FILE* ctl = perfControl()) {
        std::fputs(on ? "enable\n" : "disable\n", ctl);
        std::fflush(ctl);
    }
}

// Times `step`, with the event loop run after it (the repaint and the queued handlers).
template <typename F>
double timed(F&& step) {
    perfRecording(true);
    struct Off {
        ~Off() { perfRecording(false); }
    } off;
    QElapsedTimer t;
    t.start();
    step();
    QApplication::processEvents();
    return double(t.nsecsElapsed()) / 1e6;
}

int kbOf(const benchmark::State& state) { return int(state.range(0)); }
bool oursOf(const benchmark::State& state) { return state.range(1) == 1; }

// ---- the commands ------------------------------------------------------------------------------

void Indent(benchmark::State& state) {
    const QString& page = cachedPage(kbOf(state));
    for (auto _ : state) {
        double ms;
        if (oursOf(state)) {
            DocumentWindow* doc = openPage(page);
            mainWindow->mnuEditSelectAll_Click();
            ms = timed([] { mainWindow->mnuEditIndent_Click(); });
            if (doc->txtMain->textLength() <= page.size()) state.SkipWithError("nothing indented");
        } else {
            Plain p = plainEditor(page);
            ms = timed([&] {
                QTextCursor c(p.edit->document());
                c.beginEditBlock();
                for (QTextBlock b = p.edit->document()->firstBlock(); b.isValid(); b = b.next()) {
                    c.setPosition(b.position());
                    c.insertText(QStringLiteral("    "));
                }
                c.endEditBlock();
            });
        }
        state.SetIterationTime(ms / 1000);
        note(state, "Select All + Indent", kbOf(state), oursOf(state), ms);
    }
}

void UndoIndent(benchmark::State& state) {
    const QString& page = cachedPage(kbOf(state));
    for (auto _ : state) {
        double ms;
        if (oursOf(state)) {
            DocumentWindow* doc = openPage(page);
            mainWindow->mnuEditSelectAll_Click();
            mainWindow->mnuEditIndent_Click();
            QApplication::processEvents();
            ms = timed([] { mainWindow->mnuEditUndo_Click(); });
            if (doc->txtMain->text() != page) state.SkipWithError("undo did not restore the page");
        } else {
            Plain p = plainEditor(page);
            QTextCursor c(p.edit->document());
            c.beginEditBlock();
            for (QTextBlock b = p.edit->document()->firstBlock(); b.isValid(); b = b.next()) {
                c.setPosition(b.position());
                c.insertText(QStringLiteral("    "));
            }
            c.endEditBlock();
            QApplication::processEvents();
            ms = timed([&] { p.edit->undo(); });
        }
        state.SetIterationTime(ms / 1000);
        note(state, "Undo of Indent", kbOf(state), oursOf(state), ms);
    }
}

// Replaces every "Item" by "Entry", as Replace All does it, or in the plain editor's one pass.
int plainReplaceAll(QPlainTextEdit* edit, const QString& find, const QString& with) {
    const QString text = edit->toPlainText();
    QTextCursor c(edit->document());
    c.beginEditBlock();
    int count = 0;
    qsizetype delta = 0;
    for (qsizetype at = text.indexOf(find, 0, Qt::CaseInsensitive); at >= 0;
         at = text.indexOf(find, at + find.size(), Qt::CaseInsensitive)) {
        c.setPosition(int(at + delta));
        c.setPosition(int(at + delta + find.size()), QTextCursor::KeepAnchor);
        c.insertText(with);
        delta += with.size() - find.size();
        ++count;
    }
    c.endEditBlock();
    return count;
}

void oursReplaceAll(const QString& find, const QString& with) {
    mainWindow->mnuEditFindReplace_Click();
    frmReplace* f = replaceForm();
    f->txtFind->setText(find);
    f->txtReplace->setText(with);
    f->cmdReplaceAll->click();
    f->cmdClose->click();
}

void ReplaceAll(benchmark::State& state) {
    const QString& page = cachedPage(kbOf(state));
    for (auto _ : state) {
        double ms;
        int hits = 0;
        if (oursOf(state)) {
            DocumentWindow* doc = openPage(page);
            doc->txtMain->setSelStart(0);
            ms = timed([] { oursReplaceAll("Item", "Entry"); });
            hits = doc->undoI;
        } else {
            Plain p = plainEditor(page);
            ms = timed([&] { hits = plainReplaceAll(p.edit.get(), "Item", "Entry"); });
        }
        state.counters["hits"] = hits;
        state.SetIterationTime(ms / 1000);
        note(state, "Replace All", kbOf(state), oursOf(state), ms);
    }
}

void UndoReplaceAll(benchmark::State& state) {
    const QString& page = cachedPage(kbOf(state));
    for (auto _ : state) {
        double ms;
        if (oursOf(state)) {
            openPage(page);
            oursReplaceAll("Item", "Entry");
            QApplication::processEvents();
            // Each replacement is one step: this is the Undo command after Replace All.
            ms = timed([] { mainWindow->mnuEditUndo_Click(); });
        } else {
            Plain p = plainEditor(page);
            plainReplaceAll(p.edit.get(), "Item", "Entry");
            QApplication::processEvents();
            ms = timed([&] { p.edit->undo(); });
        }
        state.SetIterationTime(ms / 1000);
        note(state, "Undo of Replace All (one step)", kbOf(state), oursOf(state), ms);
    }
}

void Uppercase(benchmark::State& state) {
    const QString& page = cachedPage(kbOf(state));
    for (auto _ : state) {
        double ms;
        if (oursOf(state)) {
            DocumentWindow* doc = openPage(page);
            mainWindow->mnuEditSelectAll_Click();
            ms = timed([] { mainWindow->mnuToolsFormatUppercase_Click(); });
            if (doc->txtMain->text() != page.toUpper()) state.SkipWithError("not upper-cased");
        } else {
            Plain p = plainEditor(page);
            ms = timed([&] {
                QTextCursor c(p.edit->document());
                c.select(QTextCursor::Document);
                c.insertText(c.selectedText().toUpper());
            });
        }
        state.SetIterationTime(ms / 1000);
        note(state, "Upper-case the page", kbOf(state), oursOf(state), ms);
    }
}

void UndoUppercase(benchmark::State& state) {
    const QString& page = cachedPage(kbOf(state));
    for (auto _ : state) {
        double ms;
        if (oursOf(state)) {
            DocumentWindow* doc = openPage(page);
            mainWindow->mnuEditSelectAll_Click();
            mainWindow->mnuToolsFormatUppercase_Click();
            QApplication::processEvents();
            ms = timed([] { mainWindow->mnuEditUndo_Click(); });
            if (doc->txtMain->text() != page) state.SkipWithError("undo did not restore the page");
        } else {
            Plain p = plainEditor(page);
            QTextCursor c(p.edit->document());
            c.select(QTextCursor::Document);
            c.insertText(c.selectedText().toUpper());
            QApplication::processEvents();
            ms = timed([&] { p.edit->undo(); });
        }
        state.SetIterationTime(ms / 1000);
        note(state, "Undo of upper-case", kbOf(state), oursOf(state), ms);
    }
}

// 100 KB pasted at the start of a row in the middle of the page; `timedStep` 0 times the paste,
// 1 the undo after it, 2 the redo after that undo.
void pasteStep(benchmark::State& state, int timedStep, const char* row) {
    const QString& page = cachedPage(kbOf(state));
    static const QString pasted = pastedText();
    QApplication::clipboard()->setText(withLf(pasted));
    const qsizetype at = page.indexOf(QStringLiteral("<tr>"), page.size() / 2);
    for (auto _ : state) {
        double ms;
        if (oursOf(state)) {
            DocumentWindow* doc = openPage(page);
            doc->txtMain->setSelStart(int(at));
            const std::function<void()> steps[] = {[] { mainWindow->mnuEditPaste_Click(); },
                                                   [] { mainWindow->mnuEditUndo_Click(); },
                                                   [] { mainWindow->mnuEditRedo_Click(); }};
            for (int i = 0; i < timedStep; ++i) {
                steps[i]();
                QApplication::processEvents();
            }
            ms = timed(steps[timedStep]);
            const qsizetype expected = timedStep == 1 ? page.size() : page.size() + pasted.size();
            if (doc->txtMain->textLength() != expected) state.SkipWithError("the step did not give the expected text");
        } else {
            Plain p = plainEditor(page);
            QTextCursor c(p.edit->document());
            c.setPosition(int(withLf(page).indexOf(QStringLiteral("<tr>"), page.size() / 2)));
            p.edit->setTextCursor(c);
            QPlainTextEdit* edit = p.edit.get();
            const std::function<void()> steps[] = {[edit] { edit->paste(); }, [edit] { edit->undo(); },
                                                   [edit] { edit->redo(); }};
            for (int i = 0; i < timedStep; ++i) {
                steps[i]();
                QApplication::processEvents();
            }
            ms = timed(steps[timedStep]);
        }
        state.SetIterationTime(ms / 1000);
        note(state, row, kbOf(state), oursOf(state), ms);
    }
}

void Paste(benchmark::State& state) { pasteStep(state, 0, "Paste 100 KB"); }
void UndoPaste(benchmark::State& state) { pasteStep(state, 1, "Undo of paste"); }
void RedoPaste(benchmark::State& state) { pasteStep(state, 2, "Redo of paste"); }

// 100 KB cut from the middle of the page, from the start of a row; `redo` times the redo after
// the undo, else the undo.
void cutStep(benchmark::State& state, bool redo) {
    const QString& page = cachedPage(kbOf(state));
    const qsizetype at = page.indexOf(QStringLiteral("<tr>"), page.size() / 2);
    const int length = int(qMin<qsizetype>(100 * 1024, page.size() - at));
    const char* what = redo ? "Redo of Cut 100 KB" : "Undo of Cut 100 KB";
    for (auto _ : state) {
        double ms;
        if (oursOf(state)) {
            DocumentWindow* doc = openPage(page);
            doc->txtMain->select(int(at), length);
            mainWindow->mnuEditCut_Click();
            QApplication::processEvents();
            if (redo) {
                mainWindow->mnuEditUndo_Click();
                QApplication::processEvents();
                ms = timed([] { mainWindow->mnuEditRedo_Click(); });
                if (doc->txtMain->textLength() != page.size() - length) state.SkipWithError("redo did not cut again");
            } else {
                ms = timed([] { mainWindow->mnuEditUndo_Click(); });
                if (doc->txtMain->text() != page) state.SkipWithError("undo did not restore the page");
            }
        } else {
            Plain p = plainEditor(page);
            const QString lf = withLf(page);
            const qsizetype from = lf.indexOf(QStringLiteral("<tr>"), page.size() / 2);
            const qsizetype breaks = page.mid(at, length).count(QStringLiteral("\r\n"));
            QTextCursor c(p.edit->document());
            c.setPosition(int(from));
            c.setPosition(int(from + length - breaks), QTextCursor::KeepAnchor);
            p.edit->setTextCursor(c);
            p.edit->cut();
            QApplication::processEvents();
            if (redo) {
                p.edit->undo();
                QApplication::processEvents();
                ms = timed([&] { p.edit->redo(); });
            } else {
                ms = timed([&] { p.edit->undo(); });
            }
        }
        state.SetIterationTime(ms / 1000);
        note(state, what, kbOf(state), oursOf(state), ms);
    }
}

void UndoCut(benchmark::State& state) { cutStep(state, false); }
void RedoCut(benchmark::State& state) { cutStep(state, true); }

void Colour(benchmark::State& state) {
    const QString& page = cachedPage(kbOf(state));
    for (auto _ : state) {
        double ms;
        if (oursOf(state)) {
            DocumentWindow* doc = openPage(page);
            // As a page shown in black before its first colouring.
            doc->txtMain->setRangeColor(0, doc->txtMain->textLength(), 0);
            QApplication::processEvents();
            ms = timed([doc] { colorCodeDocument(doc); });
        } else {
            Plain p = plainEditor(page);
            ms = timed([&] { p.highlighter->rehighlight(); });
        }
        state.SetIterationTime(ms / 1000);
        note(state, "Whole-page colouring", kbOf(state), oursOf(state), ms);
    }
}

void Open(benchmark::State& state) {
    const QString& page = cachedPage(kbOf(state));
    const QString path = workDir().path() + "/open.html";
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(page.toUtf8());
    }
    for (auto _ : state) {
        double ms;
        if (oursOf(state)) {
            startMain();
            closeAll();
            ms = timed([&] { mainWindow->openFile(path); });
            if (!activeDocument() || activeDocument()->txtMain->tag != "T") state.SkipWithError("not opened coloured");
        } else {
            auto edit = std::make_unique<QPlainTextEdit>();
            edit->resize(1000, 700);
            edit->setLineWrapMode(QPlainTextEdit::NoWrap);
            edit->show();
            QApplication::processEvents();
            ms = timed([&] {
                QFile f(path);
                f.open(QIODevice::ReadOnly);
                new TagHighlighter(edit->document());
                edit->setPlainText(QString::fromUtf8(f.readAll()));
            });
        }
        state.SetIterationTime(ms / 1000);
        note(state, "Open a page", kbOf(state), oursOf(state), ms);
    }
}

// One character typed in a paragraph in the middle of the page, and the Backspace that takes it
// away again, each timed on its own.
void Keystroke(benchmark::State& state) {
    const QString& page = cachedPage(kbOf(state));
    DocumentWindow* doc = nullptr;
    Plain p;
    QWidget* target;
    if (oursOf(state)) {
        doc = openPage(page);
        doc->txtMain->setSelStart(int(page.indexOf(QStringLiteral("long enough"), page.size() / 2)));
        target = doc->txtMain;
    } else {
        p = plainEditor(page);
        QTextCursor c(p.edit->document());
        c.setPosition(int(withLf(page).indexOf(QStringLiteral("long enough"), page.size() / 2)));
        p.edit->setTextCursor(c);
        p.edit->setFocus();
        target = p.edit.get();
    }
    QApplication::processEvents();
    double total = 0, back = 0;
    int n = 0;
    for (auto _ : state) {
        const double ms = timed([&] { sendKey(target, Qt::Key_X, QStringLiteral("x")); });
        back += timed([&] { sendKey(target, Qt::Key_Backspace, QString(QChar(8))); });
        state.SetIterationTime(ms / 1000);
        total += ms;
        ++n;
    }
    if (doc && doc->txtMain->text() != page) state.SkipWithError("the page changed");
    note(state, "One keystroke", kbOf(state), oursOf(state), total / qMax(1, n));
    note(state, "The Backspace that takes it away", kbOf(state), oursOf(state), back / qMax(1, n));
}

// Opening a page of one long line (arg 0: its length in KB), and one keystroke in that line.
void LongLine(benchmark::State& state) {
    const QString page = longLinePage(qsizetype(kbOf(state)) * 1024);
    const int inLine = int(page.size() / 2);
    for (auto _ : state) {
        double open, key;
        if (oursOf(state)) {
            startMain();
            closeAll();
            const QString path = workDir().path() + "/long.html";
            QFile f(path);
            f.open(QIODevice::WriteOnly | QIODevice::Truncate);
            f.write(page.toUtf8());
            f.close();
            open = timed([&] { mainWindow->openFile(path); });
            DocumentWindow* doc = activeDocument();
            doc->txtMain->setSelStart(inLine);
            doc->txtMain->setFocus();
            QApplication::processEvents();
            key = timed([&] { sendKey(doc->txtMain, Qt::Key_X, QStringLiteral("x")); });
            if (doc->txtMain->textLength() != page.size() + 1) state.SkipWithError("the key was lost");
        } else {
            auto edit = std::make_unique<QPlainTextEdit>();
            edit->resize(1000, 700);
            edit->setLineWrapMode(QPlainTextEdit::NoWrap);
            edit->show();
            QApplication::processEvents();
            open = timed([&] {
                new TagHighlighter(edit->document());
                edit->setPlainText(withLf(page));
            });
            QTextCursor c(edit->document());
            c.setPosition(inLine);
            edit->setTextCursor(c);
            edit->setFocus();
            QApplication::processEvents();
            key = timed([&] { sendKey(edit.get(), Qt::Key_X, QStringLiteral("x")); });
        }
        state.SetIterationTime(open / 1000);
        note(state, "Open a one-line page", kbOf(state), oursOf(state), open);
        note(state, "Keystroke in the long line", kbOf(state), oursOf(state), key);
    }
}

// Peak memory of a fresh process that opens the page coloured and shows it; and the peak of a
// whole-page colouring of the open page on its own, above what the process held before it.
void PeakMemory(benchmark::State& state) {
    for (auto _ : state) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--memory-child"), oursOf(state) ? "ours" : "plain", QString::number(kbOf(state))});
        child.waitForFinished(-1);
        const QList<QByteArray> out = child.readAllStandardOutput().trimmed().split(' ');
        const double mb = out.value(0).toDouble();
        state.SetIterationTime(1);
        note(state, "Peak memory (MB)", kbOf(state), oursOf(state), mb);
        state.counters["MB"] = mb;
        if (out.size() == 2) note(state, "Colouring above the open page (MB)", kbOf(state), oursOf(state), out[1].toDouble());
    }
}

double residentMegabytes() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    return 0;
}

// Starts the high-water mark again from what the process holds now; false where it cannot.
bool resetPeak() {
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    return f.open(QIODevice::WriteOnly) && f.write("5") == 1;
}

// The process's own high-water mark: unlike getrusage's, it does not carry over the parent's
// through fork and exec.
double peakMegabytes() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) {
        rusage ru{};
        getrusage(RUSAGE_SELF, &ru);
        return double(ru.ru_maxrss) / 1024;
    }
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    return 0;
}

int memoryChild(bool ours, int kb) {
    const QString page = pageText(qsizetype(kb) * 1024);
    Plain p;
    if (ours)
        openPage(page);
    else
        p = plainEditor(page);
    QApplication::processEvents();
    const double open = peakMegabytes();
    // The page coloured again from scratch, as Refresh colours it.
    double colouring = -1;
    const double before = residentMegabytes();
    if (resetPeak()) {
        if (ours) {
            DocumentWindow* doc = activeDocument();
            doc->txtMain->setRangeColor(0, doc->txtMain->textLength(), 0);
            QApplication::processEvents();
            colorCodeDocument(doc);
        } else {
            p.highlighter->rehighlight();
        }
        QApplication::processEvents();
        colouring = peakMegabytes() - before;
    }
    if (colouring >= 0)
        std::printf("%.1f %.1f\n", open, colouring);
    else
        std::printf("%.1f\n", open);
    std::fflush(stdout);
    std::_Exit(0);
}

// ---- start-up to the coloured page -------------------------------------------------------------

// Started on main()'s first line, before the application object: a start-up child's clock.
QElapsedTimer& sinceMain() {
    static QElapsedTimer t;
    return t;
}

double msSinceMain() { return double(sinceMain().nsecsElapsed()) / 1e6; }

// Notes the first paint that shows the page coloured: `coloured` is asked on each paint event
// (only those), with the widget painted, and tells whether that is the editor's viewport with
// the page in colour.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(std::function<bool(QObject*)> coloured) : coloured_(std::move(coloured)) {}
    bool painted() const { return painted_; }
    // Runs the event loop until that paint, or `limitMs` have gone by; false then.
    bool wait(int limitMs) {
        if (painted_) return true;
        QEventLoop loop;
        loop_ = &loop;
        QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
        loop.exec();
        loop_ = nullptr;
        return painted_;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!painted_ && event->type() == QEvent::Paint && coloured_(watched)) {
            painted_ = true;
            // After the paint itself, which the filter comes before.
            if (loop_) QTimer::singleShot(0, loop_, &QEventLoop::quit);
        }
        return false;
    }

private:
    std::function<bool(QObject*)> coloured_;
    QEventLoop* loop_ = nullptr;
    bool painted_ = false;
};

// Keeps running the event loop until `done` holds, or `limitMs` from main() have gone by.
bool runUntil(const std::function<bool()>& done, int limitMs) {
    while (!done()) {
        if (msSinceMain() > limitMs) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
}

// A page that does not show coloured within this is taken as never coloured.
constexpr int kStartUpLimitMs = 120000;

int startUpFailed(const char* why) {
    std::printf("error %s\n", why);
    std::fflush(stdout);
    std::_Exit(1);
}

// A fresh process from main() to the first paint of the page opened coloured, and on to the end
// of its colouring. Prints both in ms, or "error" and the reason. `firstTag` and `lastTag` are
// offsets of the first and the last '<' of the page, with CR LF breaks.
int startUpChild(bool ours, const QString& path, int firstTag, int lastTag) {
    if (ours) {
        startMain();
        // The window may paint the page inside openFile (the colouring's progress bar runs the
        // event loop): the watch is on before it, on whichever editor holds the page.
        FirstPaint watch([firstTag](QObject* o) {
            auto* box = qobject_cast<RichTextBox*>(o->parent());
            return box && box->viewport() == o && box->textLength() > firstTag && box->colorAt(firstTag) != 0;
        });
        qApp->installEventFilter(&watch);
        mainWindow->openFile(path);
        DocumentWindow* doc = activeDocument();
        if (!doc || doc->filePath != path) startUpFailed("the page was not opened");
        if (doc->txtMain->tag != "T") startUpFailed("the page was not coloured on opening");
        if (!watch.wait(kStartUpLimitMs)) startUpFailed("the page was never painted coloured");
        QApplication::processEvents();
        const double first = msSinceMain();
        qApp->removeEventFilter(&watch);
        RichTextBox* box = doc->txtMain;
        if (box->colorAt(firstTag) == 0) startUpFailed("the page's first tag is black");
        const bool ended = box->colorAt(lastTag) != 0;
        if (!ended && !runUntil([box, lastTag] { return box->colorAt(lastTag) != 0; }, kStartUpLimitMs))
            startUpFailed("the page's last tag stayed black");
        std::printf("%.1f %.1f\n", first, ended ? first : msSinceMain());
    } else {
        auto* edit = new QPlainTextEdit();
        edit->resize(1000, 700);
        edit->setLineWrapMode(QPlainTextEdit::NoWrap);
        edit->show();
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) startUpFailed("the page could not be read");
        new TagHighlighter(edit->document());
        edit->setPlainText(QString::fromUtf8(f.readAll()));
        const QTextBlock top = edit->document()->firstBlock();
        FirstPaint watch([edit, top](QObject* o) { return o == edit->viewport() && !top.layout()->formats().isEmpty(); });
        edit->viewport()->installEventFilter(&watch);
        if (!watch.wait(kStartUpLimitMs)) startUpFailed("the page was never painted coloured");
        QApplication::processEvents();
        const double first = msSinceMain();
        QTextBlock last = edit->document()->lastBlock();
        while (last.isValid() && !last.text().contains(u'<')) last = last.previous();
        if (!last.isValid() || last.layout()->formats().isEmpty()) startUpFailed("the page's last tag is black");
        std::printf("%.1f %.1f\n", first, first);
    }
    std::fflush(stdout);
    std::_Exit(0);
}

// Start-up of a fresh process, to the first screen of the page coloured.
void StartUp(benchmark::State& state) {
    const QString page = pageText(qsizetype(kbOf(state)) * 1024);
    const QString path = workDir().path() + "/startup.html";
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(page.toUtf8());
    }
    const QStringList args = {QStringLiteral("--startup-child"), oursOf(state) ? "ours" : "plain", path,
                              QString::number(page.indexOf(u'<')), QString::number(page.lastIndexOf(u'<'))};
    for (auto _ : state) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(), args);
        child.waitForFinished(-1);
        const QList<QByteArray> out = child.readAllStandardOutput().trimmed().split(' ');
        bool ok = child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0 && out.size() == 2;
        const double first = ok ? out[0].toDouble(&ok) : 0;
        const double end = ok ? out[1].toDouble(&ok) : 0;
        if (!ok) {
            const QByteArray why = out.join(' ');
            state.SkipWithError(("start-up child: " + (why.isEmpty() ? QByteArray("no answer") : why)).constData());
            break;
        }
        state.SetIterationTime(first / 1000);
        note(state, "Start-up to the coloured page", kbOf(state), oursOf(state), first);
        // Only once the colouring goes on after the first screen does the end of it tell more.
        if (end != first) note(state, "Start-up to end of colouring", kbOf(state), oursOf(state), end);
        state.counters["end ms"] = end;
    }
}

QVector<int> sizes() {
    QVector<int> kb;
    const QByteArray env = qgetenv("KAVRIN_BENCH_SIZES");
    for (const QByteArray& s : (env.isEmpty() ? QByteArray("0.1,1,10,20") : env).split(','))
        kb.append(int(s.toDouble() * 1024));
    return kb;
}

// KAVRIN_BENCH_REPEAT runs each command that many times over.
int repeats() { return qMax(1, qEnvironmentVariableIntValue("KAVRIN_BENCH_REPEAT")); }

void registerAll() {
    struct Entry {
        const char* name;
        void (*fn)(benchmark::State&);
        int iterations;
    };
    const Entry entries[] = {
        {"Indent", Indent, 1},       {"UndoIndent", UndoIndent, 1},   {"ReplaceAll", ReplaceAll, 1},
        {"UndoReplaceAll", UndoReplaceAll, 1}, {"Uppercase", Uppercase, 1}, {"UndoUppercase", UndoUppercase, 1},
        {"Paste", Paste, 3},         {"UndoPaste", UndoPaste, 3},     {"RedoPaste", RedoPaste, 3},
        {"UndoCut", UndoCut, 3},     {"RedoCut", RedoCut, 3},         {"Colour", Colour, 1},
        {"Open", Open, 1},           {"Keystroke", Keystroke, 20},    {"PeakMemory", PeakMemory, 1},
        {"StartUp", StartUp, 1},
    };
    for (const Entry& e : entries) {
        for (int kb : sizes()) {
            for (int ours : {0, 1}) {
                benchmark::RegisterBenchmark((std::string(e.name) + (ours ? "/ours" : "/plain")).c_str(), e.fn)
                    ->Args({kb, ours})
                    ->ArgNames({"KB", ""})
                    ->UseManualTime()
                    ->Iterations(e.iterations * repeats())
                    ->Unit(benchmark::kMillisecond);
            }
        }
    }
    for (int ours : {0, 1})
        benchmark::RegisterBenchmark((std::string("LongLine") + (ours ? "/ours" : "/plain")).c_str(), LongLine)
            ->Args({5 * 1024, ours})
            ->ArgNames({"KB", ""})
            ->UseManualTime()
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
}

void printTable() {
    if (table().empty()) return;
    std::printf("\n%-32s %9s %12s %12s %8s\n", "command", "size", "ours (ms)", "plain (ms)", "ratio");
    for (const auto& [key, cell] : table()) {
        const double kb = key.second;
        char size[32];
        if (kb < 1024) std::snprintf(size, sizeof size, "%.0f KB", kb);
        else std::snprintf(size, sizeof size, "%.0f MB", kb / 1024);
        std::printf("%-32s %9s %12.1f %12.1f %8.2f\n", key.first.c_str(), size, cell.ours, cell.plain,
                    cell.plain > 0 ? cell.ours / cell.plain : 0.0);
    }
}

}  // namespace

int main(int argc, char** argv) {
    sinceMain().start();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc == 6 && QByteArray(argv[1]) == "--startup-child")
        return startUpChild(QByteArray(argv[2]) == "ours", QString::fromLocal8Bit(argv[3]), atoi(argv[4]), atoi(argv[5]));
    if (argc == 4 && QByteArray(argv[1]) == "--memory-child") return memoryChild(QByteArray(argv[2]) == "ours", atoi(argv[3]));
    registerAll();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printTable();
    closeAll();
    return 0;
}
