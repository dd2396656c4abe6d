#include "tagdialogs/edittag.h"

#include "documents/globals.h"
#include "tagdialogs/structure/frmApplet.h"
#include "tagdialogs/structure/frmCaption.h"
#include "tagdialogs/structure/frmDiv.h"
#include "tagdialogs/structure/frmFrame.h"
#include "tagdialogs/structure/frmForm.h"
#include "tagdialogs/structure/frmFrameset.h"
#include "tagdialogs/structure/frmIFrame.h"
#include "tagdialogs/structure/frmInput.h"
#include "tagdialogs/structure/frmMarquee.h"
#include "tagdialogs/structure/frmParameter.h"
#include "tagdialogs/structure/frmScript.h"
#include "tagdialogs/structure/frmTable.h"
#include "tagdialogs/structure/frmTableSection.h"
#include "tagdialogs/structure/frmThd.h"
#include "tagdialogs/structure/frmTr.h"
#include "tagdialogs/tagdialog.h"
#include "tagdialogs/text/frmBody.h"
#include "tagdialogs/text/frmBr.h"
#include "tagdialogs/text/frmFont.h"
#include "tagdialogs/text/frmHr.h"
#include "tagdialogs/text/frmHrefAnchor.h"
#include "tagdialogs/text/frmImage.h"
#include "tagdialogs/text/frmMeta.h"
#include "tagdialogs/text/frmP.h"

namespace kavrin {

namespace {

template <class Dialog>
Form* make(QWidget* owner) {
    return new Dialog(owner);
}

}  // namespace

const QVector<EditableTag>& editableTags() {
    // Each dialog, once it exists, puts its factory into its row.
    static const QVector<EditableTag> tags{
        {"A", "", &make<frmHrefAnchor>},
        {"APPLET", "", &make<frmApplet>},
        {"BODY", "", &make<frmBody>},
        {"BR", "", &make<frmBr>},
        {"CAPTION", "", &make<frmCaption>},
        {"DIV", "", &make<frmDiv>},
        {"FONT", "", &make<frmFont>},
        {"FORM", "", &make<frmForm>},
        {"FRAME", "", &make<frmFrame>},
        {"FRAMESET", "", &make<frmFrameset>},
        {"HR", "", &make<frmHr>},
        {"IFRAME", "", &make<frmIFrame>},
        {"IMG", "", &make<frmImage>},
        {"INPUT", "", &make<frmInput>},
        {"MARQUEE", "", &make<frmMarquee>},
        {"META", "", &make<frmMeta>},
        {"OPTION", "option", &make<frmInput>},
        {"P", "", &make<frmP>},
        {"PARAM", "", &make<frmParameter>},
        {"SELECT", "select", &make<frmInput>},
        {"SCRIPT", "", &make<frmScript>},
        // frmTableIe when enableBrowserAndDesigner is on, else frmTable.
        {"TABLE", "", &newTableDialog},
        {"TD", "td", &make<frmThd>},
        {"TEXTAREA", "textarea", &make<frmInput>},
        {"TH", "th", &make<frmThd>},
        {"TR", "", &make<frmTr>},
        {"THEAD", "thead", &make<frmTableSection>},
        {"TBODY", "tbody", &make<frmTableSection>},
        {"TFOOT", "tfoot", &make<frmTableSection>},
    };
    return tags;
}

const EditableTag* editableTag(const QString& upperName) {
    for (const EditableTag& tag : editableTags())
        if (tag.name == upperName) return &tag;
    return nullptr;
}

bool showEditableTagDialog(const EditableTag& tag) {
    if (!tag.create) return false;
    if (!tag.kind.isEmpty()) dialogKind = tag.kind;
    runModal(tag.create(dialogOwner()));
    return true;
}

}  // namespace kavrin
