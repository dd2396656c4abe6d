#pragma once
// What the modeless tool windows (Find/Replace, Extended Replace, Spelling) share: they sit
// centred on the screen above the main window that owns them (never above the program's own
// questions and dialogs, nor above other programs), and keep Enter from pressing their main
// button while a text field is being typed in.
#include <QObject>
#include <QString>

#include <initializer_list>

class QLineEdit;
class QPushButton;
class QWidget;

namespace kavrin {

// Makes the window a tool window of the main window (its parent): the window manager keeps it
// above the main window only, so a message box or dialog opened later appears above it.
void makeToolWindow(QWidget* window);
// Centres the window on the screen.
void placeToolWindow(QWidget* window);
// A message box asked from the tool window, shown above it.
int toolMessage(QWidget* window, const QString& prompt, int buttons, const QString& title = QString());
// After a box or dialog over the window closes, gives the keyboard back to the window when it
// had it before.
void takeKeyboardBack(QWidget* window, bool hadKeyboard);
// Raises the window and asks for the keyboard: a window manager maps a new window without it,
// and typing meant for the window would go into the page.
void bringForward(QWidget* window);

// While one of the fields has the focus, the main button stops being the default button and
// the field's text is selected whole; leaving the field makes the button the default again.
class TypingFields : public QObject {
public:
    TypingFields(QPushButton* mainButton, std::initializer_list<QLineEdit*> fields);
    bool typing() const { return typing_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPushButton* button_;
    bool typing_ = false;
};

}  // namespace kavrin
