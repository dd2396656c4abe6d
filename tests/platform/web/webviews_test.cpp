// The design and browse controls' own rules, and the design control on the real web engine.
#include <QDir>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <iostream>
#include <unistd.h>
#include <QFile>
#include <QHostAddress>
#include <QTcpSocket>
#include <QSignalSpy>
#include <QUrl>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include "designwait.h"
#include "fixture.h"
#include "platform/web/dhtmledit.h"
#include "platform/web/pagebase.h"
#include "platform/web/webbrowser.h"
#include "platform/web/webviews.h"

namespace kavrin::test {
namespace {

class WebViewsTest : public KavrinTest {};

// Runs a script in the design page's own world and returns its result.
QVariant js(DhtmlEdit& edit, const QString& script) {
    QVariant result;
    bool done = false;
    edit.view()->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld, [&](const QVariant& v) {
        result = v;
        done = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, 20000));
    return result;
}

// Selects from the start of one element's content to the end of another's; with one id, a caret
// at the start of that element.
void select(DhtmlEdit& edit, const QString& from, const QString& to = QString()) {
    js(edit, QString("(() => { const r = document.createRange(); r.setStart(document.getElementById('%1'), 0);"
                     "const e = document.getElementById('%2'); if (e) r.setEnd(e, e.childNodes.length);"
                     "getSelection().removeAllRanges(); getSelection().addRange(r); })()")
                 .arg(from, to));
}

// Types at the caret as the engine's typing does, and waits until the page has reported it.
void type(DhtmlEdit& edit, const QString& text) {
    const QString before = currentHtml(edit);
    js(edit, QString("document.execCommand('insertText', false, '%1')").arg(text));
    EXPECT_TRUE(QTest::qWaitFor([&] { return currentHtml(edit) != before; }, 5000)) << text.toStdString();
}

std::string str(const QString& s) { return s.toStdString(); }

// Runs Undo or Redo once for each page given, checking the page after each.
void step(DhtmlEdit& edit, int command, const QStringList& pages) {
    for (const QString& expected : pages) {
        edit.ExecCommand(command);
        EXPECT_EQ(str(currentHtml(edit)), str(expected)) << (command == DECMD_UNDO ? "undo" : "redo");
    }
}

TEST_F(WebViewsTest, PagesAreShownInTheEncodingTheEditorReadsThemIn) {
    EXPECT_EQ(pageContentType("<p>caf\xc3\xa9</p>"), "text/html;charset=utf-8");
    EXPECT_EQ(pageContentType("<p>caf\xe9</p>"), "text/html;charset=windows-1252");
    // A page that names its own character set keeps it when its bytes are not UTF-8.
    EXPECT_EQ(pageContentType("<meta charset=\"iso-8859-2\"><p>\xb9</p>"), "text/html");
    EXPECT_EQ(pageContentType("<meta http-equiv=Content-Type content=\"text/html; charset=koi8-r\">\xc1"), "text/html");
}

// A page's own base decides where its pictures come from, wherever it stands; a page in UTF-16
// would be garbled by an ASCII tag.
TEST_F(WebViewsTest, APagesOwnBaseAndAWidePageAreLeftAlone) {
    QByteArray href;
    const QByteArray far = "<title>t</title><p>" + QByteArray(100 * 1024, 'x') + "</p><base href=\"http://example.com/\">";
    EXPECT_EQ(withFolderBase(far, "kvdesign://page/s/site/", &href), far);
    EXPECT_TRUE(href.isEmpty());
    const QByteArray wide("\xFF\xFE<\0p\0>\0", 8);
    EXPECT_EQ(withFolderBase(wide, "kvdesign://page/s/site/", &href), wide);
    EXPECT_EQ(withFolderBase("<p>x", "kvdesign://page/s/my%20site/?a=\"1\"&b", &href),
              "<base href=\"kvdesign://page/s/my%20site/?a=%221%22%26b\"><p>x");
    EXPECT_EQ(href, "kvdesign://page/s/my%20site/?a=%221%22%26b");
}

TEST_F(WebViewsTest, FramesetPagesAreToldApartAndShownWithoutEditing) {
    EXPECT_TRUE(containsFrameset("<html><FRAMESET cols=\"50%,*\"><frame src=a.htm></frameset></html>"));
    EXPECT_FALSE(containsFrameset("<!-- <frameset> --><p>frameset is a word</p>"));
    EXPECT_FALSE(containsFrameset("<framesetx>"));

    DhtmlEdit edit;
    edit.resize(400, 300);
    edit.show();
    EXPECT_EQ(edit.setDocumentHTML("<frameset rows=\"*\"><frame src=\"a.htm\"></frameset>"), kDesignErrorFrameset);
    ASSERT_TRUE(waitDesignReady(edit, 20000));
    EXPECT_LT(edit.QueryStatus(DECMD_BOLD), DECMDF_ENABLED);
    edit.ExecCommand(DECMD_SELECTALL);
    edit.ExecCommand(DECMD_DELETE);
    EXPECT_FALSE(edit.IsDirty());

    // An ordinary page loads for editing; the display options never reach its HTML.
    EXPECT_EQ(edit.setDocumentHTML("<table><tr><td id=c>x</td></tr></table>"), 0);
    ASSERT_TRUE(waitDesignReady(edit, 20000));
    const QString loaded = edit.loadedHTML();
    edit.ShowBorders = true;
    edit.ShowDetails = true;
    EXPECT_EQ(currentHtml(edit), loaded);
    EXPECT_FALSE(edit.IsDirty());
    EXPECT_EQ(edit.ExecCommand(DECMD_GETBLOCKFMTNAMES).toStringList().first(), "Normal");
    EXPECT_EQ(designBlockFormatTag("Heading 3"), "h3");
}

TEST_F(WebViewsTest, EachTableCommandIsOneUndoAndOneRedoStepAmongTyping) {
    DhtmlEdit edit;
    edit.resize(400, 300);
    edit.show();
    edit.setDocumentHTML("<table border=\"1\" width=\"50%\">\n<!-- rows -->\n"
                         "<tr><td id=\"a\">one</td><td id=\"b\">two</td></tr>\n"
                         "<tr><td id=\"c\" colspan=\"2\"><b>three</b> <br></td></tr>\n</table><p id=\"p\">end</p>");
    ASSERT_TRUE(waitDesignReady(edit, 20000));
    const QString original = currentHtml(edit);
    auto undoable = [&] { return edit.QueryStatus(DECMD_UNDO) == DECMDF_ENABLED; };
    auto redoable = [&] { return edit.QueryStatus(DECMD_REDO) == DECMDF_ENABLED; };

    struct Case {
        int command;
        const char* from;
        const char* to;
    };
    const Case cases[] = {
        {DECMD_INSERTROW, "a", nullptr},  {DECMD_INSERTCOL, "a", nullptr},    {DECMD_INSERTCELL, "b", nullptr},
        {DECMD_DELETEROWS, "a", nullptr}, {DECMD_DELETECOLS, "b", nullptr},   {DECMD_DELETECELLS, "b", nullptr},
        {DECMD_MERGECELLS, "a", "b"},     {DECMD_SPLITCELL, "c", nullptr},
        // Every row goes: the table goes with them, and comes back.
        {DECMD_DELETEROWS, "a", "c"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        select(edit, c.from, c.to);
        edit.ExecCommand(c.command);
        const QString changed = currentHtml(edit);
        ASSERT_NE(changed, original);
        EXPECT_TRUE(QTest::qWaitFor(undoable, 5000));
        edit.ExecCommand(DECMD_UNDO);
        EXPECT_EQ(str(currentHtml(edit)), str(original));
        EXPECT_TRUE(QTest::qWaitFor(redoable, 5000));
        edit.ExecCommand(DECMD_REDO);
        EXPECT_EQ(str(currentHtml(edit)), str(changed));
        edit.ExecCommand(DECMD_UNDO);
        EXPECT_EQ(str(currentHtml(edit)), str(original));
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return !undoable(); }, 5000)) << "undo still on with nothing left to undo";

