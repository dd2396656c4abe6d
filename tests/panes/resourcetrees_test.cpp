// The panel's tabs, the tag tree with its pop-up commands and custom tags, the script tree, and
// the View menu's pane items, in the shown main window.
#include <QClipboard>
#include <QTabBar>

#include "documents/docfile.h"
#include "mainwindow/mainsettings.h"
#include "tagdialogs/structure/frmInput.h"
#include "panes_fixture.h"
#include "platform/files/settingsstore.h"
#include "tagdialogs/structure/frmTable.h"
#include "tagdialogs/structure/frmThd.h"

namespace kavrin::test {
namespace {

class ResourceTreeTest : public PanesTest {
protected:
    ResourceTree* tree() const { return scriptTree_ ? mainWindow->treScript : mainWindow->treTags; }
    frmMenu* menus() const { return frmMenuInstance(); }

    // The main window showing the tag tree.
    void showTagTree() {
        openMainWindow();
        // The start read the settings; the tests choose their own.
        uppercaseTags = false;
        addEndingP = false;
        mainWindow->tbsMain->setCurrentIndex(1);
        QApplication::processEvents();
    }
    // A document to insert into; "|" marks the selection's ends in `marked`.
    RichTextBox* openDocument(const QString& marked = "|") {
        newDocument();
        RichTextBox* editor = activeDocument()->txtMain;
        QString plain = marked;
        const int first = int(plain.indexOf('|'));
        plain.remove(first, 1);
        const int second = int(plain.indexOf('|'));
        if (second >= 0) plain.remove(second, 1);
        editor->setText(plain);
        editor->select(first, second >= 0 ? second - first : 0);
        return editor;
    }

    // The node at "root|child|..." by texts.
    QTreeWidgetItem* at(const QString& path) const {
        const QStringList parts = path.split('|');
        QTreeWidgetItem* node = nullptr;
        for (int i = 0; i < tree()->topLevelItemCount() && !node; ++i)
            if (tree()->topLevelItem(i)->text(0) == parts.first()) node = tree()->topLevelItem(i);
        for (const QString& part : parts.mid(1)) {
            QTreeWidgetItem* next = nullptr;
            for (int i = 0; node && i < node->childCount() && !next; ++i)
                if (node->child(i)->text(0) == part) next = node->child(i);
            node = next;
        }
        EXPECT_NE(node, nullptr) << path.toStdString();
        return node;
    }
    QPoint pointOf(QTreeWidgetItem* node) const {
        tree()->scrollToItem(node);
        const QRect r = tree()->visualItemRect(node);
        return QPoint(std::min(r.left() + 30, tree()->viewport()->width() - 4), r.center().y());
    }
    // Right-clicks the node as a user does and closes the pop-up that opens.
    void rightClick(QTreeWidgetItem* node) {
        QTest::mouseClick(tree()->viewport(), Qt::RightButton, Qt::NoModifier, pointOf(node));
        EXPECT_TRUE(menus()->mnuTagNode->isVisible());
        menus()->mnuTagNode->hide();
    }
    // A press and release, then the second press that the system reports as a double-click.
    void doubleClick(QTreeWidgetItem* node) {
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, Qt::NoModifier, pointOf(node));
        QTest::mouseDClick(tree()->viewport(), Qt::LeftButton, Qt::NoModifier, pointOf(node));
        QApplication::processEvents();
    }
    // Insert, Edit, Copy, Add, Edit custom, Delete custom as 1 and 0.
    QString offered(QTreeWidgetItem* node) {
        rightClick(node);
        QString s;
        for (QAction* a : {menus()->mnuTagNodeInsert, menus()->mnuTagNodeEdit, menus()->mnuTagNodeCopy,
                           menus()->mnuTagNodeAddCustom, menus()->mnuTagNodeEditCustom,
                           menus()->mnuTagNodeDeleteCustom})
            s += a->isEnabled() ? '1' : '0';
        return s;
    }
    QStringList customTexts() const { return childTexts(mainWindow->customTagsRoot()); }
    static QString stored(const QString& key) { return getSetting("Kavrin Pro", "Custom Tags", key, "<none>"); }
    static void store(const QString& key, const QString& value) { saveSetting("Kavrin Pro", "Custom Tags", key, value); }

