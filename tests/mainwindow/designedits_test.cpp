// Edits in the design view change the source only where the user edited: keys and clicks into the
// real web engine, then the source as the Edit view shows it, byte for byte.
#include <iostream>

#include <QApplication>
#include <QClipboard>
#include <QKeySequence>

#include "designpage.h"

namespace kavrin::test {
namespace {

class DesignEditsTest : public DesignPageTest {
protected:
    // Back to the source: what the design session made of it.
    QByteArray sourceAfterEdit(DocumentWindow* doc) {
        view(doc, 0);
        return doc->txtMain->text().toUtf8();
    }

    void design(DocumentWindow* doc) {
        view(doc, 2);
        ASSERT_TRUE(waitDesignReady(*doc->dhtm, kWait));
    }

    static void key(DocumentWindow* doc, Qt::Key k, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(input(doc), k, modifiers);
    }

    // A click before `from`, then a click with Shift before `to`: the selection a person drags.
    static void selectBetween(DocumentWindow* doc, const QString& from, const QString& to, const QString& shows) {
        clickBefore(doc, from);
        QTest::mouseClick(input(doc), Qt::LeftButton, Qt::ShiftModifier, placeOf(doc, to, true));
        EXPECT_TRUE(QTest::qWaitFor([&] { return js(doc, "getSelection().toString()").toString() == shows; }, kWait))
            << js(doc, "getSelection().toString()").toString().toStdString();
    }

