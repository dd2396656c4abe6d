// Copies of unsaved documents for outside programs.
#include "mainwindow/previewcopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

#include <sys/stat.h>

#include "documents/documentwindow.h"
#include "documents/fileops.h"
#include "documents/globals.h"
#include "platform/files/ownfiles.h"
#include "platform/richtext/richtextbox.h"
#include "platform/files/textfile.h"

namespace kavrin {

QString withBaseHref(const QString& html, const QString& folderUrl) {
    static const QRegularExpression ownBase(QStringLiteral("<base[\\s>]"), QRegularExpression::CaseInsensitiveOption);
    if (ownBase.match(html).hasMatch()) return html;
    QString escaped = folderUrl;
    escaped.replace(u'&', QStringLiteral("&amp;")).replace(u'"', QStringLiteral("&quot;"));
    const QString base = QStringLiteral("<base href=\"%1\">").arg(escaped);
    static const QRegularExpression head(QStringLiteral("<head(\\s[^>]*)?>"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = head.match(html);
    if (!m.hasMatch()) return base + html;
    QString out = html;
    out.insert(m.capturedEnd(), base);
    return out;
}

QString previewPathFor(DocumentWindow* doc, QString* error) {
    if (!doc) return QString();
    const bool untitled = isUntitledPath(doc->filePath);
    if (!untitled && doc->fileSaved && QFileInfo::exists(doc->filePath)) return doc->filePath;

    // The work folder is the process's own, so nothing of the user's is written over.
    const QString folder = tempPath + QStringLiteral("preview");
    ::mkdir(QFile::encodeName(folder).constData(), 0700);
    QString text = doc->txtMain->text();
    QString name = QStringLiteral("temp.htm");
    if (!untitled) {
        const QFileInfo info(doc->filePath);
        name = info.fileName();
        text = withBaseHref(text, QUrl::fromLocalFile(info.absolutePath() + u'/').toString(QUrl::FullyEncoded));
    }
    QString path = folder + u'/' + name;
    const QByteArray bytes = encodeText(text, doc->txtMain->textFormat());
    QString why;
    // The last copy of the same name is replaced; anything else there gets a fresh name.
    if (writeOwnFile(path, bytes, &why, 0600) != OwnWrite::Written) path = writePrivateFile(folder, name, bytes, &why);
    if (path.isEmpty() && error) *error = why;
    return path;
}

}  // namespace kavrin