    // Typing, a row, typing in the new row where the caret went, a second row: each undo takes
    // back one of them, last first, and the caret returns to where the undone step left it.
    select(edit, "a");
    type(edit, "X");
    const QString typed = currentHtml(edit);
    edit.ExecCommand(DECMD_INSERTROW);
    const QString row = currentHtml(edit);
    type(edit, "Y");
    const QString typedInRow = currentHtml(edit);
    EXPECT_TRUE(typedInRow.contains("<tr><td>Y</td><td></td></tr>")) << str(typedInRow);
    edit.ExecCommand(DECMD_INSERTROW);
    const QString rows = currentHtml(edit);
    step(edit, DECMD_UNDO, {typedInRow, row, typed, original});
    step(edit, DECMD_REDO, {typed, row, typedInRow, rows});
    // After an undo, new typing ends the redo of the table command; a table command after it is
    // undone alone.
    edit.ExecCommand(DECMD_UNDO);
    type(edit, "Z");
    const QString retyped = currentHtml(edit);
    EXPECT_TRUE(retyped.contains("<tr><td>YZ</td>")) << str(retyped);
    select(edit, "b");
    edit.ExecCommand(DECMD_INSERTCOL);
    edit.ExecCommand(DECMD_UNDO);
    EXPECT_EQ(str(currentHtml(edit)), str(retyped));
    edit.ExecCommand(DECMD_UNDO);
    EXPECT_EQ(str(currentHtml(edit)), str(typedInRow));
}

