// The work folders and copies a killed program leaves behind.
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "fixture.h"
#include "platform/ownfiles.h"

namespace kavrin::test {
namespace {

class OwnFilesTest : public KavrinTest {};

// The id of a process that has ended.
qint64 goneProcess() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

TEST_F(OwnFilesTest, AKilledProgramsWorkFoldersGoAtTheNextStartAndNothingElse) {
    const QString root = workDir + "tmp/";
    auto folder = [&](qint64 pid, const QString& tail) {
        const QString path = root + privateFolderPrefix() + QString::number(pid) + "-" + tail;
        writeFile(QDir(workDir).relativeFilePath(path) + "/temp.htm", "work");
        return path;
    };
    const QString killed = folder(goneProcess(), "a1b2c3");
    QDir().mkpath(killed + "/preview");
    writeFile(QDir(workDir).relativeFilePath(killed) + "/preview/page.htm", "copy");
    // The browse copy it left beside a page goes; a file the user has put at a noted name stays.
    const QString copy = workDir + "site/page.htm.browse";
    QDir().mkpath(workDir + "site");
    ASSERT_EQ(writeOwnFile(copy, "copy"), OwnWrite::Written);
    const QString users = writeFile("site/other.htm.browse", "the user's page");
    writeFile(QDir(workDir).relativeFilePath(killed) + "/files-beside", (copy + "\n" + users + "\n").toUtf8());
    const QString running = folder(::getppid(), "d4e5f6");  // a program that still runs
    const QString mine = folder(QCoreApplication::applicationPid(), "g7h8i9");
    const QString other = writeFile("tmp/kavrin-notes/keep.txt", "the user's");
    // A link of that name leads elsewhere: neither it nor what it points to is touched.
    const QString elsewhere = writeFile("elsewhere/keep.txt", "kept");
    const QString linked = root + privateFolderPrefix() + QString::number(goneProcess()) + "-j1k2l3";
    ASSERT_TRUE(QFile::link(workDir + "elsewhere", linked));

    EXPECT_EQ(removeLeftoverPrivateFolders(root), 1);
    EXPECT_FALSE(QFileInfo::exists(killed));
    EXPECT_FALSE(QFileInfo::exists(copy));
    EXPECT_EQ(readFile(users), "the user's page");
    EXPECT_TRUE(QFileInfo::exists(running + "/temp.htm"));
    EXPECT_TRUE(QFileInfo::exists(mine + "/temp.htm"));
    EXPECT_EQ(readFile(other), "the user's");
    EXPECT_TRUE(QFileInfo(linked).isSymLink());
    EXPECT_EQ(readFile(elsewhere), "kept");
}

}  // namespace
}  // namespace kavrin::test
