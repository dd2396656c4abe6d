#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QWidget>

#include "documents/colouring/colorops.h"
#include "documents/globals.h"
#include "fixture.h"

namespace kavrin::test {
namespace {

using ColorOpsTest = KavrinTest;

TEST(Colors, NamesAndHexTextToColourValues) {
    EXPECT_EQ(colorNameToHex("Navy"), "000080");
    EXPECT_EQ(colorNameToHex("DARKORANGE"), "FF8C00");
    EXPECT_EQ(colorNameToHex("#ff0000"), "#ff0000");
    EXPECT_EQ(colorNameToHex("magenta"), "magenta");

    const std::pair<const char*, int> cases[] = {
        {"red", 255},
        {"\"#0000FF\"", 0xFF0000},
        {"#abc", 171 + 256 * 192},  // completed to abc000
        {"zz00zz", 0},
        {"#FFFFFF", 0xFFFFFF},
        {"00ff00ee", 0x00FF00},  // cut to six digits
        {"", 0},
        {"\"", 0},
        {"#", 0},
        {"turquoise", 0x40 + 0xE0 * 256 + 0xD0 * 65536},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(htmlColorToRgb(text), value) << text;
}

TEST(Colors, ColourValueTextToHex) {
    const std::pair<const char*, const char*> cases[] = {
        {"16711935", "FF00FF"}, {"10", "0A0000"}, {"0", "000000"}, {"255", "FF0000"},
        {"65280", "00FF00"},    {"abc", ""},      {"", ""},
    };
    for (const auto& [text, hex] : cases) EXPECT_EQ(colorToHex(text), QString(hex)) << text;
    // Round trip through both conversions.
    for (const char* hex : {"123456", "ABCDEF", "00FF7F"})
        EXPECT_EQ(colorToHex(QString::number(htmlColorToRgb(hex))), hex);
}

struct SpinCase {
    const char* text;
    int up;
    int step;
    const char* expected;
};

TEST_F(ColorOpsTest, SpinStepsTheNumberInATextField) {
    const SpinCase cases[] = {
        {"50%", 1, 5, "55%"},   {"2", 0, 5, "0"},       {"", 1, 0, "1"},      {"abc", 0, 0, "0"},
        {"10  ", 1, 0, "11"},   {"10 % ", 0, 0, "9%"},  {"2.5", 1, 0, "3"},   {"3.5", 0, 0, "3"},
        {"120px", 1, 0, "121"}, {"0", 0, 0, "0"},       {"7", 1, 255, "262"}, {"99999999999", 1, 0, "99999999999"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        QLineEdit edit(c.text);
        spinTextBox(&edit, c.up, c.step);
        EXPECT_EQ(edit.text(), QString(c.expected));
    }
}

TEST_F(ColorOpsTest, SpinAndSelectAllWorkOnCombosToo) {
    QComboBox combo;
    combo.setEditable(true);
    combo.addItems({"10%", "20%"});
    spinTextBox(&combo, 1, 0);
    EXPECT_EQ(combo.currentText(), "11%");
    selectAllText(&combo);
    EXPECT_EQ(combo.lineEdit()->selectedText(), "11%");

    QLineEdit edit("hello world");
    edit.setSelection(2, 1);
    selectAllText(&edit);
    EXPECT_EQ(edit.selectedText(), "hello world");
    // The dialogs react to the new number as to typing.
    QSignalSpy changed(&edit, &QLineEdit::textChanged);
    spinTextBox(&edit, 0, 0);
    EXPECT_EQ(changed.count(), 1);

    QWidget notAField;
    spinTextBox(&notAField, 1, 0);
    spinTextBox(nullptr, 1, 0);
    selectAllText(nullptr);
}

TEST_F(ColorOpsTest, KeepOnTopSetsAndClearsTheHintAndPlacesInTwips) {
    twipsPerPixelX = twipsPerPixelY = 15;
    QWidget tool;
    tool.setGeometry(50, 60, 200, 100);
    tool.show();
    const QPoint was = tool.pos();
    keepOnTop(HWND_TOPMOST, &tool);
    EXPECT_TRUE(tool.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(tool.isVisible());
    EXPECT_EQ(tool.pos(), was);
    EXPECT_EQ(tool.size(), QSize(200, 100));

    keepOnTop(HWND_TOPMOST, &tool, 1500, 0, 4500, 0);
    EXPECT_EQ(tool.x(), 100);
    EXPECT_EQ(tool.width(), 300);
    EXPECT_EQ(tool.height(), 100);

    keepOnTop(HWND_NOTOPMOST, &tool);
    EXPECT_FALSE(tool.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(tool.isVisible());

    // A window that is still loading is left for its own show.
    QWidget loading;
    twipsPerPixelX = twipsPerPixelY = 0;  // before start-up: the screen's own figure
    keepOnTop(HWND_TOPMOST, &loading, 0, 0, 3000, 1500);
    EXPECT_TRUE(loading.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(loading.isVisible());
    EXPECT_EQ(loading.size(), QSize(200, 100));
    keepOnTop(HWND_TOPMOST, nullptr);
}

TEST(GeneratorMeta, RemovesTheFirstGeneratorTagOfEachKind) {
    const std::pair<const char*, const char*> cases[] = {
        {"<html><head><META content=\"MSHTML 6.00\" name=GENERATOR><title>t</title></head></html>",
         "<html><head><title>t</title></head></html>"},
        {"<head><meta name=\"GENERATOR\" CONTENT=\"mshtml 5\"><meta content=\"Microsoft DHTML Editing "
         "Control\" name=x></head>",
         "<head></head>"},
        {"<meta content=\"MSHTML 1\"><meta content=\"MSHTML 2\">", "<meta content=\"MSHTML 2\">"},
        {"<p>plain</p>", "<p>plain</p>"},
        // No "<" before the mark: nothing to remove.
        {"content=\"MSHTML 6\"> rest", "content=\"MSHTML 6\"> rest"},
        // A tag that never closes must not make the text come back doubled.
        {"<p>a</p><meta content=\"MSHTML 6", "<p>a</p><meta content=\"MSHTML 6"},
        {"<meta content=\"Microsoft DHTML Editing Control", "<meta content=\"Microsoft DHTML Editing Control"},
        {"", ""},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(stripGeneratorMeta(in), QString(out)) << in;
}

}  // namespace
}  // namespace kavrin::test