    // The helpers above work on the script tree from here on.
    void useScriptTree() { scriptTree_ = true; }
    bool scriptTree_ = false;

    // Ends this run as File > Exit does and starts the program again.
    void restart() {
        ASSERT_TRUE(mainWindow->unload());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        resetSettingsCache();
        showTagTree();
    }
};

TEST_F(ResourceTreeTest, TheHtmlTabBuildsTheTreeOnceWithTheStoredCustomTagsFirst) {
    store("NumCustomTags", " 3");
    store("Custom_2", "<x></x>");
    store("Custom_3", "<y a=1></y>");
    showTagTree();
    EXPECT_TRUE(tree()->isVisible());
    EXPECT_TRUE(tree()->hasFocus());
    EXPECT_FALSE(mainWindow->filList->isVisible());

    QTreeWidgetItem* custom = mainWindow->customTagsRoot();
    ASSERT_NE(custom, nullptr);
    EXPECT_EQ(tree()->topLevelItemCount(), 2);
    EXPECT_EQ(customTexts(), (QStringList{"<x></x>", "<y a=1></y>"}));
    EXPECT_EQ(PaneTree::key(custom->child(0)), "custom_2");  // the empty first key leaves a gap
    EXPECT_TRUE(custom->isExpanded());
    QTreeWidgetItem* tags = at("HTML Tags");
    EXPECT_TRUE(tags->isExpanded());
    EXPECT_EQ(tags->child(0)->text(0), "<!-- -->");
    EXPECT_EQ(childTexts(at("HTML Tags|<a></a>|target=")), (QStringList{"_blank", "_parent", "_self", "_top"}));

    // Another choice of the tab only shows the tree again.
    const int count = int(tree()->allNodes().size());
    tree()->addLeaf(tags, "marker", "tag");
    mainWindow->tbsMain->setCurrentIndex(0);
    mainWindow->tbsMain->setCurrentIndex(1);
    EXPECT_EQ(tree()->allNodes().size(), count + 1);
    EXPECT_TRUE(tree()->isVisible());
}

TEST_F(ResourceTreeTest, MissingOrDamagedTagDataIsReportedOnceAndTheCustomTagsStay) {
    store("NumCustomTags", "1");
    store("Custom_1", "<x></x>");
    QFile::remove(programDir + "html.dat");
    saveSetting("Kavrin Pro", "DontShowAgain", "htmlData", "True");  // the notice at start
    expectMsgBox("The data file '" + programDir + "html.dat' was not found.", vbOK);
    showTagTree();
    EXPECT_EQ(tree()->topLevelItemCount(), 1);
    EXPECT_EQ(customTexts(), QStringList{"<x></x>"});
    mainWindow->tbsMain->setCurrentIndex(0);
    mainWindow->tbsMain->setCurrentIndex(1);  // no second message: the load is not tried again
    EXPECT_TRUE(allAnswered());
}

TEST_F(ResourceTreeTest, ABrokenTagDataFileKeepsTheTagsReadBeforeTheFault) {
    writeFile("../program/html.dat", "<A HREF=x ></A>\r\n<B></B>\r\n<a NAME=y ></a>\r\n<C></C>\r\n");
    expectMsgBox("An error occurred while loading the HTML Explorer:\n\nLine 3", vbOK);
    showTagTree();
    EXPECT_EQ(childTexts(at("HTML Tags")), (QStringList{"<!-- -->", "<a></a>", "<b></b>"}));
}

TEST_F(ResourceTreeTest, BinaryOrEmptyTagDataGivesNoTags) {
    writeFile("../program/html.dat", QByteArray("<A\0B ></A>", 10));
    expectMsgBox("binary data", vbOK);
    showTagTree();
    EXPECT_EQ(childTexts(at("HTML Tags")), QStringList{"<!-- -->"});

    writeFile("../program/html.dat", "");
    restart();
    EXPECT_EQ(childTexts(at("HTML Tags")), QStringList{"<!-- -->"});
}

TEST_F(ResourceTreeTest, InsertPutsTheNodeIntoTheSourceAtTheSelection) {
    showTagTree();
    RichTextBox* editor = openDocument("a |text| b");
    tree()->selectNode(at("HTML Tags|<a></a>"));
    menus()->mnuTagNodeInsert->trigger();
    EXPECT_EQ(editor->text(), "a <a>text</a> b");
    EXPECT_TRUE(editor->hasFocus());

    addEndingP = false;
    editor->select(0, 1);
    tree()->selectNode(at("HTML Tags|<p></p>"));
    menus()->mnuTagNodeInsert->trigger();
    EXPECT_EQ(editor->text(), "<p>a <a>text</a> b");
    addEndingP = true;
    editor->select(0, 3);
    menus()->mnuTagNodeInsert->trigger();
    EXPECT_EQ(editor->text(), "<p><p></p>a <a>text</a> b");

    // An attribute or event gets its quotes with the caret between them.
    editor->setText("<a >");
    editor->setSelStart(3);
    tree()->selectNode(at("HTML Tags|<a></a>|href="));
    menus()->mnuTagNodeInsert->trigger();
    EXPECT_EQ(editor->text(), "<a href=\"\">");
    EXPECT_EQ(editor->selStart(), 9);
    tree()->selectNode(at("HTML Tags|<a></a>|onClick="));
    menus()->mnuTagNodeInsert->trigger();
    EXPECT_EQ(editor->text(), "<a href=\"onClick=\"\"\">");

    // A value or a flag is the bare word; nothing goes into a page that shows another view.
    editor->setText("x");
    editor->select(0, 1);
    tree()->selectNode(at("HTML Tags|<a></a>|target=|_top"));
    menus()->mnuTagNodeInsert->trigger();
    EXPECT_EQ(editor->text(), "_topx");
    activeDocument()->mode = 1;
    menus()->mnuTagNodeInsert->trigger();
    EXPECT_EQ(editor->text(), "_topx");
}

TEST_F(ResourceTreeTest, DoubleClickInsertsLeavesAndCustomTagsButOpensTags) {
    store("NumCustomTags", "1");
    store("Custom_1", "<font color=red></font>");
    showTagTree();
    RichTextBox* editor = openDocument("|word|");

    QTreeWidgetItem* anchor = at("HTML Tags|<a></a>");
    doubleClick(anchor);
    EXPECT_TRUE(anchor->isExpanded());
    EXPECT_EQ(editor->text(), "word");
    doubleClick(at("Custom Tags|<font color=red></font>"));
    EXPECT_EQ(editor->text(), "<font color=red>word</font>");
    doubleClick(at("HTML Tags|<br>|clear=|left"));
    EXPECT_EQ(editor->text(), "<font color=red>wordleft</font>");
    // The whole insertion is one step of undo.
    mainWindow->mnuEditUndo->trigger();
    EXPECT_EQ(editor->text(), "<font color=red>word</font>");
}

TEST_F(ResourceTreeTest, TypingSearchesTheTagNamesWhileTheOtherKeysStillMove) {
    showTagTree();
    RichTextBox* editor = openDocument();
    tree()->setFocus();
    QStringList chosen;
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(tree(), Qt::Key_T);
        chosen << tree()->selectedNode()->text(0);
    }
    EXPECT_EQ(chosen, (QStringList{"<table></table>", "<tbody></tbody>", "<td></td>"}));
    // After the last tag with the letter the next press goes back to the first.
    QTreeWidgetItem* tags = at("HTML Tags");
    int withT = 0;
    for (int i = 0; i < tags->childCount(); ++i) withT += tags->child(i)->text(0).startsWith("<t");
    for (int i = 3; i < withT; ++i) QTest::keyClick(tree(), Qt::Key_T);
    EXPECT_EQ(tree()->selectedNode()->text(0), "<tt></tt>");
    QTest::keyClick(tree(), Qt::Key_T);
    EXPECT_EQ(tree()->selectedNode()->text(0), "<table></table>");

