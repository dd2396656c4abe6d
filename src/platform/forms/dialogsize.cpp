#include "platform/forms/dialogsize.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLayout>
#include <QWidget>

namespace kavrin {

int titleFitWidth(const QString& title) {
    if (title.isEmpty()) return 0;
    // Frames set their titles in a bold face of about the program's size; the icon and up to
    // three buttons with their gaps take some 120 pixels beside it.
    QFont font = QApplication::font();
    font.setBold(true);
    constexpr int kFrameParts = 120;
    return QFontMetrics(font).horizontalAdvance(title) + kFrameParts;
}

void fitTitle(QWidget* window) {
    const int needed = titleFitWidth(window->windowTitle());
    if (window->minimumWidth() >= needed) return;
    if (window->maximumWidth() < needed) window->setMaximumWidth(needed);
    window->setMinimumWidth(needed);
}

void fixToContents(QWidget* window) {
    // Some dialogs (the input dialog) build their layout only when first asked for their size.
    (void)window->sizeHint();
    QSize size = window->size();
    if (QLayout* layout = window->layout()) {
        // The layout would otherwise set the limits again whenever it runs.
        layout->setSizeConstraint(QLayout::SetNoConstraint);
        layout->activate();
        size = window->sizeHint().expandedTo(window->minimumSizeHint()).expandedTo(window->minimumSize());
    }
    size.setWidth(qMax(size.width(), titleFitWidth(window->windowTitle())));
    // Wrapped text takes fewer lines in a wider window.
    if (window->layout() && window->layout()->hasHeightForWidth())
        size.setHeight(qMax(window->layout()->minimumSize().height(), window->heightForWidth(size.width())));
    window->setMinimumSize(0, 0);
    window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    window->setFixedSize(size);
}

}  // namespace kavrin
