#include "platform/webviews.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMimeDatabase>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QUrlQuery>
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

#include "platform/pagesite.h"

#include <sys/stat.h>
#include <unistd.h>

namespace kavrin {

namespace {

// Browse and the previews: "kvpage://<site>/<absolute path>". Each site has a host of its own, so
// the engine takes it for an origin of its own: a page shares nothing with another site's pages,
// while the pages, scripts and frames of one site are of one origin, as on a web server. A site's
// name is drawn at random, so a page cannot name a site it was not shown from.
const QByteArray kScheme = QByteArrayLiteral("kvpage");
// The design view's pages: "kvdesign://page/<site>/<absolute path>". Addresses with hosts of their
// own would start a new page process for every page, about 100 ms each time the user enters
// Design; these share one host, and with it the process. The design page runs no page script,
// so what shares an origin here cannot read another page.
const QByteArray kDesignScheme = QByteArrayLiteral("kvdesign");
const QString kDesignHost = QStringLiteral("page");

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

PageSite siteOf(const QString& path, bool alone) {
    if (alone) return {QDir::cleanPath(QFileInfo(path).absoluteFilePath()), true, {}, {}};
    return pageSite(path, projectFolder() ? projectFolder()() : QString(), systemSiteLimits());
}

// The site named by an address of either scheme and the path it asks for; false when the
// address is not of that shape or names no site.
bool splitAddress(const QUrl& url, PageSite* site, QString* path) {
    QString name;
    QString rest = url.path(QUrl::FullyDecoded);
    if (url.scheme() == QLatin1String(kScheme)) {
        name = url.host();
    } else if (url.scheme() == QLatin1String(kDesignScheme) && url.host() == kDesignHost) {
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

// The engine already keeps a page of these schemes from file addresses; this holds the rest.
// A page reaches the local scheme of its own site only (the top page's, for every frame in it),
// and no other local scheme (the design view's, the program's own resources, files). What its
// scripts would read themselves they do not get even from its site: as a browser does for a
// page opened from a file.
class SiteGuard : public QWebEngineUrlRequestInterceptor {
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    void interceptRequest(QWebEngineUrlRequestInfo& info) override {
        const QUrl url = info.requestUrl();
        const QString scheme = url.scheme();
        const auto type = info.resourceType();
        if (scheme == QLatin1String(kScheme)) {
            // Which site a page shows, the user chose; the scheme's handler keeps it to that site.
            if (type == QWebEngineUrlRequestInfo::ResourceTypeMainFrame) return;
            const QUrl top = info.firstPartyUrl();
            if (top.scheme() != scheme || top.host() != url.host() || readByScript(type)) info.block(true);
            return;
        }
        static const QStringList network{QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("ws"),
                                         QStringLiteral("wss"), QStringLiteral("data"), QStringLiteral("blob"),
                                         QStringLiteral("about")};
        if (!network.contains(scheme)) info.block(true);
    }
};

// A large file of a site, read as the engine asks for it on its own thread: by position alone,
// so that nothing but the descriptor is shared with this one.
class SiteFileDevice : public QIODevice {
public:
    SiteFileDevice(int fd, qint64 size, QObject* parent) : QIODevice(parent), fd_(fd), size_(size) {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    ~SiteFileDevice() override { ::close(fd_); }
    bool isSequential() const override { return false; }
    qint64 size() const override { return size_; }

protected:
    qint64 readData(char* data, qint64 most) override {
        const qint64 at = pos();
        if (at >= size_) return 0;
        const ssize_t got = ::pread(fd_, data, size_t(qMin(most, size_ - at)), off_t(at));
        // A file cut short while it is read ends the request rather than leaving it waiting.
        return got > 0 ? got : -1;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    const int fd_;
    const qint64 size_;
};

// Files up to this size are read whole here, which costs a picture or a style sheet less than
// any handing over between threads.
constexpr qint64 kReadWhole = 8 * 1024 * 1024;

class LocalPageHandler : public QWebEngineUrlSchemeHandler {
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;

    void requestStarted(QWebEngineUrlRequestJob* job) override {
        const QUrl url = job->requestUrl();
        // A refusal reads exactly as a missing file: a page learns nothing of what lies outside.
        auto notFound = [job] { job->fail(QWebEngineUrlRequestJob::UrlNotFound); };
        // Only a page of the same origin, or the user (no initiator), asks for an address here:
        // another site's page, the design view's and a web page's are refused.
        const QUrl from = job->initiator();
        if (!from.isEmpty() && (from.scheme() != url.scheme() || from.host() != url.host())) return notFound();
        PageSite site;
        QString path;
        if (!splitAddress(url, &site, &path)) return notFound();
        if (url.scheme() == QLatin1String(kDesignScheme)) {
            const QString token = QUrlQuery(url).queryItemValue(QStringLiteral("design"));
            if (!token.isEmpty()) {
                const auto it = heldPages().constFind(token);
                if (it == heldPages().cend()) return notFound();
                return reply(job, "text/html;charset=utf-8", *it);
            }
        }
        const QString shownAs = QDir::cleanPath(path);
        // A copy the program wrote, shown under the name of the page it stands for.
        const QString copy = siteHolds(site, shownAs) ? pageStandIns().value(shownAs) : QString();
        const QString real = copy.isEmpty() ? siteFile(site, shownAs) : QFileInfo(copy).canonicalFilePath();
        const int fd = real.isEmpty() ? -1 : openSiteFile(real);
        if (fd < 0) return notFound();
        QByteArray type;
        if (copy.isEmpty() && !shownAs.endsWith(QLatin1String(".browse")))
            type = QMimeDatabase().mimeTypeForFile(shownAs, QMimeDatabase::MatchExtension).name().toLatin1();
        const bool page = type.isEmpty() || type == "text/html";
        struct stat st {};
        ::fstat(fd, &st);
        if (!page && st.st_size > kReadWhole) {
            // A film or an archive never sits in memory whole.
            job->reply(type, new SiteFileDevice(fd, st.st_size, job));
            return;
        }
        QFile file;
        if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            return notFound();
        }
        const QByteArray bytes = file.readAll();
        reply(job, page ? pageContentType(bytes) : type, bytes);
    }

private:
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
        scheme.setFlags({});
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
    // On the page rather than the profile: every request of a page with an interceptor takes a
    // trip through this thread, which the design view, running no page script, is spared.
    static SiteGuard* guard = new SiteGuard(localPageProfile());
    page->setUrlRequestInterceptor(guard);
}

void setProjectFolderSource(std::function<QString()> source) { projectFolder() = std::move(source); }

QUrl localPageUrl(const QString& path, bool alone) {
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    return addressIn(kScheme, siteName(siteOf(absolute, alone)), absolute);
}

QUrl designPageUrl(const QString& path, const QString& token) {
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QUrl url = addressIn(kDesignScheme, kDesignHost, u'/' + siteName(siteOf(absolute, false)) + absolute);
    url.setQuery(QStringLiteral("design=") + token);
    return url;
}

QUrl designFolderUrl(const QString& path) {
    QUrl url = designPageUrl(path, QString());
    url.setQuery(QString());
    return url.resolved(QUrl(QStringLiteral(".")));
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
    if (!utf8.hasError()) return QByteArrayLiteral("text/html;charset=utf-8");
    static const QRegularExpression declared(QStringLiteral("<meta[^>]+charset\\s*=\\s*[\"']?[-\\w]+"),
                                             QRegularExpression::CaseInsensitiveOption);
    if (QString::fromLatin1(bytes.left(4096)).contains(declared)) return QByteArrayLiteral("text/html");
    return QByteArrayLiteral("text/html;charset=windows-1252");
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
