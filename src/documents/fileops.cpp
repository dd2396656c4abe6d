#include "documents/fileops.h"

#include <QFileInfo>
#include <QHash>

#include "documents/globals.h"
#include "mainwindow/frmDontShow.h"
#include "mainwindow/mdiMain.h"
#include "platform/forms/commondialog.h"
#include "platform/system/shell.h"

namespace kavrin {

namespace {

// Position of the separator that splits a path: the last "/", or the last "\" when there is no "/".
qsizetype splitPosition(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash >= 0 ? slash : path.lastIndexOf(QLatin1Char('\\'));
}

// The text up to and including the first "/", or "" when there is none.
QString firstComponent(const QString& folder) {
    const qsizetype slash = folder.indexOf(QLatin1Char('/'));
    return slash >= 0 ? folder.left(slash + 1) : QString();
}

}  // namespace

bool isUntitledPath(const QString& path) { return path.startsWith(QLatin1String("Untitled")); }

QString fileNameOf(const QString& path) {
    const qsizetype p = splitPosition(path);
    if (p >= 0) return path.mid(p + 1);
    return isUntitledPath(path) ? QStringLiteral("Untitled") : path;
}

QString folderOf(const QString& path) {
    const qsizetype p = splitPosition(path);
    return p >= 0 ? path.left(p + 1) : QString();
}

QString fileTitle(const QString& path) {
    if (isUntitledPath(path)) return QStringLiteral("Untitled");
    const qsizetype p = splitPosition(path);
    return p >= 0 ? path.mid(p + 1) : path;
}

bool samePath(const QString& a, const QString& b) { return a.compare(b, Qt::CaseSensitive) == 0; }

QString documentFolderOf(const QString& filePath) {
    if (isUntitledPath(filePath)) return QStringLiteral("Untitled");
    QString key = filePath;
    key.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return folderOf(key);
}

QString relativePathFrom(const QString& documentFolderPath, const QString& target) {
    const QString targetFolder = folderOf(target).trimmed();
    const QString fileName = fileNameOf(target).trimmed();
    // Only two absolute paths share a root; anything else (an address, a relative name, a
    // never-saved document) is written as given.
    if (!documentFolderPath.startsWith(QLatin1Char('/')) || !targetFolder.startsWith(QLatin1Char('/')))
        return target;

    QString folder = documentFolderPath;
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    if (samePath(targetFolder, folder)) return fileName;

    QString from = folder.mid(1);
    QString to = targetFolder.mid(1);
    for (;;) {
        const QString head = firstComponent(from);
        if (head.isEmpty() || !samePath(head, firstComponent(to))) break;
        from.remove(0, head.size());
        to.remove(0, head.size());
    }
    return QStringLiteral("../").repeated(from.count(QLatin1Char('/'))) + to + fileName;
}

QString relativePathTo(const QString& target) {
    if (documentFolder == QLatin1String("Untitled")) {
        if (noticeWanted(QStringLiteral("RelativePath"))) {
            showNotice(QStringLiteral("Please note that the relative path for this tag could not be "
                                      "determined because this document has not been saved.") +
                           QStringLiteral("\r\n\r\nThe full path will be used instead."),
                       QStringLiteral("Relative Path"), QString());
        }
        return target;
    }
    if (documentFolder.isEmpty()) return target;
    return relativePathFrom(documentFolder, target);
}

bool fileExists(const QString& path) {
    if (path.isEmpty()) return false;
    return QFileInfo(path).isFile();
}

bool folderExists(QString& path) {
    path = path.trimmed();
    if (path.isEmpty()) return false;
    return QFileInfo::exists(path);
}

QString fileIconKey(const QString& name) {
    static const QHash<QString, QString> keys = [] {
        QHash<QString, QString> k{
            {"html", "htm"}, {"sys", "dll"},  {"inf", "ini"},  {"cmd", "bat"},
            {"jpg", "gif"},  {"jpeg", "gif"}, {"bmp", "gif"},  {"rtf", "doc"},
        };
        for (const char* own : {"bas", "bat", "cls", "dll", "doc", "exe", "fon", "frm", "gif", "hlp", "htm",
                                "ini", "mdb", "mid", "reg", "ttf", "txt", "vbp", "wav", "wri", "xls", "zip"})
            k.insert(QString::fromLatin1(own), QString::fromLatin1(own));
        return k;
    }();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot >= 0 ? name.mid(dot + 1).toLower() : QString();
    return keys.value(extension, QStringLiteral("xxx"));
}

int recycleFile(const QString& path, QString* error) {
    if (path.isEmpty()) {
        if (error) *error = QStringLiteral("No file was named.");
        return 1;
    }
    return moveToTrash(path, error) ? 0 : 1;
}

int showFileProperties(const QString& path, QWidget* owner) {
    if (path.isEmpty()) return 0;
    // Callers read any value above 32 as success.
    return showPropertiesWindow(path, owner) ? 42 : 0;
}

QString browseForFolder(const QString& prompt) {
    return pickFolder(prompt, QString(), mainWindow);
}

}  // namespace kavrin
