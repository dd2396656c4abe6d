#include "platform/webbrowser.h"

#include <QFile>
#include <QFileInfo>
#include <QWebEngineHistory>
#include <QWebEngineView>

namespace kavrin {

namespace {

// The engine takes a page handed over whole as one percent-encoded address of at most this many
// characters; a longer one it refuses.
constexpr qsizetype kLongestAddress = 2 * 1024 * 1024;

qsizetype percentEncodedSize(const QByteArray& bytes) {
    qsizetype size = bytes.size();
    for (const char c : bytes) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                           c == '.' || c == '_' || c == '~';
        if (!plain) size += 2;
    }
    return size;
}

}  // namespace

WebBrowser::WebBrowser(QWidget* parent) : LazyWebView(parent) {}

void WebBrowser::viewCreated() {
    connect(view(), &QWebEngineView::urlChanged, this, [this](const QUrl& url) {
        if (url.isEmpty()) return;
        emit NavigateComplete2(LocationURL());
    });
}

QUrl WebBrowser::addressOf(const QString& pathOrUrl) {
    const QString text = pathOrUrl.trimmed();
    const QFileInfo info(text);
    // A preview copy goes through the local scheme, which serves it as HTML; every other local
    // file keeps its file address.
    auto local = [](const QString& path) {
        return path.endsWith(QLatin1String(".browse")) ? localPageUrl(path) : QUrl::fromLocalFile(path);
    };
    if (info.isAbsolute()) return local(info.absoluteFilePath());
    if (text.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
        const QUrl url(text);
        if (url.isLocalFile()) return local(url.toLocalFile());
    }
    return QUrl::fromUserInput(text);
}

void WebBrowser::Navigate(const QString& address) { Navigate2(address); }

void WebBrowser::Navigate2(const QString& pathOrUrl) {
    const QUrl url = addressOf(pathOrUrl);
    if (!url.isValid()) return;
    if (home_.isEmpty() && url.scheme() != QLatin1String("about")) home_ = pathOrUrl;
    const QString copy = url.scheme() == QLatin1String("about") ? QString() : localPagePath(url);
    if (copy.endsWith(QLatin1String(".browse")) && showCopy(copy)) return;
    if (url == view()->url()) {
        // The same preview written anew: load it again rather than keep the old one.
        view()->reload();
        return;
    }
    view()->load(url);
}

bool WebBrowser::showCopy(const QString& path) {
    // Handed over whole under the copy's own file address, the page takes its pictures, style
    // sheets and links from its folder straight from the engine's file loader. Served through
    // the local scheme instead, every one of them would wait on a round trip to this thread,
    // which costs a large page with many pictures seconds.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = file.readAll();
    const QByteArray type = pageContentType(bytes);
    if (QByteArrayLiteral("data:").size() + type.size() + 1 + percentEncodedSize(bytes) > kLongestAddress) return false;
    view()->setContent(bytes, QString::fromLatin1(type), QUrl::fromLocalFile(path));
    return true;
}

void WebBrowser::GoBack() {
    if (hasView()) view()->back();
}

void WebBrowser::GoForward() {
    if (hasView()) view()->forward();
}

void WebBrowser::Stop() {
    if (hasView()) view()->stop();
}

void WebBrowser::Refresh() {
    if (hasView()) view()->reload();
}

void WebBrowser::GoHome() {
    if (!home_.isEmpty()) Navigate2(home_);
}

bool WebBrowser::canGoBack() { return hasView() && view()->history()->canGoBack(); }
bool WebBrowser::canGoForward() { return hasView() && view()->history()->canGoForward(); }

QString WebBrowser::LocationURL() {
    if (!hasView()) return QString();
    const QUrl url = view()->url();
    const QString path = localPagePath(url);
    return path.isEmpty() ? url.toString() : path;
}

}  // namespace kavrin
