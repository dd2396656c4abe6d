#include "platform/web/pagesite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kavrin {

namespace {

// `path` itself or something below `folder` (both clean and absolute).
bool within(const QString& path, const QString& folder) {
    if (folder == QLatin1String("/")) return path.startsWith(u'/');
    return path == folder || (path.startsWith(folder) && path.size() > folder.size() && path[folder.size()] == u'/');
}

// A name starting with "." in the part of `path` below `folder`.
bool hiddenBelow(const QString& path, const QString& folder) {
    const qsizetype from = folder == QLatin1String("/") ? 0 : folder.size();
    for (const QStringView name : QStringView(path).mid(from).split(u'/', Qt::SkipEmptyParts))
        if (name.startsWith(u'.')) return true;
    return false;
}

QString clean(const QString& path) {
    if (!QDir::isAbsolutePath(path) || path.contains(QChar(0))) return QString();
    return QDir::cleanPath(path);
}

bool offLimits(const PageSite& site, const QString& path) {
    for (const QString& folder : site.offLimits)
        if (within(path, folder)) return true;
    for (const QString& stem : site.workStems)
        if (path.startsWith(stem) && path.indexOf(u'/', stem.size()) > 0) return true;
    return false;
}

bool holds(const PageSite& site, const QString& root, const QString& path) {
    // The page the program put alone in its site is the one file of its own it shows.
    if (site.alone) return path == root;
    return within(path, root) && !hiddenBelow(path, root) && !offLimits(site, path);
}

// The folder both paths lie in, deepest first.
QString commonFolder(const QString& a, const QString& b) {
    QString folder = a;
    while (folder != QLatin1String("/") && !within(b, folder)) folder = QFileInfo(folder).path();
    return folder;
}

// Nothing hidden on the way from where the site and `path` part, and nothing off limits.
bool showable(const PageSite& site, const QString& root, const QString& path) {
    return !hiddenBelow(path, commonFolder(path, root)) && !offLimits(site, path);
}

bool regularFile(const QString& real) {
    struct stat st {};
    return ::stat(QFile::encodeName(real).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

QString canonical(const QString& path) { return QFileInfo(path).canonicalFilePath(); }

// A folder whose page stands alone: what it holds beside the page is not the page's.
bool broad(const QString& folder, const SiteLimits& limits) {
    const QString real = canonical(folder);
    for (const QString& f : {folder, real}) {
        if (f.isEmpty()) continue;
        if (f == QLatin1String("/") || QFileInfo(f).path() == QLatin1String("/")) return true;
        const QString home = clean(limits.home);
        if (!home.isEmpty() && (within(home, f) || within(canonical(home), f))) return true;
        for (const QString& b : limits.broad) {
            const QString c = clean(b);
            if (!c.isEmpty() && (c == f || canonical(c) == f)) return true;
        }
    }
    return false;
}

}  // namespace

PageSite pageSite(const QString& pagePath, const QString& projectFolder, const SiteLimits& limits) {
    PageSite site;
    for (const QString& f : limits.offLimits) {
        const QString c = clean(f);
        if (c.isEmpty()) continue;
        site.offLimits << c;
        const QString real = canonical(c);
        if (!real.isEmpty() && real != c) site.offLimits << real;
    }
    for (const QString& stem : limits.workStems) {
        site.workStems << stem;
        const QString folder = canonical(QFileInfo(stem).path());
        if (!folder.isEmpty()) site.workStems << QDir(folder).filePath(QFileInfo(stem).fileName());
    }
    site.workStems.removeDuplicates();
    const QString page = clean(QFileInfo(pagePath).absoluteFilePath());
    const QString folder = QFileInfo(page).path();
    const QString project = projectFolder.isEmpty() ? QString() : clean(QFileInfo(projectFolder).absoluteFilePath());
    // A page in one of the project's hidden folders keeps to its own folder tree: the project's
    // other hidden folders (its version control, say) are no business of it. A project kept in a
    // broad folder widens no site.
    if (!project.isEmpty() && within(folder, project) && !hiddenBelow(folder, project) && !broad(project, limits)) {
        site.root = project;
    } else if (broad(folder, limits)) {
        site.root = page;
        site.alone = true;
    } else {
        site.root = folder;
    }
    return site;
}

bool siteHolds(const PageSite& site, const QString& path) {
    const QString asked = clean(path);
    const QString root = clean(site.root);
    return !asked.isEmpty() && !root.isEmpty() && holds(site, root, asked);
}

QString siteFile(const PageSite& site, const QString& path) {
    if (!siteHolds(site, path)) return QString();
    // The file a link leads to must lie in the site as well, measured from where the site's own
    // top really is.
    const QString real = canonical(QDir::cleanPath(path));
    const QString realRoot = canonical(QDir::cleanPath(site.root));
    if (real.isEmpty() || realRoot.isEmpty() || !holds(site, realRoot, real) || !regularFile(real)) return QString();
    return real;
}

QString displayFile(const PageSite& site, const QString& path) {
    const QString asked = clean(path);
    const QString root = clean(site.root);
    if (asked.isEmpty() || root.isEmpty() || !showable(site, root, asked)) return QString();
    const QString real = canonical(asked);
    const QString realRoot = canonical(root);
    if (real.isEmpty() || realRoot.isEmpty() || !showable(site, realRoot, real) || !regularFile(real)) return QString();
    return real;
}

int openSiteFile(const QString& realPath) {
    const QByteArray name = QFile::encodeName(realPath);
    // Non-blocking, so that a pipe put at the name cannot hold the program up.
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return -1;
    struct stat st {};
    // The file opened must still be the one checked: a folder on the way swapped for a link since
    // would lead elsewhere, which the descriptor's own name shows (where /proc is there to ask).
    char buffer[4096];
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    const ssize_t length = ::readlink(self.constData(), buffer, sizeof buffer);
    const bool moved = length < 0 ? errno != ENOENT : QByteArray(buffer, int(length)) != name;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || moved) {
        ::close(fd);
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

}  // namespace kavrin
