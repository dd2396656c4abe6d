// Extended Replace driven through its window: folder trees of real pages on disk, open
// documents, a full disk and Cancel.
#include <sys/mount.h>
#include <sys/stat.h>

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QWindow>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "documents/docfile.h"
#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "fixture.h"
#include "qstringprint.h"
#include "mainwindow/mdiMain.h"
#include "platform/forms/dialoghooks.h"
#include "platform/forms/msgbox.h"
#include "tools/frmGlobalReplace.h"
#include "tools/frmReplace.h"
#include "tools/frmSearchResults.h"
#include "tools/replaceinfiles.h"

namespace kavrin::test {
namespace {

class GlobalReplaceTest : public KavrinTest {
protected:
    void SetUp() override {
        KavrinTest::SetUp();
        mainWindow = new mdiMain();
        mainWindow->show();
    }
    void TearDown() override {
        frmGlobalReplace::afterEachFile = nullptr;
        KavrinTest::TearDown();
    }

    frmGlobalReplace* openDialog(const QString& find, const QString& replacement) {
        mainWindow->mnuEditExtendedReplace->trigger();
        frmGlobalReplace* f = globalReplaceForm();
        EXPECT_NE(f, nullptr);
        EXPECT_TRUE(f->isVisible());
        f->txtFind->setText(find);
        f->txtReplace->setText(replacement);
        return f;
    }

    void chooseFolder(frmGlobalReplace* f, const QString& folder, bool subFolders, bool backups) {
        f->optFolder->click();
        f->txtFolder->setText(folder);
        if (subFolders) f->chkSubFolders->click();
        if (backups) f->chkBackup->click();
    }

    // Answers the results window, keeping what it showed.
    void expectResults() {
        expectModal("frmSearchResults", [this](Form& form) {
            auto& r = static_cast<frmSearchResults&>(form);
            EXPECT_TRUE(r.isVisible());
            EXPECT_EQ(r.caption(), "Search Results");
            lines = r.lines();
            filterLabel = r.lblFilter->text();
            filesLabel = r.lblTotalFiles->text();
            totalLabel = r.lblNumReplacements->text();
            cancelledShown = !r.lblCancelled->isHidden();
            r.cmdOk->click();
        });
    }

    // Replace All, and what follows the run once it has ended.
    static void replaceAll(frmGlobalReplace* f) {
        QSignalSpy finished(f, &frmGlobalReplace::replaceFinished);
        f->cmdReplaceAll->click();
        if (f->running()) EXPECT_TRUE(finished.wait(30000));
    }

    void link(const QString& target, const QString& at) { ASSERT_TRUE(QFile::link(target, at)) << at.toStdString(); }

    // Holds the worker once it is done with the file whose path ends with `after`, until the test
    // releases it (or ten seconds have gone), so that the test acts while the run goes on.
    struct RunGate {
        std::atomic<bool> reached{false};
        std::atomic<bool> released{false};
    };
    void holdRunAfter(RunGate& gate, const QString& after) {
        frmGlobalReplace::afterEachFile = [&gate, after](ReplaceProgress& progress) {
            if (gate.reached || !progress.current().endsWith(after)) return;
            gate.reached = true;
            for (int i = 0; i < 1000 && !gate.released; ++i) QThread::msleep(10);
        };
    }
    static bool waitUntil(const std::function<bool()>& done) { return QTest::qWaitFor(done, 20000); }

