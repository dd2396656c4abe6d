#include "mainwindow/designtoolbars.h"

#include "documents/documentwindow.h"
#include "mainwindow/mdiMain.h"
#include "platform/web/dhtmledit.h"
#include "tagdialogs/frmColor.h"
#include "tagdialogs/structure/frmInput.h"
#include "tagdialogs/structure/frmTableWizard.h"
#include "tagdialogs/tagdialog.h"
#include "tagdialogs/text/frmHr.h"
#include "tagdialogs/text/frmHrefAnchor.h"
#include "tagdialogs/text/frmImage.h"

namespace kavrin {

namespace {

struct ButtonSpec {
    const char* key;
    const char* tip;
    const char* icon;
    bool checkable;
};

Toolbar* buildBar(const char* name, QWidget* parent, std::initializer_list<ButtonSpec> buttons) {
    auto* bar = new Toolbar(QString::fromLatin1(name), parent);
    for (const ButtonSpec& b : buttons) {
        if (!b.key)
            bar->addSeparator();
        else
            bar->addButton(QString::fromLatin1(b.key), QString::fromLatin1(b.tip), QString::fromLatin1(b.icon), b.checkable);
    }
    return bar;
}

const ButtonSpec kSeparator{nullptr, nullptr, nullptr, false};

}  // namespace

Toolbar* createDesignToolbar(QWidget* parent) {
    Toolbar* bar = buildBar("tbrDHTM", parent,
                            {{"bold", "Bold", "format-text-bold", true},
                             {"italic", "Italic", "format-text-italic", true},
                             {"underline", "Underline", "format-text-underline", true},
                             kSeparator,
                             {"image", "Image", "insert-image", false},
                             {"link", "Link", "insert-link", false},
                             {"hr", "Horizontal Rule", ":/buttons/hr.svg", false},
                             kSeparator,
                             {"element", "Form Element", ":/buttons/textbox.svg", false},
                             {"table", "Table Wizard", ":/buttons/tablewizard.svg", false},
                             kSeparator,
                             {"add_row", "Insert Row", ":/buttons/addrow.svg", false},
                             {"add_col", "Insert Column", ":/buttons/addcol.svg", false},
                             {"add_cell", "Insert Cell", ":/buttons/addcell.svg", false},
                             kSeparator,
                             {"delete_row", "Delete Row", ":/buttons/deleterow.svg", false},
                             {"delete_col", "Delete Column", ":/buttons/deletecol.svg", false},
                             {"delete_cell", "Delete Cell", ":/buttons/deletecell.svg", false},
                             kSeparator,
                             {"merge_cells", "Merge Cells", ":/buttons/mergecells.svg", false},
                             {"split_cell", "Split Cell", ":/buttons/splitcell.svg", false}});
    for (const QString& key : mdiMain::designTableButtonKeys()) bar->setButtonEnabled(key, false);
    return bar;
}

Toolbar* createBrowseToolbar(QWidget* parent) {
    return buildBar("tbrIe", parent,
                    {{"back", "Back", "go-previous", false},
                     {"forward", "Forward", "go-next", false},
                     {"stop", "Stop", "process-stop", false},
                     {"refresh", "Refresh", "view-refresh", false},
                     {"home", "Home", "go-home", false},
                     {"print", "Print", "document-print", false}});
}

QStringList mdiMain::designTableButtonKeys() {
    return {"add_row", "add_col", "add_cell", "delete_row", "delete_col", "delete_cell", "merge_cells", "split_cell"};
}

void mdiMain::tbrDHTM_ButtonClick(const QString& key) {
    DocumentWindow* doc = activeDocument();
    DhtmlEdit* dhtm = doc ? doc->dhtm : nullptr;
    static const QHash<QString, QPair<int, int>> commands{
        {"bold", {DECMD_BOLD, OLECMDEXECOPT_DONTPROMPTUSER}},
        {"italic", {DECMD_ITALIC, OLECMDEXECOPT_DONTPROMPTUSER}},
        {"underline", {DECMD_UNDERLINE, OLECMDEXECOPT_DONTPROMPTUSER}},
        {"add_row", {DECMD_INSERTROW, OLECMDEXECOPT_DODEFAULT}},
        {"add_col", {DECMD_INSERTCOL, OLECMDEXECOPT_DODEFAULT}},
        {"add_cell", {DECMD_INSERTCELL, OLECMDEXECOPT_DODEFAULT}},
        {"delete_row", {DECMD_DELETEROWS, OLECMDEXECOPT_DODEFAULT}},
        {"delete_col", {DECMD_DELETECOLS, OLECMDEXECOPT_DODEFAULT}},
        {"delete_cell", {DECMD_DELETECELLS, OLECMDEXECOPT_DODEFAULT}},
        {"merge_cells", {DECMD_MERGECELLS, OLECMDEXECOPT_DODEFAULT}},
        {"split_cell", {DECMD_SPLITCELL, OLECMDEXECOPT_DODEFAULT}},
    };
    if (const auto it = commands.constFind(key); it != commands.cend()) {
        if (dhtm) dhtm->ExecCommand(it->first, it->second);
    } else if (key == "image") {
        showModalDialog<frmImage>();
    } else if (key == "link") {
        showModalDialog<frmHrefAnchor>();
    } else if (key == "hr") {
        showModalDialog<frmHr>();
    } else if (key == "element") {
        showFormElementDialog();
    } else if (key == "table") {
        showTableWizard();
    }
    // The dialog may have closed the document meanwhile.
    doc = activeDocument();
    if (doc && doc->dhtm) doc->dhtm->setFocus();
}

void mdiMain::tbrColor_ButtonClick(const QString& key) {
    DocumentWindow* doc = activeDocument();
    const bool design = doc && doc->mode == 2 && doc->dhtm;
    if (key == "color") {
        if (design) {
            frmColor::pick();
            const QString hex = frmColor::hexColor;
            if (hex.isEmpty()) return;
            if ((doc = activeDocument()) && doc->dhtm)
                doc->dhtm->ExecCommand(DECMD_SETFORECOLOR, OLECMDEXECOPT_DONTPROMPTUSER, hex);
        } else if (mnuToolsColorPicker) {
            mnuToolsColorPicker->trigger();
        }
    } else {
        static const QHash<QString, int> commands{{"left", DECMD_JUSTIFYLEFT},  {"center", DECMD_JUSTIFYCENTER},
                                                  {"right", DECMD_JUSTIFYRIGHT}, {"ul", DECMD_UNORDERLIST},
                                                  {"ol", DECMD_ORDERLIST}};
        const auto it = commands.constFind(key);
        if (it != commands.cend() && doc && doc->dhtm) doc->dhtm->ExecCommand(*it, OLECMDEXECOPT_DONTPROMPTUSER);
    }
    if (tbrColor) tbrColor->update();
    doc = activeDocument();
    if (doc && doc->mode == 2 && doc->dhtm) doc->dhtm->setFocus();
}

}  // namespace kavrin
