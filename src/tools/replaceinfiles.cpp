#include "tools/replaceinfiles.h"

#include <QFileInfo>

#include "tools/folderwalk.h"

namespace kavrin {

QString ReplaceEntry::line() const {
    switch (kind) {
    case Kind::Failed:
        return QStringLiteral("Error ") + QString::number(errorNumber) + u'\t' + path + QStringLiteral(" - ") + reason;
    case Kind::Skipped:
        return QStringLiteral("Skipped\t") + path + QStringLiteral(" - ") + reason;
    case Kind::Replaced:
    case Kind::InDocument:
        break;
    }
    return path + u'\t' + QString::number(count);
}

void ReplaceProgress::setCurrent(const QString& path) {
    QMutexLocker lock(&mutex_);
    current_ = path;
}

QString ReplaceProgress::current() const {
    QMutexLocker lock(&mutex_);
    return current_;
}

void HeldFiles::set(QSet<QString> paths) {
    QMutexLocker lock(&mutex_);
    paths_ = std::move(paths);
}

bool HeldFiles::contains(const QString& canonicalPath) const {
    QMutexLocker lock(&mutex_);
    return paths_.contains(canonicalPath);
}

std::optional<ReplaceEntry> entryFor(const QString& path, const FileReplaceOutcome& outcome) {
    switch (outcome.kind) {
    case FileReplaceOutcome::Kind::NoHit:
        break;
    case FileReplaceOutcome::Kind::Replaced:
        return ReplaceEntry{ReplaceEntry::Kind::Replaced, path, outcome.count, 0, QString()};
    case FileReplaceOutcome::Kind::Skipped:
        return ReplaceEntry{ReplaceEntry::Kind::Skipped, path, 0, 0, outcome.reason};
    case FileReplaceOutcome::Kind::Failed:
        return ReplaceEntry{ReplaceEntry::Kind::Failed, path, 0, outcome.errorNumber, outcome.reason};
    }
    return std::nullopt;
}

void FolderReplaceRun::run(ReplaceProgress& progress) {
    auto cancelledNow = [&] { return progress.cancel.load(); };
    TreeWalk walk(folder);
    progress.setCurrent(folder);
    const QStringList folders = walk.folders(subFolders, cancelledNow);

    // Every file is listed before the first one changes: backups and rewritten files must not
    // turn up in the listing.
    QVector<QStringList> filesByFolder;
    int total = 0;
    for (const QString& f : folders) {
        if (cancelledNow()) break;
        progress.setCurrent(f);
        filesByFolder << walk.files(f, pattern);
        total += int(filesByFolder.back().size());
    }
    progress.filesTotal = qMax(total, 1);

    for (const QStringList& files : filesByFolder) {
        for (const QString& path : files) {
            if (cancelledNow()) {
                cancelled = true;
                return;
            }
            progress.setCurrent(path);
            if (held && held->contains(QFileInfo(path).canonicalFilePath())) {
                entries << ReplaceEntry{ReplaceEntry::Kind::InDocument, path, 0, 0, QString()};
                ++progress.filesDone;
                if (progress.afterFile) progress.afterFile();
                continue;
            }
            // Asked before the file is replaced: afterwards the name leads to a new file.
            const QStringList otherNames = walk.otherNamesOf(path);
            const FileReplaceOutcome outcome = replaceInFile(path, request);
            ++progress.filesDone;
            if (progress.afterFile) progress.afterFile();
            if (const std::optional<ReplaceEntry> entry = entryFor(path, outcome)) entries << *entry;
            if (outcome.kind == FileReplaceOutcome::Kind::Replaced) {
                totalReplacements += outcome.count;
                // The changed text went into a new file under this name alone.
                for (const QString& other : otherNames)
                    entries << ReplaceEntry{ReplaceEntry::Kind::Skipped, other, 0, 0,
                                            QStringLiteral("a second name (hard link) of %1, which now holds the new "
                                                           "text in a file of its own; this name keeps the old text")
                                                .arg(path)};
            }
            // A file that could not be read or written ends the work in its folder.
            if (outcome.endsFolder()) break;
        }
    }
    cancelled = cancelledNow();
}

}  // namespace kavrin
