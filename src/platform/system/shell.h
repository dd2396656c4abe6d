#pragma once
// Starting programs and the desktop's file operations.
#include <QString>
#include <QStringList>

class QWidget;

namespace kavrin {

// Starts a program with its arguments (no shell). False when it could not be started.
bool startProgram(const QString& program, const QStringList& arguments, QString* error = nullptr);
// Opens a file or address with the desktop's associated program.
bool openWithAssociated(const QString& pathOrUrl);
// Opens a file in a text editor that has a window: the desktop's default program for plain text
// or a common one, else a terminal editor ($VISUAL, $EDITOR, ...) inside a terminal emulator.
// False with the reason when none could be started.
bool openInTextEditor(const QString& path, QString* error = nullptr);
// The program and arguments of a desktop entry's Exec line for one file: %f, %F, %u and %U become
// the file, %% a percent sign, other field codes are dropped. Empty when the line names nothing.
QStringList desktopExecCommand(const QString& execLine, const QString& file);
// Moves a file or folder to the desktop trash. Never deletes for good: when there is no trash the
// file stays and the result is false with the reason.
bool moveToTrash(const QString& path, QString* error = nullptr);
// Our own properties window (name, kind, folder, size, dates, permissions); false for a missing path.
bool showPropertiesWindow(const QString& path, QWidget* owner = nullptr);

}  // namespace kavrin
