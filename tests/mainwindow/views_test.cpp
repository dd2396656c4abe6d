// The Edit, Browse and Design views of a document on the real web engine, and the main window's
// menus, toolbars and boxes that follow them.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include "documents/docstate.h"
#include "documents/inserthtml.h"
#include "designwait.h"
#include "mainwindow/shutdown.h"
#include "mainwindow_fixture.h"
#include "platform/designfont.h"
#include "tagdialogs/frmColor.h"

// Differences show as text.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }
inline void PrintTo(const QByteArray& bytes, std::ostream* os) { *os << '"' << bytes.toStdString() << '"'; }

namespace kavrin::test {
namespace {

constexpr int kWait = 20000;

// A page as people write them: a doctype, a comment before the page, a script that would write
// into the page, entities, unquoted values, a style sheet and a picture found by relative links.
const QByteArray kPage =
    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\r\n"
    "<!-- site menu v2 -->\r\n"
    "<html>\r\n"
    "<head>\r\n"
    "<meta name=\"GENERATOR\" content=\"MSHTML 5.50.4522.1800\">\r\n"
    "<title>Caf&eacute; &amp; bar</title>\r\n"
    "<link rel=stylesheet href=\"css/site.css\">\r\n"
    "<script language=JavaScript>document.write('<p id=written>written</p>');</script>\r\n"
    "</head>\r\n"
    "<body bgcolor=#ffffff>\r\n"
    "<h1 class=title>Menu</h1>\r\n"
    "<p id=intro>Coffee&nbsp;&copy; 2001 <img src=\"img/cup.png\" width=10 height=10></p>\r\n"
    "<table border=1>\r\n"
    "<tr><td id=cell>one</td><td>two</td></tr>\r\n"
    "</table>\r\n"
    "<div id=box>boxed <table><tr><td id=inner>x</td></tr></table></div>\r\n"
    "<p id=last>The end</p>\r\n"
    "</body>\r\n"
    "</html>\r\n";

// A tiny red picture.
const QByteArray kPng = QByteArray::fromBase64(
    "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8DwHwAFBQIAX8jx0gAAAABJRU5ErkJggg==");

class ViewsTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        enableBrowserAndDesigner = true;
        start();
        enableBrowserAndDesigner = true;
        writeFile("site/css/site.css", "h1 { color: rgb(0, 128, 0); }");
        writeFile("site/img/cup.png", kPng);
        pagePath = writeFile("site/page.htm", kPage);
    }

    DocumentWindow* openPage() {
        mainWindow->openFile(pagePath);
        DocumentWindow* doc = activeDocument();
        EXPECT_NE(doc, nullptr);
        EXPECT_TRUE(doc && doc->hasViews());
        return doc;
    }

    // Selects a view's tab; leaving Design waits for the page's answer, without holding input.
    static void view(DocumentWindow* doc, int tab) {
        doc->tbsMain->setCurrentIndex(tab);
        EXPECT_TRUE(QTest::qWaitFor([&] { return doc->mode == tab; }, kWait)) << "the view did not change";
    }

    static void design(DocumentWindow* doc) {
        view(doc, 2);
        ASSERT_TRUE(waitDesignReady(*doc->dhtm, kWait)) << "the design view never loaded";
    }

    // Runs a script in the design page's own world and returns its result.
    static QVariant js(QWebEngineView* view, const QString& script) {
        QVariant result;
        bool done = false;
        view->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld, [&](const QVariant& v) {
            result = v;
            done = true;
        });
        EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, kWait));
        return result;
    }

    // Puts the design caret into the element with this id (its start, or its whole text).
    static void caretInto(DocumentWindow* doc, const QString& id, bool selectText = false) {
        QSignalSpy changed(doc->dhtm, &DhtmlEdit::DisplayChanged);
        js(doc->dhtm->view(), QString("(() => { const r = document.createRange(); const n = document.getElementById('%1');"
                                      "r.selectNodeContents(n); if (!%2) r.collapse(true);"
                                      "getSelection().removeAllRanges(); getSelection().addRange(r); })()")
                                  .arg(id, selectText ? "true" : "false"));
        EXPECT_TRUE(changed.wait(kWait) || changed.count() > 0);
    }

    // Types into the design view at its caret, as the engine's typing does.
    static void typeInDesign(DocumentWindow* doc, const QString& text) {
        js(doc->dhtm->view(), QString("document.execCommand('insertText', false, '%1')").arg(text));
        EXPECT_TRUE(QTest::qWaitFor([&] { return currentHtml(*doc->dhtm).contains(text); }, kWait));
    }

    // Keys go where a person's would only in the active window.
    static void activateMainWindow() {
        mainWindow->activateWindow();
        QApplication::setActiveWindow(mainWindow);
        ASSERT_TRUE(QTest::qWaitForWindowActive(mainWindow));
    }

    // The widget the design view takes the user's keys and clicks through.
    static QWidget* designInput(DocumentWindow* doc) { return doc->dhtm->view()->focusProxy(); }

    // A real click into the middle of the element with this id, then End, as a person puts the
    // caret at the end of a line.
    static void clickToLineEnd(DocumentWindow* doc, const QString& id) {
        const QVariantList box =
            js(doc->dhtm->view(), QString("(() => { const b = document.getElementById('%1').getBoundingClientRect();"
                                          "return [b.left, b.top, b.width, b.height]; })()")
                                      .arg(id))
                .toList();
        ASSERT_EQ(box.size(), 4);
        const QPoint at(int(box[0].toDouble() + box[2].toDouble() / 2), int(box[1].toDouble() + box[3].toDouble() / 2));
        QTest::mouseClick(designInput(doc), Qt::LeftButton, {}, at);
        QTest::keyClick(designInput(doc), Qt::Key_End);
    }

    QString pagePath;
};

