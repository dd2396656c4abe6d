#pragma once
// Edit... on a tag tree node: the tag's dialog for a new element.
#include <QString>
#include <functional>

namespace kavrin {

// Dialogs that other windows provide; each stays empty (and the command disabled for its
// nodes) until its window exists.
// The form element dialog for a new element, opened on tab 10 (textarea), 11 (select) or 12 (option).
inline std::function<void(int tab)> tagNodeFormElementDialog;
// The list dialog for a new "<dl>", "<menu>" or "<ol>" list.
inline std::function<void()> tagNodeListDialog;

// True when the node text's dialog can be opened now.
bool tagNodeDialogExists(const QString& text);
// Opens the node text's dialog modally for a new element; false when it has none.
bool showTagNodeDialog(const QString& text);

}  // namespace kavrin
