#include "platform/paths.h"

#include "platform/ownfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <memory>

namespace kavrin {

namespace {
QString withSlash(QString path) {
    if (!path.endsWith('/')) path += '/';
    return path;
}
}  // namespace

QString programFolder() {
    return withSlash(QCoreApplication::applicationDirPath());
}

QString userDataFolder() {
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base)) base = QDir::homePath() + "/.local/share";
    const QString folder = withSlash(base) + "kavrin/";
    QDir().mkpath(folder);
    return folder;
}

QString processTempFolder() {
    // One private folder per run: two editors never overwrite each other's work files. The
    // process id in its name lets the next start clear the folder of a program that was killed.
    static std::unique_ptr<QTemporaryDir> dir;
    if (!dir || !dir->isValid())
        dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + u'/' + privateFolderPrefix() +
                                              QString::number(QCoreApplication::applicationPid()) + "-XXXXXX");
    return dir->isValid() ? withSlash(dir->path()) : withSlash(QDir::tempPath());
}

}  // namespace kavrin
