#pragma once
// What a drag of file list items carries, and the question asked before a dragged file
// replaces one of the same name.
#include <QDateTime>
#include <QStringList>

class QMimeData;

namespace kavrin {

// The items dragged out of the program's own file list.
struct FileListDrag {
    QString folder;     // the folder the list shows, ending in "/"
    QStringList names;  // the selected items, in list order
    int button = 1;     // 1 left, 2 right
};

inline const QString kFileListDragFormat = QStringLiteral("application/x-kavrin-file-list-items");

// A new mime data object carrying the drag (the caller or the drag takes ownership).
QMimeData* fileListDragData(const FileListDrag& drag);
// False when the data is not a drag of file list items.
bool readFileListDrag(const QMimeData* data, FileListDrag* drag);
// The local files of a drag from elsewhere (a file manager's text/uri-list), in order.
QStringList droppedLocalFiles(const QMimeData* data);

// "This folder already contains a file called ..." with both files' sizes (whole kilobytes, cut
// down) and modification times.
QString replaceQuestion(const QString& name, qint64 existingSize, const QDateTime& existingModified, qint64 newSize,
                        const QDateTime& newModified);

}  // namespace kavrin
