// The source editor on large pages: loading, reading the whole text, and one keystroke with its
// Change event. Qt runs offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>

#include <memory>

#include "benchsupport.h"
#include "platform/richtext/richtextbox.h"

using namespace kavrin;

namespace {

constexpr int kBlack = 0, kTag = 0x800000, kTable = 0x808000, kFont = 0x000080, kAnchor = 0xFF0000,
              kComment = 0x008000, kImage = 0x800080;

QString pageText(qsizetype bytes) { return kavrin::bench::cataloguePage(bytes); }

int tagColor(QStringView tag) {
    QStringView name = tag.mid(1);
    if (name.startsWith(u'/')) name = name.mid(1);
    qsizetype end = 0;
    while (end < name.size() && name[end].isLetterOrNumber()) ++end;
    name = name.left(end);
    if (name == u"a") return kAnchor;
    if (name == u"img") return kImage;
    if (name == u"td" || name == u"tr" || name == u"table") return kTable;
    if (name == u"font" || name == u"b" || name == u"i") return kFont;
    return kTag;
}

// The page cut into colour runs the way the whole-document colouring colours it.
QVector<ColorRun> colourRuns(const QString& page) {
    QVector<ColorRun> runs;
    qsizetype i = 0;
    while (i < page.size()) {
        const qsizetype lt = page.indexOf(u'<', i);
        if (lt < 0) {
            runs.append({page.mid(i), kBlack});
            break;
        }
        if (lt > i) runs.append({page.mid(i, lt - i), kBlack});
        if (QStringView(page).mid(lt, 4) == u"<!--") {
            qsizetype end = page.indexOf(QStringLiteral("-->"), lt);
            end = end < 0 ? page.size() : end + 3;
            runs.append({page.mid(lt, end - lt), kComment});
            i = end;
        } else {
            qsizetype end = page.indexOf(u'>', lt);
            end = end < 0 ? page.size() : end + 1;
            runs.append({page.mid(lt, end - lt), tagColor(QStringView(page).mid(lt, end - lt))});
            i = end;
        }
    }
    return runs;
}

std::unique_ptr<RichTextBox> shownBox() {
    auto box = std::make_unique<RichTextBox>();
    box->resize(900, 700);
    box->show();
    QApplication::processEvents();
    return box;
}

void loadColoured(benchmark::State& state) {
    const QString page = pageText(state.range(0) * 1024 * 1024);
    const QByteArray rtf = writeRtf(colourRuns(page));
    for (auto _ : state) {
        state.PauseTiming();
        auto box = shownBox();
        state.ResumeTiming();
        box->loadRtf(rtf);
        QApplication::processEvents();  // the first paint
        state.PauseTiming();
        if (box->textLength() != page.size()) state.SkipWithError("text lost in loading");
        box.reset();
        state.ResumeTiming();
    }
    state.counters["runs"] = double(colourRuns(page).size());
}

void loadPlain(benchmark::State& state) {
    const QString page = pageText(state.range(0) * 1024 * 1024);
    for (auto _ : state) {
        state.PauseTiming();
        auto box = shownBox();
        state.ResumeTiming();
        box->setText(page);
        QApplication::processEvents();
        state.PauseTiming();
        box.reset();
        state.ResumeTiming();
    }
}

void readWholeText(benchmark::State& state) {
    RichTextBox box;
    box.setText(pageText(state.range(0) * 1024 * 1024));
    QString curText;
    for (auto _ : state) {
        curText = box.text();
        benchmark::DoNotOptimize(curText.constData());
    }
}

void sendKey(QWidget* w, int key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
    QApplication::sendEvent(w, &release);
    QApplication::processEvents();  // and the repaint
}

// One keystroke into a coloured page, with the program's Change handler keeping a copy of the
// whole text (as the undo recording does). Arg 0: size in MB; arg 1: 0 types a character,
// 1 erases one with Backspace (the other half of each round is not timed, so the page keeps
// its size).
void keystroke(benchmark::State& state) {
    const QString page = pageText(state.range(0) * 1024 * 1024);
    const bool erase = state.range(1) == 1;
    auto box = shownBox();
    box->setColorRuns(colourRuns(page));
    box->setFocus();
    QString prevText, curText = box->text();
    int changes = 0;
    QObject::connect(box.get(), &RichTextBox::Change, [&] {
        prevText = curText;
        curText = box->text();
        ++changes;
    });
    // In a paragraph in the middle of the page.
    const int at = int(box->text().indexOf(QStringLiteral("long enough"), page.size() / 2));
    box->setSelStart(at);
    QApplication::processEvents();
    const QString backspace(QChar(8));
    for (auto _ : state) {
        if (erase) {
            state.PauseTiming();
            sendKey(box.get(), Qt::Key_X, QStringLiteral("x"));
            state.ResumeTiming();
            sendKey(box.get(), Qt::Key_Backspace, backspace);
        } else {
            sendKey(box.get(), Qt::Key_X, QStringLiteral("x"));
            state.PauseTiming();
            sendKey(box.get(), Qt::Key_Backspace, backspace);
            state.ResumeTiming();
        }
    }
    if (changes != 2 * int(state.iterations())) state.SkipWithError("Change did not fire once per key");
    if (box->textLength() != page.size()) state.SkipWithError("the page changed size");
}

}  // namespace

BENCHMARK(loadColoured)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(loadPlain)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(readWholeText)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(keystroke)->ArgNames({"MB", "erase"})->Args({1, 0})->Args({10, 0})->Args({1, 1})->Args({10, 1})->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
