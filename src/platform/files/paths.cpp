#include "platform/files/paths.h"

#include "platform/files/ownfiles.h"

#include <QCoreApplication>
#include <QDir>

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

namespace {

// This run's work folder. It goes when the program ends, once it proves to be the one this
// run made: whatever has come to stand at its path since is left alone.
struct WorkFolder {
    QString path;
    ~WorkFolder() {
        if (!path.isEmpty()) removePrivateFolder(path);
    }
};

}  // namespace

QString processTempFolder() {
    // One private folder per run: two editors never overwrite each other's work files. The
    // process id in its name lets the next start clear the folder of a program that was killed.
    static WorkFolder folder;
    if (folder.path.isEmpty()) folder.path = makePrivateFolder(QDir::tempPath());
    return withSlash(folder.path.isEmpty() ? QDir::tempPath() : folder.path);
}

}  // namespace kavrin
