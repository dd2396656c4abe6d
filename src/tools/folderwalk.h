#pragma once
// The folders and files of a folder tree that Replace in many files visits. Each real folder and
// each real file is visited once however many links lead to it, and nothing outside the chosen
// folder is reached through a link. Hidden (dot) entries are left out.
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <utility>

namespace kavrin {

class TreeWalk {
public:
    // `root` is the chosen folder.
    explicit TreeWalk(const QString& root);

    // The folders to search, each ending in "/": the root, then (with `subFolders`) every folder
    // below it breadth first, each level in name order. Stops early when `cancelled` says so.
    QStringList folders(bool subFolders, const std::function<bool()>& cancelled = {});
    // The files of one folder whose names match the pattern (without regard to case; "*.*" is
    // every file), in name order, leaving out files already listed through another name.
    QStringList files(const QString& folder, const QString& pattern);

    // The other names (hard links) of a listed file that files() passed over, so far.
    QStringList otherNamesOf(const QString& path) const;

    // The folder as the system resolves it, "" when it does not exist.
    const QString& rootPath() const { return root_; }

private:
    using Identity = std::pair<quint64, quint64>;  // device, inode
    bool inside(const QString& canonical) const;
    bool firstVisit(const QString& path, QSet<Identity>& seen);

    QString given_;  // as the user named it: the listed paths start with it
    QString root_;
    QSet<Identity> seenFolders_;
    QSet<Identity> seenFiles_;
    QHash<Identity, QStringList> hardLinks_;
};

}  // namespace kavrin