    QStringList lines;
    QString filterLabel, filesLabel, totalLabel;
    bool cancelledShown = false;
};

TEST_F(GlobalReplaceTest, AFolderTreeOfRealPagesChangesOnlyTheReplacedBytes) {
    const QString site = workDir + "site/";
    const QByteArray a = "caf\xC3\xA9 Logo\nlogo LOGO";                       // UTF-8, LF, no final line end
    const QByteArray b = "<p>nothing here</p>\r\n";
    const QByteArray c = "logo in a page of another type";
    const QByteArray d = "\xEF\xBB\xBF<img alt=\"logo\">\r\n";                    // byte-order mark, CR LF
    const QByteArray e = "\xE9t\xE9 logo\r\n\x93logo\x94\r\n";                    // Windows-1252
    const QByteArray bin("GIF89a\0logo\0\xFF", 13);                              // binary
    const QByteArray z = "<a href=x>logo</a>";
    writeFile("site/a.html", a);
    writeFile("site/b.html", b);
    writeFile("site/c.htm", c);
    writeFile("site/sub/d.html", d);
    writeFile("site/sub/e.html", e);
    writeFile("site/sub/bin.html", bin);
    writeFile("site/sub/deeper/z.html", z);
    writeFile("site/.hidden/h.html", "logo");
    writeFile("outside/f.html", "logo");
    link(site, site + "sub/loop");                        // back up into the tree
    link(workDir + "outside", site + "sub/out");          // out of the tree
    link(site + "a.html", site + "sub/link.html");        // a second name for a visited file
    ASSERT_EQ(::chmod(QFile::encodeName(site + "a.html").constData(), 0640), 0);

    frmGlobalReplace* f = openDialog("logo", "brand");
    chooseFolder(f, site, true, true);
    expectMsgBox("Please note that this procedure cannot be undone.", vbYes);
    expectResults();
    replaceAll(f);

    EXPECT_EQ(lines, (QStringList{site + "a.html\t3",
                                  "Skipped\t" + site + "sub/bin.html - the file holds binary data (NUL bytes), not text",
                                  site + "sub/d.html\t1", site + "sub/e.html\t2", site + "sub/deeper/z.html\t1"}));
    EXPECT_EQ(filterLabel, "Filter:  *.html");
    EXPECT_EQ(filesLabel, "Num Files:  5");
    EXPECT_EQ(totalLabel, "Total Replacements:  7");

    EXPECT_EQ(readFile(site + "a.html"), "caf\xC3\xA9 brand\nbrand brand");
    EXPECT_EQ(readFile(site + "sub/d.html"), "\xEF\xBB\xBF<img alt=\"brand\">\r\n");
    EXPECT_EQ(readFile(site + "sub/e.html"), "\xE9t\xE9 brand\r\n\x93" "brand\x94\r\n");
    EXPECT_EQ(readFile(site + "sub/deeper/z.html"), "<a href=x>brand</a>");
    // Backups are the old bytes, and only changed files have one.
    EXPECT_EQ(readFile(site + "a.html.bak"), a);
    EXPECT_EQ(readFile(site + "sub/d.html.bak"), d);
    EXPECT_EQ(readFile(site + "sub/e.html.bak"), e);
    EXPECT_EQ(readFile(site + "sub/deeper/z.html.bak"), z);
    for (const QString name : {"b.html.bak", "sub/bin.html.bak", "c.htm.bak", "sub/link.html.bak"})
        EXPECT_FALSE(QFileInfo::exists(site + name)) << name.toStdString();
    // Everything else is as it was, links included.
    EXPECT_EQ(readFile(site + "b.html"), b);
    EXPECT_EQ(readFile(site + "c.htm"), c);
    EXPECT_EQ(readFile(site + "sub/bin.html"), bin);
    EXPECT_EQ(readFile(site + ".hidden/h.html"), "logo");
    EXPECT_EQ(readFile(workDir + "outside/f.html"), "logo");
    EXPECT_TRUE(QFileInfo(site + "sub/link.html").isSymLink());
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(site + "a.html").constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    // A result opens in the editor.
    f->txtFind->setText("brand");
    f->txtReplace->setText("brand");
    expectMsgBox("cannot be undone", vbYes);
    expectModal("frmSearchResults", [](Form& form) {
        auto& r = static_cast<frmSearchResults&>(form);
        r.lstMain->setCurrentItem(r.lstMain->findItems("e.html", Qt::MatchEndsWith).value(0));
        r.lstMain_DblClick();
    });
    replaceAll(f);
    ASSERT_NE(activeDocument(), nullptr);
    EXPECT_EQ(activeDocument()->filePath, site + "sub/e.html");
}

TEST_F(GlobalReplaceTest, OpenDocumentsKeepTheirEditsAndSavedOnesMayBeReloaded) {
    const QString site = workDir + "site/";
    writeFile("site/edited.html", "<p>old</p>\r\n");
    writeFile("site/saved.html", "<p>old</p>\r\n");
    writeFile("site/kept.html", "<p>old</p>\r\n");

    mainWindow->openFile(site + "edited.html");
    DocumentWindow* edited = activeDocument();
    edited->txtMain->select(0, 0);
    QTest::keyClicks(edited->txtMain, "X");
    ASSERT_FALSE(edited->fileSaved);
    const QString typed = edited->txtMain->text();
    mainWindow->openFile(site + "saved.html");
    DocumentWindow* saved = activeDocument();
    mainWindow->openFile(site + "kept.html");
    DocumentWindow* kept = activeDocument();

    frmGlobalReplace* f = openDialog("old", "new");
    chooseFolder(f, site, false, false);
    expectMsgBox("cannot be undone", vbYes);
    expectMsgBox("One or more open files were changed by this action.", vbYes);
    expectResults();
    replaceAll(f);

    // The file behind unsaved edits is never written; the edits and the replacement are in the window.
    EXPECT_EQ(readFile(site + "edited.html"), "<p>old</p>\r\n");
    EXPECT_EQ(edited->txtMain->text(), "X<p>new</p>\r\n");
    EXPECT_FALSE(edited->fileSaved);
    Form::mdiArea()->setActiveSubWindow(edited->subWindow());
    ASSERT_EQ(activeDocument(), edited);
    const int undoCount = edited->undoI;
    mainWindow->mnuEditUndo_Click();
    EXPECT_EQ(edited->undoI, undoCount - 1);
    EXPECT_EQ(edited->txtMain->text(), typed);

    // Saved documents show their rewritten files after Yes.
    EXPECT_EQ(readFile(site + "saved.html"), "<p>new</p>\r\n");
    EXPECT_EQ(saved->txtMain->text(), "<p>new</p>\r\n");
    EXPECT_TRUE(saved->fileSaved);
    EXPECT_EQ(kept->txtMain->text(), "<p>new</p>\r\n");
    EXPECT_EQ(lines, (QStringList{site + "edited.html\t1", site + "kept.html\t1", site + "saved.html\t1"}));

    // No keeps the window's text as it was.
    f->txtFind->setText("new");
    f->txtReplace->setText("newer");
    expectMsgBox("cannot be undone", vbYes);
    expectMsgBox("Would you like to reload them?", vbNo);
    expectResults();
    replaceAll(f);
    EXPECT_EQ(readFile(site + "saved.html"), "<p>newer</p>\r\n");
    EXPECT_EQ(saved->txtMain->text(), "<p>new</p>\r\n");
}

TEST_F(GlobalReplaceTest, CurrentFileAndAllOpenFilesChangeTheDocumentsOnly) {
    // No document yet.
    frmGlobalReplace* f = openDialog("a", "b");
    expectMsgBox("No documents have been opened.", vbOK);
    replaceAll(f);
    f->cmdClose->click();
    QApplication::processEvents();

    writeFile("one.html", "a a\r\n");
    writeFile("two.html", "none\r\n");
    mainWindow->openFile(workDir + "one.html");
    DocumentWindow* one = activeDocument();
    mainWindow->openFile(workDir + "two.html");
    DocumentWindow* two = activeDocument();
    two->txtMain->select(0, 3);  // the selection becomes the find text
    mainWindow->mnuEditExtendedReplace->trigger();
    f = globalReplaceForm();
    EXPECT_EQ(f->txtFind->text(), "non");
    EXPECT_FALSE(f->chkSubFolders->isEnabled());
    EXPECT_FALSE(f->txtFolder->isEnabled());

    f->txtFind->setText("a");
    f->txtReplace->setText("aa");
    f->optAllFiles->click();
    expectResults();
    replaceAll(f);
    EXPECT_EQ(lines, QStringList{workDir + "one.html\t2"});
    EXPECT_EQ(filterLabel, "");
    EXPECT_EQ(one->txtMain->text(), "aa aa\r\n");
    EXPECT_FALSE(one->fileSaved);
    EXPECT_TRUE(two->fileSaved);
    EXPECT_FALSE(mainWindow->tbsPop->tabIcon(mainWindow->documentTabIndex(one)).isNull());
    EXPECT_EQ(readFile(workDir + "one.html"), "a a\r\n");
    // All of a document's replacements go back with one Undo.
    Form::mdiArea()->setActiveSubWindow(one->subWindow());
    mainWindow->mnuEditUndo->trigger();
    EXPECT_EQ(one->txtMain->text(), "a a\r\n");

    // Current File works on the active one only.
    f->optFile->click();
    f->txtFind->setText("none");
    f->txtReplace->setText("some");
    Form::mdiArea()->setActiveSubWindow(two->subWindow());
    expectResults();
    replaceAll(f);
    EXPECT_EQ(two->txtMain->text(), "some\r\n");
    EXPECT_EQ(totalLabel, "Total Replacements:  1");
}

// Alt with a letter is the window's: a letter of no button typed nothing into Replace With, and
// the page then got the letter too.
TEST_F(GlobalReplaceTest, AltLettersPressButtonsAndTypeNothingIntoTheFields) {
    writeFile("page.html", "<p>fast</p>\r\n");
    mainWindow->openFile(workDir + "page.html");
    DocumentWindow* doc = activeDocument();
    frmGlobalReplace* f = openDialog("fast", "");
    f->optFile->click();
    f->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f));
    f->txtReplace->setFocus();
    QTest::keyClicks(f->txtReplace, "Slow");
    for (Qt::Key letter : {Qt::Key_A, Qt::Key_Q, Qt::Key_V}) QTest::keyClick(f->txtReplace, letter, Qt::AltModifier);
    f->txtFind->setFocus();
    QTest::keyClick(f->txtFind, Qt::Key_A, Qt::AltModifier);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << "a menu opened";
    EXPECT_EQ(f->txtReplace->text(), "Slow");
    EXPECT_EQ(f->txtFind->text(), "fast");
    expectResults();
    QSignalSpy finished(f, &frmGlobalReplace::replaceFinished);
    QTest::keyClick(f->txtFind, Qt::Key_R, Qt::AltModifier);  // Replace All
    if (f->running()) EXPECT_TRUE(finished.wait(30000));
    EXPECT_EQ(doc->txtMain->text(), "<p>Slow</p>\r\n");
    EXPECT_EQ(totalLabel, "Total Replacements:  1");
}