    // Waits for the page to report a change, then hands back the HTML as it stands.
    static QString changedFrom(DocumentWindow* doc, const QString& before) {
        QString now;
        EXPECT_TRUE(QTest::qWaitFor([&] { return (now = currentHtml(*doc->dhtm)) != before; }, kWait));
        return now;
    }
};

// An admin sidebar: a paragraph inside a link inside a list item, on CR LF lines.
const QByteArray kMenu = "<html><body>\r\n<ul>\r\n<li><a href=\"x.html\"><i class=\"ic\"></i>\r\n  <p>Language Menu</p>\r\n"
                         "</a></li>\r\n</ul>\r\n</body></html>\r\n";

TEST_F(DesignEditsTest, TypingEnterAndDeleteInALinkThatHoldsABlockChangeThatParagraphAlone) {
    DocumentWindow* doc = openPage(kMenu);
    design(doc);
    clickBefore(doc, "Language");
    typeKeys(doc, "Qzx ");
    QByteArray expected = QByteArray(kMenu).replace("<p>Language", "<p>Qzx Language");
    ASSERT_EQ(sourceAfterEdit(doc), expected);

    design(doc);
    clickBefore(doc, "Menu");
    const QString before = currentHtml(*doc->dhtm);
    key(doc, Qt::Key_Return);
    changedFrom(doc, before);
    expected.replace("Language Menu</p>", "Language </p><p>Menu</p>");
    ASSERT_EQ(sourceAfterEdit(doc), expected);

    design(doc);
    clickBefore(doc, "Menu");
    key(doc, Qt::Key_Delete);
    key(doc, Qt::Key_Backspace);
    EXPECT_TRUE(QTest::qWaitFor([&] { return currentHtml(*doc->dhtm).contains("Qzx Language enu"); }, kWait));
    expected.replace("Language </p><p>Menu</p>", "Language enu</p>");
    EXPECT_EQ(sourceAfterEdit(doc), expected);
}

// A page with pictures stays out of layout until they have come, and the caret Design opens with
// is put meanwhile: keys typed there before the user moves it go in all the same.
TEST_F(DesignEditsTest, KeysTypedAtTheCaretDesignOpensWithOnAPageOfPicturesGoIn) {
    writeFile("site/dot.png", QByteArray::fromBase64("iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42m"
                                                     "P8z8DwHwAFBQIAX8jx0gAAAABJRU5ErkJggg=="));
    const QByteArray page = "<html><body>\r\n<h1>Styled heading</h1>\r\n<p><img src=\"dot.png\" width=\"8\" height=\"8\"> here</p>\r\n"
                            "</body></html>\r\n";
    DocumentWindow* doc = openPage(page);
    design(doc);
    typeKeys(doc, "ab");
    EXPECT_EQ(sourceAfterEdit(doc), QByteArray(page).replace("<h1>Styled", "<h1>abStyled"));
}

TEST_F(DesignEditsTest, EnterSplitsTheParagraphAroundTheCaretInPlaceAndShiftEnterBreaksTheLine) {
    const QByteArray page = "<dl><dt>-u</dt><dd><div><p>show untracked files and directories.</p></div>"
                            "<ul><li>no</li></ul></dd></dl>\r\n<pre>one two</pre>\r\n<p>last line here</p>\r\n";
    DocumentWindow* doc = openPage(page);
    design(doc);
    clickBefore(doc, "and");
    key(doc, Qt::Key_Return);
    typeKeys(doc, "X");
    clickBefore(doc, "two");
    key(doc, Qt::Key_Return);
    typeKeys(doc, "Y");
    clickBefore(doc, "here");
    key(doc, Qt::Key_Return, Qt::ShiftModifier);
    typeKeys(doc, "Z");
    EXPECT_EQ(sourceAfterEdit(doc), QByteArray(page)
                                        .replace("files and", "files </p><p>Xand")
                                        .replace("one two", "one \r\nYtwo")
                                        .replace("line here", "line <br>Zhere"));
}

// An admin sidebar as its style sheet shows it: the link a block, the item's text inline in it, a
// submenu after the link; and a list of links shown as blocks. Enter splits the sidebar's item at
// the caret, the submenu staying with the rest, and a link of the list in two; Backspace makes
// each one again.
TEST_F(DesignEditsTest, EnterInALinkShownAsABlockSplitsTheListItemThatHoldsItOrElseTheLinkAndBackspaceJoinsIt) {
    const QByteArray page = "<html><head><style>a { display: block } p { display: inline }</style></head><body>\r\n"
                            "<ul>\r\n<li class=\"item\"><a href=\"x.html\"><i class=\"ic\"></i>\r\n  <p>Language Menu</p>\r\n"
                            "</a><ul><li>Sub</li></ul></li>\r\n</ul>\r\n"
                            "<div class=\"list\"><a href=\"a.html\">First entry</a><a href=\"b.html\">Second entry</a></div>\r\n"
                            "</body></html>\r\n";
    DocumentWindow* doc = openPage(page);
    design(doc);
    clickBefore(doc, "Menu");
    key(doc, Qt::Key_Return);
    typeKeys(doc, "X");
    clickBefore(doc, "entry");
    key(doc, Qt::Key_Return);
    typeKeys(doc, "Y");
    const QByteArray split = QByteArray(page)
                                 .replace("Language Menu", "Language </p></a></li><li class=\"item\"><a href=\"x.html\"><p>XMenu")
                                 .replace("First entry", "First </a><a href=\"a.html\">Yentry");
    ASSERT_EQ(sourceAfterEdit(doc), split);

    design(doc);
    clickBefore(doc, "XMenu");
    key(doc, Qt::Key_Backspace);
    EXPECT_TRUE(QTest::qWaitFor([&] { return js(doc, "document.querySelectorAll('li.item').length").toInt() == 1; }, kWait));
    clickBefore(doc, "Yentry");
    key(doc, Qt::Key_Backspace);
    EXPECT_TRUE(QTest::qWaitFor([&] { return js(doc, "document.querySelectorAll('.list a').length").toInt() == 2; }, kWait));
    EXPECT_EQ(sourceAfterEdit(doc),
              QByteArray(page).replace("Language Menu", "Language XMenu").replace("First entry", "First Yentry"));
}

// An icon font's picture is an empty element the style sheet draws: text typed at the start of its
// line goes after it, not into it (where it would take the icon's font).
TEST_F(DesignEditsTest, TextTypedAtAnIconGoesBesideItNotIntoIt) {
    const QByteArray page = "<html><head><style>a { display: block } .ic { display: inline-block; width: 1em } .ic::before { content: \"*\" }</style></head><body>\r\n"
                            "<ul>\r\n<li><a href=\"x.html\"><i class=\"ic\"></i>\r\n  <span>Dashboard</span></a></li>\r\n</ul>\r\n"
                            "</body></html>\r\n";
    DocumentWindow* doc = openPage(page);
    design(doc);
    clickBefore(doc, "Dashboard");
    key(doc, Qt::Key_Home);
    typeKeys(doc, "My");
    EXPECT_EQ(sourceAfterEdit(doc), QByteArray(page).replace("</i>", "</i>My"));
}

// A selection from inside one sidebar item to the start of the next item's line, where its icon
// stands, deleted: the next item's icon and text join the first item together.
TEST_F(DesignEditsTest, DeletingToTheStartOfALineThatStartsWithAnIconKeepsTheIconWithItsText) {
    const QByteArray page = "<html><head><style>a { display: block } p { display: inline }"
                            " .ic { display: inline-block; width: 1em } .ic::before { content: \"*\" }</style></head><body>\r\n"
                            "<ul><li><a href=\"a.html\"><i class=\"ic\"></i> <p>First one</p></a></li>\r\n"
                            "<li><a href=\"b.html\"><i class=\"ic\"></i> <p>Second two</p></a></li></ul>\r\n</body></html>\r\n";
    DocumentWindow* doc = openPage(page);
    design(doc);
    clickBefore(doc, "one");
    key(doc, Qt::Key_Down, Qt::ShiftModifier);
    key(doc, Qt::Key_Home, Qt::ShiftModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return js(doc, "getSelection().toString()").toString().trimmed() == "one"; }, kWait))
        << js(doc, "getSelection().toString()").toString().toStdString();
    key(doc, Qt::Key_Delete);
    EXPECT_TRUE(QTest::qWaitFor([&] { return js(doc, "document.querySelectorAll('li').length").toInt() == 1; }, kWait));
    EXPECT_EQ(sourceAfterEdit(doc), QByteArray(page).replace("one</p></a></li>\r\n<li><a href=\"b.html\">", "</p>"));
}

