// The Edit, Browse and Design views of a document on the real web engine, and the main window's
// menus, toolbars and boxes that follow them.
#include <signal.h>
#include <iostream>
#include <sys/stat.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMdiArea>
#include <QMenu>
#include <QSignalSpy>

#include <memory>
#include <optional>
#include <QTabBar>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include "documents/docstate.h"
#include "documents/inserthtml.h"
#include "designwait.h"
#include "mainwindow/shutdown.h"
#include "mainwindow_fixture.h"
#include "platform/web/designfont.h"
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

    // Runs a script in the page's own world and returns its result; an invalid one when no answer
    // comes (the engine drops a script's answer when the page it ran in is replaced by a load, as
    // a reload is: the callers compare what they get). An answer that comes after the wait has
    // given up goes to storage of its own.
    static QVariant js(QWebEngineView* view, const QString& script) {
        auto answer = std::make_shared<std::optional<QVariant>>();
        view->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                                    [answer](const QVariant& v) { *answer = v; });
        QTest::qWaitFor([&] { return answer->has_value(); }, kWait);
        return answer->value_or(QVariant());
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

TEST_F(ViewsTest, TheCopyOfAPageOnlyItsOwnerMayReadIsNoMoreReadable) {
    ASSERT_EQ(::chmod(QFile::encodeName(pagePath).constData(), 0600), 0);
    DocumentWindow* doc = openPage();
    QTest::keyClicks(doc->txtMain, "unsaved ");
    view(doc, 1);
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(pagePath + ".browse").constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 077, 0u) << std::oct << (st.st_mode & 07777);
    EXPECT_TRUE(readFile(pagePath + ".browse").startsWith("unsaved "));
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

// The status bar's "Ln, Col" is the source caret's, and the source is not shown in Browse or
// Design: Design reached through Browse showed the caret of the hidden source.
TEST_F(ViewsTest, BrowseAndDesignShowNoSourceCaretHoweverTheyAreReached) {
    DocumentWindow* doc = openPage();
    const auto caret = [] { return mainWindow->lblCursorPos->text().toStdString(); };
    doc->txtMain->select(doc->txtMain->lineIndex(10) + 3, 4);
    EXPECT_EQ(caret(), "Ln 11, Col 4");
    view(doc, 1);
    EXPECT_EQ(caret(), "");
    design(doc);
    EXPECT_EQ(caret(), "");
    view(doc, 0);
    EXPECT_EQ(caret(), "Ln 11, Col 4");
    doc->txtMain->select(doc->txtMain->lineIndex(10) + 3, 4);
    design(doc);
    EXPECT_EQ(caret(), "");
    // Saving in Design writes what was typed into the source, moving its caret; another
    // document activated and left again.
    caretInto(doc, "last");
    typeInDesign(doc, "kept ");
    mainWindow->mnuFileSave->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return doc->fileSaved; }, kWait));
    EXPECT_EQ(caret(), "");
    newDocument();
    EXPECT_EQ(caret(), "Ln 1, Col 1");
    mainWindow->mdiArea()->setActiveSubWindow(doc->subWindow());
    EXPECT_EQ(caret(), "");
    view(doc, 0);
    EXPECT_FALSE(caret().empty());
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
    EXPECT_FALSE(doc->fileSaved);
    mainWindow->mnuFileSave_Click();
    ASSERT_TRUE(doc->fileSaved);
    EXPECT_EQ(readFile(path).toStdString(), "<p>HoP<b>X</b></p><p>Menu</p>\r\n<p>Drinks</p>\r\n");

    // Staying in Design, they land as typed, and the keys after them too.
    typeStraightAfterDesign();
    ASSERT_TRUE(waitDesignReady(*doc->dhtm, kWait));
    QTest::keyClicks(QApplication::focusWidget(), "Y");
    EXPECT_TRUE(QTest::qWaitFor([&] { return currentHtml(*doc->dhtm).contains("<p>HoP<b>X</b></p><p>Y"); }, kWait))
        << doc->dhtm->DocumentHTML().toStdString();
    view(doc, 0);
    mainWindow->mnuFileSave_Click();
    ASSERT_TRUE(doc->fileSaved);
    EXPECT_EQ(readFile(path).toStdString(), "<p>HoP<b>X</b></p><p>YHoP<b>X</b></p><p>Menu</p>\r\n<p>Drinks</p>\r\n");
}

TEST_F(ViewsTest, KeysTypedBeforeTheDesignViewIsEvenBuiltGoToThePageNotToTheSource) {
    const QString path = writeFile("site/keys.htm", "<p>Menu</p>\r\n<p>Drinks</p>\r\n");
    mainWindow->openFile(path);
    DocumentWindow* doc = activeDocument();
    activateMainWindow();
    // The window system may hand over keys typed straight after View > Design before the view is
    // built, while the source still has the focus.
    mainWindow->mnuViewDesign->trigger();
    ASSERT_EQ(doc->mode, 0);
    QTest::keyClicks(QApplication::focusWidget(), "Hot");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_B, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), "X");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return doc->mode == 2; }, kWait));
    ASSERT_TRUE(waitDesignReady(*doc->dhtm, kWait));
    view(doc, 0);
    mainWindow->mnuFileSave_Click();
    ASSERT_TRUE(doc->fileSaved);
    EXPECT_EQ(readFile(path).toStdString(), "<p>Hot<b>X</b></p><p>Menu</p>\r\n<p>Drinks</p>\r\n");
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

