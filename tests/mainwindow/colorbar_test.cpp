// Colours typed into the source from the colour bar and the colour palette, the colour bar's own
// squares kept between runs, and colour coding switched off, on and anew from the Tools menu.
#include <QTest>

#include "documents/colouring/colorrtf.h"
#include "documents/docstate.h"
#include "mainwindow/colorbar.h"
#include "mainwindow_fixture.h"
#include "tagdialogs/frmColor.h"

namespace kavrin::test {
namespace {

class ColorBarTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        start();
        frmColor::hexColor.clear();
        frmColor::winColor.clear();
        newDocument();
        doc = activeDocument();
        ASSERT_NE(doc, nullptr);
        mainWindow->picTab_MouseDown(7);
    }
    RichTextBox* editor() const { return doc->txtMain; }
    void setDocument(const QString& marked) { setMarkedText(editor(), marked); }
    static void click(QWidget* square, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(square, button, {}, QPoint(5, 5));
    }
    static ColorSwatch* custom(int i) { return mainWindow->picColor->lblCustomColor[i]; }
    // The picker answers with box `entry` (1 to 216), or is cancelled with 0.
    void expectPicker(int entry) {
        expectModal("frmColor", [entry](Form& form) {
            auto& picker = dynamic_cast<frmColor&>(form);
            if (entry == 0) {
                picker.cmdCancel->click();
                return;
            }
            const PaletteEntry box = webSafePalette()[entry - 1];
            QTest::mouseClick(&picker, Qt::LeftButton, {}, QPoint(picker.paletteLeft() + box.x / 15 + 5, box.y / 15 + 5));
            picker.cmdOk->click();
        });
    }
    static constexpr int kRedBox = 181;  // red 255, green 0, blue 0

    DocumentWindow* doc = nullptr;
};

TEST_F(ColorBarTest, FixedSquaresTypeTheirColourOverTheSelectionAsOneUndoStep) {
    // Red in the low byte of a colour value, first in the text.
    const std::pair<int, const char*> squares[] = {{0, "000000"}, {1, "800000"}, {4, "000080"},
                                                   {9, "FF0000"}, {11, "FFFF00"}, {15, "FFFFFF"}};
    for (const auto& [i, hex] : squares) {
        setDocument("<font color=|red|>");
        click(mainWindow->picColor->lblColor[i]);
        EXPECT_EQ(editor()->text(), QString("<font color=\"#%1\">").arg(hex)) << i;
    }

    setFileSaved(doc, true);
    setDocument("<td bgcolor=|white|>");
    const int steps = doc->undoI;
    click(mainWindow->picColor->lblColor[9]);
    EXPECT_EQ(editor()->text(), "<td bgcolor=\"#FF0000\">");
    EXPECT_EQ(editor()->selStart(), 21);
    EXPECT_EQ(doc->undoI, steps + 1);
    EXPECT_FALSE(doc->fileSaved);
    mainWindow->mnuEditUndo->trigger();
    EXPECT_EQ(editor()->text(), "<td bgcolor=white>");
}

TEST_F(ColorBarTest, CustomSquaresAreDefinedByTheUserAndKeptBetweenRuns) {
    EXPECT_LT(custom(3)->backColor(), 0) << "undefined at the first start";
    setDocument("x|");

    // An undefined square asks first; No leaves everything as it was.
    expectMsgBox("Would you like to add a color now?", vbNo);
    click(custom(3));
    EXPECT_TRUE(allAnswered());
    EXPECT_EQ(editor()->text(), "x");
    EXPECT_EQ(setting("CustomColors", "Custom3"), "<none>");

    // Yes defines it, and defining types nothing.
    expectMsgBox("right-click on one of the custom color squares", vbYes);
    expectPicker(kRedBox);
    click(custom(3));
    EXPECT_TRUE(allAnswered());
    EXPECT_EQ(custom(3)->backColor(), 0x0000FF);
    EXPECT_EQ(setting("CustomColors", "Custom3"), "255");
    EXPECT_EQ(editor()->text(), "x");
    click(custom(3));
    EXPECT_EQ(editor()->text(), "x\"#FF0000\"");

    // A right click redefines; Cancel keeps the colour.
    expectPicker(0);
    click(custom(3), Qt::RightButton);
    EXPECT_EQ(custom(3)->backColor(), 0x0000FF);
    EXPECT_EQ(setting("CustomColors", "Custom3"), "255");
    expectPicker(1);  // black
    click(custom(0), Qt::RightButton);
    EXPECT_EQ(setting("CustomColors", "Custom0"), "0");

    // A stored value that is no colour counts as undefined.
    store("CustomColors", "Custom5", "blue");
    setFileSaved(doc, true);
    ASSERT_TRUE(exitProgram());
    newRun();
    start();
    EXPECT_EQ(custom(3)->backColor(), 0x0000FF);
    EXPECT_EQ(custom(0)->backColor(), 0);
    EXPECT_LT(custom(5)->backColor(), 0);
    newDocument();
    doc = activeDocument();
    click(custom(0));
    EXPECT_EQ(editor()->text(), "\"#000000\"");
    expectMsgBox("Would you like to add a color now?", vbNo);
    click(custom(5));
    EXPECT_TRUE(allAnswered());
}