TEST_F(WebViewsTest, PositioningAndListKindsAreUndoneInTurnWithTyping) {
    DhtmlEdit edit;
    edit.resize(400, 300);
    edit.show();
    edit.setDocumentHTML("<div id=\"d\">box</div><ul><li id=\"l\">item</li></ul><p id=\"p\">end</p>");
    ASSERT_TRUE(waitDesignReady(edit, 20000));
    const QString original = currentHtml(edit);

    // Typing, Make 2D, Bring to Front, typing: four steps, undone last first and redone.
    select(edit, "d");
    type(edit, "X");
    const QString typed = currentHtml(edit);
    edit.ExecCommand(DECMD_MAKE_ABSOLUTE);
    const QString placed = currentHtml(edit);
    EXPECT_TRUE(placed.contains("position: absolute")) << str(placed);
    edit.ExecCommand(DECMD_BRING_TO_FRONT);
    const QString front = currentHtml(edit);
    EXPECT_TRUE(front.contains("z-index: 1")) << str(front);
    type(edit, "Y");
    const QString retyped = currentHtml(edit);
    EXPECT_TRUE(retyped.contains("XYbox")) << "the caret left its place: " << str(retyped);
    step(edit, DECMD_UNDO, {front, placed, typed, original});
    step(edit, DECMD_REDO, {typed, placed, front, retyped});

    // A list made another kind of list, attributes and items kept.
    select(edit, "l");
    const QString listed = currentHtml(edit);
    edit.ExecCommand(DECMD_SETBLOCKFMT, OLECMDEXECOPT_DONTPROMPTUSER, "Menu List");
    const QString menu = currentHtml(edit);
    EXPECT_TRUE(menu.contains("<menu><li id=\"l\">item</li></menu>")) << str(menu);
    edit.ExecCommand(DECMD_UNDO);
    EXPECT_EQ(str(currentHtml(edit)), str(listed));
    edit.ExecCommand(DECMD_REDO);
    EXPECT_EQ(str(currentHtml(edit)), str(menu));

    // Text that is no list yet made a Directory List: the list and its kind are one step.
    select(edit, "p");
    const QString plain = currentHtml(edit);
    edit.ExecCommand(DECMD_SETBLOCKFMT, OLECMDEXECOPT_DONTPROMPTUSER, "Directory List");
    const QString directory = currentHtml(edit);
    EXPECT_TRUE(directory.contains("<dir>")) << str(directory);
    step(edit, DECMD_UNDO, {plain});
    step(edit, DECMD_REDO, {directory});
}

