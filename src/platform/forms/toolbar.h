#pragma once
// A toolbar whose buttons are told apart by their key text, as the command handlers expect.
#include <QAction>
#include <QHash>
#include <QToolBar>

namespace kavrin {

// Outside a desktop session no icon theme is set; the toolbars want one. Safe to call often.
void useIconTheme();

class Toolbar : public QToolBar {
    Q_OBJECT
public:
    explicit Toolbar(const QString& name, QWidget* parent = nullptr);

    // Adds a button; the icon comes from the desktop theme by name (or from the program's own
    // resources for a name starting ":/"), with the text as fallback.
    QAction* addButton(const QString& key, const QString& toolTip, const QString& themeIcon = QString(),
                       bool checkable = false);
    void addSeparatorItem() { addSeparator(); }
    // The button with this key, or nullptr.
    QAction* button(const QString& key) const { return buttons_.value(key); }
    // Enables a button when it exists; a missing key changes nothing.
    void setButtonEnabled(const QString& key, bool on);
    QStringList keys() const { return order_; }

signals:
    void ButtonClick(const QString& key);

private:
    QHash<QString, QAction*> buttons_;
    QStringList order_;
};

}  // namespace kavrin
