#include "platform/textfile.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>
#include <functional>
#include <system_error>

namespace kavrin {

namespace {

// 0x80..0x9F; the rest of the code page is Latin-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

int cp1252Byte(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] == c) return 0x80 + i;
    return -1;
}

// Appends text with every line break (CR LF, CR, LF) turned into `lineEnd`.
void appendWithLineEnds(QString* out, QStringView text, QStringView lineEnd) {
    const qsizetype n = text.size();
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c != u'\r' && c != u'\n') continue;
        out->append(text.mid(runStart, i - runStart));
        out->append(lineEnd);
        if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') ++i;
        runStart = i + 1;
    }
    out->append(text.mid(runStart));
}

QString fileError(const QString& what, const QString& path, const QString& reason) {
    return QStringLiteral("%1 \"%2\": %3").arg(what, path, reason);
}

}  // namespace

QChar windows1252ToUnicode(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0) return QChar(kCp1252High[byte - 0x80]);
    return QChar(byte);
}

QString decodeWindows1252(const QByteArray& bytes) {
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* d = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) d[i] = windows1252ToUnicode(uchar(bytes[i]));
    return out;
}

bool encodeWindows1252(const QString& text, QByteArray* out) {
    out->clear();
    out->reserve(text.size());
    for (QChar ch : text) {
        const int b = cp1252Byte(ch.unicode());
        if (b < 0) return false;
        out->append(char(b));
    }
    return true;
}

bool isValidUtf8(const char* data, qsizetype size) {
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    const unsigned char* end = p + size;
    while (p < end) {
        // Most of a page is ASCII: step over it eight bytes at a time.
        while (end - p >= 8) {
            quint64 w;
            std::memcpy(&w, p, 8);
            if (w & 0x8080808080808080ULL) break;
            p += 8;
        }
        if (p >= end) break;
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int extra;
        unsigned char lo = 0x80, hi = 0xBF;  // bounds of the first continuation byte
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            if (c == 0xE0) lo = 0xA0;       // overlong
            else if (c == 0xED) hi = 0x9F;  // surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            if (c == 0xF0) lo = 0x90;       // overlong
            else if (c == 0xF4) hi = 0x8F;  // past U+10FFFF
        } else {
            return false;
        }
        if (end - p <= extra) return false;
        if (p[1] < lo || p[1] > hi) return false;
        for (int k = 2; k <= extra; ++k)
            if ((p[k] & 0xC0) != 0x80) return false;
        p += extra + 1;
    }
    return true;
}

TextFileResult decodeText(const QByteArray& bytes) {
    TextFileResult r;
    if (bytes.contains('\0')) {
        r.binary = true;
        r.error = QStringLiteral("The file holds binary data (NUL bytes), not text.");
        return r;
    }
    QByteArrayView body(bytes);
    QString decoded;
    const bool bom = bytes.startsWith("\xEF\xBB\xBF");
    if (bom && isValidUtf8(bytes.constData() + 3, bytes.size() - 3)) {
        r.format.utf8Bom = true;
        decoded = QString::fromUtf8(body.sliced(3));
    } else if (!bom && isValidUtf8(bytes.constData(), bytes.size())) {
        decoded = QString::fromUtf8(body);
    } else {
        // A BOM followed by invalid bytes is kept as the three characters it stands for, so the
        // file still comes back byte for byte.
        r.format.encoding = TextFormat::Encoding::Windows1252;
        decoded = decodeWindows1252(bytes);
    }

    const qsizetype firstBreak = [&] {
        for (qsizetype i = 0; i < decoded.size(); ++i)
            if (decoded[i] == u'\r' || decoded[i] == u'\n') return i;
        return qsizetype(-1);
    }();
    if (firstBreak >= 0) {
        if (decoded[firstBreak] == u'\n')
            r.format.lineEnd = TextFormat::LineEnd::Lf;
        else if (firstBreak + 1 < decoded.size() && decoded[firstBreak + 1] == u'\n')
            r.format.lineEnd = TextFormat::LineEnd::CrLf;
        else
            r.format.lineEnd = TextFormat::LineEnd::Cr;
    }
    if (firstBreak < 0) {
        r.text = std::move(decoded);
    } else {
        r.text.reserve(decoded.size() + decoded.size() / 16);
        appendWithLineEnds(&r.text, decoded, u"\r\n");
    }
    r.ok = true;
    return r;
}

TextFileResult readTextFile(const QString& path) {
    TextFileResult r;
    const QFileInfo info(path);
    if (!info.exists()) {
        r.error = fileError(QStringLiteral("Cannot open"), path, QStringLiteral("the file does not exist."));
        return r;
    }
    if (info.isDir()) {
        r.error = fileError(QStringLiteral("Cannot open"), path, QStringLiteral("it is a folder, not a file."));
        return r;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        r.error = fileError(QStringLiteral("Cannot open"), path, f.errorString());
        return r;
    }
    if (f.size() > maxTextFileSize) {
        r.error = fileError(QStringLiteral("Cannot open"), path,
                            QStringLiteral("the file is too large to edit (more than %1 MB).")
                                .arg(maxTextFileSize / (1024 * 1024)));
        return r;
    }
    // Read to the end rather than trusting size(): special files report 0.
    QByteArray bytes;
    char buf[65536];
    for (;;) {
        const qint64 n = f.read(buf, sizeof buf);
        if (n < 0) {
            r.error = fileError(QStringLiteral("Cannot read"), path, f.errorString());
            return r;
        }
        if (n == 0) break;
        if (bytes.size() + n > maxTextFileSize) {
            r.error = fileError(QStringLiteral("Cannot open"), path,
                                QStringLiteral("the file is too large to edit."));
            return r;
        }
        bytes.append(buf, n);
    }
    r = decodeText(bytes);
    if (r.binary) r.error = fileError(QStringLiteral("Cannot open"), path, r.error);
    return r;
}

