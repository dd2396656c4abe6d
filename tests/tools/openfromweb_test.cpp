// Open From The Web against a small HTTP server that the test runs on 127.0.0.1.
#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <map>

#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "fixture.h"
#include "qstringprint.h"
#include "mainwindow/mdiMain.h"
#include "platform/files/internettransfer.h"
#include "platform/forms/msgbox.h"
#include "platform/files/settingsstore.h"
#include "tagdialogs/tagdialog.h"
#include "tools/frmOpenFromWeb.h"
#include "tools/webpage.h"

namespace kavrin::test {
namespace {

// Answers GET requests by path; a path without an answer is held open and never answered.
class TinyHttpServer : public QObject {
public:
    struct Answer {
        QByteArray statusLine = "200 OK";
        QByteArray headers;
        QByteArray body;
    };

    TinyHttpServer() {
        EXPECT_TRUE(server_.listen(QHostAddress::LocalHost, 0));
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
                connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
                    held_.remove(socket);
                    buffers_.remove(socket);
                    socket->deleteLater();
                });
            }
        });
    }

    QString address(const QString& path) const { return "127.0.0.1:" + QString::number(server_.serverPort()) + path; }
    void answer(const QByteArray& path, Answer a) { answers_[path] = std::move(a); }
    // Connections whose request is held and that the client has not closed yet.
    int heldOpen() const { return int(held_.size()); }

    QList<QByteArray> requested;

private:
    void read(QTcpSocket* socket) {
        QByteArray& buffer = buffers_[socket];
        buffer += socket->readAll();
        for (qsizetype end; (end = buffer.indexOf("\r\n\r\n")) >= 0;) {
            const QByteArray head = buffer.left(end);
            buffer.remove(0, end + 4);
            const QByteArray path = head.split(' ').value(1);
            requested << path;
            auto it = answers_.find(path);
            if (it == answers_.end()) {
                held_.insert(socket);
                continue;
            }
            const Answer& a = it->second;
            socket->write("HTTP/1.1 " + a.statusLine + "\r\n" + a.headers + "Content-Length: " +
                          QByteArray::number(a.body.size()) + "\r\nConnection: close\r\n\r\n" + a.body);
            socket->disconnectFromHost();
            return;
        }
    }

    QTcpServer server_;
    std::map<QByteArray, Answer> answers_;
    QHash<QTcpSocket*, QByteArray> buffers_;
    QSet<QTcpSocket*> held_;
};

// Lets events run until `done` holds or two seconds have passed.
bool waitFor(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 2000) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return done();
}