TEST_F(ViewsTest, DesignLeavesTheSourceAloneUntilTheUserChangesSomethingThenOneUndoStep) {
    DocumentWindow* doc = openPage();
    RichTextBox* editor = doc->txtMain;
    const QString original = editor->text();
    editor->setSelStart(int(original.indexOf("The end")));

    // Design and back, Design and Browse: the engine rewrote the page as it loaded it (doctype,
    // quotes, the script's output, entities), yet not a byte of the source changes.
    design(doc);
    EXPECT_TRUE(mainWindow->mnuViewDesign->isChecked());
    EXPECT_TRUE(mainWindow->picDesignTools->isVisible());
    EXPECT_FALSE(doc->dhtm->loadedHTML().contains("id=\"written\"")) << "the page's own script ran";
    EXPECT_NE(doc->dhtm->loadedHTML(), original);
    view(doc, 0);
    EXPECT_EQ(editor->text(), original);
    EXPECT_EQ(doc->undoI, 0);
    EXPECT_TRUE(doc->fileSaved);
    EXPECT_TRUE(mainWindow->mnuViewEdit->isChecked());
    EXPECT_FALSE(mainWindow->picDesignTools->isVisible());

    // Clicking the tab of the view already shown changes nothing.
    doc->tbsMain_Click();
    EXPECT_EQ(doc->mode, 0);

    // Typed into the design view: one undo step with exactly that change, the control's own
    // generator tag gone, the caret where it was.
    design(doc);
    caretInto(doc, "intro");
    typeInDesign(doc, "Fresh ");
    EXPECT_TRUE(doc->dhtm->IsDirty());
    EXPECT_FALSE(doc->fileSaved);
    view(doc, 0);
    QString expected = original;
    expected.replace("<p id=intro>Coffee", "<p id=intro>Fresh Coffee");
    expected.remove("<meta name=\"GENERATOR\" content=\"MSHTML 5.50.4522.1800\">");
    EXPECT_EQ(editor->text(), expected);
    EXPECT_EQ(doc->undoI, 1);
    EXPECT_EQ(editor->selStart(), int(expected.indexOf("The end")));
    mainWindow->mnuEditUndo_Click();
    EXPECT_EQ(editor->text(), original);
}

TEST_F(ViewsTest, BrowseShowsTheSavedPageWithItsPicturesAndStylesThroughACopyBesideIt) {
    DocumentWindow* doc = openPage();
    doc->txtMain->setText(QString::fromLatin1(kPage).replace("Menu", "Edited menu"));
    doc->txtMain->setSelStart(0);
    QTest::keyClicks(doc->txtMain, " ");
    ASSERT_GE(doc->undoI, 1);
    const QString source = doc->txtMain->text();
    const QString copy = pagePath + ".browse";
    QSignalSpy loaded(doc->webBrowser->view(), &QWebEngineView::loadFinished);
    mainWindow->mnuViewBrowse_Click();
    EXPECT_EQ(doc->mode, 1);
    EXPECT_TRUE(mainWindow->mnuViewBrowse->isChecked());
    // The source is not shown: its history cannot be stepped through blind.
    EXPECT_FALSE(mainWindow->mnuEditUndo->isEnabled());
    EXPECT_FALSE(mainWindow->mnuEditRedo->isEnabled());
    mainWindow->mnuEditUndo_Click();
    EXPECT_EQ(doc->txtMain->text(), source);
    EXPECT_FALSE(mainWindow->mnuInsertImage->isEnabled());
    EXPECT_TRUE(QFile::exists(copy));
    EXPECT_EQ(readFile(pagePath), kPage) << "Browse must not write the document itself";
    ASSERT_TRUE(loaded.wait(kWait) || loaded.count() > 0);

    // Shown as HTML, with the edited text, the style sheet and the picture found relative to it.
    QWebEngineView* page = doc->webBrowser->view();
    EXPECT_TRUE(QTest::qWaitFor([&] { return js(page, "document.images.length && document.images[0].naturalWidth").toInt() == 1; },
                                kWait));
    EXPECT_EQ(js(page, "document.querySelector('h1').textContent").toString(), "Edited menu");
    EXPECT_EQ(js(page, "getComputedStyle(document.querySelector('h1')).color").toString(), "rgb(0, 128, 0)");
    // The address box shows the document's own path, once however often it is reached.
    EXPECT_EQ(mainWindow->cboUrl->itemText(0), pagePath);
    view(doc, 0);
    EXPECT_FALSE(QFile::exists(copy));
    view(doc, 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return mainWindow->cboUrl->count() >= 1 && loaded.count() >= 2; }, kWait));
    EXPECT_EQ(mainWindow->cboUrl->count(), 1);

    // Another address typed into the box is visited and goes first; the page's own comes second.
    const QString other = writeFile("site/other.htm", "<p>other</p>");
    mainWindow->cboUrl->setEditText(other);
    int enter = 13;
    mainWindow->cboUrl_KeyPress(enter);
    EXPECT_TRUE(QTest::qWaitFor([&] { return mainWindow->cboUrl->itemText(0) == other; }, kWait));
    EXPECT_EQ(mainWindow->cboUrl->count(), 2);
    mainWindow->tbrIe_ButtonClick(1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return mainWindow->cboUrl->itemText(0) == pagePath; }, kWait));
    EXPECT_EQ(mainWindow->cboUrl->count(), 2);

    // Closing the window in Browse removes its copy too.
    EXPECT_TRUE(QFile::exists(copy));
    doc->fileSaved = true;
    doc->unload();
    EXPECT_FALSE(QFile::exists(copy));
}

