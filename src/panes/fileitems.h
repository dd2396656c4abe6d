#pragma once
// What the file explorer shows for files and volumes: size and type texts, filter patterns,
// volume names, and the images of the panes by key.
#include <QIcon>
#include <QRegularExpression>
#include <QString>
#include <QVector>

#include "platform/files/filesystem.h"

namespace kavrin {

// "1KB" for an empty file, "2KB" for 1024 bytes, "1,025KB" for a mebibyte: whole kilobytes
// plus one, grouped by thousands.
QString fileSizeText(qint64 bytes);
// "HTM", "GIF", ...: the icon key in upper case; for a kind without a key the extension in
// upper case, and "???" for a name without ".".
QString fileTypeText(const QString& name);

// A file filter's pattern ("*.html;*.htm", "*.*"): wildcards "*" and "?", alternatives split by
// ";", matched without regard to case. "*.*", "*" and an empty pattern take every file.
class FilePattern {
public:
    explicit FilePattern(const QString& pattern);
    bool matches(const QString& name) const;

private:
    bool all_ = false;
    QVector<QRegularExpression> parts_;
};

// The node text of a volume: "Removable Disk (/media/u/STICK)", "docs on 'srv01' (/mnt/docs)",
// "CD-ROM (/media/cdrom)", "Data (/data)", "(/)".
QString volumeNodeText(const Volume& volume);
// "floppy", "netdrive", "cd" or "drive".
QString volumeImageKey(VolumeKind kind);

// The image of a pane item by its key: tree images ("mycomputer", "drive", "folder",
// "openfolder", ...), file kinds ("htm", "gif", ..., "xxx") and the panel's tabs.
QIcon paneImage(const QString& key);

}  // namespace kavrin
