#pragma once
// The colour picker: the 216 web-safe colours in a grid, a swatch with the chosen colour's code,
// and the system colour dialog behind "&Other". The choice stays in hexColor and winColor after
// the window has gone, until the next showing ends.
#include <QLabel>
#include <QPushButton>
#include <QVector>

#include "platform/forms/commondialog.h"
#include "platform/forms/form.h"

namespace kavrin {

// One box of the grid: its top-left corner in twips and its colour (red in the low byte).
struct PaletteEntry {
    int x = 0;
    int y = 0;
    int color = 0;
};

// The 216 boxes, entry 1 first (black), then blue fastest, green, red slowest; 18 a row.
QVector<PaletteEntry> webSafePalette();
// The entry (1 to 216) whose area of 195 twips holds the point, the lower one where areas
// overlap; 0 for a point in none.
int paletteEntryAt(int xTwips, int yTwips);

class frmColor : public Form {
    Q_OBJECT
public:
    explicit frmColor(QWidget* parent = nullptr);

    // After OK: six upper-case hexadecimal digits (red, green, blue) and the same colour as
    // decimal text with red in the low byte. After Cancel, or closing by the frame: both "".
    static inline QString hexColor;
    static inline QString winColor;

    // Shows the picker modally, starting at `startColor` (red in the low byte), or at the
    // first box (black) when it is negative. Read hexColor and winColor afterwards.
    static void pick(int startColor = -1);

    // The colour the swatch starts with; set before showing (negative: the first box).
    int startColor = -1;

    QLabel* lblColor = nullptr;
    QLabel* lblHex = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdOther = nullptr;
    QPushButton* cmdCancel = nullptr;
    CommonDialog cdlColor;

    void cmdOk_Click();
    void cmdCancel_Click();
    void cmdOther_Click();
    // A press at a point of the window, in pixels.
    void Form_MouseDown(int x, int y);
    void Form_DblClick();

    // 1 to 216, or -1 when the swatch holds a colour from "&Other" or the caller's own.
    int selectedEntry() const { return selected_; }
    int swatchColor() const { return swatch_; }
    // Where the palette starts from the window's left edge, in pixels.
    int paletteLeft() const { return inset_; }

protected:
    void Form_Load() override;
    void Form_Unload(int& cancel) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildPalette();
    void showSwatch(int color);

    QVector<PaletteEntry> palette_;
    int selected_ = 1;
    int swatch_ = 0;
    // The palette and its buttons sit centred in a window widened for its title.
    int inset_ = 0;
    bool accepted_ = false;
};

}  // namespace kavrin
