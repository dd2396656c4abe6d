#include "platform/webbrowser.h"

#include <QFileInfo>
#include <QWebEngineHistory>
#include <QWebEngineView>

namespace kavrin {

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
    if (home_.isEmpty() && url.scheme() != QLatin1String("about")) home_ = url;
    if (url == view()->url()) {
        // The same preview written anew: load it again rather than keep the old one.
        view()->reload();
        return;
    }
    view()->load(url);
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
    if (!home_.isEmpty()) view()->load(home_);
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
