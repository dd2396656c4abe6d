#include <QDir>
#include <QFile>

#include "documents/fileops.h"
#include "documents/globals.h"
#include "fixture.h"
#include "mainwindow/frmDontShow.h"
#include "platform/files/settingsstore.h"

namespace kavrin::test {
namespace {

using FileOpsTest = KavrinTest;

struct SplitCase {
    const char* path;
    const char* name;
    const char* folder;
    const char* title;
};

TEST(PathSplitting, NameFolderAndTitleOfEitherSeparator) {
    const SplitCase cases[] = {
        {"/web/site/index.html", "index.html", "/web/site/", "index.html"},
        {"C:\\web\\index.html", "index.html", "C:\\web\\", "index.html"},
        // A "/" wins over a later "\", which on this system is part of a name.
        {"/web/a\\b.htm", "a\\b.htm", "/web/", "a\\b.htm"},
        {"/a.gif", "a.gif", "/", "a.gif"},
        {"page.htm", "page.htm", "", "page.htm"},
        {"Untitled_3", "Untitled", "", "Untitled"},
        {"Untitled_0/x.htm", "x.htm", "Untitled_0/", "Untitled"},
        {"/web/site/", "", "/web/site/", ""},
        {"", "", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(fileNameOf(c.path), QString(c.name));
        EXPECT_EQ(folderOf(c.path), QString(c.folder));
        EXPECT_EQ(fileTitle(c.path), QString(c.title));
    }
}

TEST(PathSplitting, DocumentFolderKeepsCaseAndUsesSlashes) {
    EXPECT_EQ(documentFolderOf("/Web/Site/Index.HTML"), "/Web/Site/");
    EXPECT_EQ(documentFolderOf("/home/u\\docs\\a.htm"), "/home/u/docs/");
    EXPECT_EQ(documentFolderOf("Untitled_2"), "Untitled");
    EXPECT_TRUE(samePath("/a/B.htm", "/a/B.htm"));
    EXPECT_FALSE(samePath("/a/B.htm", "/a/b.htm"));
}

struct RelCase {
    const char* folder;
    const char* target;
    const char* expected;
};

TEST(RelativePath, FromDocumentFolderToTarget) {
    const RelCase cases[] = {
        {"/web/site/", "/web/img/a.gif", "../img/a.gif"},
        {"/web/site/", "/web/site/pics/a.gif", "pics/a.gif"},
        {"/web/site/", "/web/site/a.gif", "a.gif"},
        // Folder names differ in case: another folder here, written as the user has it.
        {"/web/site/", "/Web/Site/A.gif", "../../Web/Site/A.gif"},
        {"/web/site/", "/web/Images/Logo.GIF", "../Images/Logo.GIF"},
        {"/", "/a/b.gif", "a/b.gif"},
        {"/a/", "/b.gif", "../b.gif"},
        // A common start of a name is no common folder.
        {"/web/site/", "/web/sitemap/a.gif", "../sitemap/a.gif"},
        {"/web/site", "/web/img/a.gif", "../img/a.gif"},
        {"/web/site/", "  /web/img/a.gif  ", "../img/a.gif"},
        // Nothing to relate: addresses, bare names, no folder.
        {"/web/site/", "http://host/a.gif", "http://host/a.gif"},
        {"/web/site/", "a.gif", "a.gif"},
        {"/web/site/", "", ""},
        {"", "/web/a.gif", "/web/a.gif"},
        {"Untitled", "/web/a.gif", "/web/a.gif"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.folder) + " -> " + c.target);
        EXPECT_EQ(relativePathFrom(c.folder, c.target), QString(c.expected));
    }
}

TEST_F(FileOpsTest, RelativePathToUsesTheActiveDocumentOrNoticesUntitled) {
    documentFolder = "/web/site/";
    EXPECT_EQ(relativePathTo("/web/img/a.gif"), "../img/a.gif");
    documentFolder.clear();
    EXPECT_EQ(relativePathTo("/web/img/a.gif"), "/web/img/a.gif");

    documentFolder = "Untitled";
    expectModal("frmDontShow", [](Form& form) {
        auto& notice = static_cast<frmDontShow&>(form);
        EXPECT_EQ(notice.caption(), "Relative Path");
        EXPECT_TRUE(notice.lblMsg->text().startsWith(
            "Please note that the relative path for this tag could not be determined because this "
            "document has not been saved.\n\nThe full path will be used instead."));
        notice.cmdOk->click();
    });
    EXPECT_EQ(relativePathTo("/web/img/a.gif"), "/web/img/a.gif");
}

TEST_F(FileOpsTest, SilencedNoticeIsNotShown) {
    saveSetting("Kavrin Pro", "DontShowAgain", "RelativePath", "false");
    if (getSetting("Kavrin Pro", "DontShowAgain", "RelativePath") != "false")
        GTEST_SKIP() << "the settings store keeps nothing yet";
    documentFolder = "Untitled";
    EXPECT_EQ(relativePathTo("/web/a.gif"), "/web/a.gif");  // no modal expected
}

TEST_F(FileOpsTest, ExistenceOfFilesAndFolders) {
    const QString file = writeFile("site/page.htm", "x");
    const QString hidden = writeFile("site/.hidden.htm", "x");
    const QString folder = workDir + "site";
    EXPECT_TRUE(fileExists(file));
    EXPECT_TRUE(fileExists(hidden));
    EXPECT_FALSE(fileExists(folder));
    EXPECT_FALSE(fileExists(workDir + "site/none.htm"));
    EXPECT_FALSE(fileExists(""));

    QString padded = "  " + folder + " \t";
    EXPECT_TRUE(folderExists(padded));
    EXPECT_EQ(padded, folder);
    QString blank = "   ";
    EXPECT_FALSE(folderExists(blank));
    EXPECT_EQ(blank, "");
    QString missing = workDir + "nowhere";
    EXPECT_FALSE(folderExists(missing));
}

TEST(FileIconKey, ExtensionDecidesTheKey) {
    const std::pair<const char*, const char*> cases[] = {
        {"/a/INDEX.HTML", "htm"}, {"page.htm", "htm"},  {"photo.JPEG", "gif"}, {"b.bmp", "gif"},
        {"letter.rtf", "doc"},    {"x.sys", "dll"},     {"setup.inf", "ini"},  {"go.cmd", "bat"},
        {"notes.txt", "txt"},     {"a.tar.zip", "zip"}, {"page.asp", "xxx"},   {"README", "xxx"},
        {"trailing.", "xxx"},     {"", "xxx"},
    };
    for (const auto& [name, key] : cases) EXPECT_EQ(fileIconKey(name), QString(key)) << name;
}

TEST_F(FileOpsTest, TrashAndPropertiesReportFailure) {
    const QString file = writeFile("old.htm", "bytes");
    EXPECT_EQ(recycleFile(file), 0);
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_NE(recycleFile(workDir + "gone.htm"), 0);
    EXPECT_NE(recycleFile(""), 0);
    EXPECT_EQ(showFileProperties(workDir + "gone.htm"), 0);
    EXPECT_EQ(showFileProperties(""), 0);
}

TEST_F(FileOpsTest, FolderPickerReturnsTheChoiceOrNothing) {
    expectDialog("folder", [this](CommonDialog& d) {
        d.fileName = workDir;
        return true;
    });
    EXPECT_EQ(browseForFolder("Select a startup folder"), workDir);
    expectDialogCancel("folder");
    EXPECT_EQ(browseForFolder("Pick"), "");
}

}  // namespace
}  // namespace kavrin::test
