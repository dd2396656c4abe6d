#include "platform/msgbox.h"

#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include "platform/altletters.h"
#include "platform/dialoghooks.h"
#include "platform/dialogsize.h"

namespace kavrin {

namespace {

struct ButtonSpec {
    QMessageBox::StandardButton button;
    int result;
};

QVector<ButtonSpec> buttonsFor(int style) {
    switch (style & 7) {
    case vbOKCancel: return {{QMessageBox::Ok, vbOK}, {QMessageBox::Cancel, vbCancel}};
    case vbAbortRetryIgnore:
        return {{QMessageBox::Abort, vbAbort}, {QMessageBox::Retry, vbRetry}, {QMessageBox::Ignore, vbIgnore}};
    case vbYesNoCancel:
        return {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}, {QMessageBox::Cancel, vbCancel}};
    case vbYesNo: return {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}};
    case vbRetryCancel: return {{QMessageBox::Retry, vbRetry}, {QMessageBox::Cancel, vbCancel}};
    default: return {{QMessageBox::Ok, vbOK}};
    }
}

}  // namespace

int msgBox(const QString& prompt, int buttons, const QString& title) {
    const QString shownTitle = title.isEmpty() ? appTitle : title;
    if (dialogHooks().msgBox) return dialogHooks().msgBox(prompt, buttons, shownTitle);

    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(shownTitle);
    // What the program says is plain text: a search text "<li>", a file name with "&" or "<"
    // is shown as written, not read as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(prompt);
    switch (buttons & 0x70) {
    case vbCritical: box.setIcon(QMessageBox::Critical); break;
    case vbQuestion: box.setIcon(QMessageBox::Question); break;
    case vbExclamation: box.setIcon(QMessageBox::Warning); break;
    case vbInformation: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
    }
    const auto specs = buttonsFor(buttons);
    QMessageBox::StandardButtons set;
    for (const auto& s : specs) set |= s.button;
    box.setStandardButtons(set);
    const int defaultIndex = (buttons & 0x300) >> 8;
    if (defaultIndex < specs.size()) box.setDefaultButton(specs[defaultIndex].button);
    // Closing the box by its frame answers like Escape: Cancel where there is one, else the
    // only button.
    int escapeResult = specs.size() == 1 ? specs.front().result : vbCancel;
    const int clicked = box.exec();
    for (const auto& s : specs)
        if (s.button == clicked) return s.result;
    return escapeResult;
}

QString inputBox(const QString& prompt, const QString& title, const QString& defaultText, bool* cancelled) {
    const QString shownTitle = title.isEmpty() ? appTitle : title;
    std::optional<QString> answer;
    if (dialogHooks().inputBox) {
        answer = dialogHooks().inputBox(prompt, shownTitle, defaultText);
    } else {
        keepAltLettersFromTyping();
        QInputDialog dialog(QApplication::activeWindow());
        dialog.setWindowTitle(shownTitle);
        dialog.setInputMode(QInputDialog::TextInput);
        dialog.setLabelText(prompt);
        dialog.setTextValue(defaultText);
        // As wide as its title, and fixed: the frame draws no resize strip under it.
        fixToContents(&dialog);
        // The prompt as written: no markup, and an "&" is no underlined letter of the box.
        for (QLabel* label : dialog.findChildren<QLabel*>()) {
            label->setTextFormat(Qt::PlainText);
            label->setBuddy(nullptr);
        }
        if (dialog.exec() == QDialog::Accepted) answer = dialog.textValue();
    }
    if (cancelled) *cancelled = !answer.has_value();
    return answer.value_or(QString());
}

}  // namespace kavrin
