#pragma once
// What of the user's disk a page shown by the program may load: its site. A page sees its own
// folder tree, or the open project's folder tree when it lies in that (outside the project's
// hidden folders); nothing under a hidden folder (a name starting with ".") below the site's
// top, and nothing a link inside the site leads out of it. A page the program holds for itself
// (an untitled page's copy, a preview it writes) sees itself alone.
#include <QString>

namespace kavrin {

struct PageSite {
    QString root;        // the site's top folder, or the one file of a page alone
    bool alone = false;  // root is a file, and the whole site
};

// The site of the page at `pagePath` ("" for `projectFolder` when no project is open).
PageSite pageSite(const QString& pagePath, const QString& projectFolder);

// The file to read when a page of `site` asks for `path` (an absolute path), every link in it
// followed: "" when that lies outside the site or under a hidden folder in it, when it is not a
// regular file, or when nothing is there. A page cannot tell these apart.
QString siteFile(const PageSite& site, const QString& path);

// True when `path`, as asked (links not followed), lies in `site` and outside its hidden folders.
bool siteHolds(const PageSite& site, const QString& path);

// Opens `realPath` (a path siteFile gave) for reading, refusing a link or anything but a regular
// file that has taken its place since; the descriptor, or -1.
int openSiteFile(const QString& realPath);

}  // namespace kavrin