// A long page takes a while to write out its text; its answer is waited for, not taken for
// one that never comes.
// The web engine's page process of a document in Design is killed (or runs out of memory, or
// crashes): the view went grey, every Edit, Save, Close and Exit waited for it for good, and what
// was typed in Edit before Design and in Design went with it.
TEST_F(ViewsTest, APageProcessThatEndsBringsTheDocumentBackToEditWithEveryEarlierEdit) {
    activateMainWindow();
    DocumentWindow* doc = openPage();
    doc->txtMain->setSelStart(int(kPage.indexOf("Menu</h1>")));
    QTest::keyClicks(doc->txtMain, "Top ");
    design(doc);
    clickToLineEnd(doc, "last");
    QTest::keyClicks(designInput(doc), " typed");
    // No command asks the page for its text: what the page reports, it hands over by itself.
    ASSERT_TRUE(QTest::qWaitFor([&] { return doc->dhtm->holdsAllReported(); }, kWait));
    const qint64 pid = doc->dhtm->view()->page()->renderProcessPid();
    ASSERT_GT(pid, 0);
    expectMsgBox("The design view of 'page.htm' has stopped: the web engine's page process ended. The document is "
                 "back in Edit, with everything typed in it. It is not saved yet.",
                 vbOK);
    ASSERT_EQ(::kill(pid_t(pid), SIGKILL), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return doc->mode == 0 && allAnswered(); }, kWait));
    EXPECT_TRUE(doc->txtMain->isVisible());
    EXPECT_EQ(doc->tbsMain->currentIndex(), 0);
    EXPECT_FALSE(doc->fileSaved);

    // The keys typed next go into the source, Save writes it, and Design loads the page anew.
    ASSERT_EQ(QApplication::focusWidget(), doc->txtMain);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), "K");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(doc->fileSaved);
    QByteArray expected = kPage;
    expected.replace("<h1 class=title>Menu</h1>", "<h1 class=title>Top Menu</h1>");
    expected.replace("<p id=last>The end</p>", "<p id=last>The end typed</p>");
    expected.replace("<meta name=\"GENERATOR\" content=\"MSHTML 5.50.4522.1800\">", "");
    expected += "K";
    EXPECT_EQ(readFile(pagePath).toStdString(), expected.toStdString());
    design(doc);
    EXPECT_TRUE(currentHtml(*doc->dhtm).contains("The end typed"));

    // In Browse, where nothing is lost, the user hears of it and is back in Edit too.
    QSignalSpy loaded(doc->webBrowser->view(), &QWebEngineView::loadFinished);
    view(doc, 1);
    ASSERT_TRUE(loaded.wait(kWait) || loaded.count() > 0);
    const qint64 browsing = doc->webBrowser->view()->page()->renderProcessPid();
    ASSERT_GT(browsing, 0);
    expectMsgBox("The browse view of 'page.htm' has stopped", vbOK);
    ASSERT_EQ(::kill(pid_t(browsing), SIGKILL), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return doc->mode == 0 && allAnswered(); }, kWait));
    EXPECT_FALSE(QFile::exists(pagePath + ".browse"));
    EXPECT_TRUE(doc->fileSaved);
}

