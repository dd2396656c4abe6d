#include "platform/web/webbrowser.h"

#include <QFile>
#include <QFileInfo>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineView>

#include "platform/web/browsepage.h"

namespace kavrin {


WebBrowser::WebBrowser(QWidget* parent) : LazyWebView(parent) {}

WebBrowser::~WebBrowser() { endPageCopy(); }

void WebBrowser::viewCreated() {
    // The page's scripts run here: their boxes and their say over the address are kept in hand.
    page_ = new BrowsePage(localPageProfile(), BrowsePage::AskTheUser, view());
    guardPageSite(page_);
    view()->setPage(page_);
    connect(view(), &QWebEngineView::urlChanged, this, [this](const QUrl& url) {
        if (url.isEmpty()) return;
        emit NavigateComplete2(LocationURL());
    });
    connect(page_, &BrowsePage::documentChanged, this, [this] { emit NavigateComplete2(LocationURL()); });
    connect(view()->page(), &QWebEnginePage::renderProcessTerminated, this, [this] { emit pageProcessEnded(); });
}

QUrl WebBrowser::addressOf(const QString& pathOrUrl) {
    const QString text = pathOrUrl.trimmed();
    const QFileInfo info(text);
    // A local file goes through the local scheme, which serves it (and a preview copy as HTML)
    // with the rest of its site and nothing else.
    if (info.isAbsolute()) {
        // A place in the page, as the address box shows it; a file of that whole name wins.
        const qsizetype mark = text.lastIndexOf(u'#');
        if (mark > 0 && !info.exists() && QFileInfo(text.left(mark)).isFile()) {
            QUrl url = localPageUrl(QFileInfo(text.left(mark)).absoluteFilePath());
            url.setFragment(text.mid(mark + 1));
            return url;
        }
        return localPageUrl(info.absoluteFilePath());
    }
    if (text.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
        const QUrl url(text);
        if (url.isLocalFile()) return localPageUrl(url.toLocalFile());
    }
    return QUrl::fromUserInput(text);
}

void WebBrowser::Navigate(const QString& address) { Navigate2(address); }

void WebBrowser::Navigate2(const QString& pathOrUrl) {
    const QUrl url = addressOf(pathOrUrl);
    if (!url.isValid()) return;
    if (home_.isEmpty() && url.scheme() != QLatin1String("about")) home_ = pathOrUrl;
    showAddress(url);
}

void WebBrowser::showPageCopy(const QString& copyPath, const QString& shownAs) {
    if (!copyShownAs_.isEmpty() && copyShownAs_ != shownAs) showLocalPageAs(copyShownAs_, QString());
    copyShownAs_ = shownAs;
    showLocalPageAs(shownAs, copyPath);
    showAddress(localPageUrl(shownAs));
}

void WebBrowser::endPageCopy() {
    if (copyShownAs_.isEmpty()) return;
    showLocalPageAs(copyShownAs_, QString());
    copyShownAs_.clear();
}

void WebBrowser::showWorkPage(const QString& path) { showAddress(localPageUrl(path, true)); }

void WebBrowser::showAddress(const QUrl& url) {
    page_->startAfresh();
    // The same page written anew: load it again rather than keep the old one.
    if (url == view()->url()) view()->reload();
    else view()->load(url);
}

void WebBrowser::GoBack() {
    if (!hasView()) return;
    page_->startAfresh();
    view()->back();
}

void WebBrowser::GoForward() {
    if (!hasView()) return;
    page_->startAfresh();
    view()->forward();
}

void WebBrowser::Stop() {
    if (hasView()) view()->stop();
}

void WebBrowser::Refresh() {
    if (!hasView()) return;
    page_->startAfresh();
    // The file the user opened, not a path a script put in its place.
    const QUrl own = page_->documentUrl();
    const QString ownPath = localPagePath(own);
    if (!ownPath.isEmpty() && ownPath != localPagePath(view()->url())) view()->load(own);
    else view()->reload();
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
    // A web page's address is its origin's to set, as in any browser.
    if (path.isEmpty()) return url.toString();
    // A local page's script can give its address any path of its site: shown is the file the
    // document came from, and a place in it while the address still names that file.
    const QString own = localPagePath(page_->documentUrl());
    if (!own.isEmpty() && own != path) return own;
    return url.hasFragment() ? path + u'#' + url.fragment() : path;
}

}  // namespace kavrin
