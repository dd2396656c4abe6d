#include "panes/resourcetree.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include "panes/fileitems.h"

namespace kavrin {

ResourceTree::ResourceTree(QWidget* parent) : PaneTree(parent) {
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* node) { showExpanded(node, true); });
    connect(this, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* node) { showExpanded(node, false); });
}

QVector<QTreeWidgetItem*> ResourceTree::addNodes(const QVector<TreeNodeData>& entries, QTreeWidgetItem* under) {
    QVector<QTreeWidgetItem*> made;
    made.reserve(entries.size());
    QList<QTreeWidgetItem*> tops;
    // The nodes are put together apart from the tree and handed over at the end: inserting
    // each one into a shown tree costs a model update per node.
    for (const TreeNodeData& entry : entries) {
        auto* node = new QTreeWidgetItem();
        node->setText(0, entry.text);
        node->setData(0, KeyRole, entry.key);
        node->setData(0, ImageRole, entry.image);
        if (!entry.image.isEmpty()) node->setIcon(0, paneImage(entry.image));
        if (!entry.expandedImage.isEmpty()) node->setData(0, ExpandedImageRole, entry.expandedImage);
        if (entry.parent >= 0 && entry.parent < made.size())
            made[entry.parent]->addChild(node);
        else
            tops << node;
        made << node;
    }
    if (under)
        under->addChildren(tops);
    else
        addTopLevelItems(tops);
    return made;
}

QTreeWidgetItem* ResourceTree::addLeaf(QTreeWidgetItem* parent, const QString& text, const QString& image) {
    auto* node = new QTreeWidgetItem();
    node->setText(0, text);
    node->setData(0, ImageRole, image);
    node->setIcon(0, paneImage(image));
    if (parent)
        parent->addChild(node);
    else
        addTopLevelItem(node);
    return node;
}

void ResourceTree::showExpanded(QTreeWidgetItem* node, bool expanded) {
    const QString open = node ? node->data(0, ExpandedImageRole).toString() : QString();
    if (open.isEmpty()) return;
    node->setIcon(0, paneImage(expanded ? open : PaneTree::image(node)));
}

void ResourceTree::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    const bool command = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (QTreeWidgetItem* node = currentItem(); node && node->childCount() > 0)
            node->setExpanded(!node->isExpanded());
        if (onDblClick) onDblClick();
        event->accept();
        return;
    }
    if (!command && text.size() == 1 && text[0].isPrint() && !text[0].isSpace() && onTypeAhead) {
        onTypeAhead(text[0]);
        event->accept();
        return;
    }
    PaneTree::keyPressEvent(event);
}

void ResourceTree::mouseDoubleClickEvent(QMouseEvent* event) {
    // The tree opens and closes the node itself; the pane then decides what else happens.
    PaneTree::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && itemAt(event->position().toPoint()) && onDblClick) onDblClick();
}

}  // namespace kavrin
