#include "panes/tagnodeedit.h"

#include "panes/tagdata.h"
#include "tagdialogs/edittag.h"
#include "tagdialogs/structure/frmInput.h"
#include "tagdialogs/text/frmList.h"

namespace kavrin {

namespace {

int formElementTab(const QString& text) {
    if (text == QLatin1String("<textarea></textarea>")) return 10;
    if (text == QLatin1String("<select></select>")) return 11;
    if (text == QLatin1String("<option>")) return 12;
    return 0;
}

bool isListText(const QString& text) {
    return text == QLatin1String("<dl></dl>") || text == QLatin1String("<menu></menu>") ||
           text == QLatin1String("<ol></ol>");
}

// The Edit Tag row of a node text such as "<td></td>" or "<br>".
const EditableTag* editableRow(const QString& text) {
    const qsizetype close = text.indexOf(u'>');
    if (!text.startsWith(u'<') || close < 2) return nullptr;
    return editableTag(text.mid(1, close - 1).toUpper());
}

}  // namespace

bool tagNodeDialogExists(const QString& text) {
    if (!isTagNodeEditText(text)) return false;
    if (formElementTab(text) || isListText(text)) return true;
    const EditableTag* row = editableRow(text);
    return row && row->create;
}

bool showTagNodeDialog(const QString& text) {
    if (!tagNodeDialogExists(text)) return false;
    if (const int tab = formElementTab(text)) {
        showFormElementDialog(tab);
        return true;
    }
    if (isListText(text)) {
        showListWizard();
        return true;
    }
    return showEditableTagDialog(*editableRow(text));
}

}  // namespace kavrin