TEST_F(ViewsTest, AnUntitledPageIsBrowsedFromTheWorkFolder) {
    newDocument();
    DocumentWindow* doc = activeDocument();
    doc->txtMain->setText("<p>untitled page</p>");
    QSignalSpy loaded(doc->webBrowser->view(), &QWebEngineView::loadFinished);
    view(doc, 1);
    EXPECT_EQ(readFile(tempDir + "temp.htm"), "<p>untitled page</p>");
    EXPECT_FALSE(QFile::exists(programDir + "temp.htm"));
    ASSERT_TRUE(loaded.wait(kWait) || loaded.count() > 0);
    EXPECT_EQ(js(doc->webBrowser->view(), "document.body.textContent").toString(), "untitled page");
    EXPECT_TRUE(doc->browseFiles.isEmpty());
}

TEST_F(ViewsTest, ButtonsAndBoxesFollowTheDesignSelectionAndDriveIt) {
    DocumentWindow* doc = openPage();
    design(doc);
    QAction* bold = mainWindow->tbrDHTM->button("bold");
    QAction* addRow = mainWindow->tbrDHTM->button("add_row");

    // Outside a table the table buttons are off and the table commands do nothing.
    caretInto(doc, "last", true);
    EXPECT_FALSE(bold->isChecked());
    EXPECT_FALSE(addRow->isEnabled());
    EXPECT_EQ(mainWindow->cboFormat->currentText(), "Normal");
    const QString before = currentHtml(*doc->dhtm);
    mainWindow->tbrDHTM_ButtonClick("add_row");
    EXPECT_EQ(currentHtml(*doc->dhtm), before);

    // Bold from the toolbar: the page changes and the button shows it pressed.
    mainWindow->tbrDHTM_ButtonClick("bold");
    EXPECT_TRUE(currentHtml(*doc->dhtm).contains("<b>The end</b>"));
    EXPECT_TRUE(bold->isChecked());

    // In a table cell the table buttons come on; a row goes in above.
    caretInto(doc, "cell");
    EXPECT_TRUE(addRow->isEnabled());
    EXPECT_FALSE(bold->isChecked());
    mainWindow->tbrDHTM_ButtonClick("add_row");
    EXPECT_TRUE(currentHtml(*doc->dhtm).contains("<tr><td></td><td></td></tr><tr><td id=\"cell\">"));
    caretInto(doc, "cell");
    mainWindow->tbrDHTM_ButtonClick("add_col");
    EXPECT_TRUE(currentHtml(*doc->dhtm).contains("<tr><td></td><td id=\"cell\">one</td><td>two</td></tr>"));

    // Undo takes back the column, the row and the bold, one a click, and says when nothing is
    // left; Redo brings them back.
    const QString columned = currentHtml(*doc->dhtm);
    QAction* undo = mainWindow->tbrMainB->button("undo");
    QAction* redo = mainWindow->tbrMainB->button("redo");
    EXPECT_TRUE(undo->isEnabled());
    EXPECT_FALSE(redo->isEnabled());
    mainWindow->mnuEditUndo_Click();
    EXPECT_TRUE(currentHtml(*doc->dhtm).contains("<tr><td></td><td></td></tr><tr><td id=\"cell\">one</td><td>two"));
    EXPECT_TRUE(redo->isEnabled());
    mainWindow->mnuEditUndo_Click();
    EXPECT_TRUE(currentHtml(*doc->dhtm).contains("<b>The end</b>"));
    mainWindow->mnuEditUndo_Click();
    EXPECT_EQ(currentHtml(*doc->dhtm), before);
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_FALSE(mainWindow->mnuEditUndo->isEnabled());
    for (int i = 0; i < 3; ++i) mainWindow->mnuEditRedo_Click();
    EXPECT_EQ(currentHtml(*doc->dhtm), columned);
    EXPECT_FALSE(redo->isEnabled());

    // The format box names the block; choosing a heading makes one.
    caretInto(doc, "last");
    mainWindow->cboFormat->setCurrentText("Heading 2");
    mainWindow->cboFormat_Click();
    EXPECT_TRUE(currentHtml(*doc->dhtm).contains("<b>The end</b></h2>"));
    EXPECT_EQ(mainWindow->cboFormat->currentText(), "Heading 2");

    // The size box: the third entry is size 3. A selection over two fonts empties the font box.
    caretInto(doc, "intro", true);
    mainWindow->cboSize->setCurrentIndex(4);
    mainWindow->cboSize_Click();
    EXPECT_TRUE(currentHtml(*doc->dhtm).contains("<font size=\"5\">"));
    EXPECT_EQ(mainWindow->cboSize->currentText(), "5");
    mainWindow->cboFont->setCurrentText("Courier");
    mainWindow->cboFont_Click();
    js(doc->dhtm->view(), "(() => { const r = document.createRange(); r.setStart(document.querySelector('h1'), 0);"
                          "r.setEnd(document.getElementById('intro'), 1); getSelection().removeAllRanges();"
                          "getSelection().addRange(r); })()");
    EXPECT_TRUE(QTest::qWaitFor([&] { return doc->dhtm->QueryStatus(DECMD_GETFONTNAME) == DECMDF_NINCHED; }, kWait));
    mainWindow->updateFontCombos();
    EXPECT_EQ(mainWindow->cboFont->currentText(), "");
    EXPECT_TRUE(mainWindow->cboFont->isEnabled());

    // Alignment from the colour toolbar.
    caretInto(doc, "cell");
    mainWindow->tbrColor_ButtonClick("center");
    EXPECT_TRUE(QTest::qWaitFor([&] { return mainWindow->tbrColor->button("center")->isChecked(); }, kWait));
}

