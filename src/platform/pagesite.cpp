#include "platform/pagesite.h"

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

bool holds(const QString& root, bool alone, const QString& path) {
    return alone ? path == root : within(path, root) && !hiddenBelow(path, root);
}

QString clean(const QString& path) {
    if (!QDir::isAbsolutePath(path) || path.contains(QChar(0))) return QString();
    return QDir::cleanPath(path);
}

}  // namespace

PageSite pageSite(const QString& pagePath, const QString& projectFolder) {
    const QString folder = QDir::cleanPath(QFileInfo(pagePath).absolutePath());
    const QString project = projectFolder.isEmpty() ? QString() : clean(QFileInfo(projectFolder).absoluteFilePath());
    // A page in one of the project's hidden folders keeps to its own folder tree: the project's
    // other hidden folders (its version control, say) are no business of it.
    if (!project.isEmpty() && within(folder, project) && !hiddenBelow(folder, project)) return {project, false};
    return {folder, false};
}

bool siteHolds(const PageSite& site, const QString& path) {
    const QString asked = clean(path);
    const QString root = clean(site.root);
    return !asked.isEmpty() && !root.isEmpty() && holds(root, site.alone, asked);
}

QString siteFile(const PageSite& site, const QString& path) {
    if (!siteHolds(site, path)) return QString();
    // The file a link leads to must lie in the site as well, measured from where the site's own
    // top really is.
    const QString real = QFileInfo(QDir::cleanPath(path)).canonicalFilePath();
    const QString realRoot = QFileInfo(QDir::cleanPath(site.root)).canonicalFilePath();
    if (real.isEmpty() || realRoot.isEmpty() || !holds(realRoot, site.alone, real)) return QString();
    struct stat st {};
    if (::stat(QFile::encodeName(real).constData(), &st) != 0 || !S_ISREG(st.st_mode)) return QString();
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