    // Arrows and Enter keep their work: open the tag, walk to an attribute, insert it.
    QTreeWidgetItem* table = tree()->selectedNode();
    QTest::keyClick(tree(), Qt::Key_Right);
    EXPECT_TRUE(table->isExpanded());
    QTest::keyClick(tree(), Qt::Key_Down);
    EXPECT_EQ(tree()->selectedNode(), table->child(0));
    QTest::keyClick(tree(), Qt::Key_Return);
    EXPECT_EQ(editor->text(), table->child(0)->text(0) + "\"\"");
}

TEST_F(ResourceTreeTest, ThePopUpOffersWhatTheNodeAllowsAndCopiesItsText) {
    store("NumCustomTags", "1");
    store("Custom_1", "<td></td>");
    showTagTree();
    // Insert, Edit, Copy, Add, Edit custom, Delete custom.
    EXPECT_EQ(offered(at("HTML Tags")), "000100");
    EXPECT_EQ(offered(at("Custom Tags")), "000100");
    EXPECT_EQ(offered(at("HTML Tags|<td></td>")), "001100");  // no document to put it in
    openDocument();
    EXPECT_EQ(offered(at("HTML Tags|<td></td>")), "111100");
    EXPECT_EQ(offered(at("Custom Tags|<td></td>")), "111111");
    EXPECT_EQ(offered(at("HTML Tags|<blink></blink>")), "101100");
    EXPECT_EQ(offered(at("HTML Tags|<td></td>|align=")), "101100");
    EXPECT_EQ(offered(at("HTML Tags|<ol></ol>")), "111100");

    rightClick(at("HTML Tags|<a></a>"));
    menus()->mnuTagNodeCopy->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "<a></a>");
}