TEST_F(GlobalReplaceTest, FolderRunsStopEarlyWithoutTouchingAnything) {
    writeFile("site/a.html", "a");
    frmGlobalReplace* f = openDialog("a", "b");
    f->optFolder->click();
    EXPECT_TRUE(f->cboFilter->isEnabled());
    for (const QString& folder : {QString(), workDir + "missing", workDir + "site/a.html"}) {
        f->txtFolder->setText(folder);
        expectMsgBox("The folder you have specified does not exist.", vbOK);
        replaceAll(f);
    }
    f->txtFolder->setText(workDir + "site");
    expectMsgBox("cannot be undone", vbNo);
    replaceAll(f);
    EXPECT_EQ(readFile(workDir + "site/a.html"), "a");

    // An empty pattern is "*.html", and the box shows it.
    f->cboFilter->setEditText(" ");
    expectMsgBox("cannot be undone", vbYes);
    expectResults();
    replaceAll(f);
    EXPECT_EQ(f->cboFilter->currentText(), "*.html");
    EXPECT_EQ(readFile(workDir + "site/a.html"), "b");

    // Browse fills the folder.
    expectDialog("folder", [this](CommonDialog& d) {
        EXPECT_EQ(d.dialogTitle, "Select A Folder");
        d.fileName = workDir;
        return true;
    });
    f->cmdBrowse->click();
    EXPECT_EQ(f->txtFolder->text(), workDir);
}

