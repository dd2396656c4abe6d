// The file list and its commands over a temporary folder.
#include <QTest>
#include <QFileInfo>
#include <QHeaderView>
#include <QLocale>

#include "documents/docfile.h"
#include "documents/fileops.h"
#include "panes_fixture.h"
#include "platform/system/screen.h"
#include "platform/forms/propertieswindow.h"
#include "platform/files/settingsstore.h"
#include "tagdialogs/text/frmHrefAnchor.h"

namespace kavrin::test {
namespace {

class FileListTest : public PanesTest {
protected:
    void SetUp() override {
        PanesTest::SetUp();
        site = disk + "/site/";
        makeFolder("site/sub");
        makeFolder("other");
    }

    // The main window with the list showing the site folder.
    void showSite() {
        openMainWindow();
        mainWindow->setTreePath(disk + "/site");
        ASSERT_EQ(mainWindow->files->path(), disk + "/site");
    }

    DocumentWindow* openDocument(const QString& path) {
        mainWindow->openFile(path);
        for (DocumentWindow* doc : documentWindows())
            if (doc->filePath == path) return doc;
        ADD_FAILURE() << "not opened: " << path.toStdString();
        return nullptr;
    }

    void change(DocumentWindow* doc) {
        QTest::keyClicks(doc->txtMain, "x");
        ASSERT_FALSE(doc->fileSaved);
    }

    bool trashed(const QString& name) const { return QFile::exists(trashFiles() + name); }

    QString site;
};

TEST_F(FileListTest, ListsTheFilesOfTheFilterWithSizeTypeAndDate) {
    diskFile("site/index.html", "");
    diskFile("site/b.HTM", QByteArray(1024, 'b'));
    diskFile("site/notes.txt", "notes");
    diskFile("site/photo.JPG", "jpg");
    diskFile("site/README", "read me");
    diskFile("site/.hidden.htm", "hidden");
    showSite();

    FileListView* list = mainWindow->filList;
    EXPECT_EQ(listNames(), (QStringList{"b.HTM", "index.html"}));
    const int b = listRow("b.HTM");
    EXPECT_EQ(list->subItem(b, 1), "2KB");
    EXPECT_EQ(list->subItem(b, 2), "HTM");
    EXPECT_EQ(list->subItem(listRow("index.html"), 1), "1KB");
    EXPECT_EQ(list->iconKey(b), "htm");
    const QDateTime modified = QFileInfo(site + "b.HTM").lastModified();
    EXPECT_EQ(list->subItem(b, 3),
              QLocale::system().toString(QDateTime::fromSecsSinceEpoch(modified.toSecsSinceEpoch()),
                                         QLocale::ShortFormat));

    mainWindow->mnuFileListFilter_Click(1);
    EXPECT_EQ(currentFilter, 2);
    EXPECT_EQ(listNames(), QStringList{"notes.txt"});
    EXPECT_FALSE(mainWindow->mnuFileListFilter[0]->isChecked());
    EXPECT_TRUE(mainWindow->mnuFileListFilter[1]->isChecked());

    mainWindow->mnuFileListFilter_Click(2);
    EXPECT_EQ(listNames(), (QStringList{"b.HTM", "index.html", "notes.txt", "photo.JPG", "README"}));
    EXPECT_EQ(list->subItem(listRow("photo.JPG"), 2), "GIF");
    EXPECT_EQ(list->subItem(listRow("README"), 2), "???");

    // Item 0 applies the first filter.
    mainWindow->mnuFileListFilter_Click(0);
    EXPECT_EQ(currentFilter, 1);
    EXPECT_EQ(listNames(), (QStringList{"b.HTM", "index.html"}));

    // A new file shows up when the list is filled again.
    diskFile("site/new.htm");
    mainWindow->populateFileList();
    EXPECT_EQ(listNames(), (QStringList{"b.HTM", "index.html", "new.htm"}));
    // An empty folder gives an empty list.
    clickNode(node(disk + "/other"));
    EXPECT_EQ(list->count(), 0);
}

TEST_F(FileListTest, AColumnClickSortsAndTurnsTheOrderRound) {
    diskFile("site/a.htm", QByteArray(5000, 'a'));
    diskFile("site/B.htm", QByteArray(100, 'b'));
    diskFile("site/c.htm", QByteArray(20000, 'c'));
    showSite();
    EXPECT_EQ(listNames(), (QStringList{"a.htm", "B.htm", "c.htm"}));

    // The header is clicked as a user does; the order starts out ascending, so it turns.
    QHeaderView* header = mainWindow->filList->reportView()->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(header->sectionPosition(0) + 5, header->height() / 2));
    EXPECT_EQ(listNames(), (QStringList{"c.htm", "B.htm", "a.htm"}));
    mainWindow->filList_ColumnClick(1);
    EXPECT_EQ(listNames(), (QStringList{"a.htm", "B.htm", "c.htm"}));

