#include "tools/replacejob.h"

#include <QThread>

namespace kavrin {

FolderReplaceJob::FolderReplaceJob(FolderReplaceRun run, QObject* parent) : QObject(parent), run_(std::move(run)) {}

FolderReplaceJob::~FolderReplaceJob() {
    if (!thread_) return;
    progress_.cancel = true;
    // Bounded by the one file the worker is on.
    thread_->wait();
}

void FolderReplaceJob::start() {
    if (started_) return;
    started_ = true;
    thread_.reset(QThread::create([this] { run_.run(progress_); }));
    // Delivered to this object's thread, after the worker has left the run.
    connect(thread_.get(), &QThread::finished, this, [this] {
        thread_->wait();
        ended_ = true;
        emit finished();
    });
    thread_->start();
}

}  // namespace kavrin
