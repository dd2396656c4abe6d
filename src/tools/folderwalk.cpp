#include "tools/folderwalk.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kavrin {

namespace {

QString withSlash(const QString& folder) { return folder.endsWith(u'/') ? folder : folder + u'/'; }

}  // namespace

TreeWalk::TreeWalk(const QString& root) : given_(QDir::cleanPath(root)), root_(QFileInfo(root).canonicalFilePath()) {}

bool TreeWalk::inside(const QString& canonical) const {
    if (canonical.isEmpty() || root_.isEmpty()) return false;
    if (root_ == u"/") return true;
    return canonical == root_ || canonical.startsWith(withSlash(root_));
}

bool TreeWalk::firstVisit(const QString& path, QSet<Identity>& seen) {
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return false;
    const Identity id{quint64(st.st_dev), quint64(st.st_ino)};
    if (seen.contains(id)) return false;
    seen.insert(id);
    return true;
}

QStringList TreeWalk::folders(bool subFolders, const std::function<bool()>& cancelled) {
    QStringList list;
    if (root_.isEmpty() || !firstVisit(root_, seenFolders_)) return list;
    list << withSlash(given_);
    if (!subFolders) return list;
    for (qsizetype next = 0; next < list.size(); ++next) {
        if (cancelled && cancelled()) break;
        const QFileInfoList entries =
            QDir(list[next]).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
        for (const QFileInfo& entry : entries) {
            // A link may lead out of the tree or back up into it; only the real folder counts.
            if (entry.isSymLink() && !inside(entry.canonicalFilePath())) continue;
            if (!firstVisit(entry.filePath(), seenFolders_)) continue;
            list << withSlash(entry.filePath());
        }
    }
    return list;
}

QStringList TreeWalk::files(const QString& folder, const QString& pattern) {
    QStringList patterns;
    for (const QString& p : pattern.split(u';', Qt::SkipEmptyParts)) {
        const QString trimmed = p.trimmed();
        patterns << (trimmed == u"*.*" ? QStringLiteral("*") : trimmed);
    }
    QStringList list;
    const QFileInfoList entries = QDir(folder).entryInfoList(patterns, QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& entry : entries) {
        if (entry.isSymLink() && !inside(entry.canonicalFilePath())) continue;
        if (!firstVisit(entry.filePath(), seenFiles_)) {
            // A second name of the same file (a hard link) does not follow it when the file is
            // replaced by a new one; the caller names it then.
            if (!entry.isSymLink()) {
                struct stat st;
                if (::stat(QFile::encodeName(entry.filePath()).constData(), &st) == 0)
                    hardLinks_[{quint64(st.st_dev), quint64(st.st_ino)}] << entry.filePath();
            }
            continue;
        }
        list << entry.filePath();
    }
    return list;
}

QStringList TreeWalk::otherNamesOf(const QString& path) const {
    struct stat st;
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0 || S_ISLNK(st.st_mode)) return {};
    return hardLinks_.value({quint64(st.st_dev), quint64(st.st_ino)});
}

}  // namespace kavrin
