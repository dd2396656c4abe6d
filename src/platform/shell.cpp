#include "platform/shell.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>

#include "platform/propertieswindow.h"

namespace kavrin {

namespace {

bool fail(QString* error, const QString& why) {
    if (error) *error = why;
    return false;
}

// A scheme has two letters at least, so "c:/x" stays a path; an existing file wins over a
// name that merely looks like an address.
QUrl urlFor(const QString& pathOrUrl) {
    const QString text = pathOrUrl.trimmed();
    if (text.isEmpty()) return QUrl();
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    if (!QFileInfo::exists(text) && scheme.match(text).hasMatch()) return QUrl(text, QUrl::TolerantMode);
    return QUrl::fromLocalFile(QFileInfo(text).absoluteFilePath());
}

// The user's home trash must exist before Qt looks for it: where no trash folder can be had,
// Qt's search comes back empty and would use the current folder as the trash.
bool homeTrashReady() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty()) return false;
    const QString trash = data + QStringLiteral("/Trash");
    return QDir().mkpath(trash + QStringLiteral("/files")) && QDir().mkpath(trash + QStringLiteral("/info"));
}

}  // namespace

bool startProgram(const QString& program, const QStringList& arguments, QString* error) {
    if (program.trimmed().isEmpty()) return fail(error, QStringLiteral("No program was named."));
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    if (process.startDetached()) return true;
    const QString reason = process.errorString();
    return fail(error, QStringLiteral("'%1' could not be started%2")
                           .arg(program, reason.isEmpty() ? QStringLiteral(".") : QStringLiteral(": ") + reason));
}

QStringList desktopExecCommand(const QString& execLine, const QString& file) {
    QStringList out;
    for (const QString& word : QProcess::splitCommand(execLine)) {
        if (word == QLatin1String("%f") || word == QLatin1String("%F") || word == QLatin1String("%u") ||
            word == QLatin1String("%U")) {
            out << file;
            continue;
        }
        QString kept;
        for (qsizetype i = 0; i < word.size(); ++i) {
            if (word[i] != u'%' || i + 1 >= word.size()) {
                kept += word[i];
                continue;
            }
            const QChar code = word[++i];
            if (code == u'%') kept += u'%';
            else if (code == u'f' || code == u'F' || code == u'u' || code == u'U') kept += file;
        }
        if (!kept.isEmpty()) out << kept;
    }
    return out;
}

namespace {

// The Exec line of the desktop's default application for plain text, "" when none is known.
QString defaultTextEditorExec() {
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/plain")});
    if (!query.waitForFinished(3000)) {
        query.kill();
        return QString();
    }
    const QString id = QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
    if (id.isEmpty()) return QString();
    const QString entry = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, id);
    QFile file(entry);
    if (entry.isEmpty() || !file.open(QIODevice::ReadOnly | QIODevice::Text)) return QString();
    bool inEntry = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(u'[')) inEntry = line == QLatin1String("[Desktop Entry]");
        else if (inEntry && line.startsWith(QLatin1String("Exec="))) return line.mid(5);
    }
    return QString();
}

}  // namespace

bool openInTextEditor(const QString& path, QString* error) {
    QStringList candidates;
    for (const char* variable : {"VISUAL", "EDITOR"}) {
        const QString command = qEnvironmentVariable(variable).trimmed();
        if (command.isEmpty()) continue;
        QStringList words = QProcess::splitCommand(command);
        if (!words.isEmpty()) {
            const QString program = words.takeFirst();
            if (startProgram(program, words << path)) return true;
        }
    }
    const QStringList command = desktopExecCommand(defaultTextEditorExec(), path);
    if (!command.isEmpty()) {
        QStringList arguments = command;
        const QString program = arguments.takeFirst();
        // An entry without a field code still wants the file.
        if (!arguments.contains(path)) arguments << path;
        if (startProgram(program, arguments)) return true;
    }
    return fail(error, QStringLiteral("No text editor could be started."));
}

bool openWithAssociated(const QString& pathOrUrl) {
    const QUrl url = urlFor(pathOrUrl);
    if (!url.isValid() || url.isEmpty()) return false;
    return QDesktopServices::openUrl(url);
}

bool moveToTrash(const QString& path, QString* error) {
    if (path.trimmed().isEmpty()) return fail(error, QStringLiteral("No file was named."));
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return fail(error, QStringLiteral("'%1' could not be moved to the trash: it does not exist.").arg(path));
    if (!homeTrashReady())
        return fail(error, QStringLiteral("'%1' could not be moved to the trash: there is no trash folder.").arg(path));
    // The trash is only ever reached by a rename: a file that cannot be moved stays where it is.
    QFile file(path);
    if (file.moveToTrash()) return true;
    QString reason = file.errorString();
    if (reason.isEmpty() || reason == QLatin1String("Unknown error"))
        reason = QStringLiteral("no trash could be used for this volume");
    return fail(error, QStringLiteral("'%1' could not be moved to the trash: %2.").arg(path, reason));
}

bool showPropertiesWindow(const QString& path, QWidget* owner) {
    if (path.trimmed().isEmpty() || !QFileInfo::exists(path)) return false;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return false;
    PropertiesWindow* window = PropertiesWindow::findFor(path);
    if (!window) window = new PropertiesWindow(path, owner);
    window->show();
    window->raise();
    window->activateWindow();
    return true;
}

}  // namespace kavrin
