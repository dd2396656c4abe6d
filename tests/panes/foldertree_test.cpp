// The folder tree over a temporary folder tree standing in for the machine's volumes.
#include <QElapsedTimer>
#include <atomic>
#include <thread>

#include "panes_fixture.h"
#include "platform/forms/propertieswindow.h"

namespace kavrin::test {
namespace {

using FolderTreeTest = PanesTest;

TEST_F(FolderTreeTest, RootAndVolumesWithExpandersOnlyWhereFoldersMayBe) {
    makeFolder("site/images");
    QDir().mkpath(workDir + "empty");
    QDir().mkpath(workDir + "net/share");
    volumes << Volume{workDir + "empty", "/dev/sdb1", "vfat", "STICK", VolumeKind::Removable}
            << Volume{workDir + "net", "//srv01/docs", "cifs", "", VolumeKind::Network};
    std::atomic<int> networkReads{0};
    const QString net = workDir + "net";
    setFolderReader([&networkReads, net](const QString& path, ListWhat what) {
        if (path.startsWith(net)) ++networkReads;
        return readFolder(path, what);
    });
    openMainWindow();

    PaneTree* tree = mainWindow->treMain;
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    QTreeWidgetItem* root = tree->topLevelItem(0);
    EXPECT_EQ(PaneTree::key(root), "top");
    EXPECT_EQ(root->text(0), "My Computer");
    EXPECT_EQ(PaneTree::image(root), "mycomputer");
    EXPECT_TRUE(root->isExpanded());
    ASSERT_EQ(root->childCount(), 3);
    EXPECT_EQ(childTexts(root), (QStringList{"Data (" + disk + ")", "Removable Disk (" + workDir + "empty)",
                                             "docs on 'srv01' (" + workDir + "net)"}));
    EXPECT_EQ(PaneTree::image(root->child(0)), "drive");
    EXPECT_EQ(PaneTree::image(root->child(1)), "floppy");
    EXPECT_EQ(PaneTree::image(root->child(2)), "netdrive");
    // A volume with folders gets the "temp" placeholder, an empty one none, and a network volume
    // one without being read at all.
    EXPECT_EQ(childTexts(root->child(0)), QStringList{"temp"});
    EXPECT_EQ(root->child(1)->childCount(), 0);
    EXPECT_EQ(childTexts(root->child(2)), QStringList{"temp"});
    EXPECT_EQ(networkReads.load(), 0);

    // Building again does not add to what is there.
    mainWindow->initTreMain();
    EXPECT_EQ(tree->topLevelItemCount(), 1);
    EXPECT_EQ(tree->topLevelItem(0)->childCount(), 3);
}

TEST_F(FolderTreeTest, OpeningANodeListsItsFoldersOnce) {
    makeFolder("site/images");
    makeFolder("Beta");
    makeFolder("alpha");
    makeFolder(".config/x");
    diskFile("page.htm");
    openMainWindow();

    QTreeWidgetItem* volume = node(disk);
    ASSERT_NE(volume, nullptr);
    volume->setExpanded(true);
    EXPECT_EQ(childTexts(volume), (QStringList{"alpha", "Beta", "site"}));
    EXPECT_EQ(PaneTree::tag(volume), "1");
    QTreeWidgetItem* site = node(disk + "/site");
    ASSERT_NE(site, nullptr);
    EXPECT_EQ(PaneTree::image(site), "folder");
    EXPECT_EQ(site->childCount(), 1);  // the placeholder: "site" holds a folder
    EXPECT_EQ(node(disk + "/alpha")->childCount(), 0);

    site->setExpanded(true);
    EXPECT_EQ(childTexts(site), QStringList{"images"});
    makeFolder("site/later");
    site->setExpanded(false);
    site->setExpanded(true);
    EXPECT_EQ(childTexts(site), QStringList{"images"});  // not read again

    // Refresh is what shows folders made since.
    clickNode(site);
    frmMenuInstance()->mnuTreeRefresh_Click();
    node(disk + "/site")->setExpanded(true);
    EXPECT_EQ(childTexts(node(disk + "/site")), (QStringList{"images", "later"}));
    EXPECT_EQ(mainWindow->currentFolderKey, disk + "/site");
    EXPECT_FALSE(isBusy());
}

TEST_F(FolderTreeTest, ReleasingTheMouseOnAFolderMakesItTheCurrentFolder) {
    makeFolder("one");
    makeFolder("two");
    diskFile("one/a.htm");
    diskFile("two/b.htm");
    diskFile("two/c.html");
    openMainWindow();
    node(disk)->setExpanded(true);

    clickNode(node(disk + "/one"));
    EXPECT_EQ(mainWindow->currentFolderKey, disk + "/one");
    EXPECT_EQ(PaneTree::image(node(disk + "/one")), "openfolder");
    EXPECT_EQ(mainWindow->files->path(), disk + "/one");
    EXPECT_EQ(listNames(), QStringList{"a.htm"});

    clickNode(node(disk + "/two"));
    EXPECT_EQ(PaneTree::image(node(disk + "/one")), "folder");
    EXPECT_EQ(PaneTree::image(node(disk + "/two")), "openfolder");
    EXPECT_EQ(listNames(), (QStringList{"b.htm", "c.html"}));

    // A volume is a folder to list, but keeps its own image.
    clickNode(node(disk));
    EXPECT_EQ(mainWindow->currentFolderKey, disk);
    EXPECT_EQ(PaneTree::image(node(disk)), "drive");
    EXPECT_EQ(PaneTree::image(node(disk + "/two")), "folder");
    // The root is not a folder.
    clickNode(mainWindow->treMain->topLevelItem(0));
    EXPECT_EQ(mainWindow->currentFolderKey, disk);

    // Choosing a folder with the keys fills the file list as a click does.
    PaneTree* tree = mainWindow->treMain;
    tree->setFocus();
    tree->selectNode(node(disk));
    QTest::keyClick(tree, Qt::Key_Down);
    EXPECT_EQ(tree->selectedNode(), node(disk + "/one"));
    EXPECT_EQ(mainWindow->currentFolderKey, disk + "/one");
    EXPECT_EQ(PaneTree::image(node(disk + "/one")), "openfolder");
    EXPECT_EQ(listNames(), QStringList{"a.htm"});
    QTest::keyClick(tree, Qt::Key_Down);
    EXPECT_EQ(listNames(), (QStringList{"b.htm", "c.html"}));
    EXPECT_EQ(PaneTree::image(node(disk + "/one")), "folder");
    QTest::keyClick(tree, Qt::Key_Up);
    EXPECT_EQ(mainWindow->files->path(), disk + "/one");

    // A selection the program itself moves changes nothing, and losing the focus puts the
    // selection back on the current folder.
    tree->selectNode(node(disk + "/two"));
    EXPECT_EQ(mainWindow->files->path(), disk + "/one");
    mainWindow->treMain_LostFocus();
    EXPECT_EQ(tree->selectedNode(), node(disk + "/one"));
}

TEST_F(FolderTreeTest, SetTreePathOpensTheWayDownAndSelectsTheFolder) {
    makeFolder("web/site/images");
    makeFolder("web/other");
    diskFile("web/site/index.html");
    openMainWindow();

    mainWindow->setTreePath(disk + "/web/site/");  // a trailing "/" names the same folder
    QTreeWidgetItem* site = node(disk + "/web/site");
    ASSERT_NE(site, nullptr);
    EXPECT_TRUE(node(disk)->isExpanded());
    EXPECT_TRUE(node(disk + "/web")->isExpanded());
    EXPECT_FALSE(site->isExpanded());
    EXPECT_EQ(mainWindow->treMain->selectedNode(), site);
    EXPECT_EQ(PaneTree::image(site), "openfolder");
    EXPECT_EQ(mainWindow->currentFolderKey, disk + "/web/site");
    EXPECT_EQ(listNames(), QStringList{"index.html"});

    // Missing folders and the case of another folder change nothing.
    mainWindow->setTreePath(disk + "/web/missing");
    mainWindow->setTreePath(disk + "/WEB/site");
    mainWindow->setTreePath("relative/path");
    EXPECT_EQ(mainWindow->currentFolderKey, disk + "/web/site");

    // A volume itself is selected and listed without becoming the open folder.
    mainWindow->setTreePath(disk);
    EXPECT_EQ(mainWindow->treMain->selectedNode(), node(disk));
    EXPECT_EQ(mainWindow->files->path(), disk);
    EXPECT_EQ(mainWindow->currentFolderKey, disk + "/web/site");
    EXPECT_EQ(PaneTree::image(site), "openfolder");
}

TEST_F(FolderTreeTest, ClosingTheBranchOfTheCurrentFolderMakesItsTopCurrent) {
    makeFolder("web/site/images");
    diskFile("web/top.htm");
    openMainWindow();
    mainWindow->setTreePath(disk + "/web/site/images");
    QTreeWidgetItem* web = node(disk + "/web");

    web->setExpanded(false);
    EXPECT_EQ(mainWindow->treMain->selectedNode(), web);
    EXPECT_EQ(mainWindow->currentFolderKey, disk + "/web");
    EXPECT_EQ(PaneTree::image(web), "openfolder");
    EXPECT_EQ(PaneTree::image(node(disk + "/web/site/images")), "folder");
    EXPECT_EQ(listNames(), QStringList{"top.htm"});

    // Closing a branch that does not hold the selection changes nothing.
    makeFolder("other/x");
    frmMenuInstance()->mnuTreeRefresh_Click();
    node(disk + "/other")->setExpanded(true);
    node(disk + "/other")->setExpanded(false);
    EXPECT_EQ(mainWindow->currentFolderKey, disk + "/web");
}

TEST_F(FolderTreeTest, FolderRenameRefusalsKeepTheOldName) {
    makeFolder("web/site");
    makeFolder("web/Taken");
    makeFolder("web/.hidden");
    diskFile("web/notes.txt");
    openMainWindow();
    mainWindow->setTreePath(disk + "/web/site");
    PaneTree* tree = mainWindow->treMain;
    QTreeWidgetItem* site = node(disk + "/web/site");

    // The root and the volumes are not renamed.
    int cancel = 0;
    tree->selectNode(tree->topLevelItem(0));
    mainWindow->treMain_BeforeLabelEdit(cancel);
    EXPECT_EQ(cancel, 1);
    cancel = 0;
    tree->selectNode(node(disk));
    mainWindow->treMain_BeforeLabelEdit(cancel);
    EXPECT_EQ(cancel, 1);
    cancel = 0;
    tree->selectNode(site);
    mainWindow->treMain_BeforeLabelEdit(cancel);
    EXPECT_EQ(cancel, 0);

    expectMsgBox("A folder name cannot contain any of the following characters:", vbOK);
    mainWindow->treMain_AfterLabelEdit(cancel, "a:b", site);
    EXPECT_EQ(cancel, 1);
    expectMsgBox("A folder name cannot contain any of the following characters:", vbOK);
    mainWindow->treMain_AfterLabelEdit(cancel, "../up", site);
    EXPECT_EQ(cancel, 1);
    for (const QString& silent : {QString("   "), QString("."), QString(".."), QString("Taken"), QString("site")}) {
        cancel = 0;
        mainWindow->treMain_AfterLabelEdit(cancel, silent, site);
        EXPECT_EQ(cancel, 1) << silent.toStdString();
    }
    // Names the folder list does not show are refused by the file system, and said so.
    for (const QString& taken : {QString(".hidden"), QString("notes.txt")}) {
        expectMsgBox("Unable to rename 'site'.", vbOK);
        mainWindow->treMain_AfterLabelEdit(cancel, taken, site);
        EXPECT_EQ(cancel, 1);
    }
    EXPECT_TRUE(QDir(disk + "/web/site").exists());
    EXPECT_EQ(readFile(disk + "/web/notes.txt"), "x");
    EXPECT_TRUE(allAnswered());
}

TEST_F(FolderTreeTest, RenamingAFolderInPlaceMovesEverythingThatNamedIt) {
    makeFolder("web/site/images/small");
    diskFile("web/site/index.html");
    openMainWindow();
    mainWindow->setTreePath(disk + "/web/site/images/small");
    QTreeWidgetItem* site = node(disk + "/web/site");
    mainWindow->treMain->selectNode(site);

    mainWindow->treMain->startLabelEdit();
    typeIntoEditor(mainWindow->treMain->viewport(), "home");
    EXPECT_EQ(site->text(0), "home");
    EXPECT_TRUE(QDir(disk + "/web/home/images/small").exists());
    EXPECT_FALSE(QDir(disk + "/web/site").exists());
    EXPECT_EQ(PaneTree::key(site), disk + "/web/home");
    EXPECT_EQ(PaneTree::key(node(disk + "/web/home/images")), disk + "/web/home/images");
    EXPECT_EQ(node(disk + "/web/site/images"), nullptr);
    EXPECT_EQ(mainWindow->currentFolderKey, disk + "/web/home/images/small");
    EXPECT_EQ(mainWindow->files->path(), disk + "/web/home/images/small");
    // What the keys name is there: the list and the tree go on working.
    diskFile("web/home/images/small/pic.htm");
    mainWindow->populateFileList();
    EXPECT_EQ(listNames(), QStringList{"pic.htm"});
    clickNode(site);
    EXPECT_EQ(listNames(), QStringList{"index.html"});
}

TEST_F(FolderTreeTest, AFolderWithAnOpenDocumentIsNotRenamed) {
    makeFolder("web/site");
    const QString page = diskFile("web/site/index.html", "<p>x</p>");
    openMainWindow();
    mainWindow->setTreePath(disk + "/web/site");
    mainWindow->openFile(page);
    ASSERT_EQ(Form::documentCount(), 1);

    int cancel = 0;
    expectMsgBox("A file in this folder is currently in use.", vbOK);
    mainWindow->treMain_AfterLabelEdit(cancel, "renamed", node(disk + "/web"));
    EXPECT_EQ(cancel, 1);
    EXPECT_TRUE(QFile::exists(page));
}

TEST_F(FolderTreeTest, ANetworkVolumeThatDoesNotAnswerIsReportedAfterAShortWait) {
    QDir().mkpath(workDir + "net/share");
    volumes << Volume{workDir + "net", "//srv01/docs", "cifs", "", VolumeKind::Network};
    auto hang = std::make_shared<std::atomic<bool>>(true);
    const QString net = workDir + "net";
    setFolderReader([hang, net](const QString& path, ListWhat what) {
        for (int i = 0; i < 300 && hang->load() && path.startsWith(net); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return readFolder(path, what);
    });
    setNetworkWaitMs(200);
    openMainWindow();
    QTreeWidgetItem* share = node(net);
    ASSERT_NE(share, nullptr);

    QElapsedTimer clock;
    clock.start();
    expectMsgBox(net + " is not accessible.\n\nThe device is not ready", vbRetry);
    expectMsgBox("is not accessible", vbCancel);
    share->setExpanded(true);
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_EQ(share->childCount(), 0);
    EXPECT_NE(PaneTree::tag(share), "1");
    EXPECT_FALSE(isBusy());

    // Choosing it reports the same, titled after the current folder.
    hang->store(false);
    for (int i = 0; i < 200 && listFolder(net, ListWhat::Probe).status != ListStatus::Ok; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    mainWindow->setTreePath(disk);
    hang->store(true);
    expectMsgBox(net + " is not accessible.", vbCancel);
    clickNode(share);
    EXPECT_EQ(mainWindow->files->path(), disk);
    EXPECT_TRUE(allAnswered());
    hang->store(false);
    for (int i = 0; i < 200 && listFolder(net, ListWhat::Probe).status != ListStatus::Ok; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

TEST_F(FolderTreeTest, RefreshFallsBackToTheStartFolder) {
    makeFolder("start");
    makeFolder("gone");
    makeFolder("kept");
    diskFile("start/home.htm");
    openMainWindow();
    startupFolder = disk + "/start";
    mainWindow->setTreePath(disk + "/gone");
    QDir(disk + "/gone").removeRecursively();

    frmMenuInstance()->mnuTreeRefresh_Click();
    EXPECT_EQ(mainWindow->currentFolderKey, disk + "/start");
    EXPECT_EQ(listNames(), QStringList{"home.htm"});
    EXPECT_EQ(node(disk + "/gone"), nullptr);

    // The list keeps the filter that is checked.
    diskFile("start/notes.txt");
    mainWindow->mnuFileListFilter_Click(1);
    frmMenuInstance()->mnuTreeRefresh_Click();
    EXPECT_EQ(listNames(), QStringList{"notes.txt"});

    // With no start folder to go to the tree shows the volumes only.
    QDir(disk + "/start").removeRecursively();
    startupFolder = "my computer";
    frmMenuInstance()->mnuTreeRefresh_Click();
    EXPECT_EQ(mainWindow->treMain->topLevelItem(0)->childCount(), 1);
    EXPECT_EQ(node(disk)->childCount(), 1);  // "temp", not yet listed
    EXPECT_FALSE(isBusy());
}

TEST_F(FolderTreeTest, TheTreeMenuRenamesShowsPropertiesAndRefreshes) {
    makeFolder("web");
    openMainWindow();
    mainWindow->setTreePath(disk + "/web");

    clickNode(node(disk + "/web"), Qt::RightButton);
    frmMenu* menus = frmMenuInstance();
    EXPECT_TRUE(menus->isLoaded());
    EXPECT_FALSE(menus->isVisible());
    EXPECT_EQ(menus->caption(), "menu");
    EXPECT_TRUE(menus->mnuTree->isVisible());
    menus->mnuTree->hide();

    menus->mnuTreeProperties->trigger();
    PropertiesWindow* window = PropertiesWindow::findFor(disk + "/web");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    window->close();

    mainWindow->treMain->selectNode(mainWindow->treMain->topLevelItem(0));
    expectMsgBox("Unable to display property information for 'top'.", vbOK);
    menus->mnuTreeProperties->trigger();

    mainWindow->treMain->selectNode(node(disk + "/web"));
    menus->mnuTreeRename->trigger();
    typeIntoEditor(mainWindow->treMain->viewport(), "www");
    EXPECT_TRUE(QDir(disk + "/www").exists());
    EXPECT_EQ(mainWindow->currentFolderKey, disk + "/www");
}

}  // namespace
}  // namespace kavrin::test
