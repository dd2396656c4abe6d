#include "platform/system/shell.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>

#include "platform/forms/propertieswindow.h"

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

struct DesktopEntry {
    QString exec;
    bool terminal = false;  // the program runs inside a terminal and has no window of its own
};

// The desktop's default application for plain text, as its entry says; empty when none is known.
// xdg-mime answers at once, so waiting for it blocks no longer than starting it.
DesktopEntry defaultTextEditor() {
    DesktopEntry out;
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-mime")).isEmpty()) return out;
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/plain")});
    if (!query.waitForFinished(3000)) {
        query.kill();
        return out;
    }
    const QString id = QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
    if (id.isEmpty()) return out;
    const QString entry = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, id);
    QFile file(entry);
    if (entry.isEmpty() || !file.open(QIODevice::ReadOnly | QIODevice::Text)) return out;
    bool inEntry = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(u'[')) inEntry = line == QLatin1String("[Desktop Entry]");
        else if (inEntry && line.startsWith(QLatin1String("Exec="))) out.exec = line.mid(5);
        else if (inEntry && line.startsWith(QLatin1String("Terminal=")))
            out.terminal = line.mid(9).trimmed().compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
    }
    return out;
}

// Starts a command (program and arguments) with the file added when the command does not name it.
bool startCommand(QStringList command, const QString& path) {
    if (command.isEmpty()) return false;
    const QString program = command.takeFirst();
    if (!command.contains(path)) command << path;
    return startProgram(program, command);
}

// The first terminal emulator installed, with the switch after which it runs a command.
QStringList terminalEmulator() {
    static const char* const kTerminals[][2] = {
        {"x-terminal-emulator", "-e"}, {"gnome-terminal", "--"}, {"konsole", "-e"},  {"xfce4-terminal", "-x"},
        {"mate-terminal", "-x"},       {"lxterminal", "-e"},     {"qterminal", "-e"}, {"alacritty", "-e"},
        {"kitty", nullptr},            {"xterm", "-e"},          {"urxvt", "-e"},
    };
    for (const auto& [program, flag] : kTerminals) {
        const QString found = QStandardPaths::findExecutable(QLatin1String(program));
        if (found.isEmpty()) continue;
        QStringList command{found};
        if (flag) command << QLatin1String(flag);
        return command;
    }
    return {};
}

// The user's terminal editor as a command: $VISUAL, $EDITOR, the desktop default when it runs in
// a terminal, then the system's own choice and the common ones. Empty when none is installed.
QStringList terminalEditor(const DesktopEntry& desktopDefault, const QString& path) {
    QVector<QStringList> candidates;
    for (const char* variable : {"VISUAL", "EDITOR"}) {
        const QString command = qEnvironmentVariable(variable).trimmed();
        if (!command.isEmpty()) candidates << QProcess::splitCommand(command);
    }
    if (desktopDefault.terminal) candidates << desktopExecCommand(desktopDefault.exec, path);
    for (const char* name : {"sensible-editor", "editor", "nano", "vim", "vi"}) candidates << QStringList{QLatin1String(name)};
    for (QStringList command : candidates) {
        if (command.isEmpty()) continue;
        const QString program = QStandardPaths::findExecutable(command.first());
        if (program.isEmpty()) continue;
        command.first() = program;
        if (!command.contains(path)) command << path;
        return command;
    }
    return {};
}

}  // namespace

bool openInTextEditor(const QString& path, QString* error) {
    // A program with a window of its own first: the desktop's default for text, else a common one.
    const DesktopEntry desktopDefault = defaultTextEditor();
    if (!desktopDefault.terminal && startCommand(desktopExecCommand(desktopDefault.exec, path), path)) return true;
    for (const char* name : {"gnome-text-editor", "gedit", "kate", "kwrite", "mousepad", "xed", "pluma", "featherpad",
                             "leafpad", "geany"}) {
        const QString program = QStandardPaths::findExecutable(QLatin1String(name));
        if (!program.isEmpty() && startProgram(program, {path})) return true;
    }
    // A terminal editor ($EDITOR, say) shows nothing unless a terminal emulator runs it.
    const QStringList terminal = terminalEmulator();
    const QStringList editor = terminalEditor(desktopDefault, path);
    if (!terminal.isEmpty() && !editor.isEmpty()) {
        QStringList arguments = terminal.mid(1) + editor;
        if (startProgram(terminal.first(), arguments)) return true;
    }
    if (!editor.isEmpty() && terminal.isEmpty())
        return fail(error, QStringLiteral("No text editor with a window is installed, and no terminal emulator to run %1 in. "
                                          "Install a text editor such as mousepad or gedit, or a terminal such as xterm.")
                               .arg(QFileInfo(editor.first()).fileName()));
    return fail(error, QStringLiteral("No text editor with a window is installed. "
                                      "Install a text editor such as mousepad or gedit."));
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