// Generated manuals write their anchors as `<a id="x"/>`, which the parser keeps open to the end of
// the heading: Enter there splits the heading, and the anchor names the first part alone.
TEST_F(DesignEditsTest, EnterInAHeadingThatHoldsAnOpenNamedAnchorLeavesTheAnchorInTheFirstPart) {
    const QByteArray page = "<h1 class=\"title\"><a id=\"_appendix\"/>Appendix A. Closing</h1>\r\n<p>Text</p>\r\n";
    DocumentWindow* doc = openPage(page);
    design(doc);
    clickBefore(doc, "Closing");
    key(doc, Qt::Key_Return);
    typeKeys(doc, "X");
    const QByteArray saved = sourceAfterEdit(doc);
    EXPECT_EQ(saved.count("_appendix"), 1) << saved.constData();
    EXPECT_TRUE(saved.contains("<h1 class=\"title\">XClosing</h1>")) << saved.constData();
    EXPECT_TRUE(saved.contains("Appendix A. </a></h1>") || saved.contains("Appendix A. </h1>")) << saved.constData();
}

// A click before a word that starts the second of two inline elements: the engine puts its caret
// at the end of the first, and before the second of two blanks it shows as one at the first. The
// text typed goes where the click aimed, with the word: into the second label (a generated
// manual's pair of boxed labels), before the link that follows a bold word (not into the bold
// word, nor into the link), after the page's two blanks.
TEST_F(DesignEditsTest, TextTypedAfterAClickBeforeAWordGoesWithThatWord) {
    const QByteArray page = "<html><head><style>span.l{margin-right:4px;padding:2px 3px;border:1px solid #555}</style></head>"
                            "<body>\r\n<p><span class=\"l\">inline</span><span class=\"l\">explicit</span> and <b>bold</b>"
                            "<a href=\"x.html\">Link</a> here.</p>\r\n<p>\r\n  too many problems.  Like <code>error</code>, it\r\n"
                            "</p>\r\n<p><input type=\"checkbox\" id=\"r\"><label for=\"r\">Remember me</label></p>\r\n"
                            "</body></html>\r\n";
    DocumentWindow* doc = openPage(page);
    design(doc);
    clickBefore(doc, "explicit");
    typeKeys(doc, "Qzx ");
    clickBefore(doc, "Link");
    typeKeys(doc, "Ab ");
    clickBefore(doc, "Like");
    typeKeys(doc, "Cd ");
    // A click on a label's word edits the label: the keys do not go to its field.
    clickBefore(doc, "Remember");
    typeKeys(doc, "Ef ");
    EXPECT_EQ(sourceAfterEdit(doc), QByteArray(page)
                                        .replace("\">explicit", "\">Qzx explicit")
                                        .replace("</b><a", "</b>Ab <a")
                                        .replace("problems.  Like", "problems.  Cd Like")
                                        .replace(">Remember", ">Ef Remember"));
}

