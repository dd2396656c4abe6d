#include <QCursor>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>
#include <QTextBrowser>

#include "documents/docstate.h"
#include "mainwindow/frmHelp.h"
#include "mainwindow/frmSettings.h"
#include "mainwindow/previewcopy.h"
#include "mainwindow_fixture.h"
#include "panes/filelistbox.h"
#include "platform/system/shell.h"
#include "tools/frmBrowsers.h"

namespace kavrin::test {
namespace {

class HelpersTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        start();
        mainWindow->resize(900, 700);
        QCoreApplication::processEvents();
    }

    // A program that writes each argument it gets on a line of its own into `record`.
    QString recorder(const QString& name, const QString& record) {
        const QString path = writeFile(name, QStringLiteral("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '%1.part'\n"
                                                          "mv '%1.part' '%1'\n")
                                                   .arg(record)
                                                   .toUtf8());
        QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
        return path;
    }
    static QStringList recorded(const QString& record) {
        if (!QTest::qWaitFor([&] { return QFile::exists(record); }, 5000)) return {"<not started>"};
        return QString::fromUtf8(readFile(record)).split(u'\n', Qt::SkipEmptyParts);
    }
    DocumentWindow* openDoc(const QString& relative, const QByteArray& bytes) {
        mainWindow->openFile(writeFile(relative, bytes));
        return activeDocument();
    }
    static frmBrowsers* chooser() {
        for (Form* f : Form::forms())
            if (auto* c = qobject_cast<frmBrowsers*>(f)) return c;
        return nullptr;
    }
};

TEST_F(HelpersTest, BrowsersGetTheDocumentAsOneArgumentAndUnsavedTextAsACopy) {
    const QString record = workDir + "/args.txt";

    // With no document open there is no page to show: nothing starts and nothing is said (an
    // unexpected message box fails the test). Every start leaves a mark, so a start that
    // happened shows up once the next one has been recorded.
    const QString starts = workDir + "starts.txt";
    const QString counting =
        writeFile("bin/counting browser", QStringLiteral("#!/bin/sh\necho x >> '%1'\nexec '%2' \"$@\"\n")
                                              .arg(starts, recorder("bin/my browser", record))
                                              .toUtf8());
    QFile::setPermissions(counting, QFile::permissions(counting) | QFileDevice::ExeOwner);
    store("HelperApps", "Browser1", counting);
    ASSERT_EQ(activeDocument(), nullptr);
    mainWindow->mnuToolsHelperAppsBrowser[0]->trigger();

    // A saved page goes by its own path, blanks and all, as one argument.
    DocumentWindow* doc = openDoc("site folder/my page.htm", "<html><head></head><body>saved</body></html>");
    mainWindow->mnuToolsHelperAppsBrowser_Click(0);
    EXPECT_EQ(recorded(record), QStringList{doc->filePath});
    EXPECT_EQ(QString::fromUtf8(readFile(starts)), "x\n") << "the browser was started without a document";

    // With edits not yet saved the browser sees the edits, in a copy that still finds the
    // page's pictures beside the original.
    QFile::remove(record);
    doc->txtMain->setText("<html><head></head><body>edited</body></html>");
    setFileSaved(doc, false);
    mainWindow->mnuToolsHelperAppsBrowser_Click(0);
    const QStringList args = recorded(record);
    ASSERT_EQ(args.size(), 1);
    EXPECT_TRUE(args[0].startsWith(tempDir)) << args[0].toStdString();
    const QByteArray copy = readFile(args[0]);
    EXPECT_TRUE(copy.contains("edited"));
    const QByteArray folder = QUrl::fromLocalFile(QFileInfo(doc->filePath).absolutePath() + "/").toEncoded();
    EXPECT_TRUE(folder.endsWith("/site%20folder/"));
    EXPECT_TRUE(copy.contains("<head><base href=\"" + folder + "\">"))
        << copy.toStdString();
    EXPECT_EQ(readFile(doc->filePath), "<html><head></head><body>saved</body></html>");

    // An untitled page is shown through a work copy, never as a name that does not exist.
    QFile::remove(record);
    newDocument();
    activeDocument()->txtMain->setText("<p>new</p>");
    mainWindow->mnuToolsHelperAppsBrowser_Click(0);
    const QStringList untitled = recorded(record);
    ASSERT_EQ(untitled.size(), 1);
    EXPECT_EQ(untitled[0], tempDir + "preview/temp.htm");
    EXPECT_EQ(readFile(untitled[0]), "<p>new</p>");
    EXPECT_TRUE(allAnswered());
}