TEST_F(ViewsTest, LeavingDesignOfALongPageWaitsForItsSlowAnswer) {
    QByteArray page = "<html><body>\r\n<p id=first>Start</p>\r\n";
    while (page.size() < 2 * 1024 * 1024) page += "<h2>Using the stream</h2>\r\n<p>Call deflate() while avail_in > 0\r\n";
    page += "</body></html>\r\n";
    mainWindow->openFile(writeFile("site/long.htm", page));
    DocumentWindow* doc = activeDocument();
    ASSERT_NE(doc, nullptr);
    // A long page loads slowly while other suites run.
    doc->tbsMain->setCurrentIndex(2);
    ASSERT_TRUE(waitDesignReady(*doc->dhtm, 6 * kWait));
    clickToLineEnd(doc, "first");
    ASSERT_TRUE(waitDesignCurrent(*doc->dhtm, 6 * kWait));
    const int timeout = DhtmlEdit::kCurrentTimeoutMs;
    DhtmlEdit::kCurrentTimeoutMs = 1000;
    doc->dhtm->holdReports(true);
    QTest::keyClicks(designInput(doc), "Q");
    doc->tbsMain->setCurrentIndex(0);
    // Well past the time a short page is given, the answer comes.
    QTest::qWait(1800);
    EXPECT_EQ(doc->mode, 2);
    doc->dhtm->holdReports(false);
    DhtmlEdit::kCurrentTimeoutMs = timeout;
    ASSERT_TRUE(QTest::qWaitFor([&] { return doc->mode == 0; }, 6 * kWait));
    EXPECT_EQ(doc->txtMain->text().toUtf8(), QByteArray(page).replace("<p id=first>Start</p>", "<p id=first>StartQ</p>"));
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

// The engine hands the page a key's press and the text it types as two events, and the control's
// question about the page can come between them. Taken as seen at its press, the key made a page
// without its letter look current, and a window closed without asking (one run in a dozen under
// load). Here the two halves are given apart, as the engine may.
TEST_F(ViewsTest, AKeyCountsAsSeenOnlyOnceItsTextHasComeOrItWasLetGo) {
    DocumentWindow* doc = openPage();
    design(doc);
    QWebEngineView* page = doc->dhtm->view();
    const auto seenAfter = [&](const QString& events) {
        return js(page, "(() => { for (const [type, key] of " + events +
                            ") document.dispatchEvent(new KeyboardEvent(type, {key, bubbles: true}));"
                            " return kv.state().keys; })()")
            .toInt();
    };
    const int before = seenAfter("[]");
    EXPECT_EQ(seenAfter("[['keydown', 'W']]"), before);
    EXPECT_EQ(seenAfter("[['keypress', 'W']]"), before + 1);
    // A key that types nothing, once let go.
    EXPECT_EQ(seenAfter("[['keydown', 'Delete']]"), before + 1);
    EXPECT_EQ(seenAfter("[['keyup', 'Delete']]"), before + 2);
    // A modifier held down types nothing: waiting for its release would hold up every read of a
    // page the user holds Shift over.
    EXPECT_EQ(seenAfter("[['keydown', 'Shift']]"), before + 3);
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
    EXPECT_EQ(other->mode, 2);
    EXPECT_FALSE(other->fileSaved);
    EXPECT_TRUE(currentHtml(*other->dhtm).contains("The endW"));

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
    ASSERT_EQ(Form::documentCount(), 1);
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

// The script of a page in Browse tries every way a page has of reading a file, on its own site
// and on what lies outside it. `P` names the folders; each probe's outcome lands in #results.
const char kProbeScript[] = R"js(
const R = {};
const own = location.hostname.split('.')[0];
const ext = { xhr: 'json', fetch: 'json', module: 'js', json: 'json', css: 'css', script: 'js', worker: 'js',
              sheet: 'css', picture: 'png', frame: 'htm', vtt: 'vtt', xslt: 'xml', imported: 'css', error: 'mjs',
              events: 'json', beacon: 'json', prefetch: 'json', canvas: 'png' };
const channel = {
  xhr: u => new Promise(r => { try { const x = new XMLHttpRequest(); x.open('GET', u);
    x.onload = () => r('read:' + x.responseText); x.onerror = () => r('failed'); x.send(); } catch (e) { r('failed'); } }),
  fetch: u => fetch(u).then(x => x.text()).then(t => 'read:' + t, () => 'failed'),
  module: u => { self.leak = undefined; return import(u).then(() => 'read:' + self.leak, () => 'failed'); },
  json: u => import(u, { assert: { type: 'json' } }).then(m => 'read:' + JSON.stringify(m.default), () => 'failed'),
  css: u => import(u, { assert: { type: 'css' } })
    .then(m => 'read:' + Array.from(m.default.cssRules).map(x => x.cssText).join(), () => 'failed'),
  script: u => new Promise(r => { self.leak = undefined; const s = document.createElement('script');
    s.onload = () => r('loaded:' + self.leak); s.onerror = () => r('failed'); s.src = u; document.head.appendChild(s); }),
  worker: u => new Promise(r => { try { const w = new Worker(u); w.onmessage = e => { w.terminate(); r('read:' + e.data); };
    w.onerror = () => r('failed'); } catch (e) { r('failed'); } }),
  sheet: u => new Promise(r => { const l = document.createElement('link'); l.rel = 'stylesheet';
    l.onload = () => { const c = getComputedStyle(document.getElementById('probe')).color; l.remove(); r('loaded:' + c); };
    l.onerror = () => { l.remove(); r('failed'); }; l.href = u; document.head.appendChild(l); }),
  picture: u => new Promise(r => { const i = new Image(); i.onload = () => r('loaded:' + i.naturalWidth);
    i.onerror = () => r('failed'); i.src = u; }),
  frame: u => new Promise(r => { const f = document.createElement('iframe');
    f.onload = () => { let t; try { t = 'read:' + f.contentDocument.body.textContent; } catch (e) { t = 'opaque'; }
      f.remove(); r(t); }; f.src = u; document.body.appendChild(f); }),
  vtt: u => new Promise(r => { const v = document.createElement('video'); const t = document.createElement('track');
    t.kind = 'subtitles'; t.default = true; const done = () => { const c = t.track.cues; v.remove();
      r(c && c.length ? 'read:' + c[0].text : 'failed'); };
    t.onload = done; t.onerror = done; t.src = u; v.appendChild(t); document.body.appendChild(v); t.track.mode = 'hidden'; }),
  xslt: u => new Promise(r => { try {
    const x = new DOMParser().parseFromString('<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">' +
      '<xsl:template match="/"><out><xsl:copy-of select="document(\'' + new URL(u, location.href).href + '\')"/></out>' +
      '</xsl:template></xsl:stylesheet>', 'application/xml');
    const p = new XSLTProcessor(); p.importStylesheet(x);
    const d = p.transformToDocument(new DOMParser().parseFromString('<a/>', 'application/xml'));
    const t = d && d.documentElement ? d.documentElement.textContent : '';
    r(t ? 'read:' + t : 'failed'); } catch (e) { r('failed'); } }),
  imported: u => new Promise(r => { const s = document.createElement('style');
    s.textContent = '@import url("' + new URL(u, location.href).href + '");';
    s.onload = () => { let t; try { t = 'read:' + Array.from(s.sheet.cssRules[0].styleSheet.cssRules).map(x => x.cssText).join(); }
      catch (e) { t = 'hidden'; } s.remove(); r(t); };
    s.onerror = () => { s.remove(); r('failed'); }; document.head.appendChild(s); }),
  error: u => new Promise(r => { const s = document.createElement('script'); let m = '';
    const h = e => { m = e.message; };
    window.addEventListener('error', h); s.onload = () => { window.removeEventListener('error', h); r('loaded:' + m); };
    s.onerror = () => { window.removeEventListener('error', h); r('failed'); }; s.src = u; document.head.appendChild(s); }),
  events: u => new Promise(r => { try { const e = new EventSource(u); e.onmessage = m => { e.close(); r('read:' + m.data); };
    e.onerror = () => { e.close(); r('failed'); }; } catch (x) { r('failed'); } }),
  beacon: u => new Promise(r => { let q; try { q = navigator.sendBeacon(u, 'x'); } catch (e) { q = false; }
    setTimeout(() => r(q ? 'queued' : 'failed'), 50); }),
  prefetch: u => new Promise(r => { const l = document.createElement('link'); l.rel = 'prefetch';
    l.onload = () => { l.remove(); r('loaded'); }; l.onerror = () => { l.remove(); r('failed'); }; l.href = u; document.head.appendChild(l); }),
  canvas: u => new Promise(r => { const i = new Image(); i.onload = () => { const c = document.createElement('canvas');
      const g = c.getContext('2d'); g.drawImage(i, 0, 0);
      try { r('read:' + g.getImageData(0, 0, 1, 1).data[0]); } catch (e) { r('tainted'); } };
    i.onerror = () => r('failed'); i.src = u; }),
};
function settle(p) { return Promise.race([p, new Promise(r => setTimeout(() => r('no answer'), 4000))]); }
// Each way in: the address of a file of the kind a channel reads, by its stem ("secret" or "missing").
const ways = {
  own: (s, e) => '../lib/' + (s === 'secret' ? 'own' : 'none') + '.' + e,
  siblingUp: (s, e) => '../../sibling/' + s + '.' + e,
  siblingEncoded: (s, e) => '%2e%2e/%2e%2e/sibling/' + s + '.' + e,
  siblingFile: (s, e) => 'file://' + P.sibling + s + '.' + e,
  siblingOwnSite: (s, e) => location.origin + P.sibling + s + '.' + e,
  siblingBare: (s, e) => 'kvpage:' + P.sibling + s + '.' + e,
  siblingDesign: (s, e) => 'kvdesign://page/' + own + P.sibling + s + '.' + e,
  folderLink: (s, e) => 'linked/' + s + '.' + e,
  fileLink: (s, e) => (s === 'secret' ? 'link' : 'nolink') + '.' + e,
  hiddenInside: (s, e) => '../.hidden/' + s + '.' + e,
  hiddenFile: (s, e) => 'file://' + P.docker + s + '.' + e,
  hiddenOwnSite: (s, e) => location.origin + P.docker + s + '.' + e,
  hiddenUp: (s, e) => '../../.docker/' + s + '.' + e,
  earlier: (s, e) => P.earlierSite + P.earlier + s + '.' + e,
  earlierBare: (s, e) => 'kvpage:' + P.earlier + s + '.' + e,
  baseFile: (s, e) => s + '.' + e,
  baseUp: (s, e) => s + '.' + e,
};
const bases = { baseFile: 'file://' + P.sibling, baseUp: '../../sibling/' };
function probe(way, name, stem) {
  return settle(channel[name](ways[way](stem, ext[name]))).then(v => { R[way + '.' + name + (stem === 'missing' ? '.missing' : '')] = v; });
}
(async () => {
  const frames = [];
  for (const way of Object.keys(ways)) {
    const base = bases[way] ? document.createElement('base') : null;
    if (base) { base.href = bases[way]; document.head.prepend(base); }
    for (const name of Object.keys(channel)) {
      // Frames need nothing of the page's state: they load side by side, as a refused one never
      // answers at all.
      const stems = way === 'own' ? ['secret'] : ['secret', 'missing'];
      if (name === 'frame') frames.push(...stems.map(stem => probe(way, name, stem)));
      else for (const stem of stems) await probe(way, name, stem);
    }
    if (base) base.remove();
  }
  await Promise.all(frames);
  R['own.large'] = await settle(import('../lib/large.json', { assert: { type: 'json' } })
    .then(m => 'read:' + m.default.v.length, () => 'failed'));
  document.getElementById('results').textContent = JSON.stringify(R);
  document.title = 'probed';
})();
)js";

// Every way a page's script has of reading a file (XHR, fetch, module, JSON and CSS imports,
// classic scripts, workers, style sheets, pictures, frames, subtitles, XSLT document(), @import
// rules, a script's error message, EventSource, beacons, prefetch, a canvas's pixels) reaches
// its own site and nothing
// else: not a sibling folder (by "../", "%2e%2e", a file or local address, another scheme or a
// base the page sets), not a folder or file link inside it, not a hidden folder inside or outside
// it, not the folder of a page shown earlier. What is refused reads exactly as a missing file.
TEST_F(ViewsTest, APageInBrowseReadsItsOwnSiteAndNothingElseByAnyChannel) {
    const QString secrets[][2] = {{"json", "{\"leak\": \"LEAK\"}"},
                                  {"js", "self.leak = 'LEAK'; if (typeof document === 'undefined') postMessage('LEAK');"},
                                  {"css", "#probe { color: rgb(1, 2, 3) }"},
                                  {"htm", "<p>LEAK</p>"},
                                  {"vtt", "WEBVTT\n\n00:00.000 --> 01:00.000\nLEAK\n"},
                                  {"xml", "<v>LEAK</v>"},
                                  {"mjs", "throw new Error('LEAK');"}};
    for (const QString folder : {"sibling/", "earlier/", ".docker/", "proj/.hidden/"}) {
        for (const auto& [ext, text] : secrets) writeFile(folder + "secret." + ext, text.toUtf8());
        writeFile(folder + "secret.png", kPng);
    }
    writeFile("proj/lib/own.json", "{\"v\": \"OWN\"}");
    writeFile("proj/lib/own.js", "self.leak = 'OWN'; if (typeof document === 'undefined') postMessage('OWN');");
    writeFile("proj/lib/own.css", "#probe { color: rgb(4, 5, 6) }");
    writeFile("proj/lib/own.png", kPng);
    writeFile("proj/lib/own.htm", "<p>OWN frame</p>");
    writeFile("proj/lib/own.vtt", "WEBVTT\n\n00:00.000 --> 01:00.000\nOWN\n");
    writeFile("proj/lib/own.xml", "<v>OWN</v>");
    writeFile("proj/lib/own.mjs", "throw new Error('OWN');");
    writeFile("proj/lib/large.json", "{\"v\": \"" + QByteArray(12 * 1024 * 1024, 'x') + "\"}");
    writeFile("proj/site.kvp", "");
    const QString pages = workDir + "proj/pages/";
    QDir().mkpath(pages);
    ASSERT_TRUE(QFile::link(workDir + "sibling", pages + "linked"));
    for (const char* ext : {"json", "js", "css", "png", "htm", "vtt", "xml", "mjs"})
        ASSERT_TRUE(QFile::link(workDir + ".docker/secret." + ext, pages + "link." + ext));

    // A page of another folder shown in Browse before.
    const QString earlierPage = writeFile("earlier/page.htm", "<p>earlier</p><img src=\"secret.png\">");
    mainWindow->openFile(earlierPage);
    DocumentWindow* earlier = activeDocument();
    view(earlier, 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return js(earlier->webBrowser->view(), "document.images[0] && "
                                                  "document.images[0].naturalWidth").toInt() == 1; }, kWait));
    // The earlier page's origin: its site's own address.
    const QString earlierSite = earlier->webBrowser->view()->url().adjusted(QUrl::RemovePath).toString();

    projectFilePath = workDir + "proj/site.kvp";
    const QString folders = QString("const P = { sibling: '%1', earlier: '%2', docker: '%3', earlierSite: '%4' };")
                                .arg(workDir + "sibling/", workDir + "earlier/", workDir + ".docker/", earlierSite);
    const QString probe = writeFile("proj/pages/probe.htm",
                                    "<html><head><title>probe</title></head><body><p id=probe>probe</p><pre id=results></pre>"
                                    "<script>" + folders.toUtf8() + kProbeScript + "</script></body></html>");
    mainWindow->openFile(probe);
    DocumentWindow* doc = activeDocument();
    view(doc, 1);
    QWebEngineView* page = doc->webBrowser->view();
    // Waited for in an event loop that never sleeps: every request of a probe passes through it.
    QSignalSpy titled(page, &QWebEngineView::titleChanged);
    while (page->title() != "probed") ASSERT_TRUE(titled.wait(4 * kWait)) << "the probes never finished";
    const QString text = js(page, "document.getElementById('results').textContent").toString();
    const QVariantMap results = QJsonDocument::fromJson(text.toUtf8()).object().toVariantMap();
    auto outcome = [&](const QString& key) { return results.value(key).toString().toStdString(); };

    // The site's own files come by every channel that reads what the markup names.
    EXPECT_EQ(outcome("own.module"), "read:OWN");
    EXPECT_EQ(outcome("own.json"), "read:{\"v\":\"OWN\"}");
    EXPECT_EQ(outcome("own.css"), "read:#probe { color: rgb(4, 5, 6); }");
    EXPECT_EQ(outcome("own.script"), "loaded:OWN");
    EXPECT_EQ(outcome("own.sheet"), "loaded:rgb(4, 5, 6)");
    EXPECT_EQ(outcome("own.picture"), "loaded:1");
    EXPECT_EQ(outcome("own.frame"), "read:OWN frame");
    EXPECT_EQ(outcome("own.large"), "read:" + std::to_string(12 * 1024 * 1024)) << "a large file read in pieces";
    // Within its site a script reads what the markup loads: subtitles, imported rules, a script's
    // own error, a picture's pixels.
    EXPECT_EQ(outcome("own.vtt"), "read:OWN");
    EXPECT_EQ(outcome("own.imported"), "read:#probe { color: rgb(4, 5, 6); }");
    EXPECT_EQ(outcome("own.error"), "loaded:Uncaught Error: OWN");
    EXPECT_EQ(outcome("own.canvas"), "read:255");
    std::cout << "within the site, XSLT document() gives " << outcome("own.xslt") << "\n";
    for (const char* name : {"events", "prefetch"}) EXPECT_EQ(outcome(QString("own.") + name), "failed") << name;
    // What a script would read by itself it does not get even from the site.
    for (const char* name : {"xhr", "fetch", "worker"}) EXPECT_EQ(outcome(QString("own.") + name), "failed") << name;

    int probes = 0;
    for (auto it = results.cbegin(); it != results.cend(); ++it) {
        if (it.key().startsWith("own.") || it.key().endsWith(".missing")) continue;
        ++probes;
        const std::string got = it.value().toString().toStdString();
        EXPECT_TRUE(got == "failed" || got == "opaque" || got == "no answer" || got == "queued")
            << it.key().toStdString() << " gave " << got;
        EXPECT_EQ(got, outcome(it.key() + ".missing")) << it.key().toStdString() << ": a refusal unlike a missing file";
    }
    EXPECT_EQ(probes, 16 * 18);
    EXPECT_FALSE(text.contains("LEAK"));
}