TEST(WebPageTest, TheDeclaredCharsetDecidesElseTheEditorsOwnRule) {
    // The header wins over the page's own meta tag.
    WebPageText p = decodeWebPage("<meta charset=\"utf-8\"><p>caf\xE9</p>", "text/html; charset=ISO-8859-1");
    EXPECT_EQ(p.text, QString::fromUtf8("<meta charset=\"utf-8\"><p>caf\xC3\xA9</p>"));
    EXPECT_EQ(p.format.encoding, TextFormat::Encoding::Windows1252);
    // The meta tag when the header is silent, either form.
    p = decodeWebPage("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">\x93q\x94", "text/html");
    EXPECT_TRUE(p.text.endsWith(QString::fromUtf8("\xE2\x80\x9Cq\xE2\x80\x9D")));
    p = decodeWebPage("<META CHARSET=UTF-8>\xC3\xA9", "");
    EXPECT_EQ(p.text, QString::fromUtf8("<META CHARSET=UTF-8>\xC3\xA9"));
    // Nothing declared: UTF-8 when it is, else Windows-1252.
    EXPECT_EQ(decodeWebPage("\xC3\xA9", "").text, QString::fromUtf8("\xC3\xA9"));
    EXPECT_EQ(decodeWebPage("\xE9", "").text, QString::fromUtf8("\xC3\xA9"));
    // A byte-order mark over anything declared; NUL bytes are no page.
    EXPECT_EQ(decodeWebPage("\xEF\xBB\xBF\xC3\xA9", "text/html; charset=iso-8859-1").text, QString::fromUtf8("\xC3\xA9"));
    EXPECT_FALSE(decodeWebPage(QByteArray("GIF89a\0\0", 8), "image/gif").ok);
}

TEST(WebPageTest, LineEndsBecomeCrLfAndTheHistoryKeepsItsOrder) {
    EXPECT_EQ(normalizeLineEnds("a\nb\n"), "a\r\nb\r\n");
    EXPECT_EQ(normalizeLineEnds("\na\r"), "\r\na\r\n");
    EXPECT_EQ(normalizeLineEnds("a\r\n\r\nb\r\r\n"), "a\r\n\r\nb\r\n\r\n");
    EXPECT_EQ(decodeWebPage("x\ny\rz", "").text, "x\r\ny\r\nz");

    const QStringList h = {"a", "b", "c", "d"};
    EXPECT_EQ(addressHistoryAfter(h, "c", 100), (QStringList{"c", "a", "b", "d"}));
    EXPECT_EQ(addressHistoryAfter(h, "a", 100), h);
    EXPECT_EQ(addressHistoryAfter(h, "A", 100), (QStringList{"A", "a", "b", "c", "d"}));
    EXPECT_EQ(addressHistoryAfter(h, "e", 4), (QStringList{"e", "a", "b", "c"}));

    EXPECT_EQ(clampTimeoutText("120"), "120");
    EXPECT_EQ(clampTimeoutText("300"), "240");
    EXPECT_EQ(clampTimeoutText("3"), "5");
    EXPECT_EQ(clampTimeoutText("abc"), "30");
    EXPECT_EQ(clampTimeoutText(""), "30");
    EXPECT_EQ(InternetTransfer::urlFromAddress("www.example.com/a.html").toString(), "http://www.example.com/a.html");
    EXPECT_EQ(InternetTransfer::urlFromAddress("https://example.com").scheme(), "https");
}

class OpenFromWebTest : public KavrinTest {
protected:
    void SetUp() override {
        KavrinTest::SetUp();
        mainWindow = new mdiMain();
        mainWindow->show();
        server.answer("/page", {"200 OK", "Content-Type: text/html; charset=windows-1252\r\n",
                                "<p>caf\xE9</p>\n<p>two</p>\r"});
        server.answer("/old", {"301 Moved Permanently", "Location: /page\r\n", ""});
        server.answer("/missing", {"404 Not Found", "Content-Type: text/html\r\n", "<p>gone</p>"});
        server.answer("/empty", {"200 OK", "Content-Type: text/html\r\n", ""});
    }

    // Opens the dialog from the menu and runs `drive` on it.
    void withDialog(const std::function<void(frmOpenFromWeb&)>& drive) {
        expectModal("frmOpenFromWeb", [drive](Form& form) {
            auto& f = static_cast<frmOpenFromWeb&>(form);
            EXPECT_TRUE(f.isVisible());
            EXPECT_EQ(f.caption(), "Open From The Web");
            drive(f);
        });
        mainWindow->mnuFileOpenFromWeb->trigger();
    }

    // Fetches the address; `message` is the failure the user is expected to be told.
    void fetch(const QString& address, const QString& message = QString()) {
        withDialog([&](frmOpenFromWeb& f) {
            f.cboUrl->setEditText(address);
            if (!message.isEmpty()) expectMsgBox(message, vbOK);
            f.cmdOk->click();
        });
    }

    // Runs `action` once the server has had `count` requests (while a fetch waits for its answer).
    void onceRequested(QObject* context, int count, std::function<void()> action) {
        auto* poll = new QTimer(context);
        QObject::connect(poll, &QTimer::timeout, context, [this, poll, count, action] {
            if (server.requested.size() < count) return;
            poll->stop();
            poll->deleteLater();
            action();
        });
        poll->start(5);
    }

    static QString history(const QString& key) { return getSetting("Kavrin Pro", "OpenFromWeb", key); }

    TinyHttpServer server;
};

TEST_F(OpenFromWebTest, APageOpensAsANewUnsavedDocumentAndIsRemembered) {
    const QString address = server.address("/page");  // no scheme: http
    fetch(address);
    DocumentWindow* doc = activeDocument();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->txtMain->text(), QString::fromUtf8("<p>caf\xC3\xA9</p>\r\n<p>two</p>\r\n"));
    EXPECT_FALSE(doc->fileSaved);
    EXPECT_TRUE(doc->filePath.startsWith("Untitled_"));
    EXPECT_EQ(doc->txtMain->textFormat().encoding, TextFormat::Encoding::Windows1252);
    EXPECT_TRUE(mainWindow->mnuEditCut->isEnabled());
    EXPECT_FALSE(mainWindow->mnuFileSaveAll->isEnabled());
    EXPECT_EQ(history("Num"), "1");
    EXPECT_EQ(history("URL_1"), address);

    // A redirect is followed; the address as typed goes on top of the history.
    fetch(server.address("/old"));
    EXPECT_EQ(documentWindows().size(), 2);
    EXPECT_EQ(activeDocument()->txtMain->text(), doc->txtMain->text());
    EXPECT_EQ(history("Num"), "2");
    EXPECT_EQ(history("URL_1"), server.address("/old"));
    EXPECT_EQ(history("URL_2"), address);
}

