// The spell checker: reading both word lists, suggestions for one unknown word, and a whole run
// over a page of 1, 10 or 20 MB in which every word is known, beside the floor of plain Qt code
// that splits the same page into the same words and looks each up in a QSet built from the same
// list. Qt runs offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>

#include <malloc.h>

#include <map>
#include <tuple>

#include "documents/docfile.h"
#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "benchsupport.h"
#include "mainwindow/mdiMain.h"
#include "platform/forms/dialoghooks.h"
#include "platform/forms/msgbox.h"
#include "platform/files/textfile.h"
#include "tools/spellcheck.h"
#include "tools/spelllists.h"
#include "tools/spellsuggest.h"

using namespace kavrin;

namespace {

// The build copies the data files beside the program; the source tree has them too.
QString dataFolder() {
    for (const QString& dir : {QCoreApplication::applicationDirPath() + "/..",
                               QFileInfo(QStringLiteral(__FILE__)).absolutePath() + "/../data"}) {
        if (QFileInfo::exists(dir + "/kvEnglish.dct")) return QDir(dir).absolutePath() + '/';
    }
    return {};
}

QTemporaryDir& userFolder() {
    static QTemporaryDir dir;
    return dir;
}

// A personal list of a few hundred words, as a user builds up, or of as many as Add takes.
QString personalWord(int i) { return QStringLiteral("Kavrinword%1").arg(i); }

void useFolders(int personalWords = 300) {
    installPath = dataFolder();
    userDataPath = userFolder().path() + '/';
    QString words;
    for (int i = 0; i < personalWords; ++i) words += personalWord(i) + QStringLiteral("\r\n");
    writeTextFile(userDataPath + "kvCustom.dct", words, TextFormat());
}

void loadBothLists(benchmark::State& state) {
    useFolders();
    size_t heapBefore = 0;
    for (auto _ : state) {
        unloadWordLists();
        heapBefore = mallinfo2().uordblks;
        if (!loadWordLists()) state.SkipWithError("the main list could not be read");
    }
    state.counters["main"] = double(spellLists().main.count());
    state.counters["user"] = double(spellLists().user.words.size());
    // What the loaded lists hold on the heap.
    state.counters["heapKB"] = (double(mallinfo2().uordblks) - double(heapBefore)) / 1024.0;
}

void suggestions(benchmark::State& state) {
    useFolders();
    unloadWordLists();
    loadWordLists();
    static const QStringList words{"recieve", "seperate", "accomodation", "zeebra", "teh"};
    const QString word = words[int(state.range(0))];
    qsizetype n = 0;
    for (auto _ : state) {
        const QStringList s = suggestionsFor(spellLists().main, word);
        n = s.size();
        benchmark::DoNotOptimize(s.constData());
    }
    state.SetLabel(word.toStdString());
    state.counters["suggestions"] = double(n);
}

// A page of known words in paragraphs and links, with tags and comments around them; tags with
// attributes only for the scan that skips tags (the plain scan would check their words). With
// `personalWords`, every eighth word is one of the user's own, in the case the page writes it.
QString knownPage(qsizetype bytes, bool attributes, int personalWords) {
    const MainWordList& list = spellLists().main;
    QRandomGenerator rng(42);
    auto anyWord = [&](int i) {
        if (personalWords > 0 && i % 8 == 7) {
            const QString w = personalWord(int(rng.bounded(personalWords)));
            return i % 16 == 7 ? w.toLower() : w;
        }
        return list.word(int(rng.bounded(list.count()))).toString();
    };
    QString page = QStringLiteral("<html>\r\n<head><title>Words</title></head>\r\n<body>\r\n");
    page.reserve(bytes + 4096);
    for (int n = 0; page.size() < bytes; n += 13) {
        page += attributes ? QStringLiteral("<p class=\"text\">") : QStringLiteral("<p>");
        for (int i = 0; i < 12; ++i) {
            page += anyWord(n + i);
            page += i % 5 == 4 ? QStringLiteral(", ") : QStringLiteral(" ");
        }
        page += attributes ? QStringLiteral("</p>\r\n<!-- note -->\r\n<a href=\"page.html\">")
                           : QStringLiteral("</p>\r\n<!-- note -->\r\n<a>");
        page += anyWord(n + 12);
        page += QStringLiteral("</a>\r\n");
    }
    page += QStringLiteral("</body>\r\n</html>\r\n");
    return page;
}

// The pages are made once and shared by the run and its floor.
const QString& knownPageOf(int megabytes, bool attributes, int personalWords) {
    static std::map<std::tuple<int, bool, int>, QString> pages;
    QString& page = pages[{megabytes, attributes, personalWords}];
    if (page.isEmpty()) page = knownPage(qsizetype(megabytes) * 1024 * 1024, attributes, personalWords);
    return page;
}

void runOverKnownPage(benchmark::State& state) {
    const int personal = int(state.range(2));
    useFolders(personal > 0 ? personal : 300);
    unloadWordLists();
    loadWordLists();
    IgnoreTags = state.range(0) != 0;
    int completions = 0;
    dialogHooks().msgBox = [&completions](const QString& prompt, int, const QString&) {
        if (prompt == QLatin1String("Spell check complete.")) ++completions;
        return int(vbOK);
    };
    kavrin::bench::quietStart();
    auto* main = new mdiMain();
    mainWindow = main;
    main->show();
    newDocument();
    DocumentWindow* doc = activeDocument();
    const QString& page = knownPageOf(int(state.range(1)), IgnoreTags, personal);
    doc->txtMain->setText(page);
    QApplication::processEvents();
    for (auto _ : state) {
        startSpellCheck();
        if (spellCheckRunning) {
            state.SkipWithError("a word was not known");
            endSpellCheck();
            break;
        }
    }
    if (completions != int(state.iterations())) state.SkipWithError("the run did not complete");
    state.counters["KB"] = double(page.size()) / 1024.0;
    state.counters["listKB"] = double(spellLists().main.bytesUsed()) / 1024.0;
    doc->fileSaved = true;
    dialogHooks() = DialogHooks();
    main->unload();
    kavrin::bench::closeDocuments();
    mainWindow = nullptr;
}

// The floor's splitting: the same boundaries, tags and comments, typographic apostrophes and
// punctuation as the run's, written as plain code over each line.
template <typename Fn>
void floorWords(const QString& page, bool skipTags, Fn&& word) {
    static const QString leading = QStringLiteral("({[\"'\\/`");
    static const QString trailing = QStringLiteral("!\"'()*,-./:;<>?[]_`{}");
    bool inTag = false, inComment = false;
    auto take = [&](QStringView w) {
        while (!w.isEmpty() && leading.contains(w.front())) w = w.mid(1);
        while (!w.isEmpty() && trailing.contains(w.back())) w.chop(1);
        if (w.size() >= 2) word(w);
    };
    for (QStringView line : QStringView(page).tokenize(u"\r\n")) {
        QString copy;
        if (line.contains(QChar(0x2019))) {
            copy = line.toString();
            copy.replace(QChar(0x2019), QLatin1Char('\''));
            line = copy;
        }
        qsizetype from = 0;
        for (qsizetype i = 0; i < line.size(); ++i) {
            const QChar c = line[i];
            if (inComment) {
                if (line.mid(i, 3) == u"-->") {
                    inComment = false;
                    i += 2;
                    from = i + 1;
                }
                continue;
            }
            if (skipTags && c == u'!' && i >= 1 && line.mid(i - 1, 4) == u"<!--") {
                inComment = true;
                inTag = false;
                i += 2;
                continue;
            }
            if (c == u'>' && skipTags) {
                inTag = false;
                from = i + 1;
                continue;
            }
            if (c == u'<' || ((c == u' ' || c == u'-' || c == u'\t' || c == u'>') && !inTag)) {
                if (i > from) take(line.mid(from, i - from));
                from = i + 1;
                if (skipTags && c == u'<') inTag = true;
            }
        }
        if (!inTag && !inComment && from < line.size()) take(line.mid(from));
    }
}

void hashSetFloor(benchmark::State& state) {
    const int personal = int(state.range(2));
    useFolders(personal > 0 ? personal : 300);
    unloadWordLists();
    loadWordLists();
    const bool skipTags = state.range(0) != 0;
    const QString& page = knownPageOf(int(state.range(1)), skipTags, personal);
    const MainWordList& list = spellLists().main;
    QSet<QString> known;
    known.reserve(list.count());
    for (int i = 0; i < list.count(); ++i) known.insert(list.word(i).toString().toLower());
    for (const QString& w : spellLists().user.words) known.insert(w.toLower());
    qsizetype words = 0, unknown = 0;
    for (auto _ : state) {
        words = unknown = 0;
        floorWords(page, skipTags, [&](QStringView w) {
            ++words;
            if (!known.contains(w.toString().toLower())) ++unknown;
        });
    }
    if (unknown != 0) state.SkipWithError("a word was not known");
    state.counters["KB"] = double(page.size()) / 1024.0;
    state.counters["words"] = double(words);
}

}  // namespace

BENCHMARK(loadBothLists)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(suggestions)->DenseRange(0, 4)->Unit(benchmark::kMicrosecond);
// skipTags, MB, and the size of the user's list whose words stand on the page (0: none).
void pageSizes(benchmark::internal::Benchmark* b) {
    b->ArgNames({"skipTags", "MB", "personal"});
    for (int mb : {1, 10, 20}) {
        b->Args({1, mb, 0});
        b->Args({0, mb, 0});
        b->Args({1, mb, maxUserWords});
    }
}

BENCHMARK(hashSetFloor)->Apply(pageSizes)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(runOverKnownPage)->Apply(pageSizes)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
