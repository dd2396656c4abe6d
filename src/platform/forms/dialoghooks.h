#pragma once
// Test seams: while a hook is set, the matching dialog is answered by it instead of a person.
// Production code never sets them.
#include <QString>
#include <functional>
#include <optional>

namespace kavrin {

class Form;
class CommonDialog;

struct DialogHooks {
    // Gets prompt, buttons (style bits) and the title actually shown; returns a MsgBoxResult.
    std::function<int(const QString& prompt, int buttons, const QString& title)> msgBox;
    // Returns the text typed, or nullopt for Cancel.
    std::function<std::optional<QString>(const QString& prompt, const QString& title,
                                         const QString& defaultText)>
        inputBox;
    // Gets the text of the check box a message or input box carries, once the box above has
    // been answered; returns whether it was ticked. Unset: never.
    std::function<bool(const QString& offer)> checkBox;
    // Gets the dialog with its kind ("open", "save", "color", "print", "folder"); fills its
    // result fields and returns false for Cancel.
    std::function<bool(CommonDialog& dialog, const QString& kind)> commonDialog;
    // Runs in place of the modal loop of Form::showModal: the form is loaded and visible;
    // the hook drives it (fills fields, presses buttons) and returns.
    std::function<void(Form& form)> modalForm;
};

DialogHooks& dialogHooks();

}  // namespace kavrin
