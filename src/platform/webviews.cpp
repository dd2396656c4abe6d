#include "platform/webviews.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QUrlQuery>
#include <QVBoxLayout>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>
#include <QWebEngineView>

namespace kavrin {

namespace {

const QByteArray kScheme = QByteArrayLiteral("kvpage");

QHash<QString, QByteArray>& heldPages() {
    static QHash<QString, QByteArray> pages;
    return pages;
}

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
        const QString path = url.path();
        QFile file(path);
        if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
            job->fail(QWebEngineUrlRequestJob::UrlNotFound);
            return;
        }
        const QByteArray bytes = file.readAll();
        QByteArray type;
        if (path.endsWith(QLatin1String(".browse")))
            type = pageContentType(bytes);
        else
            type = QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchExtension).name().toLatin1();
        if (type == "text/html") type = pageContentType(bytes);
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
}

QWebEngineProfile* localPageProfile() {
    static QWebEngineProfile* profile = nullptr;
    if (!profile) {
        registerLocalPageScheme();
        profile = QWebEngineProfile::defaultProfile();
        profile->installUrlSchemeHandler(kScheme, new LocalPageHandler(profile));
    }
    return profile;
}

QUrl localPageUrl(const QString& path, const QString& query) {
    QUrl url;
    url.setScheme(QString::fromLatin1(kScheme));
    url.setPath(QFileInfo(path).absoluteFilePath());
    if (!query.isEmpty()) url.setQuery(query);
    return url;
}

QString localPagePath(const QUrl& url) {
    if (url.scheme() == QLatin1String(kScheme) || url.isLocalFile())
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
        layout()->addWidget(view_);
        viewCreated();
    }
    return view_;
}

void LazyWebView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    view();
}

}  // namespace kavrin
