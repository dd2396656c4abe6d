#pragma once
// The tag tree and the script tree: nodes built in one go from a data file, folder images that
// open with their node, type-ahead by printable keys, and double-click or Enter on a node.
#include "panes/panetree.h"
#include "panes/treenodes.h"

namespace kavrin {

class ResourceTree : public PaneTree {
    Q_OBJECT
public:
    enum { ExpandedImageRole = PaneTree::ImageRole + 10 };

    explicit ResourceTree(QWidget* parent = nullptr);

    // Adds the nodes below `under` (the top level when null): entries whose parent is -1 go
    // there, the others below the entry they name. Returns the new nodes in entry order.
    QVector<QTreeWidgetItem*> addNodes(const QVector<TreeNodeData>& entries, QTreeWidgetItem* under = nullptr);
    // Adds one node without a key at the end of `parent`'s children.
    QTreeWidgetItem* addLeaf(QTreeWidgetItem* parent, const QString& text, const QString& image);

    // A printable character typed in the tree (lower case is left to the handler); navigation
    // keys keep their usual work.
    std::function<void(QChar typed)> onTypeAhead;
    // Double-click on a node, or Enter.
    std::function<void()> onDblClick;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void showExpanded(QTreeWidgetItem* node, bool expanded);
};

}  // namespace kavrin