TEST_F(HelpersTest, AnUnsetHelperOffersTheHelperPageAndAMissingProgramIsReported) {
    newDocument();
    // No answers No: nothing opens.
    expectMsgBox("You have not selected an application for this item.\n\nDo you want to select one now?", vbNo);
    mainWindow->mnuToolsHelperAppsBrowser_Click(1);
    // Yes opens the options dialog on its helper page; nothing is started afterwards.
    int page = -1;
    expectMsgBox("You have not selected an application for this item.", vbYes);
    expectModal("frmSettings", [&](Form& form) {
        auto& options = static_cast<frmSettings&>(form);
        page = options.tbsMain->currentIndex();
        EXPECT_TRUE(options.fraApps->isVisible());
        options.cmdCancel_Click();
    });
    mainWindow->mnuToolsHelperFtp_Click();
    EXPECT_EQ(page, 5);

    // A browser path that names no file counts as unset.
    store("HelperApps", "Browser3", workDir + "/gone");
    expectMsgBox("You have not selected an application for this item.", vbNo);
    mainWindow->mnuToolsHelperAppsBrowser_Click(2);

    // A set helper whose program is gone says so instead of doing nothing. "FTP" and "Ftp" are
    // one key.
    store("HelperApps", "Ftp", workDir + "/no such ftp");
    expectMsgBox("The program '" + workDir + "/no such ftp' could not be started.", vbOK);
    mainWindow->mnuToolsHelperFtp_Click();

    // Helpers other than the browsers start without a document.
    const QString record = workDir + "/validator.txt";
    store("HelperApps", "HTMLValidator", recorder("bin/validate", record));
    mainWindow->mnuToolsHelperValidator_Click();
    EXPECT_EQ(recorded(record), QStringList{});
    EXPECT_TRUE(QFile::exists(record));
    EXPECT_TRUE(allAnswered());
}

TEST_F(HelpersTest, HelpOpensTheProgramsOwnPagesOrNamesTheMissingFile) {
    mainWindow->mnuHelpHtml4->trigger();
    frmHelp* help = nullptr;
    for (Form* f : Form::forms())
        if (auto* h = qobject_cast<frmHelp*>(f)) help = h;
    ASSERT_TRUE(help);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->page(), programDir + "Index.html");
    EXPECT_TRUE(help->txtHelp->toPlainText().contains("Kavrin Pro Help"));
    EXPECT_TRUE(help->txtHelp->toPlainText().contains("<table>"));
    // The second item goes to the CSS page in the same window.
    mainWindow->mnuHelpCSS->trigger();
    EXPECT_EQ(help->page(), programDir + "Css.html");
    help->cmdContents->click();
    EXPECT_EQ(help->page(), programDir + "Index.html");
    EXPECT_TRUE(help->cmdBack->isEnabled());

    QFile::remove(programDir + "Css.html");
    expectMsgBox("Cannot find the file '" + programDir + "Css.html'.", vbOK);
    mainWindow->mnuHelpCSS_Click();
    EXPECT_TRUE(allAnswered());
}

