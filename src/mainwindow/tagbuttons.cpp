#include "mainwindow/tagbuttons.h"

#include <QString>

#include "mainwindow/mdiMain.h"
#include "tagdialogs/edittag.h"
#include "tagdialogs/tagdialog.h"
#include "tagdialogs/structure/frmInput.h"
#include "tagdialogs/structure/frmTableWizard.h"
#include "tagdialogs/text/frmComment.h"
#include "tagdialogs/text/frmList.h"

namespace kavrin {

namespace {

TagButton pair(const char* key, const char* tip, const char* icon, const char* start, const char* end) {
    TagButton b{key, tip, icon};
    b.startTag = start;
    b.endTag = end;
    return b;
}

TagButton dialog(const char* key, const char* tip, const char* icon, const char* editable) {
    TagButton b{key, tip, icon};
    b.editableTag = editable;
    return b;
}

TagButton handler(const char* key, const char* tip, const char* icon, void (mdiMain::*run)()) {
    TagButton b{key, tip, icon};
    b.handler = run;
    return b;
}

TagButton opener(const char* key, const char* tip, const char* icon, void (*open)(int), int argument,
                 const char* waitsFor) {
    TagButton b{key, tip, icon};
    b.opener = open;
    b.openerArgument = argument;
    b.waitsFor = waitsFor;
    return b;
}

// The comment dialog writes no tag Edit Tag could take back, so it has no row there.
void openCommentDialog(int) { showModalDialog<frmComment>(); }

// Dialogs that Edit Tag does not open. The form element dialog is shown with the given tab
// selected (0: none).
void openListWizard(int) { showListWizard(); }
void openTableWizard(int) { showTableWizard(); }
void openFormElementDialog(int tab) { showFormElementDialog(tab); }
constexpr void (*kListWizard)(int) = &openListWizard;
constexpr void (*kTableWizard)(int) = &openTableWizard;
constexpr void (*kFormElementDialog)(int) = &openFormElementDialog;

TagButton formElement(const char* key, const char* tip, const char* icon, int tab) {
    return opener(key, tip, icon, kFormElementDialog, tab, "the form element dialog (frmInput)");
}

}  // namespace

const QVector<TagToolbarInfo>& tagToolbarInfos() {
    static const QVector<TagToolbarInfo> toolbars{
        {"tbrBasic",
         {
             handler("body", "Body", ":/buttons/body.svg", &mdiMain::tbrBasicBody_Click),
             dialog("br", "Line Break", ":/buttons/br.svg", "BR"),
             dialog("p", "New Paragraph", ":/buttons/p.svg", "P"),
             dialog("div", "Text Division", ":/buttons/div.svg", "DIV"),
             dialog("hr", "Horizontal Rule", ":/buttons/hr.svg", "HR"),
             opener("comment", "Comment", ":/buttons/comment.svg", &openCommentDialog, 0, nullptr),
             dialog("image", "Image", "insert-image", "IMG"),
             dialog("anchor", "Href Anchor", "insert-link", "A"),
         }},
        {"tbrFont",
         {
             pair("b", "Bold", "format-text-bold", "<b>", "</b>"),
             pair("i", "Italic", "format-text-italic", "<i>", "</i>"),
             pair("pre", "Preformatted Text", ":/buttons/pre.svg", "<pre>", "</pre>"),
             pair("h1", "Heading 1", ":/buttons/h1.svg", "<h1>", "</h1>"),
             pair("h2", "Heading 2", ":/buttons/h2.svg", "<h2>", "</h2>"),
             pair("h3", "Heading 3", ":/buttons/h3.svg", "<h3>", "</h3>"),
             pair("font 7", "Font Size 7", ":/buttons/font7.svg", "<font size=\"7\">", "</font>"),
             pair("font 6", "Font Size 6", ":/buttons/font6.svg", "<font size=\"6\">", "</font>"),
             pair("font 5", "Font Size 5", ":/buttons/font5.svg", "<font size=\"5\">", "</font>"),
             dialog("font options", "Font Options", "font-select", "FONT"),
         }},
        {"tbrList",
         {
             opener("list", "List Wizard", ":/buttons/listwizard.svg", kListWizard, 0, "the list wizard (frmList)"),
             pair("li", "List Item", "view-list-bullet", "<li>", ""),
             pair("dt", "Definition Term", ":/buttons/dt.svg", "<dt>", ""),
             pair("dd", "Definition Description", ":/buttons/dd.svg", "<dd>", ""),
         }},
        {"tbrForm",
         {
             dialog("form", "Form", ":/buttons/form.svg", "FORM"),
             formElement("checkbox", "Checkbox", ":/buttons/checkbox.svg", tabCheckbox),
             formElement("radio", "Radio Button", ":/buttons/radio.svg", tabRadio),
             formElement("textarea", "TextArea", ":/buttons/textarea.svg", tabTextarea),
             formElement("textbox", "Textbox", ":/buttons/textbox.svg", tabText),
             formElement("password", "Password", ":/buttons/password.svg", tabPassword),
             formElement("button", "Button", ":/buttons/button.svg", tabButton),
             formElement("submit", "Submit", ":/buttons/submit.svg", tabSubmit),
             formElement("reset", "Reset", ":/buttons/reset.svg", tabReset),
             formElement("select", "Select", ":/buttons/select.svg", tabSelect),
             formElement("image", "Image", ":/buttons/imagebutton.svg", tabImage),
         }},
        {"tbrTable",
         {
             opener("wizard", "Table Wizard", ":/buttons/tablewizard.svg", kTableWizard, 0,
                    "the table wizard (frmTableWizard)"),
             handler("table", "Table", ":/buttons/table.svg", &mdiMain::mnuInsertTableTable_Click),
             dialog("tr", "Table Row", ":/buttons/tr.svg", "TR"),
             dialog("th", "Table Heading", ":/buttons/th.svg", "TH"),
             dialog("td", "Table Data", ":/buttons/td.svg", "TD"),
             dialog("caption", "Table Caption", ":/buttons/caption.svg", "CAPTION"),
             dialog("thead", "Table Header", ":/buttons/thead.svg", "THEAD"),
             dialog("tbody", "Table Body", ":/buttons/tbody.svg", "TBODY"),
             dialog("tfoot", "Table Footer", ":/buttons/tfoot.svg", "TFOOT"),
             handler("quick_table", "Quick Table", ":/buttons/quicktable.svg", &mdiMain::showQuickTable),
         }},
        {"tbrFrame",
         {
             dialog("frameset", "Frameset", ":/buttons/frameset.svg", "FRAMESET"),
             dialog("frame", "Frame", ":/buttons/frame.svg", "FRAME"),
             dialog("iframe", "IFrame (Floating Frame)", ":/buttons/iframe.svg", "IFRAME"),
             pair("noframes", "No Frames", ":/buttons/noframes.svg", "<noframes>", "</noframes>"),
         }},
        {"tbrAdvanced",
         {
             dialog("applet", "Java Applet", ":/buttons/applet.svg", "APPLET"),
             dialog("param", "Parameter", ":/buttons/param.svg", "PARAM"),
             dialog("marquee", "Marquee", ":/buttons/marquee.svg", "MARQUEE"),
             dialog("script", "Script", ":/buttons/script.svg", "SCRIPT"),
             pair("noscript", "No Script", ":/buttons/noscript.svg", "<noscript>", "</noscript>"),
         }},
    };
    return toolbars;
}

const TagButton* tagButton(int toolbar, const QString& key) {
    const QVector<TagToolbarInfo>& all = tagToolbarInfos();
    if (toolbar < 0 || toolbar >= all.size()) return nullptr;
    for (const TagButton& button : all[toolbar].buttons)
        if (key == QLatin1String(button.key)) return &button;
    return nullptr;
}

bool tagButtonAvailable(const TagButton& button) {
    if (button.startTag || button.handler) return true;
    if (button.editableTag) {
        const EditableTag* row = editableTag(QString::fromLatin1(button.editableTag));
        return row && row->create;
    }
    return button.opener != nullptr;
}

}  // namespace kavrin
