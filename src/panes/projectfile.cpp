#include "panes/projectfile.h"

#include <QFileInfo>
#include <QLocale>

namespace kavrin {

namespace {
// A list of paths this long is not a project someone keeps by hand.
constexpr qint64 kMaxProjectFileSize = 16LL * 1024 * 1024;
}  // namespace

QString projectFileText(const Project& project) {
    QString text = project.title + QLatin1String("\r\n") + project.created + QLatin1String("\r\n") +
                   project.modified + QLatin1String("\r\n");
    for (const QString& file : project.files) text += file + QLatin1String("\r\n");
    return text;
}

bool parseProjectText(QStringView text, Project* project) {
    if (text.endsWith(u"\r\n")) text.chop(2);
    if (text.isEmpty()) return false;
    const QList<QStringView> lines = text.split(u"\r\n");
    if (lines.size() < 3) return false;
    Project read;
    read.title = lines[0].trimmed().toString();
    read.created = lines[1].toString();
    read.modified = lines[2].toString();
    for (qsizetype i = 3; i < lines.size(); ++i) read.files << lines[i].trimmed().toString();
    if (project) *project = std::move(read);
    return true;
}

bool isProjectFileName(const QString& path) { return path.endsWith(QLatin1String(".kvf"), Qt::CaseInsensitive); }

QString projectFileNameFor(const QString& chosen) {
    return isProjectFileName(chosen) ? chosen : chosen + QLatin1String(".kvf");
}

bool readProjectFile(const QString& path, Project* project, TextFormat* format, QString* error) {
    auto fail = [error](const QString& why) {
        if (error) *error = why;
        return false;
    };
    const QString notProject = "The file '" + path + "' is not a Kavrin project file.";
    if (!isProjectFileName(path)) return fail(notProject + "\n\nIts name does not end in \".kvf\".");
    if (const qint64 size = QFileInfo(path).size(); size > kMaxProjectFileSize)
        return fail(notProject + QStringLiteral("\n\nIt is %1 MB; a project file lists its pages and is never more "
                                                "than %2 MB.")
                                     .arg(size / (1024 * 1024))
                                     .arg(kMaxProjectFileSize / (1024 * 1024)));
    const TextFileResult file = readTextFile(path);
    if (file.binary) return fail(notProject + "\n\nIt holds binary data (NUL bytes), not text.");
    if (!file.ok) return fail(file.error);
    Project read;
    if (!parseProjectText(file.text, &read)) return fail(notProject + "\n\nIt has fewer than three lines.");
    if (project) *project = std::move(read);
    if (format) *format = file.format;
    return true;
}

bool writeProjectFile(const QString& path, const Project& project, const TextFormat& format, QString* error) {
    TextFormat lines = format;
    // The file's lines always end in CR LF, whatever ends the file had when it was read.
    lines.lineEnd = TextFormat::LineEnd::CrLf;
    return writeTextFile(path, projectFileText(project), lines, error);
}

QString projectTimeText() {
    const QDateTime now = projectClock ? projectClock() : QDateTime::currentDateTime();
    return QLocale::system().toString(now, QLocale::ShortFormat);
}

}  // namespace kavrin
