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
// Moves a file or folder to the desktop trash. Never deletes for good: when there is no trash the
// file stays and the result is false with the reason.
bool moveToTrash(const QString& path, QString* error = nullptr);
// Our own properties window (name, kind, folder, size, dates, permissions); false for a missing path.
bool showPropertiesWindow(const QString& path, QWidget* owner = nullptr);

}  // namespace kavrin
