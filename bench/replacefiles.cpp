// Replace All over a folder of 2,000 pages (about 100 MB) with backups, beside the floor of
// merely reading every file and writing it back through the same atomic writer.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include "platform/files/textfile.h"
#include "tools/replaceinfiles.h"

using namespace kavrin;

namespace {

constexpr int kPages = 2000;
constexpr int kPageBytes = 50 * 1024;

// A page of about 50 KB with a few hits of "alpha" among table rows, links and text.
QByteArray page(int n) {
    QByteArray p = "<html>\r\n<head><title>Page " + QByteArray::number(n) + "</title></head>\r\n<body>\r\n";
    for (int row = 0; p.size() < kPageBytes; ++row) {
        p += "<tr><td class=\"name\"><a href=\"page" + QByteArray::number(row) + ".html\">Item</a></td>"
             "<td align=\"right\">" + QByteArray::number(row) + ".50</td></tr>\r\n";
        if (row % 40 == 0) p += "<p>The alpha release of the catalogue, with caf\xC3\xA9 prices.</p>\r\n";
    }
    return p + "</body>\r\n</html>\r\n";
}

struct Site {
    QTemporaryDir dir;
    QStringList files;
    Site() {
        for (int i = 0; i < kPages; ++i) {
            const QString folder = dir.path() + "/section" + QString::number(i / 200);
            QDir().mkpath(folder);
            const QString path = folder + "/page" + QString::number(i) + ".html";
            QFile f(path);
            f.open(QIODevice::WriteOnly);
            f.write(page(i));
            files << path;
        }
    }
};

Site& site() {
    static Site s;
    return s;
}

void BM_ReadAndWriteEveryFile(benchmark::State& state) {
    Site& s = site();
    qint64 bytes = 0;
    for (auto _ : state) {
        for (const QString& path : s.files) {
            QFile f(path);
            f.open(QIODevice::ReadOnly);
            const QByteArray data = f.readAll();
            f.close();
            writeFileAtomically(path, data);
            bytes += data.size();
        }
    }
    state.SetBytesProcessed(bytes);
}

void BM_ReplaceAllWithBackups(benchmark::State& state) {
    Site& s = site();
    bool forth = true;
    qint64 replacements = 0;
    for (auto _ : state) {
        FolderReplaceRun run;
        run.folder = s.dir.path();
        run.pattern = "*.html";
        run.subFolders = true;
        run.request = ReplaceRequest{forth ? "alpha" : "omega", forth ? "omega" : "alpha", 0, true};
        ReplaceProgress progress;
        run.run(progress);
        replacements += run.totalReplacements;
        forth = !forth;
    }
    state.counters["files"] = double(kPages);
    state.counters["replacements/run"] = double(replacements) / double(state.iterations());
}

}  // namespace

BENCHMARK(BM_ReadAndWriteEveryFile)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ReplaceAllWithBackups)->Unit(benchmark::kMillisecond)->Iterations(2);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    site();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
