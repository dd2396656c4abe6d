#pragma once
// Window sizes that suit the window manager's frame: a title bar wide enough to show the whole
// title, and a fixed size for windows whose contents never grow, so that the frame draws no
// resize strip under them.
#include <QString>

class QWidget;

namespace kavrin {

// The client width at which the frame shows `title` whole beside its icon and buttons.
int titleFitWidth(const QString& title);
// Raises the window's minimum width to fit its title (a fixed width grows with it).
void fitTitle(QWidget* window);
// Fixes the window at the size its layout asks for (its present size when it has none), wide
// enough for its title.
void fixToContents(QWidget* window);

}  // namespace kavrin