TEST_F(DesignEditsTest, DeletingASelectionAcrossTwoBlocksTakesTheSelectedTextAndJoinsTheRest) {
    const QByteArray page = "<h2>Getting started</h2>\r\n<div class=\"example\">Example one two</div>\r\n"
                            "<p>First para text</p>\r\n<p><code>code sample</code> after</p>\r\n<p>Untouched</p>\r\n"
                            "<div class=\"card\"><p>Card alpha body</p></div>\r\n<div class=\"card\"><p>Card beta body</p></div>\r\n";
    DocumentWindow* doc = openPage(page);
    design(doc);
    selectBetween(doc, "arted", "ne two", "arted\nExample o");
    key(doc, Qt::Key_Delete);
    EXPECT_TRUE(QTest::qWaitFor([&] { return currentHtml(*doc->dhtm).contains("stne"); }, kWait));
    selectBetween(doc, "text", "ample", "text\n\ncode s");
    key(doc, Qt::Key_Backspace);
    EXPECT_TRUE(QTest::qWaitFor([&] { return currentHtml(*doc->dhtm).contains("para <code>"); }, kWait));
    // From one card into the next, typed over: the typed text takes the selection's place.
    selectBetween(doc, "alpha", "beta", "alpha body\n\nCard ");
    typeKeys(doc, "X");
    EXPECT_EQ(sourceAfterEdit(doc), QByteArray(page)
                                        .replace("alpha body</p></div>\r\n<div class=\"card\"><p>Card beta", "Xbeta")
                                        .replace("arted</h2>\r\n<div class=\"example\">Example one two</div>",
                                                 "ne two</h2>")
                                        .replace("text</p>\r\n<p><code>code sample</code> after</p>",
                                                 "<code>ample</code> after</p>"));
}

// The selection starting at an inline element's word, in a generated manual's signature line,
// and one from the last cell of a note's table to the paragraph after it: the second block's rest
// joins the first outside the element the selection emptied, with its own formatting, and the
// table keeps its shape.
TEST_F(DesignEditsTest, DeletingAcrossTwoBlocksFromTheEndOfAnElementOrACellJoinsTheRestThere) {
    const QByteArray page = "<dl><dt><em class=\"sig-param\"><span class=\"o\">**</span><span class=\"n\">options</span></em>)</dt>\r\n"
                            "<dd><p>Create a default box.</p>\r\n</dd></dl>\r\n"
                            "<div class=\"note\"><table><tr><td>\r\n<p>Note text here</p>\r\n</td></tr></table></div>\r\n"
                            "<p>You can upgrade now.</p>\r\n";
    DocumentWindow* doc = openPage(page);
    design(doc);
    selectBetween(doc, "options", "default", "options)\nCreate a ");
    key(doc, Qt::Key_Delete);
    EXPECT_TRUE(QTest::qWaitFor([&] { return currentHtml(*doc->dhtm).contains("default box.</dt>"); }, kWait))
        << currentHtml(*doc->dhtm).toStdString();
    selectBetween(doc, "here", "upgrade", "here\n\nYou can ");
    key(doc, Qt::Key_Delete);
    EXPECT_TRUE(QTest::qWaitFor([&] { return currentHtml(*doc->dhtm).contains("text upgrade"); }, kWait))
        << currentHtml(*doc->dhtm).toStdString();
    EXPECT_EQ(sourceAfterEdit(doc), QByteArray(page)
                                        .replace("<span class=\"n\">options</span></em>)</dt>\r\n<dd><p>Create a default box.</p>\r\n</dd>",
                                                 "</em>default box.</dt>")
                                        .replace("here</p>\r\n</td></tr></table></div>\r\n<p>You can upgrade now.</p>",
                                                 "upgrade now.</p>\r\n</td></tr></table></div>"));
}

