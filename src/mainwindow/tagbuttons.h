#pragma once
// The buttons of the seven tag toolbars, in their order: what each one shows and does. A button
// either wraps the selection in a fixed tag pair, opens the dialog of one of Edit Tag's tags for
// a new element, runs a handler of the main window, or opens a dialog through an opener.
#include <QVector>

namespace kavrin {

class mdiMain;

struct TagButton {
    const char* key;
    const char* toolTip;
    // A name of the desktop's icon theme, or ":/icons/..." for one of our own.
    const char* icon;
    // Wraps the selection in these (insertHtml mode 1, no extra text) when startTag is set.
    const char* startTag = nullptr;
    const char* endTag = nullptr;
    // Edit Tag's row (upper case) whose dialog is shown for a new element; the button is
    // enabled while that dialog exists.
    const char* editableTag = nullptr;
    // A handler of the main window.
    void (mdiMain::*handler)() = nullptr;
    // A dialog outside Edit Tag's table, opened with `openerArgument`; while the opener is
    // nullptr the button is disabled, and `waitsFor` names the dialog it waits for.
    void (*opener)(int argument) = nullptr;
    int openerArgument = 0;
    const char* waitsFor = nullptr;
};

struct TagToolbarInfo {
    const char* name;  // tbrBasic, tbrFont, ...
    QVector<TagButton> buttons;
};

// The toolbars of headers 0 to 6, in header order.
const QVector<TagToolbarInfo>& tagToolbarInfos();
// The button of a toolbar by its exact key, or nullptr.
const TagButton* tagButton(int toolbar, const QString& key);
// True when pressing the button does its work now (its dialog exists).
bool tagButtonAvailable(const TagButton& button);

// The form element dialog's tab strip, counted from 1 as the Form toolbar selects it.
enum FormElementTab : int {
    tabButton = 1, tabCheckbox, tabHidden, tabImage, tabPassword, tabRadio, tabReset, tabSubmit, tabText,
    tabTextarea, tabSelect, tabOption
};

}  // namespace kavrin
