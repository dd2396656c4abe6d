#include "tools/toolwindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

#include "documents/colouring/colorops.h"
#include "platform/forms/altletters.h"
#include "platform/forms/eventwatcher.h"
#include "platform/forms/msgbox.h"

namespace kavrin {

namespace {

constexpr char kToolWindow[] = "kavrinToolWindow";

// The toolkit lets the keys of a tool window reach its owner's shortcuts, and gives the owner's
// the underlined letters too: Alt+F typed in Find/Replace opened the File menu instead of
// pressing Find Next, and no button of a tool window could be pressed by its letter. The
// window's letters are its own: one of its buttons presses it, any other does nothing, as in
// every other window.
class ToolWindowLetters : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!isAltLetter(key)) return false;
        QWidget* widget = watchedWidget(watched);
        if (!widget || !widget->window()->property(kToolWindow).toBool()) return false;
        // Taking the override keeps the key from every shortcut; the key itself then presses.
        if (event->type() == QEvent::ShortcutOverride) event->accept();
        else if (QAbstractButton* button = buttonFor(widget->window(), key->key())) button->click();
        return true;
    }

private:
    static QAbstractButton* buttonFor(QWidget* window, int key) {
        const QKeySequence wanted(QKeyCombination(Qt::AltModifier, Qt::Key(key)));
        for (QAbstractButton* button : window->findChildren<QAbstractButton*>())
            if (button->isVisible() && button->isEnabled() && button->window() == window &&
                QKeySequence::mnemonic(button->text()) == wanted)
                return button;
        return nullptr;
    }
};

}  // namespace

void makeToolWindow(QWidget* window) {
    // A stay-on-top window would cover every question the program asks while it is open, and
    // the main window would then wait for an answer nobody can see.
    window->setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    window->setProperty(kToolWindow, true);
    static ToolWindowLetters* letters = nullptr;
    if (!letters && qApp) {
        letters = new ToolWindowLetters(qApp);
        qApp->installEventFilter(letters);
    }
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