// Blocks as a dashboard's style sheet shows them. A post's user line is a span shown as a block:
// a selection from a paragraph into it takes the user line's rest alone into the paragraph, and
// the line under it, another such span, stays where it was. A footer starts with a note hidden
// in narrow windows, and the engine ends a selection to the footer's first shown word before
// that note: the note goes with the selection, and the footer's text joins the heading.
TEST_F(DesignEditsTest, DeletingAcrossBlocksTakesTheBlocksAsThePageShowsThem) {
    const QByteArray page = "<html><head><style>.user .name, .user .note { display: block } .wide { display: none }</style>"
                            "</head><body>\r\n"
                            "<div class=\"post\"><p>Lorem ipsum text.</p>\r\n<p><a href=\"#\">Demo File one</a></p>\r\n</div>\r\n"
                            "<div class=\"post\"><div class=\"user\">\r\n<span class=\"name\">Sarah Ross</span>\r\n"
                            "<span class=\"note\">Sent you a message</span>\r\n</div>\r\n<p>Second post</p>\r\n</div>\r\n"
                            "<div class=\"card\"><h3>Line Chart</h3>\r\n<div class=\"chart\"></div></div>\r\n"
                            "<footer>\r\n<div class=\"wide\"><b>Version</b> 3</div>\r\n<strong>Copyright 2021</strong> All rights.\r\n"
                            "</footer>\r\n</body></html>\r\n";
    DocumentWindow* doc = openPage(page);
    design(doc);
    selectBetween(doc, "File", "Ross", "File one\n\nSarah ");
    key(doc, Qt::Key_Delete);
    EXPECT_TRUE(QTest::qWaitFor([&] { return currentHtml(*doc->dhtm).contains("Demo </a>Ross"); }, kWait))
        << currentHtml(*doc->dhtm).toStdString();
    selectBetween(doc, "Chart", "Copyright", "Chart\n");
    key(doc, Qt::Key_Delete);
    EXPECT_TRUE(QTest::qWaitFor([&] { return currentHtml(*doc->dhtm).contains("Line <strong>"); }, kWait))
        << currentHtml(*doc->dhtm).toStdString();
    EXPECT_EQ(sourceAfterEdit(doc),
              QByteArray(page)
                  .replace("File one</a>", "</a>Ross")
                  .replace("<span class=\"name\">Sarah Ross</span>\r\n", "")
                  .replace("Chart</h3>\r\n<div class=\"chart\"></div></div>\r\n<footer>\r\n<div class=\"wide\"><b>Version</b> 3</div>\r\n"
                           "<strong>Copyright 2021</strong> All rights.\r\n</footer>",
                           "<strong>Copyright 2021</strong> All rights.\r\n</h3></div>"));
}

TEST_F(DesignEditsTest, EachEditIsUndoneInTurnBackToThePageAsLoadedAndRedone) {
    const QByteArray page = "<html>\r\n<body>\r\n<h1>Title words</h1>\r\n<p>Alpha beta gamma</p>\r\n"
                            "<p><b>Delta</b> epsilon</p>\r\n</body>\r\n</html>\r\n";
    DocumentWindow* doc = openPage(page);
    design(doc);
    const QString loaded = currentHtml(*doc->dhtm);
    QStringList states{loaded};
    clickBefore(doc, "beta");
    typeKeys(doc, "Qzx ");
    states << currentHtml(*doc->dhtm);
    key(doc, Qt::Key_Return);
    states << changedFrom(doc, states.last());
    clickBefore(doc, "epsilon");
    for (int i = 0; i < 3; ++i) key(doc, Qt::Key_Backspace);
    states << changedFrom(doc, states.last());
    selectBetween(doc, "words", "Qzx", "words\nAlpha ");
    key(doc, Qt::Key_Delete);
    states << changedFrom(doc, states.last());
    // The history's steps: each undo takes back one edit, the caret goes back where it was.
    for (int i = int(states.size()) - 2; i >= 0; --i) {
        key(doc, Qt::Key_Z, Qt::ControlModifier);
        ASSERT_EQ(changedFrom(doc, states[i + 1]).toStdString(), states[i].toStdString()) << "undo to " << i;
    }
    EXPECT_TRUE(js(doc, "getSelection().isCollapsed && getSelection().anchorNode.data === 'Alpha beta gamma'"
                        " && getSelection().anchorOffset === 6").toBool())
        << "the caret is not back before the first edit";
    EXPECT_EQ(sourceAfterEdit(doc), page);

    design(doc);
    clickBefore(doc, "gamma");
    typeKeys(doc, "one ");
    const QString typed = currentHtml(*doc->dhtm);
    mainWindow->mnuEditUndo_Click();
    EXPECT_EQ(changedFrom(doc, typed).toStdString(), loaded.toStdString());
    key(doc, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(changedFrom(doc, loaded).toStdString(), typed.toStdString());
    EXPECT_EQ(sourceAfterEdit(doc), QByteArray(page).replace("gamma", "one gamma"));
}

TEST_F(DesignEditsTest, PastedTextGoesInAsTextAndCutElementsComeBackAsTheyWere) {
    const QByteArray page = "<p>First <b class=\"k\">strong</b> words here</p>\r\n<p>Second line</p>\r\n";
    DocumentWindow* doc = openPage(page);
    design(doc);
    QApplication::clipboard()->setText("<i>plain</i> & text ");
    clickBefore(doc, "line");
    key(doc, Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return currentHtml(*doc->dhtm).contains("text line"); }, kWait));
    selectBetween(doc, "strong", "words", "strong ");
    key(doc, Qt::Key_X, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !currentHtml(*doc->dhtm).contains("strong"); }, kWait));
    clickBefore(doc, "Second");
    key(doc, Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return currentHtml(*doc->dhtm).contains("strong"); }, kWait));
    EXPECT_EQ(sourceAfterEdit(doc), "<p>First words here</p>\r\n<p><b class=\"k\">strong</b> Second "
                                    "&lt;i&gt;plain&lt;/i&gt; &amp; text line</p>\r\n");
}

