#pragma once
// Project files: a title, the creation and last-change times and one full path a line, every
// line ended by CR LF, with no header. Read whole and written whole (atomically).
#include <QDateTime>
#include <QStringList>
#include <functional>

#include "platform/files/textfile.h"

namespace kavrin {

struct Project {
    QString title;
    QString created;
    QString modified;
    QStringList files;
    bool operator==(const Project&) const = default;
};

// The file's text with CR LF after every line.
QString projectFileText(const Project& project);
// Line 1 trimmed is the title, lines 2 and 3 the times as they stand, each further line trimmed
// a path (an empty line an empty path). False when the text has fewer than three lines.
bool parseProjectText(QStringView crlfText, Project* project);

// True for a name ending in ".kvf", in any letter case.
bool isProjectFileName(const QString& path);
// The name a new project is saved under: the chosen one, with ".kvf" added when it lacks it.
QString projectFileNameFor(const QString& chosen);

// Reads a project file into `project` and the format it was written in. False with the reason
// (not a project file name, unreadable, not text, too short); `project` is then untouched.
bool readProjectFile(const QString& path, Project* project, TextFormat* format, QString* error);
bool writeProjectFile(const QString& path, const Project& project, const TextFormat& format, QString* error);

// The current date and time as the project file keeps it; tests may put their own clock in place.
inline std::function<QDateTime()> projectClock;
QString projectTimeText();

}  // namespace kavrin