QByteArray encodeText(const QString& crlfText, const TextFormat& format, TextFormat* used) {
    TextFormat actual = format;
    QString text;
    QStringView lineEnd = format.lineEnd == TextFormat::LineEnd::Lf   ? QStringView(u"\n")
                          : format.lineEnd == TextFormat::LineEnd::Cr ? QStringView(u"\r")
                                                                      : QStringView(u"\r\n");
    text.reserve(crlfText.size());
    appendWithLineEnds(&text, crlfText, lineEnd);

    QByteArray bytes;
    if (format.encoding == TextFormat::Encoding::Windows1252 && !encodeWindows1252(text, &bytes)) {
        actual.encoding = TextFormat::Encoding::Utf8;
        actual.utf8Bom = false;
    }
    if (actual.encoding == TextFormat::Encoding::Utf8) {
        bytes = text.toUtf8();
        if (actual.utf8Bom) bytes.prepend("\xEF\xBB\xBF");
    }
    if (used) *used = actual;
    return bytes;
}

bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error) {
    QSaveFile f(path);
    auto fail = [&](const QString& reason) {
        if (error) *error = fileError(QStringLiteral("Cannot save"), path, reason);
        return false;
    };
    if (!f.open(QIODevice::WriteOnly)) return fail(f.errorString());
    if (f.write(bytes) != bytes.size()) {
        const QString reason = f.errorString();
        f.cancelWriting();
        return fail(reason);
    }
    if (!f.commit()) return fail(f.errorString());
    if (error) error->clear();
    return true;
}

bool writeTextFile(const QString& path, const QString& crlfText, const TextFormat& format,
                   QString* error, TextFormat* written) {
    TextFormat used;
    const QByteArray bytes = encodeText(crlfText, format, &used);
    if (!writeFileAtomically(path, bytes, error)) return false;
    if (written) *written = used;
    return true;
}

bool copyFileAtomically(const QString& from, const QString& to, bool replace, QString* error) {
    auto fail = [&](const QString& reason) {
        if (error) *error = reason;
        return false;
    };
    auto systemReason = [](int code) { return QString::fromStdString(std::error_code(code, std::generic_category()).message()); };
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly)) return fail(in.errorString());
    const QFileInfo source(from);
    const QFileInfo target(to);
    // Hidden beside the target, so a half-written copy never shows under a real name.
    QTemporaryFile temp(target.absolutePath() + QStringLiteral("/.") + target.fileName() + QStringLiteral(".XXXXXX"));
    temp.setAutoRemove(true);
    if (!temp.open()) return fail(temp.errorString());

    // Reads a device to its end chunk by chunk, hashing what it reads; -1 on a read error.
    constexpr qint64 kChunk = 1 << 20;
    auto readAll = [](QIODevice& device, QCryptographicHash& hash, const std::function<bool(const QByteArray&)>& each) {
        qint64 total = 0;
        for (;;) {
            const QByteArray chunk = device.read(kChunk);
            if (chunk.isEmpty()) return device.atEnd() ? total : qint64(-1);
            hash.addData(chunk);
            if (each && !each(chunk)) return qint64(-1);
            total += chunk.size();
        }
    };
    QCryptographicHash written(QCryptographicHash::Sha256);
    bool writeFailed = false;
    const qint64 total = readAll(in, written, [&](const QByteArray& chunk) {
        writeFailed = temp.write(chunk) != chunk.size();
        return !writeFailed;
    });
    if (total < 0) return fail(writeFailed ? temp.errorString() : in.errorString());
    if (!temp.flush()) return fail(temp.errorString());
    if (::fsync(temp.handle()) != 0) return fail(systemReason(errno));

    // What the file system holds now must be what was read.
    if (!temp.seek(0)) return fail(temp.errorString());
    QCryptographicHash readBack(QCryptographicHash::Sha256);
    const qint64 back = readAll(temp, readBack, {});
    if (back < 0) return fail(temp.errorString());
    if (back != total || readBack.result() != written.result())
        return fail(QStringLiteral("The copy does not match the original."));

    temp.setPermissions(in.permissions());
    temp.setFileTime(source.lastModified(), QFileDevice::FileModificationTime);
    temp.close();

    const QByteArray tempName = QFile::encodeName(temp.fileName());
    const QByteArray targetName = QFile::encodeName(to);
    int result;
    if (replace) {
        result = ::rename(tempName.constData(), targetName.constData());
    } else {
        result = ::renameat2(AT_FDCWD, tempName.constData(), AT_FDCWD, targetName.constData(), RENAME_NOREPLACE);
        if (result != 0 && (errno == EINVAL || errno == ENOSYS || errno == ENOTSUP)) {
            if (QFileInfo::exists(to) || QFileInfo(to).isSymLink()) {
                errno = EEXIST;
            } else {
                result = ::rename(tempName.constData(), targetName.constData());
            }
        }
    }
    if (result != 0) {
        if (errno == EEXIST) return fail(QStringLiteral("A file or folder with this name already exists."));
        return fail(systemReason(errno));
    }
    temp.setAutoRemove(false);
    if (error) error->clear();
    return true;
}

}  // namespace kavrin