// A word cut from between two no-break spaces leaves both, as the page shows them: the source
// loses the word alone, and nothing of the text after it.
TEST_F(DesignEditsTest, AWordCutFromBetweenNoBreakSpacesTakesItsLettersAlone) {
    const QByteArray page = "<p>a compiler&nbsp;intermediate&nbsp;representation,&nbsp;or used</p>\r\n";
    DocumentWindow* doc = openPage(page);
    design(doc);
    selectWord(doc, "intermediate");
    key(doc, Qt::Key_X, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !currentHtml(*doc->dhtm).contains("intermediate"); }, kWait));
    EXPECT_EQ(sourceAfterEdit(doc), "<p>a compiler&nbsp;&nbsp;representation,&nbsp;or used</p>\r\n");
}

// The Edit menu's Cut and Paste and the Delete command make the same edits as the keys.
TEST_F(DesignEditsTest, CutPasteAndDeleteCommandsMakeTheSameLeastChanges) {
    const QByteArray page = "<p>One <i>two</i> three</p>\r\n<p>Four five</p>\r\n<h3>Six seven</h3>\r\n<p>Eight</p>\r\n";
    DocumentWindow* doc = openPage(page);
    design(doc);
    selectBetween(doc, "two", "three", "two ");
    mainWindow->mnuEditCut_Click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !currentHtml(*doc->dhtm).contains("two"); }, kWait));
    clickBefore(doc, "Four");
    mainWindow->mnuEditPaste_Click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return currentHtml(*doc->dhtm).contains("two"); }, kWait));
    selectBetween(doc, "five", "seven", "five\n\nSix ");
    doc->dhtm->ExecCommand(DECMD_DELETE);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !currentHtml(*doc->dhtm).contains("Six"); }, kWait));
    EXPECT_EQ(sourceAfterEdit(doc), "<p>One three</p>\r\n<p><i>two</i> Four seven</p>\r\n<p>Eight</p>\r\n");
}

// Enter at the end of a heading starts a paragraph of the kind the options say, as before.
TEST_F(DesignEditsTest, EnterAtTheEndOfAHeadingStartsTheParagraphTheOptionsAskFor) {
    const QByteArray page = "<h1>Title</h1>\r\n<p>Body</p>\r\n";
    for (const bool divs : {false, true}) {
        DocumentWindow* doc = openPage(page);
        doc->dhtm->UseDivOnCarriageReturn = divs;
        design(doc);
        clickBefore(doc, "Title");
        key(doc, Qt::Key_End);
        key(doc, Qt::Key_Return);
        typeKeys(doc, "New");
        EXPECT_EQ(sourceAfterEdit(doc), divs ? "<h1>Title</h1><div>New</div>\r\n<p>Body</p>\r\n"
                                             : "<h1>Title</h1><p>New</p>\r\n<p>Body</p>\r\n");
        doc->fileSaved = true;
        mainWindow->mnuFileClose_Click();
        ASSERT_TRUE(QTest::qWaitFor([] { return Form::documentCount() == 0; }, kWait));
    }
}

