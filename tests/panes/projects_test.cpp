// Projects: the project file, and the project pane with its toolbar, title box, list and menu,
// including the paths where a dialog is cancelled, a file is no project, or the disk is full.
#include <sys/mount.h>

#include <QTest>
#include <QListWidget>
#include <QMdiArea>

#include "documents/docfile.h"
#include "mainwindow/frmDontShow.h"
#include "panes/projectfile.h"
#include "panes_fixture.h"
#include "platform/system/screen.h"
#include "platform/files/settingsstore.h"

namespace kavrin::test {
namespace {

TEST(ProjectFile, TextAndProjectGoBothWays) {
    Project p{"Site", "1/2/03 4:05 PM", " 1/2/03 4:06 PM", {"/w/a.htm", "", "/w/b c.htm"}};
    const QString text = projectFileText(p);
    EXPECT_EQ(text, "Site\r\n1/2/03 4:05 PM\r\n 1/2/03 4:06 PM\r\n/w/a.htm\r\n\r\n/w/b c.htm\r\n");
    Project back;
    ASSERT_TRUE(parseProjectText(text, &back));
    EXPECT_EQ(back, p);

    // Title and paths are trimmed; the times stay as they stand; no final line break is needed.
    ASSERT_TRUE(parseProjectText(u"  Site  \r\n c \r\nm\r\n  /w/x.htm  ", &back));
    EXPECT_EQ(back, (Project{"Site", " c ", "m", {"/w/x.htm"}}));
    ASSERT_TRUE(parseProjectText(u"T\r\nc\r\nm\r\n", &back));
    EXPECT_TRUE(back.files.isEmpty());
    for (const char16_t* shortText : {u"", u"\r\n", u"T\r\nc", u"T\r\nc\r\n"})
        EXPECT_FALSE(parseProjectText(shortText, &back)) << QString::fromUtf16(shortText).toStdString();

    EXPECT_EQ(projectFileNameFor("/w/site"), "/w/site.kvf");
    EXPECT_EQ(projectFileNameFor("/w/site.KVF"), "/w/site.KVF");
    EXPECT_EQ(projectFileNameFor("/w/site.html"), "/w/site.html.kvf");
}

class ProjectsTest : public PanesTest {
protected:
    void SetUp() override {
        PanesTest::SetUp();
        projectClock = [this] { return QDateTime(QDate(2024, 5, 6), QTime(7, 8)).addSecs(60 * ticks++); };
        openMainWindow();
    }
    void TearDown() override {
        projectClock = {};
        PanesTest::TearDown();
    }

    static QString time(int minute) {
        return QLocale::system().toString(QDateTime(QDate(2024, 5, 6), QTime(7, 8 + minute)), QLocale::ShortFormat);
    }
    QListWidget* list() const { return mainWindow->lstProjects; }
    QStringList listed() const {
        QStringList paths;
        for (int i = 0; i < list()->count(); ++i) paths << list()->item(i)->text();
        return paths;
    }
    QAction* toolbarButton(const QString& key) const { return mainWindow->tbrProjects->button(key); }
    frmMenu* menus() const { return frmMenuInstance(); }
    void select(const QStringList& paths) {
        for (int i = 0; i < list()->count(); ++i) list()->item(i)->setSelected(paths.contains(list()->item(i)->text()));
    }
    // A project file on disk; its path.
    QString projectOnDisk(const QString& name, const QByteArray& bytes) { return writeFile(name, bytes); }
    // Opens a project through the File menu.
    void open(const QString& path) {
        expectOpen(path);
        mainWindow->mnuFileOpenProject->trigger();
    }
    void silenceAutoSaveNotice() { saveSetting("Kavrin Pro", "DontShowAgain", "ProjectAutoSave", "True"); }

