// What a page shown in Browse or a preview may load from the disk.
#include <QDir>
#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

#include "fixture.h"
#include "platform/web/pagesite.h"

inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace kavrin::test {
namespace {

class PageSiteTest : public KavrinTest {};

TEST_F(PageSiteTest, APageSeesItsFolderTreeOrItsProjectsOutsideTheProjectsHiddenFolders) {
    const QString project = workDir + "proj";
    EXPECT_EQ(pageSite(project + "/pages/a.htm", "", {}).root, project + "/pages");
    EXPECT_EQ(pageSite(project + "/pages/a.htm", project + "/", {}).root, project);
    EXPECT_EQ(pageSite(project + "/a.htm", project, {}).root, project);
    // A page in a hidden folder of the project sees that folder, not the project's others.
    EXPECT_EQ(pageSite(project + "/.drafts/a.htm", project, {}).root, project + "/.drafts");
    // A folder that merely starts with the project's name is not in it.
    EXPECT_EQ(pageSite(workDir + "project2/a.htm", project, {}).root, workDir + "project2");
    EXPECT_FALSE(pageSite(project + "/a.htm", project, {}).alone);
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
    const PageSite own{site, false, {}, {}};

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
    EXPECT_FALSE(siteFile({workDir + ".local/doc", false, {}, {}}, workDir + ".local/doc/p.htm").isEmpty());
    ASSERT_TRUE(QFile::link(site, workDir + "alias"));
    EXPECT_EQ(siteFile({workDir + "alias", false, {}, {}}, workDir + "alias/img/a.png"), site + "/img/a.png");
    EXPECT_TRUE(siteFile({workDir + "alias", false, {}, {}}, workDir + "alias/out/secret.json").isEmpty());

    // A page alone sees itself and nothing beside it.
    const PageSite alone{site + "/page.htm", true, {}, {}};
    EXPECT_EQ(siteFile(alone, site + "/page.htm"), site + "/page.htm");
    EXPECT_TRUE(siteFile(alone, site + "/img/a.png").isEmpty());

    // Opening refuses what has come to stand at a checked name since: a link, a pipe.
    const int fd = openSiteFile(site + "/img/a.png");
    ASSERT_GE(fd, 0);
    ::close(fd);
    EXPECT_EQ(openSiteFile(site + "/same.png"), -1);
    EXPECT_EQ(openSiteFile(site + "/pipe.json"), -1);
}

// A page saved where the user keeps other things (the disk's top, the home folder, Downloads, a
// temporary folder) takes none of them for its site; no site, however wide, reaches the program's
// own files, /proc, /sys or /dev. Outside its site, what a page names is shown unless hidden or
// off limits.
TEST_F(PageSiteTest, APageInABroadFolderStandsAloneAndNoSiteReachesTheProgramsOwnFiles) {
    const QString home = workDir + "people/home";
    QDir().mkpath(home + "/Downloads/site");
    QDir().mkpath(home + "/Documents");
    QDir().mkpath(workDir + "tmp");
    SiteLimits limits;
    limits.home = home;
    limits.broad = userFoldersIn("# written by xdg-user-dirs-update\n"
                                 "XDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\n"
                                 "XDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n"
                                 "XDG_DESKTOP_DIR=\"$HOME/\"\n"
                                 "XDG_MUSIC_DIR=\"Music\"\n",
                                 home);
    EXPECT_EQ(limits.broad, QStringList({home + "/Downloads", home + "/Documents"}));
    limits.broad << workDir + "tmp";
    limits.offLimits = {workDir + "wide/cfg/kavrin", workDir + "wide/words.dct", "/proc", "/dev"};
    limits.workStems = {workDir + "wide/tmp/kavrin-"};
    ASSERT_TRUE(QFile::link(home + "/Downloads", workDir + "dl"));

    auto aloneAt = [&](const QString& page, const QString& project = QString()) {
        const PageSite site = pageSite(page, project, limits);
        return site.alone && site.root == page;
    };
    for (const QString& page : {QString("/index.html"), QString("/srv/index.html"), home + "/index.html",
                                workDir + "people/index.html", home + "/Downloads/a.htm", workDir + "dl/a.htm",
                                home + "/Documents/a.htm", workDir + "tmp/a.htm"})
        EXPECT_TRUE(aloneAt(page)) << page.toStdString();
    EXPECT_TRUE(aloneAt(home + "/a.htm", home)) << "a project in the home folder widens nothing";
    EXPECT_EQ(pageSite(home + "/Downloads/site/a.htm", "", limits).root, home + "/Downloads/site");
    EXPECT_EQ(pageSite(home + "/web/pages/a.htm", home, limits).root, home + "/web/pages");

    const QString secret = writeFile("wide/cfg/kavrin/Kavrin Pro.ini", "[Settings]");
    writeFile("wide/words.dct", "words");
    const QString work = writeFile("wide/tmp/kavrin-1-ab/temp.htm", "<p>work");
    const QString own = writeFile("wide/tmp/own.htm", "<p>own");
    QDir().mkpath(workDir + "wide/site");
    ASSERT_TRUE(QFile::link(workDir + "wide/cfg/kavrin", workDir + "wide/site/cfg"));
    const PageSite wide = pageSite(workDir + "wide/site/a.htm", workDir + "wide", limits);
    ASSERT_EQ(wide.root, workDir + "wide");
    EXPECT_EQ(siteFile(wide, own), own);
    for (const QString& path : {secret, workDir + "wide/site/cfg/Kavrin Pro.ini", workDir + "wide/words.dct", work})
        EXPECT_TRUE(siteFile(wide, path).isEmpty()) << path.toStdString();
    EXPECT_EQ(siteFile({work, true, {}, {workDir + "wide/tmp/kavrin-"}}, work), work) << "a work page shown alone";

    // Shown, not read: what the markup names outside the site.
    const QString picture = writeFile("other/dot.png", "png");
    writeFile(".docker/config.json", "token");
    ASSERT_TRUE(QFile::link(workDir + ".docker/config.json", workDir + "other/visible.json"));
    const PageSite pages = pageSite(writeFile("site/pages/a.htm", "<img src=../../other/dot.png>"), "", limits);
    EXPECT_EQ(displayFile(pages, workDir + "site/pages/../../other/dot.png"), picture);
    for (const QString& path : {workDir + ".docker/config.json", workDir + "other/visible.json", secret,
                                workDir + "wide/site/cfg/Kavrin Pro.ini", QString("/proc/self/environ"),
                                QString("/dev/zero"), workDir + "other", workDir + "other/missing.png"})
        EXPECT_TRUE(displayFile(pages, path).isEmpty()) << path.toStdString();
    // A site kept in a hidden folder shows what lies beside it there.
    writeFile(".local/doc/p.htm", "<p>");
    const QString beside = writeFile(".local/img/x.png", "png");
    EXPECT_EQ(displayFile(pageSite(workDir + ".local/doc/p.htm", "", limits), beside), beside);
}

}  // namespace
}  // namespace kavrin::test