TEST_F(OpenFromWebTest, AFailedFetchSaysWhatFailedAndOpensNothing) {
    fetch(server.address("/missing"), "404 Not Found");
    fetch(server.address("/empty"), "holds no text");
    // Nobody listens there.
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    const QString refused = "http://127.0.0.1:" + QString::number(closed.serverPort()) + "/";
    closed.close();
    fetch(refused, "could not be opened");
    fetch("ftp://127.0.0.1/file", "is not a web address");
    // A small answer that would unpack to a great many bytes.
    server.answer("/bomb", {"200 OK", "Content-Type: text/html\r\nContent-Encoding: deflate\r\n",
                            qCompress(QByteArray(64 * 1024 * 1024, 'a')).mid(4)});
    fetch(server.address("/bomb"), "a compression bomb");
    EXPECT_TRUE(documentWindows().isEmpty());
    EXPECT_EQ(history("Num"), "");

    // An empty address closes at once without a fetch.
    const int asked = int(server.requested.size());
    fetch("");
    EXPECT_EQ(server.requested.size(), asked);
}

TEST_F(OpenFromWebTest, TheTimeOutAndCancelStopTheTransfer) {
    // The answer never comes; the time-out fires (its wait shortened here) and ends the fetch.
    withDialog([&](frmOpenFromWeb& f) {
        f.txtTimeout->setText("5");
        f.cboUrl->setEditText(server.address("/slow"));
        onceRequested(&f, 1, [&f] {
            EXPECT_TRUE(f.tmrTimeout->isActive());
            EXPECT_EQ(f.tmrTimeout->interval(), 5000);
            EXPECT_TRUE(f.Inet->stillExecuting());
            f.tmrTimeout_Timer();
        });
        expectMsgBox("The remote document was not found.\r\n\r\nNo answer came from '" + server.address("/slow") +
                         "' within 5 seconds", vbOK);
        f.cmdOk->click();
    });
    EXPECT_TRUE(documentWindows().isEmpty());
    EXPECT_EQ(history("Num"), "");
    EXPECT_TRUE(waitFor([this] { return server.heldOpen() == 0; }));

    // Cancel while waiting stops the transfer and closes the dialog without a word.
    QPointer<frmOpenFromWeb> dialog;
    withDialog([&](frmOpenFromWeb& f) {
        dialog = &f;
        f.cboUrl->setEditText(server.address("/slow"));
        onceRequested(&f, 2, [&f] { f.cmdCancel->click(); });
        f.cmdOk->click();
        EXPECT_FALSE(f.Inet->stillExecuting());
    });
    QApplication::processEvents();
    EXPECT_TRUE(!dialog || !dialog->isLoaded());
    // The connection was closed from our side.
    EXPECT_TRUE(waitFor([this] { return server.heldOpen() == 0; }));
    EXPECT_TRUE(documentWindows().isEmpty());
}

TEST_F(OpenFromWebTest, TheHistoryLoadsMostRecentFirstAndTheTimeOutStaysInRange) {
    saveSetting("Kavrin Pro", "OpenFromWeb", "Num", "3");
    saveSetting("Kavrin Pro", "OpenFromWeb", "URL_1", "one");
    saveSetting("Kavrin Pro", "OpenFromWeb", "URL_2", "Two");
    saveSetting("Kavrin Pro", "OpenFromWeb", "URL_3", server.address("/page"));
    withDialog([&](frmOpenFromWeb& f) {
        ASSERT_EQ(f.cboUrl->count(), 3);
        EXPECT_EQ(f.cboUrl->itemText(0), "one");
        EXPECT_EQ(f.cboUrl->itemText(2), server.address("/page"));
        EXPECT_EQ(f.cboUrl->currentText(), "");

        // Every keystroke keeps the time-out between 5 and 240.
        f.txtTimeout->clear();
        EXPECT_EQ(f.txtTimeout->text(), "30");
        f.txtTimeout->selectAll();
        QTest::keyClicks(f.txtTimeout, "1");
        EXPECT_EQ(f.txtTimeout->text(), "5");
        f.txtTimeout->setText("300");
        EXPECT_EQ(f.txtTimeout->text(), "240");
        f.updTimeout->upButton->click();
        EXPECT_EQ(f.txtTimeout->text(), "240");
        f.updTimeout->downButton->click();
        EXPECT_EQ(f.txtTimeout->text(), "235");
        f.txtTimeout->setText("x");
        EXPECT_EQ(f.txtTimeout->text(), "30");

        // The third entry fetched again moves to the top; the count stays.
        f.cboUrl->setCurrentIndex(2);
        f.cmdOk->click();
    });
    EXPECT_EQ(history("Num"), "3");
    EXPECT_EQ(history("URL_1"), server.address("/page"));
    EXPECT_EQ(history("URL_2"), "one");
    EXPECT_EQ(history("URL_3"), "Two");

    // A count that is no number is an empty history.
    saveSetting("Kavrin Pro", "OpenFromWeb", "Num", "many");
    withDialog([](frmOpenFromWeb& f) {
        EXPECT_EQ(f.cboUrl->count(), 0);
        f.cmdCancel->click();
    });
}

}  // namespace
}  // namespace kavrin::test
