#pragma once
// The trees of the side panel: nodes with a key, a tag and an image key, in-place label editing
// with a "before" question and an "after" decision, and the mouse-up and lost-focus events the
// panes act on.
#include <QPersistentModelIndex>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <functional>

namespace kavrin {

// Ends an in-place edit by asking the owner first: the new text is written only when the owner
// accepts it, so a refused edit shows the old text again. The owner is asked once the editor
// has closed, so it may show messages.
class LabelEditDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // Gets the edited index and the typed text; returns true to keep the text.
    using Decide = std::function<bool(const QModelIndex& index, const QString& text)>;
    explicit LabelEditDelegate(Decide decide, QObject* parent = nullptr);
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

private:
    Decide decide_;
};

class PaneTree : public QTreeWidget {
    Q_OBJECT
public:
    enum Role { KeyRole = Qt::UserRole + 1, TagRole, KindRole, ImageRole };

    explicit PaneTree(QWidget* parent = nullptr);

    // Adds a node at the end of `parent`'s children (the top level when null).
    QTreeWidgetItem* addNode(QTreeWidgetItem* parent, const QString& key, const QString& text,
                             const QString& image = QString(), int kind = 0);
    static QString key(const QTreeWidgetItem* node);
    static void setKey(QTreeWidgetItem* node, const QString& key);
    static QString tag(const QTreeWidgetItem* node);
    static void setTag(QTreeWidgetItem* node, const QString& tag);
    static int kind(const QTreeWidgetItem* node);
    static QString image(const QTreeWidgetItem* node);
    static void setImage(QTreeWidgetItem* node, const QString& image);
    // Removes every child of the node.
    static void removeChildren(QTreeWidgetItem* node);

    // The selected node (the tree's current node), or null.
    QTreeWidgetItem* selectedNode() const;
    void selectNode(QTreeWidgetItem* node);
    // The first node with this key in node order (depth first), or null.
    QTreeWidgetItem* findKey(const QString& key) const;
    // Every node in node order.
    QList<QTreeWidgetItem*> allNodes() const;
    // Starts editing the selected node's text (asks onBeforeLabelEdit first).
    void startLabelEdit();
    QPersistentModelIndex persistentIndex(QTreeWidgetItem* node) const {
        return QPersistentModelIndex(indexFromItem(node));
    }
    QTreeWidgetItem* nodeAt(const QPersistentModelIndex& index) const {
        return index.isValid() ? itemFromIndex(index) : nullptr;
    }

    // Events, set by the window that owns the tree.
    std::function<void(bool& cancel)> onBeforeLabelEdit;
    // Returns with cancel set to keep the old text.
    std::function<void(bool& cancel, const QString& newText, QTreeWidgetItem* node)> onAfterLabelEdit;
    std::function<void(int button, int shift, int x, int y)> onMouseUp;
    std::function<void()> onLostFocus;
    std::function<void()> onClick;
    // A key moved the selection to another node (arrows, Home, End, a letter).
    std::function<void()> onKeySelect;
    // Drags over the tree, for a tree that accepts drops: the owner accepts or ignores each move
    // and takes the drop.
    std::function<void(QDragMoveEvent* event)> onDragOver;
    std::function<void()> onDragLeave;
    std::function<void(QDropEvent* event)> onDragDrop;

    // The node drawn as the place a drop would go; null draws none.
    void setDropHighlight(QTreeWidgetItem* node);
    QTreeWidgetItem* dropHighlight() const { return nodeAt(dropHighlight_); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QPersistentModelIndex dropHighlight_;
};

// Windows-style mouse button and shift codes for the handlers.
int vbButton(Qt::MouseButton button);
int vbShift(Qt::KeyboardModifiers modifiers);

}  // namespace kavrin