// A question the main window asks while the tool windows are open must not end up beneath
// them: the main window would then wait for an answer nobody can see or reach.
TEST_F(GlobalReplaceTest, AQuestionAskedWhileToolWindowsAreOpenComesAboveThemAndIsAnswered) {
    newDocument();
    frmGlobalReplace* extended = openDialog("a", "b");
    mainWindow->mnuEditFindReplace->trigger();
    frmReplace* find = replaceForm();
    ASSERT_NE(find, nullptr);
    const QList<QWidget*> tools{extended, find};
    // The user goes back to the main window and chooses a command from its menu.
    QApplication::setActiveWindow(mainWindow);

    // This question is put on screen for real and answered by a click on its button.
    const auto scripted = dialogHooks().msgBox;
    dialogHooks().msgBox = nullptr;
    QString asked;
    bool aboveTools = false;
    QTimer::singleShot(0, mainWindow, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        asked = box->text();
        // Each tool window stays above the main window it belongs to and nothing else, so the
        // window manager puts the question, a later window of the same program, above them.
        aboveTools = box->isVisible() && box->windowHandle()->transientParent() == mainWindow->windowHandle();
        for (QWidget* tool : tools) {
            EXPECT_TRUE(tool->isVisible());
            EXPECT_FALSE(tool->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) << tool->windowTitle().toStdString();
            EXPECT_EQ(tool->windowHandle()->transientParent(), mainWindow->windowHandle())
                << tool->windowTitle().toStdString();
        }
        QTest::mouseClick(box->button(QMessageBox::No), Qt::LeftButton);
    });
    // Should the question not come up as the active modal window, it is closed so that the test ends.
    QTimer::singleShot(5000, mainWindow, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    });
    mainWindow->mnuToolsHelperFtp->trigger();
    dialogHooks().msgBox = scripted;

    EXPECT_TRUE(asked.startsWith("You have not selected an application for this item.")) << asked.toStdString();
    EXPECT_TRUE(aboveTools);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(extended->isVisible());
}

TEST_F(GlobalReplaceTest, CancelStopsBetweenFilesAndSaysSo) {
    for (const char* name : {"1.html", "2.html", "3.html"}) writeFile(QString("site/") + name, "x");
    frmGlobalReplace* f = openDialog("x", "y");
    chooseFolder(f, workDir + "site", false, false);
    int calls = 0;
    frmGlobalReplace::afterEachFile = [f, &calls](ReplaceProgress& progress) {
        if (++calls != 1) return;
        // The user presses Cancel while the run is on its way; the worker goes on only after.
        QMetaObject::invokeMethod(f->cmdCancel, [f] {
            EXPECT_TRUE(f->cmdCancel->isVisible());
            EXPECT_FALSE(f->cmdClose->isEnabled());
            // The rest of the program stays in use meanwhile.
            QTest::keyClick(mainWindow, Qt::Key_N, Qt::ControlModifier);
            f->cmdCancel->click();
        });
        while (!progress.cancel) QThread::yieldCurrentThread();
    };
    expectMsgBox("cannot be undone", vbYes);
    expectResults();
    replaceAll(f);
    EXPECT_EQ(lines, QStringList{workDir + "site/1.html\t1"});
    EXPECT_TRUE(cancelledShown);
    EXPECT_EQ(readFile(workDir + "site/2.html"), "x");
    EXPECT_EQ(readFile(workDir + "site/3.html"), "x");
    EXPECT_EQ(documentWindows().size(), 1);
    EXPECT_FALSE(f->cmdCancel->isVisible());
    EXPECT_TRUE(f->cmdClose->isEnabled());
}

