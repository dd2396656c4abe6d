#pragma once
// Fetching one resource by web address, as a page to edit: the call waits for the whole body
// while the window keeps handling events (a time-out timer or a Cancel button may run), and
// says what failed. Redirects are followed unless they lead from https to http.
#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <QNetworkReply>

class QNetworkAccessManager;

namespace kavrin {

class InternetTransfer : public QObject {
    Q_OBJECT
public:
    explicit InternetTransfer(QObject* parent = nullptr);
    ~InternetTransfer() override;

    struct Result {
        bool ok = false;
        bool cancelled = false;
        int httpStatus = 0;     // 0 when no answer came
        QByteArray body;
        QString contentType;    // the Content-Type header, e.g. "text/html; charset=utf-8"
        QUrl url;               // where the body came from, after redirects
        QString error;          // for the user, when !ok and not cancelled
    };

    // An address without a scheme is taken as http ("www.example.com/a.html").
    static QUrl urlFromAddress(const QString& address);

    // Fetches the address and returns once the transfer has ended; events keep running meanwhile.
    // Bodies larger than `maxBytes` are refused.
    Result openUrl(const QString& address, qint64 maxBytes = 256LL * 1024 * 1024);
    // Stops the running transfer; openUrl then returns with `cancelled` set.
    void cancel();
    bool stillExecuting() const { return reply_ != nullptr; }

private:
    QNetworkAccessManager* manager_ = nullptr;
    QPointer<QNetworkReply> reply_;
    bool cancelled_ = false;
};

}  // namespace kavrin
