// Colours typed into the source (the colour bar and Tools > Color Palette), the colour bar's
// custom squares, and Tools > Color Code Document.
#include "documents/colouring/colorcoding.h"
#include "documents/colouring/colorops.h"
#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "mainwindow/colorbar.h"
#include "mainwindow/mainsettings.h"
#include "mainwindow/mdiMain.h"
#include "platform/system/convert.h"
#include "platform/forms/msgbox.h"
#include "tagdialogs/frmColor.h"

namespace kavrin {

namespace {

const QString kColors = QStringLiteral("CustomColors");

QString customKey(int index) { return QStringLiteral("Custom") + trimNumber(index); }

// A stored custom colour, or nothing when the square has none (or holds no colour value).
std::optional<int> storedCustomColor(int index) {
    const QString stored = getSetting(settingsApp, kColors, customKey(index), QString()).trimmed();
    if (stored.isEmpty()) return std::nullopt;
    const std::optional<int> value = clng(stored);
    if (!value || *value < 0 || *value > 0xFFFFFF) return std::nullopt;
    return value;
}

// The colour as typed into a page: a double quote, "#", red, green and blue, a double quote.
QString quotedColor(int color) { return QStringLiteral("\"#") + colorToHex(trimNumber(color)) + '"'; }

// Replaces the active document's source selection as one undoable edit, in whatever view the
// document shows.
void typeIntoSource(const QString& text) {
    DocumentWindow* doc = activeDocument();
    if (!doc) return;
    RichTextBox* editor = doc->txtMain;
    selStartBeforeChange = editor->selStart();
    selLengthBeforeChange = editor->selLength();
    editor->setSelText(text);
}

}  // namespace

// ---- The colour bar ---------------------------------------------------------------------------------

void mdiMain::loadCustomColors() {
    for (int i = 0; i < picColor->lblCustomColor.size(); ++i)
        if (const std::optional<int> color = storedCustomColor(i)) picColor->lblCustomColor[i]->setBackColor(*color);
}

void mdiMain::lblColor_Click(qint16 index) {
    if (index < 0 || index >= picColor->lblColor.size()) return;
    typeIntoSource(quotedColor(picColor->lblColor[index]->backColor()));
}

void mdiMain::lblCustomColor_MouseUp(qint16 index, int button) {
    if (index < 0 || index >= picColor->lblCustomColor.size()) return;
    if (button == 1) {
        if (const std::optional<int> color = storedCustomColor(index)) {
            typeIntoSource(quotedColor(*color));
            return;
        }
        const int answer = msgBox(QStringLiteral("To add a color to the custom color palette, right-click on one of "
                                                 "the custom color squares.\n\nWould you like to add a color now?"),
                                  vbYesNo + vbExclamation, QStringLiteral("Undefined Color"));
        if (answer != vbYes) return;
    }
    // Defining a colour types nothing; the next left click does.
    frmColor::pick();
    if (frmColor::hexColor.isEmpty()) return;
    const std::optional<int> color = clng(frmColor::winColor);
    if (!color) return;
    saveSetting(settingsApp, kColors, customKey(index), frmColor::winColor);
    picColor->lblCustomColor[index]->setBackColor(*color);
}

// ---- Tools menu -------------------------------------------------------------------------------------

void mdiMain::mnuToolsColorPicker_Click() {
    frmColor::pick();
    if (frmColor::hexColor.isEmpty()) return;
    typeIntoSource(QStringLiteral("\"#") + frmColor::hexColor + '"');
}

namespace {

// The three items always tell whether the active document is colour coded.
void showColorCodeState(mdiMain* main) {
    main->mnuToolsColorCodeYes->setChecked(colorCoding);
    main->mnuToolsColorCodeNo->setChecked(!colorCoding);
    main->mnuToolsColorCodeRefresh->setEnabled(colorCoding);
}

}  // namespace

void mdiMain::mnuToolsColorCodeYes_Click() {
    if (DocumentWindow* doc = activeDocument()) {
        if (doc->txtMain->text().isEmpty()) {
            // Nothing to colour yet, but what is typed from now on is coloured.
            doc->txtMain->tag = QStringLiteral("T");
            colorCoding = true;
        } else {
            colorCodeDocument(doc);
        }
    }
    showColorCodeState(this);
}

void mdiMain::mnuToolsColorCodeRefresh_Click() { mnuToolsColorCodeYes_Click(); }

void mdiMain::mnuToolsColorCodeNo_Click() {
    DocumentWindow* doc = activeDocument();
    if (!colorCoding || !doc) {
        showColorCodeState(this);
        return;
    }
    // Only the colours go: the text, the selection, the saved state and the undo lists stay.
    colorBusy = true;
    RichTextBox* editor = doc->txtMain;
    editor->setRedraw(false);
    editor->setRangeColor(0, editor->textLength(), 0);
    if (editor->selLength() == 0) editor->setSelColor(0);
    colorCoding = false;
    editor->tag = QStringLiteral("F");
    editor->setRedraw(true);
    editor->setFocus();
    colorBusy = false;
    showColorCodeState(this);
}

// ---- Wiring -----------------------------------------------------------------------------------------

void mdiMain::connectViewAndColorCommands() {
    connect(mnuOptionsToolbar, &QAction::triggered, this, &mdiMain::mnuOptionsToolbar_Click);
    connect(mnuOptionsStatusbar, &QAction::triggered, this, &mdiMain::mnuOptionsStatusbar_Click);
    connect(mnuOptionsFileList, &QAction::triggered, this, &mdiMain::mnuOptionsFileList_Click);
    connect(mnuToolsColorPicker, &QAction::triggered, this, &mdiMain::mnuToolsColorPicker_Click);
    connect(mnuToolsColorCodeYes, &QAction::triggered, this, &mdiMain::mnuToolsColorCodeYes_Click);
    connect(mnuToolsColorCodeNo, &QAction::triggered, this, &mdiMain::mnuToolsColorCodeNo_Click);
    connect(mnuToolsColorCodeRefresh, &QAction::triggered, this, &mdiMain::mnuToolsColorCodeRefresh_Click);
    // The item's caption names F3, so F3 refreshes.
    mnuToolsColorCodeRefresh->setShortcut(QKeySequence(Qt::Key_F3));
}

}  // namespace kavrin
