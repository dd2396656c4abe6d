#include "tools/filereplace.h"

#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files/ownfiles.h"
#include "platform/files/textfile.h"
#include "tools/textsearch.h"

namespace kavrin {

namespace {

enum class Encoding { Utf8, Windows1252, Utf16LE, Utf16BE, Utf32LE, Utf32BE };

struct Decoded {
    bool ok = false;
    bool binary = false;
    Encoding encoding = Encoding::Utf8;
    qsizetype bomSize = 0;
    QString text;  // line ends as they stand in the file
};

Decoded decode(const QByteArray& bytes) {
    Decoded d;
    auto decodeWith = [&](QStringConverter::Encoding e, Encoding ours, qsizetype bom, int unit) {
        d.encoding = ours;
        d.bomSize = bom;
        if ((bytes.size() - bom) % unit != 0) return;
        QStringDecoder decoder(e, QStringConverter::Flag::Stateless);
        d.text = decoder.decode(QByteArrayView(bytes).sliced(bom));
        d.ok = !decoder.hasError();
    };
    // A byte-order mark names the encoding; UTF-32 LE starts like UTF-16 LE, so it comes first.
    if (bytes.startsWith(QByteArray("\xFF\xFE\0\0", 4))) {
        decodeWith(QStringConverter::Utf32LE, Encoding::Utf32LE, 4, 4);
    } else if (bytes.startsWith(QByteArray("\0\0\xFE\xFF", 4))) {
        decodeWith(QStringConverter::Utf32BE, Encoding::Utf32BE, 4, 4);
    } else if (bytes.startsWith("\xFF\xFE")) {
        decodeWith(QStringConverter::Utf16LE, Encoding::Utf16LE, 2, 2);
    } else if (bytes.startsWith("\xFE\xFF")) {
        decodeWith(QStringConverter::Utf16BE, Encoding::Utf16BE, 2, 2);
    } else if (std::memchr(bytes.constData(), 0, size_t(bytes.size()))) {
        d.binary = true;
    } else if (bytes.startsWith("\xEF\xBB\xBF")) {
        // A file that says it is UTF-8 and is not cannot be changed safely in any encoding.
        d.bomSize = 3;
        if (isValidUtf8(bytes.constData() + 3, bytes.size() - 3)) {
            d.text = QString::fromUtf8(QByteArrayView(bytes).sliced(3));
            d.ok = true;
        }
    } else if (isValidUtf8(bytes.constData(), bytes.size())) {
        d.text = QString::fromUtf8(bytes);
        d.ok = true;
    } else {
        d.encoding = Encoding::Windows1252;
        d.text = decodeWindows1252(bytes);
        d.ok = true;
    }
    return d;
}

// Bytes that a stretch of text takes in the file's encoding.
qsizetype byteLength(QStringView text, Encoding encoding) {
    switch (encoding) {
    case Encoding::Windows1252:
        return text.size();
    case Encoding::Utf16LE:
    case Encoding::Utf16BE:
        return text.size() * 2;
    case Encoding::Utf32LE:
    case Encoding::Utf32BE: {
        qsizetype n = 0;
        for (QChar c : text) n += c.isLowSurrogate() ? 0 : 4;
        return n;
    }
    case Encoding::Utf8:
        break;
    }
    qsizetype n = 0;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80) n += 1;
        else if (u < 0x800) n += 2;
        else if (QChar::isHighSurrogate(u)) n += 4;
        else if (QChar::isLowSurrogate(u)) n += 0;
        else n += 3;
    }
    return n;
}

// The replacement in the file's encoding; false when it cannot be written there.
bool encodeReplacement(const QString& text, Encoding encoding, bool htmlPage, QByteArray* out) {
    switch (encoding) {
    case Encoding::Utf8:
        *out = text.toUtf8();
        return true;
    case Encoding::Windows1252: {
        if (encodeWindows1252(text, out)) return true;
        if (!htmlPage) return false;
        out->clear();
        for (qsizetype i = 0; i < text.size(); ++i) {
            QByteArray one;
            if (encodeWindows1252(QString(text[i]), &one)) {
                out->append(one);
                continue;
            }
            char32_t code = text[i].unicode();
            if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
                code = QChar::surrogateToUcs4(text[i], text[i + 1]);
                ++i;
            }
            out->append("&#" + QByteArray::number(quint32(code)) + ';');
        }
        return true;
    }
    case Encoding::Utf16LE:
        *out = QStringEncoder(QStringConverter::Utf16LE, QStringConverter::Flag::Stateless).encode(text);
        return true;
    case Encoding::Utf16BE:
        *out = QStringEncoder(QStringConverter::Utf16BE, QStringConverter::Flag::Stateless).encode(text);
        return true;
    case Encoding::Utf32LE:
        *out = QStringEncoder(QStringConverter::Utf32LE, QStringConverter::Flag::Stateless).encode(text);
        return true;
    case Encoding::Utf32BE:
        *out = QStringEncoder(QStringConverter::Utf32BE, QStringConverter::Flag::Stateless).encode(text);
        return true;
    }
    return false;
}

