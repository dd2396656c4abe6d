#include "platform/web/webviews.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMimeDatabase>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QUrlQuery>
#include <QVarLengthArray>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>
#include <QWebEngineView>

#include "platform/web/pagenames.h"
#include "platform/web/pagesite.h"
#include "platform/web/shownserver.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kavrin {

namespace {

// Browse and the previews: "http://<site>.localhost:<port>/<absolute path>", from the program's
// server on the loopback address (shownserver.h). Each site has a host of its own, so the engine
// takes it for an origin of its own: a page shares nothing with another site's pages, while the
// pages, scripts and frames of one site are of one origin, as on a web server. A site's name is
// drawn at random, so a page cannot name a site it was not shown from. Served over HTTP, a page
// comes through the engine's own network loader, which takes it in large pieces and asks a
// host for a few files at a time: a page of thousands of pictures holds a few files open, not
// one for each. The scheme these pages had before stays registered, and serves nothing.
const QByteArray kScheme = QByteArrayLiteral("kvpage");
// The design view's pages: "kvdesign://page/<site>/<absolute path>". Addresses with hosts of their
// own would start a new page process for every page, about 100 ms each time the user enters
// Design; these share one host, and with it the process. The design page runs no page script,
// so what shares an origin here cannot read another page.
const QByteArray kDesignScheme = QByteArrayLiteral("kvdesign");
const QString kDesignHost = QStringLiteral("page");
const QByteArray kDesignOrigin = QByteArrayLiteral("kvdesign://page");

// The design view's page itself comes through its scheme; what it loads from its folder (its
// pictures, style sheets) comes from the server under this label, as
// "http://<label>.localhost:<port>/<site>/<absolute path>": the engine's network stack asks a
// host for a few files at a time, where a scheme's loads are all set up at once, each holding
// open files until answered. Drawn at random, and reached by no page of Browse (SiteGuard).
const QString& designLabel() {
    static const QString label = [] {
        quint32 words[4];
        QRandomGenerator::system()->fillRange(words);
        return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(words), sizeof words).toHex());
    }();
    return label;
}

QHash<QString, QByteArray>& heldPages() {
    static QHash<QString, QByteArray> pages;
    return pages;
}

// Copies shown under the name of the file they stand for, by that name.
QHash<QString, QString>& pageStandIns() {
    static QHash<QString, QString> copies;
    return copies;
}

// The sites given out, by name. A name stays valid while the program runs, so that a view's
// history still leads where it did.
QHash<QString, PageSite>& sites() {
    static QHash<QString, PageSite> named;
    return named;
}

std::function<QString()>& projectFolder() {
    static std::function<QString()> source;
    return source;
}

QString siteName(const PageSite& site) {
    static QHash<QString, QString> names;
    const QString key = (site.alone ? QLatin1String("1") : QLatin1String("0")) + site.root;
    QString& name = names[key];
    if (name.isEmpty()) {
        quint32 words[4];
        QRandomGenerator::system()->fillRange(words);
        name = QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(words), sizeof words).toHex());
        sites().insert(name, site);
    }
    return name;
}

// What a site's markup names outside it is shown, never read: each such file comes from the
// server of shown files under a label of its own (shownserver.h), an origin of the web to the
// engine, which keeps it from every script of the page as it keeps another web site's files. A
// frame shown so reaches no other such file either: each has its own origin.
struct Shown {
    QString site;  // the name of the site whose markup named it
    QString path;  // the absolute path as named
};

QHash<QString, Shown>& shownHosts() {
    static QHash<QString, Shown> hosts;
    return hosts;
}

QString shownHost(const QString& site, const QString& path) {
    static QHash<QString, QString> names;
    QString& name = names[site + u'\n' + path];
    if (name.isEmpty()) {
        quint32 words[4];
        QRandomGenerator::system()->fillRange(words);
        name = QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(words), sizeof words).toHex());
        shownHosts().insert(name, {site, path});
    }
    return name;
}