TEST_F(GlobalReplaceTest, AFullOrReadOnlyDiskLeavesEveryFileWhole) {
    const QString dir = workDir + "tiny";
    QDir().mkpath(dir);
    const auto [code, msg] = inTinyTmpfs(dir, [&]() -> std::string {
        const QByteArray big = QByteArray(40 * 1024, 'x') + " logo";
        QString error;
        QDir().mkpath(dir + "/a");
        QDir().mkpath(dir + "/b");
        for (const char* name : {"/a/1.html", "/a/2.html"})
            if (!writeFileAtomically(dir + name, name == QByteArray("/a/1.html") ? big : QByteArray("logo"), &error))
                return "setup: " + error.toStdString();
        if (!writeFileAtomically(dir + "/b/3.html", "logo", &error)) return "setup: " + error.toStdString();

        FolderReplaceRun run;
        run.folder = dir;
        run.pattern = "*.html";
        run.subFolders = true;
        run.request = ReplaceRequest{"logo", "brand", 0, false};
        ReplaceProgress progress;
        run.run(progress);
        // The big page does not fit twice: it stays whole, its folder stops, the next goes on.
        if (run.entries.size() != 2) return "entries: " + QString::number(run.entries.size()).toStdString();
        const QString first = run.entries[0].line();
        if (!first.startsWith("Error 61\t" + dir + "/a/1.html - ")) return "first line: " + first.toStdString();
        if (run.entries[1].line() != dir + "/b/3.html\t1") return "second: " + run.entries[1].line().toStdString();
        QFile one(dir + "/a/1.html");
        if (!one.open(QIODevice::ReadOnly) || one.readAll() != big) return "the big page was damaged";
        QFile two(dir + "/a/2.html");
        if (!two.open(QIODevice::ReadOnly) || two.readAll() != "logo") return "the page after it was touched";
        if (QDir(dir + "/a").entryList(QDir::Files | QDir::Hidden).size() != 2) return "work files left behind";

        // A volume that became read-only.
        if (mount("tmpfs", QFile::encodeName(dir).constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0)
            return std::string("remount read-only: ") + std::strerror(errno);
        FolderReplaceRun again = run;
        again.entries.clear();
        again.request.find = "brand";
        again.request.backups = true;
        ReplaceProgress progress2;
        again.run(progress2);
        if (again.entries.size() != 1 || !again.entries[0].line().startsWith("Error 70\t" + dir + "/b/3.html"))
            return "read-only: " + (again.entries.isEmpty() ? std::string("no entry") : again.entries[0].line().toStdString());
        QFile three(dir + "/b/3.html");
        if (!three.open(QIODevice::ReadOnly) || three.readAll() != "brand") return "the read-only page changed";
        return {};
    });
    if (code == 77) GTEST_SKIP() << "cannot mount a tmpfs here: " << msg;
    EXPECT_EQ(code, 0) << msg;
}

TEST_F(GlobalReplaceTest, BackupsAreWrittenOnlyWhereNothingElseBearsTheirNameAndTheFileWillChange) {
    const QString site = workDir + "site/";
    const QString victim = writeFile("victim.txt", "precious");
    writeFile("site/again/d.html", "logo");
    ASSERT_EQ(::link(QFile::encodeName(site + "again/d.html").constData(),
                     QFile::encodeName(site + "again/d2.html").constData()), 0);
    writeFile("site/link/a.html", "logo");
    link(victim, site + "link/a.html.bak");  // planted in a shared folder
    writeFile("site/locked/b.html", "logo");
    ASSERT_EQ(::chmod(QFile::encodeName(site + "locked/b.html").constData(), 0444), 0);
    writeFile("site/mine/c.html", "logo");
    writeFile("site/mine/c.html.bak", "mine");  // an earlier backup, made by hand or another editor

    FolderReplaceRun run;
    run.folder = site;
    run.pattern = "*.html";
    run.subFolders = true;
    run.request = ReplaceRequest{"logo", "brand", 0, true};
    {
        WithoutFilePrivileges asAUser;
        ReplaceProgress progress;
        run.run(progress);
    }
    ASSERT_EQ(run.entries.size(), 5);
    EXPECT_EQ(run.entries[0].line(), site + "again/d.html\t1");
    // The second name of a replaced file is named: it keeps the old text.
    EXPECT_TRUE(run.entries[1].line().startsWith("Skipped\t" + site + "again/d2.html - a second name (hard link) of " +
                                                 site + "again/d.html"))
        << run.entries[1].line().toStdString();
    EXPECT_EQ(readFile(site + "again/d2.html"), "logo");
    EXPECT_TRUE(run.entries[2].line().startsWith("Error 58\t" + site + "link/a.html - ")) << run.entries[2].line().toStdString();
    EXPECT_TRUE(run.entries[3].line().startsWith("Error 70\t" + site + "locked/b.html - ")) << run.entries[3].line().toStdString();
    EXPECT_TRUE(run.entries[3].line().contains("read-only"));
    EXPECT_EQ(run.entries[4].line(), site + "mine/c.html\t1");

    EXPECT_EQ(readFile(site + "again/d.html.bak"), "logo");
    // The link's file is untouched, the link stays, and the page waits for a backup it can have.
    EXPECT_EQ(readFile(victim), "precious");
    EXPECT_TRUE(QFileInfo(site + "link/a.html.bak").isSymLink());
    EXPECT_EQ(readFile(site + "link/a.html"), "logo");
    // A read-only page is neither written nor backed up.
    EXPECT_EQ(readFile(site + "locked/b.html"), "logo");
    EXPECT_FALSE(QFileInfo::exists(site + "locked/b.html.bak"));
    EXPECT_EQ(readFile(site + "mine/c.html.bak"), "logo");
    EXPECT_EQ(readFile(site + "mine/c.html"), "brand");

    // The program's own backup from the run before is replaced by the next one.
    FolderReplaceRun again = run;
    again.entries.clear();
    again.folder = site + "again";
    again.request.find = "brand";
    again.request.replacement = "mark";
    ReplaceProgress progress;
    again.run(progress);
    ASSERT_EQ(again.entries.size(), 1);
    EXPECT_EQ(again.entries[0].line(), site + "again/d.html\t1");
    EXPECT_EQ(readFile(site + "again/d.html.bak"), "brand");
    EXPECT_EQ(readFile(site + "again/d.html"), "mark");
}

TEST_F(GlobalReplaceTest, AnEarlierBackupIsReplacedAndAnythingElseAtItsNameStopsOnlyItsPage) {
    const QString site = workDir + "mixed/";
    const bool asRoot = ::geteuid() == 0;
    const QString victim = writeFile("victim.txt", "precious");
    for (const char* page : {"a", "b", "c", "d", "e", "f", "g"}) writeFile(QString("mixed/%1.html").arg(page), "logo");
    link(victim, site + "a.html.bak");                    // a link
    writeFile("mixed/b.html.bak", "an earlier backup");   // a plain file of the user's: the backup slot
    ASSERT_EQ(::chmod(QFile::encodeName(site + "b.html").constData(), 0600), 0);
    ASSERT_EQ(::link(QFile::encodeName(victim).constData(), QFile::encodeName(site + "c.html.bak").constData()), 0);
    QDir().mkpath(site + "d.html.bak");                   // a folder
    ASSERT_EQ(::mkfifo(QFile::encodeName(site + "e.html.bak").constData(), 0600), 0);
    writeFile("mixed/f.html.bak", "someone else's");
    // As root: another user's file at the name, and another user's read-only page.
    const uid_t nobody = 65534;
    if (asRoot) {
        ASSERT_EQ(::chown(QFile::encodeName(site + "f.html.bak").constData(), nobody, nobody), 0);
        ASSERT_EQ(::chown(QFile::encodeName(site + "g.html").constData(), nobody, nobody), 0);
        ASSERT_EQ(::chmod(QFile::encodeName(site + "g.html").constData(), 0444), 0);
    }
    const FileAccess b = fileAccess(site + "b.html");
    const FileAccess g = fileAccess(site + "g.html");
    auto modified = [](const QString& path) { return QFileInfo(path).lastModified(); };
    const QDateTime bTime = modified(site + "b.html");
    const QDateTime gTime = modified(site + "g.html");

    frmGlobalReplace* f = openDialog("logo", "brand");
    chooseFolder(f, site, false, true);
    expectMsgBox("cannot be undone", vbYes);
    expectResults();
    replaceAll(f);

    // One line for each page; a refused name stops its page alone.
    ASSERT_EQ(lines.size(), 7) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines[0].startsWith("Error 58\t" + site + "a.html - ")) << lines[0].toStdString();
    EXPECT_EQ(lines[1], site + "b.html\t1");
    for (int i : {2, 3, 4}) EXPECT_TRUE(lines[i].startsWith("Error 58\t" + site)) << lines[i].toStdString();
    if (asRoot) EXPECT_TRUE(lines[5].startsWith("Error 58\t" + site + "f.html - ")) << lines[5].toStdString();
    else EXPECT_EQ(lines[5], site + "f.html\t1");
    EXPECT_EQ(lines.last(), site + "g.html\t1");
    EXPECT_EQ(filesLabel, QString("Num Files:  %1").arg(lines.size()));
    for (const char* page : {"a", "c", "d", "e"}) EXPECT_EQ(readFile(site + page + ".html"), "logo") << page;
    EXPECT_EQ(readFile(site + "b.html"), "brand");
    EXPECT_EQ(readFile(site + "g.html"), "brand");
    EXPECT_EQ(readFile(victim), "precious");
    EXPECT_TRUE(QFileInfo(site + "a.html.bak").isSymLink());
    EXPECT_TRUE(QFileInfo(site + "d.html.bak").isDir());
    if (asRoot) EXPECT_EQ(readFile(site + "f.html.bak"), "someone else's");

    // A backup is the page's copy in all but its name: bytes, permissions, owner, time. A page
    // rewritten keeps its permissions and owner, read-only for root as for anyone.
    EXPECT_EQ(readFile(site + "b.html.bak"), "logo");
    EXPECT_EQ(fileAccess(site + "b.html.bak"), b);
    EXPECT_EQ(modified(site + "b.html.bak"), bTime);
    EXPECT_EQ(fileAccess(site + "b.html"), b);
    EXPECT_EQ(readFile(site + "g.html.bak"), "logo");
    EXPECT_EQ(fileAccess(site + "g.html.bak"), g);
    EXPECT_EQ(modified(site + "g.html.bak"), gTime);
    EXPECT_EQ(fileAccess(site + "g.html"), g);

    // The next run replaces the backups it made, root's made in the page owner's name too.
    f->txtFind->setText("brand");
    f->txtReplace->setText("mark");
    expectMsgBox("cannot be undone", vbYes);
    expectResults();
    replaceAll(f);
    EXPECT_TRUE(lines.contains(site + "b.html\t1"));
    EXPECT_TRUE(lines.contains(site + "g.html\t1"));
    EXPECT_EQ(readFile(site + "b.html.bak"), "brand");
    EXPECT_EQ(readFile(site + "g.html.bak"), "brand");
}

