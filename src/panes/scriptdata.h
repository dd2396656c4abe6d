#pragma once
// The script tree's rules: how the lines of script.dat become nodes, and what an item puts into
// the page.
#include <QString>
#include <QStringView>

#include "panes/treenodes.h"

namespace kavrin {

// One line's five comma-separated fields as the tree takes them.
struct ScriptLine {
    QString parentKey;  // as written
    QString ownKey;     // left-trimmed, lower case; "" for an item without children
    QString caption;    // ";" stands for ","
    QString image;
};
// False with the reason when the line cannot be cut into its fields.
bool parseScriptLine(QStringView line, ScriptLine* out, QString* error);

// The whole tree from script.dat's text: the "Window" root, the file's roots and items, then the
// seven global functions. On an error the build stops there (without the functions).
TreeBuild scriptNodesFromData(QStringView text);

// What double-clicking an item writes, and how far the caret goes back from the end of it:
// "name=" gets two quotes with the caret between them; a method becomes "name()" with the
// caret inside the parentheses.
struct ScriptInsertion {
    QString text;
    int caretBack = 0;
};
ScriptInsertion scriptInsertion(const QString& caption, bool isMethod);

}  // namespace kavrin
