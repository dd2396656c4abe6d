#include "panes/filelistview.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStackedLayout>

#include "panes/fileitems.h"
#include "panes/panetree.h"

namespace kavrin {

namespace detail {

FileReportView::FileReportView(FileListView* owner) : QTreeView(owner) {}

bool FileReportView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    // Only the name is edited in place, from whichever column the edit was asked.
    return QTreeView::edit(index.siblingAtColumn(0), trigger, event);
}

FileIconView::FileIconView(FileListView* owner) : QListView(owner) {}

}  // namespace detail

namespace {

int vbKeyCode(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Delete: return 46;
    case Qt::Key_F2: return 113;
    default:
        if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return qtKey;
        if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return qtKey;
        return 0;
    }
}

}  // namespace

FileListView::FileListView(QWidget* parent) : QWidget(parent) {
    model_ = new QStandardItemModel(0, 4, this);
    model_->setHorizontalHeaderLabels({"Name", "Size", "Type", "Modified"});
    model_->setSortRole(SortRole);

    stack_ = new QStackedLayout(this);
    stack_->setContentsMargins(0, 0, 0, 0);

    report_ = new detail::FileReportView(this);
    report_->setModel(model_);
    report_->setRootIsDecorated(false);
    report_->setItemsExpandable(false);
    report_->setUniformRowHeights(true);
    report_->setAllColumnsShowFocus(true);
    report_->setSortingEnabled(false);
    report_->header()->setSectionsClickable(true);
    report_->header()->setStretchLastSection(false);
    report_->header()->resizeSection(0, 110);
    report_->header()->resizeSection(1, 55);
    report_->header()->resizeSection(2, 45);
    report_->header()->resizeSection(3, 110);
    report_->setTextElideMode(Qt::ElideMiddle);
    report_->setIconSize(QSize(16, 16));
    connect(report_->header(), &QHeaderView::sectionResized, this, [this] {
        if (!fittingColumns_) userSizedColumns_ = true;
    });

    icons_ = new detail::FileIconView(this);
    icons_->setModel(model_);
    icons_->setModelColumn(0);
    QItemSelectionModel* own = icons_->selectionModel();
    icons_->setSelectionModel(report_->selectionModel());
    delete own;
    icons_->setViewMode(QListView::ListMode);
    icons_->setWrapping(true);
    icons_->setResizeMode(QListView::Adjust);
    icons_->setUniformItemSizes(false);
    icons_->setIconSize(QSize(16, 16));
    icons_->setSpacing(1);

    auto* delegate = new LabelEditDelegate(
        [this](const QModelIndex& index, const QString& text) {
            editIndex_ = QPersistentModelIndex(index.siblingAtColumn(0));
            bool cancel = false;
            if (onAfterLabelEdit) onAfterLabelEdit(cancel, text);
            editIndex_ = QPersistentModelIndex();
            // The owner renames the item itself when it accepts, with its icon and type.
            return false;
        },
        this);
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(report_), static_cast<QAbstractItemView*>(icons_)}) {
        view->setSelectionMode(QAbstractItemView::ExtendedSelection);
        view->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
        view->setItemDelegate(delegate);
        view->installEventFilter(this);
        view->viewport()->installEventFilter(this);
        stack_->addWidget(view);
    }
    connect(report_->header(), &QHeaderView::sectionClicked, this, [this](int section) {
        if (onColumnClick) onColumnClick(section + 1);
    });
    setView(Report);
}