// Pictures named relative to the page show in Design from the page's folder, yet the HTML read
// back is what the same page gives with no folder at all: whatever the view adds to find them
// never reaches the source, whatever the page's opening looks like, and a base of the page's own
// is kept and followed.
TEST_F(WebViewsTest, DesignShowsThePagesPicturesAndReadsBackOnlyThePage) {
    writeFile("site/img/dot.png", QByteArray::fromBase64("iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42m"
                                                         "P8z8DwHwAFBQIAX8jx0gAAAABJRU5ErkJggg=="));
    const QString path = writeFile("site/page.htm", "");
    const QString pictured = "<p id=p><img id=pic src=\"img/dot.png\">x</p>";
    const QStringList pages{
        "<!DOCTYPE html>\r\n<!-- top -->\r\n<html lang=en>\r\n<head profile=\"a>b\">\r\n<title>t</title>\r\n</head>\r\n"
        "<body>" + pictured + "</body>\r\n</html>\r\n",
        "<!-- top -->\r\n<html>\r\n<!-- in -->\r\n<body>" + pictured,
        "\xef\xbb\xbf  " + pictured,
        "<title>t</title><BASE href=\"elsewhere/\">" + pictured,
    };
    DhtmlEdit edit;
    edit.resize(400, 300);
    edit.show();
    for (const QString& page : pages) {
        edit.setBaseURL(QString());
        edit.setDocumentHTML(page);
        ASSERT_TRUE(waitDesignReady(edit));
        const QString alone = edit.loadedHTML();
        edit.setDocumentHTML(page);
        edit.setBaseURL(path);
        ASSERT_TRUE(waitDesignReady(edit));
        EXPECT_EQ(str(edit.loadedHTML()), str(alone));
        const bool ownBase = page.contains("BASE");
        EXPECT_EQ(alone.contains("<base href=\"elsewhere/\">"), ownBase) << str(alone);
        EXPECT_TRUE(QTest::qWaitFor([&] { return js(edit, "document.getElementById('pic').complete").toBool(); }, 5000));
        EXPECT_EQ(js(edit, "document.getElementById('pic').naturalWidth").toInt(), ownBase ? 0 : 1) << str(page);
        select(edit, "p");
        type(edit, "Y");
        EXPECT_EQ(str(currentHtml(edit)), str(QString(alone).replace("<p id=\"p\">", "<p id=\"p\">Y")));
    }
}

// The page answers the calls still on their way when it goes, which is while the control is being
// destroyed and no longer a design control: the answers must leave it alone.
TEST_F(WebViewsTest, AControlDestroyedWithAnswersOnTheirWayIsLeftAlone) {
    // Answers to commands.
    auto* edit = new DhtmlEdit;
    edit->resize(400, 300);
    edit->show();
    edit->setDocumentHTML("<p id=\"p\">text</p>");
    ASSERT_TRUE(waitDesignReady(*edit));
    edit->ExecCommand(DECMD_SELECTALL);
    edit->ExecCommand(DECMD_BOLD);
    edit->requestCurrent();
    delete edit;

    // The answer to the call that sets the page up once it has loaded.
    edit = new DhtmlEdit;
    edit->resize(400, 300);
    edit->show();
    edit->setDocumentHTML("<p>text</p>");
    QPointer<DhtmlEdit> gone(edit);
    QObject::connect(edit->view()->page(), &QWebEnginePage::loadFinished, edit, [edit] { edit->deleteLater(); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return gone.isNull(); }, 20000));
}

