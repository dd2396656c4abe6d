// The work folders and copies a killed program leaves behind, and the folders that only look
// like them.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "fixture.h"
#include "platform/files/ownfiles.h"

namespace kavrin::test {
namespace {

class OwnFilesTest : public KavrinTest {
protected:
    // A run of the program in a process of its own that makes its work folder in `root`; it is
    // killed at once, or keeps running until `endRun`.
    struct Run {
        pid_t pid = -1;
        QString folder;
        int hold = -1;
    };

    static Run startRun(const QString& root, bool keepRunning) {
        int report[2];
        int hold[2];
        if (::pipe(report) != 0 || ::pipe(hold) != 0) return {};
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(report[0]);
            ::close(hold[1]);
            const QByteArray path = QFile::encodeName(makePrivateFolder(root));
            if (::write(report[1], path.constData(), size_t(path.size())) != path.size()) ::_exit(1);
            ::close(report[1]);
            char c;
            if (keepRunning && ::read(hold[0], &c, 1) < 0) ::_exit(1);
            ::raise(SIGKILL);  // nothing of it tidies up
            ::_exit(1);
        }
        ::close(report[1]);
        ::close(hold[0]);
        QByteArray path;
        char buf[512];
        for (ssize_t n; (n = ::read(report[0], buf, sizeof buf)) > 0;) path.append(buf, n);
        ::close(report[0]);
        Run run{child, QFile::decodeName(path), hold[1]};
        if (!keepRunning) endRun(run);
        return run;
    }

    static void endRun(Run& run) {
        ::close(run.hold);
        int status = 0;
        ::waitpid(run.pid, &status, 0);
    }

