#include "platform/files/textfile.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>
#include <functional>
#include <system_error>

#include "platform/files/filesystem.h"
#include "platform/files/ownfiles.h"

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

namespace {

struct Bom {
    const char* bytes;
    int size;
    TextFormat::Encoding encoding;
    QStringConverter::Encoding converter;
};

// UTF-32 LE first: its mark begins with that of UTF-16 LE.
const Bom kBoms[] = {
    {"\xFF\xFE\x00\x00", 4, TextFormat::Encoding::Utf32Le, QStringConverter::Utf32LE},
    {"\x00\x00\xFE\xFF", 4, TextFormat::Encoding::Utf32Be, QStringConverter::Utf32BE},
    {"\xFF\xFE", 2, TextFormat::Encoding::Utf16Le, QStringConverter::Utf16LE},
    {"\xFE\xFF", 2, TextFormat::Encoding::Utf16Be, QStringConverter::Utf16BE},
};

const Bom* bomOf(TextFormat::Encoding encoding) {
    for (const Bom& b : kBoms)
        if (b.encoding == encoding) return &b;
    return nullptr;
}

}  // namespace

QString encodingName(TextFormat::Encoding encoding) {
    switch (encoding) {
    case TextFormat::Encoding::Utf8: return QStringLiteral("UTF-8");
    case TextFormat::Encoding::Windows1252: return QStringLiteral("Windows-1252");
    case TextFormat::Encoding::Utf16Le: case TextFormat::Encoding::Utf16Be: return QStringLiteral("UTF-16");
    case TextFormat::Encoding::Utf32Le: case TextFormat::Encoding::Utf32Be: return QStringLiteral("UTF-32");
    }
    return {};
}

TextFileResult decodeText(const QByteArray& bytes) {
    TextFileResult r;
    QString decoded;
    const Bom* wide = nullptr;
    for (const Bom& b : kBoms) {
        if (bytes.startsWith(QByteArrayView(b.bytes, b.size))) {
            wide = &b;
            break;
        }
    }
    if (wide) {
        // Only a whole, well-formed text is taken, so that it comes back byte for byte.
        const QByteArrayView body = QByteArrayView(bytes).sliced(wide->size);
        QStringDecoder decoder(wide->converter, QStringDecoder::Flag::Stateless);
        decoded = decoder.decode(body);
        // The decoder stands in replacement characters for some faults without telling: only
        // text that encodes back to the very same bytes counts as well formed.
        QStringEncoder encoder(wide->converter, QStringEncoder::Flag::Stateless);
        const QByteArray again = encoder.encode(decoded);
        if (decoder.hasError() || body.size() % wide->size != 0 || again != body) {
            r.error = QStringLiteral("The file begins with a %1 byte-order mark, but the rest is not valid %1 text.")
                          .arg(encodingName(wide->encoding));
            return r;
        }
        if (decoded.contains(QChar(0))) {
            r.binary = true;
            r.error = QStringLiteral("The file holds binary data (NUL characters), not text.");
            return r;
        }
        r.format.encoding = wide->encoding;
    } else if (bytes.contains('\0')) {
        r.binary = true;
        r.error = QStringLiteral("The file holds binary data (NUL bytes), not text.");
        return r;
    } else {
        QByteArrayView body(bytes);
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

namespace {

FileStamp stampFrom(const struct stat& info) {
    FileStamp s;
    s.known = S_ISREG(info.st_mode);
    s.device = quint64(info.st_dev);
    s.inode = quint64(info.st_ino);
    s.size = qint64(info.st_size);
    s.modifiedNs = qint64(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
    return s;
}

}  // namespace

FileStamp fileStampOf(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode)) return {};
    return stampFrom(info);
}

QString specialFileKind(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) return {};
    if (S_ISREG(info.st_mode)) return {};
    if (S_ISDIR(info.st_mode)) return QStringLiteral("a folder");
    if (S_ISFIFO(info.st_mode)) return QStringLiteral("a named pipe (FIFO)");
    if (S_ISSOCK(info.st_mode)) return QStringLiteral("a socket");
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) return QStringLiteral("a device");
    return QStringLiteral("not a regular file");
}

