// The colour picker: the palette and its hit test, and the window as a user works it.
#include "documents/colouring/colorops.h"
#include "tagtest.h"

namespace kavrin::test {
namespace {

TEST(WebSafePalette, BoxesRunBlueFastestEighteenARow) {
    const QVector<PaletteEntry> p = webSafePalette();
    ASSERT_EQ(p.size(), 216);
    EXPECT_EQ(p[5].x, 900);  // box 6
    EXPECT_EQ(p[18].x, 0);   // box 19 starts the second row
    EXPECT_EQ(p[18].y, 180);
    EXPECT_EQ(p[215].x, 3060);  // box 216 ends row 12
    EXPECT_EQ(p[215].y, 1980);
}

TEST(WebSafePalette, HitTestGivesTheLowerBoxWhereAreasOverlap) {
    EXPECT_EQ(paletteEntryAt(0, 0), 1);
    EXPECT_EQ(paletteEntryAt(179, 0), 1);
    EXPECT_EQ(paletteEntryAt(190, 0), 1);   // in both 1 and 2: the left one
    EXPECT_EQ(paletteEntryAt(195, 0), 2);
    EXPECT_EQ(paletteEntryAt(0, 190), 1);   // in both 1 and 19: the upper one
    EXPECT_EQ(paletteEntryAt(0, 195), 19);
    EXPECT_EQ(paletteEntryAt(3254, 2174), 216);
    EXPECT_EQ(paletteEntryAt(3255, 0), 0);
    EXPECT_EQ(paletteEntryAt(0, 2175), 0);
    EXPECT_EQ(paletteEntryAt(-1, 0), 0);
}

class ColorPickerTest : public TagDialogTest {
protected:
    // Shows the picker as a colour button does; `drive` works it.
    void pick(std::function<void(frmColor&)> drive, int startColor = -1) {
        expectDialogWindow<frmColor>("frmColor", drive);
        frmColor::pick(startColor);
    }
    static void clickBox(frmColor& picker, int entry) {
        const PaletteEntry box = webSafePalette()[entry - 1];
        QTest::mouseClick(&picker, Qt::LeftButton, {}, QPoint(picker.paletteLeft() + box.x / 15 + 6, box.y / 15 + 6));
    }
    static QColor labelColor(frmColor& picker) { return picker.lblHex->palette().color(QPalette::WindowText); }
};

TEST_F(ColorPickerTest, ClickedBoxesGiveTheirCodes) {
    // The code reads in white on boxes 1 to 130 and in black from 131 on.
    const std::tuple<int, const char*, const char*, Qt::GlobalColor> cases[] = {
        {1, "000000", "0", Qt::white},
        {6, "0000FF", "16711680", Qt::white},
        {130, "999999", "10066329", Qt::white},
        {131, "9999CC", "13408665", Qt::black},
        {216, "FFFFFF", "16777215", Qt::black},
    };
    for (const auto& [entry, hex, win, ink] : cases) {
        pick([entry, hex, ink](frmColor& picker) {
            EXPECT_EQ(picker.caption(), "Web-Safe Color Palette");
            clickBox(picker, entry);
            EXPECT_EQ(picker.selectedEntry(), entry);
            EXPECT_EQ(picker.lblHex->text(), hex);
            EXPECT_EQ(labelColor(picker), QColor(ink));
            picker.cmdOk->click();
        });
        EXPECT_EQ(frmColor::hexColor, hex);
        EXPECT_EQ(frmColor::winColor, win);
    }
}

TEST_F(ColorPickerTest, OkWithoutAChoiceReturnsTheColourShown) {
    pick([](frmColor& picker) {
        EXPECT_EQ(picker.selectedEntry(), 1);
        EXPECT_EQ(picker.lblHex->text(), "000000");
        picker.cmdOk->click();
    });
    EXPECT_EQ(frmColor::hexColor, "000000");
    EXPECT_EQ(frmColor::winColor, "0");

    // Opened on a caller's colour: that colour, its box marked when it has one.
    pick([](frmColor& picker) {
        EXPECT_EQ(picker.selectedEntry(), 181);
        picker.cmdOk->click();
    }, 0x0000FF);
    EXPECT_EQ(frmColor::hexColor, "FF0000");
    pick([](frmColor& picker) {
        EXPECT_EQ(picker.selectedEntry(), -1);
        EXPECT_EQ(picker.lblHex->text(), "123456");
        picker.cmdOk->click();
    }, 0x563412);
    EXPECT_EQ(frmColor::hexColor, "123456");
}

TEST_F(ColorPickerTest, CancelAndTheFrameCloseLeaveNoChoice) {
    pick([](frmColor& picker) {
        clickBox(picker, 216);
        picker.cmdOk->click();
    });
    ASSERT_EQ(frmColor::hexColor, "FFFFFF");
    pick([](frmColor& picker) {
        clickBox(picker, 6);
        picker.cmdCancel->click();
    });
    EXPECT_EQ(frmColor::hexColor, "");
    EXPECT_EQ(frmColor::winColor, "");

    pick([](frmColor& picker) {
        clickBox(picker, 216);
        picker.cmdOk->click();
    });
    pick([](frmColor& picker) {
        clickBox(picker, 6);
        picker.close();  // the window frame's close box
    });
    EXPECT_EQ(frmColor::hexColor, "");
    EXPECT_EQ(frmColor::winColor, "");
}

TEST_F(ColorPickerTest, OtherTakesTheSystemDialogsColour) {
    pick([this](frmColor& picker) {
        expectDialog("color", [](CommonDialog& d) {
            d.color = 0x0C0B0A;
            return true;
        });
        picker.cmdOther->click();
        EXPECT_EQ(picker.selectedEntry(), -1);
        EXPECT_EQ(picker.lblHex->text(), "0A0B0C");
        expectDialogCancel("color");
        picker.cmdOther->click();  // cancelled: nothing changes
        EXPECT_EQ(picker.lblHex->text(), "0A0B0C");
        picker.cmdOk->click();
    });
    EXPECT_EQ(frmColor::hexColor, "0A0B0C");
    EXPECT_EQ(frmColor::winColor, QString::number(0x0C0B0A));
}

TEST_F(ColorPickerTest, DoubleClickOnABoxTakesItAndCloses) {
    pick([](frmColor& picker) {
        const PaletteEntry box = webSafePalette()[42];
        const QPoint at(picker.paletteLeft() + box.x / 15 + 6, box.y / 15 + 6);
        QTest::mouseClick(&picker, Qt::LeftButton, {}, at);
        QTest::mouseDClick(&picker, Qt::LeftButton, {}, at);
        EXPECT_FALSE(picker.isLoaded());
    });
    EXPECT_EQ(frmColor::hexColor, colorToHex(QString::number(webSafePalette()[42].color)));
}

}  // namespace
}  // namespace kavrin::test
