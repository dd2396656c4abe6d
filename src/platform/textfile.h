#pragma once
// Reading and writing the user's text files: the editor works on CR LF text, the file keeps the
// encoding and line ends it was read with.
#include <QString>

namespace kavrin {

struct TextFormat {
    enum class Encoding { Utf8, Windows1252 };
    enum class LineEnd { CrLf, Lf, Cr };
    Encoding encoding = Encoding::Utf8;
    bool utf8Bom = false;
    LineEnd lineEnd = LineEnd::CrLf;
};

struct TextFileResult {
    bool ok = false;
    QString text;       // line breaks as CR LF
    TextFormat format;  // what was found, to write the file back the same way
    bool binary = false;  // the bytes hold NUL characters
    QString error;        // the reason, for the user, when !ok
};

// UTF-8 when the bytes are valid UTF-8, else Windows-1252; the line end that comes first decides
// the file's style; every line break becomes CR LF.
TextFileResult readTextFile(const QString& path);
TextFileResult decodeText(const QByteArray& bytes);

// Converts CR LF text back to the format's line ends and encoding and writes it atomically:
// the old file stays whole when anything fails. Returns false with the reason in `error`.
bool writeTextFile(const QString& path, const QString& crlfText, const TextFormat& format,
                   QString* error = nullptr);
QByteArray encodeText(const QString& crlfText, const TextFormat& format);

// Writes bytes atomically (a temporary file renamed over the target).
bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr);

}  // namespace kavrin
