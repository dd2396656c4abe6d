#include "platform/webviews.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QSet>
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

#include "platform/pagebase.h"

namespace kavrin {

namespace {

const QByteArray kScheme = QByteArrayLiteral("kvpage");
// The design view's pages. Addresses of the scheme above have no host, so each is an origin of
// its own and the engine starts a new page process for every one: about 100 ms each time the
// user enters Design. These share one host, and with it the process. The design page runs no
// page script, so what shares an origin here cannot read another page.
const QByteArray kDesignScheme = QByteArrayLiteral("kvdesign");
const QString kDesignHost = QStringLiteral("page");

bool isLocalPageScheme(const QString& scheme) {
    return scheme == QLatin1String(kScheme) || scheme == QLatin1String(kDesignScheme);
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

// The folders of the pages the views have been given. A page may load what lies in its own
// folder tree (its pictures, style sheets and frames) and nothing else of the user's files.
QSet<QString>& pageFolders() {
    static QSet<QString> folders;
    return folders;
}

void allowFolderOf(const QString& pagePath) {
    const QString folder = QFileInfo(pagePath).absolutePath();
    pageFolders().insert(QDir::cleanPath(folder));
    const QString real = QFileInfo(folder).canonicalFilePath();
    if (!real.isEmpty()) pageFolders().insert(real);
}

bool within(const QString& path, const QString& folder) {
    return path == folder || path.startsWith(folder.endsWith(u'/') ? folder : folder + u'/');
}

bool mayServe(const QString& path) {
    if (pageStandIns().contains(path)) return true;
    // Both the name as asked and the file it leads to must lie inside a page's folder, so that a
    // link inside the folder does not lead a page out of it.
    const QString real = QFileInfo(path).canonicalFilePath();
    bool asked = false;
    bool reached = real.isEmpty();
    for (const QString& folder : pageFolders()) {
        asked = asked || within(path, folder);
        reached = reached || within(real, folder);
    }
    return asked && reached;
}

// Page scripts read nothing local: requests a script makes itself (XMLHttpRequest, fetch, a
// worker, a beacon) for a file or local page address are refused. What the page's own markup
// loads (pictures, style sheets, scripts, frames) goes on as before.
class ScriptReadBlocker : public QWebEngineUrlRequestInterceptor {
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    void interceptRequest(QWebEngineUrlRequestInfo& info) override {
        const QString scheme = info.requestUrl().scheme();
        if (scheme != QLatin1String("file") && !isLocalPageScheme(scheme)) return;
        switch (info.resourceType()) {
        case QWebEngineUrlRequestInfo::ResourceTypeXhr:
        case QWebEngineUrlRequestInfo::ResourceTypePing:
        case QWebEngineUrlRequestInfo::ResourceTypeWorker:
        case QWebEngineUrlRequestInfo::ResourceTypeSharedWorker:
        case QWebEngineUrlRequestInfo::ResourceTypeServiceWorker:
        case QWebEngineUrlRequestInfo::ResourceTypeCspReport:
        case QWebEngineUrlRequestInfo::ResourceTypePluginResource:
        case QWebEngineUrlRequestInfo::ResourceTypePrefetch:
            info.block(true);
            break;
        default:
            break;
        }
    }
};

class LocalPageHandler : public QWebEngineUrlSchemeHandler {
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;

    void requestStarted(QWebEngineUrlRequestJob* job) override {
        const QUrl url = job->requestUrl();
        const QString token = QUrlQuery(url).queryItemValue(QStringLiteral("design"));
        if (!token.isEmpty()) {
            const auto it = heldPages().constFind(token);
            if (it == heldPages().cend()) {
                job->fail(QWebEngineUrlRequestJob::UrlNotFound);
                return;
            }
            reply(job, "text/html;charset=utf-8", *it);
            return;
        }
        QString path = QDir::cleanPath(url.path());
        if (!mayServe(path)) {
            job->fail(QWebEngineUrlRequestJob::RequestDenied);
            return;
        }
        const QString shownAs = path;
        path = pageStandIns().value(path, path);
        QFile file(path);
        if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
            job->fail(QWebEngineUrlRequestJob::UrlNotFound);
            return;
        }
        QByteArray bytes = file.readAll();
        QByteArray type;
        const bool copy = shownAs.endsWith(QLatin1String(".browse")) || shownAs != path;
        if (copy)
            type = pageContentType(bytes);
        else
            type = QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchExtension).name().toLatin1();
        if (type == "text/html") type = pageContentType(bytes);
        if (copy) bytes = withFolderBase(bytes, QFileInfo(shownAs).absolutePath());
        reply(job, type, bytes);
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
    QWebEngineUrlScheme scheme(kScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    scheme.setFlags(QWebEngineUrlScheme::LocalScheme | QWebEngineUrlScheme::LocalAccessAllowed);
    QWebEngineUrlScheme::registerScheme(scheme);
    QWebEngineUrlScheme design(kDesignScheme);
    design.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    design.setFlags(QWebEngineUrlScheme::LocalScheme | QWebEngineUrlScheme::LocalAccessAllowed);
    QWebEngineUrlScheme::registerScheme(design);
}

QWebEngineProfile* localPageProfile() {
    static QWebEngineProfile* profile = nullptr;
    if (!profile) {
        registerLocalPageScheme();
        profile = QWebEngineProfile::defaultProfile();
        profile->installUrlSchemeHandler(kScheme, new LocalPageHandler(profile));
        profile->installUrlSchemeHandler(kDesignScheme, new LocalPageHandler(profile));
        // Pages shown from disk read no other local file, as a browser opening a file would.
        profile->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    }
    return profile;
}

void blockLocalReadsByScripts(QWebEnginePage* page) {
    // On the page rather than the profile: every request of a page with an interceptor takes a
    // trip through this thread, which the design view, running no page script, is spared.
    static ScriptReadBlocker* blocker = new ScriptReadBlocker(localPageProfile());
    page->setUrlRequestInterceptor(blocker);
}

QUrl localPageUrl(const QString& path, const QString& query) {
    QUrl url;
    url.setScheme(QString::fromLatin1(kScheme));
    url.setPath(QFileInfo(path).absoluteFilePath());
    // A page held in memory without a file of its own opens no folder.
    if (QFileInfo(path).isAbsolute()) allowFolderOf(path);
    if (!query.isEmpty()) url.setQuery(query);
    return url;
}

QUrl designPageUrl(const QString& path, const QString& token) {
    QUrl url = localPageUrl(path, QStringLiteral("design=") + token);
    url.setScheme(QString::fromLatin1(kDesignScheme));
    url.setHost(kDesignHost);
    return url;
}

void showLocalPageAs(const QString& shownAs, const QString& copyPath) {
    const QString name = QDir::cleanPath(QFileInfo(shownAs).absoluteFilePath());
    if (copyPath.isEmpty()) pageStandIns().remove(name);
    else pageStandIns().insert(name, copyPath);
    allowFolderOf(name);
}

QString localPagePath(const QUrl& url) {
    if (isLocalPageScheme(url.scheme()) || url.isLocalFile())
        return url.isLocalFile() ? url.toLocalFile() : url.path();
    return QString();
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
        blockLocalReadsByScripts(view_->page());
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
