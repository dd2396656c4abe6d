#pragma once
// The tags Edit Tag can take back into their dialogs: for each of the 29 names, the dialog that
// writes the tag and what dialogKind tells a dialog that serves several elements.
#include <QString>
#include <QVector>

class QWidget;

namespace kavrin {

class Form;

struct EditableTag {
    QString name;  // upper case
    QString kind;  // dialogKind set before showing; "" leaves it as it is
    // A new, unloaded dialog for the tag; nullptr while that dialog does not exist.
    Form* (*create)(QWidget* owner) = nullptr;
};

// The 29 rows in the order they are tested.
const QVector<EditableTag>& editableTags();
// The row of an upper-case name, or nullptr.
const EditableTag* editableTag(const QString& upperName);

// Shows the tag's dialog modally: for the tag being edited while editingTag is on, else for a
// new element. Sets dialogKind where the row names one. False when there is no dialog yet.
bool showEditableTagDialog(const EditableTag& tag);

}  // namespace kavrin