// The design view runs no page script: what its markup names outside the page's site it shows,
// as Browse does (a picture up and out, or through a link in the site), but nothing in a hidden
// folder, by file address, or of one of the browse view's sites.
TEST_F(WebViewsTest, DesignShowsWhatThePageNamesOutsideItsSiteButNothingHidden) {
    const QByteArray dot = QByteArray::fromBase64("iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42m"
                                                  "P8z8DwHwAFBQIAX8jx0gAAAABJRU5ErkJggg==");
    for (const QString& folder : {"site/img/", "sibling/", "site/.hidden/", ".hidden/"}) writeFile(folder + "dot.png", dot);
    writeFile("site/.hidden/secret.htm", "<p>LEAK</p>");
    const QString path = writeFile("site/page.htm", "");
    ASSERT_TRUE(QFile::link(workDir + "sibling", workDir + "site/linked"));
    ASSERT_TRUE(QFile::link(workDir + ".hidden", workDir + "site/visible"));
    const QString sibling = workDir + "sibling/";
    const QList<std::pair<QString, int>> pictures{
        {"img/dot.png", 1},
        {"../sibling/dot.png", 1},
        {"linked/dot.png", 1},
        {QUrl::fromLocalFile(sibling + "dot.png").toString(), 0},
        {".hidden/dot.png", 0},
        {"../.hidden/dot.png", 0},
        {"visible/dot.png", 0},
        {localPageUrl(sibling + "page.htm").resolved(QUrl("dot.png")).toString(), 0}};
    QString page = "<p id=p>x</p><iframe id=frame src=\".hidden/secret.htm\"></iframe>";
    for (int i = 0; i < pictures.size(); ++i) page += QString("<img id=i%1 src=\"%2\">").arg(i).arg(pictures[i].first);

    DhtmlEdit edit;
    edit.resize(400, 300);
    edit.show();
    edit.setDocumentHTML(page);
    edit.setBaseURL(path);
    ASSERT_TRUE(waitDesignReady(edit));
    for (int i = 0; i < pictures.size(); ++i) {
        const QString picture = QString("document.getElementById('i%1')").arg(i);
        EXPECT_TRUE(QTest::qWaitFor([&] { return js(edit, picture + ".complete").toBool(); }, 20000)) << str(pictures[i].first);
        EXPECT_EQ(js(edit, picture + ".naturalWidth").toInt(), pictures[i].second) << str(pictures[i].first);
    }
    const QString frame = "(() => { const d = document.getElementById('frame').contentDocument;"
                          "return d && d.body ? d.body.textContent : ''; })()";
    EXPECT_FALSE(js(edit, frame).toString().contains("LEAK"));
}

// What this process holds now: its resident memory in KB, and its open files.
qint64 residentKb() {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

int openFiles() { return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::System).size()); }

// A page of the browse view with a frame of a 1 GB file (sparse: it costs no disk) and 1,000
// pictures, in its site and named outside it: the program's memory stays flat while
// the engine takes them, and the files it holds open at once stay few.
TEST_F(WebViewsTest, AHugeFrameLeavesMemoryFlatAndAThousandPicturesHoldFewFilesOpen) {
    const QByteArray dot = QByteArray::fromBase64("iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42m"
                                                  "P8z8DwHwAFBQIAX8jx0gAAAABJRU5ErkJggg==");
    constexpr int kPictures = 500;
    QByteArray album = "<html><body>\n";
    for (int i = 0; i < kPictures; ++i) {
        writeFile(QString("site/pages/img/p%1.png").arg(i), dot);
        writeFile(QString("site/shown/q%1.png").arg(i), dot);
        album += QString("<img src=\"img/p%1.png\"><img src=\"../shown/q%1.png\">\n").arg(i).toUtf8();
    }
    const QString albumPath = writeFile("site/pages/album.htm", album + "</body></html>");
    const QString huge = writeFile("site/pages/huge.htm", "<html><body><p id=start>start</p>");
    ASSERT_EQ(::truncate(QFile::encodeName(huge).constData(), off_t(1) << 30), 0);
    const QString framed = writeFile("site/pages/framed.htm", "<html><body><iframe src=\"huge.htm\"></iframe></body></html>");

    WebBrowser browser;
    browser.resize(400, 300);
    browser.show();
    QWebEngineView* view = browser.view();
    QTest::qWait(200);
    qint64 before = residentKb();
    const int filesBefore = openFiles();
    qint64 most = before;
    int mostFiles = filesBefore;
    QTimer sample;
    QObject::connect(&sample, &QTimer::timeout, [&] {
        most = qMax(most, residentKb());
        mostFiles = qMax(mostFiles, openFiles());
    });
    sample.start(10);
    auto ask = [&](const QString& script) {
        QVariant result;
        bool done = false;
        view->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld, [&](const QVariant& v) {
            result = v;
            done = true;
        });
        EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, 20000));
        return result;
    };
    QSignalSpy loaded(view, &QWebEngineView::loadFinished);
    browser.Navigate2(albumPath);
    ASSERT_TRUE(loaded.wait(120000)) << "the album never loaded";
    const QString shown = "Array.from(document.images).filter(i => i.complete && i.naturalWidth === 1).length";
    EXPECT_EQ(ask(shown).toInt(), 2 * kPictures);
    std::cout << "open files " << filesBefore << " before the album, at most " << mostFiles << " while it loaded\n";
    EXPECT_LT(mostFiles - filesBefore, 512);

    // Some seconds of the frame coming in, the page process busy with it.
    before = most = residentKb();
    browser.Navigate2(framed);
    QTest::qWait(8000);
    sample.stop();
    browser.Stop();
    std::cout << "resident " << before / 1024 << " MB before the frame, at most " << most / 1024 << " MB while it came in\n";
    EXPECT_LT(most - before, 256 * 1024) << "KB more while the frame came in";
}

