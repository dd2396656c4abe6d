#include "platform/webviews.h"

#include <QFile>
#include <QFileInfo>
#include <QVBoxLayout>
#include <QWebEngineView>

namespace kavrin {

LazyWebView::LazyWebView(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

QWebEngineView* LazyWebView::view() {
    if (!view_) {
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

void WebBrowser::viewCreated() {
    connect(view(), &QWebEngineView::urlChanged, this,
            [this](const QUrl& url) { emit NavigateComplete2(url.toString()); });
}

void WebBrowser::Navigate2(const QString& pathOrUrl) {
    const QFileInfo info(pathOrUrl);
    if (info.isAbsolute() && info.exists()) {
        if (pathOrUrl.endsWith(QLatin1String(".browse"))) {
            // A preview copy with an unknown extension: hand it over as HTML with the
            // document's folder as base, so relative pictures and links still work.
            QFile f(pathOrUrl);
            if (f.open(QIODevice::ReadOnly))
                view()->setHtml(QString::fromUtf8(f.readAll()), QUrl::fromLocalFile(info.absoluteFilePath()));
            return;
        }
        view()->load(QUrl::fromLocalFile(info.absoluteFilePath()));
        return;
    }
    view()->load(QUrl::fromUserInput(pathOrUrl));
}

QString WebBrowser::LocationURL() {
    return hasView() ? view()->url().toString() : QString();
}

}  // namespace kavrin