// Line breaks in the replacement take the file's own line end (the first one it uses).
QString withFileLineEnds(const QString& replacement, QStringView text) {
    if (!replacement.contains(u'\r') && !replacement.contains(u'\n')) return replacement;
    QString lineEnd = QStringLiteral("\r\n");
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n') {
            lineEnd = QStringLiteral("\n");
            break;
        }
        if (text[i] == u'\r') {
            if (i + 1 >= text.size() || text[i + 1] != u'\n') lineEnd = QStringLiteral("\r");
            break;
        }
    }
    QString out;
    for (qsizetype i = 0; i < replacement.size(); ++i) {
        const QChar c = replacement[i];
        if (c == u'\r' || c == u'\n') {
            out += lineEnd;
            if (c == u'\r' && i + 1 < replacement.size() && replacement[i + 1] == u'\n') ++i;
        } else {
            out += c;
        }
    }
    return out;
}

// Whether the bytes of a file that is not text hold the find text as plain bytes, so that the
// user hears of the file that was left alone.
bool bytesMayHold(const QByteArray& bytes, const ReplaceRequest& request) {
    const bool matchCase = request.flags & searchMatchCase;
    const QByteArray hay = matchCase ? bytes : bytes.toLower();
    QByteArray cp1252;
    for (const QByteArray& needle : {request.find.toUtf8(),
                                     encodeWindows1252(request.find, &cp1252) ? cp1252 : QByteArray()}) {
        if (!needle.isEmpty() && hay.contains(matchCase ? needle : needle.toLower())) return true;
    }
    return false;
}

}  // namespace

bool isHtmlPageName(const QString& path) {
    for (const char* ext : {".htm", ".html", ".shtml", ".shtm", ".asp"})
        if (path.endsWith(QLatin1String(ext), Qt::CaseInsensitive)) return true;
    return false;
}

BytesReplaceResult replaceInBytes(const QByteArray& bytes, const ReplaceRequest& request, bool htmlPage) {
    BytesReplaceResult r;
    if (request.find.isEmpty()) return r;
    const Decoded d = decode(bytes);
    if (!d.ok) {
        if (!bytesMayHold(bytes, request)) return r;
        r.status = BytesReplaceResult::Status::Skipped;
        r.reason = d.binary ? QStringLiteral("the file holds binary data (NUL bytes), not text")
                            : QStringLiteral("the file's text does not decode in the encoding it names");
        return r;
    }
    const QString replacement = withFileLineEnds(request.replacement, d.text);
    const QVector<qsizetype> hits = replacementHits(d.text, request.find, replacement, request.flags);
    if (hits.isEmpty()) return r;
    QByteArray encoded;
    if (!encodeReplacement(replacement, d.encoding, htmlPage, &encoded)) {
        r.status = BytesReplaceResult::Status::Skipped;
        r.reason = QStringLiteral("the replacement holds characters that the file's encoding (Windows-1252) "
                                  "cannot hold");
        return r;
    }
    const qsizetype findLength = request.find.size();
    QByteArray out;
    out.reserve(bytes.size() + hits.size() * (encoded.size() - findLength));
    out.append(bytes.constData(), d.bomSize);
    qsizetype byteAt = d.bomSize;  // the first byte not yet copied
    qsizetype charAt = 0;          // and the character it starts
    for (qsizetype hit : hits) {
        const qsizetype keep = byteLength(QStringView(d.text).mid(charAt, hit - charAt), d.encoding);
        out.append(bytes.constData() + byteAt, keep);
        out.append(encoded);
        byteAt += keep + byteLength(QStringView(d.text).mid(hit, findLength), d.encoding);
        charAt = hit + findLength;
    }
    out.append(bytes.constData() + byteAt, bytes.size() - byteAt);
    r.status = BytesReplaceResult::Status::Changed;
    r.count = int(qMin<qsizetype>(hits.size(), INT_MAX));
    r.bytes = std::move(out);
    return r;
}