// A page kept in a folder of its own beside the site's style sheets, pictures, scripts and frames.
const QByteArray kFolderSitePage =
    "<html><head><title>a</title><link rel=\"stylesheet\" href=\"../css/s.css\">\n"
    "<script>window.errors = []; window.onerror = m => { errors.push(String(m)); };</script>\n"
    "<script src=\"../js/x.js\"></script><script src=\"../js/bad.js\"></script></head>\n"
    "<body><h1>Title</h1><p class=more id=more>more</p><img id=dot src=\"../img/dot.png\">\n"
    "<iframe id=f src=\"../frames/f.htm\"></iframe><pre id=results></pre>\n"
    "<video><track id=track kind=subtitles src=\"../media/t.vtt\" default></video>\n"
    "<script>\n"
    "const settle = p => Promise.race([p, new Promise(r => setTimeout(() => r('no answer'), 4000))]);\n"
    "const frame = u => new Promise(r => { const f = document.createElement('iframe');\n"
    "  f.onload = () => { let t; try { t = 'read:' + f.contentDocument.body.textContent; } catch (e) { t = 'opaque'; }\n"
    "    f.remove(); r(t); }; f.src = u; document.body.appendChild(f); });\n"
    "const picture = u => new Promise(r => { const i = new Image(); i.onload = () => r('loaded');\n"
    "  i.onerror = () => r('failed'); i.src = u; });\n"
    "const read = p => p.then(t => 'read:' + t, () => 'failed');\n"
    "window.onload = async () => {\n"
    "  const R = {};\n"
    "  R.frame = await settle(new Promise(r => { try { r('read:' + document.getElementById('f').contentDocument.body.textContent); }\n"
    "    catch (e) { r('opaque'); } }));\n"
    "  R.rules = (() => { try { return 'read:' + document.styleSheets[0].cssRules.length; } catch (e) { return 'hidden'; } })();\n"
    "  R.canvas = (() => { const c = document.createElement('canvas'); const g = c.getContext('2d');\n"
    "    g.drawImage(document.getElementById('dot'), 0, 0);\n"
    "    try { return 'read:' + g.getImageData(0, 0, 1, 1).data[0]; } catch (e) { return 'tainted'; } })();\n"
    "  R.errors = errors.join('|');\n"
    "  R.cue = await settle(new Promise(r => { const t = document.getElementById('track').track; t.mode = 'showing';\n"
    "    const done = () => r(t.cues && t.cues.length ? 'read:' + t.cues[0].text : 'none'); setTimeout(done, 1500); }));\n"
    "  for (const [name, u] of [['named', '../img/dot.png'], ['notes', '../private/notes.txt'], ['missing', '../private/none.txt']]) {\n"
    "    R[name + '.fetch'] = await settle(read(fetch(u).then(x => x.text())));\n"
    "    R[name + '.frame'] = await settle(frame(u));\n"
    "  }\n"
    "  R['script.module'] = await settle(read(import('../js/x.js').then(() => 'ran')));\n"
    "  R['named.frame.made'] = await settle(frame('../frames/f.htm'));\n"
    "  R['notes.picture'] = await settle(picture('../private/dot.png'));\n"
    "  R['missing.picture'] = await settle(picture('../private/none.png'));\n"
    "  document.getElementById('results').textContent = JSON.stringify(R);\n"
    "  document.title = 'probed';\n"
    "};\n"
    "</script></body></html>\n";

