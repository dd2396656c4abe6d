#pragma once
// The tag tree's rules: how the lines of html.dat become nodes, what a node puts into a page,
// which commands a node offers, and the tree's type-ahead over tag names.
#include <QChar>
#include <QSet>
#include <QStringList>
#include <QStringView>

#include "panes/treenodes.h"

namespace kavrin {

inline const QString kCustomRootKey = QStringLiteral("custom");
inline const QString kCustomRootText = QStringLiteral("Custom Tags");
inline const QString kTagRootKey = QStringLiteral("top");
inline const QString kTagRootText = QStringLiteral("HTML Tags");

// The "HTML Tags" part of the tree from html.dat's text: the root (first node), the comment node,
// then each tag with its attributes, values, events and flags. A key that is already in `keys`
// (the custom part's, or an earlier line's) stops the build with an error; the keys used are
// added to `keys`.
TreeBuild tagNodesFromData(QStringView text, QSet<QString>* keys);

// What a node's text puts into a page: a pair is split at its last "<" into start and end tag;
// "<p>" loses its end tag when the end tag is not wanted; an attribute or event ("name=") gets
// two double quotes, and `quoted` says the caret belongs between them.
struct TagNodeInsertion {
    QString startTag;
    QString endTag;
    bool quoted = false;
};
TagNodeInsertion tagNodeInsertion(const QString& text, bool addEndingP);

// The texts whose tag has a dialog for a new element (the pop-up's Edit...).
const QStringList& tagNodeEditTexts();
bool isTagNodeEditText(const QString& text);

// Which items of the tag node pop-up a node offers. `isRoot`: one of the two roots;
// `underCustomRoot`: a custom tag; `dialogExists`: the dialog of an Edit text is there to open;
// `haveDocument`: a document is open to insert into.
struct TagNodeMenuState {
    bool insert = false;
    bool edit = false;
    bool copy = false;
    bool addCustom = true;
    bool editCustom = false;
    bool deleteCustom = false;
};
TagNodeMenuState tagNodeMenuState(const QString& text, bool isRoot, bool underCustomRoot, bool dialogExists,
                                  bool haveDocument);

// Whether a double-click inserts the node: everything but the roots and html.dat's own tags
// (those open and close instead); custom tags are inserted.
bool tagNodeInsertsOnDoubleClick(const QString& text, bool isRoot, bool underCustomRoot);

// Type-ahead over the tag names: each press of a letter selects the next tag whose name starts
// with it (the character after "<"), wrapping round to the first.
struct TagTypeAhead {
    QChar letter;
    bool found = false;  // the letter has found a tag since it was typed
    int next = 0;        // where the next search starts
};
// `tags`: the texts of the tag root's children in order. Returns the index to select, or -1.
int tagTypeAheadNext(const QStringList& tags, QChar letter, TagTypeAhead& state);

}  // namespace kavrin