TEST_F(ResourceTreeTest, EditOpensTheTagsDialogForANewElement) {
    showTagTree();
    RichTextBox* editor = openDocument("|cell|");
    dialogKind = "th";
    expectModal("frmThd", [](Form& form) {
        EXPECT_EQ(dialogKind, "td");
        EXPECT_FALSE(editingTag);
        static_cast<frmThd&>(form).cmdOk->click();
    });
    rightClick(at("HTML Tags|<td></td>"));
    menus()->mnuTagNodeEdit->trigger();
    EXPECT_EQ(editor->text(), "<td>cell</td>");

    tree()->selectNode(at("HTML Tags|<table></table>"));
    enableBrowserAndDesigner = false;
    expectModal("frmTable", [](Form& form) { static_cast<frmTable&>(form).cmdCancel->click(); });
    menus()->mnuTagNodeEdit->trigger();
    enableBrowserAndDesigner = true;
    expectModal("frmTableIe", [](Form& form) { static_cast<frmTable&>(form).cmdCancel->click(); });
    menus()->mnuTagNodeEdit->trigger();
    EXPECT_EQ(editor->text(), "<td>cell</td>");

    // The form element dialog opens on the element's own tab; the lists on the list wizard.
    QList<int> tabs;
    for (const char* text : {"<textarea></textarea>", "<select></select>", "<option>"}) {
        expectModal("frmInput", [&tabs](Form& form) {
            auto& dialog = static_cast<frmInput&>(form);
            tabs << int(dialog.kind());
            dialog.cmdCancel->click();
        });
        EXPECT_EQ(offered(at(QString("HTML Tags|") + text)), "111100");
        menus()->mnuTagNodeEdit->trigger();
    }
    EXPECT_EQ(tabs, (QList<int>{10, 11, 12}));
    expectModal("frmList", [](Form& form) { form.unload(); });
    tree()->selectNode(at("HTML Tags|<menu></menu>"));
    menus()->mnuTagNodeEdit->trigger();
    EXPECT_EQ(editor->text(), "<td>cell</td>");
}

