#include "tools/toolwindow.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

#include "documents/colorops.h"
#include "platform/msgbox.h"

namespace kavrin {

void makeToolWindow(QWidget* window) {
    // A stay-on-top window would cover every question the program asks while it is open, and
    // the main window would then wait for an answer nobody can see.
    window->setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
}

void placeToolWindow(QWidget* window) {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        window->move(area.x() + (area.width() - window->frameGeometry().width()) / 2,
                     area.y() + (area.height() - window->frameGeometry().height()) / 2);
    }
}

int toolMessage(QWidget* window, const QString& prompt, int buttons, const QString& title) {
    // The box belongs to the active window, which is this one when the user pressed its button.
    QPointer<QWidget> owner(window);
    const bool hadKeyboard = window && window->isActiveWindow();
    const int answer = msgBox(prompt, buttons, title);
    takeKeyboardBack(owner, hadKeyboard);
    return answer;
}

void takeKeyboardBack(QWidget* window, bool hadKeyboard) {
    // The window manager hands the keyboard to the main window when a box over a tool window
    // closes: the next Enter meant for Find Next would then land in the page.
    if (!hadKeyboard || !window || !window->isVisible()) return;
    bringForward(window);
}

void bringForward(QWidget* window) {
    window->raise();
    window->activateWindow();
}

TypingFields::TypingFields(QPushButton* mainButton, std::initializer_list<QLineEdit*> fields)
    : QObject(mainButton), button_(mainButton) {
    for (QLineEdit* field : fields) field->installEventFilter(this);
}

bool TypingFields::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        typing_ = true;
        button_->setDefault(false);
        selectAllText(static_cast<QWidget*>(watched));
    } else if (event->type() == QEvent::FocusOut) {
        typing_ = false;
        button_->setDefault(true);
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace kavrin