TEST_F(GlobalReplaceTest, ARefusedBackupIsTheSameErrorInEveryModeAndEachPageCountsOnce) {
    const QString victim = writeFile("victim.txt", "precious");
    const QString one = writeFile("docs/one.html", "a a\r\n");
    const QString two = writeFile("docs/two.html", "a\r\n");
    writeFile("docs/one.html.bak", "an earlier backup");
    link(victim, two + ".bak");
    mainWindow->openFile(one);
    DocumentWindow* first = activeDocument();
    mainWindow->openFile(two);
    DocumentWindow* second = activeDocument();

    frmGlobalReplace* f = openDialog("a", "b");
    f->chkBackup->click();
    f->optAllFiles->click();
    expectResults();
    replaceAll(f);
    ASSERT_EQ(lines.size(), 2) << lines.join('\n').toStdString();
    EXPECT_EQ(lines[0], one + "\t2");
    EXPECT_TRUE(lines[1].startsWith("Error 58\t" + two + " - ")) << lines[1].toStdString();
    EXPECT_EQ(filesLabel, "Num Files:  2");
    EXPECT_EQ(readFile(one + ".bak"), "a a\r\n");
    EXPECT_EQ(first->txtMain->text(), "b b\r\n");
    // Without its backup the document is not changed either.
    EXPECT_EQ(second->txtMain->text(), "a\r\n");
    EXPECT_TRUE(second->fileSaved);
    EXPECT_EQ(readFile(victim), "precious");

    f->optFile->click();
    expectResults();
    replaceAll(f);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith("Error 58\t" + two + " - ")) << lines[0].toStdString();
    EXPECT_EQ(filesLabel, "Num Files:  1");

    second->unload();
    first->fileSaved = true;
    first->unload();
    chooseFolder(f, workDir + "docs", false, false);
    expectMsgBox("cannot be undone", vbYes);
    expectResults();
    replaceAll(f);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[1].startsWith("Error 58\t" + two + " - ")) << lines[1].toStdString();
    EXPECT_EQ(readFile(two), "a\r\n");
    EXPECT_EQ(readFile(victim), "precious");
}

