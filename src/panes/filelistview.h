#pragma once
// The file list of the file explorer: items with a name, an icon and three sub-items (size, type,
// date), several selected at once, shown as small icons, a list or a report with column headers;
// sorted by a clicked column; the name edited in place.
#include <QDateTime>
#include <QListView>
#include <QPersistentModelIndex>
#include <QStandardItemModel>
#include <QTreeView>
#include <QWidget>
#include <functional>

class QStackedLayout;

namespace kavrin {

class FileListView;

namespace detail {
// The two views over the one model; the report edits only the name column.
class FileReportView : public QTreeView {
public:
    explicit FileReportView(FileListView* owner);
    bool editing() const { return state() == EditingState; }

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
};

class FileIconView : public QListView {
public:
    explicit FileIconView(FileListView* owner);
    bool editing() const { return state() == EditingState; }
};
}  // namespace detail

class FileListView : public QWidget {
    Q_OBJECT
public:
    enum View { SmallIcons = 0, List = 1, Report = 2 };
    enum Role { IconKeyRole = Qt::UserRole + 1, SortRole };

    explicit FileListView(QWidget* parent = nullptr);

    // ---- Items (rows in the order shown) ----
    int count() const;
    void clear();
    // Adds an item at the end; returns its row.
    int addItem(const QString& name, const QString& iconKey, const QString& sizeText, qint64 size,
                const QString& typeText, const QString& dateText, const QDateTime& date);
    void removeItem(int row);
    QString text(int row) const;
    // Sub-item 1 size, 2 type, 3 date.
    QString subItem(int row, int index) const;
    QString iconKey(int row) const;
    // Changes an item's name (and with it its icon and type).
    void setItemName(int row, const QString& name, const QString& iconKey, const QString& typeText);
    int findText(const QString& name) const;

    // ---- Selection ----
    bool isSelected(int row) const;
    void setSelected(int row, bool on);
    // Rows of the selected items in the order shown.
    QList<int> selectedRows() const;
    // The item the list calls selected when one is asked for: the focused item when it is
    // selected, else the first selected one; -1 when none is.
    int selectedItem() const;
    // Selects only this row and makes it the focused item.
    void selectOnly(int row);

    // ---- View and sort ----
    int view() const { return view_; }
    void setView(int view);
    bool sorted() const { return sorted_; }
    int sortKey() const { return sortKey_; }
    bool sortDescending() const { return descending_; }
    // Sorts by column `key` (0 name, 1 size, 2 type, 3 date) and keeps it sorted after refills.
    void setSort(int key, bool descending);
    void resort();
    // Gives the icon views one cell size that fits the longest name, as a grid does, and the
    // report's columns the widths their texts need.
    void fitGrid();

    // ---- In-place editing ----
    // Starts editing the name of `row`.
    void startLabelEdit(int row);
    // The row whose new name is being decided, -1 at other times.
    int labelEditRow() const;
    bool isEditing() const;

    QStandardItemModel* model() const { return model_; }
    QTreeView* reportView() const { return report_; }
    QListView* iconView() const { return icons_; }
    // The view that is shown now.
    QAbstractItemView* currentView() const;

    // ---- Events, set by the window that owns the list ----
    std::function<void()> onDblClick;
    std::function<void()> onClick;
    // Windows key codes; setting keyCode to 0 swallows the key.
    std::function<void(int& keyCode, int shift)> onKeyDown;
    std::function<void(int button, int shift, int x, int y)> onMouseUp;
    // 1-based column header index.
    std::function<void(int column)> onColumnClick;
    // Returns with cancel set to keep the old name.
    std::function<void(bool& cancel, const QString& newText)> onAfterLabelEdit;
    // The pointer moved far enough with a button held down on a selected item: the owner starts
    // a drag of the selection (button 1 left, 2 right).
    std::function<void(int button)> onStartDrag;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QStandardItemModel* model_;
    QStackedLayout* stack_;
    detail::FileReportView* report_;
    detail::FileIconView* icons_;
    QPersistentModelIndex editIndex_;
    int view_ = Report;
    QPoint pressAt_;
    Qt::MouseButton pressButton_ = Qt::NoButton;
    bool sorted_ = false;
    int sortKey_ = 0;
    bool descending_ = false;
    // The report's columns after a fill or a resize of the list; `newContents` after a fill.
    void fitColumns(bool newContents);
    bool fittingColumns_ = false;
    bool userSizedColumns_ = false;
    int nameWidth_ = 0;  // what the longest name needs, icon and margins included
};

}  // namespace kavrin