TEST_F(ResourceTreeTest, CustomTagsAreAddedEditedAndDeletedAndFoundAfterARestart) {
    showTagTree();
    tree()->selectNode(at("HTML Tags"));
    expectInputBox("Enter a start and end tag.\n\nFor example, <foo></foo>.", QString("<foo></foo>"));
    menus()->mnuTagNodeAddCustom->trigger();
    expectInputBox("Enter a start and end tag.", QString(" <bar> "));
    menus()->mnuTagNodeAddCustom->trigger();
    expectInputBox("Enter a start and end tag.", std::nullopt);
    menus()->mnuTagNodeAddCustom->trigger();
    EXPECT_EQ(customTexts(), (QStringList{"<foo></foo>", " <bar> "}));
    EXPECT_TRUE(mainWindow->customTagsRoot()->isExpanded());
    // Written at once: a crash now loses nothing.
    EXPECT_EQ(stored("NumCustomTags"), "2");
    EXPECT_EQ(stored("Custom_2"), " <bar> ");

    tree()->selectNode(at("Custom Tags|<foo></foo>"));
    expectInputBox("Enter new start and end tags.\n\nFor example, <foo></foo>", QString());
    menus()->mnuTagNodeEditCustom->trigger();  // an empty answer keeps the tag
    expectInputBox("Enter new start and end tags.", QString("<baz></baz>"));
    menus()->mnuTagNodeEditCustom->trigger();
    EXPECT_EQ(stored("Custom_1"), "<baz></baz>");

    tree()->selectNode(at("Custom Tags| <bar> "));
    expectMsgBox("Delete selected tag?", vbNo);
    menus()->mnuTagNodeDeleteCustom->trigger();
    EXPECT_EQ(customTexts(), (QStringList{"<baz></baz>", " <bar> "}));
    tree()->selectNode(at("Custom Tags|<baz></baz>"));
    expectMsgBox("Delete selected tag?", vbYes);
    menus()->mnuTagNodeDeleteCustom->trigger();
    EXPECT_EQ(customTexts(), QStringList{" <bar> "});
    EXPECT_EQ(stored("NumCustomTags"), "1");
    EXPECT_EQ(stored("Custom_2"), "<none>");

    restart();
    EXPECT_EQ(customTexts(), QStringList{" <bar> "});
    EXPECT_EQ(PaneTree::key(mainWindow->customTagsRoot()->child(0)), "custom_1");

    // Deleting the last one leaves no section behind.
    tree()->selectNode(at("Custom Tags| <bar> "));
    expectMsgBox("Delete selected tag?", vbYes);
    menus()->mnuTagNodeDeleteCustom->trigger();
    EXPECT_TRUE(settingKeys("Kavrin Pro", "Custom Tags").isEmpty());
}

TEST_F(ResourceTreeTest, ACustomTagTheStoreRefusesIsReportedAndWrittenAtExit) {
    showTagTree();
    const QByteArray config = qgetenv("XDG_CONFIG_HOME");
    // The settings' folder cannot be made below a plain file.
    const QString blocked = writeFile("blocked", "x");
    qputenv("XDG_CONFIG_HOME", (blocked + "/config").toUtf8());
    tree()->selectNode(at("HTML Tags"));
    expectInputBox("Enter a start and end tag.", QString("<kept></kept>"));
    expectMsgBox("The custom tags could not be written", vbOK);
    menus()->mnuTagNodeAddCustom->trigger();
    EXPECT_EQ(customTexts(), QStringList{"<kept></kept>"});

    qputenv("XDG_CONFIG_HOME", config);
    ASSERT_TRUE(mainWindow->unload());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(stored("Custom_1"), "<kept></kept>");
    EXPECT_EQ(stored("NumCustomTags"), "1");
}

TEST_F(ResourceTreeTest, TheViewMenuBringsEachPaneToTheFrontAndShowsAHiddenPanel) {
    openMainWindow();
    mainWindow->mnuOptionsProjectExplorer->trigger();
    EXPECT_EQ(mainWindow->tbsMain->currentIndex(), 3);
    EXPECT_TRUE(mainWindow->lstProjects->isVisible());

    showPanel = false;
    mainWindow->picFile->hide();
    mainWindow->mnuOptionsFileList->setChecked(false);
    mainWindow->setPicFileWidth(150);
    mainWindow->mnuOptionsHtmlExplorer->trigger();
    EXPECT_TRUE(showPanel);
    EXPECT_TRUE(mainWindow->picFile->isVisible());
    EXPECT_TRUE(mainWindow->mnuOptionsFileList->isChecked());
    EXPECT_EQ(mainWindow->picFileWidth(), pixelsToTwips(mainWindow->width()) / 5);
    EXPECT_TRUE(mainWindow->treTags->isVisible());
    EXPECT_TRUE(mainWindow->treTags->hasFocus());

    mainWindow->mnuOptionsJavascriptExplorer->trigger();
    EXPECT_TRUE(mainWindow->treScript->isVisible());
    EXPECT_FALSE(mainWindow->treTags->isVisible());
    mainWindow->mnuOptionsFileExplorer->trigger();
    EXPECT_TRUE(mainWindow->treMain->isVisible());
    EXPECT_TRUE(mainWindow->filList->isVisible());
    EXPECT_FALSE(mainWindow->treScript->isVisible());
}