// The site a label of the server of shown files belongs to: the one whose markup named what it
// shows (a site's own name stands for itself).
QString siteOfHost(const QString& host) {
    const auto it = shownHosts().constFind(host);
    return it == shownHosts().cend() ? host : it->site;
}

ShownAnswer decideServed(const QString& label, const QString& path, bool foreign);

// The address of `path` in the site named `site`.
QUrl siteAddress(const QString& site, const QString& path) { return shownFileUrl(site, path, decideServed); }

// The site an address of the server names, else "".
QString siteLabel(const QUrl& url) {
    const QString label = shownLabel(url);
    return sites().contains(label) ? label : QString();
}

bool sameOrigin(const QUrl& a, const QUrl& b) {
    return a.scheme() == b.scheme() && a.host() == b.host() && a.port() == b.port();
}

// What the pages and style sheets a site has served name, learnt only once a name outside the
// site is asked for: a site that keeps to itself is never read twice.
struct Document {
    QString file;  // what to read
    QUrl url;      // where it was shown, which its names are found from
    bool css = false;
};

struct SiteNames {
    QSet<QString> named;
    QList<Document> pending;
    QHash<QString, QPair<qint64, qint64>> seen;  // size and time of each document when it was noted
};

QHash<QString, SiteNames>& siteNames() {
    static QHash<QString, SiteNames> names;
    return names;
}

// The most of a document read for its names: beyond, a page or a style sheet names nothing.
constexpr qint64 kNamesRead = 64 * 1024 * 1024;
constexpr qint64 kPiece = 1024 * 1024;

