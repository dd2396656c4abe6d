#pragma once
// The file explorer's current folder and pattern: what the file list shows. Setting another
// folder raises PathChange, which refills the list.
#include <QObject>
#include <QString>

#include "platform/files/filesystem.h"

namespace kavrin {

class FileListBox : public QObject {
    Q_OBJECT
public:
    explicit FileListBox(QObject* parent = nullptr) : QObject(parent) {}

    // The folder without a trailing "/" (except "/" itself); "" before any is set.
    QString path() const { return path_; }
    void setPath(const QString& path);
    // The folder with a trailing "/", ready to put a file name after it.
    QString folder() const;
    QString pattern() const { return pattern_; }
    void setPattern(const QString& pattern) { pattern_ = pattern; }

    // The files of the folder that match the pattern, by name without regard to case.
    FolderListing list() const;

signals:
    void PathChange();

private:
    QString path_;
    QString pattern_ = QStringLiteral("*.*");
};

}  // namespace kavrin