TEST_F(GlobalReplaceTest, EnterOnTheResultsIsItsDefaultOkAndOpensNoFile) {
    writeFile("site/a.html", "<p>old</p>\n");
    frmGlobalReplace* f = openDialog("old", "new");
    chooseFolder(f, workDir + "site", false, false);
    expectMsgBox("cannot be undone", vbYes);
    bool closedByEnter = false;
    expectModal("frmSearchResults", [&](Form& form) {
        auto& r = static_cast<frmSearchResults&>(form);
        QTRY_VERIFY(r.isActiveWindow());
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        closedByEnter = !r.isLoaded();
    });
    replaceAll(f);
    EXPECT_TRUE(closedByEnter);
    EXPECT_EQ(readFile(workDir + "site/a.html"), "<p>new</p>\n");
    for (DocumentWindow* doc : documentWindows()) EXPECT_FALSE(doc->filePath.endsWith("a.html"));
}

// The run goes on beside the user: keys typed into a page meanwhile land there, in order, and a
// page that gets edits during the run keeps its file as it was, the replacement going into its
// window with the edits.
TEST_F(GlobalReplaceTest, KeysTypedWhileAFolderRunGoesLandInThePageWhichKeepsItsFile) {
    const QString site = workDir + "site/";
    writeFile("site/a.html", "logo");
    writeFile("site/sub/b.html", "logo logo");
    writeFile("site/sub/typed.html", "<p>logo</p>\r\n");
    mainWindow->openFile(site + "sub/typed.html");
    DocumentWindow* doc = activeDocument();
    ASSERT_NE(doc, nullptr);

    frmGlobalReplace* f = openDialog("logo", "brand");
    chooseFolder(f, site, true, false);
    RunGate gate;
    holdRunAfter(gate, "a.html");
    expectMsgBox("cannot be undone", vbYes);
    expectResults();
    QSignalSpy finished(f, &frmGlobalReplace::replaceFinished);
    f->cmdReplaceAll->click();
    ASSERT_TRUE(waitUntil([&] { return gate.reached.load(); }));
    EXPECT_TRUE(f->running());

    // The user goes back to the page: Ctrl+Home, Right three times, "Hi, " and a line break.
    QApplication::setActiveWindow(mainWindow);
    doc->txtMain->setFocus();
    QWidget* focus = QApplication::focusWidget();
    ASSERT_EQ(focus, doc->txtMain) << (focus ? focus->metaObject()->className() : "none") << " " << (focus ? focus->objectName().toStdString() : "") << " active " << (QApplication::activeWindow() ? QApplication::activeWindow()->metaObject()->className() : "none");
    QTest::keyClick(focus, Qt::Key_Home, Qt::ControlModifier);
    for (int i = 0; i < 3; ++i) QTest::keyClick(focus, Qt::Key_Right);
    QTest::keyClicks(focus, "Hi,");
    QTest::keyClick(focus, Qt::Key_Space);
    QTest::keyClick(focus, Qt::Key_Return);
    EXPECT_TRUE(f->running());
    gate.released = true;
    ASSERT_TRUE(finished.wait(20000));

    EXPECT_EQ(doc->txtMain->text(), "<p>Hi, \r\nbrand</p>\r\n");
    EXPECT_FALSE(doc->fileSaved);
    EXPECT_EQ(readFile(site + "sub/typed.html"), "<p>logo</p>\r\n");
    EXPECT_EQ(readFile(site + "a.html"), "brand");
    EXPECT_EQ(readFile(site + "sub/b.html"), "brand brand");
    EXPECT_EQ(lines, (QStringList{site + "a.html\t1", site + "sub/b.html\t2", site + "sub/typed.html\t1"}));
    EXPECT_EQ(totalLabel, "Total Replacements:  4");
    EXPECT_FALSE(f->running());
    EXPECT_TRUE(f->cmdReplaceAll->isEnabled());
}

// Closing the window, or the program, while the run goes stops it between two files: each file
// is replaced whole or not at all, nothing is left beside them, and no window follows.
TEST_F(GlobalReplaceTest, ClosingTheWindowOrTheProgramWhileAFolderRunGoesStopsItBetweenFiles) {
    const QString site = workDir + "site/";
    const QStringList names{"1.html", "2.html", "3.html"};
    for (const QString& name : names) writeFile("site/" + name, "logo");

    QPointer<frmGlobalReplace> f = openDialog("logo", "brand");
    chooseFolder(f, site, false, true);
    RunGate gate;
    holdRunAfter(gate, "1.html");
    expectMsgBox("cannot be undone", vbYes);
    f->cmdReplaceAll->click();
    ASSERT_TRUE(waitUntil([&] { return gate.reached.load(); }));
    f->close();
    EXPECT_FALSE(f->isVisible());
    gate.released = true;
    ASSERT_TRUE(waitUntil([&] { return f.isNull(); }));
    EXPECT_EQ(readFile(site + "1.html"), "brand");
    EXPECT_EQ(readFile(site + "1.html.bak"), "logo");
    EXPECT_EQ(readFile(site + "2.html"), "logo");
    EXPECT_EQ(readFile(site + "3.html"), "logo");
    EXPECT_EQ(QDir(site).entryList(QDir::Files | QDir::Hidden | QDir::System),
              (QStringList{"1.html", "1.html.bak", "2.html", "3.html"}));

    // The program: its close waits for the run to stop, then goes on by itself.
    for (const QString& name : names) writeFile("site/" + name, "logo");
    QFile::remove(site + "1.html.bak");
    f = openDialog("logo", "brand");
    chooseFolder(f, site, false, false);
    RunGate again;
    holdRunAfter(again, "1.html");
    expectMsgBox("cannot be undone", vbYes);
    f->cmdReplaceAll->click();
    ASSERT_TRUE(waitUntil([&] { return again.reached.load(); }));
    QPointer<mdiMain> main = mainWindow;
    main->close();
    EXPECT_TRUE(main->isLoaded());
    EXPECT_TRUE(main->closePending());
    again.released = true;
    ASSERT_TRUE(waitUntil([&] { return main.isNull() || !main->isLoaded(); }));
    EXPECT_TRUE(f.isNull() || !f->isLoaded());
    EXPECT_EQ(readFile(site + "1.html"), "brand");
    EXPECT_EQ(readFile(site + "2.html"), "logo");
    EXPECT_EQ(readFile(site + "3.html"), "logo");
    EXPECT_EQ(QDir(site).entryList(QDir::Files | QDir::Hidden | QDir::System), names);
}