// Waits in an event loop that never sleeps: the engine asks for a page's files one after another,
// each through this thread, and a wait that slept between looks would stretch the load to minutes.
bool waitLooking(const std::function<bool()>& done, int ms) {
    QEventLoop loop;
    QTimer look;
    // A look may wait itself (for a script's answer): the next waits until it has ended.
    look.setSingleShot(true);
    // Each look takes the thread the program's server answers on: looked at every 5 ms, under the
    // sanitizers with other tests beside it, the album below showed a picture or so a second.
    QObject::connect(&look, &QTimer::timeout, [&] {
        if (done()) loop.quit();
        else look.start(20);
    });
    look.start(20);
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    if (!done()) loop.exec();
    return done();
}

// The most files open at once beyond those open before, from `start` until `done` (or `ms`
// have passed); `finished` tells whether `done` came.
int extraFilesWhile(const std::function<void()>& start, const std::function<bool()>& done, int ms, bool* finished) {
    QTest::qWait(200);
    const int before = openFiles();
    int most = before;
    QTimer sample;
    QObject::connect(&sample, &QTimer::timeout, [&] { most = qMax(most, openFiles()); });
    sample.start(20);
    start();
    *finished = waitLooking(done, ms);
    return most - before;
}

// The files of the program's server that the process holds open now.
int heldOpen(const QString& path) {
    const QString real = QFileInfo(path).canonicalFilePath();
    int held = 0;
    for (const QFileInfo& fd : QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::Files | QDir::System | QDir::NoDotAndDotDot))
        if (fd.symLinkTarget() == real) ++held;
    return held;
}

// The engine keeps a few connections to the server and asks on each for one file after another:
// each request of a kept connection is answered, and one whose answer has no body (a range
// beyond the file's end) leaves no file open behind it while the connection waits for the next.
TEST_F(WebViewsTest, TheServerAnswersEveryRequestOfAKeptConnectionAndHoldsNoFileBetween) {
    const QString path = writeFile("kept/page.htm", "<p>kept</p>");
    const QUrl url = localPageUrl(path);
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, quint16(url.port()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::ConnectedState; }, 5000));
    const QByteArray request = "GET " + url.path(QUrl::FullyEncoded).toLatin1() + " HTTP/1.1\r\nHost: " +
                               url.host().toLatin1() + ':' + QByteArray::number(url.port()) + "\r\n";
    const auto ask = [&](const QByteArray& headers, const QByteArray& ending) {
        QByteArray answer;
        socket.write(request + headers + "\r\n");
        QTest::qWaitFor([&] {
            answer += socket.readAll();
            return answer.endsWith(ending) || socket.state() != QAbstractSocket::ConnectedState;
        }, 5000);
        return answer;
    };
    EXPECT_TRUE(ask({}, "<p>kept</p>").startsWith("HTTP/1.1 200 "));
    EXPECT_TRUE(ask("Range: bytes=100-200\r\n", "\r\n\r\n").startsWith("HTTP/1.1 416 "));
    QTest::qWait(50);
    EXPECT_EQ(heldOpen(path), 0);
    EXPECT_TRUE(ask({}, "<p>kept</p>").startsWith("HTTP/1.1 200 "));
    EXPECT_EQ(socket.state(), QAbstractSocket::ConnectedState);
}

