#include "platform/web/shownserver.h"

#include <QFile>
#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/web/pagesite.h"

namespace kavrin {

namespace {

const QString kSuffix = QStringLiteral(".localhost");
// A request's head is short; one that is not is no browser's.
constexpr qsizetype kLongestHead = 16 * 1024;
// What waits in a connection's buffer at most: a film in a frame never sits in memory whole. A
// long page goes out as fast as the engine takes it only when each turn of this thread, which
// also answers the engine's every request of the page, hands it megabytes: in pieces of 64 KB
// behind 256 KB, a 10 MB page took the engine 2.1 times as long to show as from its file, in
// these 1.6 times.
constexpr qint64 kQueued = 4 * 1024 * 1024;
constexpr qint64 kPiece = 1024 * 1024;
// How long a connection waits for its next request. The engine keeps a few connections to each
// host and asks each for the next file as soon as the last has come: a page of a thousand
// pictures then costs it no new connection for each (2,000 pictures showed in Browse about a
// tenth sooner). An idle connection holds no file, but two descriptors of this process (the
// engine's network stack runs in it too), and a page's shown files each have a host of their
// own: beyond the few a site's pages reuse, the connection that has waited longest ends.
constexpr int kIdleMs = 30 * 1000;
constexpr qsizetype kMostIdle = 16;

class Exchange;
// The connections waiting for their next request, the one that has waited longest first.
using Waiting = QList<Exchange*>;

// The requests of one connection, answered one after another.
class Exchange : public QObject {
public:
    Exchange(QTcpSocket* socket, quint16 port, const ShownDecider& decide, Waiting& waiting)
        : QObject(socket), socket_(socket), port_(port), decide_(decide), waiting_(waiting) {
        idle_.setSingleShot(true);
        idle_.setInterval(kIdleMs);
        connect(&idle_, &QTimer::timeout, this, &Exchange::end);
        connect(socket, &QTcpSocket::readyRead, this, &Exchange::readHead);
        connect(socket, &QTcpSocket::bytesWritten, this, &Exchange::sendMore);
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        idle_.start();
    }
    ~Exchange() override {
        if (fd_ >= 0) ::close(fd_);
        setIdle(false);
    }

private:
    void readHead() {
        // The engine asks for the next file once this answer is out; until then what it sends
        // stays in the socket.
        if (busy_ || closing_) return;
        head_ += socket_->readAll();
        const qsizetype end = head_.indexOf("\r\n\r\n");
        if (end < 0) {
            if (head_.size() > kLongestHead) finish("400 Bad Request", QByteArray(), true);
            return;
        }
        busy_ = true;
        idle_.stop();
        setIdle(false);
        const QByteArray wholeHead = head_.left(end);
        head_.remove(0, end + 4);
        const QList<QByteArray> lines = wholeHead.split('\n');
        const QList<QByteArray> request = lines.value(0).trimmed().split(' ');
        QByteArray host;
        QByteArray range;
        QByteArray fetchSite;
        QByteArray fetchDest;
        QByteArray connection;
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QByteArray line = lines[i].trimmed();
            const qsizetype colon = line.indexOf(':');
            if (colon < 0) continue;
            const QByteArray name = line.left(colon).trimmed().toLower();
            if (name == "host") host = line.mid(colon + 1).trimmed().toLower();
            else if (name == "range") range = line.mid(colon + 1).trimmed();
            else if (name == "sec-fetch-site") fetchSite = line.mid(colon + 1).trimmed().toLower();
            else if (name == "sec-fetch-dest") fetchDest = line.mid(colon + 1).trimmed().toLower();
            else if (name == "connection") connection = line.mid(colon + 1).trimmed().toLower();
        }
        if (request.value(2) != "HTTP/1.1" || connection.contains("close")) closing_ = true;
        const QByteArray method = request.value(0);
        // A body would be taken for the next request: a request that may carry one ends the connection.
        if (request.size() != 3 || (method != "GET" && method != "HEAD"))
            return finish("405 Method Not Allowed", QByteArray(), true);
        headOnly_ = method == "HEAD";
        // Only a name of this server's own form: a page of the web whose name resolves here
        // does not send it.
        const QByteArray ending = kSuffix.toLatin1() + ':' + QByteArray::number(port_);
        if (!host.endsWith(ending)) return finish("404 Not Found");
        const QString label = QString::fromLatin1(host.left(host.size() - ending.size()));
        QUrl url(QString::fromLatin1(request[1]));
        const QString path = url.path(QUrl::FullyDecoded);
        if (label.isEmpty() || label.contains(u'.') || !path.startsWith(u'/') || path.contains(QChar(0)))
            return finish("404 Not Found");
        // The engine tells every name of this server (each a host of loopback's own name, which
        // it trusts as a secure one) who asks: the page's own origin, the user, or another.
        const bool foreign = !fetchSite.isEmpty() && fetchSite != "same-origin" && fetchSite != "none" &&
                             fetchDest != "document";
        const ShownAnswer answer = decide_(label, path, foreign);
        if (answer.redirect.isValid())
            return finish("302 Found", "Location: " + answer.redirect.toEncoded() + "\r\n");
        if (answer.file.isEmpty()) return finish("404 Not Found");
        fd_ = openSiteFile(answer.file);
        struct stat st {};
        if (fd_ < 0 || ::fstat(fd_, &st) != 0) return finish("404 Not Found");
        qint64 from = 0;
        qint64 to = st.st_size - 1;
        QByteArray status = "200 OK";
        QByteArray extra = "Content-Type: " + answer.type + "\r\nAccept-Ranges: bytes\r\n";
        // What a page shows from outside its site is never taken for another kind of file.
        if (!answer.own) extra += "X-Content-Type-Options: nosniff\r\n";
        if (!answer.sharedWith.isEmpty()) extra += "Access-Control-Allow-Origin: " + answer.sharedWith + "\r\n";
        if (range.startsWith("bytes=") && !range.contains(',')) {
            const QList<QByteArray> ends = range.mid(6).split('-');
            bool okFrom = false;
            bool okTo = false;
            const qint64 a = ends.value(0).toLongLong(&okFrom);
            const qint64 b = ends.value(1).toLongLong(&okTo);
            if (ends.size() == 2 && okFrom) {
                from = a;
                if (okTo && b < to) to = b;
            } else if (ends.size() == 2 && ends[0].isEmpty() && okTo) {
                from = qMax<qint64>(0, st.st_size - b);
            }
            if (from > to || from >= st.st_size)
                return finish("416 Range Not Satisfiable", "Content-Range: bytes */" + QByteArray::number(st.st_size) + "\r\n");
            status = "206 Partial Content";
            extra += "Content-Range: bytes " + QByteArray::number(from) + '-' + QByteArray::number(to) + '/' +
                     QByteArray::number(st.st_size) + "\r\n";
        }
        at_ = from;
        end_ = to + 1;
        send(status, extra + "Content-Length: " + QByteArray::number(end_ - at_) + "\r\n");
        if (headOnly_) end_ = at_;
        sendMore();
    }

