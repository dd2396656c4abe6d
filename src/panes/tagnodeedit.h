#pragma once
// Edit... on a tag tree node: the tag's dialog for a new element.
#include <QString>

namespace kavrin {

// True when the node text's dialog can be opened now.
bool tagNodeDialogExists(const QString& text);
// Opens the node text's dialog modally for a new element; false when it has none.
bool showTagNodeDialog(const QString& text);

}  // namespace kavrin