TEST_F(ViewsTest, TheContextMenuHasItsGroupsWhereTheSelectionIs) {
    DocumentWindow* doc = openPage();
    design(doc);
    auto menuTexts = [&](const QString& id) {
        caretInto(doc, id);
        doc->dhtm_ShowContextMenu(10, 10);
        QStringList texts;
        for (QAction* a : doc->dhtm->contextMenu()->actions()) texts << (a->isSeparator() ? "-" : a->text());
        doc->dhtm->contextMenu()->hide();
        return texts;
    };
    const QStringList fixed{"Cut", "Copy", "Paste", "-", "Select All", "-", "Font..."};
    const QStringList table{"-", "Insert Row", "Insert Column", "-", "Delete Row", "Delete Column"};
    EXPECT_EQ(menuTexts("last"), fixed);
    EXPECT_EQ(menuTexts("cell"), fixed + table);
    const QStringList positioning{"-", "Make 2D"};
    EXPECT_EQ(menuTexts("box"), fixed + positioning);
    EXPECT_EQ(menuTexts("inner"), fixed + positioning + table);

    // Entries run their commands by their place in the menu: Insert Column after the
    // positioning group, then Make 2D, which turns the menu's entry into "Make 1D".
    caretInto(doc, "inner");
    doc->dhtm_ShowContextMenu(10, 10);
    doc->dhtm->contextMenu()->actions().at(11)->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return currentHtml(*doc->dhtm).contains("<td></td><td id=\"inner\">"); }, kWait));
    doc->dhtm_ContextMenuAction(8);
    EXPECT_TRUE(currentHtml(*doc->dhtm).contains("position: absolute"));
    EXPECT_EQ(menuTexts("inner").at(8), "Make 1D");

    // "Font..." opens the control's font dialog; its choice applies to the selection.
    caretInto(doc, "last", true);
    expectModal("DesignFontDialog", [](Form& form) {
        auto& dialog = static_cast<DesignFontDialog&>(form);
        EXPECT_TRUE(dialog.isVisible());
        dialog.chkItalic->setChecked(true);
        dialog.cmdOk_Click();
    });
    doc->dhtm_ContextMenuAction(6);
    EXPECT_TRUE(currentHtml(*doc->dhtm).contains("<i>The end</i>"));
}

TEST_F(ViewsTest, SaveAndEditCommandsInDesignWorkOnWhatDesignShows) {
    DocumentWindow* doc = openPage();
    design(doc);
    caretInto(doc, "last", true);
    mainWindow->tbrDHTM_ButtonClick("italic");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !doc->fileSaved; }, kWait));

    // Save writes what the design view shows once the page has told it; the view stays and
    // counts changes from there.
    mainWindow->mnuFileSave_Click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return doc->fileSaved; }, kWait));
    EXPECT_EQ(doc->mode, 2);
    QByteArray expected = kPage;
    expected.replace("<p id=last>The end</p>", "<p id=last><i>The end</i></p>");
    expected.replace("<meta name=\"GENERATOR\" content=\"MSHTML 5.50.4522.1800\">", "");
    EXPECT_EQ(readFile(pagePath), expected);
    EXPECT_FALSE(doc->dhtm->IsDirty());
    EXPECT_EQ(doc->undoI, 1);

    // Undo, select all and the insertion of the dialogs go to the design view, not the source.
    mainWindow->mnuEditUndo_Click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !currentHtml(*doc->dhtm).contains("<i>The end</i>"); }, kWait));
    EXPECT_EQ(doc->txtMain->text().toUtf8(), expected);
    caretInto(doc, "last");
    insertHtml("<hr class=\"x\">", "", "", 3);
    EXPECT_TRUE(currentHtml(*doc->dhtm).contains("<hr class=\"x\">"));
    EXPECT_EQ(doc->txtMain->text().toUtf8(), expected);

    // Save As into another folder: the file holds the page, the design view its new place.
    const QString moved = workDir + "elsewhere.htm";
    expectSave(moved);
    mainWindow->mnuFileSaveAs_Click();
    EXPECT_TRUE(QString::fromUtf8(readFile(moved)).contains("<hr class=\"x\">"));
    EXPECT_EQ(doc->dhtmDocPath, moved);
    EXPECT_EQ(doc->dhtm->BaseURL(), moved);
}

TEST_F(ViewsTest, EachActivationShowsTheActiveDocumentsViewAndHistory) {
    DocumentWindow* designed = openPage();
    design(designed);
    caretInto(designed, "last");
    typeInDesign(designed, "kept ");
    // A second document with its own history.
    newDocument();
    DocumentWindow* plain = activeDocument();
    plain->txtMain->setSelStart(0);
    QTest::keyClicks(plain->txtMain, "ab");
    ASSERT_GE(plain->undoI, 1);
    EXPECT_TRUE(mainWindow->mnuEditUndo->isEnabled());
    EXPECT_FALSE(mainWindow->picDesignTools->isVisible());
    // Untouched third one: Undo follows it, not the document that changed last.
    newDocument();
    EXPECT_FALSE(mainWindow->mnuEditUndo->isEnabled());
    EXPECT_FALSE(mainWindow->tbrMainB->button("undo")->isEnabled());
    mainWindow->mdiArea()->setActiveSubWindow(plain->subWindow());
    EXPECT_TRUE(mainWindow->mnuEditUndo->isEnabled());

    // Back to the designed one: the design state again, and what was typed there is still there.
    mainWindow->mdiArea()->setActiveSubWindow(designed->subWindow());
    EXPECT_TRUE(mainWindow->mnuViewDesign->isChecked());
    EXPECT_TRUE(mainWindow->picDesignTools->isVisible());
    EXPECT_TRUE(currentHtml(*designed->dhtm).contains("kept The end"));
    EXPECT_TRUE(mainWindow->mnuEditUndo->isEnabled()) << "the typing in Design can be undone";
    EXPECT_FALSE(mainWindow->mnuEditRedo->isEnabled());
    view(designed, 0);
    EXPECT_TRUE(designed->txtMain->text().contains("<p id=last>kept The end</p>"));
}

