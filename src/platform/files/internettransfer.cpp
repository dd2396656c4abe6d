#include "platform/files/internettransfer.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace kavrin {

InternetTransfer::InternetTransfer(QObject* parent) : QObject(parent), manager_(new QNetworkAccessManager(this)) {
    // The desktop's proxy settings (http_proxy, no_proxy) apply, as in a browser.
    QNetworkProxyFactory::setUseSystemConfiguration(true);
    manager_->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
}

InternetTransfer::~InternetTransfer() { cancel(); }

QUrl InternetTransfer::urlFromAddress(const QString& address) {
    const QString text = address.trimmed();
    if (text.isEmpty()) return {};
    if (!text.contains(QLatin1String("://"))) return QUrl(QStringLiteral("http://") + text, QUrl::TolerantMode);
    return QUrl(text, QUrl::TolerantMode);
}

InternetTransfer::Result InternetTransfer::openUrl(const QString& address, qint64 maxBytes) {
    Result r;
    cancel();
    cancelled_ = false;
    r.url = urlFromAddress(address);
    if (!r.url.isValid() || r.url.host().isEmpty() ||
        (r.url.scheme() != QLatin1String("http") && r.url.scheme() != QLatin1String("https"))) {
        r.error = QStringLiteral("'%1' is not a web address (http or https).").arg(address);
        return r;
    }
    QNetworkRequest request(r.url);
    request.setMaximumRedirectsAllowed(10);
    QNetworkReply* reply = manager_->get(request);
    reply_ = reply;
    bool tooLarge = false;
    QEventLoop loop;
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    connect(reply, &QNetworkReply::downloadProgress, &loop, [&](qint64 received, qint64) {
        if (received > maxBytes && !tooLarge) {
            tooLarge = true;
            reply->abort();
        }
    });
    if (!reply->isFinished()) loop.exec();

    r.cancelled = cancelled_;
    r.httpStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    r.contentType = reply->header(QNetworkRequest::ContentTypeHeader).toString();
    r.url = reply->url();
    const QString reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    if (tooLarge) {
        r.error = QStringLiteral("The page is larger than %1 MB.").arg(maxBytes / (1024 * 1024));
    } else if (r.cancelled) {
        // Nothing to say: the user or the time-out stopped it.
    } else if (r.httpStatus >= 400) {
        r.error = QStringLiteral("The server answered %1 %2.").arg(r.httpStatus).arg(reason).trimmed();
    } else if (reply->error() != QNetworkReply::NoError) {
        r.error = reply->errorString();
        // The network layer's own words for a compressed page it would not unpack say nothing
        // after the colon when the page would unpack to many times its size.
        static const QString decompression = QStringLiteral("Decompression failed");
        if (r.error.startsWith(decompression)) {
            const QString detail = r.error.mid(decompression.size()).remove(0, 1).trimmed();
            r.error = detail.isEmpty()
                          ? QStringLiteral("The server sent the page compressed, and it would unpack to many times its "
                                           "size (a compression bomb), so it was not unpacked.")
                          : QStringLiteral("The server sent the page compressed, and it could not be unpacked: %1")
                                .arg(detail);
        }
    } else {
        r.body = reply->readAll();
        r.ok = true;
    }
    reply_ = nullptr;
    reply->deleteLater();
    return r;
}

void InternetTransfer::cancel() {
    if (!reply_) return;
    cancelled_ = true;
    reply_->abort();
}

}  // namespace kavrin
