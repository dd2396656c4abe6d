#pragma once
// Message and input boxes with the button, icon and result codes that callers test for.
#include <QString>
#include <optional>

namespace kavrin {

enum MsgBoxStyle : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    vbDefaultButton1 = 0,
    vbDefaultButton2 = 256,
    vbDefaultButton3 = 512,
};

enum MsgBoxResult : int {
    vbOK = 1,
    vbCancel = 2,
    vbAbort = 3,
    vbRetry = 4,
    vbIgnore = 5,
    vbYes = 6,
    vbNo = 7,
};

// The title every message box carries unless the caller names another.
inline const QString appTitle = QStringLiteral("Kavrin Pro");

// Shows a modal message box; an empty title means appTitle. Returns one of MsgBoxResult.
int msgBox(const QString& prompt, int buttons = vbOKOnly, const QString& title = QString());

// Asks for a line of text. Returns "" when the user cancels; `cancelled` tells the two apart.
QString inputBox(const QString& prompt, const QString& title = QString(),
                 const QString& defaultText = QString(), bool* cancelled = nullptr);

// The same boxes for a text that is not the program's own (what a page's script says): shown as
// it stands, never read as markup. With an `offer`, the box carries a check box of that text
// under it, unticked, and `ticked` tells whether the person ticked it.
int foreignMsgBox(const QString& text, int buttons, const QString& title, const QString& offer = QString(),
                  bool* ticked = nullptr);
// nullopt for Cancel.
std::optional<QString> foreignInputBox(const QString& text, const QString& title, const QString& defaultText,
                                       const QString& offer = QString(), bool* ticked = nullptr);

}  // namespace kavrin