namespace {

FileReplaceOutcome failed(int number, const QString& reason) {
    FileReplaceOutcome o;
    o.kind = FileReplaceOutcome::Kind::Failed;
    o.errorNumber = number;
    o.reason = reason;
    return o;
}

// The number the results list gives a file that could not be read.
FileReplaceOutcome readFailure(const QString& path, const QString& reason) {
    const QFileInfo info(path);
    return failed(!info.exists() ? 53 : !info.isReadable() ? 70 : 75, reason);
}

// The same for a file that could not be written with `needed` bytes.
FileReplaceOutcome writeFailure(const QString& path, const QString& reason, qint64 needed) {
    const QFileInfo info(path);
    const QStorageInfo volume(info.absolutePath());
    if ((info.exists() && !info.isWritable()) || !QFileInfo(info.absolutePath()).isWritable() || volume.isReadOnly())
        return failed(70, reason);
    if (volume.isValid() && volume.bytesAvailable() < needed + 4096) return failed(61, reason);
    return failed(75, reason);
}

// Whether this process may write there, asked with the rights it acts with.
bool mayWrite(const QString& path, int how) {
    return ::faccessat(AT_FDCWD, QFile::encodeName(path).constData(), how, AT_EACCESS) == 0;
}

}  // namespace

bool backUpFile(const QString& path, const QByteArray& bytes, FileReplaceOutcome* failure) {
    QString error;
    switch (writeBackupOf(path, bytes, &error)) {
    case OwnWrite::Written:
        return true;
    case OwnWrite::NameTaken:
        *failure = failed(backupNameTaken, error + QStringLiteral(" No backup was made, so the page was not changed."));
        return false;
    case OwnWrite::Failed:
        *failure = writeFailure(path + QStringLiteral(".bak"), error, bytes.size());
        return false;
    }
    return false;
}

bool backUpFile(const QString& path, FileReplaceOutcome* failure) {
    QByteArray bytes;
    QString error;
    if (!readRegularFile(path, &bytes, &error)) {
        *failure = readFailure(path, error);
        return false;
    }
    return backUpFile(path, bytes, failure);
}

FileReplaceOutcome replaceInFile(const QString& path, const ReplaceRequest& request) {
    FileReplaceOutcome outcome;
    // Taken before the bytes are read: the user goes on working while files are replaced, and a
    // save of the page in between must not be written over with what the page held before it.
    const FileStamp before = fileStampOf(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return readFailure(path, file.errorString());
    if (file.size() > maxTextFileSize) {
        outcome.kind = FileReplaceOutcome::Kind::Skipped;
        outcome.reason = QStringLiteral("the file is too large (more than %1 MB)").arg(maxTextFileSize / (1024 * 1024));
        return outcome;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) return readFailure(path, file.errorString());
    file.close();

    const BytesReplaceResult r = replaceInBytes(bytes, request, isHtmlPageName(path));
    if (r.status == BytesReplaceResult::Status::NoHit) return outcome;
    if (r.status == BytesReplaceResult::Status::Skipped) {
        outcome.kind = FileReplaceOutcome::Kind::Skipped;
        outcome.reason = r.reason;
        return outcome;
    }
    QString error;
    // A backup is only made of a file that is going to be written: a read-only file, or one in a
    // folder that cannot be written, fails here and gets none.
    const QFileInfo info(path);
    const bool fileWritable = mayWrite(path, W_OK);
    if (!fileWritable || !mayWrite(info.absolutePath(), W_OK | X_OK)) {
        const QString reason = errno == EROFS  ? QStringLiteral("the volume that holds it is read-only.")
                               : !fileWritable ? QStringLiteral("the file is read-only.")
                                               : QStringLiteral("you have no permission to write in its folder.");
        return failed(70, QStringLiteral("Cannot save \"%1\": %2").arg(path, reason));
    }
    if (fileStampOf(path) != before) {
        outcome.kind = FileReplaceOutcome::Kind::Skipped;
        outcome.reason = QStringLiteral("the file was written to (saved from a document or by another program) "
                                        "while it was being replaced, so it was left as it now stands");
        return outcome;
    }
    // The copy of the old bytes exists before the file changes, or the file does not change.
    if (request.backups && !backUpFile(path, bytes, &outcome)) return outcome;
    if (!writeFileAtomically(path, r.bytes, &error)) return writeFailure(path, error, r.bytes.size());
    outcome.kind = FileReplaceOutcome::Kind::Replaced;
    outcome.count = r.count;
    return outcome;
}

}  // namespace kavrin