    int ticks = 0;
};

TEST_F(ProjectsTest, NewProjectWritesThreeLinesAndShowsItsPane) {
    expectInputBox("Enter a name for the new project.", QString("  Site  "));
    const QString chosen = workDir + "site";
    expectSave(chosen);
    mainWindow->mnuFileNewProject->trigger();
    EXPECT_EQ(readFile(chosen + ".kvf"), ("Site\r\n" + time(0) + "\r\n" + time(0) + "\r\n").toUtf8());
    EXPECT_EQ(projectFilePath, chosen + ".kvf");
    EXPECT_EQ(projectTitle, "Site");
    EXPECT_EQ(mainWindow->tbsMain->currentIndex(), 3);
    EXPECT_TRUE(list()->isVisible());
    EXPECT_TRUE(toolbarButton("delete_project")->isEnabled());
    EXPECT_EQ(mainWindow->txtProjects->text(), "Site");
    EXPECT_EQ(mainWindow->txtProjects->toolTip(), "Created " + time(0) + " - Modified " + time(0));

    // A name that is taken asks for another; a hidden file or a folder counts as taken.
    writeFile("taken.kvf", "mine");
    QDir().mkpath(workDir + "folder.kvf");
    expectInputBox("Enter a name for the new project.", QString("Other"));
    expectSave(workDir + "taken.kvf");
    expectMsgBox("A project file by that name already exists in the specified folder.", vbOK);
    expectSave(workDir + "folder.kvf");
    expectMsgBox("A project file by that name already exists", vbOK);
    expectSave(workDir + "other.kvf");
    mainWindow->tbrProjects->ButtonClick("new_project");
    EXPECT_EQ(readFile(workDir + "taken.kvf"), "mine");
    EXPECT_EQ(projectTitle, "Other");
    EXPECT_TRUE(QFileInfo::exists(workDir + "other.kvf"));
}

TEST_F(ProjectsTest, ACancelledNewProjectLeavesTheOpenProjectWhole) {
    const QString path = projectOnDisk("a.kvf", "A\r\nc\r\nm\r\n/w/one.htm\r\n/w/two.htm\r\n");
    open(path);
    ASSERT_EQ(listed(), (QStringList{"/w/one.htm", "/w/two.htm"}));
    expectInputBox("Enter a name for the new project.", std::nullopt);
    mainWindow->mnuFileNewProject->trigger();
    expectInputBox("Enter a name for the new project.", QString("   "));
    mainWindow->mnuFileNewProject->trigger();
    expectInputBox("Enter a name for the new project.", QString("B"));
    expectDialogCancel("save");
    mainWindow->mnuFileNewProject->trigger();
    EXPECT_EQ(listed(), (QStringList{"/w/one.htm", "/w/two.htm"}));
    EXPECT_EQ(projectFilePath, path);

    // The next change writes the old project with all its files.
    QTest::keyClicks(mainWindow->txtProjects, "!");
    EXPECT_EQ(readFile(path), ("A!\r\nc\r\n" + time(0) + "\r\n/w/one.htm\r\n/w/two.htm\r\n").toUtf8());
}

TEST_F(ProjectsTest, AFileThatIsNoProjectIsRefusedAndNeverWrittenOver) {
    const QString path = projectOnDisk("a.kvf", "A\r\nc\r\nm\r\n/w/one.htm\r\n");
    open(path);
    const QByteArray page = "<html>\r\n<body>\r\nhello\r\n</body>\r\n</html>\r\n";
    const QString html = writeFile("page.html", page);
    const QString shortFile = projectOnDisk("short.kvf", "B\r\nc\r\n");
    const QString binary = projectOnDisk("binary.kvf", QByteArray("B\r\nc\r\nm\r\n\0\0", 11));
    auto refused = [this](const QString& file, const QString& why) {
        expectOpen(file);
        expectMsgBox(why, vbOK);
        mainWindow->mnuFileOpenProject->trigger();
    };
    refused(html, "is not a Kavrin project file.\n\nIts name does not end in \".kvf\".");
    refused(shortFile, "fewer than three lines");
    refused(binary, "binary");
    expectDialogCancel("open");
    mainWindow->mnuFileOpenProject->trigger();

    EXPECT_EQ(projectFilePath, path);
    EXPECT_EQ(listed(), QStringList{"/w/one.htm"});
    QTest::keyClicks(mainWindow->txtProjects, "x");
    EXPECT_EQ(readFile(html), page);
    EXPECT_EQ(readFile(shortFile), "B\r\nc\r\n");
    EXPECT_TRUE(readFile(path).startsWith("Ax\r\n"));
}

TEST_F(ProjectsTest, ALineFeedOnlyFileOpensAndEveryKeystrokeOfTheTitleRewritesIt) {
    EXPECT_FALSE(mainWindow->txtProjects->isEnabled());  // no project: nothing to rename
    const QString path = projectOnDisk("lf.kvf", " Site \ncreated\nmodified\n /w/a.htm \n\n");
    // The File menu's Open shows the new project in the title box too.
    mainWindow->txtProjects->setText("stale");
    open(path);
    EXPECT_EQ(mainWindow->txtProjects->text(), "Site");
    EXPECT_EQ(listed(), (QStringList{"/w/a.htm", ""}));
    EXPECT_EQ(mainWindow->txtProjects->toolTip(), "Created created - Modified modified");
    EXPECT_EQ(readFile(path), " Site \ncreated\nmodified\n /w/a.htm \n\n");  // opening writes nothing

    mainWindow->txtProjects->setFocus();
    mainWindow->txtProjects->end(false);
    QTest::keyClick(mainWindow->txtProjects, Qt::Key_S);
    EXPECT_EQ(readFile(path), ("Sites\r\ncreated\r\n" + time(0) + "\r\n/w/a.htm\r\n\r\n").toUtf8());
    QTest::keyClick(mainWindow->txtProjects, Qt::Key_Space);  // the trimmed title is unchanged
    EXPECT_EQ(ticks, 1);
    QTest::keyClick(mainWindow->txtProjects, Qt::Key_X);
    EXPECT_EQ(readFile(path), ("Sites x\r\ncreated\r\n" + time(1) + "\r\n/w/a.htm\r\n\r\n").toUtf8());
    EXPECT_EQ(mainWindow->txtProjects->toolTip(), "Created created - Modified " + time(1));
}

TEST_F(ProjectsTest, FilesAreAddedAndRemovedWithTheFileRewrittenEachTime) {
    const QString path = projectOnDisk("p.kvf", "P\r\nc\r\nm\r\n");
    open(path);
    const QString a = writeFile("a.htm", "a");
    expectOpen(a);
    expectModal("frmDontShow", [](Form& form) {
        auto& notice = static_cast<frmDontShow&>(form);
        EXPECT_EQ(notice.lblMsg->text(), "Changes to your project have automatically been saved.");
        notice.chkDontShow->setChecked(true);
        notice.cmdOk->click();
    });
    menus()->mnuProjectAdd->trigger();
    EXPECT_EQ(readFile(path), ("P\r\nc\r\n" + time(0) + "\r\n" + a + "\r\n").toUtf8());

    // The same path again is refused; another spelling of it is another file here.
    expectOpen(a);
    expectMsgBox("This project already contains the selected file.\n\nPlease select another file.", vbOK);
    menus()->mnuProjectAdd->trigger();
    const QString upper = workDir + "A.htm";
    expectOpen(upper);
    menus()->mnuProjectAdd->trigger();  // the notice was silenced
    expectDialogCancel("open");
    menus()->mnuProjectAdd->trigger();
    EXPECT_EQ(listed(), (QStringList{a, upper}));

    select({a});
    expectMsgBox("Remove selected file(s) from project?", vbNo);
    menus()->mnuProjectRemove->trigger();
    EXPECT_EQ(listed(), (QStringList{a, upper}));
    expectMsgBox("Remove selected file(s) from project?", vbYes);
    menus()->mnuProjectRemove->trigger();
    EXPECT_EQ(listed(), QStringList{upper});
    select({upper});
    expectMsgBox("Remove selected file(s) from project?", vbYes);
    menus()->mnuProjectRemove->trigger();
    EXPECT_EQ(readFile(path), ("P\r\nc\r\n" + time(3) + "\r\n").toUtf8());
}

TEST_F(ProjectsTest, TheListMenuOffersWhatTheProjectAllows) {
    auto offered = [this] {
        const QPoint at = list()->count() ? list()->visualItemRect(list()->item(0)).center() : QPoint(10, 10);
        QTest::mouseClick(list()->viewport(), Qt::RightButton, Qt::NoModifier, at);
        QApplication::processEvents();
        EXPECT_TRUE(menus()->mnuProject->isVisible());
        menus()->mnuProject->hide();
        return QString("%1%2%3")
            .arg(menus()->mnuProjectEdit->isEnabled())
            .arg(menus()->mnuProjectAdd->isEnabled())
            .arg(menus()->mnuProjectRemove->isEnabled());
    };
    mainWindow->mnuOptionsProjectExplorer->trigger();
    EXPECT_EQ(offered(), "000");
    open(projectOnDisk("p.kvf", "P\r\nc\r\nm\r\n/w/a.htm\r\n"));
    EXPECT_EQ(offered(), "111");  // the right click chose the item under the pointer
    list()->clearSelection();
    EXPECT_EQ(mainWindow->selectedProjectFiles(), QStringList{});
}

TEST_F(ProjectsTest, ListedFilesOpenAsDocuments) {
    const QString a = writeFile("a.htm", "<p>a</p>");
    const QString b = writeFile("b.htm", "<p>b</p>");
    const QString gone = workDir + "gone.htm";
    open(projectOnDisk("p.kvf", ("P\r\nc\r\nm\r\n" + a + "\r\n" + b + "\r\n" + gone + "\r\n").toUtf8()));

    list()->setCurrentRow(2);
    expectMsgBox("The file '" + gone + "' no longer exists.", vbOK);
    mainWindow->lstProjects_DblClick();
    EXPECT_EQ(Form::documentCount(), 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    newDocument();  // a new page nobody touched gives way
    list()->setCurrentRow(0);
    mainWindow->lstProjects_DblClick();
    ASSERT_EQ(documentWindows().size(), 1);
    EXPECT_EQ(documentWindows().first()->filePath, a);

    select({a, b});
    expectMsgBox("The file '" + a + "' is already open.", vbOK);
    menus()->mnuProjectEdit->trigger();
    ASSERT_TRUE(QTest::qWaitFor([] { return runsInTurns() == 0; }));
    EXPECT_EQ(Form::documentCount(), 2);
    EXPECT_EQ(activeDocument()->filePath, b);
}

TEST_F(ProjectsTest, DeletingAProjectAsksFirstAndKeepsAProjectWhoseFileIsGone) {
    const QString path = projectOnDisk("p.kvf", "P\r\nc\r\nm\r\n/w/a.htm\r\n");
    open(path);
    expectMsgBox("Are you sure that you want to permanently delete this project?", vbNo);
    toolbarButton("delete_project")->trigger();
    EXPECT_TRUE(QFileInfo::exists(path));

    QFile::remove(path);
    expectMsgBox("Are you sure", vbYes);
    expectMsgBox("could not be deleted", vbOK);
    toolbarButton("delete_project")->trigger();
    EXPECT_EQ(projectFilePath, path);
    EXPECT_EQ(listed(), QStringList{"/w/a.htm"});
    EXPECT_TRUE(toolbarButton("delete_project")->isEnabled());
}

TEST_F(ProjectsTest, DeletingTheProjectRemovesItsFileAndEmptiesThePane) {
    const QString path = projectOnDisk("p.kvf", "P\r\nc\r\nm\r\n/w/a.htm\r\n");
    open(path);
    expectMsgBox("Are you sure that you want to permanently delete this project?", vbYes);
    toolbarButton("delete_project")->trigger();
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_TRUE(projectFilePath.isEmpty());
    EXPECT_TRUE(projectTitle.isEmpty());
    EXPECT_EQ(list()->count(), 0);
    EXPECT_EQ(mainWindow->txtProjects->text(), "");
    EXPECT_FALSE(toolbarButton("delete_project")->isEnabled());
}

TEST_F(ProjectsTest, AProjectFileTheDiskCannotHoldStaysAsItWas) {
    const QString dir = workDir + "tiny";
    QDir().mkpath(dir);
    silenceAutoSaveNotice();
    const auto [code, message] = inTinyTmpfs(dir, [&]() -> std::string {
        const QString path = dir + "/p.kvf";
        const QByteArray old = "P\r\nc\r\nm\r\n";
        if (!writeFileAtomically(path, old)) return "no project file";
        // Leave room for a small project, not for a large one.
        QFile filler(dir + "/filler");
        if (!filler.open(QIODevice::WriteOnly) || filler.write(QByteArray(48 * 1024, 'f')) < 0) return "no filler";
        filler.close();
        open(path);
        expectOpen("/w/small.htm");
        menus()->mnuProjectAdd->trigger();
        if (listed() != QStringList{"/w/small.htm"}) return "the small change was not taken";
        const QByteArray small = readFile(path);
        if (!small.endsWith("/w/small.htm\r\n")) return "the small change was not written";

        expectOpen("/w/" + QString(20000, 'x') + ".htm");
        expectMsgBox("could not be written", vbOK);
        menus()->mnuProjectAdd->trigger();
        if (!allAnswered()) return "the failure was not reported";
        if (listed() != QStringList{"/w/small.htm"}) return "the list took a change the file did not";
        if (readFile(path) != small) return "the project file was damaged";
        const QStringList left = QDir(dir).entryList(QDir::Files | QDir::Hidden);
        if (left != QStringList{"filler", "p.kvf"}) return "work files left: " + left.join(',').toStdString();
        return {};
    });
    if (code == 77) GTEST_SKIP() << message;
    EXPECT_EQ(code, 0) << message;
}

}  // namespace
}  // namespace kavrin::test
