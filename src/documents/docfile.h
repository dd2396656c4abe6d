#pragma once
// New, save and save as of documents.
#include <QString>

namespace kavrin {

class DocumentWindow;

// Opens a new empty document ("Untitled_n", the lowest number no open document uses).
void newDocument();
// Saves the document (default: the active one) to its path; an untitled one goes to Save As.
void saveDocument(DocumentWindow* doc = nullptr);
// Asks for a path and saves the document there; `title` replaces the dialog's usual title.
void saveDocumentAs(DocumentWindow* doc = nullptr, const QString& title = QString());
// "Untitled_n" with the lowest n that no open document window uses.
QString nextUntitledName();
// Writes the document's source to path in the document's text format. On failure tells the
// user (naming the file and the reason) and returns false; the old file stays whole.
bool writeDocumentFile(DocumentWindow* doc, const QString& path);

}  // namespace kavrin