// A drag within the page moves the dragged piece, the same elements, to where it is dropped. A
// drag cannot be driven through the window system offscreen: the page gets the events the engine
// gives it for one, from the selection to a point inside another paragraph.
TEST_F(DesignEditsTest, ADropInsideThePageMovesTheDraggedPieceThere) {
    const QByteArray page = "<p>Alpha <b class=\"k\">beta</b> gamma</p>\r\n<p>Delta epsilon</p>\r\n";
    DocumentWindow* doc = openPage(page);
    design(doc);
    selectBetween(doc, "beta", "gamma", "beta ");
    const QPoint to = placeOf(doc, "epsilon", true);
    EXPECT_TRUE(js(doc, QString("(() => { const data = new DataTransfer(); const from = getSelection().anchorNode.parentNode;"
                                "from.dispatchEvent(new DragEvent('dragstart', {dataTransfer: data, bubbles: true, cancelable: true}));"
                                "const drop = new DragEvent('drop', {dataTransfer: data, bubbles: true, cancelable: true, clientX: %1, clientY: %2});"
                                "document.elementFromPoint(%1, %2).dispatchEvent(drop);"
                                "from.dispatchEvent(new DragEvent('dragend', {dataTransfer: data, bubbles: true}));"
                                "return drop.defaultPrevented; })()")
                            .arg(to.x() - 1)
                            .arg(to.y()))
                    .toBool());
    EXPECT_EQ(sourceAfterEdit(doc), "<p>Alpha gamma</p>\r\n<p>Delta <b class=\"k\">beta</b> epsilon</p>\r\n");
}

// Not run by default: a measure whose figures follow the machine's load. The page's own time for
// a key, from its press to its release, on a page of a megabyte, beside the time the page takes to
// lay itself out once after a change, which any edit costs: an edit of the page script's costs
// about that (the engine's own editing, a few times as much).
// Run: kavrin_test_mainwindow --gtest_also_run_disabled_tests --gtest_filter='*KeyOnA*'
TEST_F(DesignEditsTest, DISABLED_AKeyOnAMegabytePageCostsNoMoreThanAFrameBeyondOneLayout) {
    QByteArray page = "<html><body>\r\n";
    for (int i = 0; page.size() < 1024 * 1024; ++i)
        page += "<h2>Section " + QByteArray::number(i) + "</h2>\r\n<p>Some <b>bold</b> text of paragraph " +
                QByteArray::number(i) + " with <a href=\"x.html\">a link</a> and more words.</p>\r\n"
                "<ul><li>item one</li><li>item two</li></ul>\r\n";
    page += "<p>Target words here</p>\r\n</body></html>\r\n";
    DocumentWindow* doc = openPage(page);
    design(doc);
    const double layout =
        js(doc, "(() => { const t = [...document.body.querySelectorAll('p')].pop().firstChild; const times = [];"
                "for (let i = 0; i < 5; ++i) { const a = performance.now(); t.insertData(0, 'x'); document.body.offsetHeight;"
                "times.push(performance.now() - a); t.deleteData(0, 1); document.body.offsetHeight; }"
                "return times.sort((a, b) => a - b)[2]; })()")
            .toDouble();
    clickBefore(doc, "Target");
    js(doc, "window.keyTimes = []; document.addEventListener('keydown', () => { window.pressed = performance.now(); }, true);"
            "document.addEventListener('keyup', () => { window.keyTimes.push(performance.now() - window.pressed); }, true)");
    for (const Qt::Key k : {Qt::Key_A, Qt::Key_Backspace, Qt::Key_Return}) {
        js(doc, "window.keyTimes = []");
        for (int n = 0; n < 9; ++n) {
            key(doc, k);
            QTest::qWait(30);
        }
        ASSERT_TRUE(QTest::qWaitFor([&] { return js(doc, "window.keyTimes.length").toInt() == 9; }, kWait));
        const double median = js(doc, "window.keyTimes.sort((a, b) => a - b)[4]").toDouble();
        std::cout << "key " << QKeySequence(k).toString().toStdString() << ": median " << median << " ms "
                  << js(doc, "JSON.stringify(window.keyTimes.map(Math.round))").toString().toStdString() << "; one layout "
                  << layout << " ms\n";
        EXPECT_LT(median, layout + 16.0);
    }
}

}  // namespace
}  // namespace kavrin::test