// pages/a.htm of a site kept in folders shows styled and whole in Browse and in Design, its
// style sheet's own import and picture too, though every one of them lies outside its folder:
// the page names them. What lies outside comes for display only: no script of the page reads
// the frame, the style rules, the picture's pixels, the named script's error or the subtitles;
// what the page does not name (the notes beside them) reads as a missing file.
TEST_F(ViewsTest, ASiteKeptInFoldersShowsWholeAndItsScriptsReadNothingOutsideThePagesFolder) {
    writeFile("folders/css/s.css", "@import \"more.css\"; h1 { color: rgb(0, 128, 0); }"
                                   " body { background-image: url(../img/bg.png); }");
    writeFile("folders/css/more.css", "p.more { color: rgb(0, 0, 255); }");
    writeFile("folders/img/dot.png", kPng);
    writeFile("folders/img/bg.png", kPng);
    writeFile("folders/js/x.js", "document.documentElement.dataset.script = 'ran';");
    writeFile("folders/js/bad.js", "throw new Error('SECRET in the error');");
    writeFile("folders/frames/f.htm", "<p>FRAME</p><img src=\"../img/dot.png\">");
    writeFile("folders/media/t.vtt", "WEBVTT\n\n00:00.000 --> 01:00.000\nSECRET cue\n");
    writeFile("folders/private/notes.txt", "NOTES");
    writeFile("folders/private/dot.png", kPng);
    pagePath = writeFile("folders/pages/a.htm", kFolderSitePage);
    DocumentWindow* doc = openPage();
    view(doc, 1);
    QWebEngineView* page = doc->webBrowser->view();
    QSignalSpy titled(page, &QWebEngineView::titleChanged);
    while (page->title() != "probed") ASSERT_TRUE(titled.wait(4 * kWait)) << "the probes never finished";

    EXPECT_EQ(js(page, "getComputedStyle(document.querySelector('h1')).color").toString(), "rgb(0, 128, 0)");
    EXPECT_EQ(js(page, "getComputedStyle(document.getElementById('more')).color").toString(), "rgb(0, 0, 255)");
    EXPECT_TRUE(js(page, "getComputedStyle(document.body).backgroundImage").toString().contains("bg.png"));
    EXPECT_EQ(js(page, "document.getElementById('dot').naturalWidth").toInt(), 1);
    EXPECT_EQ(js(page, "document.documentElement.dataset.script").toString(), "ran");

    const QString text = js(page, "document.getElementById('results').textContent").toString();
    const QVariantMap results = QJsonDocument::fromJson(text.toUtf8()).object().toVariantMap();
    auto outcome = [&](const QString& key) { return results.value(key).toString().toStdString(); };
    EXPECT_EQ(outcome("frame"), "opaque");
    EXPECT_EQ(outcome("rules"), "hidden");
    EXPECT_EQ(outcome("canvas"), "tainted");
    EXPECT_EQ(outcome("errors"), "Script error.");
    EXPECT_EQ(outcome("cue"), "none");
    EXPECT_EQ(outcome("named.frame.made"), "opaque");
    EXPECT_EQ(outcome("script.module"), "failed");
    for (const char* name : {"named", "notes"}) {
        EXPECT_EQ(outcome(QString(name) + ".fetch"), "failed") << name;
        EXPECT_EQ(outcome(QString(name) + ".frame"), outcome("missing.frame")) << name;
    }
    EXPECT_EQ(outcome("notes.picture"), "failed");
    EXPECT_EQ(outcome("notes.picture"), outcome("missing.picture"));
    EXPECT_FALSE(text.contains("SECRET") || text.contains("NOTES") || text.contains("FRAME")) << text.toStdString();

    // Design shows it as whole, its scripts not run.
    design(doc);
    QWebEngineView* designed = doc->dhtm->view();
    EXPECT_TRUE(QTest::qWaitFor([&] { return js(designed, "document.images[0] && document.images[0].naturalWidth").toInt() == 1; },
                                kWait));
    EXPECT_TRUE(QTest::qWaitFor([&] { return js(designed, "getComputedStyle(document.querySelector('p.more')).color")
                                                 .toString() == "rgb(0, 0, 255)"; }, kWait));
    EXPECT_EQ(js(designed, "getComputedStyle(document.querySelector('h1')).color").toString(), "rgb(0, 128, 0)");
}

