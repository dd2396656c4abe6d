#include "tools/toolwindow.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "documents/colorops.h"
#include "platform/msgbox.h"

namespace kavrin {

void placeToolWindow(QWidget* window) {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        window->move(area.x() + (area.width() - window->frameGeometry().width()) / 2,
                     area.y() + (area.height() - window->frameGeometry().height()) / 2);
    }
    keepOnTop(HWND_TOPMOST, window);
}

int toolMessage(QWidget* window, const QString& prompt, int buttons, const QString& title) {
    keepOnTop(HWND_NOTOPMOST, window);
    const int answer = msgBox(prompt, buttons, title);
    keepOnTop(HWND_TOPMOST, window);
    return answer;
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