TEST_F(ResourceTreeTest, TheScriptTabTriesAgainUntilALoadSucceeds) {
    QFile::remove(programDir + "script.dat");
    saveSetting("Kavrin Pro", "DontShowAgain", "scriptData", "True");  // the notice at start
    openMainWindow();
    useScriptTree();
    QTabBar* tabs = mainWindow->tbsMain->tabBar();
    const QString missing = "The data file '" + programDir + "script.dat' was not found.";
    expectMsgBox(missing, vbOK);
    tabs->setCurrentIndex(2);
    EXPECT_TRUE(tree()->isVisible());
    EXPECT_EQ(tree()->topLevelItemCount(), 0);
    tabs->setCurrentIndex(0);
    expectMsgBox(missing, vbOK);
    tabs->setCurrentIndex(2);

    writeFile("../program/script.dat", "window,x,document, document, object\r\nnowhere,x,, lost, property\r\n");
    expectMsgBox("An error occurred while loading the JavaScript Explorer:\n\nLine 2", vbOK);
    tabs->setCurrentIndex(0);
    tabs->setCurrentIndex(2);
    EXPECT_EQ(childTexts(at("Window")), QStringList{"document"});
    EXPECT_EQ(tree()->topLevelItemCount(), 1);

    // The next try starts from an empty tree; after a whole load the file is not read again.
    writeFile("../program/script.dat", "window,x,document, document, object\r\n");
    tabs->setCurrentIndex(0);
    tabs->setCurrentIndex(2);
    EXPECT_EQ(tree()->topLevelItemCount(), 8);
    EXPECT_EQ(childTexts(at("Window")), QStringList{"document"});
    QFile::remove(programDir + "script.dat");
    tabs->setCurrentIndex(0);
    tabs->setCurrentIndex(2);
    EXPECT_EQ(tree()->topLevelItemCount(), 8);
}

TEST_F(ResourceTreeTest, DoubleClickingAScriptItemWritesItAsOneUndoStep) {
    writeFile("../program/script.dat",
              "window,x,document, document, object\r\n"
              "document,x,, write(text;more), method\r\n"
              "document,x,, onLoad=, event\r\n"
              "document,x,, reload, method\r\n");
    openMainWindow();
    useScriptTree();
    mainWindow->mnuOptionsJavascriptExplorer->trigger();
    RichTextBox* editor = openDocument("a|old|b");
    DocumentWindow* doc = activeDocument();
    const int steps = int(doc->undoList().size());

    QTreeWidgetItem* document = at("Window|document");
    doubleClick(document);  // an item with children only opens
    EXPECT_TRUE(document->isExpanded());
    EXPECT_EQ(editor->text(), "aoldb");
    doubleClick(at("Window|document|write(text,more)"));
    EXPECT_EQ(editor->text(), "awrite()b");
    EXPECT_EQ(editor->selStart(), 7);
    EXPECT_TRUE(editor->hasFocus());
    EXPECT_EQ(doc->undoList().size(), steps + 1);
    mainWindow->mnuEditUndo->trigger();
    EXPECT_EQ(editor->text(), "aoldb");

    editor->setText("<body >");
    editor->setSelStart(6);
    doubleClick(at("Window|document|onLoad="));
    EXPECT_EQ(editor->text(), "<body onLoad=\"\">");
    EXPECT_EQ(editor->selStart(), 14);
    editor->setText("");
    doubleClick(at("Window|document|reload"));
    EXPECT_EQ(editor->selStart(), 7);
    editor->setSelStart(8);
    doubleClick(at("parseInt(string [, radix]))"));
    EXPECT_EQ(editor->text(), "reload()parseInt()");

    doc->mode = 2;
    doubleClick(at("eval(expression)"));
    EXPECT_EQ(editor->text(), "reload()parseInt()");
}

}  // namespace
}  // namespace kavrin::test
