#pragma once
// Pictures for the image browser, read on worker threads: thumbnails decoded straight at
// thumbnail size, and the picture being viewed at its own size (or less, when it is too large to
// hold). Results arrive as signals on the window's thread as each one is ready; a new load
// forgets what an earlier one had not delivered yet.
#include <QImage>
#include <QObject>
#include <QSize>
#include <QStringList>
#include <QThreadPool>

#include <atomic>
#include <memory>

namespace kavrin {

class ThumbnailLoader : public QObject {
    Q_OBJECT
public:
    explicit ThumbnailLoader(QObject* parent = nullptr);
    ~ThumbnailLoader() override;

    // Decodes every picture to fit `box` (keeping its shape); thumbnailReady comes for each,
    // in any order, then finished.
    void load(const QStringList& paths, QSize box);
    // Reads one picture for viewing; fullImageReady comes with the same `tag`.
    void readFull(const QString& path, int tag);
    // Forgets every pending result.
    void cancel();
    // Waits until no worker runs (tests and the benchmark use it).
    void waitForDone() { pool_.waitForDone(); }

    // The most pixels a picture is decoded to: thumbnails are decoded smaller than this or not
    // at all, a picture viewed larger than it is read at a reduced scale.
    static constexpr qint64 kMaxDecodePixels = 32LL * 1000 * 1000;

signals:
    // `thumbnail` is null when the picture could not be read; `natural` is its own size in
    // pixels (empty when unknown).
    void thumbnailReady(int index, const QImage& thumbnail, const QSize& natural);
    void finished();
    void fullImageReady(int tag, const QImage& image);

private:
    QThreadPool pool_;
    std::shared_ptr<std::atomic<int>> generation_;
    int pending_ = 0;
};

// Reads one picture so that it fits `box` (an empty box: its own size), never decoding more
// than kMaxDecodePixels; `natural` receives its own size. A null image when it cannot be read.
QImage readPicture(const QString& path, QSize box, QSize* natural = nullptr);

}  // namespace kavrin