TEST_F(ViewsTest, ClosingTheLastDocumentInDesignPutsBackTheSourceToolbars) {
    DocumentWindow* doc = openPage();
    design(doc);
    ASSERT_TRUE(mainWindow->picDesignTools->isVisible());
    mainWindow->mnuFileClose_Click();
    ASSERT_TRUE(QTest::qWaitFor([] { return Form::documentCount() == 0; }, kWait));
    // The design rows would act on no page: the tag headers come back and Edit is checked again.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !mainWindow->picDesignTools->isVisible(); }, kWait));
    EXPECT_TRUE(mainWindow->mnuViewEdit->isChecked());
    EXPECT_FALSE(mainWindow->mnuViewDesign->isChecked());
}

TEST_F(ViewsTest, CloseAllAfterAnUndoneAndRedoneTableCommandSavesWhatDesignShows) {
    DocumentWindow* doc = openPage();
    design(doc);
    caretInto(doc, "cell");
    mainWindow->tbrDHTM_ButtonClick("delete_col");
    mainWindow->mnuEditUndo_Click();
    mainWindow->mnuEditRedo_Click();
    const QString shown = currentHtml(*doc->dhtm);
    EXPECT_TRUE(shown.contains("<tr><td>two</td></tr>")) << shown.toStdString();
    expectMsgBox("Save changes to 'page.htm'?", vbYes);
    mainWindow->mnuFileCloseAll_Click();
    ASSERT_TRUE(QTest::qWaitFor([] { return Form::documentCount() == 0; }, kWait));
    const QByteArray saved = readFile(pagePath);
    EXPECT_TRUE(saved.contains("<tr><td>two</td></tr>")) << saved.toStdString();
    EXPECT_FALSE(saved.contains("id=cell")) << "the column came back";
    EXPECT_FALSE(saved.contains("\xe2\x81\xa3")) << "the history's marks reached the file";
}


TEST_F(ViewsTest, ATableButtonHandsTheKeysBackToThePage) {
    DocumentWindow* doc = openPage();
    design(doc);
    mainWindow->activateWindow();
    QApplication::setActiveWindow(mainWindow);
    ASSERT_TRUE(QTest::qWaitForWindowActive(mainWindow));
    caretInto(doc, "cell");
    mainWindow->tbrDHTM_ButtonClick("add_row");
    ASSERT_TRUE(QTest::qWaitFor([&] { return currentHtml(*doc->dhtm).contains("<tr><td></td><td></td></tr>"); }, kWait));
    // Keys typed next go to the widget with the focus: it must be the page's, or they vanish.
    EXPECT_EQ(QApplication::focusWidget(), designInput(doc));
}

TEST_F(ViewsTest, KeysAndClicksInDesignReachTheSavedFileAndNothingElseChanges) {
    DocumentWindow* doc = openPage();
    design(doc);
    clickToLineEnd(doc, "last");
    QTest::keyClicks(designInput(doc), "XYZ");
    clickToLineEnd(doc, "cell");
    QTest::keyClicks(designInput(doc), "Q");
    // Straight back to Edit and Save, as fast as a person can: nothing typed is missing.
    view(doc, 0);
    mainWindow->mnuFileSave_Click();
    ASSERT_TRUE(doc->fileSaved);
    QByteArray expected = kPage;
    expected.replace("<p id=last>The end</p>", "<p id=last>The endXYZ</p>");
    expected.replace("<td id=cell>one</td>", "<td id=cell>oneQ</td>");
    expected.replace("<meta name=\"GENERATOR\" content=\"MSHTML 5.50.4522.1800\">", "");
    EXPECT_EQ(readFile(pagePath).toStdString(), expected.toStdString());
}

TEST_F(ViewsTest, KeysTypedWhileDesignIsBeingBuiltLandInOrderEvenWhenTheUserLeavesAtOnce) {
    const QString path = writeFile("site/keys.htm", "<p>Menu</p>\r\n<p>Drinks</p>\r\n");
    mainWindow->openFile(path);
    DocumentWindow* doc = activeDocument();
    activateMainWindow();
    // View > Design, and typing on at once: a word with a slip mended, bold from the keyboard, a
    // new paragraph. The caret starts at the page's first word.
    auto typeStraightAfterDesign = [&] {
        mainWindow->mnuViewDesign->trigger();
        ASSERT_TRUE(QTest::qWaitFor([&] { return doc->mode == 2; }, kWait));
        ASSERT_FALSE(doc->dhtm->isReady()) << "the keys must come while the page is being built";
        QWidget* keys = QApplication::focusWidget();
        ASSERT_NE(keys, nullptr);
        QTest::keyClicks(keys, "Hot");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
        QTest::keyClicks(QApplication::focusWidget(), "P");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_B, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), "X");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    };

    // Left again before the page was ready: the keys still reach the page, and from it the source.
    typeStraightAfterDesign();
    mainWindow->mnuViewEdit_Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return doc->mode == 0; }, kWait));
    QString source = doc->txtMain->text();
    EXPECT_TRUE(source.startsWith("<p>HoP<b>X</b></p>")) << source.toStdString();
    EXPECT_TRUE(source.contains("<p>Menu</p>")) << source.toStdString();
    EXPECT_FALSE(doc->fileSaved);

    // Staying in Design, they land as typed, and the keys after them too.
    typeStraightAfterDesign();
    ASSERT_TRUE(waitDesignReady(*doc->dhtm, kWait));
    QTest::keyClicks(QApplication::focusWidget(), "Y");
    EXPECT_TRUE(QTest::qWaitFor([&] { return currentHtml(*doc->dhtm).contains("<p>HoP<b>X</b></p><p>Y"); }, kWait))
        << doc->dhtm->DocumentHTML().toStdString();
}

