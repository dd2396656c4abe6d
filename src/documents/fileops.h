#pragma once
// Shared path, file and folder operations: naming documents, relative links from the active
// document, existence tests, the file list's icon keys, the trash, properties and folder picker.
#include <QString>

class QWidget;

namespace kavrin {

// ---- Splitting paths ("/" is the separator; "\" is accepted in a path that has no "/") --------

// The part after the last separator; a path without one is returned whole, except that a
// never-saved document's "Untitled_n" gives "Untitled".
QString fileNameOf(const QString& path);
// The part up to and including the last separator; "" when there is none.
QString folderOf(const QString& path);
// The name a document is shown by: "Untitled" for a never-saved document, else its file name.
QString fileTitle(const QString& path);
// True when the path names a document that has never been saved.
bool isUntitledPath(const QString& path);

// File names are case-sensitive here, so two paths are the same only when they are equal.
// Every comparison of paths goes through this one rule.
bool samePath(const QString& a, const QString& b);

// What documentFolder becomes for a document at `filePath`: "Untitled" for a never-saved one,
// else its folder with "/" separators and a trailing "/", in the case it was written.
QString documentFolderOf(const QString& filePath);

// ---- Relative links -----------------------------------------------------------------------------

// The path to write into a page at `folder` (ending in "/") for the file `target`: the file name
// alone in the same folder, "sub/name" below it, "../" chains above it. Targets and folders that
// are not absolute paths (addresses, "Untitled", "") give `target` unchanged.
QString relativePathFrom(const QString& folder, const QString& target);
// The same from the active document's folder. For a never-saved document the full path is used,
// after a notice the user can silence.
QString relativePathTo(const QString& target);

// ---- Existence ------------------------------------------------------------------------------------

// True when `path` names an existing ordinary file (not a folder). Hidden (dot) files count:
// the user may name any file.
bool fileExists(const QString& path);
// Trims `path` in place; true when it then names an existing folder (or file).
bool folderExists(QString& path);

// ---- File list, trash, properties, folder picker --------------------------------------------------

// Image-list key of a file's icon, from its extension: "htm", "gif", "txt", ... or "xxx".
QString fileIconKey(const QString& name);
// Moves the file to the trash. 0 when it went, nonzero when it did not (the file is then still
// there; nothing is ever deleted for good). `error` receives the reason.
int recycleFile(const QString& path, QString* error = nullptr);
// Shows the file's properties window. A result below 33 means that it failed (0 here).
int showFileProperties(const QString& path, QWidget* owner = nullptr);
// The folder picker over the main window, with `prompt` as its text; "" when cancelled.
QString browseForFolder(const QString& prompt);

}  // namespace kavrin
