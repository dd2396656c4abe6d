#include "tools/thumbnailloader.h"

#include <QImageReader>
#include <QRunnable>
#include <QThread>

#include <cmath>

namespace kavrin {

QImage readPicture(const QString& path, QSize box, QSize* natural) {
    QImageReader reader(path);
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    if (natural) *natural = size;
    if (!size.isValid() || size.isEmpty()) return {};
    QSize target = size;
    if (box.isValid() && (size.width() > box.width() || size.height() > box.height()))
        target = size.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    // A decoder that cannot scale decodes the whole picture first: only within the limit.
    const bool scales = reader.supportsOption(QImageIOHandler::ScaledSize);
    const qint64 decoded = scales ? qint64(target.width()) * target.height() : qint64(size.width()) * size.height();
    if (decoded > ThumbnailLoader::kMaxDecodePixels) {
        if (!scales) return {};
        const double shrink = std::sqrt(double(ThumbnailLoader::kMaxDecodePixels) / decoded);
        target = QSize(qMax(1, int(target.width() * shrink)), qMax(1, int(target.height() * shrink)));
    }
    if (target != size) reader.setScaledSize(target);
    QImage image = reader.read();
    if (image.isNull()) return {};
    if (image.size() != target) image = image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

namespace {

class Job : public QRunnable {
public:
    Job(std::function<void()> work) : work_(std::move(work)) {}
    void run() override { work_(); }

private:
    std::function<void()> work_;
};

}  // namespace

ThumbnailLoader::ThumbnailLoader(QObject* parent)
    : QObject(parent), generation_(std::make_shared<std::atomic<int>>(0)) {
    // Leave a core to the window itself.
    pool_.setMaxThreadCount(qBound(1, QThread::idealThreadCount() - 1, 6));
}

ThumbnailLoader::~ThumbnailLoader() {
    cancel();
    pool_.waitForDone();
}

void ThumbnailLoader::cancel() {
    ++*generation_;
    pool_.clear();
    pending_ = 0;
}

void ThumbnailLoader::load(const QStringList& paths, QSize box) {
    cancel();
    const int generation = *generation_;
    pending_ = int(paths.size());
    if (paths.isEmpty()) {
        QMetaObject::invokeMethod(this, [this] { emit finished(); }, Qt::QueuedConnection);
        return;
    }
    auto current = generation_;
    for (int i = 0; i < paths.size(); ++i) {
        const QString path = paths[i];
        pool_.start(new Job([this, current, generation, i, path, box] {
            if (*current != generation) return;
            QSize natural;
            const QImage thumbnail = readPicture(path, box, &natural);
            // Delivered on the window's thread, unless a newer load came meanwhile.
            QMetaObject::invokeMethod(
                this,
                [this, current, generation, i, thumbnail, natural] {
                    if (*current != generation) return;
                    emit thumbnailReady(i, thumbnail, natural);
                    if (--pending_ == 0) emit finished();
                },
                Qt::QueuedConnection);
        }));
    }
}

void ThumbnailLoader::readFull(const QString& path, int tag) {
    auto current = generation_;
    const int generation = *generation_;
    // The picture being looked at goes before thumbnails still waiting.
    pool_.start(new Job([this, current, generation, path, tag] {
                    if (*current != generation) return;
                    const QImage image = readPicture(path, QSize());
                    QMetaObject::invokeMethod(
                        this,
                        [this, current, generation, tag, image] {
                            if (*current == generation) emit fullImageReady(tag, image);
                        },
                        Qt::QueuedConnection);
                }),
                1);
}

}  // namespace kavrin