TEST_F(ViewsTest, LeavingDesignWaitsForASlowPageAndKeepsTheEditWhenItNeverAnswers) {
    DocumentWindow* doc = openPage();
    design(doc);
    clickToLineEnd(doc, "last");

    // The page's reports are late: the switch waits for them while the user goes on typing.
    doc->dhtm->holdReports(true);
    QTest::keyClicks(designInput(doc), "AB");
    doc->tbsMain->setCurrentIndex(0);
    EXPECT_EQ(doc->mode, 2);
    EXPECT_EQ(doc->tbsMain->currentIndex(), 2);
    QTest::keyClicks(designInput(doc), "C");
    QTest::qWait(200);
    EXPECT_EQ(doc->mode, 2) << "left Design before the page had told its text";
    doc->dhtm->holdReports(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return doc->mode == 0; }, kWait));
    EXPECT_TRUE(doc->txtMain->text().contains("<p id=last>The endABC</p>"));

    // A page that never answers: the user is told, the document stays in Design and unsaved,
    // and saving writes nothing it could not read.
    view(doc, 2);
    ASSERT_TRUE(waitDesignReady(*doc->dhtm, kWait));
    clickToLineEnd(doc, "last");
    ASSERT_TRUE(waitDesignCurrent(*doc->dhtm, kWait));
    const int timeout = DhtmlEdit::kCurrentTimeoutMs;
    DhtmlEdit::kCurrentTimeoutMs = 300;
    doc->dhtm->holdReports(true);
    QTest::keyClicks(designInput(doc), "D");
    expectMsgBox("did not answer", vbOK);
    doc->tbsMain->setCurrentIndex(0);
    QTest::qWait(600);
    EXPECT_EQ(doc->mode, 2);
    EXPECT_EQ(doc->tbsMain->currentIndex(), 2);
    EXPECT_FALSE(doc->fileSaved);
    const QByteArray onDisk = readFile(pagePath);
    expectMsgBox("did not answer", vbOK);
    mainWindow->mnuFileSave_Click();
    QTest::qWait(600);
    EXPECT_EQ(readFile(pagePath), onDisk);
    DhtmlEdit::kCurrentTimeoutMs = timeout;

    // Once it answers, the edit is there.
    doc->dhtm->holdReports(false);
    view(doc, 0);
    EXPECT_TRUE(doc->txtMain->text().contains("<p id=last>The endABCD</p>"));
}

TEST_F(ViewsTest, ClosingRightAfterTypingInDesignAsksAboutWhatWasTyped) {
    DocumentWindow* doc = openPage();
    design(doc);
    clickToLineEnd(doc, "last");
    ASSERT_TRUE(waitDesignCurrent(*doc->dhtm, kWait));
    // Closed before the page has told of the key: the question waits for it instead of
    // closing a document that looks saved.
    doc->dhtm->holdReports(true);
    QTest::keyClicks(designInput(doc), "W");
    mainWindow->mnuFileClose_Click();
    QTest::qWait(200);
    EXPECT_EQ(Form::documentCount(), 1);
    expectMsgBox("Save changes to 'page.htm'?", vbYes);
    doc->dhtm->holdReports(false);
    ASSERT_TRUE(QTest::qWaitFor([] { return Form::documentCount() == 0; }, kWait));
    EXPECT_TRUE(readFile(pagePath).contains("<p id=last>The endW</p>"));
}

// Commands that close a document in Design which has just been typed into: its page has not told
// of the key yet, so the close waits for it, and the command goes on once the window has gone.
TEST_F(ViewsTest, SaveAsOntoADocumentJustTypedIntoInDesignAsksThereThenWritesAndRenames) {
    DocumentWindow* other = openPage();
    design(other);
    clickToLineEnd(other, "last");
    ASSERT_TRUE(waitDesignCurrent(*other->dhtm, kWait));
    newDocument();
    DocumentWindow* doc = activeDocument();
    QTest::keyClicks(doc->txtMain, "<p>mine</p>");
    auto typeIntoOther = [&](const QString& keys) {
        other->dhtm->holdReports(true);
        QTest::keyClicks(designInput(other), keys);
        QTimer::singleShot(100, other->dhtm, [dhtm = other->dhtm] { dhtm->holdReports(false); });
    };

    // Cancel in the other window's question stops the Save As: nothing written, nothing renamed.
    typeIntoOther("W");
    expectSave(pagePath);
    expectMsgBox("Do you want to replace it?", vbYes);
    expectMsgBox("Save changes to 'page.htm'?", vbCancel);
    mainWindow->mnuFileSaveAs_Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return allAnswered(); }, kWait));
    QTest::qWait(100);
    EXPECT_EQ(readFile(pagePath), kPage);
    EXPECT_EQ(Form::documentCount(), 2);
    EXPECT_TRUE(doc->filePath.startsWith("Untitled"));
    EXPECT_FALSE(doc->fileSaved);
    EXPECT_FALSE(unloadCancelled);

    // No: the other window goes without saving, and the file holds the saving document's text.
    typeIntoOther("V");
    expectSave(pagePath);
    expectMsgBox("Do you want to replace it?", vbYes);
    expectMsgBox("Save changes to 'page.htm'?", vbNo);
    mainWindow->mnuFileSaveAs_Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return doc->fileSaved; }, kWait));
    EXPECT_EQ(readFile(pagePath), "<p>mine</p>");
    EXPECT_EQ(Form::documentCount(), 1);
    EXPECT_EQ(doc->filePath, pagePath);
    EXPECT_EQ(doc->caption(), "page.htm");
    EXPECT_EQ(mainWindow->tbsPop->tabText(mainWindow->documentTabIndex(doc)), "page.htm");
}

