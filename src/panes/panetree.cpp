#include "panes/panetree.h"

#include <QApplication>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>

#include "panes/fileitems.h"

namespace kavrin {

LabelEditDelegate::LabelEditDelegate(Decide decide, QObject* parent)
    : QStyledItemDelegate(parent), decide_(std::move(decide)) {}

void LabelEditDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (!line || !decide_) {
        QStyledItemDelegate::setModelData(editor, model, index);
        return;
    }
    const QString text = line->text();
    const QPersistentModelIndex target(index);
    const Decide decide = decide_;
    // The decision may ask the user; a message box while the editor still has the focus would
    // end the edit a second time.
    QTimer::singleShot(0, model, [decide, target, text, model] {
        if (!target.isValid()) return;
        if (decide(target, text) && target.isValid()) model->setData(target, text, Qt::EditRole);
    });
}

int vbButton(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
    }
}

int vbShift(Qt::KeyboardModifiers modifiers) {
    int shift = 0;
    if (modifiers & Qt::ShiftModifier) shift |= 1;
    if (modifiers & Qt::ControlModifier) shift |= 2;
    if (modifiers & Qt::AltModifier) shift |= 4;
    return shift;
}

PaneTree::PaneTree(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    // Deep nodes scroll sideways rather than losing the end of their names.
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    setIndentation(16);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    setItemDelegate(new LabelEditDelegate(
        [this](const QModelIndex& index, const QString& text) {
            QTreeWidgetItem* node = itemFromIndex(index);
            if (!node) return false;
            bool cancel = false;
            if (onAfterLabelEdit) onAfterLabelEdit(cancel, text, node);
            return !cancel;
        },
        this));
}

QTreeWidgetItem* PaneTree::addNode(QTreeWidgetItem* parent, const QString& key, const QString& text,
                                   const QString& image, int kind) {
    auto* node = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
    node->setText(0, text);
    node->setData(0, KeyRole, key);
    node->setData(0, KindRole, kind);
    node->setFlags(node->flags() | Qt::ItemIsEditable);
    setImage(node, image);
    return node;
}

QString PaneTree::key(const QTreeWidgetItem* node) { return node ? node->data(0, KeyRole).toString() : QString(); }
void PaneTree::setKey(QTreeWidgetItem* node, const QString& key) {
    if (node) node->setData(0, KeyRole, key);
}
QString PaneTree::tag(const QTreeWidgetItem* node) { return node ? node->data(0, TagRole).toString() : QString(); }
void PaneTree::setTag(QTreeWidgetItem* node, const QString& tag) {
    if (node) node->setData(0, TagRole, tag);
}
int PaneTree::kind(const QTreeWidgetItem* node) { return node ? node->data(0, KindRole).toInt() : -1; }
QString PaneTree::image(const QTreeWidgetItem* node) {
    return node ? node->data(0, ImageRole).toString() : QString();
}

void PaneTree::setImage(QTreeWidgetItem* node, const QString& image) {
    if (!node) return;
    node->setData(0, ImageRole, image);
    node->setIcon(0, image.isEmpty() ? QIcon() : paneImage(image));
}

void PaneTree::removeChildren(QTreeWidgetItem* node) {
    if (!node) return;
    const QList<QTreeWidgetItem*> children = node->takeChildren();
    qDeleteAll(children);
}

QTreeWidgetItem* PaneTree::selectedNode() const { return currentItem(); }

void PaneTree::selectNode(QTreeWidgetItem* node) {
    if (!node) return;
    setCurrentItem(node);
    scrollToItem(node);
}

QList<QTreeWidgetItem*> PaneTree::allNodes() const {
    QList<QTreeWidgetItem*> nodes;
    std::function<void(QTreeWidgetItem*)> walk = [&](QTreeWidgetItem* node) {
        nodes << node;
        for (int i = 0; i < node->childCount(); ++i) walk(node->child(i));
    };
    for (int i = 0; i < topLevelItemCount(); ++i) walk(topLevelItem(i));
    return nodes;
}

QTreeWidgetItem* PaneTree::findKey(const QString& key) const {
    for (QTreeWidgetItem* node : allNodes())
        if (PaneTree::key(node) == key) return node;
    return nullptr;
}

void PaneTree::startLabelEdit() {
    if (QTreeWidgetItem* node = selectedNode()) editItem(node, 0);
}

bool PaneTree::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    // Only the triggers that start an edit ask; the view also calls here for plain clicks. A click
    // on the selected node comes back here once the double-click time is over, and asks then.
    const bool starting =
        trigger == AllEditTriggers || (trigger != SelectedClicked && (trigger & editTriggers()));
    if (starting && index.isValid() && state() != EditingState) {
        bool cancel = false;
        if (onBeforeLabelEdit) onBeforeLabelEdit(cancel);
        if (cancel) return false;
    }
    return QTreeWidget::edit(index, trigger, event);
}

void PaneTree::mouseReleaseEvent(QMouseEvent* event) {
    QTreeWidget::mouseReleaseEvent(event);
    const QPoint p = event->position().toPoint();
    if (onMouseUp) onMouseUp(vbButton(event->button()), vbShift(event->modifiers()), p.x(), p.y());
    if (onClick && event->button() == Qt::LeftButton) onClick();
}

void PaneTree::keyPressEvent(QKeyEvent* event) {
    QTreeWidgetItem* before = currentItem();
    QPointer<PaneTree> self(this);
    QTreeWidget::keyPressEvent(event);
    if (self && state() != EditingState && currentItem() != before && onKeySelect) onKeySelect();
}

void PaneTree::focusOutEvent(QFocusEvent* event) {
    QTreeWidget::focusOutEvent(event);
    // A pop-up menu or the tree's own label editor does not take the focus away from the tree.
    if (event->reason() == Qt::PopupFocusReason) return;
    QPointer<PaneTree> self(this);
    QTimer::singleShot(0, this, [self] {
        if (!self || !self->onLostFocus) return;
        QWidget* focus = QApplication::focusWidget();
        if (focus && (focus == self || self->isAncestorOf(focus))) return;
        if (self->state() == EditingState) return;
        self->onLostFocus();
    });
}

void PaneTree::setDropHighlight(QTreeWidgetItem* node) {
    if (QTreeWidgetItem* old = dropHighlight(); old && old != node) {
        old->setData(0, Qt::BackgroundRole, QVariant());
        old->setData(0, Qt::ForegroundRole, QVariant());
    }
    dropHighlight_ = node ? persistentIndex(node) : QPersistentModelIndex();
    if (!node) return;
    node->setBackground(0, palette().highlight());
    node->setForeground(0, palette().highlightedText());
}

// The owner decides about every drag; the view's own item moving is never wanted here.
void PaneTree::dragEnterEvent(QDragEnterEvent* event) { dragMoveEvent(event); }

void PaneTree::dragMoveEvent(QDragMoveEvent* event) {
    if (onDragOver)
        onDragOver(event);
    else
        event->ignore();
}

void PaneTree::dragLeaveEvent(QDragLeaveEvent* event) {
    event->accept();
    if (onDragLeave) onDragLeave();
}

void PaneTree::dropEvent(QDropEvent* event) {
    if (onDragDrop)
        onDragDrop(event);
    else
        event->ignore();
}

}  // namespace kavrin