TEST_F(HelpersTest, TheBrowserChooserListsHighlightsAndStartsTheChosenBrowser) {
    store("HelperApps", "BrowserName2", "Firefox");
    const QString record = workDir + "/chosen.txt";
    store("HelperApps", "Browser2", recorder("bin/firefox", record));
    DocumentWindow* doc = openDoc("page.htm", "<p>x</p>");

    mainWindow->tbrMainB_ButtonClick("ie");
    frmBrowsers* c = chooser();
    ASSERT_TRUE(c);
    EXPECT_TRUE(c->isVisible());
    QStringList captions;
    for (QLabel* label : c->lblBrowser) captions << label->text();
    EXPECT_EQ(captions, (QStringList{"Web Browser 1", "Firefox", "Web Browser 3", "Web Browser 4"}));
    // It sits under the toolbar's browser button.
    QWidget* button = mainWindow->tbrMainB->widgetForAction(mainWindow->tbrMainB->button("ie"));
    EXPECT_EQ(c->pos(), button->mapToGlobal(QPoint(0, button->height())));

    // Moving from row to row moves the highlight; within a row nothing changes.
    c->picBrowser_MouseMove(1);
    EXPECT_EQ(c->rowBack(1), frmBrowsers::highlightBack());
    EXPECT_EQ(c->labelColor(1), QColor(Qt::white));
    c->lblBrowser_MouseMove(2);
    EXPECT_EQ(c->hoverIndex, 2);
    EXPECT_EQ(c->rowBack(1), c->palette().color(QPalette::Button));
    EXPECT_EQ(c->labelColor(1), QColor(Qt::black));
    EXPECT_EQ(c->rowBack(2), frmBrowsers::highlightBack());

    // The mouse off the pop-up takes the highlight away; the pop-up stays.
    QCursor::setPos(c->frameGeometry().bottomRight() + QPoint(50, 50));
    c->tmrCursorPos_Timer();
    EXPECT_EQ(c->hoverIndex, -1);
    EXPECT_EQ(c->rowBack(2), c->palette().color(QPalette::Button));
    EXPECT_TRUE(c->isVisible());

    // A click on a row closes the pop-up and previews in that browser.
    QTest::mouseClick(c->lblBrowser[1], Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(chooser());
    EXPECT_EQ(recorded(record), QStringList{doc->filePath});

    // Closed without a choice, it starts nothing.
    QFile::remove(record);
    mainWindow->tbrMainB_ButtonClick("ie");
    ASSERT_TRUE(chooser());
    chooser()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(chooser());
    QTest::qWait(50);
    EXPECT_FALSE(QFile::exists(record));
}

TEST_F(HelpersTest, WindowArrangementsGiveEveryDocumentAUsableShareOfTheArea) {
    QVector<DocumentWindow*> docs;
    for (int i = 0; i < 3; ++i) docs << openDoc(QString("p%1.htm").arg(i), "x");
    QMdiArea* area = mainWindow->mdiArea();
    const QRect room = area->viewport()->rect();
    auto frames = [&] {
        QVector<QRect> out;
        for (DocumentWindow* d : docs) out << d->subWindow()->geometry();
        return out;
    };

    mainWindow->mnuWindowTileVertically->trigger();
    QVector<QRect> r = frames();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(r[i].top(), room.top());
        EXPECT_EQ(r[i].height(), room.height());
        EXPECT_NEAR(r[i].width(), room.width() / 3, 1);
    }
    EXPECT_LT(r[0].left(), r[1].left());
    EXPECT_LT(r[1].left(), r[2].left());

    mainWindow->mnuWindowTileHorizontally->trigger();
    r = frames();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(r[i].left(), room.left());
        EXPECT_EQ(r[i].width(), room.width());
        EXPECT_NEAR(r[i].height(), room.height() / 3, 1);
    }
    EXPECT_LT(r[0].top(), r[1].top());

    mainWindow->mnuWindowCascade->trigger();
    r = frames();
    for (int i = 0; i < 3; ++i) {
        EXPECT_GE(r[i].width(), room.width() * 3 / 4 - 1);
        EXPECT_GE(r[i].height(), room.height() * 3 / 4 - 1);
    }
    EXPECT_LT(r[0].top(), r[1].top());
    EXPECT_LT(r[0].left(), r[1].left());

    // Minimised windows line up along the bottom.
    docs[0]->subWindow()->showMinimized();
    docs[2]->subWindow()->showMinimized();
    mainWindow->mnuWindowArrangeIcons->trigger();
    const QRect a = docs[0]->subWindow()->geometry();
    const QRect b = docs[2]->subWindow()->geometry();
    EXPECT_EQ(a.bottom(), room.bottom());
    EXPECT_EQ(b.bottom(), room.bottom());
    EXPECT_EQ(b.left(), a.right() + 1);

    // The Window menu lists the documents and activates the one chosen.
    mainWindow->showWindowList();
    QStringList captions;
    for (QAction* item : mainWindow->windowListItems)
        if (!item->isSeparator()) captions << item->text();
    EXPECT_EQ(captions, (QStringList{"&1 " + docs[0]->caption(), "&2 " + docs[1]->caption(), "&3 " + docs[2]->caption()}));
    mainWindow->windowListItems[2]->trigger();
    EXPECT_EQ(activeDocument(), docs[1]);
}