TEST_F(ViewsTest, TheFileListDeletesAFileJustTypedIntoInDesignOnceItsWindowHasClosed) {
    DocumentWindow* doc = openPage();
    design(doc);
    clickToLineEnd(doc, "last");
    ASSERT_TRUE(waitDesignCurrent(*doc->dhtm, kWait));
    mainWindow->files->setPath(QFileInfo(pagePath).absolutePath());
    mainWindow->populateFileList();
    auto deleteAfterTyping = [&](const QString& keys, int answer) {
        mainWindow->filList->selectOnly(mainWindow->filList->findText("page.htm"));
        doc->dhtm->holdReports(true);
        QTest::keyClicks(designInput(doc), keys);
        expectMsgBox("Send '" + pagePath + "' to the recycle bin?", vbYes);
        expectMsgBox("is currently in use.", vbYes);
        expectMsgBox("Save changes to 'page.htm'?", answer);
        mainWindow->mnuFileListDelete_Click();
        QTimer::singleShot(100, doc->dhtm, [dhtm = doc->dhtm] { dhtm->holdReports(false); });
        ASSERT_TRUE(QTest::qWaitFor([&] { return allAnswered(); }, kWait));
    };

    // Kept open: the file stays.
    deleteAfterTyping("W", vbCancel);
    QTest::qWait(100);
    EXPECT_EQ(Form::documentCount(), 1);
    EXPECT_EQ(readFile(pagePath), kPage);

    deleteAfterTyping("V", vbNo);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !QFile::exists(pagePath); }, kWait));
    EXPECT_EQ(Form::documentCount(), 0);
    EXPECT_EQ(readFile(homeDir + ".local/share/Trash/files/page.htm"), kPage);
    EXPECT_EQ(mainWindow->filList->findText("page.htm"), -1);
}

TEST_F(ViewsTest, ANewDocumentJustTypedIntoInDesignStaysWhenFilesOpenFromTheList) {
    newDocument();
    DocumentWindow* fresh = activeDocument();
    ASSERT_EQ(fresh->filePath, "Untitled_0");
    design(fresh);
    QTest::mouseClick(designInput(fresh), Qt::LeftButton, {}, QPoint(20, 20));
    ASSERT_TRUE(waitDesignCurrent(*fresh->dhtm, kWait));
    fresh->dhtm->holdReports(true);
    QTest::keyClicks(designInput(fresh), "notes");
    ASSERT_TRUE(fresh->fileSaved) << "the page has not told of the keys yet";
    mainWindow->files->setPath(QFileInfo(pagePath).absolutePath());
    mainWindow->populateFileList();
    mainWindow->filList->selectOnly(mainWindow->filList->findText("page.htm"));
    mainWindow->mnuFileListOpen_Click();
    QTimer::singleShot(100, fresh->dhtm, [dhtm = fresh->dhtm] { dhtm->holdReports(false); });
    // It was typed into, so it is no untouched document to make way: no question, both open.
    ASSERT_TRUE(QTest::qWaitFor([] { return Form::documentCount() == 2; }, kWait));
    QTest::qWait(200);
    EXPECT_EQ(Form::documentCount(), 2);
    EXPECT_FALSE(fresh->fileSaved);
    EXPECT_EQ(activeDocument()->filePath, pagePath);
}

TEST_F(ViewsTest, TheSessionEndHearsWhetherTheProgramEndsOnceADocumentInDesignHasToldItsTyping) {
    DocumentWindow* doc = openPage();
    design(doc);
    clickToLineEnd(doc, "last");
    ASSERT_TRUE(waitDesignCurrent(*doc->dhtm, kWait));
    auto typeUntold = [&](const QString& keys) {
        doc->dhtm->holdReports(true);
        QTest::keyClicks(designInput(doc), keys);
        QTimer::singleShot(100, doc->dhtm, [dhtm = doc->dhtm] { dhtm->holdReports(false); });
    };

    // Kept by the user: the session is told the program stays.
    typeUntold("W");
    expectMsgBox("Save changes to 'page.htm'?", vbCancel);
    EXPECT_FALSE(closeForSession());
    ASSERT_NE(mainWindow, nullptr);
    EXPECT_EQ(Form::documentCount(), 1);

    typeUntold("V");
    expectMsgBox("Save changes to 'page.htm'?", vbYes);
    EXPECT_TRUE(closeForSession());
    EXPECT_EQ(mainWindow, nullptr);
    EXPECT_TRUE(readFile(pagePath).contains("<p id=last>The endWV</p>"));
}

TEST_F(ViewsTest, ColourFontSizeAndBlockFromTheDesignToolbarsReachTheSavedFile) {
    DocumentWindow* doc = openPage();
    design(doc);
    caretInto(doc, "last", true);
    expectModal("frmColor", [this](Form& form) {
        expectDialog("color", [](CommonDialog& d) {
            d.color = 0x0000FF;
            return true;
        });
        static_cast<frmColor&>(form).cmdOther_Click();
        static_cast<frmColor&>(form).cmdOk_Click();
    });
    mainWindow->tbrColor_ButtonClick("color");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !doc->fileSaved; }, kWait)) << "a colour is a change";
    caretInto(doc, "intro", true);
    mainWindow->cboFont->setCurrentText("Courier");
    mainWindow->cboFont_Click();
    mainWindow->cboSize->setCurrentIndex(4);
    mainWindow->cboSize_Click();
    caretInto(doc, "intro");
    mainWindow->cboFormat->setCurrentText("Heading 3");
    mainWindow->cboFormat_Click();
    mainWindow->mnuFileSave_Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return doc->fileSaved; }, kWait));
    const QString saved = QString::fromUtf8(readFile(pagePath));
    EXPECT_TRUE(saved.contains("<font color=\"#ff0000\">The end</font>")) << saved.toStdString();
    EXPECT_TRUE(saved.contains("<h3><font face=\"Courier\" size=\"5\">Coffee")) << saved.toStdString();
    EXPECT_TRUE(saved.contains("<table border=1>\r\n<tr><td id=cell>")) << "only the changed lines are rewritten";
}