    // Sizes sort by the bytes they stand for, not by their text.
    mainWindow->filList_ColumnClick(2);
    EXPECT_EQ(listNames(), (QStringList{"c.htm", "a.htm", "B.htm"}));
    mainWindow->filList_ColumnClick(2);
    EXPECT_EQ(listNames(), (QStringList{"B.htm", "a.htm", "c.htm"}));
    EXPECT_EQ(header->sortIndicatorSection(), 1);

    // A refill keeps the order.
    diskFile("site/big.htm", QByteArray(9000, 'x'));
    mainWindow->populateFileList();
    EXPECT_EQ(listNames(), (QStringList{"B.htm", "a.htm", "big.htm", "c.htm"}));
}

TEST_F(FileListTest, TheViewStyleIsShownCheckedAndKept) {
    diskFile("site/a.htm");
    showSite();
    FileListView* list = mainWindow->filList;
    auto checks = [this] {
        QString marks;
        for (QAction* a : mainWindow->mnuFileListViewStyle) marks += a->isChecked() ? "x" : "-";
        return marks;
    };
    EXPECT_EQ(checks(), "--x");

    mainWindow->mnuFileListViewStyle_Click(0);
    EXPECT_EQ(list->view(), FileListView::SmallIcons);
    EXPECT_TRUE(list->iconView()->isVisible());
    EXPECT_FALSE(list->reportView()->isVisible());
    EXPECT_EQ(list->iconView()->flow(), QListView::LeftToRight);
    EXPECT_EQ(checks(), "x--");
    EXPECT_EQ(getSetting("Kavrin Pro", "Settings", "ListView"), " 0");

    mainWindow->mnuFileListViewStyle_Click(1);
    EXPECT_EQ(list->iconView()->flow(), QListView::TopToBottom);
    EXPECT_EQ(checks(), "-x-");
    EXPECT_EQ(getSetting("Kavrin Pro", "Settings", "ListView"), " 1");

    mainWindow->mnuFileListViewStyle_Click(2);
    EXPECT_TRUE(list->reportView()->isVisible());

    // Another index changes nothing that shows, but is kept all the same.
    mainWindow->mnuFileListViewStyle_Click(7);
    EXPECT_EQ(list->view(), FileListView::Report);
    EXPECT_EQ(checks(), "--x");
    EXPECT_EQ(getSetting("Kavrin Pro", "Settings", "ListView"), " 7");

    // The menu's items run the same handler.
    mainWindow->mnuFileListViewStyle[1]->trigger();
    EXPECT_EQ(list->view(), FileListView::List);
}

TEST_F(FileListTest, ThePopUpMenuOffersWhatTheSelectionAllows) {
    diskFile("site/a.htm");
    diskFile("site/b.htm");
    showSite();
    QAbstractItemView* view = mainWindow->filList->currentView();
    auto rightClick = [&](const QPoint& at) {
        QTest::mouseClick(view->viewport(), Qt::RightButton, Qt::NoModifier, at);
        QApplication::processEvents();
        EXPECT_TRUE(mainWindow->mnuFileList->isVisible());
        QString on;
        for (QAction* a : {mainWindow->mnuFileListOpen, mainWindow->mnuFileListInsert, mainWindow->mnuFileListDelete,
                           mainWindow->mnuFileListRename, mainWindow->mnuFileListProperties})
            on += a->isEnabled() ? "x" : "-";
        mainWindow->mnuFileList->hide();
        return on;
    };
    const QRect first = view->visualRect(mainWindow->filList->model()->index(0, 0));
    const QRect second = view->visualRect(mainWindow->filList->model()->index(1, 0));

    EXPECT_EQ(rightClick(QPoint(5, view->viewport()->height() - 5)), "-----");
    EXPECT_EQ(rightClick(first.center()), "x-xxx");
    selectFiles({"a.htm", "b.htm"});
    EXPECT_EQ(rightClick(second.center()), "x-x--");

    openDocument(site + "a.htm");
    mainWindow->filList->selectOnly(listRow("b.htm"));
    EXPECT_EQ(rightClick(second.center()), "xxxxx");
    EXPECT_TRUE(mainWindow->mnuFileListFilters->menuAction()->isEnabled());
    EXPECT_TRUE(mainWindow->mnuFileListView->menuAction()->isEnabled());
}

TEST_F(FileListTest, DoubleClickAndEnterOpenTextAndHandPicturesToTheImageDialog) {
    diskFile("site/page.htm", "<p>page</p>");
    diskFile("site/photo.JPG", "jpg");
    diskFile("site/icon.ico", "ico");
    diskFile("site/notes.txt", "notes");
    showSite();
    mainWindow->mnuFileListFilter_Click(2);
    FileListView* list = mainWindow->filList;

    list->selectOnly(listRow("page.htm"));
    const QRect page = list->currentView()->visualRect(list->model()->index(listRow("page.htm"), 0));
    QTest::mouseDClick(list->currentView()->viewport(), Qt::LeftButton, Qt::NoModifier, page.center());
    QApplication::processEvents();
    ASSERT_EQ(Form::documentCount(), 1);
    EXPECT_EQ(documentWindows().first()->filePath, site + "page.htm");

    list->selectOnly(listRow("photo.JPG"));
    expectModal("frmImage", [&](Form& dialog) {
        EXPECT_EQ(dialogKind, site + "photo.JPG");
        dialog.unload();
    });
    mainWindow->filList_DblClick();
    EXPECT_EQ(Form::documentCount(), 1);
    EXPECT_EQ(tagDialogRequests(), QStringList{"frmImage: " + site + "photo.JPG"});
    EXPECT_FALSE(isBusy());

    list->selectOnly(listRow("notes.txt"));
    list->currentView()->setFocus();
    QTest::keyClick(list->currentView(), Qt::Key_Return);
    EXPECT_EQ(Form::documentCount(), 2);
    EXPECT_EQ(activeDocument()->filePath, site + "notes.txt");

    // Nothing selected, nothing opened.
    list->setSelected(listRow("notes.txt"), false);
    mainWindow->filList_DblClick();
    EXPECT_EQ(Form::documentCount(), 2);
}

TEST_F(FileListTest, NoMoreThan99DocumentsOpenFromTheList) {
    diskFile("site/page.htm", "<p>page</p>");
    showSite();
    for (int i = 0; i < 99; ++i) newDocument();
    ASSERT_EQ(Form::documentCount(), 99);
    mainWindow->filList->selectOnly(listRow("page.htm"));
    expectMsgBox("You already have 99 documents open.", vbOK);
    mainWindow->filList_DblClick();
    EXPECT_EQ(Form::documentCount(), 99);
    EXPECT_FALSE(isBusy());
}

TEST_F(FileListTest, EditOpensEverySelectedFileAsADocument) {
    diskFile("site/a.htm", "a");
    diskFile("site/photo.jpg", "jpg");
    diskFile("site/c.txt", "c");
    showSite();
    mainWindow->mnuFileListFilter_Click(2);
    newDocument();  // the untouched "Untitled_0" makes way
    ASSERT_EQ(documentWindows().first()->filePath, "Untitled_0");

    selectFiles({"a.htm", "photo.jpg", "c.txt"});
    mainWindow->mnuFileListOpen_Click();
    ASSERT_TRUE(QTest::qWaitFor([] { return runsInTurns() == 0; }));
    QStringList paths;
    for (DocumentWindow* doc : documentWindows()) paths << doc->filePath;
    EXPECT_EQ(paths, (QStringList{site + "a.htm", site + "c.txt", site + "photo.jpg"}));
    EXPECT_FALSE(isBusy());
}

// The user goes on working while the files open: what is typed meanwhile, also after Ctrl+Tab
// has brought back a document opened before, goes into the document in front and into its file.
TEST_F(FileListTest, KeysTypedWhileTenFilesOpenGoIntoTheActiveDocumentAndItsFile) {
    enableBrowserAndDesigner = true;
    QStringList names;
    for (int i = 0; i < 10; ++i) {
        names << QString("p%1.htm").arg(i);
        diskFile("site/" + names.back(), QString("<p>%1</p>\r\n").arg(i).toUtf8());
    }
    showSite();
    mainWindow->activateWindow();
    QApplication::setActiveWindow(mainWindow);
    selectFiles(names);
    mainWindow->mnuFileListOpen_Click();
    EXPECT_LT(Form::documentCount(), 10) << "the files open after the command, one at a time";

    QHash<DocumentWindow*, QString> typed;
    int round = 0;
    auto type = [&](char key) {
        DocumentWindow* doc = activeDocument();
        ASSERT_NE(doc, nullptr);
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        QTest::keyClick(QApplication::focusWidget(), key);
        typed[doc] += QChar(key);
    };
    while (runsInTurns() > 0 && round < 1000) {
        type(char('a' + round % 26));
        if (round == 4) {
            // Ctrl+Tab brings back the document in front before.
            QTest::keyPress(QApplication::focusWidget(), Qt::Key_Control);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
            QTest::keyRelease(QApplication::focusWidget(), Qt::Key_Control);
            type('Z');
        }
        QCoreApplication::processEvents();
        ++round;
    }
    type('!');
    ASSERT_EQ(Form::documentCount(), 10);
    EXPECT_GE(round, 5) << "keys ran between the files";

    for (DocumentWindow* doc : documentWindows()) {
        const QString name = QFileInfo(doc->filePath).fileName();
        const QString expected = typed.value(doc) + QString("<p>%1</p>\r\n").arg(name.mid(1, 1));
        EXPECT_EQ(doc->txtMain->text(), expected) << name.toStdString();
    }
    mainWindow->mnuFileSaveAll_Click();
    for (DocumentWindow* doc : documentWindows())
        EXPECT_EQ(readFile(doc->filePath), doc->txtMain->text().toUtf8()) << doc->filePath.toStdString();
    int keys = 0;
    for (const QString& text : typed) keys += int(text.size());
    EXPECT_EQ(keys, round + 2);
}

// Whatever the user closes while the files open, the rest open without it, and a program
// that has ended opens nothing more.
TEST_F(FileListTest, ClosingADocumentOrTheProgramWhileFilesOpenIsSafe) {
    QStringList names;
    for (int i = 0; i < 6; ++i) {
        names << QString("p%1.htm").arg(i);
        diskFile("site/" + names.back(), "<p></p>");
    }
    showSite();
    selectFiles(names);
    mainWindow->mnuFileListOpen_Click();
    ASSERT_EQ(Form::documentCount(), 1);
    mainWindow->mnuFileClose_Click();
    QCoreApplication::processEvents();
    mainWindow->mnuFileClose_Click();
    ASSERT_TRUE(QTest::qWaitFor([] { return runsInTurns() == 0; }));
    EXPECT_EQ(Form::documentCount(), 4);

    selectFiles(names);
    mainWindow->mnuFileListOpen_Click();
    ASSERT_TRUE(mainWindow->unload());
    ASSERT_TRUE(QTest::qWaitFor([] { return runsInTurns() == 0; }));
    EXPECT_EQ(Form::documentCount(), 0);
    EXPECT_FALSE(isBusy());
}

TEST_F(FileListTest, InsertHandsPicturesAndOtherFilesToTheirDialogs) {
    diskFile("site/photo.jpg", "jpg");
    diskFile("site/other.htm", "x");
    showSite();
    mainWindow->mnuFileListFilter_Click(2);
    mainWindow->filList->selectOnly(listRow("photo.jpg"));
    mainWindow->mnuFileListInsert_Click();
    EXPECT_TRUE(tagDialogRequests().isEmpty());  // no document to insert into

    newDocument();
    // An untitled document cannot hold a relative path: the notice says so first.
    expectModal("frmDontShow", [](Form& notice) { notice.unload(); });
    expectModal("frmImage", [](Form& dialog) { dialog.unload(); });
    mainWindow->mnuFileListInsert_Click();
    mainWindow->filList->selectOnly(listRow("other.htm"));
    EXPECT_EQ(mainWindow->selectedFileListPath(), site + "other.htm");
    expectModal("frmDontShow", [](Form& notice) { notice.unload(); });
    expectModal("frmHrefAnchor", [](Form& dialog) {
        auto* link = dynamic_cast<frmHrefAnchor*>(&dialog);
        ASSERT_NE(link, nullptr);
        EXPECT_TRUE(link->cboHref->currentText().endsWith("other.htm"));
        dialog.unload();
    });
    mainWindow->mnuFileListInsert_Click();
    EXPECT_EQ(tagDialogRequests(), (QStringList{"frmImage: Insert image", "frmHrefAnchor: Insert href"}));
    EXPECT_EQ(dialogKind, "");
    EXPECT_FALSE(isBusy());
}

TEST_F(FileListTest, RenameRefusesNamesThatWouldReplaceMoveOrMisnameAFile) {
    diskFile("site/a.htm", "A");
    diskFile("site/b.htm", "B");
    diskFile("site/.c.htm", "C");
    showSite();
    FileListView* list = mainWindow->filList;
    auto refused = [&](const QString& name, const QString& message) {
        list->selectOnly(listRow("a.htm"));
        if (!message.isEmpty()) expectMsgBox(message, vbOK);
        int cancel = 0;
        mainWindow->filList_AfterLabelEdit(cancel, name);
        EXPECT_EQ(cancel, 1) << name.toStdString();
        EXPECT_EQ(readFile(site + "a.htm"), "A") << name.toStdString();
        EXPECT_EQ(list->text(listRow("a.htm")), "a.htm");
    };
    const QString exists = "Error renaming a.htm.  A file with the name you specified already exists.";
    refused("b.htm", exists);
    refused(".c.htm", exists);  // a hidden file is still a file
    refused("sub", exists);     // and so is a folder
    refused("../x.htm", "Error renaming a.htm.  '../x.htm' is not a valid file name.");
    refused("a/b", "is not a valid file name.");
    refused("..", "is not a valid file name.");
    refused("a.htm", QString());  // the same name changes nothing
    refused("", QString());
    EXPECT_FALSE(QFile::exists(disk + "/x.htm"));
    EXPECT_EQ(readFile(site + "b.htm"), "B");
    EXPECT_EQ(readFile(site + ".c.htm"), "C");

    openDocument(site + "a.htm");
    refused("z.htm", "Can't rename 'a.htm'.\n\nThis file is currently in use.");
}

TEST_F(FileListTest, RenameInPlaceAsksBeforeChangingTheExtension) {
    diskFile("site/a.htm", "A");
    diskFile("site/README", "R");
    showSite();
    mainWindow->mnuFileListFilter_Click(2);
    FileListView* list = mainWindow->filList;

    list->selectOnly(listRow("a.htm"));
    expectMsgBox("If you change a filename extension the file may become unusable.", vbNo);
    mainWindow->mnuFileListRename_Click();
    typeIntoEditor(list->currentView()->viewport(), "a.html");
    EXPECT_TRUE(QFile::exists(site + "a.htm"));
    EXPECT_EQ(list->text(listRow("a.htm")), "a.htm");

    expectMsgBox("Are you sure you want to change it.", vbYes);
    mainWindow->mnuFileListRename_Click();
    typeIntoEditor(list->currentView()->viewport(), "a.html");
    EXPECT_EQ(readFile(site + "a.html"), "A");
    EXPECT_FALSE(QFile::exists(site + "a.htm"));
    const int row = listRow("a.html");
    ASSERT_GE(row, 0);
    EXPECT_EQ(list->subItem(row, 2), "HTM");

    // A name without an extension may get one without a question, in the icon views too.
    mainWindow->mnuFileListViewStyle_Click(1);
    list->selectOnly(listRow("README"));
    mainWindow->mnuFileListRename_Click();
    typeIntoEditor(list->currentView()->viewport(), "README.txt");
    EXPECT_EQ(readFile(site + "README.txt"), "R");
    EXPECT_EQ(list->subItem(listRow("README.txt"), 2), "TXT");
    EXPECT_TRUE(allAnswered());
}

TEST_F(FileListTest, RenameWorksInTheFolderTheListShows) {
    diskFile("site/a.htm", "site");
    diskFile("other/a.htm", "other");
    showSite();
    // The tree's selection moves by keyboard; the list still shows the site folder.
    mainWindow->treMain->selectNode(node(disk + "/other"));
    mainWindow->filList->selectOnly(listRow("a.htm"));
    int cancel = 0;
    mainWindow->filList_AfterLabelEdit(cancel, "b.htm");
    EXPECT_EQ(cancel, 0);
    EXPECT_EQ(readFile(site + "b.htm"), "site");
    EXPECT_EQ(readFile(disk + "/other/a.htm"), "other");
}

TEST_F(FileListTest, DeleteSendsOneFileToTheTrash) {
    diskFile("site/a.htm", "A");
    diskFile("site/b.htm", "B");
    showSite();
    mainWindow->filList->selectOnly(listRow("a.htm"));
    expectMsgBox("Send '" + site + "a.htm' to the recycle bin?", vbNo);
    mainWindow->mnuFileListDelete_Click();
    EXPECT_TRUE(QFile::exists(site + "a.htm"));

    expectMsgBox("Send '" + site + "a.htm' to the recycle bin?", vbYes);
    mainWindow->mnuFileListDelete_Click();
    EXPECT_FALSE(QFile::exists(site + "a.htm"));
    EXPECT_EQ(readFile(trashFiles() + "a.htm"), "A");
    EXPECT_EQ(listNames(), QStringList{"b.htm"});

    // Nothing selected, nothing asked.
    mainWindow->filList->setSelected(0, false);
    mainWindow->mnuFileListDelete_Click();
}

TEST_F(FileListTest, DeletingAnOpenFileClosesItsDocumentFirst) {
    diskFile("site/a.htm", "A");
    showSite();
    DocumentWindow* doc = openDocument(site + "a.htm");
    change(doc);
    mainWindow->filList->selectOnly(listRow("a.htm"));

    // Cancel in the document's own question keeps the document and the file.
    expectMsgBox("to the recycle bin?", vbYes);
    expectMsgBox("'" + site + "a.htm' is currently in use.\n\nDo you want to delete this file anyway?", vbYes);
    expectMsgBox("Save changes to 'a.htm'?", vbCancel);
    mainWindow->mnuFileListDelete_Click();
    EXPECT_EQ(Form::documentCount(), 1);
    EXPECT_EQ(readFile(site + "a.htm"), "A");
    EXPECT_FALSE(trashed("a.htm"));

    expectMsgBox("to the recycle bin?", vbYes);
    expectMsgBox("is currently in use.", vbNo);
    mainWindow->mnuFileListDelete_Click();
    EXPECT_EQ(Form::documentCount(), 1);
    EXPECT_TRUE(QFile::exists(site + "a.htm"));

    expectMsgBox("to the recycle bin?", vbYes);
    expectMsgBox("is currently in use.", vbYes);
    expectMsgBox("Save changes to 'a.htm'?", vbNo);
    mainWindow->mnuFileListDelete_Click();
    EXPECT_EQ(Form::documentCount(), 0);
    EXPECT_FALSE(QFile::exists(site + "a.htm"));
    EXPECT_EQ(readFile(trashFiles() + "a.htm"), "A");
}

TEST_F(FileListTest, DeletingSeveralFilesAsksForEachOpenOne) {
    for (const char* name : {"a.htm", "b.htm", "c.htm", "d.htm", "e.htm"}) diskFile(QString("site/") + name, name);
    showSite();
    DocumentWindow* b = openDocument(site + "b.htm");
    change(b);
    openDocument(site + "c.htm");
    DocumentWindow* d = openDocument(site + "d.htm");
    change(d);
    selectFiles({"a.htm", "b.htm", "c.htm", "d.htm", "e.htm"});

    expectMsgBox("Send the selected files to the recycle bin?", vbYes);
    expectMsgBox("'" + site + "b.htm' is currently in use.", vbYes);
    expectMsgBox("Save changes to 'b.htm'?", vbNo);
    expectMsgBox("'" + site + "c.htm' is currently in use.", vbNo);
    expectMsgBox("'" + site + "d.htm' is currently in use.", vbYes);
    expectMsgBox("Save changes to 'd.htm'?", vbCancel);  // d stays open, so it stays
    mainWindow->mnuFileListDelete_Click();
    EXPECT_TRUE(trashed("a.htm"));
    EXPECT_TRUE(trashed("b.htm"));
    EXPECT_TRUE(QFile::exists(site + "c.htm"));
    EXPECT_TRUE(QFile::exists(site + "d.htm"));
    EXPECT_TRUE(trashed("e.htm"));
    EXPECT_EQ(listNames(), (QStringList{"c.htm", "d.htm"}));
    QStringList open;
    for (DocumentWindow* doc : documentWindows()) open << fileNameOf(doc->filePath);
    EXPECT_EQ(open, (QStringList{"c.htm", "d.htm"}));

    // Cancel stops at that file; the list is filled again all the same.
    diskFile("site/f.htm", "f");
    mainWindow->populateFileList();
    selectFiles({"c.htm", "d.htm", "f.htm"});
    expectMsgBox("Send the selected files to the recycle bin?", vbYes);
    expectMsgBox("'" + site + "c.htm' is currently in use.", vbCancel);
    mainWindow->mnuFileListDelete_Click();
    EXPECT_TRUE(QFile::exists(site + "c.htm"));
    EXPECT_TRUE(QFile::exists(site + "f.htm"));
    EXPECT_EQ(listNames(), (QStringList{"c.htm", "d.htm", "f.htm"}));

    selectFiles({"c.htm", "f.htm"});
    expectMsgBox("Send the selected files to the recycle bin?", vbNo);
    mainWindow->mnuFileListDelete_Click();
    EXPECT_TRUE(QFile::exists(site + "f.htm"));
}

TEST_F(FileListTest, AFileThatCannotGoToTheTrashStaysAndTheUserIsTold) {
    diskFile("site/a.htm", "A");
    diskFile("site/b.htm", "B");
    showSite();
    writeFile("notafolder", "x");
    qputenv("XDG_DATA_HOME", (workDir + "notafolder/share").toUtf8());

    mainWindow->filList->selectOnly(listRow("a.htm"));
    expectMsgBox("to the recycle bin?", vbYes);
    expectMsgBox("could not be moved to the trash", vbOK);
    mainWindow->mnuFileListDelete_Click();
    EXPECT_EQ(readFile(site + "a.htm"), "A");

    selectFiles({"a.htm", "b.htm"});
    expectMsgBox("Send the selected files to the recycle bin?", vbYes);
    expectMsgBox("These files have not been deleted.", vbOK);
    mainWindow->mnuFileListDelete_Click();
    EXPECT_EQ(readFile(site + "a.htm"), "A");
    EXPECT_EQ(readFile(site + "b.htm"), "B");
    EXPECT_EQ(shownMessages.last().count("could not be moved to the trash"), 2);
}

TEST_F(FileListTest, PropertiesShowTheFilesOwnWindow) {
    diskFile("site/a.htm", "A");
    showSite();
    mainWindow->filList->selectOnly(listRow("a.htm"));
    mainWindow->mnuFileListProperties_Click();
    PropertiesWindow* window = PropertiesWindow::findFor(site + "a.htm");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    window->close();

    QFile::remove(site + "a.htm");
    expectMsgBox("Unable to display property information for 'a.htm'.", vbOK);
    mainWindow->mnuFileListProperties_Click();
}

}  // namespace
}  // namespace kavrin::test