    QString relative(const QString& path) const { return QDir(workDir).relativeFilePath(path); }
};

TEST_F(OwnFilesTest, AKilledRunsWorkFolderGoesAtTheNextStartAndNoFolderThatOnlyLooksLikeOne) {
    const QString root = workDir + "tmp/";
    QDir().mkpath(root);
    Run killed = startRun(root, false);
    ASSERT_FALSE(killed.folder.isEmpty());
    EXPECT_EQ(QFileInfo(killed.folder).fileName().section('-', 0, 1), "kavrin-" + QString::number(killed.pid));
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(killed.folder).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    writeFile(relative(killed.folder) + "/temp.htm", "work");
    writeFile(relative(killed.folder) + "/preview/page.htm", "copy");
    // The browse copy it left beside a page goes; a file the user has put at a noted name stays.
    const QString copy = workDir + "site/page.htm.browse";
    QDir().mkpath(workDir + "site");
    ASSERT_EQ(writeOwnFile(copy, "copy"), OwnWrite::Written);
    const QString users = writeFile("site/other.htm.browse", "the user's page");
    writeFile(relative(killed.folder) + "/files-beside", (copy + "\n" + users + "\n").toUtf8());

    // Folders named as the program names them: the user's notes, a copy of the killed run's
    // folder (its mark came along), the killed run's folder shared with others or given to
    // another user, and a link of that name.
    const QString dead = QString::number(killed.pid);
    const QString notes = writeFile("tmp/kavrin-" + dead + "-notes/sub/thesis.txt", "chapter one");
    ::chmod(QFile::encodeName(root + "kavrin-" + dead + "-notes").constData(), 0700);
    const QString copied = root + "kavrin-" + dead + "-copy";
    QDir().mkpath(copied);
    ::chmod(QFile::encodeName(copied).constData(), 0700);
    ASSERT_TRUE(QFile::copy(killed.folder + "/.work-folder", copied + "/.work-folder"));
    writeFile(relative(copied) + "/keep.txt", "kept");
    Run shared = startRun(root, false);
    ::chmod(QFile::encodeName(shared.folder).constData(), 0755);
    Run given = startRun(root, false);
    const bool asRoot = ::geteuid() == 0;
    if (asRoot) ASSERT_EQ(::chown(QFile::encodeName(given.folder).constData(), 65534, 65534), 0);
    const QString elsewhere = writeFile("elsewhere/keep.txt", "kept");
    const QString linked = root + "kavrin-" + dead + "-link";
    ASSERT_TRUE(QFile::link(workDir + "elsewhere", linked));

    // A run that still goes, and this one.
    Run running = startRun(root, true);
    const QString mine = makePrivateFolder(root);
    ASSERT_FALSE(mine.isEmpty());

    EXPECT_EQ(removeLeftoverPrivateFolders(root), asRoot ? 1 : 2);
    EXPECT_FALSE(QFileInfo::exists(killed.folder));
    EXPECT_FALSE(QFileInfo::exists(copy));
    EXPECT_EQ(readFile(users), "the user's page");
    EXPECT_EQ(readFile(notes), "chapter one");
    EXPECT_EQ(readFile(copied + "/keep.txt"), "kept");
    EXPECT_TRUE(QFileInfo(shared.folder).isDir());
    if (asRoot) EXPECT_TRUE(QFileInfo(given.folder).isDir());
    EXPECT_TRUE(QFileInfo(linked).isSymLink());
    EXPECT_EQ(readFile(elsewhere), "kept");
    EXPECT_TRUE(QFileInfo(running.folder).isDir());
    EXPECT_TRUE(QFileInfo(mine).isDir());

    // Once the other run has ended, its folder goes at the next start too.
    endRun(running);
    EXPECT_EQ(removeLeftoverPrivateFolders(root), 1);
    EXPECT_FALSE(QFileInfo::exists(running.folder));
    EXPECT_TRUE(QFileInfo(mine).isDir());
}

// A backup written beside a page by a program that is killed before the backup is whole: it
// left a hidden, empty file of its work by the page for good.
TEST_F(OwnFilesTest, AWorkFileKilledBeforeItIsWholeLeavesNothingOrWhatTheNextBackupRemoves) {
    QDir().mkpath(workDir + "site");
    const QString page = writeFile("site/p001.html", "<p>page</p>");
    const QString backup = page + ".bak";
    const QStringList pageOnly{"p001.html"};
    auto entries = [&] { return QDir(workDir + "site").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot); };
    // A writer killed after it has written, before the file takes its name.
    auto killedWriter = [&] {
        const pid_t child = ::fork();
        if (child == 0) {
            WorkFile work(backup);
            if (work.fd() < 0 || ::write(work.fd(), "<p>pa", 5) != 5) ::_exit(1);
            ::raise(SIGKILL);
            ::_exit(1);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return WIFSIGNALED(status);
    };

    ASSERT_TRUE(killedWriter());
    EXPECT_EQ(entries(), pageOnly);

    // Where files cannot be made without a name, the name it leaves carries the work mark, and
    // the next backup of the page takes it away; one a writer still holds, or a user's file at
    // such a name, stays.
    WorkFile::unnamedAllowed = false;
    ASSERT_TRUE(killedWriter());
    const QString left = workDir + "site/.p001.html.bak.kavrin-part";
    EXPECT_EQ(entries(), (QStringList{".p001.html.bak.kavrin-part", "p001.html"}));
    {
        WorkFile held(page + ".copy");
        ASSERT_GE(held.fd(), 0);
        const QString users = writeFile("site/.p001.html.bak.kavrin-part2", "the user's");
        WorkFile second(page + ".copy");
        ASSERT_GE(second.fd(), 0);
        EXPECT_TRUE(QFileInfo::exists(workDir + "site/.p001.html.copy.kavrin-part"));
        EXPECT_TRUE(QFileInfo::exists(workDir + "site/.p001.html.copy.kavrin-part2"));

        ASSERT_EQ(writeBackupOf(page, "<p>page</p>"), OwnWrite::Written);
        EXPECT_FALSE(QFileInfo::exists(left));
        EXPECT_EQ(readFile(users), "the user's");
        QFile::remove(users);
    }
    WorkFile::unnamedAllowed = true;
    EXPECT_EQ(entries(), (QStringList{"p001.html", "p001.html.bak"}));
    EXPECT_EQ(readFile(backup), "<p>page</p>");
}

TEST_F(OwnFilesTest, AtTheEndARunRemovesItsOwnFolderOnlyWhileItIsTheOneItMade) {
    const QString root = workDir + "tmp/";
    QDir().mkpath(root);
    const QString mine = makePrivateFolder(root);
    ASSERT_FALSE(mine.isEmpty());
    writeFile(relative(mine) + "/temp.htm", "work");

    // Moved aside, with a folder of the user's put at its name that even holds its mark.
    const QString aside = root + "aside";
    ASSERT_TRUE(QDir().rename(mine, aside));
    QDir().mkpath(mine);
    ::chmod(QFile::encodeName(mine).constData(), 0700);
    ASSERT_TRUE(QFile::copy(aside + "/.work-folder", mine + "/.work-folder"));
    const QString users = writeFile(relative(mine) + "/thesis.txt", "chapter one");
    EXPECT_FALSE(removePrivateFolder(mine));
    EXPECT_EQ(readFile(users), "chapter one");

    QDir(mine).removeRecursively();
    ASSERT_TRUE(QDir().rename(aside, mine));
    EXPECT_TRUE(removePrivateFolder(mine + "/"));
    EXPECT_FALSE(QFileInfo::exists(mine));
}

// A file made as it is written takes its name only whole: a maker that gives up half-way, by
// itself or because a piece could not be written, leaves the earlier file as it was and nothing
// beside it.
TEST_F(OwnFilesTest, AFileMadePieceByPieceTakesItsNameOnlyWhole) {
    const QString path = workDir + "work/temp.rtf";
    QDir().mkpath(workDir + "work");
    ASSERT_EQ(writeOwnFile(path, "old"), OwnWrite::Written);
    auto pieces = [](int count, bool giveUp) {
        return [=](const OwnBytesSink& put) {
            for (int i = 0; i < count; ++i)
                if (!put("piece;", 6)) return false;
            return !giveUp;
        };
    };
    QString error;
    EXPECT_EQ(writeOwnFile(path, pieces(3, true), &error), OwnWrite::Failed);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readFile(path), "old");
    EXPECT_EQ(QDir(workDir + "work").entryList(QDir::Files | QDir::Hidden), QStringList{"temp.rtf"});
    EXPECT_EQ(writeOwnFile(path, pieces(3, false), &error), OwnWrite::Written);
    EXPECT_EQ(readFile(path), "piece;piece;piece;");
}

}  // namespace
}  // namespace kavrin::test