TEST_F(ViewsTest, BrowseLeavesALinkOrAUsersFileAtTheCopysNameAloneAndStillShowsThePage) {
    const QString copy = pagePath + ".browse";
    const QString victim = writeFile("victim.txt", "precious");
    ASSERT_TRUE(QFile::link(victim, copy));
    DocumentWindow* doc = openPage();
    doc->txtMain->setText(QString::fromLatin1(kPage).replace("Menu", "Edited menu"));
    QWebEngineView* page = doc->webBrowser->view();
    QSignalSpy loaded(page, &QWebEngineView::loadFinished);
    auto showsTheEditedPageWhole = [&] {
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return js(page, "document.images.length && document.images[0].naturalWidth").toInt() == 1; }, kWait));
        EXPECT_EQ(js(page, "document.querySelector('h1').textContent").toString(), "Edited menu");
        EXPECT_EQ(js(page, "getComputedStyle(document.querySelector('h1')).color").toString(), "rgb(0, 128, 0)");
        EXPECT_EQ(mainWindow->cboUrl->itemText(0), pagePath);
    };

    view(doc, 1);
    ASSERT_TRUE(loaded.wait(kWait) || loaded.count() > 0);
    showsTheEditedPageWhole();
    EXPECT_EQ(readFile(victim), "precious");
    view(doc, 0);
    EXPECT_TRUE(QFileInfo(copy).isSymLink());
    EXPECT_EQ(readFile(victim), "precious");
    EXPECT_TRUE(QDir(tempDir).entryList({"*.browse"}, QDir::Files).isEmpty()) << "the private copy stayed";

    // A file of the user's that happens to bear the name.
    ASSERT_TRUE(QFile::remove(copy));
    writeFile("site/page.htm.browse", "my notes");
    view(doc, 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return loaded.count() >= 2; }, kWait));
    showsTheEditedPageWhole();
    doc->fileSaved = true;
    doc->unload();
    EXPECT_EQ(readFile(copy), "my notes");
}

TEST_F(ViewsTest, PageScriptsInBrowseReadNoLocalFileWhileThePageLoadsItsOwnPictureAndStyles) {
    const QString secret = writeFile("private/secret.txt", "secret words");
    const QString farPicture = writeFile("private/far.png", kPng);
    const QString fileUrl = QUrl::fromLocalFile(secret).toString();
    const QString localUrl = "kvpage:" + secret;
    const QString script =
        "<script>\r\n"
        "function report(id, text) { document.getElementById(id).textContent = text; }\r\n"
        "function viaXhr(id, url) {\r\n"
        "  try { var r = new XMLHttpRequest(); r.open('GET', url);\r\n"
        "    r.onload = function () { report(id, 'read ' + r.responseText); };\r\n"
        "    r.onerror = function () { report(id, 'refused'); }; r.send();\r\n"
        "  } catch (e) { report(id, 'refused'); }\r\n"
        "}\r\n"
        "viaXhr('byXhr', '" + fileUrl + "');\r\n"
        "viaXhr('localByXhr', '" + localUrl + "');\r\n"
        "fetch('" + fileUrl + "').then(function (r) { return r.text(); })\r\n"
        "  .then(function (t) { report('byFetch', 'read ' + t); }, function () { report('byFetch', 'refused'); });\r\n"
        "</script>\r\n";
    const QString body = "<p id=byXhr>waiting</p><p id=localByXhr>waiting</p><p id=byFetch>waiting</p>\r\n"
                         "<img id=far src=\"kvpage:" + farPicture + "\">\r\n" + script;
    DocumentWindow* doc = openPage();
    doc->txtMain->setText(QString::fromLatin1(kPage).replace("<p id=last>The end</p>", body));
    QWebEngineView* page = doc->webBrowser->view();
    QSignalSpy loaded(page, &QWebEngineView::loadFinished);
    view(doc, 1);
    ASSERT_TRUE(loaded.wait(kWait) || loaded.count() > 0);

    for (const char* id : {"byXhr", "localByXhr", "byFetch"}) {
        const QString get = QString("document.getElementById('%1').textContent").arg(id);
        EXPECT_TRUE(QTest::qWaitFor([&] { return js(page, get).toString() != "waiting"; }, kWait)) << id;
        EXPECT_EQ(js(page, get).toString(), "refused") << id;
    }
    EXPECT_FALSE(js(page, "document.body.textContent").toString().contains("secret words"));
    // The page's own picture and style sheet come; a picture outside its folder does not.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return js(page, "document.images.length && document.images[0].naturalWidth").toInt() == 1; }, kWait));
    EXPECT_EQ(js(page, "getComputedStyle(document.querySelector('h1')).color").toString(), "rgb(0, 128, 0)");
    EXPECT_TRUE(js(page, "document.getElementById('far').complete").toBool());
    EXPECT_EQ(js(page, "document.getElementById('far').naturalWidth").toInt(), 0);
}

}  // namespace
}  // namespace kavrin::test