TEST_F(ColorBarTest, ColorPaletteTypesThePickedColourAndCancelTypesNothing) {
    setDocument("<font color=|old|>");
    const int steps = doc->undoI;
    expectPicker(0);
    mainWindow->mnuToolsColorPicker->trigger();
    EXPECT_EQ(editor()->text(), "<font color=old>");
    EXPECT_EQ(doc->undoI, steps);

    expectPicker(kRedBox);
    mainWindow->mnuToolsColorPicker->trigger();
    EXPECT_EQ(editor()->text(), "<font color=\"#FF0000\">");
    EXPECT_EQ(doc->undoI, steps + 1);
    mainWindow->mnuEditUndo->trigger();
    EXPECT_EQ(editor()->text(), "<font color=old>");

    // The "Select Color" button beside the colour bar does the same in the source view.
    editor()->setSelStart(12);
    expectPicker(1);
    QTest::mouseClick(mainWindow->tbrColor->widgetForAction(mainWindow->tbrColor->button("color")), Qt::LeftButton);
    EXPECT_TRUE(allAnswered());
    EXPECT_EQ(editor()->text(), "<font color=\"#000000\"old>");
}

// ---- Colour coding from the Tools menu ----

class ColorCodeTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        start();
        colorOnOpen = true;
        tagColor = 0xA00000;
        tableColor = 0x80;
        commentColor = 0x808080;
        const QByteArray page =
            "<html>\r\n<body>\r\n<!-- menu -->\r\n<table border=\"1\"><tr><td><a href=\"x.html\">x</a></td></tr></table>\r\n"
            "<p>Some <b>text</b></p>\r\n</body>\r\n</html>\r\n";
        mainWindow->openFile(writeFile("page.html", page));
        doc = activeDocument();
        ASSERT_NE(doc, nullptr);
        ASSERT_TRUE(colorCoding);
    }
    RichTextBox* editor() const { return doc->txtMain; }
    // Each character's colour, as the editor shows it.
    QVector<int> shown() const {
        QVector<int> colors;
        for (int i = 0; i < editor()->textLength(); ++i) colors << editor()->colorAt(i);
        return colors;
    }
    // What a whole-page pass shows for the text.
    QVector<int> coloured() const {
        QVector<int> colors;
        for (const ColorSpan& span : expectedColorSpans(editor()->text(), currentTagColors()))
            for (int i = 0; i < span.text.size(); ++i) colors << span.color;
        return colors;
    }
    void expectMenuSays(bool on) const {
        EXPECT_EQ(mainWindow->mnuToolsColorCodeYes->isChecked(), on);
        EXPECT_EQ(mainWindow->mnuToolsColorCodeNo->isChecked(), !on);
        EXPECT_EQ(mainWindow->mnuToolsColorCodeRefresh->isEnabled(), on);
        EXPECT_EQ(colorCoding, on);
    }

    DocumentWindow* doc = nullptr;
};

TEST_F(ColorCodeTest, OffTakesOnlyTheColoursAndOnOrRefreshColourTheWholePage) {
    expectMenuSays(true);
    ASSERT_EQ(shown(), coloured());
    // An edit, so that there is an undo list to keep.
    editor()->setSelStart(editor()->text().indexOf("Some"));
    QTest::keyClicks(editor(), "Here ");
    const QString text = editor()->text();
    const int undo = doc->undoI;
    const int redo = doc->redoI;
    editor()->select(31, 12);
    const bool saved = doc->fileSaved;

    mainWindow->mnuToolsColorCodeNo->trigger();
    EXPECT_EQ(shown(), QVector<int>(text.size(), 0));
    EXPECT_EQ(editor()->text(), text);
    EXPECT_EQ(editor()->selStart(), 31);
    EXPECT_EQ(editor()->selLength(), 12);
    EXPECT_EQ(doc->undoI, undo);
    EXPECT_EQ(doc->redoI, redo);
    EXPECT_EQ(doc->fileSaved, saved);
    EXPECT_EQ(editor()->tag, "F");
    expectMenuSays(false);

    // Off again changes nothing, its check mark included.
    mainWindow->mnuToolsColorCodeNo->trigger();
    expectMenuSays(false);
    // What is typed now stays black.
    editor()->setSelStart(0);
    QTest::keyClicks(editor(), "<i>");
    EXPECT_EQ(editor()->colorAt(1), 0);
    const int typed = doc->undoI;

    mainWindow->mnuToolsColorCodeYes->trigger();
    expectMenuSays(true);
    EXPECT_EQ(shown(), coloured());
    EXPECT_EQ(editor()->tag, "T");
    EXPECT_EQ(doc->undoI, typed);

    // Refresh (and its key, F3) colours the whole page anew; Yes when on does the same.
    editor()->setRangeColor(0, editor()->textLength(), 0x123456);
    mainWindow->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(mainWindow));
    QTest::keyClick(editor(), Qt::Key_F3);
    EXPECT_EQ(shown(), coloured());
    expectMenuSays(true);
    editor()->setRangeColor(0, 10, 0x123456);
    mainWindow->mnuToolsColorCodeYes->trigger();
    EXPECT_EQ(shown(), coloured());
    expectMenuSays(true);
}

TEST_F(ColorCodeTest, OnForAnEmptyDocumentColoursWhatIsTypedNext) {
    mainWindow->mnuToolsColorCodeNo->trigger();
    newDocument();
    doc = activeDocument();
    ASSERT_TRUE(editor()->text().isEmpty());
    mainWindow->mnuToolsColorCodeNo->trigger();
    expectMenuSays(false);
    mainWindow->mnuToolsColorCodeYes->trigger();
    expectMenuSays(true);
    QTest::keyClicks(editor(), "<table>");
    EXPECT_EQ(editor()->colorAt(2), tableColor);
}

}  // namespace
}  // namespace kavrin::test