    // Ready for the connection's next request, which may have come already.
    void answered() {
        busy_ = false;
        idle_.start();
        setIdle(true);
        if (!head_.isEmpty() || socket_->bytesAvailable() > 0) QTimer::singleShot(0, this, &Exchange::readHead);
    }

    void setIdle(bool idle) {
        waiting_.removeOne(this);
        if (!idle) return;
        waiting_.append(this);
        if (waiting_.size() > kMostIdle) waiting_.takeFirst()->end();
    }

    // Ends the connection while it waits.
    void end() {
        setIdle(false);
        closing_ = true;
        socket_->disconnectFromHost();
    }

    void send(const QByteArray& status, const QByteArray& headers) {
        // No page tells another the name it came from (a site's name is what keeps a page out
        // of it), and no two labels share their pages' scripts (document.domain): each is an
        // origin on its own.
        socket_->write("HTTP/1.1 " + status + "\r\n" + headers +
                       "Cache-Control: no-store\r\nReferrer-Policy: no-referrer\r\nOrigin-Agent-Cluster: ?1\r\n"
                       + (closing_ ? "Connection: close\r\n" : "") + "\r\n");
    }

    // An answer without a body; `last` ends the connection after it.
    void finish(const QByteArray& status, const QByteArray& headers = QByteArray(), bool last = false) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
        closing_ = closing_ || last;
        send(status, headers + "Content-Length: 0\r\n");
        if (closing_) socket_->disconnectFromHost();
        else answered();
    }

    void sendMore() {
        if (fd_ < 0) return;
        QByteArray piece;
        while (at_ < end_ && socket_->bytesToWrite() < kQueued) {
            piece.resize(qsizetype(qMin(kPiece, end_ - at_)));
            const ssize_t got = ::pread(fd_, piece.data(), size_t(piece.size()), off_t(at_));
            if (got <= 0) {
                // Cut short while it was sent: the connection ends before the length it promised.
                socket_->abort();
                return;
            }
            socket_->write(piece.constData(), got);
            at_ += got;
        }
        if (at_ >= end_) {
            ::close(fd_);
            fd_ = -1;
            if (closing_) socket_->disconnectFromHost();
            else answered();
        }
    }

    QTcpSocket* socket_;
    const quint16 port_;
    const ShownDecider& decide_;
    Waiting& waiting_;
    QTimer idle_;
    QByteArray head_;
    bool busy_ = false;     // a request is being answered
    bool closing_ = false;  // the connection ends after this answer
    bool headOnly_ = false;
    int fd_ = -1;
    qint64 at_ = 0;
    qint64 end_ = 0;
};

class ShownServer : public QTcpServer {
public:
    explicit ShownServer(ShownDecider decide) : decide_(std::move(decide)) {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                // An answer's head and a small file go out at once: held back for the head's
                // acknowledgement (Nagle's rule), each picture of a page would wait for the engine's.
                socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
                new Exchange(socket, serverPort(), decide_, waiting_);
            }
        });
        listen(QHostAddress::LocalHost, 0);
    }

private:
    const ShownDecider decide_;
    Waiting waiting_;
};

ShownServer* server(const ShownDecider& decide) {
    static ShownServer* running = nullptr;
    if (!running) running = new ShownServer(decide);
    return running;
}

quint16& port() {
    static quint16 value = 0;
    return value;
}

}  // namespace

QUrl shownFileUrl(const QString& label, const QString& path, const ShownDecider& decide) {
    ShownServer* s = server(decide);
    port() = s->serverPort();
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(label + kSuffix);
    url.setPort(s->serverPort());
    url.setPath(path);
    return url;
}

QString shownLabel(const QUrl& url) {
    if (port() == 0 || url.scheme() != QLatin1String("http") || url.port() != port()) return QString();
    const QString host = url.host();
    if (!host.endsWith(kSuffix)) return QString();
    const QString label = host.left(host.size() - kSuffix.size());
    return label.contains(u'.') ? QString() : label;
}

}  // namespace kavrin
