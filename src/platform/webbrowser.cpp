#include "platform/webbrowser.h"

#include <QFile>
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
    if (home_.isEmpty() && url.scheme() != QLatin1String("about")) home_ = pathOrUrl;
    const QString copy = url.scheme() == QLatin1String("about") ? QString() : localPagePath(url);
    if (copy.endsWith(QLatin1String(".browse"))) {
        showPageCopy(copy, copy);
        return;
    }
    if (url == view()->url()) {
        // The same preview written anew: load it again rather than keep the old one.
        view()->reload();
        return;
    }
    view()->load(url);
}

void WebBrowser::showPageCopy(const QString& copyPath, const QString& shownAs) {
    // The copy is served under the name it stands for, so the page's relative links, pictures
    // and style sheets are those of its own folder, and the address shown is the page's.
    showLocalPageAs(shownAs, copyPath == shownAs ? QString() : copyPath);
    const QUrl url = localPageUrl(shownAs);
    if (url == view()->url()) view()->reload();
    else view()->load(url);
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