bool readRegularFile(const QString& path, QByteArray* bytes, QString* error, qint64 maxSize) {
    bytes->clear();
    auto fail = [&](const QString& reason) {
        if (error) *error = fileError(QStringLiteral("Cannot open"), path, reason);
        return false;
    };
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::stat(name.constData(), &info) != 0) return fail(QStringLiteral("the file does not exist."));
    // Checked on the opened descriptor too, so nothing can be swapped in between.
    const int fd = S_ISREG(info.st_mode) ? ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC) : -1;
    if (fd >= 0 && (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        ::close(fd);
        return fail(QStringLiteral("it is not a regular file."));
    }
    if (!S_ISREG(info.st_mode)) {
        const QString kind = specialFileKind(path);
        return fail(QStringLiteral("it is %1, not a file.").arg(kind.isEmpty() ? QStringLiteral("not a regular file") : kind));
    }
    if (fd < 0) return fail(QString::fromLocal8Bit(std::strerror(errno)) + '.');
    QFile f;
    if (!f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return fail(f.errorString());
    }
    if (f.size() > maxSize)
        return fail(QStringLiteral("the file is too large to edit (more than %1 MB).").arg(maxSize / (1024 * 1024)));
    // Read to the end rather than trusting size(): some files report less than they hold. Room for
    // what it says it holds spares a large file the copies of a growing buffer.
    bytes->reserve(qsizetype(f.size()));
    char buf[65536];
    for (;;) {
        const qint64 n = f.read(buf, sizeof buf);
        if (n < 0) {
            if (error) *error = fileError(QStringLiteral("Cannot read"), path, f.errorString());
            bytes->clear();
            return false;
        }
        if (n == 0) break;
        if (bytes->size() + n > maxSize) {
            bytes->clear();
            return fail(QStringLiteral("the file is too large to edit."));
        }
        bytes->append(buf, n);
    }
    return true;
}

TextFileResult readTextFile(const QString& path) {
    TextFileResult r;
    QByteArray bytes;
    if (!readRegularFile(path, &bytes, &r.error)) return r;
    r = decodeText(bytes);
    if (!r.ok) r.error = fileError(QStringLiteral("Cannot open"), path, r.error);
    return r;
}

qsizetype firstUnencodable(const QString& text, const TextFormat& format) {
    if (format.encoding != TextFormat::Encoding::Windows1252) return -1;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (cp1252Byte(text[i].unicode()) < 0) return i;
    return -1;
}

namespace {

// Windows-1252 with every character it lacks written as a numeric character reference of its
// code point (a pair of surrogates gives one reference).
QByteArray encodeWindows1252WithReferences(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const int b = cp1252Byte(c);
        if (b >= 0) {
            out.append(char(b));
            continue;
        }
        char32_t code = c;
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            code = QChar::surrogateToUcs4(c, text[i + 1].unicode());
            ++i;
        } else if (QChar::isSurrogate(c)) {
            code = 0xFFFD;  // half a pair stands for no character
        }
        out += "&#" + QByteArray::number(quint32(code)) + ';';
    }
    return out;
}

}  // namespace

QByteArray encodeText(const QString& crlfText, const TextFormat& format, TextFormat* used,
                      Unencodable unencodable) {
    TextFormat actual = format;
    QString text;
    QStringView lineEnd = format.lineEnd == TextFormat::LineEnd::Lf   ? QStringView(u"\n")
                          : format.lineEnd == TextFormat::LineEnd::Cr ? QStringView(u"\r")
                                                                      : QStringView(u"\r\n");
    text.reserve(crlfText.size());
    appendWithLineEnds(&text, crlfText, lineEnd);

    QByteArray bytes;
    switch (format.encoding) {
    case TextFormat::Encoding::Windows1252:
        if (encodeWindows1252(text, &bytes)) break;
        if (unencodable == Unencodable::Refuse) return {};
        if (unencodable == Unencodable::CharacterReferences) {
            bytes = encodeWindows1252WithReferences(text);
            break;
        }
        actual.encoding = TextFormat::Encoding::Utf8;
        actual.utf8Bom = false;
        bytes = text.toUtf8();
        break;
    case TextFormat::Encoding::Utf8:
        bytes = text.toUtf8();
        if (actual.utf8Bom) bytes.prepend("\xEF\xBB\xBF");
        break;
    default: {
        const Bom* bom = bomOf(format.encoding);
        QStringEncoder encoder(bom->converter, QStringEncoder::Flag::Stateless);
        bytes = QByteArray(bom->bytes, bom->size) + QByteArray(encoder.encode(text));
        break;
    }
    }
    if (used) *used = actual;
    return bytes;
}

namespace {

// Why a file could not be written, in the user's words, when the cause can be found.
QString writeFailureReason(const QString& path, const QString& qtReason) {
    const QFileInfo info(path);
    const QString folder = QDir::toNativeSeparators(info.absolutePath()) + '/';
    const QByteArray folderName = QFile::encodeName(info.absolutePath());
    const QByteArray fileName = QFile::encodeName(info.absoluteFilePath());
    if (!QFileInfo(info.absolutePath()).isDir())
        return QStringLiteral("the folder \"%1\" does not exist.").arg(folder);
    if (::faccessat(AT_FDCWD, folderName.constData(), W_OK | X_OK, AT_EACCESS) != 0) {
        if (errno == EROFS) return QStringLiteral("the folder \"%1\" is on a read-only volume.").arg(folder);
        if (errno == EACCES || errno == EPERM)
            return QStringLiteral("you have no permission to write in the folder \"%1\".").arg(folder);
    }
    if (info.exists() && ::faccessat(AT_FDCWD, fileName.constData(), W_OK, AT_EACCESS) != 0 &&
        (errno == EACCES || errno == EPERM))
        return QStringLiteral("the file \"%1\" is read-only (in the folder \"%2\").").arg(info.fileName(), folder);
    struct statvfs volume {};
    if (::statvfs(folderName.constData(), &volume) == 0 && volume.f_bavail == 0)
        return QStringLiteral("the disk that holds the folder \"%1\" is full.").arg(folder);
    return qtReason;
}

}  // namespace

bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error, FileStamp* stamp) {
    QSaveFile f(path);
    auto fail = [&](const QString& reason) {
        if (error) *error = fileError(QStringLiteral("Cannot save"), path, writeFailureReason(path, reason));
        return false;
    };
    if (const QString kind = specialFileKind(path); !kind.isEmpty())
        return fail(QStringLiteral("it is %1, not a file.").arg(kind));
    if (!f.open(QIODevice::WriteOnly)) return fail(f.errorString());
    // The save file copies the old file's permissions as this process sees them, which for root
    // adds the write bit a read-only page did not have; owner and group it does not copy at all.
    const QByteArray name = QFile::encodeName(path);
    struct stat old {};
    if (::stat(name.constData(), &old) == 0 && S_ISREG(old.st_mode)) takeAccessOf(f.handle(), old, name);
    // The explicit flush matters: commit() does not notice a failure of its own final flush, so
    // a write that still sits in the buffer (anything up to 16 KB) would be renamed over the
    // good file cut short, or empty, on a full disk.
    if (f.write(bytes) != bytes.size() || !f.flush()) {
        const QString reason = f.errorString();
        f.cancelWriting();
        return fail(reason);
    }
    // Taken from the file itself before it takes the name: the name may be written to again by
    // someone else the moment it has it. Giving the name changes neither the file nor its time.
    struct stat written {};
    const bool known = ::fstat(f.handle(), &written) == 0;
    if (!f.commit()) return fail(f.errorString());
    if (stamp) *stamp = known ? stampFrom(written) : fileStampOf(path);
    if (error) error->clear();
    return true;
}

bool writeTextFile(const QString& path, const QString& crlfText, const TextFormat& format, QString* error,
                   TextFormat* written, Unencodable unencodable, FileStamp* stamp) {
    if (unencodable == Unencodable::Refuse && firstUnencodable(crlfText, format) >= 0) {
        if (error)
            *error = fileError(QStringLiteral("Cannot save"), path,
                               QStringLiteral("the text holds characters that %1 cannot represent.")
                                   .arg(encodingName(format.encoding)));
        return false;
    }
    TextFormat used;
    const QByteArray bytes = encodeText(crlfText, format, &used, unencodable);
    if (!writeFileAtomically(path, bytes, error, stamp)) return false;
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
    // A write that fails names its cause (a full disk above all, which the file layer reports
    // only as an unknown error when the buffer's last flush meets it).
    auto writeFail = [&](const QString& qtReason) {
        const QString reason = writeFailureReason(to, qtReason);
        return fail(reason.isEmpty() ? qtReason : reason.left(1).toUpper() + reason.mid(1));
    };
    // The copy has no name until it is whole, and leaves nothing behind when the program is
    // killed while it is written.
    WorkFile work(to);
    if (work.fd() < 0) return writeFail(systemReason(work.error()));
    QFile temp;
    if (!temp.open(work.fd(), QIODevice::ReadWrite, QFileDevice::DontCloseHandle)) return fail(temp.errorString());

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
    if (total < 0) return writeFailed ? writeFail(temp.errorString()) : fail(in.errorString());
    if (!temp.flush()) return writeFail(temp.errorString());
    if (::fsync(work.fd()) != 0) return writeFail(systemReason(errno));

    // What the file system holds now must be what was read.
    if (!temp.seek(0)) return fail(temp.errorString());
    QCryptographicHash readBack(QCryptographicHash::Sha256);
    const qint64 back = readAll(temp, readBack, {});
    if (back < 0) return fail(temp.errorString());
    if (back != total || readBack.result() != written.result())
        return fail(QStringLiteral("The copy does not match the original."));
    temp.close();

    struct stat original {};
    if (::fstat(in.handle(), &original) == 0) {
        takeAccessOf(work.fd(), original, QFile::encodeName(from));
        const struct timespec times[2] = {{0, UTIME_OMIT}, original.st_mtim};
        ::futimens(work.fd(), times);
    }

    if (const int code = work.commit(replace); code != 0) {
        if (code == EEXIST) return fail(QStringLiteral("A file or folder with this name already exists."));
        return fail(systemReason(code));
    }
    if (error) error->clear();
    return true;
}

}  // namespace kavrin
