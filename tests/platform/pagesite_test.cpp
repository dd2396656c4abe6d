// What a page shown in Browse or a preview may load from the disk.
#include <QDir>
#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

#include "fixture.h"
#include "platform/pagesite.h"

namespace kavrin::test {
namespace {

class PageSiteTest : public KavrinTest {};

TEST_F(PageSiteTest, APageSeesItsFolderTreeOrItsProjectsOutsideTheProjectsHiddenFolders) {
    const QString project = workDir + "proj";
    EXPECT_EQ(pageSite(project + "/pages/a.htm", "").root, project + "/pages");
    EXPECT_EQ(pageSite(project + "/pages/a.htm", project + "/").root, project);
    EXPECT_EQ(pageSite(project + "/a.htm", project).root, project);
    // A page in a hidden folder of the project sees that folder, not the project's others.
    EXPECT_EQ(pageSite(project + "/.drafts/a.htm", project).root, project + "/.drafts");
    // A folder that merely starts with the project's name is not in it.
    EXPECT_EQ(pageSite(workDir + "project2/a.htm", project).root, workDir + "project2");
    EXPECT_FALSE(pageSite(project + "/a.htm", project).alone);
}

TEST_F(PageSiteTest, OnlyRegularFilesInTheSiteAreServedWhateverTheLinksAndDotsInTheWay) {
    const QString site = QFileInfo(writeFile("site/page.htm", "<p>")).absolutePath();
    writeFile("site/img/a.png", "png");
    writeFile("site/.git/config", "secret");
    writeFile("sibling/secret.json", "secret");
    writeFile(".docker/config.json", "token");
    ASSERT_TRUE(QFile::link(workDir + "sibling", site + "/out"));
    ASSERT_TRUE(QFile::link(workDir + ".docker/config.json", site + "/config.json"));
    ASSERT_TRUE(QFile::link(site + "/img/a.png", site + "/same.png"));
    ASSERT_TRUE(QFile::link(site + "/.git/config", site + "/visible"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(site + "/pipe.json").constData(), 0600), 0);
    const PageSite own{site, false};

    EXPECT_EQ(siteFile(own, site + "/page.htm"), site + "/page.htm");
    EXPECT_EQ(siteFile(own, site + "/img/../img/./a.png"), site + "/img/a.png");
    EXPECT_EQ(siteFile(own, site + "/same.png"), site + "/img/a.png") << "a link that stays inside";
    const QStringList refused{
        site + "/../sibling/secret.json",  // up and out
        workDir + "sibling/secret.json",
        site + "/out/secret.json",      // through a folder link
        site + "/config.json",          // through a file link
        site + "/.git/config",          // hidden folder
        site + "/visible",              // a link into a hidden folder
        site + "/img",                  // a folder
        site + "/pipe.json",            // not a regular file
        site + "/missing.png",
        site + "/img/a.png" + QChar(0) + "/x",
        "img/a.png",  // not absolute
    };
    for (const QString& path : refused) EXPECT_TRUE(siteFile(own, path).isEmpty()) << path.toStdString();

    // A site that is itself in a hidden folder, or reached through a link, serves what it holds.
    writeFile(".local/doc/p.htm", "<p>");
    EXPECT_FALSE(siteFile({workDir + ".local/doc", false}, workDir + ".local/doc/p.htm").isEmpty());
    ASSERT_TRUE(QFile::link(site, workDir + "alias"));
    EXPECT_EQ(siteFile({workDir + "alias", false}, workDir + "alias/img/a.png"), site + "/img/a.png");
    EXPECT_TRUE(siteFile({workDir + "alias", false}, workDir + "alias/out/secret.json").isEmpty());

    // A page alone sees itself and nothing beside it.
    const PageSite alone{site + "/page.htm", true};
    EXPECT_EQ(siteFile(alone, site + "/page.htm"), site + "/page.htm");
    EXPECT_TRUE(siteFile(alone, site + "/img/a.png").isEmpty());

    // Opening refuses what has come to stand at a checked name since: a link, a pipe.
    const int fd = openSiteFile(site + "/img/a.png");
    ASSERT_GE(fd, 0);
    ::close(fd);
    EXPECT_EQ(openSiteFile(site + "/same.png"), -1);
    EXPECT_EQ(openSiteFile(site + "/pipe.json"), -1);
}

}  // namespace
}  // namespace kavrin::test
