#pragma once
// One run of Replace in many files over a folder (and its sub-folders): the files are listed
// before any of them changes, then each file that holds the text is rewritten with its backup.
// The run touches no window, so it can run away from the user-interface thread.
#include <QMutex>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

#include "tools/filereplace.h"

namespace kavrin {

// One line of the results.
struct ReplaceEntry {
    enum class Kind {
        Replaced,    // the file (or document) changed, `count` times
        Skipped,     // holds the text but was left alone, for `reason`
        Failed,      // could not be read or written, `errorNumber` and `reason`
        InDocument,  // open with unsaved changes: the replacement belongs in its window
    };
    Kind kind = Kind::Replaced;
    QString path;
    int count = 0;
    int errorNumber = 0;
    QString reason;

    // "path<TAB>count", "Error n<TAB>path - reason" or "Skipped<TAB>path - reason".
    QString line() const;
};

// What the user interface watches while a run goes on, and how it asks the run to stop.
class ReplaceProgress {
public:
    std::atomic<bool> cancel{false};
    std::atomic<int> filesDone{0};
    std::atomic<int> filesTotal{0};  // 0 while the folders are still being listed
    // Runs on the worker after each file, when set.
    std::function<void()> afterFile;
    void setCurrent(const QString& path);
    QString current() const;

private:
    mutable QMutex mutex_;
    QString current_;
};

// The files (as the system resolves their paths) that documents hold with unsaved changes. The
// user goes on editing while a run goes on, so the set changes under it: the window keeps it up
// to date and the run asks it for each file just before the file is read.
class HeldFiles {
public:
    void set(QSet<QString> paths);
    bool contains(const QString& canonicalPath) const;

private:
    mutable QMutex mutex_;
    QSet<QString> paths_;
};

// The entry a file gets for what happened to it; none (nullopt) when it did not hold the text.
std::optional<ReplaceEntry> entryFor(const QString& path, const FileReplaceOutcome& outcome);

struct FolderReplaceRun {
    QString folder;
    QString pattern;  // e.g. "*.html"; "*.*" is every file
    bool subFolders = false;
    ReplaceRequest request;
    // Files that documents hold with unsaved changes: they are listed as InDocument and never
    // changed on disk. None when unset.
    std::shared_ptr<const HeldFiles> held;

    QVector<ReplaceEntry> entries;
    qint64 totalReplacements = 0;
    bool cancelled = false;

    // Runs to the end or until progress.cancel is set; cancelling stops between files.
    void run(ReplaceProgress& progress);
};

}  // namespace kavrin
