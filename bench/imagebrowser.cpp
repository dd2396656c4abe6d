// The image browser on a folder of 300 photographs of 12 megapixels, made here: how soon the
// first thumbnails show, when all have come, and the process's peak memory meanwhile; beside the
// plain Qt floor of decoding the same files at thumbnail size with QImageReader on one thread.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "tools/frmImgBrowser.h"
#include "tools/thumbnailloader.h"

using namespace kavrin;

namespace {

constexpr int kPhotos = 300;

// Something like a photograph: soft gradients under fine grain, so JPEG has real work to do.
QImage photo(int seed) {
    QImage image(4000, 3000, QImage::Format_RGB32);
    QRandomGenerator noise(seed);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int grain = int(noise.bounded(24));
            line[x] = qRgb((x / 16 + seed * 40 + grain) & 255, (y / 12 + grain) & 255, ((x + y) / 28 + grain) & 255);
        }
    }
    return image;
}

struct Folder {
    QTemporaryDir dir;
    Folder() {
        QStringList originals;
        for (int seed = 0; seed < 6; ++seed) {
            const QString path = dir.filePath(QString("original%1.jpg").arg(seed));
            photo(seed).save(path, "JPG", 88);
            originals << path;
        }
        for (int i = 0; i < kPhotos; ++i)
            QFile::copy(originals[i % originals.size()], dir.filePath(QString("photo%1.jpg").arg(i, 3, 10, QChar('0'))));
        for (const QString& o : originals) QFile::remove(o);
    }
};

Folder& folder() {
    static Folder f;
    return f;
}

// Peak resident memory of the process in MB since the last reset.
double peakMegabytes() {
    QFile status("/proc/self/status");
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

void resetPeak() {
    QFile clear("/proc/self/clear_refs");
    if (clear.open(QIODevice::WriteOnly)) clear.write("5");
}

void BM_ImageBrowserOn300Photos(benchmark::State& state) {
    Folder& f = folder();
    for (auto _ : state) {
        resetPeak();
        auto* browser = new frmImgBrowser();
        browser->show();
        QElapsedTimer clock;
        double first = -1;
        int arrived = 0;
        QObject::connect(browser->loader(), &ThumbnailLoader::thumbnailReady, browser, [&](int, const QImage& t) {
            if (!t.isNull() && first < 0) {
                QApplication::processEvents();  // the cell has painted
                first = clock.nsecsElapsed() / 1e6;
            }
            ++arrived;
        });
        clock.start();
        browser->setDirPath(f.dir.path());
        while (browser->loading()) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
        const double all = clock.nsecsElapsed() / 1e6;
        state.SetIterationTime(all / 1000.0);
        state.counters["first_thumbnail_ms"] = first;
        state.counters["all_thumbnails_ms"] = all;
        state.counters["peak_MB"] = peakMegabytes();
        state.counters["thumbnails"] = arrived;
        browser->close();
        delete browser;
    }
}

void BM_PlainQImageReaderScaledOneThread(benchmark::State& state) {
    Folder& f = folder();
    const QStringList files = QDir(f.dir.path()).entryList({"*.jpg"}, QDir::Files, QDir::Name);
    for (auto _ : state) {
        resetPeak();
        QElapsedTimer clock;
        clock.start();
        int decoded = 0;
        for (const QString& name : files) {
            QImageReader reader(f.dir.filePath(name));
            reader.setScaledSize(reader.size().scaled(65, 65, Qt::KeepAspectRatio));
            decoded += !reader.read().isNull();
        }
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        state.counters["all_thumbnails_ms"] = clock.nsecsElapsed() / 1e6;
        state.counters["peak_MB"] = peakMegabytes();
        state.counters["thumbnails"] = decoded;
    }
}

}  // namespace

BENCHMARK(BM_ImageBrowserOn300Photos)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_PlainQImageReaderScaledOneThread)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    folder();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