void noteDocument(const QString& site, const QString& file, const QUrl& url, bool css, const struct stat& st) {
    SiteNames& names = siteNames()[site];
    const QString key = file + u'\n' + url.toString();
    const QPair<qint64, qint64> stamp{qint64(st.st_size), qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
    auto it = names.seen.find(key);
    if (it != names.seen.end() && *it == stamp) return;
    names.seen.insert(key, stamp);
    names.pending.append({file, url, css});
}

void learnNames(SiteNames& names, const Document& document) {
    const int fd = openSiteFile(document.file);
    if (fd < 0) return;
    HtmlNameScanner html;
    QStringList found;
    QByteArray piece(kPiece, Qt::Uninitialized);
    QByteArray css;
    for (qint64 at = 0; at < kNamesRead;) {
        const ssize_t got = ::pread(fd, piece.data(), size_t(piece.size()), off_t(at));
        if (got <= 0) break;
        if (document.css) css.append(piece.constData(), got);
        else html.feed(QByteArrayView(piece.constData(), got));
        at += got;
    }
    ::close(fd);
    if (document.css) {
        found = cssNames(css);
    } else {
        html.finish();
        found = html.names;
    }
    QUrl base = document.url;
    if (!html.base.isEmpty()) base = base.resolved(QUrl(html.base));
    const QString site = siteOfHost(shownLabel(document.url));
    for (const QString& name : std::as_const(found)) {
        const QUrl target = base.resolved(QUrl(name));
        const QString label = shownLabel(target);
        if (label.isEmpty() || siteOfHost(label) != site) continue;
        names.named.insert(QDir::cleanPath(target.path(QUrl::FullyDecoded)));
    }
}

// True when a document the site has served names `path` for loading.
bool namedBySite(const QString& site, const QString& path) {
    SiteNames& names = siteNames()[site];
    while (!names.named.contains(path) && !names.pending.isEmpty()) learnNames(names, names.pending.takeFirst());
    return names.named.contains(path);
}

PageSite siteOf(const QString& path, bool alone) {
    if (alone) return {QDir::cleanPath(QFileInfo(path).absoluteFilePath()), true, {}, {}};
    return pageSite(path, projectFolder() ? projectFolder()() : QString(), systemSiteLimits());
}

// The site named by an address of either scheme and the path it asks for; false when the
// address is not of that shape or names no site.
bool splitAddress(const QUrl& url, PageSite* site, QString* path) {
    QString name;
    QString rest = url.path(QUrl::FullyDecoded);
    const bool designFiles = url.scheme() == QLatin1String("http") && shownLabel(url) == designLabel();
    if (url.scheme() == QLatin1String("http") && !designFiles) {
        name = siteLabel(url);
    } else if (designFiles || (url.scheme() == QLatin1String(kDesignScheme) && url.host() == kDesignHost)) {
        const qsizetype slash = rest.indexOf(u'/', 1);
        if (slash < 0) return false;
        name = rest.mid(1, slash - 1);
        rest = rest.mid(slash);
    } else {
        return false;
    }
    const auto it = sites().constFind(name);
    if (it == sites().cend()) return false;
    if (site) *site = *it;
    if (path) *path = rest;
    return true;
}

QUrl addressIn(const QByteArray& scheme, const QString& host, const QString& path) {
    QUrl url;
    url.setScheme(QString::fromLatin1(scheme));
    url.setHost(host);
    url.setPath(path);
    return url;
}

// Requests a page's script makes by itself, which read what they load.
bool readByScript(QWebEngineUrlRequestInfo::ResourceType type) {
    switch (type) {
    case QWebEngineUrlRequestInfo::ResourceTypeXhr:
    case QWebEngineUrlRequestInfo::ResourceTypePing:
    case QWebEngineUrlRequestInfo::ResourceTypeWorker:
    case QWebEngineUrlRequestInfo::ResourceTypeSharedWorker:
    case QWebEngineUrlRequestInfo::ResourceTypeServiceWorker:
    case QWebEngineUrlRequestInfo::ResourceTypeCspReport:
    case QWebEngineUrlRequestInfo::ResourceTypePluginResource:
    case QWebEngineUrlRequestInfo::ResourceTypePrefetch:
    case QWebEngineUrlRequestInfo::ResourceTypeNavigationPreloadMainFrame:
    case QWebEngineUrlRequestInfo::ResourceTypeNavigationPreloadSubFrame:
    case QWebEngineUrlRequestInfo::ResourceTypeUnknown:
        return true;
    default:
        return false;
    }
}

// A page that is not UTF-8: what it declares itself in its opening, else Windows-1252.
QByteArray notUtf8PageType(const QByteArray& head) {
    static const QRegularExpression declared(QStringLiteral("<meta[^>]+charset\\s*=\\s*[\"']?[-\\w]+"),
                                             QRegularExpression::CaseInsensitiveOption);
    if (QString::fromLatin1(head).contains(declared)) return QByteArrayLiteral("text/html");
    return QByteArrayLiteral("text/html;charset=windows-1252");
}

// pageContentType() of the file open as `fd`, read in pieces; a long page is checked no further
// than its first 64 MB.
QByteArray pageContentType(int fd, qint64 size) {
    constexpr qint64 kChecked = 64 * 1024 * 1024;
    QStringDecoder check(QStringDecoder::Utf8);
    QByteArray piece(qsizetype(qBound(qint64(1), size, qint64(1024 * 1024))), Qt::Uninitialized);
    QVarLengthArray<QChar, 1> out(check.requiredSpace(piece.size()));
    QByteArray head;
    for (qint64 at = 0; at < qMin(size, kChecked);) {
        const ssize_t got = ::pread(fd, piece.data(), size_t(piece.size()), off_t(at));
        if (got <= 0) break;
        if (at == 0) head = piece.left(qMin<qsizetype>(got, 4096));
        check.appendToBuffer(out.data(), QByteArrayView(piece.constData(), got));
        if (check.hasError()) return notUtf8PageType(head);
        at += got;
    }
    return QByteArrayLiteral("text/html;charset=utf-8");
}

// A file of a site, read as the engine asks for it on its own thread, by position alone. It
// holds no descriptor between reads: a page of thousands of pictures and frames, all asked for
// at once, would otherwise hold a file open for each until the engine has them all. Each read
// opens the file again and reads only when it is still the same file.
class SiteFileDevice : public QIODevice {
public:
    SiteFileDevice(const QString& realPath, const struct stat& st, QObject* parent)
        : QIODevice(parent), name_(QFile::encodeName(realPath)), size_(st.st_size), dev_(st.st_dev), ino_(st.st_ino) {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return false; }
    qint64 size() const override { return size_; }

protected:
    qint64 readData(char* data, qint64 most) override {
        const qint64 at = pos();
        if (at >= size_) return 0;
        const int fd = ::open(name_.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0) return -1;
        struct stat st {};
        ssize_t got = -1;
        if (::fstat(fd, &st) == 0 && st.st_dev == dev_ && st.st_ino == ino_ && S_ISREG(st.st_mode))
            got = ::pread(fd, data, size_t(qMin(most, size_ - at)), off_t(at));
        ::close(fd);
        // A file cut short or replaced while it is read ends the request rather than leaving it waiting.
        return got > 0 ? got : -1;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    const QByteArray name_;
    const qint64 size_;
    const dev_t dev_;
    const ino_t ino_;
};

// Files up to this size are read at once here, which costs a picture or a small style sheet less
// than any handing over between threads; the rest is read as the engine takes it.
constexpr qint64 kReadAtOnce = 64 * 1024;

// What the server of shown files answers for `path` under `label`: the one file the label
// shows, from the site whose markup named it; what that file names in turn has a label of its own.
ShownAnswer decideShown(const QString& label, const QString& path) {
    const auto shown = shownHosts().constFind(label);
    if (shown == shownHosts().cend()) return {};
    const auto site = sites().constFind(shown->site);
    if (site == sites().cend()) return {};
    QString real = siteFile(*site, path);
    if (real.isEmpty() && namedBySite(shown->site, path)) real = displayFile(*site, path);
    if (real.isEmpty()) return {};
    if (path != shown->path) return {{}, {}, shownFileUrl(shownHost(shown->site, path), path, decideServed), false, {}};
    QByteArray type = QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchExtension).name().toLatin1();
    const bool page = type == "text/html";
    if (page || type == "text/css") {
        const int fd = openSiteFile(real);
        if (fd < 0) return {};
        struct stat st {};
        ::fstat(fd, &st);
        noteDocument(shown->site, real, siteAddress(shown->site, path), !page, st);
        if (page) type = pageContentType(fd, st.st_size);
        else type += ";charset=utf-8";
        ::close(fd);
    }
    return {real, type, {}, false, {}};
}

// What a request of either local scheme gets. The scheme's handler answers by it; the guards ask
// it first and stop what it refuses before the engine sets up a load for it, which holds a
// shared-memory buffer (two open files) from then until the handler has answered: a page of
// thousands of missing pictures, all asked for at once, would otherwise hold thousands open.
struct LocalAnswer {
    enum Kind { NotFound, Held, Serve, Redirect } kind = NotFound;
    QString real;    // Serve: the file to read
    QString shownAs; // Serve: the name it is shown under
    bool copy = false;
    QByteArray held; // Held: the design view's page
    QUrl redirect;   // Redirect: the server of shown files' address
};

LocalAnswer decideLocal(const QUrl& url) {
    LocalAnswer answer;
    const QString browse = siteLabel(url);
    PageSite site;
    QString path;
    if (!splitAddress(url, &site, &path)) return answer;
    if (browse.isEmpty()) {
        const QString token = QUrlQuery(url).queryItemValue(QStringLiteral("design"));
        if (!token.isEmpty()) {
            const auto it = heldPages().constFind(token);
            if (it == heldPages().cend()) return answer;
            answer.kind = LocalAnswer::Held;
            answer.held = *it;
            return answer;
        }
    }
    const QString shownAs = QDir::cleanPath(path);
    answer.shownAs = shownAs;
    // A missing file (a page's missing pictures, most often) is missing whatever the site:
    // said at once, before any link on the way is followed.
    struct stat asked {};
    if (::stat(QFile::encodeName(shownAs).constData(), &asked) != 0 && !pageStandIns().contains(shownAs)) return answer;
    // A copy the program wrote, shown under the name of the page it stands for.
    const QString copy = siteHolds(site, shownAs) ? pageStandIns().value(shownAs) : QString();
    answer.real = copy.isEmpty() ? siteFile(site, shownAs) : QFileInfo(copy).canonicalFilePath();
    answer.copy = !copy.isEmpty();
    if (!answer.real.isEmpty()) {
        answer.kind = LocalAnswer::Serve;
        return answer;
    }
    // Outside the site. The design view runs no page script: whatever it asks for, its
    // markup named, and it is shown there as is. A page in Browse is shown what its markup
    // names from a host of its own.
    const QString outside = displayFile(site, shownAs);
    if (outside.isEmpty()) return answer;
    if (browse.isEmpty()) {
        answer.kind = LocalAnswer::Serve;
        answer.real = outside;
        return answer;
    }
    if (!namedBySite(browse, shownAs)) return answer;
    answer.kind = LocalAnswer::Redirect;
    answer.redirect = shownFileUrl(shownHost(browse, shownAs), shownAs, decideServed);
    return answer;
}

// The content type a file served as `shownAs` goes out with: a page's by what its bytes are,
// the rest by the name's extension. A page or a style sheet served to the site `noteFor` ("" for
// the design view) is noted for the names it gives.
QByteArray servedType(int fd, const QString& real, const QUrl& url, const QString& shownAs, bool copy,
                      const QString& noteFor) {
    QByteArray type;
    if (!copy && !shownAs.endsWith(QLatin1String(".browse")))
        type = QMimeDatabase().mimeTypeForFile(shownAs, QMimeDatabase::MatchExtension).name().toLatin1();
    const bool page = type.isEmpty() || type == "text/html";
    struct stat st {};
    ::fstat(fd, &st);
    if (!noteFor.isEmpty() && (page || type == "text/css")) noteDocument(noteFor, real, url, !page, st);
    if (page) type = pageContentType(fd, st.st_size);
    return type;
}

// What the server answers for `path` under `label`: a file of the site `label` names, to its own
// pages and the user alone (the guards stop the rest before; this holds for a view without
// them), or the file a shown label stands for.
ShownAnswer decideServed(const QString& label, const QString& path, bool foreign) {
    const bool design = label == designLabel();
    if (!design && !sites().contains(label)) return decideShown(label, path);
    // The design view's page is of its own scheme: what it loads from here is of another origin
    // to it, and its fonts are shared with it alone.
    if (foreign && !design) return {};
    const QUrl url = siteAddress(label, path);
    const LocalAnswer answer = decideLocal(url);
    if (answer.kind == LocalAnswer::Redirect) return {{}, {}, answer.redirect, false, {}};
    if (answer.kind != LocalAnswer::Serve) return {};
    const int fd = openSiteFile(answer.real);
    if (fd < 0) return {};
    const QByteArray type = servedType(fd, answer.real, url, answer.shownAs, answer.copy, design ? QString() : label);
    ::close(fd);
    return {answer.real, type, {}, true, design ? kDesignOrigin : QByteArray()};
}

// The engine already keeps a page of these schemes from file addresses; this holds the rest.
// A page reaches the local scheme of its own site only (the top page's, for every frame in it)
// and what that site's markup names outside it (each from a host of its own, for display), and
// no other local scheme (the design view's, the program's own resources, files). What its
// scripts would read themselves they do not get even from its site: as a browser does for a
// page opened from a file.
class SiteGuard : public QWebEngineUrlRequestInterceptor {
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    void interceptRequest(QWebEngineUrlRequestInfo& info) override {
        const QUrl url = info.requestUrl();
        const QString scheme = url.scheme();
        const auto type = info.resourceType();
        if (!siteLabel(url).isEmpty()) {
            // Which site a page shows, the user chose; the scheme's handler keeps it to that site.
            // A link followed out of the site leads to the page at its own site, as a page of
            // the site it lies in (which a page of another site can neither read nor script).
            if (type == QWebEngineUrlRequestInfo::ResourceTypeMainFrame) {
                PageSite site;
                QString path;
                if (!splitAddress(url, &site, &path)) return;
                path = QDir::cleanPath(path);
                if (!siteHolds(site, path) && !displayFile(site, path).isEmpty()) {
                    QUrl to = localPageUrl(path);
                    to.setQuery(url.query());
                    to.setFragment(url.fragment());
                    if (to != url) info.redirect(to);
                }
                return;
            }
            // Only a page of the site asks for its files: not another site's page, nor what
            // the site shows from outside it (a frame of it, a style sheet's names).
            const QUrl top = info.firstPartyUrl();
            const QUrl from = info.initiator();
            if (!sameOrigin(top, url) || (!from.isEmpty() && !sameOrigin(from, url)) || readByScript(type) ||
                decideLocal(url).kind == LocalAnswer::NotFound)
                info.block(true);
            return;
        }
        const QString label = shownLabel(url);
        if (!label.isEmpty()) {
            // What the local scheme's pages show from the server of shown files: for the site
            // that named it, as that site's markup loads it, and read by no script.
            const QUrl top = info.firstPartyUrl();
            if (type == QWebEngineUrlRequestInfo::ResourceTypeMainFrame || readByScript(type) ||
                siteLabel(top).isEmpty() || siteOfHost(label) != siteLabel(top))
                info.block(true);
            return;
        }
        static const QStringList network{QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("ws"),
                                         QStringLiteral("wss"), QStringLiteral("data"), QStringLiteral("blob"),
                                         QStringLiteral("about")};
        if (!network.contains(scheme)) info.block(true);
    }
};

// The design view runs no page script, and what it may show its handler decides; this only
// stops before the engine sets up a load what the handler would refuse (see LocalAnswer).
class DesignGuard : public QWebEngineUrlRequestInterceptor {
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    void interceptRequest(QWebEngineUrlRequestInfo& info) override {
        const QUrl url = info.requestUrl();
        // Of the server, the design view reaches its own label alone: the sites and shown files
        // are Browse's.
        const QString label = shownLabel(url);
        if (!label.isEmpty()) {
            if (label != designLabel() || info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeMainFrame ||
                decideLocal(url).kind == LocalAnswer::NotFound)
                info.block(true);
            return;
        }
        if (url.scheme() != QLatin1String(kDesignScheme) ||
            info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeMainFrame)
            return;
        if (decideLocal(url).kind == LocalAnswer::NotFound) info.block(true);
    }
};

class LocalPageHandler : public QWebEngineUrlSchemeHandler {
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;

    void requestStarted(QWebEngineUrlRequestJob* job) override {
        const QUrl url = job->requestUrl();
        const QUrl from = job->initiator();
        // Only a page of the same origin, or the user (no initiator), asks for an address here:
        // another site's page, the design view's and a web page's are refused. A refusal reads
        // exactly as a missing file: a page learns nothing of what lies outside.
        if (!from.isEmpty() && (from.scheme() != url.scheme() || from.host() != url.host()))
            return job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        const LocalAnswer answer = decideLocal(url);
        switch (answer.kind) {
        case LocalAnswer::NotFound: return job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        case LocalAnswer::Held: return reply(job, "text/html;charset=utf-8", answer.held);
        case LocalAnswer::Redirect: return job->redirect(answer.redirect);
        case LocalAnswer::Serve: return serve(job, answer.real, answer.shownAs, answer.copy);
        }
    }

private:
    // Serves `real` as the file `shownAs`.
    static void serve(QWebEngineUrlRequestJob* job, const QString& real, const QString& shownAs, bool copy) {
        const int fd = openSiteFile(real);
        if (fd < 0) return job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        const QByteArray type = servedType(fd, real, job->requestUrl(), shownAs, copy, QString());
        struct stat st {};
        ::fstat(fd, &st);
        if (st.st_size > kReadAtOnce) {
            ::close(fd);
            // A film, an archive or a long page never sits in memory whole.
            job->reply(type, new SiteFileDevice(real, st, job));
            return;
        }
        QByteArray bytes(qsizetype(st.st_size), Qt::Uninitialized);
        qint64 got = 0;
        while (got < bytes.size()) {
            const ssize_t n = ::pread(fd, bytes.data() + got, size_t(bytes.size() - got), off_t(got));
            if (n <= 0) break;
            got += n;
        }
        ::close(fd);
        bytes.truncate(got);
        reply(job, type, bytes);
    }

    static void reply(QWebEngineUrlRequestJob* job, const QByteArray& type, const QByteArray& bytes) {
        auto* buffer = new QBuffer(job);
        buffer->setData(bytes);
        buffer->open(QIODevice::ReadOnly);
        job->reply(type, buffer);
    }
};

}  // namespace

