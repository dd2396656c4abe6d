// The folders this system gives the rules of a page's site (pagesite.h).
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "platform/files/ownfiles.h"
#include "platform/web/pagesite.h"
#include "platform/files/paths.h"
#include "platform/files/settingsstore.h"

namespace kavrin {

QStringList userFoldersIn(const QByteArray& userDirs, const QString& home) {
    QStringList folders;
    for (QByteArray line : userDirs.split('\n')) {
        line = line.trimmed();
        if (!line.startsWith("XDG_") || line.startsWith('#')) continue;
        const qsizetype equals = line.indexOf('=');
        if (equals < 0 || !line.left(equals).endsWith("_DIR")) continue;
        QByteArray value = line.mid(equals + 1).trimmed();
        if (value.size() < 2 || !value.startsWith('"') || !value.endsWith('"')) continue;
        value = value.mid(1, value.size() - 2);
        QString folder = QFile::decodeName(value).replace(QLatin1String("\\\""), QLatin1String("\""));
        if (folder.startsWith(QLatin1String("$HOME"))) folder = home + folder.mid(5);
        if (!QDir::isAbsolutePath(folder)) continue;
        folder = QDir::cleanPath(folder);
        // "$HOME" alone stands for a folder the user turned off; home is broad anyway.
        if (folder != QDir::cleanPath(home)) folders << folder;
    }
    return folders;
}

SiteLimits systemSiteLimits() {
    SiteLimits limits;
    limits.home = QDir::homePath();
    const QString home = QDir::cleanPath(limits.home);
    // Where no user-dirs.dirs says otherwise, the folders go by their usual names.
    for (const char* name : {"Desktop", "Documents", "Downloads", "Music", "Pictures", "Videos", "Templates", "Public"})
        limits.broad << home + u'/' + QLatin1String(name);
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config)) config = home + QStringLiteral("/.config");
    QFile dirs(config + QStringLiteral("/user-dirs.dirs"));
    if (dirs.open(QIODevice::ReadOnly)) limits.broad << userFoldersIn(dirs.read(64 * 1024), home);
    for (const auto location : {QStandardPaths::DesktopLocation, QStandardPaths::DocumentsLocation,
                                QStandardPaths::DownloadLocation, QStandardPaths::MusicLocation,
                                QStandardPaths::PicturesLocation, QStandardPaths::MoviesLocation,
                                QStandardPaths::PublicShareLocation, QStandardPaths::TemplatesLocation})
        limits.broad << QStandardPaths::standardLocations(location);
    const QString temp = QDir::cleanPath(QDir::tempPath());
    limits.broad << temp << QStringLiteral("/tmp") << QStringLiteral("/var/tmp");

    limits.offLimits << QStringLiteral("/proc") << QStringLiteral("/sys") << QStringLiteral("/dev")
                     << QFileInfo(settingsFilePath(QStringLiteral("Kavrin Pro"))).path()
                     << QDir::cleanPath(userDataFolder()) << QDir::cleanPath(processTempFolder())
                     << programFolder() + QStringLiteral("kvEnglish.dct");
    for (const QString& root : {temp, QStringLiteral("/tmp")})
        limits.workStems << root + u'/' + privateFolderPrefix();
    limits.broad.removeDuplicates();
    limits.workStems.removeDuplicates();
    return limits;
}

}  // namespace kavrin
