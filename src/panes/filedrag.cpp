#include "panes/filedrag.h"

#include <QDataStream>
#include <QFileInfo>
#include <QLocale>
#include <QMimeData>
#include <QUrl>

namespace kavrin {

QMimeData* fileListDragData(const FileListDrag& drag) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << drag.folder << drag.names << qint32(drag.button);
    auto* data = new QMimeData;
    data->setData(kFileListDragFormat, bytes);
    return data;
}

bool readFileListDrag(const QMimeData* data, FileListDrag* drag) {
    if (!data || !data->hasFormat(kFileListDragFormat)) return false;
    QDataStream in(data->data(kFileListDragFormat));
    FileListDrag read;
    qint32 button = 0;
    in >> read.folder >> read.names >> button;
    if (in.status() != QDataStream::Ok || read.folder.isEmpty()) return false;
    read.button = button;
    if (drag) *drag = std::move(read);
    return true;
}

QStringList droppedLocalFiles(const QMimeData* data) {
    QStringList paths;
    if (!data || !data->hasUrls()) return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) paths << url.toLocalFile();
    return paths;
}

QString replaceQuestion(const QString& name, qint64 existingSize, const QDateTime& existingModified, qint64 newSize,
                        const QDateTime& newModified) {
    const QLocale locale = QLocale::system();
    return "This folder already contains a file called '" + name + "'.\n\n" +
           "Would you like to replace the existing file\n\t" + QString::number(existingSize / 1024) + "KB\n\t" +
           "modified " + locale.toString(existingModified, QLocale::ShortFormat) + "\n\n" + "with this one\n\t" +
           QString::number(newSize / 1024) + "KB\n\t" + "modified " +
           locale.toString(newModified, QLocale::ShortFormat) + "?";
}

}  // namespace kavrin