// Pictures that are not there, as a page carried from a web site has them by the thousand: each
// is known missing before the engine sets up its load, which would hold a shared-memory buffer
// (two open files) until the handler had answered, thousands at once.
TEST_F(WebViewsTest, APageOfThousandsOfMissingPicturesHoldsFewFilesOpenInDesignAndBrowse) {
    constexpr int kMissing = 20000;
    QByteArray page = "<html><body>\n";
    for (int i = 0; i < kMissing; ++i) page += QString("<p>%1 <img src=\"gone/p%1.gif\" width=4 height=4></p>\n").arg(i).toUtf8();
    page += "<p id=end>end</p></body></html>";
    const QString path = writeFile("site/missing.htm", page);
    bool finished = false;

    DhtmlEdit edit;
    edit.resize(400, 300);
    edit.show();
    int extra = extraFilesWhile(
        [&] {
            edit.setBaseURL(path);
            edit.setDocumentHTML(QString::fromUtf8(page));
        },
        [&] { return edit.isReady(); }, 30000, &finished);
    EXPECT_TRUE(finished) << "the page never showed in Design";
    std::cout << "Design: at most " << extra << " more files open while it loaded\n";
    EXPECT_LT(extra, 256);

    WebBrowser browser;
    browser.resize(400, 300);
    browser.show();
    QWebEngineView* view = browser.view();
    bool loaded = false;
    QObject::connect(view, &QWebEngineView::loadFinished, [&] { loaded = true; });
    extra = extraFilesWhile([&] { browser.Navigate2(path); }, [&] { return loaded; }, 30000, &finished);
    EXPECT_TRUE(finished) << "the page never showed in Browse";
    std::cout << "Browse: at most " << extra << " more files open while it loaded\n";
    EXPECT_LT(extra, 256);
}

// An album of 2,000 pictures that are all there, as photo albums and generated manuals have them:
// the engine asks for every one as it reads the page, and each shows, yet the files held open
// at once stay few in Design and in Browse (a load set up for each picture at once would hold
// thousands, beyond the 1,024 a process is given by default).
TEST_F(WebViewsTest, AnAlbumOfTwoThousandPicturesShowsWholeAndHoldsFewFilesOpenInDesignAndBrowse) {
    const QByteArray dot = QByteArray::fromBase64("iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42m"
                                                  "P8z8DwHwAFBQIAX8jx0gAAAABJRU5ErkJggg==");
    constexpr int kPictures = 2000;
    QByteArray page = "<html><body>\n";
    for (int i = 0; i < kPictures; ++i) {
        writeFile(QString("album/pictures/p%1.png").arg(i), dot);
        page += QString("<img src=\"pictures/p%1.png\" width=8 height=8>\n").arg(i).toUtf8();
    }
    page += "</body></html>";
    const QString path = writeFile("album/album.htm", page);
    bool finished = false;
    auto shown = [&](QWebEngineView* view) {
        QVariant result;
        bool done = false;
        view->page()->runJavaScript("Array.from(document.images).filter(i => i.complete && i.naturalWidth === 1).length",
                                    QWebEngineScript::ApplicationWorld, [&](const QVariant& v) {
                                        result = v;
                                        done = true;
                                    });
        EXPECT_TRUE(waitLooking([&] { return done; }, 20000));
        return result.toInt();
    };

    {
        DhtmlEdit edit;
        edit.resize(400, 300);
        edit.show();
        const int extra = extraFilesWhile(
            [&] {
                edit.setBaseURL(path);
                edit.setDocumentHTML(QString::fromUtf8(page));
            },
            [&] { return edit.isReady() && shown(edit.view()) == kPictures; }, 60000, &finished);
        EXPECT_TRUE(finished) << "Design never showed every picture (ready: " << edit.isReady()
                              << ", pictures shown: " << shown(edit.view()) << ")";
        std::cout << "Design: at most " << extra << " more files open while it loaded\n";
        EXPECT_LT(extra, 256);
    }

    WebBrowser browser;
    browser.resize(400, 300);
    browser.show();
    QWebEngineView* view = browser.view();
    bool loaded = false;
    QObject::connect(view, &QWebEngineView::loadFinished, [&] { loaded = true; });
    const int extra = extraFilesWhile([&] { browser.Navigate2(path); }, [&] { return loaded; }, 60000, &finished);
    EXPECT_TRUE(finished) << "the album never loaded in Browse";
    EXPECT_EQ(shown(view), kPictures);
    std::cout << "Browse: at most " << extra << " more files open while it loaded\n";
    EXPECT_LT(extra, 256);
}

}  // namespace
}  // namespace kavrin::test
