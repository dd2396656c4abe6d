#pragma once
// Reading and writing the user's text files: the editor works on CR LF text, the file keeps the
// encoding and line ends it was read with.
#include <QByteArray>
#include <QString>

namespace kavrin {

struct TextFormat {
    enum class Encoding { Utf8, Windows1252 };
    enum class LineEnd { CrLf, Lf, Cr };
    Encoding encoding = Encoding::Utf8;
    bool utf8Bom = false;
    LineEnd lineEnd = LineEnd::CrLf;

    bool operator==(const TextFormat&) const = default;
};

struct TextFileResult {
    bool ok = false;
    QString text;       // line breaks as CR LF
    TextFormat format;  // what was found, to write the file back the same way
    bool binary = false;  // the bytes hold NUL characters
    QString error;        // the reason, for the user, when !ok
};

// Larger files are refused with a reason rather than exhausting memory.
inline constexpr qint64 maxTextFileSize = 256LL * 1024 * 1024;

// UTF-8 when the bytes are valid UTF-8, else Windows-1252; the line end that comes first decides
// the file's style; every line break (CR LF, lone CR, lone LF) becomes CR LF. A file with mixed
// line ends is therefore written back with the first one throughout.
TextFileResult readTextFile(const QString& path);
TextFileResult decodeText(const QByteArray& bytes);

// Converts CR LF text back to the format's line ends and encoding and writes it atomically:
// the old file stays whole when anything fails. Returns false with the reason in `error`.
// A Windows-1252 format whose text holds characters that encoding cannot represent is written
// as UTF-8 instead (never a lossy '?'); `written` receives the format actually used, so the
// caller can keep it and tell the user.
bool writeTextFile(const QString& path, const QString& crlfText, const TextFormat& format,
                   QString* error = nullptr, TextFormat* written = nullptr);
QByteArray encodeText(const QString& crlfText, const TextFormat& format,
                      TextFormat* used = nullptr);

// Writes bytes atomically (a temporary file renamed over the target).
bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// Copies a file of any size and content to `to` through a temporary file in the target folder:
// the bytes are written, flushed to the disk and read back against the source before the
// temporary file takes the target's name (with the source's permissions and modification time).
// An existing target is replaced only with `replace`; otherwise the copy fails when one exists.
// Whatever fails leaves the target (and the source) as they were.
bool copyFileAtomically(const QString& from, const QString& to, bool replace, QString* error = nullptr);

// Windows-1252 both ways. The five bytes the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90,
// 0x9D) map to the control characters of the same number, so every byte survives a round trip.
QChar windows1252ToUnicode(unsigned char byte);
QString decodeWindows1252(const QByteArray& bytes);
// False (and `out` incomplete) when a character has no Windows-1252 byte.
bool encodeWindows1252(const QString& text, QByteArray* out);

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool isValidUtf8(const char* data, qsizetype size);

}  // namespace kavrin