// Documents closed while the run goes: one whose file the run rewrote is not asked about, and
// one that held unsaved edits (so the run left its file to its window) has its file replaced
// once the window is gone.
TEST_F(GlobalReplaceTest, DocumentsClosedWhileAFolderRunGoesAreNotLookedFor) {
    const QString site = workDir + "site/";
    writeFile("site/edited.html", "<p>logo</p>\r\n");
    writeFile("site/saved.html", "<p>logo</p>\r\n");
    mainWindow->openFile(site + "edited.html");
    QPointer<DocumentWindow> edited = activeDocument();
    edited->txtMain->select(0, 0);
    QTest::keyClicks(edited->txtMain, "X");
    ASSERT_FALSE(edited->fileSaved);
    mainWindow->openFile(site + "saved.html");
    QPointer<DocumentWindow> saved = activeDocument();

    frmGlobalReplace* f = openDialog("logo", "brand");
    chooseFolder(f, site, false, false);
    RunGate gate;
    holdRunAfter(gate, "saved.html");
    expectMsgBox("cannot be undone", vbYes);
    QSignalSpy finished(f, &frmGlobalReplace::replaceFinished);
    f->cmdReplaceAll->click();
    ASSERT_TRUE(waitUntil([&] { return gate.reached.load(); }));
    EXPECT_EQ(readFile(site + "saved.html"), "<p>brand</p>\r\n");
    expectMsgBox("Save changes to 'edited.html'?", vbNo);
    ASSERT_TRUE(edited->unload());
    ASSERT_TRUE(saved->unload());
    expectResults();
    gate.released = true;
    ASSERT_TRUE(finished.wait(20000));

    EXPECT_TRUE(edited.isNull() && saved.isNull());
    EXPECT_EQ(readFile(site + "edited.html"), "<p>brand</p>\r\n");
    EXPECT_EQ(lines, (QStringList{site + "edited.html\t1", site + "saved.html\t1"}));
    EXPECT_EQ(totalLabel, "Total Replacements:  2");
    EXPECT_TRUE(documentWindows().isEmpty());
}

// Replace With holding a line break, pasted as this program's Copy puts it (a lone LF): each
// page gets its own line ends, in an open document as in a file, and the document counts what
// went in as what it holds.
TEST_F(GlobalReplaceTest, ALineBreakInTheReplacementTakesEachPagesOwnLineEnds) {
    const QString crlf = writeFile("docs/crlf.html", "cat x cat\r\n");
    const QString lf = writeFile("docs/lf.html", "<b>cat</b>\n");
    mainWindow->openFile(crlf);
    DocumentWindow* first = activeDocument();
    mainWindow->openFile(lf);
    DocumentWindow* second = activeDocument();
    ASSERT_TRUE(first && second);

    frmGlobalReplace* f = openDialog("cat", "");
    f->optAllFiles->click();
    QApplication::clipboard()->setText("A\nB");
    f->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f));
    f->txtReplace->setFocus();
    QTest::keyClick(f->txtReplace, Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(f->txtReplace->text(), "A\nB");
    expectResults();
    replaceAll(f);
    EXPECT_EQ(lines, (QStringList{crlf + "\t2", lf + "\t1"}));
    EXPECT_EQ(first->txtMain->text(), "A\r\nB x A\r\nB\r\n");
    EXPECT_EQ(first->txtMain->document()->toPlainText(), "A\nB x A\nB\n");
    EXPECT_EQ(second->txtMain->text(), "<b>A\r\nB</b>\r\n");
    // One Undo takes back exactly what went in, and Redo brings it again.
    Form::mdiArea()->setActiveSubWindow(first->subWindow());
    mainWindow->mnuEditUndo->trigger();
    EXPECT_EQ(first->txtMain->text(), "cat x cat\r\n");
    mainWindow->mnuEditRedo->trigger();
    EXPECT_EQ(first->txtMain->text(), "A\r\nB x A\r\nB\r\n");
    for (DocumentWindow* doc : {first, second}) {
        Form::mdiArea()->setActiveSubWindow(doc->subWindow());
        mainWindow->mnuFileSave->trigger();
    }
    EXPECT_EQ(readFile(crlf), "A\r\nB x A\r\nB\r\n");
    EXPECT_EQ(readFile(lf), "<b>A\nB</b>\n");

    // Files on disk, each with its own line ends.
    writeFile("site/crlf.html", "cat\r\n");
    writeFile("site/lf.html", "cat\n");
    chooseFolder(f, workDir + "site", false, false);
    expectMsgBox("cannot be undone", vbYes);
    expectResults();
    replaceAll(f);
    EXPECT_EQ(readFile(workDir + "site/crlf.html"), "A\r\nB\r\n");
    EXPECT_EQ(readFile(workDir + "site/lf.html"), "A\nB\n");
}

}  // namespace
}  // namespace kavrin::test
