#pragma once
// What of the user's disk a page shown by the program may load: its site, which its scripts
// may read as a web page reads its own server. A page sees its own folder tree, or the open
// project's folder tree when it lies in that (outside the project's hidden folders). A page in
// a broad folder sees itself alone: in "/", the home folder or a folder above it, a folder right
// below "/", one of the user's own folders (Desktop, Documents, Downloads...: a page saved from
// the web lands there beside the user's files) or a temporary folder. Nothing under a hidden
// folder (a name starting with ".") below the site's top, nothing a link inside the site leads
// out of it, and never the program's own settings, word lists and work folders nor /proc, /sys
// and /dev. A page the program holds for itself (an untitled page's copy, a preview it writes)
// sees itself alone.
//
// Outside its site a page may still show what its own markup names (displayFile): that comes
// for display only, from an origin of its own (webviews.cpp).
#include <QString>
#include <QStringList>

namespace kavrin {

// The folders that decide a site, as this system has them.
struct SiteLimits {
    QString home;            // the user's home folder
    QStringList broad;       // folders whose pages stand alone: the user's own folders, temporary folders
    QStringList offLimits;   // folders and files no page reaches: the program's own, /proc, /sys, /dev
    QStringList workStems;   // "<temporary folder>/kavrin-": the program's work folders, of any run
};

struct PageSite {
    QString root;        // the site's top folder, or the one file of a page alone
    bool alone = false;  // root is a file, and the whole site
    QStringList offLimits;
    QStringList workStems;
};

// The limits of this system now: $HOME, the XDG user folders (user-dirs.dirs, else their
// usual names), the temporary folders, the program's settings, data and work folders and word list.
SiteLimits systemSiteLimits();
// The user's own folders named in the text of a user-dirs.dirs file (lines such as
// XDG_DOWNLOAD_DIR="$HOME/Downloads"), with `home` for $HOME; relative and empty names are left out.
QStringList userFoldersIn(const QByteArray& userDirs, const QString& home);

// The site of the page at `pagePath` ("" for `projectFolder` when no project is open).
PageSite pageSite(const QString& pagePath, const QString& projectFolder, const SiteLimits& limits);

// The file to read when a page of `site` asks for `path` (an absolute path), every link in it
// followed: "" when that lies outside the site or under a hidden folder in it, when it is not a
// regular file, or when nothing is there. A page cannot tell these apart.
QString siteFile(const PageSite& site, const QString& path);

// True when `path`, as asked (links not followed), lies in `site` and outside its hidden folders.
bool siteHolds(const PageSite& site, const QString& path);

// The file to read when the markup of a page of `site` names `path` outside the site, to be
// shown and not read: "" when it, or what its links lead to, lies under a hidden folder or off
// limits, or is not a regular file.
QString displayFile(const PageSite& site, const QString& path);

// Opens `realPath` (a path siteFile gave) for reading, refusing a link or anything but a regular
// file that has taken its place since; the descriptor, or -1.
int openSiteFile(const QString& realPath);

}  // namespace kavrin
