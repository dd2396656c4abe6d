#include "platform/forms/msgbox.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/forms/altletters.h"
#include "platform/forms/dialoghooks.h"
#include "platform/forms/dialogsize.h"

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

// What the person did with a box's check box, asked of the test hook when one stands in.
bool hookTicked(const QString& offer) {
    return !offer.isEmpty() && dialogHooks().checkBox && dialogHooks().checkBox(offer);
}

int showMsgBox(const QString& prompt, int buttons, const QString& title, const QString& offer, bool* ticked) {
    const QString shownTitle = title.isEmpty() ? appTitle : title;
    if (ticked) *ticked = false;
    if (dialogHooks().msgBox) {
        const int answer = dialogHooks().msgBox(prompt, buttons, shownTitle);
        if (ticked) *ticked = hookTicked(offer);
        return answer;
    }

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
    if (!offer.isEmpty()) box.setCheckBox(new QCheckBox(offer, &box));
    // Closing the box by its frame answers like Escape: Cancel where there is one, else the
    // only button.
    int escapeResult = specs.size() == 1 ? specs.front().result : vbCancel;
    const int clicked = box.exec();
    if (ticked && box.checkBox()) *ticked = box.checkBox()->isChecked();
    for (const auto& s : specs)
        if (s.button == clicked) return s.result;
    return escapeResult;
}

// An input box for a foreign text: the input dialog's label would read markup in it, and has no
// place for a check box.
std::optional<QString> askForeign(const QString& text, const QString& title, const QString& defaultText,
                                    const QString& offer, bool* ticked) {
    keepAltLettersFromTyping();
    QDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(title);
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(text, &dialog);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    auto* field = new QLineEdit(defaultText, &dialog);
    // Typing replaces what the page proposed, as in the input box.
    field->selectAll();
    auto* check = offer.isEmpty() ? nullptr : new QCheckBox(offer, &dialog);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(label);
    layout->addWidget(field);
    if (check) layout->addWidget(check);
    layout->addWidget(buttons);
    fixToContents(&dialog);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (ticked) *ticked = check && check->isChecked();
    if (!accepted) return std::nullopt;
    return field->text();
}

}  // namespace

int msgBox(const QString& prompt, int buttons, const QString& title) {
    return showMsgBox(prompt, buttons, title, QString(), nullptr);
}

int foreignMsgBox(const QString& text, int buttons, const QString& title, const QString& offer, bool* ticked) {
    return showMsgBox(text, buttons, title, offer, ticked);
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

std::optional<QString> foreignInputBox(const QString& text, const QString& title, const QString& defaultText,
                                       const QString& offer, bool* ticked) {
    const QString shownTitle = title.isEmpty() ? appTitle : title;
    if (ticked) *ticked = false;
    if (dialogHooks().inputBox) {
        std::optional<QString> answer = dialogHooks().inputBox(text, shownTitle, defaultText);
        if (ticked) *ticked = hookTicked(offer);
        return answer;
    }
    return askForeign(text, shownTitle, defaultText, offer, ticked);
}

}  // namespace kavrin
