// Dragging file list items: onto tree folders to move or copy them (with both buttons, the
// replace question, same-file refusals, open documents and a full disk), and onto documents
// and the document area to open them.
#include <sys/mount.h>

#include <QTest>
#include <QDrag>
#include <QMdiArea>
#include <QMimeData>
#include <QUrl>

#include "documents/docfile.h"
#include "panes/filedrag.h"
#include "panes_fixture.h"
#include "platform/system/screen.h"
#include "platform/files/textfile.h"

namespace kavrin::test {
namespace {

class DragDropTest : public PanesTest {
protected:
    void SetUp() override {
        PanesTest::SetUp();
        makeFolder("site");
        makeFolder("other");
        site = disk + "/site/";
        other = disk + "/other/";
    }
    void TearDown() override {
        popupChooser = {};
        PanesTest::TearDown();
    }

    void showSite() {
        openMainWindow();
        mainWindow->setTreePath(disk + "/site");
        ASSERT_EQ(mainWindow->files->path(), disk + "/site");
    }

    // Drags over `widget` (a viewport) to `at` and drops there, as the system delivers it.
    static bool dropOn(QWidget* widget, QPoint at, QMimeData* data, bool drop = true) {
        QDragEnterEvent enter(at, Qt::MoveAction | Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &enter);
        QDragMoveEvent move(at, Qt::MoveAction | Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
        const bool accepted = move.isAccepted();
        if (drop && accepted) {
            QDropEvent dropped(QPointF(at), Qt::MoveAction | Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(widget, &dropped);
            QApplication::processEvents();
            // Dropped files open one after another, each in a turn of its own.
            EXPECT_TRUE(QTest::qWaitFor([] { return runsInTurns() == 0; }));
        }
        delete data;
        return accepted;
    }
    QPoint pointOf(const QString& key) const {
        QTreeWidgetItem* item = node(key);
        EXPECT_NE(item, nullptr) << key.toStdString();
        mainWindow->treMain->scrollToItem(item);
        return mainWindow->treMain->visualItemRect(item).center();
    }
    // The list's selected items dropped on the folder node `key` with `button`.
    bool dropSelection(const QString& key, int button) {
        FileListDrag drag{site, {}, button};
        for (int row : mainWindow->filList->selectedRows()) drag.names << mainWindow->filList->text(row);
        return dropOn(mainWindow->treMain->viewport(), pointOf(key), fileListDragData(drag));
    }
    void choose(QAction* item) {
        popupChooser = [item](QMenu* menu) {
            EXPECT_EQ(menu, frmMenuInstance()->mnuDragDrop);
            return item;
        };
    }

    QString site;
    QString other;
};

TEST_F(DragDropTest, TheLeftButtonMovesTheFilesAtOnce) {
    diskFile("site/a.htm", "aaa");
    diskFile("site/b.htm", "bbb");
    diskFile("site/c.htm", "ccc");
    showSite();
    QTreeWidgetItem* current = mainWindow->treMain->selectedNode();
    selectFiles({"a.htm", "b.htm"});
    EXPECT_TRUE(dropSelection(disk + "/other", 1));
    EXPECT_EQ(readFile(other + "a.htm"), "aaa");
    EXPECT_EQ(readFile(other + "b.htm"), "bbb");
    EXPECT_FALSE(QFileInfo::exists(site + "a.htm"));
    EXPECT_EQ(listNames(), QStringList{"c.htm"});
    // The tree shows the folder it showed, without a highlight left behind.
    EXPECT_EQ(mainWindow->treMain->selectedNode(), current);
    EXPECT_EQ(mainWindow->treMain->dropHighlight(), nullptr);
    EXPECT_EQ(mainWindow->files->path(), disk + "/site");
}

TEST_F(DragDropTest, TheRightButtonAsksWhetherToMoveOrCopy) {
    makeFolder("third");
    diskFile("site/a.htm", "aaa");
    diskFile("site/b.htm", "bbb");
    showSite();
    frmMenu* menus = frmMenuInstance();
    selectFiles({"a.htm", "b.htm"});
    choose(menus->mnuDragDropCopy);
    dropSelection(disk + "/other", 2);
    EXPECT_EQ(readFile(other + "a.htm"), "aaa");
    EXPECT_EQ(readFile(site + "a.htm"), "aaa");
    EXPECT_EQ(listNames(), (QStringList{"a.htm", "b.htm"}));

    selectFiles({"b.htm"});
    choose(menus->mnuDragDropCancel);
    dropSelection(disk + "/third", 2);
    EXPECT_FALSE(QFileInfo::exists(disk + "/third/b.htm"));

    choose(menus->mnuDragDropMove);
    dropSelection(disk + "/third", 2);
    EXPECT_EQ(readFile(disk + "/third/b.htm"), "bbb");
    EXPECT_EQ(listNames(), QStringList{"a.htm"});
}

TEST_F(DragDropTest, NoFolderOrTheSameFolderMovesNothing) {
    diskFile("site/a.htm", "aaa");
    ASSERT_TRUE(QFile::link(disk + "/site", disk + "/link"));
    showSite();
    selectFiles({"a.htm"});
    const QString same = "Cannot move the selected file(s):  The source and destination filenames are the same.";
    expectMsgBox(same, vbOK);
    dropSelection(disk + "/site", 1);
    choose(frmMenuInstance()->mnuDragDropCopy);
    expectMsgBox(same, vbOK);
    dropSelection(disk + "/site", 2);
    // The same folder by another path, with either button.
    expectMsgBox(same, vbOK);
    dropSelection(disk + "/link", 1);
    choose(frmMenuInstance()->mnuDragDropMove);
    expectMsgBox(same, vbOK);
    dropSelection(disk + "/link", 2);
    expectMsgBox("Unable to move file(s) to the specified location.", vbOK);
    dropSelection("top", 1);
    EXPECT_EQ(readFile(site + "a.htm"), "aaa");
    EXPECT_EQ(listNames(), QStringList{"a.htm"});
}

TEST_F(DragDropTest, AFileThatIsThereAlreadyIsReplacedOnlyWhenTheUserSaysSo) {
    diskFile("site/a.htm", QByteArray(2100, 'n'));
    diskFile("site/b.htm", "new b");
    diskFile("site/c.htm", "new c");
    diskFile("other/a.htm", QByteArray(500, 'o'));
    diskFile("other/b.htm", "old b");
    diskFile("other/c.htm", "old c");
    showSite();
    selectFiles({"a.htm", "b.htm", "c.htm"});
    // The lowest selected item comes first; No keeps both files, Cancel stops before the file.
    expectMsgBox("This folder already contains a file called 'c.htm'.", vbNo);
    expectMsgBox("This folder already contains a file called 'b.htm'.", vbYes);
    expectMsgBox("Would you like to replace the existing file\n\t0KB\n\tmodified ", vbCancel);
    dropSelection(disk + "/other", 1);
    EXPECT_EQ(readFile(other + "c.htm"), "old c");
    EXPECT_EQ(readFile(site + "c.htm"), "new c");
    EXPECT_EQ(readFile(other + "b.htm"), "new b");
    EXPECT_FALSE(QFileInfo::exists(site + "b.htm"));
    EXPECT_EQ(readFile(other + "a.htm"), QByteArray(500, 'o'));
    EXPECT_EQ(listNames(), (QStringList{"a.htm", "c.htm"}));
    EXPECT_TRUE(shownMessages.last().endsWith("with this one\n\t2KB\n\tmodified " +
                                              QLocale::system().toString(QFileInfo(site + "a.htm").lastModified(),
                                                                         QLocale::ShortFormat) +
                                              "?"));
}

TEST_F(DragDropTest, AFileIsNeverReplacedByItself) {
    diskFile("site/a.htm", "precious");
    diskFile("site/b.htm", "bbb");
    // The target folder holds the same file under the same name: a second hard link, a link.
    ASSERT_EQ(::link(QFile::encodeName(site + "a.htm"), QFile::encodeName(other + "a.htm")), 0);
    makeFolder("third");
    ASSERT_TRUE(QFile::link(site + "b.htm", disk + "/third/b.htm"));
    showSite();
    const QString same = "The source and destination filenames are the same.";
    selectFiles({"a.htm"});
    expectMsgBox(same, vbOK);
    dropSelection(disk + "/other", 1);
    choose(frmMenuInstance()->mnuDragDropCopy);
    selectFiles({"b.htm"});
    expectMsgBox(same, vbOK);
    dropSelection(disk + "/third", 2);
    EXPECT_EQ(readFile(site + "a.htm"), "precious");
    EXPECT_EQ(readFile(site + "b.htm"), "bbb");
    EXPECT_EQ(listNames(), (QStringList{"a.htm", "b.htm"}));
}

TEST_F(DragDropTest, AnOpenDocumentFollowsItsMovedFileAndIsNeverReplaced) {
    diskFile("site/a.htm", "aaa");
    diskFile("site/b.htm", "bbb");
    diskFile("other/b.htm", "other b");
    showSite();
    mainWindow->openFile(site + "a.htm");
    DocumentWindow* doc = activeDocument();
    QTest::keyClicks(doc->txtMain, "x");
    mainWindow->openFile(other + "b.htm");
    selectFiles({"a.htm", "b.htm"});
    expectMsgBox("'" + other + "b.htm' is open in a document.", vbOK);
    dropSelection(disk + "/other", 1);
    EXPECT_EQ(readFile(other + "b.htm"), "other b");
    EXPECT_EQ(readFile(site + "b.htm"), "bbb");

    selectFiles({"a.htm"});
    dropSelection(disk + "/other", 1);
    EXPECT_EQ(doc->filePath, other + "a.htm");
    EXPECT_EQ(mainWindow->tbsPop->tabToolTip(mainWindow->documentTabIndex(doc)), other + "a.htm");
    saveDocument(doc);
    EXPECT_EQ(readFile(other + "a.htm"), "xaaa");
    EXPECT_FALSE(QFileInfo::exists(site + "a.htm"));
}

TEST_F(DragDropTest, AFullDiskLeavesBothFilesWhole) {
    diskFile("site/small.htm", "small page");
    diskFile("site/large.htm", QByteArray(200 * 1024, 'L'));
    makeFolder("tiny");
    const QString tiny = disk + "/tiny/";
    showSite();
    // What the drop on the tiny disk's folder has set up; the child process runs the pop-up's
    // commands without an event loop (its painting threads are not there).
    mainWindow->dragDropPath1 = site;
    mainWindow->dragDropPath2 = tiny;
    const auto [code, message] = inTinyTmpfs(disk + "/tiny", [&]() -> std::string {
        if (!writeFileAtomically(tiny + "large.htm", "old large")) return "no old file";
        mainWindow->draggedFileNames = {"small.htm"};
        frmMenuInstance()->mnuDragDropCopy_Click();
        if (readFile(tiny + "small.htm") != "small page") return "the small copy is missing";

        // Copied, or moved across file systems, the large file does not fit: both stay whole.
        mainWindow->draggedFileNames = {"large.htm"};
        for (bool move : {false, true}) {
            expectMsgBox("replace the existing file", vbYes);
            expectMsgBox(move ? "Unable to move" : "Unable to copy", vbOK);
            if (move)
                frmMenuInstance()->mnuDragDropMove_Click();
            else
                frmMenuInstance()->mnuDragDropCopy_Click();
            if (!allAnswered()) return "no question or no failure reported";
            if (!shownMessages.last().contains("is full")) return "no reason given: " + shownMessages.last().toStdString();
            if (readFile(site + "large.htm") != QByteArray(200 * 1024, 'L')) return "the source was damaged";
            if (readFile(tiny + "large.htm") != "old large") return "the target was damaged";
        }
        const QStringList left = QDir(tiny).entryList(QDir::Files | QDir::Hidden);
        if (left != (QStringList{"large.htm", "small.htm"})) return "work files left: " + left.join(',').toStdString();
        if (listNames() != (QStringList{"large.htm", "small.htm"})) return "the list changed";

        // A small file moves across: it is copied, checked, and only then gone from the source.
        mainWindow->draggedFileNames = {"small.htm"};
        expectMsgBox("replace the existing file", vbYes);
        frmMenuInstance()->mnuDragDropMove_Click();
        if (QFileInfo::exists(site + "small.htm") || readFile(tiny + "small.htm") != "small page")
            return "the small file did not move";
        if (listNames() != QStringList{"large.htm"}) return "the moved file is still listed";
        return {};
    });
    if (code == 77) GTEST_SKIP() << message;
    EXPECT_EQ(code, 0) << message;
}

TEST_F(DragDropTest, FilesDroppedOnADocumentOrTheDocumentAreaOpen) {
    diskFile("site/a.htm", "aaa");
    diskFile("site/b.htm", "bbb");
    diskFile("site/c.htm", "ccc");
    const QString outside = writeFile("desk/page.htm", "<p>desk</p>");
    showSite();
    newDocument();
    RichTextBox* editor = activeDocument()->txtMain;
    editor->setText("keep");
    QWidget* area = mainWindow->mdiArea()->viewport();

    // Plain text dragged in is no drop.
    auto* text = new QMimeData;
    text->setText("words");
    EXPECT_FALSE(dropOn(editor->viewport(), QPoint(5, 5), text));

    EXPECT_TRUE(dropOn(editor->viewport(), QPoint(5, 5), fileListDragData({site, {"a.htm", "b.htm"}, 1})));
    EXPECT_EQ(editor->text(), "keep");  // a drop never writes into the page
    QStringList open;
    for (DocumentWindow* doc : documentWindows()) open << doc->filePath;
    EXPECT_EQ(open, (QStringList{"Untitled_0", site + "a.htm", site + "b.htm"}));

    EXPECT_TRUE(dropOn(area, QPoint(600, 300), fileListDragData({site, {"c.htm"}, 2})));
    auto* files = new QMimeData;
    files->setUrls({QUrl::fromLocalFile(outside), QUrl::fromLocalFile(workDir), QUrl("https://example.org/")});
    EXPECT_TRUE(dropOn(area, QPoint(600, 300), files));
    EXPECT_EQ(Form::documentCount(), 5);
    EXPECT_EQ(activeDocument()->filePath, outside);
}

TEST_F(DragDropTest, ADragStartsOnlyAfterARealMoveAndOnlyTheTreeAndDocumentsTakeIt) {
    diskFile("site/a.htm", "aaa");
    showSite();
    QList<int> started;
    mainWindow->filList->onStartDrag = [&started](int button) { started << button; };
    QAbstractItemView* view = mainWindow->filList->currentView();
    const QPoint at = view->visualRect(mainWindow->filList->model()->index(0, 0)).center();
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
        const qsizetype before = started.size();
        sendMouse(view->viewport(), QEvent::MouseButtonPress, at, button, button);
        sendMouse(view->viewport(), QEvent::MouseMove, at + QPoint(1, 0), Qt::NoButton, button);
        EXPECT_EQ(started.size(), before) << "a shaky click is no drag";
        sendMouse(view->viewport(), QEvent::MouseMove, at + QPoint(0, QApplication::startDragDistance() + 1),
                  Qt::NoButton, button);
        sendMouse(view->viewport(), QEvent::MouseButtonRelease, at, button, Qt::NoButton);
    }
    EXPECT_EQ(started, (QList<int>{1, 2}));

    // Over the tree the node under the pointer shows where the files would go; empty space,
    // the file list and the panel's tab strip take no drop.
    PaneTree* tree = mainWindow->treMain;
    auto* data = fileListDragData({site, {"a.htm"}, 1});
    QDragEnterEvent enter(pointOf(disk + "/other"), Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tree->viewport(), &enter);
    QDragMoveEvent move(pointOf(disk + "/other"), Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tree->viewport(), &move);
    EXPECT_TRUE(move.isAccepted());
    EXPECT_EQ(tree->dropHighlight(), node(disk + "/other"));
    QDragLeaveEvent leave;
    QApplication::sendEvent(tree->viewport(), &leave);
    EXPECT_EQ(tree->dropHighlight(), nullptr);
    delete data;
    EXPECT_FALSE(dropOn(tree->viewport(), QPoint(5, tree->viewport()->height() - 3),
                        fileListDragData({site, {"a.htm"}, 1}), false));
    EXPECT_FALSE(view->viewport()->acceptDrops());
    EXPECT_FALSE(mainWindow->tbsMain->acceptDrops());
    EXPECT_FALSE(mainWindow->tbsMain->tabBar()->acceptDrops());
}

}  // namespace
}  // namespace kavrin::test
