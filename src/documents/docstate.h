#pragma once
// Keep the main window's menus, buttons, task bar and status bar in step with the active document.
#include <QString>

namespace kavrin {

class DocumentWindow;
class RichTextBox;

void setFileSaved(bool saved);
// The same for a given window (the one being closed may not be the active one).
void setFileSaved(DocumentWindow* doc, bool saved);
void enableUndo(bool on);
void enableRedo(bool on);
void enableSaveAllButton(bool on);
void enableEditButtons(bool on);
void showDocumentSize();
// The text the size panel shows for a document of n characters ("999 bytes", "0.98 KB", "2 MB").
QString documentSizeText(qint64 characters);
// The caret's place as the status bar shows it: "Ln 3, Col 7".
QString caretPositionText(const RichTextBox* editor);

}  // namespace kavrin
