// The Format and Insert menus, and Edit Tag: taking a start tag at the caret back into its dialog.
#include <QCursor>

#include "documents/colouring/colorops.h"
#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "documents/inserthtml.h"
#include "mainwindow/mdiMain.h"
#include "tagdialogs/edittag.h"
#include "tagdialogs/structure/frmFrame.h"
#include "tagdialogs/structure/frmForm.h"
#include "tagdialogs/structure/frmFrameset.h"
#include "tagdialogs/structure/frmIFrame.h"
#include "tagdialogs/structure/frmInput.h"
#include "tagdialogs/structure/frmTable.h"
#include "tagdialogs/structure/frmThd.h"
#include "tagdialogs/structure/frmApplet.h"
#include "tagdialogs/structure/frmMarquee.h"
#include "tagdialogs/structure/frmParameter.h"
#include "tagdialogs/structure/frmScript.h"
#include "tagdialogs/structure/frmTr.h"
#include "tagdialogs/text/frmHrefAnchor.h"
#include "tagdialogs/text/frmFont.h"
#include "tagdialogs/text/frmImage.h"
#include "tagdialogs/text/frmList.h"
#include "tagdialogs/text/frmMeta.h"
#include "tagdialogs/text/frmSymbol.h"
#include "tagdialogs/tagparse.h"

