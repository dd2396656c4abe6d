#include <sys/stat.h>

#include <csignal>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QMouseEvent>
#include <QMdiArea>
#include <QTest>

#include "documents/module1.h"
#include "mainwindow/frmAbout.h"
#include "mainwindow/frmDontShow.h"
#include "mainwindow/frmSplash.h"
#include "mainwindow/frmTips.h"
#include "mainwindow/mainstartup.h"
#include "mainwindow/shutdown.h"
#include "mainwindow_fixture.h"
#include "platform/forms/dialoghooks.h"
#include "platform/system/screen.h"

namespace kavrin::test {
namespace {

// The pointer moving over a widget, as the window system reports it.
void moveOver(QWidget* widget, QPoint at) {
    QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

class StartupTest : public MainWindowTest {
protected:
    QStringList openPaths() const {
        QStringList paths;
        for (DocumentWindow* doc : documentWindows()) paths << doc->filePath;
        return paths;
    }
};

TEST_F(StartupTest, CommandLineNamesUpToTenFilesEachArgumentOnePath) {
    QStringList arguments;
    QStringList existing;
    for (int i = 0; i < 11; ++i) {
        const QString path = writeFile(QString("page %1.htm").arg(i), "<p>\r\n");
        arguments << path;
        if (i < 10) existing << path;
    }
    EXPECT_EQ(commandLineFiles(arguments), existing);

    // A relative path is taken from the current folder; what names no file is kept, for its
    // opening to say why.
    const QString kept = QDir::currentPath();
    QDir::setCurrent(workDir);
    EXPECT_EQ(commandLineFiles({"page 1.htm", "nothing.htm", "", "sub/../page 2.htm"}),
              (QStringList{workDir + "page 1.htm", workDir + "nothing.htm", workDir + "page 2.htm"}));
    QDir::setCurrent(kept);
}

TEST_F(StartupTest, FirstActivationOpensTheCommandLineFilesInOrder) {
    const QString a = writeFile("a b.htm", "<b>a</b>\r\n");
    const QString b = writeFile("sub/b.html", "<i>b</i>\r\n");
    const QString fifo = workDir + "pipe.htm";
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // What cannot be opened says so, as File > Open says it, and the rest still opens.
    expectMsgBox("The file '" + workDir + "missing.htm' does not exist.", vbOK);
    expectMsgBox("it is a folder, not a file.", vbOK);
    expectMsgBox("it is a named pipe (FIFO), not a file.", vbOK);
    start({a, workDir + "missing.htm", workDir + "sub", fifo, b});
    ASSERT_TRUE(QTest::qWaitFor([] { return runsInTurns() == 0; }));
    EXPECT_TRUE(allAnswered());
    EXPECT_EQ(openPaths(), (QStringList{a, b}));
    EXPECT_EQ(activeDocument()->filePath, b);
    EXPECT_EQ(activeDocument()->txtMain->text(), "<i>b</i>\r\n");
    EXPECT_EQ(mainWindow->recentFiles(), (QStringList{b, a}));

    // Coming back to the window runs none of it again.
    activeDocument()->unload();
    mainWindow->fireDeactivate();
    mainWindow->fireActivate();
    EXPECT_EQ(openPaths(), (QStringList{a}));
}

TEST_F(StartupTest, StartUpShowsTheSplashThenTheMainWindowWithTheArguments) {
    const QString a = writeFile("a.htm", "x\r\n");
    startUp({a});
    ASSERT_NE(mainWindow, nullptr);
    EXPECT_TRUE(mainWindow->isVisible());
    EXPECT_EQ(openPaths(), (QStringList{a}));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (Form* f : Form::forms()) EXPECT_EQ(qobject_cast<frmSplash*>(f), nullptr);
    EXPECT_FALSE(isBusy());
    EXPECT_EQ(twipsPerPixelX, 15);
}

TEST_F(StartupTest, SplashShowsTheAboutPictureOnTop) {
    auto* splash = new frmSplash();
    splash->show();
    EXPECT_TRUE(splash->isVisible());
    EXPECT_TRUE(splash->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(splash->picAbout->geometry(), splash->rect());
    EXPECT_TRUE(isBusy());
    const QImage shot = splash->grab().toImage();
    EXPECT_EQ(shot.pixelColor(0, 0), QColor(0x80, 0x80, 0x80));  // the grey edge
    splash->unload();
    setBusy(false);
}

TEST_F(StartupTest, MissingDataFilesGiveTheirNoticesInOrderUntilSilenced) {
    QFile::remove(programDir + "html.dat");
    QFile::remove(programDir + "tips.dat");
    QStringList titles;
    expectModal("frmDontShow", [&](Form& f) {
        auto& notice = static_cast<frmDontShow&>(f);
        titles << notice.caption();
        EXPECT_EQ(notice.lblMsg->text(),
                  "An important resource file, " + programDir +
                      "html.dat, was not found.  Without this file the following features will not work: "
                      "Tag Tips and HTML Explorer.");
        notice.chkDontShow->setChecked(true);
        notice.cmdOk_Click();
    });
    expectModal("frmDontShow", [&](Form& f) {
        titles << f.caption();
        static_cast<frmDontShow&>(f).cmdOk_Click();
    });
    start();
    EXPECT_EQ(titles, (QStringList{"HTML Data File Not Found", "Tips Data File Not Found"}));
    EXPECT_EQ(setting("DontShowAgain", "htmlData"), "True");
    EXPECT_EQ(setting("DontShowAgain", "tipsData"), "<none>");
    ASSERT_TRUE(exitProgram());

    // Next start: only the notice that was not silenced.
    newRun();
    expectModal("frmDontShow", [&](Form& f) {
        titles << f.caption();
        static_cast<frmDontShow&>(f).cmdOk_Click();
    });
    start();
    EXPECT_EQ(titles.last(), "Tips Data File Not Found");
    EXPECT_EQ(titles.size(), 3);
}

TEST_F(StartupTest, BrowserQuestionIsAskedOnceAndOkEnablesTheViews) {
    deleteSetting("Kavrin Pro", "Settings", "ShowIeMessage");
    expectMsgBox("Enable the Web browser and Web page Designer?", vbOK);
    // The page named on the command line opens before the question, with its source view only.
    start({writeFile("early.html", "<p>early</p>")});
    EXPECT_TRUE(enableBrowserAndDesigner);
    DocumentWindow* early = activeDocument();
    ASSERT_NE(early, nullptr);
    ASSERT_FALSE(early->hasViews());
    const auto viewItems = [] {
        const bool on = mainWindow->mnuViewDesign->isEnabled();
        EXPECT_EQ(mainWindow->mnuViewBrowse->isEnabled(), on);
        EXPECT_EQ(mainWindow->mnuViewEdit->isEnabled(), on);
        return on;
    };
    EXPECT_FALSE(viewItems()) << "Browse and Design cannot work on a page without those views";
    newDocument();
    DocumentWindow* later = activeDocument();
    ASSERT_TRUE(later && later->hasViews());
    EXPECT_TRUE(viewItems());
    mainWindow->mdiArea()->setActiveSubWindow(early->subWindow());
    EXPECT_FALSE(viewItems());

    // With no document left there is nothing to view and nothing to paste into.
    early->unload();
    later->unload();
    ASSERT_EQ(Form::documentCount(), 0);
    EXPECT_TRUE(QTest::qWaitFor([] { return !mainWindow->mnuEditPaste->isEnabled(); }, 5000));
    QCoreApplication::processEvents();
    EXPECT_FALSE(mainWindow->mnuEditPaste->isEnabled());
    EXPECT_FALSE(mainWindow->mnuPopupPaste->isEnabled());
    EXPECT_FALSE(mainWindow->tbrMainA->button("paste")->isEnabled());
    EXPECT_FALSE(viewItems());
    EXPECT_EQ(setting("Settings", "ShowIeMessage"), "False");
    const QString text = browserQuestion();
    EXPECT_TRUE(text.startsWith("Kavrin Pro contains an integrated Web browser and Web page designer: "));
    EXPECT_TRUE(text.contains("source view only.\n\nYou may enable or disable these tools at any time by "
                              "accessing Options from the Tools menu.\n\nEnable the Web"));
    ASSERT_TRUE(exitProgram());
    EXPECT_EQ(setting("Options", "EnableBrowserAndDesigner"), "True");

    newRun();
    start();  // not asked again
    EXPECT_TRUE(enableBrowserAndDesigner);
    // Nothing is open yet: nothing to paste into.
    QCoreApplication::processEvents();
    EXPECT_FALSE(mainWindow->mnuEditPaste->isEnabled());
    EXPECT_FALSE(mainWindow->mnuPopupPaste->isEnabled());
    EXPECT_FALSE(mainWindow->tbrMainA->button("paste")->isEnabled());
}

TEST_F(StartupTest, BrowserQuestionCancelledOrAlreadyAnswered) {
    deleteSetting("Kavrin Pro", "Settings", "ShowIeMessage");
    expectMsgBox("Enable the Web browser", vbCancel);
    start();
    EXPECT_FALSE(enableBrowserAndDesigner);
    EXPECT_FALSE(mainWindow->mnuViewEdit->isEnabled());
    ASSERT_TRUE(exitProgram());
    newRun();
    start();  // Cancel is an answer too: never asked again
    EXPECT_FALSE(enableBrowserAndDesigner);
    ASSERT_TRUE(exitProgram());

    // With the tools already on at the first start nothing is asked and the key stays as it was.
    clearStore();
    newRun();
    store("Options", "EnableBrowserAndDesigner", "True");
    store("Help", "TipsOnStartup", "False");
    start();
    EXPECT_TRUE(enableBrowserAndDesigner);
    EXPECT_EQ(setting("Settings", "ShowIeMessage"), "<none>");
}

TEST_F(StartupTest, TipOfTheDayAtStartWritesItsSettings) {
    writeFile("tips", "");
    {
        QFile tips(programDir + "tips.dat");
        ASSERT_TRUE(tips.open(QIODevice::WriteOnly));
        tips.write("  First tip.  \r\n\r\n   \r\nSecond tip.\r\nThird tip.\r\n");
    }
    store("Help", "TipsOnStartup", "True");
    store("Help", "CurrentTip", " 3");
    expectModal("frmTips", [](Form& f) {
        auto& tips = static_cast<frmTips&>(f);
        EXPECT_TRUE(tips.isVisible());
        EXPECT_TRUE(tips.chkShowTips->isChecked());
        EXPECT_EQ(tips.lblTip->text(), "Third tip.");
        QTest::keyClick(&tips, Qt::Key_Return);  // Next Tip, wrapping to the first
        EXPECT_EQ(tips.lblTip->text(), "First tip.");
        tips.chkShowTips->setChecked(false);
        QTest::keyClick(&tips, Qt::Key_Escape);  // OK
    });
    start();
    EXPECT_EQ(setting("Help", "CurrentTip"), " 2");
    EXPECT_EQ(setting("Help", "TipsOnStartup"), "False");
    ASSERT_TRUE(exitProgram());
    newRun();
    start();  // no tips now
}

TEST_F(StartupTest, TipsFromTheHelpMenuWithoutATipsFile) {
    start();
    QFile::remove(programDir + "tips.dat");
    expectMsgBox("The data file '" + programDir + "tips.dat' was not found.", vbOK);
    mainWindow->mnuHelpTips->trigger();
    EXPECT_EQ(setting("Help", "CurrentTip"), "<none>");
}

TEST(TipNumbers, ClampAndWrap) {
    EXPECT_EQ(parseTips("  a \r\n\r\n \t \r\nb\r\nc"), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(firstTipNumber(4, 3), 1);
    EXPECT_EQ(firstTipNumber(9, 3), 3);
    EXPECT_EQ(firstTipNumber(2, 3), 2);
    EXPECT_EQ(firstTipNumber(0, 3), 1);
    EXPECT_EQ(firstTipNumber(-7, 3), 1);
    EXPECT_EQ(firstTipNumber(5, 0), 0);
    EXPECT_EQ(nextTipNumber(3, 3), 1);
    EXPECT_EQ(nextTipNumber(1, 3), 2);
    EXPECT_EQ(nextTipNumber(0, 0), 0);
}

TEST_F(StartupTest, TipsWindowWithAnEmptyOrDamagedFile) {
    start();
    for (const QByteArray& bytes : {QByteArray("\r\n  \r\n"), QByteArray("ab\0cd", 5)}) {
        QFile tips(programDir + "tips.dat");
        ASSERT_TRUE(tips.open(QIODevice::WriteOnly | QIODevice::Truncate));
        tips.write(bytes);
        tips.close();
        store("Help", "CurrentTip", "abc");
        expectModal("frmTips", [](Form& f) {
            auto& tips = static_cast<frmTips&>(f);
            EXPECT_EQ(tips.lblTip->text(), "");
            tips.cmdNext_Click();
            tips.cmdOk_Click();
        });
        mainWindow->mnuHelpTips_Click();
        EXPECT_EQ(setting("Help", "CurrentTip"), " 1");
    }
}

TEST_F(StartupTest, AboutBoxUnderlinesItsLinkAndOpensTheAddress) {
    static QStringList opened;
    opened.clear();
    frmAbout::openAddress = [](const QString& address) {
        opened << address;
        return true;
    };
    start();
    expectModal("frmAbout", [](Form& f) {
        auto& about = static_cast<frmAbout&>(f);
        EXPECT_TRUE(about.isVisible());
        EXPECT_EQ(about.caption(), "About Kavrin Pro");
        EXPECT_FALSE(about.Line1->isVisible());
        moveOver(about.lblLink, about.lblLink->rect().center());
        EXPECT_TRUE(about.Line1->isVisible());
        const QRect link = about.lblLink->geometry();
        EXPECT_GE(about.Line1->y(), link.top());
        EXPECT_LE(about.Line1->y(), link.bottom() + 2);
        moveOver(about.picAbout, QPoint(10, about.picAbout->height() - 10));
        EXPECT_FALSE(about.Line1->isVisible());
        QTest::mousePress(about.lblLink, Qt::LeftButton);
        QTest::mouseClick(about.cmdOk, Qt::LeftButton);
        EXPECT_FALSE(about.isLoaded());
    });
    mainWindow->mnuHelpAbout->trigger();
    frmAbout::openAddress = nullptr;
    EXPECT_EQ(opened, (QStringList{makerAddress}));
}

TEST_F(StartupTest, ExitAsksEachUnsavedDocumentYesSavesNoDiscards) {
    const QString a = writeFile("a.htm", "old a\r\n");
    const QString b = writeFile("b.htm", "old b\r\n");
    start({a, b});
    ASSERT_TRUE(QTest::qWaitFor([] { return runsInTurns() == 0; }));
    for (DocumentWindow* doc : documentWindows()) QTest::keyClicks(doc->txtMain, "new ");
    // Newest first: b is asked first.
    expectMsgBox("Save changes to 'b.htm'?", vbYes);
    expectMsgBox("Save changes to 'a.htm'?", vbNo);
    ASSERT_TRUE(exitProgram());
    EXPECT_EQ(readFile(b), "new old b\r\n");
    EXPECT_EQ(readFile(a), "old a\r\n");
    EXPECT_EQ(setting("Reopen", "ReopenArray0"), b);
}

TEST_F(StartupTest, CancelStopsTheExitAndWritesNoSetting) {
    const QString a = writeFile("a.htm", "a\r\n");
    const QString b = writeFile("b.htm", "b\r\n");
    start({a, b});
    ASSERT_TRUE(QTest::qWaitFor([] { return runsInTurns() == 0; }));
    for (DocumentWindow* doc : documentWindows()) QTest::keyClicks(doc->txtMain, "x");
    wordWrap = true;
    const QByteArray before = storeBytes();
    expectMsgBox("Save changes to 'b.htm'?", vbCancel);
    EXPECT_FALSE(exitProgram());
    EXPECT_EQ(storeBytes(), before);
    EXPECT_EQ(mainWindow->isLoaded(), true);
    EXPECT_EQ(Form::documentCount(), 2);
    EXPECT_FALSE(unloadCancelled);

    // No on the first, Cancel on the second: the first is gone, the program stays.
    expectMsgBox("Save changes to 'b.htm'?", vbNo);
    expectMsgBox("Save changes to 'a.htm'?", vbCancel);
    EXPECT_FALSE(exitProgram());
    EXPECT_EQ(Form::documentCount(), 1);
    EXPECT_EQ(storeBytes(), before);
}

TEST_F(StartupTest, CtrlCAClosedTerminalAndSigtermAskAboutEachUnsavedDocumentAsExitDoes) {
    const QString a = writeFile("a.htm", "a\r\n");
    start({a});
    QTest::keyClicks(activeDocument()->txtMain, "x");
    // As in a terminal: whoever started the tests may have had these ignored.
    ::signal(SIGINT, SIG_DFL);
    ::signal(SIGHUP, SIG_DFL);
    watchShutdownRequests();
    for (const int sig : {SIGINT, SIGHUP, SIGTERM}) {
        SCOPED_TRACE(sig);
        // The same signal again while the question is open (a second Ctrl+C, the hang-up that
        // follows) neither asks again nor ends anything; Cancel keeps the program and the text.
        int asked = 0;
        const auto answer = dialogHooks().msgBox;
        dialogHooks().msgBox = [&](const QString& prompt, int buttons, const QString& title) {
            if (++asked == 1) {
                EXPECT_EQ(::raise(sig), 0);
                QTest::qWait(300);
            }
            return answer(prompt, buttons, title);
        };
        expectMsgBox("Save changes to 'a.htm'?", vbCancel);
        ASSERT_EQ(::raise(sig), 0);
        EXPECT_TRUE(QTest::qWaitFor([&] { return allAnswered(); }, 5000));
        QTest::qWait(300);
        dialogHooks().msgBox = answer;
        EXPECT_EQ(asked, 1);
        ASSERT_NE(mainWindow, nullptr);
        EXPECT_TRUE(mainWindow->isLoaded());
        ASSERT_EQ(Form::documentCount(), 1);
        EXPECT_EQ(activeDocument()->txtMain->text(), "xa\r\n");
        EXPECT_FALSE(activeDocument()->fileSaved);
    }

    // A window waiting for an answer is closed first, as from its frame; then the question comes.
    QDialog waiting;
    waiting.setModal(true);
    waiting.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &waiting);
    expectMsgBox("Save changes to 'a.htm'?", vbYes);
    ASSERT_EQ(::raise(SIGTERM), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return mainWindow == nullptr; }, 5000));
    EXPECT_EQ(readFile(a), "xa\r\n");
}

}  // namespace
}  // namespace kavrin::test
