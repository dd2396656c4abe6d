#include "panes/filelistbox.h"

#include <QDir>

#include "panes/fileitems.h"

namespace kavrin {

void FileListBox::setPath(const QString& path) {
    QString clean = path.isEmpty() ? QString() : QDir::cleanPath(path);
    if (clean == path_) return;
    path_ = clean;
    emit PathChange();
}

QString FileListBox::folder() const {
    if (path_.isEmpty()) return QString();
    return path_.endsWith(QLatin1Char('/')) ? path_ : path_ + QLatin1Char('/');
}

FolderListing FileListBox::list() const {
    if (path_.isEmpty()) {
        FolderListing none;
        none.status = ListStatus::Failed;
        return none;
    }
    FolderListing listing = listFolder(path_, ListWhat::Files);
    const FilePattern filter(pattern_);
    QVector<FolderEntry> kept;
    kept.reserve(listing.entries.size());
    for (FolderEntry& e : listing.entries)
        if (filter.matches(e.name)) kept.push_back(std::move(e));
    listing.entries = std::move(kept);
    return listing;
}

}  // namespace kavrin