void registerLocalPageScheme() {
    static bool done = false;
    if (done) return;
    done = true;
    // Neither scheme counts as local to the engine: a page of them may load no file address,
    // nor anything else the engine holds local, and the handler decides what it is given.
    for (const QByteArray& name : {kScheme, kDesignScheme}) {
        QWebEngineUrlScheme scheme(name);
        scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
        scheme.setFlags(QWebEngineUrlScheme::CorsEnabled);
        QWebEngineUrlScheme::registerScheme(scheme);
    }
}

QWebEngineProfile* localPageProfile() {
    static QWebEngineProfile* profile = nullptr;
    if (!profile) {
        registerLocalPageScheme();
        profile = QWebEngineProfile::defaultProfile();
        auto* handler = new LocalPageHandler(profile);
        profile->installUrlSchemeHandler(kScheme, handler);
        profile->installUrlSchemeHandler(kDesignScheme, handler);
        profile->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    }
    return profile;
}

void guardPageSite(QWebEnginePage* page) {
    static SiteGuard* guard = new SiteGuard(localPageProfile());
    page->setUrlRequestInterceptor(guard);
}

void guardDesignPage(QWebEnginePage* page) {
    static DesignGuard* guard = new DesignGuard(localPageProfile());
    page->setUrlRequestInterceptor(guard);
}