// A page saved where the user keeps other things (the disk's top, the home folder, Downloads, the
// temporary folder) shows itself and what it names, and its scripts find nothing beside it: a
// frame, a picture, a style sheet or a script beside it reads as a missing one.
TEST_F(ViewsTest, APageInABroadFolderReadsNothingBesideItself) {
    const QString stem = "kv-" + QFileInfo(root.path()).fileName();
    QStringList folders{homeDir, homeDir + "Downloads/", QDir::tempPath() + "/"};
    QDir().mkpath(homeDir + "Downloads");
    if (QFileInfo(QStringLiteral("/")).isWritable()) folders << "/";
    else std::cout << "[ SKIPPED part ] the disk's top is not writable here: a page in / is not tried\n";
    QStringList made;
    auto put = [&](const QString& path, const QByteArray& bytes) {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
        f.write(bytes);
        made << path;
    };
    const QByteArray probe =
        "<html><head><title>page</title></head><body><p id=own>OWN</p><img id=named src=\"" + stem.toUtf8() +
        "-named.png\"><pre id=results></pre><script>\n"
        "const settle = p => Promise.race([p, new Promise(r => setTimeout(() => r('no answer'), 4000))]);\n"
        "const ways = {\n"
        "  frame: u => new Promise(r => { const f = document.createElement('iframe');\n"
        "    f.onload = () => { let t; try { t = 'read:' + f.contentDocument.body.textContent; } catch (e) { t = 'opaque'; }\n"
        "      f.remove(); r(t); }; f.src = u + '.htm'; document.body.appendChild(f); }),\n"
        "  picture: u => new Promise(r => { const i = new Image(); i.onload = () => r('loaded'); i.onerror = () => r('failed');\n"
        "    i.src = u + '.png'; }),\n"
        "  script: u => new Promise(r => { const s = document.createElement('script'); s.onload = () => r('loaded:' + self.leak);\n"
        "    s.onerror = () => r('failed'); s.src = u + '.js'; document.head.appendChild(s); }),\n"
        "  sheet: u => new Promise(r => { const l = document.createElement('link'); l.rel = 'stylesheet';\n"
        "    l.onload = () => r('loaded'); l.onerror = () => r('failed'); l.href = u + '.css'; document.head.appendChild(l); }),\n"
        "};\n"
        "window.onload = async () => { const R = {};\n"
        "  for (const w of Object.keys(ways)) for (const s of ['beside', 'missing'])\n"
        "    R[w + '.' + s] = await settle(ways[w]('" + stem.toUtf8() + "-' + s));\n"
        "  R.named = document.getElementById('named').naturalWidth;\n"
        "  document.getElementById('results').textContent = JSON.stringify(R); document.title = 'probed'; };\n"
        "</script></body></html>";
    for (const QString& folder : folders) {
        SCOPED_TRACE(folder.toStdString());
        put(folder + stem + "-beside.htm", "<p>LEAK</p>");
        put(folder + stem + "-beside.png", kPng);
        put(folder + stem + "-named.png", kPng);
        put(folder + stem + "-beside.js", "self.leak = 'LEAK';");
        put(folder + stem + "-beside.css", "p { color: red }");
        put(folder + stem + ".htm", probe);
        mainWindow->openFile(folder + stem + ".htm");
        DocumentWindow* doc = activeDocument();
        ASSERT_NE(doc, nullptr);
        view(doc, 1);
        QWebEngineView* page = doc->webBrowser->view();
        QSignalSpy titled(page, &QWebEngineView::titleChanged);
        while (page->title() != "probed") ASSERT_TRUE(titled.wait(4 * kWait)) << "the probes never finished";
        const QString text = js(page, "document.getElementById('results').textContent").toString();
        const QVariantMap results = QJsonDocument::fromJson(text.toUtf8()).object().toVariantMap();
        EXPECT_EQ(js(page, "document.getElementById('own').textContent").toString(), "OWN");
        EXPECT_EQ(results.value("named").toInt(), 1) << "what the page names shows";
        for (const char* way : {"frame", "picture", "script", "sheet"})
            EXPECT_EQ(results.value(QString(way) + ".beside"), results.value(QString(way) + ".missing"))
                << way << ": " << text.toStdString();
        EXPECT_FALSE(text.contains("LEAK"));
        doc->fileSaved = true;
        doc->unload();
    }
    for (const QString& path : std::as_const(made)) QFile::remove(path);
}