TEST_F(HelpersTest, AfterApplyTheFilterMenuAndTheFileListStayOnTheChosenFilter) {
    mainWindow->mnuFileListFilter_Click(1);
    ASSERT_EQ(currentFilter, 2);
    expectModal("frmSettings", [](Form& form) { static_cast<frmSettings&>(form).cmdOk_Click(); });
    mainWindow->item("mnuToolsOptions")->trigger();
    EXPECT_EQ(currentFilter, 2);
    EXPECT_FALSE(mainWindow->mnuFileListFilter[0]->isChecked());
    EXPECT_TRUE(mainWindow->mnuFileListFilter[1]->isChecked());
    EXPECT_EQ(mainWindow->files->pattern(), fileFilters[1].pattern);
}

TEST_F(HelpersTest, TemplatesOpenInTheUsersTerminalEditorInsideATerminal) {
    // A machine with no graphical text editor but a terminal emulator: $VISUAL (a terminal
    // editor, which shows nothing by itself) runs inside the terminal.
    const QString record = workDir + "/terminal.txt";
    const QString terminal = writeFile("bin/x-terminal-emulator",
                                       QStringLiteral("#!/bin/sh\nPATH=/usr/bin:/bin\n"
                                                      "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > '%1.part'\n"
                                                      "mv '%1.part' '%1'\n")
                                           .arg(record)
                                           .toUtf8());
    QFile::setPermissions(terminal, QFile::permissions(terminal) | QFileDevice::ExeOwner);
    const QString editor = recorder("bin/my editor", workDir + "/unused.txt");
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFileInfo(terminal).absolutePath().toUtf8());
    // As a shell would read it: the blank inside the quotes belongs to the program's name.
    qputenv("VISUAL", ("\"" + editor + "\" --wait").toUtf8());
    expectModal("frmSettings", [](Form& form) {
        auto& options = static_cast<frmSettings&>(form);
        options.cmdTemplate_Click(2);
        options.cmdCancel_Click();
    });
    mainWindow->item("mnuToolsOptions")->trigger();
    qunsetenv("VISUAL");
    qputenv("PATH", path);
    EXPECT_EQ(recorded(record), (QStringList{"-e", editor, "--wait", userDir + "Custom3.htm"}));
    EXPECT_TRUE(allAnswered());
}

TEST(DesktopExec, FieldCodesBecomeTheFileOrGo) {
    EXPECT_EQ(desktopExecCommand("gedit %U", "/a b.htm"), (QStringList{"gedit", "/a b.htm"}));
    EXPECT_EQ(desktopExecCommand("\"/opt/my ed/ed\" --new %f %i", "/x"), (QStringList{"/opt/my ed/ed", "--new", "/x"}));
    EXPECT_EQ(desktopExecCommand("ed --file=%f 100%%", "/x"), (QStringList{"ed", "--file=/x", "100%"}));
    EXPECT_EQ(desktopExecCommand("", "/x"), QStringList{});
}

TEST(PreviewCopy, BaseHrefGoesAfterTheHeadAndNeverOverTheirOwn) {
    const QString url = "file:///s/a&b/";
    EXPECT_EQ(withBaseHref("<HTML><HEAD lang=en><title>t</title>", url),
              "<HTML><HEAD lang=en><base href=\"file:///s/a&amp;b/\"><title>t</title>");
    EXPECT_EQ(withBaseHref("<p>no head</p>", url), "<base href=\"file:///s/a&amp;b/\"><p>no head</p>");
    EXPECT_EQ(withBaseHref("<header>x</header>", url), "<base href=\"file:///s/a&amp;b/\"><header>x</header>");
    EXPECT_EQ(withBaseHref("<head><BASE href=x></head>", url), "<head><BASE href=x></head>");
}

}  // namespace
}  // namespace kavrin::test