void setProjectFolderSource(std::function<QString()> source) { projectFolder() = std::move(source); }

QUrl localPageUrl(const QString& path, bool alone) {
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    return siteAddress(siteName(siteOf(absolute, alone)), absolute);
}

QUrl designPageUrl(const QString& path, const QString& token) {
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QUrl url = addressIn(kDesignScheme, kDesignHost, u'/' + siteName(siteOf(absolute, false)) + absolute);
    url.setQuery(QStringLiteral("design=") + token);
    return url;
}

QUrl designFolderUrl(const QString& path) {
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    return siteAddress(designLabel(), u'/' + siteName(siteOf(absolute, false)) + absolute).resolved(QUrl(QStringLiteral(".")));
}

void showLocalPageAs(const QString& shownAs, const QString& copyPath) {
    const QString name = QDir::cleanPath(QFileInfo(shownAs).absoluteFilePath());
    if (copyPath.isEmpty()) pageStandIns().remove(name);
    else pageStandIns().insert(name, copyPath);
}

QString localPagePath(const QUrl& url) {
    if (url.isLocalFile()) return url.toLocalFile();
    QString path;
    return splitAddress(url, nullptr, &path) ? path : QString();
}

QString holdLocalPage(const QByteArray& html, const QString& oldToken) {
    static quint64 counter = 0;
    if (!oldToken.isEmpty()) heldPages().remove(oldToken);
    const QString token = QString::number(++counter);
    heldPages().insert(token, html);
    return token;
}

void dropLocalPage(const QString& token) { heldPages().remove(token); }

QByteArray pageContentType(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString decoded = utf8.decode(bytes);
    (void)decoded;
    return utf8.hasError() ? notUtf8PageType(bytes.left(4096)) : QByteArrayLiteral("text/html;charset=utf-8");
}

LazyWebView::LazyWebView(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

QWebEngineView* LazyWebView::view() {
    if (!view_) {
        localPageProfile();
        view_ = new QWebEngineView(this);
        guardPageSite(view_->page());
        layout()->addWidget(view_);
        // Focus given to the control (after a toolbar command, on switching views) belongs to
        // the page: kept here, the keys typed next would go nowhere.
        setFocusProxy(view_);
        viewCreated();
    }
    return view_;
}

void LazyWebView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    view();
}

}  // namespace kavrin