// A page as gtk-doc writes them: an XML declaration, a style sheet and navigation pictures beside
// it, links to places in the page itself and to itself by name.
const QByteArray kManualPage =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<html>\n  <head>\n"
    "    <meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\"/>\n"
    "    <title>keys: interface for the key matching</title>\n"
    "    <link rel=\"start\" href=\"index.html\" title=\"Reference Manual\"/>\n"
    "    <link rel=\"stylesheet\" href=\"style.css\" type=\"text/css\"/>\n  </head>\n"
    "  <body bgcolor=\"white\" text=\"black\">\n"
    "    <table class=\"navigation\" width=\"100%\"><tr valign=\"middle\"><td>\n"
    "          <a accesskey=\"h\" href=\"index.html\">\n"
    "            <img src=\"home.png\" width=\"24\" height=\"24\" border=\"0\" alt=\"Home\"/>\n"
    "          </a></td></tr></table>\n"
    "    <pre class=\"programlisting\"><a href=\"#xsltFreeKeys\">xsltFreeKeys</a>\n"
    "<a href=\"keys.html#xsltFreeKeys\">again</a></pre>\n"
    "    <div style=\"height: 3000px\"></div>\n"
    "    <h3><a name=\"xsltFreeKeys\"></a>Function: xsltFreeKeys</h3>\n"
    "    <pre class=\"programlisting\">void\txsltFreeKeys(xsltStylesheetPtr style)\n</pre>\n"
    "  </body>\n</html>\n";

// Edit, Browse, Edit, Browse on such a page: each Browse shows the text as it is then, also after
// a click on a link into the page, and Refresh shows it too.
TEST_F(ViewsTest, BrowseShowsTheCurrentTextOfAGeneratedManualPageAfterEachEdit) {
    writeFile("manual/style.css", "h1 { color: rgb(0, 0, 128); }");
    writeFile("manual/home.png", kPng);
    pagePath = writeFile("manual/keys.html", kManualPage);
    DocumentWindow* doc = openPage();
    QWebEngineView* page = doc->webBrowser->view();
    auto typeAtStart = [&](const QString& text) {
        view(doc, 0);
        doc->txtMain->setSelStart(0);
        QTest::keyClicks(doc->txtMain, text);
    };
    auto headings = [&] {
        return js(page, "Array.from(document.querySelectorAll('h1')).map(h => h.textContent).join()").toString();
    };
    QSignalSpy loaded(page, &QWebEngineView::loadFinished);
    typeAtStart("<h1>First</h1>");
    view(doc, 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return headings() == "First"; }, kWait)) << headings().toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return js(page, "document.images[0].naturalWidth").toInt() == 1; }, kWait));
    EXPECT_EQ(js(page, "getComputedStyle(document.querySelector('h1')).color").toString(), "rgb(0, 0, 128)");

    // A link to a place in the page stays on the page, by either address, and the box shows the
    // place.
    const QUrl shown = page->url().adjusted(QUrl::RemoveFragment);
    for (const char* link : {"a[href='#xsltFreeKeys']", "a[href='keys.html#xsltFreeKeys']"}) {
        js(page, "history.replaceState(null, '', location.pathname); window.scrollTo(0, 0)");
        ASSERT_TRUE(QTest::qWaitFor([&] { return !page->url().hasFragment(); }, kWait));
        const QVariantList box = js(page, QString("(() => { const b = document.querySelector(\"%1\").getBoundingClientRect();"
                                                  "return [b.left + b.width / 2, b.top + b.height / 2]; })()").arg(link)).toList();
        ASSERT_EQ(box.size(), 2);
        QTest::mouseClick(page->focusProxy(), Qt::LeftButton, {}, QPoint(box[0].toInt(), box[1].toInt()));
        ASSERT_TRUE(QTest::qWaitFor([&] { return page->url().fragment() == "xsltFreeKeys"; }, kWait)) << link;
        EXPECT_EQ(page->url().adjusted(QUrl::RemoveFragment).toString().toStdString(), shown.toString().toStdString()) << link;
        EXPECT_EQ(headings().toStdString(), "First") << link;
        EXPECT_EQ(mainWindow->cboUrl->itemText(0).toStdString(), (pagePath + "#xsltFreeKeys").toStdString());
    }

    typeAtStart("<h1>Second</h1>");
    view(doc, 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return headings() == "Second,First"; }, kWait)) << headings().toStdString();
    EXPECT_EQ(readFile(pagePath), kManualPage);
    const int loads = int(loaded.count());
    mainWindow->tbrIe_ButtonClick(4);
    EXPECT_TRUE(QTest::qWaitFor([&] { return loaded.count() > loads; }, kWait)) << "Refresh loaded nothing";
    EXPECT_TRUE(QTest::qWaitFor([&] { return headings() == "Second,First"; }, kWait)) << headings().toStdString();
}