bool FileListView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == report_->viewport() && event->type() == QEvent::Resize) fitColumns(false);
    const bool onViewport = watched == report_->viewport() || watched == icons_->viewport();
    const bool onView = watched == report_ || watched == icons_;
    if (onViewport && event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const bool onItem = currentView()->indexAt(mouse->position().toPoint()).isValid();
        const bool dragButton = mouse->button() == Qt::LeftButton || mouse->button() == Qt::RightButton;
        pressButton_ = onItem && dragButton ? mouse->button() : Qt::NoButton;
        pressAt_ = mouse->position().toPoint();
    } else if (onViewport && event->type() == QEvent::MouseMove && pressButton_ != Qt::NoButton) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        // A drag needs a real move, so a slightly shaky click never moves files.
        if (!(mouse->buttons() & pressButton_)) {
            pressButton_ = Qt::NoButton;
        } else if ((mouse->position().toPoint() - pressAt_).manhattanLength() >= QApplication::startDragDistance() &&
                   !isEditing()) {
            const QModelIndex pressed = currentView()->indexAt(pressAt_);
            const int button = vbButton(pressButton_);
            pressButton_ = Qt::NoButton;
            if (pressed.isValid() && isSelected(pressed.row()) && onStartDrag) {
                onStartDrag(button);
                return true;
            }
        }
    } else if (onViewport && event->type() == QEvent::MouseButtonRelease) {
        pressButton_ = Qt::NoButton;
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint p = mouse->position().toPoint();
        const int button = vbButton(mouse->button());
        const int shift = vbShift(mouse->modifiers());
        // The view finishes its own click first (selection), then the owner hears of it.
        QMetaObject::invokeMethod(this, [this, button, shift, p] {
            if (onMouseUp) onMouseUp(button, shift, p.x(), p.y());
            if (onClick && button == 1) onClick();
        }, Qt::QueuedConnection);
    } else if (onViewport && event->type() == QEvent::MouseButtonDblClick) {
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && onDblClick) {
            QMetaObject::invokeMethod(this, [this] {
                if (onDblClick) onDblClick();
            }, Qt::QueuedConnection);
            return true;
        }
    } else if (onView && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        int code = vbKeyCode(key->key());
        if (code != 0 && onKeyDown && !isEditing()) {
            onKeyDown(code, vbShift(key->modifiers()));
            if (code == 0) return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

int FileListView::count() const { return model_->rowCount(); }

void FileListView::clear() {
    model_->removeRows(0, model_->rowCount());
}

int FileListView::addItem(const QString& name, const QString& iconKey, const QString& sizeText, qint64 size,
                          const QString& typeText, const QString& dateText, const QDateTime& date) {
    auto* nameItem = new QStandardItem(paneImage(iconKey), name);
    nameItem->setData(iconKey, IconKeyRole);
    nameItem->setData(name.toLower(), SortRole);
    nameItem->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable);
    auto* sizeItem = new QStandardItem(sizeText);
    sizeItem->setData(size, SortRole);
    auto* typeItem = new QStandardItem(typeText);
    typeItem->setData(typeText.toLower(), SortRole);
    auto* dateItem = new QStandardItem(dateText);
    dateItem->setData(date, SortRole);
    for (QStandardItem* item : {sizeItem, typeItem, dateItem}) item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    sizeItem->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    model_->appendRow({nameItem, sizeItem, typeItem, dateItem});
    return model_->rowCount() - 1;
}

void FileListView::removeItem(int row) {
    if (row >= 0 && row < count()) model_->removeRow(row);
}

QString FileListView::text(int row) const {
    const QStandardItem* item = model_->item(row, 0);
    return item ? item->text() : QString();
}

QString FileListView::subItem(int row, int index) const {
    const QStandardItem* item = model_->item(row, index);
    return item ? item->text() : QString();
}

QString FileListView::iconKey(int row) const {
    const QStandardItem* item = model_->item(row, 0);
    return item ? item->data(IconKeyRole).toString() : QString();
}

void FileListView::setItemName(int row, const QString& name, const QString& iconKey, const QString& typeText) {
    QStandardItem* item = model_->item(row, 0);
    if (!item) return;
    item->setText(name);
    item->setIcon(paneImage(iconKey));
    item->setData(iconKey, IconKeyRole);
    item->setData(name.toLower(), SortRole);
    if (QStandardItem* type = model_->item(row, 2)) {
        type->setText(typeText);
        type->setData(typeText.toLower(), SortRole);
    }
    fitGrid();
}

int FileListView::findText(const QString& name) const {
    for (int row = 0; row < count(); ++row)
        if (text(row) == name) return row;
    return -1;
}

bool FileListView::isSelected(int row) const {
    return report_->selectionModel()->isRowSelected(row, QModelIndex());
}

void FileListView::setSelected(int row, bool on) {
    if (row < 0 || row >= count()) return;
    report_->selectionModel()->select(model_->index(row, 0), (on ? QItemSelectionModel::Select
                                                                 : QItemSelectionModel::Deselect) |
                                                                QItemSelectionModel::Rows);
}

QList<int> FileListView::selectedRows() const {
    QList<int> rows;
    for (int row = 0; row < count(); ++row)
        if (isSelected(row)) rows << row;
    return rows;
}

int FileListView::selectedItem() const {
    const QModelIndex current = report_->selectionModel()->currentIndex();
    if (current.isValid() && isSelected(current.row())) return current.row();
    const QList<int> rows = selectedRows();
    return rows.isEmpty() ? -1 : rows.first();
}

void FileListView::selectOnly(int row) {
    if (row < 0 || row >= count()) return;
    report_->selectionModel()->setCurrentIndex(model_->index(row, 0), QItemSelectionModel::ClearAndSelect |
                                                                           QItemSelectionModel::Rows);
}

void FileListView::setView(int view) {
    if (view < SmallIcons || view > Report) return;
    view_ = view;
    if (view == Report) {
        stack_->setCurrentWidget(report_);
    } else {
        // Small icons run in rows across; the list runs down in columns.
        icons_->setFlow(view == SmallIcons ? QListView::LeftToRight : QListView::TopToBottom);
        icons_->setWrapping(true);
        fitGrid();
        stack_->setCurrentWidget(icons_);
    }
}

QAbstractItemView* FileListView::currentView() const {
    return view_ == Report ? static_cast<QAbstractItemView*>(report_) : static_cast<QAbstractItemView*>(icons_);
}

void FileListView::fitGrid() {
    const QFontMetrics metrics(icons_->font());
    int widest = 0;
    for (int row = 0; row < count(); ++row) widest = std::max(widest, metrics.horizontalAdvance(text(row)));
    nameWidth_ = widest + icons_->iconSize().width() + 16;
    const int width = std::min(240, nameWidth_);
    icons_->setGridSize(QSize(std::max(60, width), std::max(metrics.height(), icons_->iconSize().height()) + 4));
    fitColumns(true);
}

void FileListView::fitColumns(bool newContents) {
    QHeaderView* header = report_->header();
    if (newContents) userSizedColumns_ = false;
    // Columns the user has sized stay as they are until the list is filled again.
    if (userSizedColumns_ || count() == 0) return;
    fittingColumns_ = true;
    // Size, type and date show whole and the name takes the rest of the width; names that do
    // not fit are shortened in the middle. A list too narrow even for that scrolls sideways.
    constexpr int kNarrowestNames = 110;
    int others = 0;
    for (int column = 1; column < model_->columnCount(); ++column) {
        if (newContents) report_->resizeColumnToContents(column);
        others += header->sectionSize(column);
    }
    const int room = report_->viewport()->width() - others;
    header->resizeSection(0, std::max(room, std::min(nameWidth_, kNarrowestNames)));
    fittingColumns_ = false;
}

void FileListView::setSort(int key, bool descending) {
    sorted_ = true;
    sortKey_ = key;
    descending_ = descending;
    resort();
}

void FileListView::resort() {
    if (!sorted_) return;
    model_->sort(sortKey_, descending_ ? Qt::DescendingOrder : Qt::AscendingOrder);
    report_->header()->setSortIndicatorShown(true);
    report_->header()->setSortIndicator(sortKey_, descending_ ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void FileListView::startLabelEdit(int row) {
    if (row < 0 || row >= count()) return;
    QAbstractItemView* view = currentView();
    const QModelIndex index = model_->index(row, 0);
    view->setCurrentIndex(index);
    view->setFocus();
    view->edit(index);
}

int FileListView::labelEditRow() const { return editIndex_.isValid() ? editIndex_.row() : -1; }

bool FileListView::isEditing() const {
    return report_->editing() || icons_->editing();
}

}  // namespace kavrin