namespace kavrin {

namespace {

void wrapSelection(const QString& startTag, const QString& endTag) { insertHtml(startTag, endTag, QString(), 1); }

}  // namespace

// ---- Edit Tag ---------------------------------------------------------------------------------------

void mdiMain::initEditTag() {
    editTagName.clear();
    mnuPopupEditTag->setEnabled(false);
    DocumentWindow* doc = activeDocument();
    if (!doc) return;
    const QString& text = doc->txtMain->text();
    const std::optional<TagSpan> tag = tagAtCaret(text, doc->txtMain->selStart());
    if (!tag) return;
    const QString name = tagNameAt(text, tag->start).toUpper();
    const EditableTag* row = editableTag(name);
    if (!row) return;
    editTagName = name;
    // A tag whose dialog is still to come is known, but there is nothing to open yet.
    mnuPopupEditTag->setEnabled(row->create != nullptr);
}

void mdiMain::mnuPopupEditTag_Click() {
    DocumentWindow* doc = activeDocument();
    if (!doc) return;
    RichTextBox* editor = doc->txtMain;
    const QString text = editor->text();
    // A tag that never closes cannot be taken apart: rebuilding it would swallow whatever
    // follows, so nothing opens and nothing changes.
    const std::optional<TagSpan> tag = tagAtCaret(text, editor->selStart());
    if (!tag) return;
    const QString name = tagNameAt(text, tag->start).toUpper();
    const EditableTag* row = editableTag(name);
    if (!row || !row->create) return;

    editTagName = name;
    editor->select(tag->start, tag->length);
    editTagAttributes = parseTagAttributes(text.mid(tag->start, tag->length));
    editingTag = true;
    showEditableTagDialog(*row);
    editingTag = false;
    editTagAttributes.clear();
}

void mdiMain::showEditorPopup(const QPoint& globalPos) {
    initEditTag();
    mnuPopup->popup(globalPos);
}

void mdiMain::showEditorPopup() { showEditorPopup(QCursor::pos()); }

// ---- Format menu ------------------------------------------------------------------------------------

void mdiMain::mnuFormatHeadingArr_Click(int index) {
    const QString n = trimNumber(index + 1);
    wrapSelection("<h" + n + ">", "</h" + n + ">");
}

void mdiMain::mnuFormatBold_Click() { wrapSelection("<b>", "</b>"); }
void mdiMain::mnuFormatItalics_Click() { wrapSelection("<i>", "</i>"); }
void mdiMain::mnuFormatBoldAndItalics_Click() { wrapSelection("<b><i>", "</i></b>"); }
void mdiMain::mnuFormatBig_Click() { wrapSelection("<big>", "</big>"); }
void mdiMain::mnuFormatSmall_Click() { wrapSelection("<small>", "</small>"); }
void mdiMain::mnuFormatStrike_Click() { wrapSelection("<strike>", "</strike>"); }
void mdiMain::mnuFormatSub_Click() { wrapSelection("<sub>", "</sub>"); }
void mdiMain::mnuFormatSup_Click() { wrapSelection("<sup>", "</sup>"); }
void mdiMain::mnuFormatTT_Click() { wrapSelection("<tt>", "</tt>"); }
void mdiMain::mnuFormatUnderline_Click() { wrapSelection("<u>", "</u>"); }
void mdiMain::mnuFormatPre_Click() { wrapSelection("<pre>", "</pre>"); }

// ---- Insert menu ------------------------------------------------------------------------------------

void mdiMain::mnuInsertP_Click() { wrapSelection("<p>", addEndingP ? QStringLiteral("</p>") : QString()); }
void mdiMain::mnuInsertBr_Click() { wrapSelection("<br>", QString()); }
void mdiMain::mnuInsertDiv_Click() { wrapSelection("<div>", "</div>"); }
void mdiMain::mnuInsertHr_Click() { wrapSelection("<hr>", QString()); }

void mdiMain::mnuInsertComment_Click() {
    DocumentWindow* doc = activeDocument();
    if (doc) doc->txtMain->setRedraw(false);
    wrapSelection("<!--", "-->");
    if (doc) doc->txtMain->setRedraw(true);
}

void mdiMain::mnuInsertImage_Click() { showModalDialog<frmImage>(); }
void mdiMain::mnuInsertHyperlink_Click() { showModalDialog<frmHrefAnchor>(); }
void mdiMain::mnuInsertTableTable_Click() { showTableDialog(); }

// ---- Wiring -------------------------------------------------------------------------------------------

void mdiMain::connectFormatAndInsertMenus() {
    // Edit Tag heads the editor's pop-up menu, apart from the edit commands.
    mnuPopupEditTag->setText(QStringLiteral("Edit Tag..."));
    const QList<QAction*> items = mnuPopup->actions();
    const qsizetype at = items.indexOf(mnuPopupEditTag);
    if (at > 0 && items[at - 1]->isSeparator()) mnuPopup->removeAction(items[at - 1]);
    if (!mnuPopup->actions().isEmpty() && mnuPopup->actions().first() != mnuPopupEditTag) {
        mnuPopup->insertAction(mnuPopup->actions().first(), mnuPopupEditTag);
        mnuPopup->insertSeparator(mnuPopup->actions().value(1));
    }
    connect(mnuPopupEditTag, &QAction::triggered, this, &mdiMain::mnuPopupEditTag_Click);

    for (int i = 0; i < mnuFormatHeadingArr.size(); ++i)
        connect(mnuFormatHeadingArr[i], &QAction::triggered, this, [this, i] { mnuFormatHeadingArr_Click(i); });
    const std::pair<QAction*, void (mdiMain::*)()> handlers[] = {
        {mnuFormatBold, &mdiMain::mnuFormatBold_Click},
        {mnuFormatItalics, &mdiMain::mnuFormatItalics_Click},
        {mnuFormatBoldAndItalics, &mdiMain::mnuFormatBoldAndItalics_Click},
        {mnuFormatBig, &mdiMain::mnuFormatBig_Click},
        {mnuFormatSmall, &mdiMain::mnuFormatSmall_Click},
        {mnuFormatStrike, &mdiMain::mnuFormatStrike_Click},
        {mnuFormatSub, &mdiMain::mnuFormatSub_Click},
        {mnuFormatSup, &mdiMain::mnuFormatSup_Click},
        {mnuFormatTT, &mdiMain::mnuFormatTT_Click},
        {mnuFormatUnderline, &mdiMain::mnuFormatUnderline_Click},
        {mnuFormatPre, &mdiMain::mnuFormatPre_Click},
        {mnuInsertP, &mdiMain::mnuInsertP_Click},
        {mnuInsertBr, &mdiMain::mnuInsertBr_Click},
        {mnuInsertDiv, &mdiMain::mnuInsertDiv_Click},
        {mnuInsertHr, &mdiMain::mnuInsertHr_Click},
        {mnuInsertComment, &mdiMain::mnuInsertComment_Click},
        {mnuInsertImage, &mdiMain::mnuInsertImage_Click},
        {mnuInsertHyperlink, &mdiMain::mnuInsertHyperlink_Click},
        {mnuInsertTableTable, &mdiMain::mnuInsertTableTable_Click},
    };
    for (const auto& [action, handler] : handlers) connect(action, &QAction::triggered, this, handler);

    // Insert > Table: one cell dialog serves headings and data, told which by dialogKind.
    connect(mnuInsertTableRow, &QAction::triggered, this, [] { showModalDialog<frmTr>(); });
    connect(mnuInsertTableHeading, &QAction::triggered, this, [] {
        dialogKind = QStringLiteral("th");
        showModalDialog<frmThd>();
    });
    connect(mnuInsertTableData, &QAction::triggered, this, [] {
        dialogKind = QStringLiteral("td");
        showModalDialog<frmThd>();
    });
    // Insert > Form: the element dialog opens on the kind it chooses itself.
    connect(mnuInsertFormForm, &QAction::triggered, this, [] { showModalDialog<frmForm>(); });
    connect(mnuInsertFormElement, &QAction::triggered, this, [] { showFormElementDialog(); });
    connect(mnuInsertFrameset, &QAction::triggered, this, [] { showModalDialog<frmFrameset>(); });
    connect(mnuInsertFrameFrame, &QAction::triggered, this, [] { showModalDialog<frmFrame>(); });
    connect(mnuInsertFloatingFrame, &QAction::triggered, this, [] { showModalDialog<frmIFrame>(); });

    // Insert > Advanced.
    connect(mnuInsertApplet, &QAction::triggered, this, [] { showModalDialog<frmApplet>(); });
    connect(mnuInsertParam, &QAction::triggered, this, [] { showModalDialog<frmParameter>(); });
    connect(mnuInsertMarquee, &QAction::triggered, this, [] { showModalDialog<frmMarquee>(); });
    connect(mnuInsertScript, &QAction::triggered, this, [] { showModalDialog<frmScript>(); });
    connect(mnuInsertMeta, &QAction::triggered, this, [] { showModalDialog<frmMeta>(); });

    connect(mnuFormatFont, &QAction::triggered, this, [] { showModalDialog<frmFont>(); });
    connect(mnuInsertSymbol, &QAction::triggered, this, [] { showSpecialCharacters(); });
    connect(mnuInsertListList, &QAction::triggered, this, [] { showListWizard(); });
    connect(mnuToolsListWizard, &QAction::triggered, this, [] { showListWizard(); });
    // The list's own items put their start tag before the selection, as the list toolbar does.
    connect(mnuInsertListItem, &QAction::triggered, this, [] { wrapSelection("<li>", QString()); });
    connect(mnuInsertDefinitionTerm, &QAction::triggered, this, [] { wrapSelection("<dt>", QString()); });
    connect(mnuInsertDefinitionData, &QAction::triggered, this, [] { wrapSelection("<dd>", QString()); });
}

}  // namespace kavrin