// Switching documents with the task bar: the address box shows where the active document's
// browser is.
TEST_F(ViewsTest, TheAddressBoxFollowsTheDocumentActivatedFromTheTaskBar) {
    DocumentWindow* first = openPage();
    view(first, 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return mainWindow->cboUrl->currentText() == pagePath; }, kWait));
    const QString otherPath = writeFile("site/other.htm", "<p>other</p>");
    mainWindow->openFile(otherPath);
    DocumentWindow* second = activeDocument();
    view(second, 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return mainWindow->cboUrl->currentText() == otherPath; }, kWait));

    QTabBar* bar = mainWindow->tbsPop;
    for (const auto& [doc, path] : {std::pair{first, pagePath}, {second, otherPath}, {first, pagePath}}) {
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(mainWindow->documentTabIndex(doc)).center());
        ASSERT_EQ(activeDocument(), doc);
        EXPECT_EQ(mainWindow->cboUrl->currentText().toStdString(), path.toStdString());
        EXPECT_EQ(mainWindow->cboUrl->count(), 2);
    }
}

TEST_F(ViewsTest, APageThatAsksForBoxAfterBoxIsOfferedToStopThemUntilItIsLoadedAgain) {
    const QString path = writeFile("site/boxes.htm",
                                   "<html><head><title>boxes</title></head><body><p>boxes</p><script>\n"
                                   "for (let i = 1; i <= 5; ++i) alert('box ' + i);\n"
                                   "const sure = confirm('go on?');\n"
                                   "const name = prompt('your name?', 'x');\n"
                                   "document.title = 'finished ' + sure + ' ' + name;\n"
                                   "</script></body></html>");
    UnansweredBoxes engines;
    // The first two boxes carry no offer; the third does, and the person takes it.
    for (const char* box : {"box 1", "box 2", "box 3"}) expectMsgBox(box, vbOK);
    expectCheckBox("Don't let this page show more dialogs", true);
    mainWindow->openFile(path);
    DocumentWindow* doc = activeDocument();
    QWebEngineView* page = doc->webBrowser->view();
    view(doc, 1);
    // The rest are answered unseen: the script goes on to its end, confirm and prompt cancelled.
    EXPECT_TRUE(QTest::qWaitFor([&] { return page->title() == "finished false null"; }, kWait)) << page->title().toStdString();
    EXPECT_TRUE(allAnswered());
    EXPECT_EQ(shownMessages.size(), 3);

    // Loaded anew, the page shows its boxes again, each offering the stop; left unticked, every
    // box shows and its answer reaches the script.
    for (const char* box : {"box 1", "box 2", "box 3", "box 4", "box 5"}) {
        expectMsgBox(box, vbOK);
        if (QByteArray(box) >= "box 3") expectCheckBox("more dialogs", false);
    }
    expectMsgBox("go on?", vbOK);
    expectCheckBox("more dialogs", false);
    expectInputBox("your name?", QString("Ann"));
    expectCheckBox("more dialogs", false);
    mainWindow->tbrIe_ButtonClick(4);
    EXPECT_TRUE(QTest::qWaitFor([&] { return page->title() == "finished true Ann"; }, kWait)) << page->title().toStdString();
    EXPECT_TRUE(allAnswered());
    EXPECT_TRUE(engines.seen.isEmpty()) << engines.seen.join(" | ").toStdString();
}

TEST_F(ViewsTest, TheAddressBoxShowsTheDocumentsOwnFileWhateverItsScriptSaysItsAddressIs) {
    // Each click on the page takes its script one step on: a place in the page, an address of a
    // file the page is not (another site's, one of its own site), then its own path again.
    const QString path = writeFile(
        "site/my pages/a.htm",
        "<html><head><title>a</title></head><body style='margin:0'>"
        "<button id=next style='width:400px;height:200px'>next</button><p id=end>end</p><script>\n"
        "const own = location.pathname;\n"
        "const steps = [() => { location.hash = 'end'; },\n"
        "               () => history.pushState(null, '', '/etc/passwd'),\n"
        "               () => { location.hash = 'top'; },\n"
        "               () => history.replaceState(null, '', 'b.htm#end'),\n"
        "               () => history.replaceState(null, '', own + '?q=1#end')];\n"
        "let step = 0;\n"
        "document.getElementById('next').onclick = () => { steps[step++](); document.title = 'step ' + step; };\n"
        "</script></body></html>");
    writeFile("site/my pages/b.htm", "<p>b</p>");
    mainWindow->openFile(path);
    DocumentWindow* doc = activeDocument();
    QWebEngineView* page = doc->webBrowser->view();
    QSignalSpy addressed(page, &QWebEngineView::urlChanged);
    view(doc, 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return mainWindow->cboUrl->currentText() == path; }, kWait));
    ASSERT_TRUE(QTest::qWaitFor([&] { return js(page, "document.readyState").toString() == "complete"; }, kWait));
    const QString shown[] = {path + "#end", path, path, path, path + "#end"};
    for (const QString& expected : shown) {
        const int before = addressed.count();
        QTest::mouseClick(page->focusProxy(), Qt::LeftButton, {}, QPoint(50, 50));
        ASSERT_TRUE(QTest::qWaitFor([&] { return addressed.count() > before; }, kWait)) << "the page's address never changed";
        EXPECT_EQ(mainWindow->cboUrl->currentText().toStdString(), expected.toStdString()) << page->url().toString().toStdString();
    }
    EXPECT_EQ(mainWindow->cboUrl->findText(path.left(path.lastIndexOf('/')) + "/b.htm"), -1);
    EXPECT_EQ(mainWindow->cboUrl->findText("/etc/passwd"), -1);

    // Refresh loads the file the user opened, not the address its script gave.
    js(page, "history.pushState(null, '', '/etc/passwd')");
    ASSERT_TRUE(QTest::qWaitFor([&] { return page->url().path() == "/etc/passwd"; }, kWait));
    QSignalSpy loaded(page, &QWebEngineView::loadFinished);
    mainWindow->tbrIe_ButtonClick(4);
    ASSERT_TRUE(loaded.wait(kWait) || loaded.count() > 0);
    EXPECT_EQ(js(page, "document.getElementById('end').textContent").toString(), "end");
    EXPECT_EQ(mainWindow->cboUrl->currentText(), path);

    // A place in the page typed into the box leads there.
    mainWindow->cboUrl->lineEdit()->clear();
    QTest::keyClicks(mainWindow->cboUrl->lineEdit(), path + "#end");
    QTest::keyClick(mainWindow->cboUrl->lineEdit(), Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return js(page, "location.hash").toString() == "#end"; }, kWait));
    EXPECT_EQ(js(page, "document.getElementById('end').textContent").toString(), "end");
    EXPECT_EQ(mainWindow->cboUrl->currentText(), path + "#end");
}

}  // namespace
}  // namespace kavrin::test
