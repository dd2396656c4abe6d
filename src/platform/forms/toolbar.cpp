#include "platform/forms/toolbar.h"

#include <QIcon>
#include <QStandardPaths>

namespace kavrin {

void useIconTheme() {
    static bool done = false;
    if (done) return;
    done = true;
    // Some platforms (offscreen, for one) look for themes only in the program's resources.
    QStringList paths = QIcon::themeSearchPaths();
    const QStringList shared =
        QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("icons"), QStandardPaths::LocateDirectory);
    for (const QString& folder : shared)
        if (!paths.contains(folder)) paths << folder;
    QIcon::setThemeSearchPaths(paths);
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor"))
        QIcon::setThemeName(QStringLiteral("Adwaita"));
}

Toolbar::Toolbar(const QString& name, QWidget* parent) : QToolBar(parent) {
    useIconTheme();
    setObjectName(name);
    setIconSize(QSize(16, 16));
    setToolButtonStyle(Qt::ToolButtonIconOnly);
}

QAction* Toolbar::addButton(const QString& key, const QString& toolTip, const QString& themeIcon, bool checkable) {
    QIcon icon;
    if (themeIcon.startsWith(QLatin1String(":/"))) {
        // One of the program's own pictures.
        icon = QIcon(themeIcon);
    } else if (!themeIcon.isEmpty()) {
        // Current themes ship many action icons only in their symbolic form.
        icon = QIcon::fromTheme(themeIcon);
        if (icon.isNull()) icon = QIcon::fromTheme(themeIcon + "-symbolic");
    }
    auto* action = addAction(icon, toolTip);
    action->setObjectName(key);
    action->setToolTip(toolTip);
    action->setCheckable(checkable);
    if (icon.isNull()) {
        // Without a themed icon the button shows its short text.
        action->setText(toolTip);
    }
    connect(action, &QAction::triggered, this, [this, key] { emit ButtonClick(key); });
    buttons_.insert(key, action);
    order_ << key;
    return action;
}

void Toolbar::setButtonEnabled(const QString& key, bool on) {
    if (QAction* a = buttons_.value(key)) a->setEnabled(on);
}

}  // namespace kavrin
