#pragma once
// A folder run of Replace in many files on a worker thread, so that the user goes on working
// while the files are read and written. The job says it has ended with `finished`, on the thread
// that owns it; until then nothing of the run but its progress may be read.
#include <QObject>

#include <memory>

#include "tools/replaceinfiles.h"

class QThread;

namespace kavrin {

class FolderReplaceJob : public QObject {
    Q_OBJECT
public:
    explicit FolderReplaceJob(FolderReplaceRun run, QObject* parent = nullptr);
    // A job that goes before its run has ended stops the run between two files and waits for
    // that: no thread outlives the job, and no file is left half replaced.
    ~FolderReplaceJob() override;

    void start();
    // The run stops before its next file; `finished` follows.
    void cancel() { progress_.cancel = true; }
    bool running() const { return started_ && !ended_; }

    ReplaceProgress& progress() { return progress_; }
    // What the run found and did; complete once `finished` has come.
    const FolderReplaceRun& run() const { return run_; }

signals:
    void finished();

private:
    FolderReplaceRun run_;
    ReplaceProgress progress_;
    std::unique_ptr<QThread> thread_;
    bool started_ = false;
    bool ended_ = false;
};

}  // namespace kavrin
