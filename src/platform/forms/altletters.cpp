#include "platform/forms/altletters.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextEdit>

#include "platform/forms/eventwatcher.h"
#include "platform/richtext/richtextbox.h"

namespace kavrin {

namespace {

// A letter with no button or menu of its own reaches the focused widget as a plain key press
// with its character, and a text box takes the character as typed.
class AltLetterGuard : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || !isAltLetter(static_cast<QKeyEvent*>(event))) return false;
        QWidget* widget = watchedWidget(watched);
        // The source editor reads Alt keys itself: its KeyDown handlers see them, and it types
        // none of them.
        if (!widget || qobject_cast<RichTextBox*>(widget)) return false;
        return qobject_cast<QLineEdit*>(widget) || qobject_cast<QComboBox*>(widget) ||
               qobject_cast<QAbstractSpinBox*>(widget) || qobject_cast<QPlainTextEdit*>(widget) ||
               qobject_cast<QTextEdit*>(widget);
    }
};

}  // namespace

bool isAltLetter(const QKeyEvent* key) {
    if ((key->modifiers() & (Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier)) != Qt::AltModifier)
        return false;
    const QString text = key->text();
    return !text.isEmpty() && text.at(0).isPrint();
}

void keepAltLettersFromTyping() {
    static QPointer<QObject> guard;
    if (guard || !qApp) return;
    guard = new AltLetterGuard(qApp);
    qApp->installEventFilter(guard);
}

}  // namespace kavrin
